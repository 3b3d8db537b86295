#include "quadrature/intf.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "plain.hpp"

namespace zorvick::quadrature {
namespace {

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// Worked values of the method itself: its estimate and final count.
TEST(Intf, ReproducesTheWorkedValues)
{
    const struct { double t; std::int32_t n; double estimate; } cases[] = {
        {0.25, 128, 2.0424178965750563},
        {1.0, 64, 0.022949950349212097},
        {1.5, 2048, 0.0052849930811666853},
        {2.0, 1048576, 0.00171760676288762},
        {3.0, 33554432, 0.00030756525730755952},
        {5.0, 33554432, 2.678675166484016e-05},
    };
    for (const auto& c : cases) {
        std::int32_t n = -7;  // the incoming count is never read
        const double s = intf(c.t, n);
        EXPECT_EQ(n, c.n) << "t = " << c.t;
        // the last bits belong to the C library's log and sin
        EXPECT_NEAR(s, c.estimate, 1e-13 * c.estimate) << "t = " << c.t;
    }
}

TEST(Intf, StopsOnNonFiniteOrVanishingSums)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double pole = std::log(0.25);  // puts t − ln x = 0 on the first midpoint, 0.25
    const struct { double t; double estimate; std::int32_t n; } cases[] = {
        {NAN, NAN, 2}, {pole, inf, 2}, {1e60, 0.0, 2}, {-1e60, 0.0, 2}, {2.4e51, 0.0, 2},
        {std::log(3.0 / 2097152.0), inf, 1 << 20},  // the pole on the midpoint 3/2²¹
    };
    for (const auto& c : cases) {
        std::int32_t n = 0;
        const double s = intf(c.t, n);
        EXPECT_EQ(n, c.n) << c.t;
        EXPECT_TRUE(std::isnan(c.estimate) ? std::isnan(s) : bits(s) == bits(c.estimate)) << c.t << " gave " << s;
    }
}

// Sanity check of the integrand against I(t) computed independently to 40
// digits from the closed form t⁻⁴·Im[e^(−it)(E₅(−it) − E₆(−it))].  The
// midpoint estimates settle at these relative errors, which the README quotes.
TEST(Intf, LiesWithinItsKnownErrorOfTheTrueIntegral)
{
    const struct { double t, exact, relerr; } cases[] = {
        {0.1, 33.052236800005455, 1.9e-6},
        {0.25, 2.04251041713070901, -4.5e-5},
        {0.5, 0.233052399434970985, -5.6e-4},
        {1.0, 0.0230322513301886646, -3.6e-3},
        {1.5, 0.00527598856034676017, 1.7e-3},
        {2.0, 0.00171678614080211995, 4.8e-4},
    };
    for (const auto& c : cases) {
        std::int32_t n = 0;
        const double err = (intf(c.t, n) - c.exact) / c.exact;
        EXPECT_NEAR(err, c.relerr, 0.05 * std::fabs(c.relerr)) << "t = " << c.t;
    }
}

// The stopping test at its boundary: a change of exactly 0.01 percent (the
// double nearest 0.01) stops, the next double above goes on; a NaN change
// stops, an infinite one goes on, and the last pass stops whatever its
// change.
TEST(Settled, StopsAtOneHundredthOfAPercentAndNotAbove)
{
    const struct { double sold, s; std::int32_t n; bool stops; } cases[] = {
        {0x1.00068db8baa81p+0, 0x1.ffffffffffc20p-1, 64, true},   // r = 0.01
        {0x1.00068db8baa80p+0, 0x1.ffffffffffc1ep-1, 64, false},  // r = 0.01 + 2⁻⁵⁹
        {0x1.00068db8baa80p+0, 0x1.ffffffffffc1ep-1, nmax, true},
        {0.0, 0.0, 4, true},   // NaN
        {1.0, 0.0, 4, false},  // infinite
        {0.0, 1.0, 2, false},  // the first pass: 100 percent
    };
    for (const auto& c : cases)
        EXPECT_EQ(settled(c.sold, c.s, c.n), c.stops) << std::hexfloat << c.sold << " then " << c.s << ", n = " << c.n;
}

TEST(Midpoints, AreExactForEveryPassUpTo2To24)
{
    for (std::int32_t n = 2; n <= (1 << 24); n *= 2)
        EXPECT_EQ(testing::first_inexact_midpoint(n), 0) << "n = " << n;
}

}  // namespace
}  // namespace zorvick::quadrature
