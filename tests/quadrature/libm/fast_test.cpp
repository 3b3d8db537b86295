// The fast logarithm and sine against the C library, bit for bit, where a
// fault would show first: the midpoints where glibc's error is largest
// (measured over all midpoints), whole small passes, the ends of the
// largest pass and its closest approach to u = π, and values outside the
// domain, which must go to the library.  Every midpoint is checked by the
// slow test.

#include <gtest/gtest.h>

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

// A row alone's terms, and the adds the kernel carries along: none, as
// many as the terms, twice as many (all in its loop), and more than it can
// take there; pieces not a multiple of the lanes.
TEST(Libm, RowTermsAndTheirAddsAreTheDefinitions)
{
    struct row_case {
        int m;
        int na;
    };
    const double h = 0x1p-20;
    const double t = 0.5;
    for (const set f : {set::library, set::avx512}) {
        if (!supported(f))
            continue;
        for (const row_case c : {row_case{5, 0}, row_case{256, 256}, row_case{300, 600}, row_case{40, 1000}}) {
            std::vector<double> x(c.m), lx(c.m), v(c.m), q(c.m), add(c.na);
            evaluate(set::library, h, 777, c.m, x.data(), lx.data(), v.data());
            double want = 1.0;
            for (int k = 0; k < c.na; ++k) {
                add[k] = 1.0 / (k + 3.0);
                want = want + add[k];
            }
            const double got = terms(f, h, 777, c.m, t, q.data(), add.data(), c.na, 1.0);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want)) << c.m << ", " << c.na;
            double s = 0.0;
            for (int k = 0; k < c.m; ++k) {
                const double qk = term(t, lx[k], v[k], x[k], h);
                EXPECT_EQ(std::bit_cast<std::uint64_t>(q[k]), std::bit_cast<std::uint64_t>(qk)) << k;
                s = s + qk;
            }
            double got_s = 0.0;
            sum(f, h, 777, c.m, &t, 1, &got_s);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got_s), std::bit_cast<std::uint64_t>(s)) << c.m;
        }
    }
}

// Rows side by side: each row's terms in its own stretch of q, and each
// row's sum its own chain, whatever the count of rows and of midpoints.
TEST(Libm, TermsOfRowsSideBySideAreEachRowsOwn)
{
    const double h = 0x1p-20;
    const double ts[most_rows] = {0.5, -1.0, 3.0};
    for (const set f : {set::library, set::avx512}) {
        if (!supported(f))
            continue;
        for (int r = 2; r <= most_rows; ++r)
            for (const int m : {5, 300, 600}) {
                std::vector<double> x(m), lx(m), v(m), q(std::size_t(r) * m);
                evaluate(set::library, h, 777, m, x.data(), lx.data(), v.data());
                terms(f, h, 777, m, ts, r, q.data(), std::size_t(m));
                double got[most_rows] = {1.0, 1.0, 1.0};
                sum(f, h, 777, m, ts, r, got);
                for (int j = 0; j < r; ++j) {
                    double want = 1.0;
                    for (int k = 0; k < m; ++k) {
                        const double qk = term(ts[j], lx[k], v[k], x[k], h);
                        EXPECT_EQ(std::bit_cast<std::uint64_t>(q[std::size_t(j) * m + k]),
                                  std::bit_cast<std::uint64_t>(qk))
                            << "row " << j << " of " << r << ", k = " << k;
                        want = want + qk;
                    }
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(got[j]), std::bit_cast<std::uint64_t>(want))
                        << "row " << j << " of " << r << ", m = " << m;
                }
            }
    }
}

}  // namespace
}  // namespace zorvick::quadrature::libm
