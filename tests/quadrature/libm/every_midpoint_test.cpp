// The fast logarithm and sine against the C library, bit for bit, for every
// midpoint of every pass: on this machine's glibc that is the proof that
// the rounding test's guard bands are wide enough, and on any other C
// library it says whether they are.  About a minute on 2 CPUs; run once as
// glibc chooses its variant and once with the other (CTest sets
// GLIBC_TUNABLES for that run).

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "every.hpp"
#include "quadrature/libm/fast.hpp"

namespace zorvick::quadrature::libm {
namespace {

TEST(Libm, EveryMidpointIsTheLibrarysLogAndSine)
{
    if (!supported(set::avx512))
        GTEST_SKIP() << "no fast logarithm and sine on this CPU or in this build";
#if defined(__x86_64__)
    if (std::getenv("GLIBC_TUNABLES") != nullptr && !__builtin_cpu_supports("fma"))
        GTEST_SKIP() << "without FMA glibc has one variant, tested by the run without the tunable";
#endif
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::atomic<std::int64_t> values{0}, logs{0}, sines{0}, wrong{0};
    testing::every_midpoint(threads, [&](int, double h, std::int64_t first, int m) {
        double x[testing::piece], lx[testing::piece], v[testing::piece], sn[testing::piece];
        const fallbacks f = evaluate(set::avx512, h, first, m, x, lx, v, sn);
        std::int64_t bad = 0;
        for (int k = 0; k < m; ++k) {
            const double l = std::log(x[k]);
            const double s = std::sin(-l);
            if (std::bit_cast<std::uint64_t>(l) != std::bit_cast<std::uint64_t>(lx[k]) ||
                std::bit_cast<std::uint64_t>(s) != std::bit_cast<std::uint64_t>(sn[k]) ||
                std::bit_cast<std::uint64_t>(-l * s) != std::bit_cast<std::uint64_t>(v[k]) ||
                x[k] != (static_cast<double>(first + k) + 0.5) * h) {
                if (wrong + bad < 10)
                    std::printf("x = %a: log %a (library %a), sin %a (library %a)\n", x[k], lx[k], l, sn[k], s);
                ++bad;
            }
        }
        values += m;
        logs += f.logs;
        sines += f.sines;
        wrong += bad;
    });
    std::printf("%lld midpoints, left to the library: %.2f%% of the logarithms, %.2f%% of the sines\n",
                static_cast<long long>(values.load()), 100.0 * logs / values, 100.0 * sines / values);
    EXPECT_EQ(values, (std::int64_t{1} << 31) - 2);
    EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace zorvick::quadrature::libm
