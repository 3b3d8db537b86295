#pragma once

// Choice of the kernel set for the terms of a pass.  Every set gives
// bit-identical sums; they differ only in how many rows one instruction
// serves.

#include <cstdint>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/fast.hpp"

namespace zorvick::quadrature {

// scalar computes each midpoint's logarithm and sine and then every row's
// term in one loop, so that the rows' divisions overlap the library calls;
// the vector sets compute the shared part for a block of midpoints first,
// then the rows in vector lanes.  A row alone, or up to libm::most_rows
// rows, with the fast logarithm and sine have their terms computed in the
// sine's loop, whatever the set (libm::sum, libm::terms).
enum class isa { scalar, sse2, avx2, avx512 };

// Midpoints per call of a kernel: small enough for the stack and the L1
// cache.
inline constexpr int blk = 256;

// For the rows t[0 … r − 1], s[j] = s[j] + term(t[j], x_k) for the
// midpoints x_k in increasing order:
//   add       the midpoints first … first + m − 1 (counted from 0, m ≤ blk)
//             of the pass with spacing h, shared part included, its
//             logarithms and sines by the set f, the rows libm::lead
//             picks for the divider d in their loop;
//   add_rows  the midpoints p, whose shared part is computed already;
//   terms     q[k] = term(t, x_k) for one row and the midpoints first …
//             first + m − 1 (any m), shared part included; returns
//             s + add[0] + … + add[na − 1], added in order alongside.
struct kernel {
    int lanes;
    void (*add)(double h, std::int64_t first, int m, const double* t, int r, double* s, libm::set f, libm::divider d);
    void (*add_rows)(const points& p, double h, const double* t, int r, double* s);
    double (*terms)(double h, std::int64_t first, int m, double t, double* q, const double* add, std::int64_t na,
                    double s, libm::set f);
};

kernel kernel_for(isa set);

// Whether this CPU can run the set; scalar and sse2 run on every x86-64.
bool supported(isa set);

// The widest set this CPU supports.
isa widest();

}  // namespace zorvick::quadrature
