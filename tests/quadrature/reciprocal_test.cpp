// The division by a midpoint through its reciprocal against the division
// itself, bit for bit, at every midpoint of every pass (2³¹ − 2 of them),
// for rows whose terms cover its bounds and the lanes that fall back to
// the division: t < 0, t = 0, t = 2.5, t = 10⁴¹ (c just inside its bound,
// the terms near 2⁻⁹⁰⁰), t = 10⁵⁰ (c outside: terms near the bottom of the
// range, some subnormal) and t = ln 0.25 (a pole on a midpoint of every
// pass).  Each vector kernel that divides so, and the sines' loop.  The
// widest set takes the reciprocals computed beside the logarithms where
// the fast sines give them, as passes of rows in vectors do; the others
// compute their own, the same code at another width.  About a minute on
// 2 CPUs.

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "libm/every.hpp"
#include "quadrature/lanes.hpp"
#include "quadrature/libm/fast.hpp"
#include "quadrature/simd.hpp"

namespace zorvick::quadrature {
namespace {

TEST(Reciprocal, IsTheDivisionAtEveryMidpoint)
{
    constexpr int r = 6;
    const double ts[r] = {-1.5, 0.0, 2.5, 1e41, std::log(0.25), 1e50};
    const libm::set f = libm::fastest();
    // the sets that divide through the reciprocal: those with FMA
    std::vector<isa> sets;
#if defined(__x86_64__)
    for (const isa set : {isa::avx2, isa::avx512})
#else
    for (const isa set : {isa::base})
#endif
        if (supported(set))
            sets.push_back(set);
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::int64_t> values{0}, wrong{0};
    testing::every_midpoint(threads, [&](int, double h, std::int64_t first, int m) {
        double x[testing::piece], lx[testing::piece], v[testing::piece];
        double xs[testing::piece], yh[testing::piece], yl[testing::piece];
        reciprocals rec{xs, yh, yl, false, 0.0, 0.0};
        libm::evaluate(f, h, first, m, x, lx, v, nullptr, &rec);
        double want[r * testing::piece];
        for (int k = 0; k < m; ++k)
            for (int j = 0; j < r; ++j)
                want[k * r + j] = term(ts[j], lx[k], v[k], x[k], h);
        double got[8 * testing::piece];
        std::int64_t bad = 0;
        const auto check = [&](const char* what, auto at) {
            for (int k = 0; k < m; ++k)
                for (int j = 0; j < r; ++j)
                    if (std::bit_cast<std::uint64_t>(got[at(k, j)]) != std::bit_cast<std::uint64_t>(want[k * r + j])) {
                        if (wrong + bad < 10)
                            std::printf("%s: t = %g, x = %a: %a, the division %a\n", what, ts[j], x[k], got[at(k, j)],
                                        want[k * r + j]);
                        ++bad;
                    }
        };
        // A vector of rows divides through the reciprocal only where every
        // lane may: t = 10⁵⁰, which never may, in a vector of its own.
        for (const isa set : sets) {
            const bool given = set == sets.back() && rec.xs != nullptr;
            const points p = given ? points{x, lx, v, m, &rec} : points{x, lx, v, m};
            kernel_for(set).terms(p, h, ts, r - 1, got, {8, 8, m});
            kernel_for(set).terms(p, h, ts + r - 1, 1, got + r - 1, {8, 8, m});
            check("rows in vectors", [](int k, int j) { return k * 8 + j; });
        }
        if (f != libm::set::library) {
            libm::terms(f, h, first, m, ts, r, got, m, true);
            check("rows in the sines' loop", [m](int k, int j) { return j * m + k; });
        }
        values += m;
        wrong += bad;
    });
    std::printf("%lld midpoints, %d rows, kernels: %zu vector sets%s\n", static_cast<long long>(values.load()), r,
                sets.size(), f != libm::set::library ? " and the sines' loop" : "");
    EXPECT_EQ(values, (std::int64_t{1} << 31) - 2);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace zorvick::quadrature
