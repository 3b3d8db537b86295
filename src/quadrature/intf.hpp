#pragma once

#include <cstdint>

#include "quadrature/libm/fast.hpp"
#include "quadrature/simd.hpp"

namespace zorvick::quadrature {

// Largest point count: the pass after it would need n = 2³¹, which a signed
// 32-bit count cannot hold.
inline constexpr std::int32_t nmax = std::int32_t{1} << 30;

// Most rows evaluated together.
inline constexpr int wmax = 64;

// How passes are run; results do not depend on any of it.  Passes of a row
// alone with fewer than `inline_below` points run on the calling thread,
// and passes of more rows with as much work; larger ones are shared by
// `workers` threads in chunks of at most `chunk` midpoints.
// `simd` is the kernel set for the rows' vectors and their adds, `libm`
// the set that computes the library's logarithms and sines, and `window`
// (1 … wmax) the number of consecutive rows of a table in step.  Each
// pass decides from these how it runs (course.hpp).
struct plan {
    int workers;
    std::int32_t chunk;
    std::int32_t inline_below;
    isa simd;
    int window;
    libm::set libm;
};

// One worker per CPU the process may run on, the widest kernels the CPU
// has, its fast logarithm and sine where it has them, and the window
// measured best on 2 cores.
plan default_plan();

// The sums of one pass with n midpoints (h = 1/n) for the r ≤ wmax rows
// t[0 … r − 1]: s[j] receives row j's terms added in increasing order of x
// into one accumulator.  n is a power of two from 2 to nmax.
void pass(const double* t, int r, std::int32_t n, double* s, const plan& how);

// The stopping test after a pass with sum s: from sold, the relative change
// r = |((sold − s)/s)·100| percent.  The row is done when r ≤ 0.01 (also
// when r is NaN: s NaN or infinite, or s = sold = 0) or when n = nmax.
bool settled(double sold, double s, std::int32_t n);

// Estimate of I(t) = ∫₀^∞ u·sin(u)/(t + u)⁶ du by the midpoint rule on the
// unit interval, doubling n from 2 until two successive estimates differ by
// no more than 0.01 percent.  n receives the count of the pass returned; its
// incoming value is not read.  If the pass with n = nmax still changes by
// more, that pass's estimate is returned with n = nmax.
double intf(double t, std::int32_t& n, const plan& how);
double intf(double t, std::int32_t& n);

}  // namespace zorvick::quadrature
