#pragma once

#include <cstdint>

namespace zorvick::quadrature {

// Largest point count: the pass after it would need n = 2³¹, which a signed
// 32-bit count cannot hold.
inline constexpr std::int32_t nmax = std::int32_t{1} << 30;

// How passes are run.  Passes of fewer than `inline_below` points run on
// the calling thread; larger ones are shared by `workers` threads in chunks
// of `chunk` midpoints.  Results do not depend on any of these.
struct plan {
    int workers;
    std::int32_t chunk;
    std::int32_t inline_below;
};

// One worker per CPU the process may run on.
plan default_plan();

// Sum of the n midpoint terms, h = 1/n, added in increasing order of x into
// one accumulator.  n is a power of two from 2 to nmax.
double pass(double t, std::int32_t n, const plan& how);

// Estimate of I(t) = ∫₀^∞ u·sin(u)/(t + u)⁶ du by the midpoint rule on the
// unit interval, doubling n from 2 until two successive estimates differ by
// no more than 0.01 percent.  n receives the count of the pass returned; its
// incoming value is not read.  If the pass with n = nmax still changes by
// more, that pass's estimate is returned with n = nmax.
double intf(double t, std::int32_t& n, const plan& how);
double intf(double t, std::int32_t& n);

}  // namespace zorvick::quadrature
