#pragma once

// Choice of the kernel set for the row-dependent part of the terms.  Every
// set gives bit-identical sums; they differ only in how many rows one
// instruction serves.

#include "quadrature/lanes.hpp"

namespace zorvick::quadrature {

enum class isa { scalar, sse2, avx2, avx512 };

struct kernel {
    int lanes;
    void (*add)(const points& p, double h, const double* t, int r, double* s);
    void (*put)(const points& p, double h, const double* t, int r, double* q, int rpad);
    void (*sum)(const double* q, int m, int r, int rpad, double* s);
};

kernel kernel_for(isa set);

// Whether this CPU can run the set; scalar and sse2 run on every x86-64.
bool supported(isa set);

// The widest set this CPU supports.
isa widest();

}  // namespace zorvick::quadrature
