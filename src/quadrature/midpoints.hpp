#pragma once

// The part of each midpoint term that depends on the pass alone: the
// midpoint x, lx = ln x and v = u·sin u with u = −ln x.  Every row of a
// table that is at the same pass shares it, and it holds the two library
// calls that make up most of the cost of a term.
//
// The integrand is that of
//
//   I(t) = ∫₀¹ (−ln x)·sin(−ln x) / ((t − ln x)⁶ · x) dx,
//
// the image of ∫₀^∞ u·sin(u)/(t + u)⁶ du under x = e^(−u); its term at x is
// ((v / (t − lx)⁶) · h) / x (lanes.hpp).  The printed estimates and the
// stopping decisions depend on the bits of every operation, so the build
// forbids contraction (-ffp-contract=off) and never uses -ffast-math: a
// fused multiply-add or a reassociated product changes the table.

#include <cmath>
#include <cstdint>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/fast.hpp"

namespace zorvick::quadrature {

// Calls f(k, x, lx, v) for the midpoints k = first … first + m − 1 (counted
// from 0) of the pass with spacing h, in order, with lx = ln x and
// v = u·sin u for u = −ln x.  Midpoint k is (k + ½)·h, the same exact binary
// fraction that the running sum x = x + h from −h/2 reaches.
template <class F>
inline void each_midpoint(double h, std::int64_t first, int m, F f)
{
    double x = (static_cast<double>(first) - 0.5) * h;
    for (int k = 0; k < m; ++k) {
        x = x + h;
        const double lx = std::log(x);  // one logarithm serves u and t − ln x
        const double u = -lx;           // exact
        f(k, x, lx, u * std::sin(u));
    }
}

}  // namespace zorvick::quadrature
