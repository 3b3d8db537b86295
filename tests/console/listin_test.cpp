#include "console/listin.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace zorvick::console {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

readout read(const std::string& text)
{
    // fmemopen of an empty buffer is unreliable; /dev/null reads as empty
    std::FILE* in = text.empty() ? std::fopen("/dev/null", "r") : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const readout got = read_parameters(in);
    std::fclose(in);
    return got;
}

// Bits, so that the sign of a zero counts; any NaN matches any NaN.
bool same(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

struct good { std::string text; double tmin, tmax; std::int32_t nt; };

TEST(ListInput, ReadsValuesInEveryAcceptedForm)
{
    const double next1 = std::nextafter(1.0, 2.0);
    const std::string tie = "1.00000000000000011102230246251565404236316680908203125";  // 1 + 2⁻⁵³
    const good cases[] = {
        {"1 2 3", 1, 2, 3},
        {"1,2,3", 1, 2, 3},
        {"1.0d0, 2.0E0 , 3", 1, 2, 3},
        {"1\n2\n3\n", 1, 2, 3},
        {"1\r\n2\r\n3\r\n", 1, 2, 3},
        {"\n\n\n\t1 2 3", 1, 2, 3},
        {"1\n,2,3", 1, 2, 3},
        {"1 ,\n\n 2 3", 1, 2, 3},
        {"2*1.5 3", 1.5, 1.5, 3},
        {"1 2 2*3", 1, 2, 3},
        {"1 2 3/", 1, 2, 3},
        {"1 2 3 4 5", 1, 2, 3},
        {"1 2 3,abc", 1, 2, 3},
        {"1 2 3 ;\xff garbage", 1, 2, 3},
        {"1.5D+2 1.5+1 -2147483648", 150, 15, -2147483647 - 1},
        {".5 5. +2147483647", 0.5, 5, 2147483647},
        {"2q-1 -0 007", 0.2, -0.0, 7},
        {"1e400 -1e-400 0", inf, -0.0, 0},
        {"-inf Infinity 1", -inf, inf, 1},
        {"NaN(abc_1) nan() 1", NAN, NAN, 1},
        {tie + " 0 1", 1.0, 0, 1},                                          // exact tie: to even
        {tie + std::string(1000, '0') + "1 0 1", next1, 0, 1},             // sticky digit past the kept ones
        {"1" + std::string(400, '0') + "e-400 0 1", 1.0, 0, 1},
        {"0." + std::string(400, '0') + "1e401 0 1", 1.0, 0, 1},
        {"1e999999999999999999999999999999 1e-999999999999999999999999999999 1", inf, 0, 1},
        {std::string(1'000'000, ' ') + "1 2 3", 1, 2, 3},
        {std::string(1'000'000, '9') + " 2 3", inf, 2, 3},
    };
    for (const auto& c : cases) {
        const readout got = read(c.text);
        const std::string shown = c.text.substr(0, 60);
        ASSERT_EQ(got.why, cause::none) << shown;
        EXPECT_TRUE(same(got.p.tmin, c.tmin)) << shown << " tmin " << std::hexfloat << got.p.tmin;
        EXPECT_TRUE(same(got.p.tmax, c.tmax)) << shown << " tmax " << std::hexfloat << got.p.tmax;
        EXPECT_EQ(got.p.nt, c.nt) << shown;
    }
}

struct bad { std::string text; cause why; int item; };

TEST(ListInput, ReportsTheFirstFaultWithItsItem)
{
    using enum cause;
    const bad cases[] = {
        {"1 2 3.0", bad_integer, 3},      {"1 2 1e2", bad_integer, 3},    {"1 2 3abc", bad_integer, 3},
        {"1 2 NaN", bad_integer, 3},      {"1 2 3.", bad_integer, 3},     {"1e 2 3", bad_real, 1},
        {"Infin 2 3", bad_real, 1},       {"1 0x10 3", bad_real, 2},      {". 2 3", bad_real, 1},
        {"1.5e+ 2 3", bad_real, 1},       {"1;2;3", bad_real, 1},         {"1 2 *3", bad_integer, 3},
        {"2 *1.5 3", bad_real, 2},        {"nan(a b) 2 3", bad_real, 1},  {"1 \xc3\xa9 3", bad_real, 2},
        {std::string("1\0 2 3", 6), bad_real, 1},
        {"1 2 99999999999", integer_overflow, 3},  {"1 2 2147483648", integer_overflow, 3},
        {"1 2 -2147483649", integer_overflow, 3},  {"1 2 " + std::string(100000, '7'), integer_overflow, 3},
        {"0*1", zero_repeat, 1},                   {"1 2 00*3", zero_repeat, 3},
        {"200000001*1", repeat_overflow, 1},       {"1 99999999999999999999*2", repeat_overflow, 2},
        {"3*1", real_for_integer, 3},              {"1 2*2", real_for_integer, 3},
        {"200000000*1", real_for_integer, 3},
        {"1,,3", no_value, 2},   {"1 , , 3", no_value, 2},  {",1,2,3", no_value, 1}, {"1 ,\n\n , 2 3", no_value, 2},
        {"2*,3", no_value, 1},   {"2* 3", no_value, 1},     {"1 2/", no_value, 3},   {"/", no_value, 1},
        {"", end_of_file, 0},    {"1 2", end_of_file, 0},   {"1 2\n\n", end_of_file, 0},
        {"1 2,", end_of_file, 0},
    };
    for (const auto& c : cases) {
        const readout got = read(c.text);
        const std::string shown = c.text.substr(0, 40);
        EXPECT_EQ(got.why, c.why) << shown;
        EXPECT_EQ(got.item, c.item) << shown;
    }
}

TEST(ListInput, StopsReadingWhenTheThirdValueEnds)
{
    // Reading past the third value would block an interactive user.
    std::string text = "1 2 3\nleft for later";
    std::FILE* in = fmemopen(text.data(), text.size(), "r");
    EXPECT_EQ(read_parameters(in).why, cause::none);
    char rest[32] = {};
    EXPECT_STREQ(std::fgets(rest, sizeof rest, in), "left for later");
    std::fclose(in);
}

}  // namespace
}  // namespace zorvick::console
