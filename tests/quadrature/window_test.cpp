#include "quadrature/window.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "sets.hpp"
#include "tabulate.hpp"

namespace zorvick::quadrature {
namespace {

// Rows stopping at passes from n = 2 to 2²⁰ side by side, then enough fast
// rows to fill and refill the widest window.
std::vector<double> mixed_rows()
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    std::vector<double> ts = {1.0, 2.0, NAN, inf, 0.25, -inf, 1e60, -1e60, 2.4e51, std::log(0.25),
                              std::log(3.0 / 2097152.0),  // pole on the midpoint 3/2²¹ of the pass with n = 2²⁰
                              1.5, 0.1};
    for (int j = 0; j < 70; ++j)
        ts.push_back(0.3 + 0.01 * j);
    return ts;
}

// Every window, worker count, kernel set, way of computing the library's
// logarithm and sine, and layout gives each row the estimate and count of
// the sequential definition, bit for bit.  (The windows in two tests of
// about equal length, which test runners can run side by side.)
void expect_identical(std::initializer_list<int> windows)
{
    const std::vector<double> ts = mixed_rows();
    const std::vector<result> want = sequential(ts);
    // buffers kept from pass to pass, as a table's are, through every
    // window, worker count, set and layout
    scratch buffers;
    each_set([&](libm::set f, isa set, choice layout) {
        for (const int window : windows)
            for (const int workers : {1, 2, 3}) {
                // small chunks and a low threshold, so that threads share most passes
                // and once with the planner, which times the candidates
                // (each forced above) and chooses
                measured planner{};
                const plan how{workers, 3001, 64, set, window, f, layout,
                               window == 16 && set == widest() ? &planner : nullptr, &buffers};
                const std::vector<result> got = tabulate(ts, how);
                for (std::size_t j = 0; j < ts.size(); ++j) {
                    EXPECT_EQ(got[j].n, want[j].n) << "t = " << ts[j];
                    EXPECT_EQ(std::bit_cast<std::uint64_t>(got[j].s), std::bit_cast<std::uint64_t>(want[j].s))
                        << "t = " << ts[j] << std::hexfloat << ": " << got[j].s << " vs " << want[j].s;
                }
                ASSERT_FALSE(::testing::Test::HasFailure())
                    << "kernel set " << static_cast<int>(set) << ", libm set " << static_cast<int>(f) << ", layout "
                    << static_cast<int>(layout.layout) << (layout.recip ? " by the reciprocal" : "") << ", window "
                    << window << ", workers " << workers;
            }
    });
}

TEST(Window, IsBitIdenticalToTheSequentialDefinition) { expect_identical({1, 2, 16}); }

TEST(Window, IsBitIdenticalInOtherWindows) { expect_identical({3, 7, 64}); }

}  // namespace
}  // namespace zorvick::quadrature
