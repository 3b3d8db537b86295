#pragma once

// The contribution of one midpoint to the composite midpoint rule for
//
//   I(t) = ∫₀¹ (−ln x)·sin(−ln x) / ((t − ln x)⁶ · x) dx,
//
// the image of ∫₀^∞ u·sin(u)/(t + u)⁶ du under x = e^(−u).
//
// Every line is one IEEE double operation rounded to nearest, in this order.
// The printed estimates and the stopping decisions depend on these bits, so
// the build forbids contraction (-ffp-contract=off) and never uses
// -ffast-math: a fused multiply-add or a reassociated product here changes
// the table.

#include <cmath>
#include <cstdint>

namespace zorvick::quadrature {

inline double term(double t, double x, double h)
{
    const double lx = std::log(x);  // one logarithm serves u and t − ln x
    const double u = -lx;           // exact
    const double a = t - lx;
    double c = a * a;
    c = c * a;                      // a³
    c = c * c;                      // a⁶ as the square of the cube
    double q = (u * std::sin(u)) / c;
    q = q * h;
    return q / x;
}

// Terms of the midpoints first … first + count − 1 (counted from 0) of the
// pass with spacing h.  Midpoint k is (k + ½)·h, the same exact binary
// fraction that the running sum x = x + h from −h/2 reaches.
inline void terms(double t, double h, std::int64_t first, std::int32_t count, double* out)
{
    double x = (static_cast<double>(first) - 0.5) * h;
    for (std::int32_t j = 0; j < count; ++j) {
        x = x + h;
        out[j] = term(t, x, h);
    }
}

}  // namespace zorvick::quadrature
