// The fast logarithm and sine against the C library, bit for bit, where a
// fault would show first: the midpoints where glibc's error is largest
// (measured over all midpoints), whole small passes, the ends of the
// largest pass and its closest approach to u = π, and values outside the
// domain, which must go to the library.  Every midpoint is checked by the
// slow test.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/fast.hpp"

namespace zorvick::quadrature::libm {
namespace {

struct span {
    const char* what;
    double h;
    std::int64_t first;
    int m;
};

// Sixteen midpoints of the pass that x is a midpoint of, around x.
span around(const char* what, double x)
{
    for (std::int64_t n = 2; n <= (std::int64_t{1} << 30); n *= 2) {
        const double k = x * static_cast<double>(n) - 0.5;
        if (k == std::floor(k))
            return {what, 1.0 / static_cast<double>(n), std::max<std::int64_t>(0, static_cast<std::int64_t>(k) - 8), 16};
    }
    return {what, 0, 0, 0};
}

TEST(Libm, IsTheLibraryWhereFaultsWouldShow)
{
    constexpr double big = 1 << 30;
    std::vector<span> spans = {
        // largest distance from the rounding midpoint of a value glibc
        // rounded the other way: log and sin, as glibc chooses and with the
        // other variant
        around("log, default variant", 0x1.dc083268p-1),
        around("sin, default variant", 0x1.a69e966cp-1),
        around("log, other variant", 0x1.c80e4f8p-1),
        around("sin, other variant", 0x1.c2ef56f8p-1),
        {"x next to 1, u near 0", 1 / big, (1 << 30) - 64, 64},
        {"the smallest x, u near 21.5", 1 / big, 0, 64},
        {"u nearest π", 1 / big, static_cast<std::int64_t>(std::exp(-M_PI) * big) - 32, 64},
        {"x at and above 1", 0.5, 0, 16},
        {"x subnormal", 0x1p-1070, 0, 16},
        {"x huge", 0x1p1000, 0, 16},
        {"fewer than a vector", 0.25, 0, 3},
    };
    for (std::int64_t n = 2; n <= 4096; n *= 2)
        spans.push_back({"a whole small pass", 1.0 / static_cast<double>(n), 0, static_cast<int>(n)});

    for (const set s : {set::library, set::avx512}) {
        if (!supported(s)) {
            std::printf("libm set %d not supported here: not tested\n", static_cast<int>(s));
            continue;
        }
        for (const span& p : spans) {
            ASSERT_GT(p.m, 0) << p.what;
            std::vector<double> x(p.m), lx(p.m), v(p.m), sn(p.m);
            evaluate(s, p.h, p.first, p.m, x.data(), lx.data(), v.data(), sn.data());
            for (int k = 0; k < p.m; ++k) {
                const double l = std::log(x[k]);
                const double u = -l;
                const double su = std::sin(u);
                EXPECT_EQ(x[k], (static_cast<double>(p.first + k) + 0.5) * p.h) << p.what;
                EXPECT_EQ(std::bit_cast<std::uint64_t>(lx[k]), std::bit_cast<std::uint64_t>(l))
                    << p.what << std::hexfloat << ": log " << x[k];
                EXPECT_EQ(std::bit_cast<std::uint64_t>(sn[k]), std::bit_cast<std::uint64_t>(su))
                    << p.what << std::hexfloat << ": sin " << u;
                EXPECT_EQ(std::bit_cast<std::uint64_t>(v[k]), std::bit_cast<std::uint64_t>(u * su)) << p.what;
            }
        }
    }
}

// Each row's terms together at its own place in the buffer, nothing past
// the rows touched, and the earlier terms the kernel adds in its loop:
// none, fewer than it takes there, exactly that many, and more; a row
// alone and up to eight rows, by the division and by the reciprocal;
// pieces that are not a multiple of the lanes, and several pieces; t at
// the pole of a midpoint, where the reciprocal's bounds fail.
TEST(Libm, TermsAndTheAddsInTheirLoopAreTheDefinitions)
{
    struct terms_case {
        int r;
        int m;
        int na;
        int per;
    };
    const double h = 0x1p-20;
    const double ts[8] = {0.5, -1.0, 3.0, 2.5, std::log((777 + 3 + 0.5) * h), -0.25, 8.0, 1e300};
    constexpr double untouched = -7.0;
    for (const set f : {set::library, set::avx512}) {
        if (!supported(f))
            continue;
        for (const bool recip : {false, true})
            for (const terms_case c : {terms_case{1, 5, 0, 8}, terms_case{1, 256, 256, 8}, terms_case{1, 300, 1200, 16},
                                       terms_case{1, 40, 1000, 16}, terms_case{2, 300, 100, 8},
                                       terms_case{3, 257, 257, 16}, terms_case{5, 600, 2400, 16},
                                       terms_case{8, 300, 1300, 8}, terms_case{7, 100, 0, 8}}) {
                const long count = std::max(c.m, c.na) + 3;  // rows apart, with room past each row's terms
                std::vector<double> x(c.m), lx(c.m), v(c.m), q(std::size_t(count) * 8, untouched),
                    add(std::size_t(count) * c.r);
                evaluate(set::library, h, 777, c.m, x.data(), lx.data(), v.data());
                std::vector<double> want(c.r, 1.0), got(c.r, 1.0);
                for (int j = 0; j < c.r; ++j)
                    for (int i = 0; i < c.na; ++i) {
                        const double e = 1.0 / (static_cast<double>(i * 8 + j) + 3.0);
                        add[std::size_t(j) * count + i] = e;
                        want[j] = want[j] + e;
                    }
                terms(f, h, 777, c.m, ts, c.r, q.data(), count, recip, add.data(), c.na, c.per, got.data());
                const auto what = [&] { return testing::Message() << c.r << " rows, m = " << c.m << ", " << c.na
                                                                  << " adds, recip " << recip << ", libm set " << int(f); };
                for (int j = 0; j < 8; ++j)
                    for (long k = 0; k < count; ++k) {
                        const double qk = j < c.r && k < c.m ? term(ts[j], lx[k], v[k], x[k], h) : untouched;
                        ASSERT_EQ(std::bit_cast<std::uint64_t>(q[std::size_t(j) * count + k]),
                                  std::bit_cast<std::uint64_t>(qk))
                            << what() << ": row " << j << ", k = " << k;
                    }
                for (int j = 0; j < c.r; ++j)
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(got[j]), std::bit_cast<std::uint64_t>(want[j]))
                        << what() << ": the sum of row " << j;
            }
    }
}

}  // namespace
}  // namespace zorvick::quadrature::libm
