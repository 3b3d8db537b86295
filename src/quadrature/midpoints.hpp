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

namespace zorvick::quadrature {

// v = u·sin u for u = −ln x, given lx = ln x (u is its exact negation).
inline double usinu(double lx)
{
    const double u = -lx;
    return u * std::sin(u);
}

// Midpoints first … first + m − 1 (counted from 0) of the pass with
// spacing h, into x, lx and v.  Midpoint k is (k + ½)·h, the same exact
// binary fraction that the running sum x = x + h from −h/2 reaches.
inline points fill(double* x, double* lx, double* v, double h, std::int64_t first, int m)
{
    double xk = (static_cast<double>(first) - 0.5) * h;
    for (int j = 0; j < m; ++j) {
        xk = xk + h;
        x[j] = xk;
        lx[j] = std::log(xk);  // one logarithm serves u and t − ln x
        v[j] = usinu(lx[j]);
    }
    return {x, lx, v, m};
}

}  // namespace zorvick::quadrature
