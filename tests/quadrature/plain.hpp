#pragma once

// The evaluator written out as the straightforward sequential definition,
// one statement per IEEE operation, as the oracle for bit-identity tests.

#include <cmath>
#include <cstdint>

namespace zorvick::testing {

inline double plain_pass(double t, std::int32_t n)
{
    const double h = 1.0 / static_cast<double>(n);
    double x = 0.0 - 0.5 * h;
    double s = 0.0;
    for (std::int32_t k = 1; k <= n; ++k) {
        x = x + h;
        const double lx = std::log(x);
        const double u = -lx;
        const double a = t - lx;
        double c = a * a;
        c = c * a;
        c = c * c;
        double term = (u * std::sin(u)) / c;
        term = term * h;
        term = term / x;
        s = s + term;
    }
    return s;
}

inline double plain_intf(double t, std::int32_t& n)
{
    n = 2;
    double sold = 0.0;
    for (;;) {
        const double s = plain_pass(t, n);
        const double r = std::fabs(((sold - s) / s) * 100.0);
        if (!(r > 0.01) || n == (std::int32_t{1} << 30))
            return s;
        n = 2 * n;
        sold = s;
    }
}

// Every midpoint of the running sum x = x + h is exactly (k − ½)/n when
// x·2n (an exact scaling by a power of two) is the odd integer 2k − 1.
// Returns the first k where it is not, or 0.
inline std::int64_t first_inexact_midpoint(std::int32_t n)
{
    const double h = 1.0 / static_cast<double>(n);
    double x = 0.0 - 0.5 * h;
    for (std::int64_t k = 1; k <= n; ++k) {
        x = x + h;
        if (x * (2.0 * n) != static_cast<double>(2 * k - 1))
            return k;
    }
    return 0;
}

}  // namespace zorvick::testing
