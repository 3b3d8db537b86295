#pragma once

// How one pass runs, decided once from its rows, its point count, the plan
// and what the planner measured.  The code that runs the pass follows the
// course and asks nothing else.  None of it changes a bit of the sums:
// whatever the course, every row's terms are its own operations, added to
// its one sum in index order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "quadrature/libm/fast.hpp"
#include "quadrature/simd.hpp"

namespace zorvick::quadrature {

// Largest point count: the pass after it would need n = 2³¹, which a signed
// 32-bit count cannot hold.
inline constexpr std::int32_t nmax = std::int32_t{1} << 30;

// Most rows evaluated together.
inline constexpr int wmax = 64;

// Most threads for one pass.
inline constexpr int most_threads = 256;

// Lanes of a group of rows whose adds take their turns on their own: a
// cache line of terms a midpoint.
inline constexpr int group_lanes = 8;

// How the terms of a piece of midpoints are computed:
//   sines    every row (eight at most) in the loop of the fast
//            logarithm's and sine's kernel, eight midpoints to a vector,
//            where the rows' divisions overlap the sines' work and no lane
//            is idle;
//   both     the rows in whole vectors of eight rows as `vectors` computes
//            them, and the others, fewer than eight, in the sines' loop;
//   vectors  the logarithms and sines of the piece, then the rows side by
//            side in the lanes of the kernel set's vectors;
//   scalar   the library's logarithm and sine of each midpoint, then each
//            row's term, in one loop.
// With the fast sines the first three are the candidates, and which runs
// fastest depends on the CPU (by 2 times between two vendors' CPUs), so the
// planner measures them.  With the library's, a row alone and the scalar
// set take the scalar loop, other rows vectors.
enum class by { sines, both, vectors, scalar };

// A layout, and whether rows in the sines' loop divide by the midpoint
// through its reciprocal (lanes.hpp): where the sines keep the CPU's
// multipliers busy and its divider is fast, the division costs less.
// Rows in vectors of rows always do where the kernel set has FMA.
struct choice {
    by layout;
    bool recip;
};

// The candidates, in the order of measured::ns.
inline constexpr choice candidates[] = {
    {by::sines, false}, {by::sines, true}, {by::both, false}, {by::both, true}, {by::vectors, true}};
inline constexpr int ncandidates = 5;

// Passes are measured in three classes: on the calling thread alone, small
// ones (fewer than `large` points: a few pieces, whose set-up weighs as
// much as their midpoints) and large ones, and passes shared among threads,
// where every row's terms go through buffers.
inline constexpr std::int32_t large = 1 << 14;
inline constexpr int classes = 3;

// What the planner measured on this machine, for each class of pass and
// row count r: whether it has, the candidate that ran fastest, and what
// each took, in nanoseconds a row and midpoint (0 where it is not a
// candidate for r rows: the sines' loop holds eight rows at most, `both`
// needs more than eight not in whole vectors, and a row alone has no
// choice).
struct measured {
    bool done[classes][wmax + 1];
    choice chosen[classes][wmax + 1];
    double ns[classes][wmax + 1][ncandidates];
    // For shared passes of r rows, in nanoseconds a midpoint, what a
    // thread computes of a chunk that it holds as points (course) before
    // the chunk's turn, `shared` (the shared part, and the terms of the
    // rows of a loop), and at it, `rows` (the rows in vectors, and the
    // adds of the loop's); and whether such passes hold points.  The turns
    // come one after another, so what a chunk's owner computes at its turn
    // must take less than each thread's share of the whole, rows + shared,
    // or the threads wait for their turns.  With a fifth to spare, as the
    // CPUs of a shared machine differ in speed from one moment to the
    // next: rows·(threads − 1) ≤ 4/5·shared.
    double shared[wmax + 1];
    double rows[wmax + 1];
    bool points[wmax + 1];
};

// The threads that help with shared passes (workers.cpp), and how they are
// let go: woken, joined and freed.
struct crew;
void dismiss(crew* w);

// What passes shared among threads keep from one pass to the next: the
// memory for their buffers of terms, grown to the largest they need (each
// fresh page costs a page fault, and memory that the allocator takes back
// and gives out again is fresh), and the threads that help the caller.
// Owned by the caller of the passes and used by one pass at a time; the
// helpers are let go with it.
struct scratch {
    std::unique_ptr<void, void (*)(void*)> block{nullptr, std::free};
    std::size_t bytes = 0;  // from `at` on
    double* at = nullptr;
    std::unique_ptr<crew, void (*)(crew*)> helpers{nullptr, dismiss};
};

// How passes are run; results do not depend on any of it.  Passes of a row
// alone with fewer than `inline_below` points run on the calling thread,
// and passes of more rows with as much work; larger ones are shared by
// `workers` threads in chunks of at most `chunk` midpoints.
// `simd` is the kernel set for the rows' vectors and their adds, `libm`
// the set that computes the library's logarithms and sines, and `window`
// (1 … wmax) the number of consecutive rows of a table in step.  With the
// fast sines, `layout` is how a pass lays out its rows until the planner
// has measured its class; the planner keeps what it measures in
// `*planner`, and measures nothing where that is null.  Shared passes
// keep their buffers and helper threads in `*buffers`, or where that is
// null have their own.  Until the planner has measured it, shared passes
// with rows in vectors hold points where `points` says.
struct plan {
    int workers;
    std::int32_t chunk;
    std::int32_t inline_below;
    isa simd;
    int window;
    libm::set libm;
    choice layout;
    measured* planner;
    scratch* buffers;
    bool points = false;
};

// The class of a pass of n points on `threads` threads in measured.
inline int pass_class(std::int32_t n, int threads) { return threads > 1 ? 2 : n >= large ? 1 : 0; }

// Threads for a pass of n points and r rows, at most `workers`: sharing
// pays once the work outweighs starting the threads.
int threads_for(int r, std::int32_t n, const plan& how);

struct course {
    int rows;
    int threads;          // 1: the calling thread alone
    by terms;
    bool recip;           // the sines' loop divides through the reciprocal
    int whole;            // rows computed in vectors after the piece, the first
    int loop;             // rows in the sines' loop, the last, row by row in a buffer
    bool fused;           // rows in vectors add their terms to their sums at once
    int first;            // the first row whose terms a buffer holds: whole if fused
    int held;             // rows whose terms a buffer holds, r − first
    libm::set f;          // the set for the logarithms and sines
    isa set;              // the set for the rows' vectors and their adds
    int stride;           // doubles a midpoint in a buffer of terms, ≥ held
    int groups;           // groups of rows, group_lanes of the stride each
    int piece;            // midpoints a kernel call
    int fold;             // earlier terms added in a kernel's loop, per midpoint
                          // computed; 0: a piece's or chunk's terms added apart
    // where threads > 1:
    bool points;          // chunks wait for their turn as their midpoints' shared
                          // part (point_doubles a midpoint), not as terms
    int aside;            // with points, the last rows in vectors, computed across
                          // midpoints before the turn and held beside the points
    std::int32_t chunk;   // midpoints a thread claims at once
    int buffers;          // chunks of terms a thread holds
    std::int32_t slot;    // doubles from one of its buffers to the next
};

// What a chunk of a shared pass holds of each midpoint when its course
// holds points: x, ln x, u·sin u, x/h and the reciprocal yh + yl
// (lanes.hpp), each in an array of the chunk's length, in this order; and
// the terms of the rows of a loop or aside after them, in their place in
// a buffer of terms.
inline constexpr int point_doubles = 6;

// What a layout comes to for r rows: sines with more than eight rows is
// both; both with fewer than eight is sines, and with a whole number of
// vectors of eight vectors; a row alone is in the loop, dividing by
// itself (a vector of rows would hold one row in its lanes).
choice choice_for(choice l, int r);

course decide(int r, std::int32_t n, const plan& how);

// The course of a thread of a shared pass c while its chunk has its turn,
// every chunk before it added: its rows in vectors add their terms to
// their sums as they compute them, as on the calling thread alone, and
// only the rows of a loop go through the chunk's buffer, in their place,
// to be added piece by piece.  Rows all in the loop (no rows in vectors)
// keep the course as it is.
course live(const course& c);

// The plan for the calling thread alone.
plan alone(const plan& how);

}  // namespace zorvick::quadrature
