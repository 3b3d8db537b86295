#include "console/field.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "console/output.hpp"

namespace zorvick::console {
namespace {

std::string fixed(double v)
{
    char out[fixed_width];
    fixed_field(out, v);
    return {out, sizeof out};
}

TEST(FixedField, RoundsTheExactBinaryValueHalfToEven)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct { double v; const char* text; } cases[] = {
        {1.0, "    1.000000"},          {0.0, "    0.000000"},
        {0.5078125, "    0.507812"},     // exact tie: to the even digit
        {0.5078135, "    0.507814"},     // binary value above the decimal tie
        {0.0000015, "    0.000002"},     // just above the tie in binary
        {0.0000005, "    0.000000"},     // just below it
        {9.9999996, "   10.000000"},     // carry adds a digit
        {-0.0, "   -0.000000"},          {-0.0000004, "   -0.000000"},
        {-5e-324, "   -0.000000"},       {5e-324, "    0.000000"},
        {99999.9999994, "99999.999999"}, {99999.9999996, "************"},
        {-9999.9999994, "-9999.999999"}, {-9999.9999996, "************"},
        {1e6, "************"},           {-1e300, "************"},
        {NAN, "         NaN"},           {-NAN, "         NaN"},
        {inf, "    Infinity"},           {-inf, "   -Infinity"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixed(c.v), c.text) << std::hexfloat << c.v;
}

TEST(FixedField, AgreesWithTheCLibraryAcrossMagnitudes)
{
    // glibc's %.6f rounds the exact binary value half-to-even; the test runs
    // in the "C" locale, so its decimal mark is the point.
    const auto agrees = [](double v) {
        char want[64];
        std::snprintf(want, sizeof want, "%12.6f", v);
        const std::string expected = std::strlen(want) > 12 ? std::string(12, '*') : want;
        EXPECT_EQ(fixed(v), expected) << std::hexfloat << v;
        return fixed(v) == expected;
    };
    std::mt19937_64 gen(20261208);
    std::uniform_real_distribution<double> mant(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-30, 20);
    for (int k = 0; k < 200000; ++k)
        ASSERT_TRUE(agrees(std::ldexp(mant(gen), scale(gen))));
    // The exact ties are the odd multiples of 2⁻⁷ (v·10⁶ = k·15625/2), up
    // to the widest field; with their neighbours.
    std::uniform_int_distribution<std::int64_t> odd(0, (std::int64_t{1} << 26) - 1);
    for (int k = 0; k < 20000; ++k) {
        const double v = static_cast<double>(2 * odd(gen) + 1) / 128 * (k % 2 ? 1 : -1);
        ASSERT_TRUE(agrees(v) && agrees(std::nextafter(v, 0.0)) && agrees(std::nextafter(v, 2 * v)));
    }
}

TEST(IntegerField, JustifiesOrFillsWithAsterisks)
{
    const struct { int w; std::int64_t v; const char* text; } cases[] = {
        {4, 1, "   1"},    {4, 9999, "9999"}, {4, 10000, "****"}, {4, -999, "-999"}, {4, -1000, "****"},
        {15, 0, "              0"}, {15, 1073741824, "     1073741824"},
    };
    for (const auto& c : cases) {
        char out[16];
        integer_field(out, c.w, c.v);
        EXPECT_EQ(std::string(out, static_cast<std::size_t>(c.w)), c.text);
    }
}

TEST(Row, HasFourContiguousFields)
{
    char rec[row_width];
    edit_row(rec, 1, 1.0, 0.0229499503, 64);
    EXPECT_EQ(std::string(rec, sizeof rec), "   1    1.000000    0.022950             64");
    edit_row(rec, 10000, -5.551115123125783e-17, NAN, 2);
    EXPECT_EQ(std::string(rec, sizeof rec), "****   -0.000000         NaN              2");
}

}  // namespace
}  // namespace zorvick::console
