#pragma once

// Choice of the kernel set for the rows' part of the terms and for their
// adds.  Every set gives bit-identical sums; they differ only in how many
// rows one instruction serves.

#include "quadrature/lanes.hpp"

namespace zorvick::quadrature {

// scalar works row by row; the vector sets put rows side by side in the
// lanes of their vectors (lanes.cpp): base in the vectors of two doubles
// that every CPU of the architecture has (SSE2 on x86-64, Advanced SIMD on
// arm64), avx2 and avx512 in those of x86-64's extensions, with FMA.  All
// but x86-64's base set divide by a midpoint through its reciprocal.
enum class isa { scalar, base, avx2, avx512 };

// For buffers of terms (lanes.hpp):
//   terms  the rows' terms from the shared part of the midpoints p;
//   sum    the same added straight to the rows' sums, in index order, and
//          beside them the held terms of rows of a loop;
//   across the rows' terms each row's together, row after row;
//   add    each of the first `width` lanes' terms added to its sum in
//          index order;
//   grouped  the same for groups of eight rows each laid out on its own
//          (lanes.hpp), their chains side by side in one loop;
//   mixed  the same for a group of eight rows and the rows of a loop after
//          it, each row's terms together.
struct kernel {
    int lanes;
    void (*terms)(const points& p, double h, const double* t, int r, double* q, layout y);
    void (*sum)(const points& p, double h, const double* t, int r, double* s, beside b);
    void (*across)(const points& p, double h, const double* t, int r, double* q, long count);
    void (*add)(const double* q, int m, int stride, int width, double* s);
    void (*grouped)(const double* q, int m, long group, int groups, double* s);
    void (*mixed)(const double* q, int m, const double* lq, long count, int nb, double* s);
};

kernel kernel_for(isa set);

// s[j] = s[j] + q[j·count + k] for k = 0 … m − 1 in order and j < nb ≤ 8:
// the rows of the sines' loop, each row's terms together, their chains
// side by side.
void row_adds(const double* q, long count, int m, int nb, double* s);

// Whether this CPU can run the set; scalar and base run on every CPU.
bool supported(isa set);

// The widest set this CPU supports.
isa widest();

}  // namespace zorvick::quadrature
