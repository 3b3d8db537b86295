// Rows that run into the point-count limit: minutes of work, labelled slow.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "plain.hpp"
#include "quadrature/intf.hpp"

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

TEST(Midpoints, AreExactInTheLargestPass)
{
    EXPECT_EQ(testing::first_inexact_midpoint(1 << 30), 0);
}

}  // namespace
}  // namespace zorvick::quadrature
