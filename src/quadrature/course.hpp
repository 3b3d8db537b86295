#pragma once

// How one pass runs, decided once from its rows, its point count and the
// plan.  The code that runs the pass follows it and asks nothing else.
// None of it changes a bit of the sums: whatever the course, every row's
// terms are its own operations, added to its one sum in index order.

#include <cstdint>

#include "quadrature/intf.hpp"

namespace zorvick::quadrature {

// Most threads for one pass.
inline constexpr int most_threads = 256;

// Lanes of a group of rows whose adds take their turns on their own: a
// cache line of terms a midpoint.
inline constexpr int group_lanes = 8;

// How the terms of a piece of midpoints are computed:
//   sines    every row in the loop of the fast logarithm's and sine's
//            kernel, where the rows' divisions overlap the sines' work;
//   scalar   the library's logarithm and sine of each midpoint, then each
//            row's term, in one loop;
//   vectors  the library's logarithms and sines of the piece, then the
//            rows in the lanes of the kernel set's vectors.
enum class by { sines, scalar, vectors };

struct course {
    int rows;
    int threads;          // 1: the calling thread alone
    by terms;
    libm::set f;          // the set for the logarithms and sines
    isa set;              // the set for the rows' vectors and their adds
    int stride;           // doubles a midpoint in a buffer of terms
    int groups;           // groups of rows, group_lanes of the stride each
    int piece;            // midpoints a kernel call
    int fold;             // earlier terms added in a kernel's loop, per midpoint
                          // computed; 0: a piece's or chunk's terms added apart
    // where threads > 1:
    std::int32_t chunk;   // midpoints a thread claims at once
    int buffers;          // chunks of terms a thread holds
    std::int32_t slot;    // doubles from one of its buffers to the next
};

course decide(int r, std::int32_t n, const plan& how);

}  // namespace zorvick::quadrature
