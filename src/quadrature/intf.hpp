#pragma once

#include <cstdint>

#include "quadrature/course.hpp"

namespace zorvick::quadrature {

// One worker per CPU the process may run on, the widest kernels the CPU
// has, its fast logarithm and sine where it has them, and a window of two
// vectors of rows; the planner keeps what it measures in *planner, and
// shared passes their buffers in *buffers, which must outlive the plan's
// use (null: nothing measured, buffers allocated by each pass).
plan default_plan(measured* planner = nullptr, scratch* buffers = nullptr);

// The sums of one pass with n midpoints (h = 1/n) for the r ≤ wmax rows
// t[0 … r − 1]: s[j] receives row j's terms added in increasing order of x
// into one accumulator.  n is a power of two from 2 to nmax.  The first
// pass of its class may first time the layouts (planner.hpp).
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
