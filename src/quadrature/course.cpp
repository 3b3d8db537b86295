#include "quadrature/course.hpp"

#include <algorithm>

namespace zorvick::quadrature {

namespace {

// Kernel calls of up to 512 midpoints: each call's set-up then weighs
// half as much as at 256.
constexpr int most_piece = 512;

// Whether the rows of the sines' loop fold their adds into it on the
// calling thread: the adds of more than five rows take more room in the
// loop than they save.
bool folds_alone(int loop) { return loop > 0 && loop <= 5; }

}  // namespace

plan alone(const plan& how)
{
    plan one = how;
    one.workers = 1;
    return one;
}

choice choice_for(choice l, int r)
{
    if (l.layout == by::sines && r > 8)
        l.layout = by::both;
    if (l.layout == by::both && (r <= 8 || r % 8 == 0))
        l.layout = r % 8 == 0 ? by::vectors : by::sines;
    // A row alone goes in the loop, which fills eight lanes with it, and
    // divides by itself there.
    if (r == 1)
        l = {by::sines, false};
    if (l.layout == by::vectors)
        l.recip = true;
    return l;
}

int threads_for(int r, std::int32_t n, const plan& how)
{
    // A row costs about a third of the shared part (the fast sines; less
    // beside the library's), so a pass of r rows is worth (r + 3)/4 of a
    // row alone.
    const int workers = std::clamp(how.workers, 1, most_threads);
    return std::int64_t{n} * (r + 3) >= std::int64_t{how.inline_below} * 4 ? workers : 1;
}

course decide(int r, std::int32_t n, const plan& how)
{
    course c{};
    c.rows = r;
    c.f = how.libm;
    c.set = how.simd;
    c.threads = threads_for(r, n, how);
    // With the fast sines, the layout the planner measured fastest here for
    // passes like this one, or until it has, the plan's.  With the library,
    // a row alone, or the scalar set, takes one loop; the vector sets put
    // rows side by side.
    if (how.libm != libm::set::library) {
        const int k = pass_class(n, c.threads);
        const bool known = how.planner != nullptr && how.planner->done[k][r];
        const choice l = choice_for(known ? how.planner->chosen[k][r] : how.layout, r);
        c.terms = l.layout;
        c.recip = l.recip;
    } else {
        c.terms = r == 1 || how.simd == isa::scalar ? by::scalar : by::vectors;
    }
    c.whole = c.terms == by::both ? r / 8 * 8 : c.terms == by::vectors ? r : 0;
    c.loop = c.terms == by::sines || c.terms == by::both ? r - c.whole : 0;

    // On the calling thread alone, rows in vectors add their terms to their
    // sums as they compute them, in index order as any adds would, and only
    // the rows of a loop go through a buffer of terms.  Threads sharing a
    // pass buffer every row's, to add them in the order of their chunks.
    c.fused = c.threads == 1 && c.whole > 0;
    c.first = c.fused ? c.whole : 0;
    c.held = r - c.first;
    // The held rows of a midpoint side by side, padded to whole vectors for
    // the adds: a row alone, 2, 4, or a multiple of 8.  (Rows of the loop
    // take as much room, row by row.)
    const int held = std::max(c.held, 1);
    c.stride = held == 1 ? 1 : held <= 2 ? 2 : held <= 4 ? 4 : (held + 7) / 8 * 8;
    c.groups = (c.stride + group_lanes - 1) / group_lanes;
    // A piece's terms, 32 KB at most, stay in the L1 cache until they are
    // added.
    c.piece = std::min(most_piece, 4096 / c.stride / 8 * 8);

    if (c.threads > 1) {
        // A chunk waits for its turn in a buffer.  With rows in vectors it
        // can wait as its midpoints' shared part, and at its turn its rows
        // in vectors are computed straight into their sums, as they are
        // live: each add then hides in the loop that computes the term,
        // where terms buffered and added apart wait on each other's adds.
        // Rows of the sines' loop need the sines, the most of a midpoint's
        // work, in that loop: their terms wait as terms beside the points.
        // But the turns come one after another, and computing rows at a
        // turn takes longer than adding them: where the planner measured
        // that it would hold up the others' turns (measured), or with only
        // rows of the loop, chunks wait as terms.
        const bool known = how.planner != nullptr && how.planner->done[pass_class(n, c.threads)][r];
        c.points = c.whole > 0 && (known ? how.planner->points[r] : how.points);
        // Rows past the first vector that the turn's sum would compute
        // across midpoints (lanes.hpp) are computed before it instead and
        // wait as terms beside the points: the turn, which no other thread
        // can share, then only adds them.
        if (c.points && c.terms == by::vectors && c.set == isa::avx512 && r > group_lanes &&
            r <= group_lanes + most_across)
            c.aside = r - group_lanes;
        // A thread holds a few chunks, so that it can go on computing while
        // one waits for its turn: at most 1 MB a thread, staying in its
        // core's cache, and 4 MB for all threads together.  A buffer of a
        // page or more takes whole pages and half a page: buffers a
        // multiple of 4 KB apart would make the loads from one wait on the
        // stores to another as if to the same address.
        c.buffers = 4;
        const int per = c.points ? std::max(c.stride, point_doubles) : c.stride;
        const std::int64_t each = std::min(std::int64_t{1} << 17, (std::int64_t{1} << 19) / c.threads) / c.buffers;
        const bool pages = each >= 1024;
        std::int64_t room = (pages ? each - 768 : each - 8) / per;
        if (room >= c.piece)
            room = room / c.piece * c.piece;
        c.chunk = static_cast<std::int32_t>(std::max<std::int64_t>(1, std::min<std::int64_t>(how.chunk, room)));
        const std::int64_t terms = (std::int64_t{c.chunk} * per + 7) / 8 * 8;
        c.slot = static_cast<std::int32_t>(pages ? (terms + 511) / 512 * 512 + 256 : terms);
        const std::int64_t chunks = (std::int64_t{n} + c.chunk - 1) / c.chunk;
        c.threads = static_cast<int>(std::min<std::int64_t>(c.threads, chunks));
        if (c.threads == 1)
            return decide(r, n, alone(how));
    }

    // Adding the terms in order is the one part of a pass that no two
    // threads can share: each add waits for the one before in its row.
    // Folded into the sines' loop, which computes the next terms, the
    // chains of its rows' adds hide behind its work; added apart they wait
    // on each other.  (Folded into the loop of rows in vectors, they slowed
    // it more than they saved.)  But a chunk's adds must take no longer
    // than 1/threads of the time to compute it, or they hold up the
    // others' turns: so one earlier midpoint a midpoint computed on one
    // thread, two on two threads, and more threads add apart.  On one
    // thread the adds of more than five rows take more room in the loop
    // than they save; apart, so many chains side by side keep the adders
    // busy.  The library's scalar loop takes one a midpoint for a row
    // alone, on the calling thread alone.
    const bool fold = c.loop > 0 && c.loop == c.held;
    if (fold && c.threads == 1 && folds_alone(c.loop))
        c.fold = 1;
    else if (fold && c.threads == 2)
        c.fold = 2;
    else if (c.terms == by::scalar && r == 1 && c.threads == 1)
        c.fold = 1;
    return c;
}

course live(const course& c)
{
    if (c.whole == 0)
        return c;
    course l = c;
    l.fused = true;
    l.first = c.whole;
    l.held = c.rows - c.whole;
    l.groups = l.held > 0 ? 1 : 0;  // the loop's rows, fewer than eight
    // The loop's rows lie row by row in the chunk's buffer, whatever the
    // piece: the longest kernel call, and each piece's adds folded into the
    // next as on the calling thread.
    l.piece = most_piece;
    l.fold = folds_alone(l.loop) ? 1 : 0;
    return l;
}

}  // namespace zorvick::quadrature
