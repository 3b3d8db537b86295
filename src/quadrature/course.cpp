#include "quadrature/course.hpp"

#include <algorithm>

namespace zorvick::quadrature {

course decide(int r, std::int32_t n, const plan& how)
{
    course c{};
    c.rows = r;
    c.f = how.libm;
    c.set = how.simd;
    // With the fast sines every row is computed in their loop: eight
    // midpoints fill a vector whatever the number of rows, so no lane is
    // wasted on any divider, and the divisions overlap the sines' work.
    // With the library, a row alone, or the scalar set, takes one loop; the
    // vector sets put rows side by side.
    c.terms = how.libm != libm::set::library ? by::sines
              : r == 1 || how.simd == isa::scalar ? by::scalar
                                                  : by::vectors;
    // The rows of a midpoint side by side, padded to whole vectors for the
    // adds: a row alone, 2, 4, or a multiple of 8.
    c.stride = r == 1 ? 1 : r <= 2 ? 2 : r <= 4 ? 4 : (r + 7) / 8 * 8;
    c.groups = (c.stride + group_lanes - 1) / group_lanes;
    // A piece's terms, 32 KB at most, stay in the L1 cache until they are
    // added.
    c.piece = std::min(256, 4096 / c.stride / 8 * 8);

    const int workers = std::clamp(how.workers, 1, most_threads);
    // Sharing pays once the work outweighs starting the threads.  A row
    // costs about a third of the shared part (the fast sines; less beside
    // the library's), so a pass of r rows is worth (r + 3)/4 of a row alone.
    c.threads = std::int64_t{n} * (r + 3) >= std::int64_t{how.inline_below} * 4 ? workers : 1;
    if (c.threads > 1) {
        // A thread holds a few chunks of terms, so that it can go on
        // computing while one waits for its turn to be added: at most 1 MB
        // a thread, staying in its core's cache, and 4 MB for all threads
        // together.  A buffer of a page or more takes whole pages and half
        // a page: buffers a multiple of 4 KB apart would make the loads
        // from one wait on the stores to another as if to the same address.
        c.buffers = 4;
        const std::int64_t each = std::min(std::int64_t{1} << 17, (std::int64_t{1} << 19) / c.threads) / c.buffers;
        const bool pages = each >= 1024;
        std::int64_t room = (pages ? each - 768 : each - 8) / c.stride;
        if (room >= c.piece)
            room = room / c.piece * c.piece;
        c.chunk = static_cast<std::int32_t>(std::max<std::int64_t>(1, std::min<std::int64_t>(how.chunk, room)));
        const std::int64_t terms = (std::int64_t{c.chunk} * c.stride + 7) / 8 * 8;
        c.slot = static_cast<std::int32_t>(pages ? (terms + 511) / 512 * 512 + 256 : terms);
        const std::int64_t chunks = (std::int64_t{n} + c.chunk - 1) / c.chunk;
        c.threads = static_cast<int>(std::min<std::int64_t>(c.threads, chunks));
    }

    // Adding the terms in order is the one part of a pass that no two
    // threads can share: each add waits for the one before in its row.
    // Added apart, in vectors of rows side by side, they take about 2 CPU
    // cycles a midpoint for up to 8 rows, 3 for 16: an eighth of the time
    // to compute a row alone, a twentieth for 11 rows.  Folded into the
    // loop of the sines, at one earlier midpoint a midpoint computed, they
    // cost a third of that or less; at two, half; at four, their chain
    // outlasts the sines'.  But a chunk's adds must take no longer than
    // 1/threads of the time to compute it, or they hold up the others'
    // turns: so one a midpoint on one thread, two on two threads for up to
    // four rows (more rows lose as much that way as apart), and more
    // threads add apart.  The library's scalar loop takes one a midpoint
    // for a row alone, so on the calling thread alone.
    if (c.terms == by::sines && c.stride <= 16 && c.threads == 1)
        c.fold = 1;
    else if (c.terms == by::sines && c.stride <= 4 && c.threads == 2)
        c.fold = 2;
    else if (c.terms == by::scalar && r == 1 && c.threads == 1)
        c.fold = 1;
    return c;
}

}  // namespace zorvick::quadrature
