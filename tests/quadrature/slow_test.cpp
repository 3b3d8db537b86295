// Rows that run into the point-count limit: minutes of work, labelled slow.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <vector>

#include "plain.hpp"
#include "quadrature/intf.hpp"
#include "tabulate.hpp"

namespace zorvick::quadrature {
namespace {

// For t = 0 the pole sits at x = 1 and each pass gives nearly eight times
// the one before: the change never falls below 87.5 percent.  The doubling
// stops at the largest count a signed 32-bit integer can double to.
TEST(PointCountLimit, ReturnsTheLastPassAtTwoToThe30)
{
    std::int32_t n = 0;
    const double s = intf(0.0, n);
    EXPECT_EQ(n, 1 << 30);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(s), std::bit_cast<std::uint64_t>(testing::plain_pass(0.0, 1 << 30)));
}

// The grid of "2.5 3.5 11", t = 3 among it: every row stops at the pass
// with n = 2²⁵, so the window shares every pass at full size, on all CPUs,
// with each kernel set the machine has.
TEST(Window, SharesLargePassesBitForBit)
{
    const double dt = (3.5 - 2.5) / 10.0;
    std::vector<double> ts;
    for (double t = 2.5 - dt; ts.size() < 11;)
        ts.push_back(t = t + dt);
    const std::vector<result> want = sequential(ts);
    for (const isa set : {isa::scalar, isa::base, isa::avx2, isa::avx512}) {
        if (!supported(set))
            continue;
        plan how = default_plan();
        how.simd = set;
        const std::vector<result> got = tabulate(ts, how);
        for (std::size_t j = 0; j < ts.size(); ++j) {
            EXPECT_EQ(got[j].n, want[j].n) << "t = " << ts[j] << ", kernel set " << static_cast<int>(set);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(got[j].s), std::bit_cast<std::uint64_t>(want[j].s))
                << "t = " << ts[j] << ", kernel set " << static_cast<int>(set);
        }
    }
}

TEST(Midpoints, AreExactInTheLargestPass)
{
    EXPECT_EQ(testing::first_inexact_midpoint(1 << 30), 0);
}

}  // namespace
}  // namespace zorvick::quadrature
