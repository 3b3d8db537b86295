#include "quadrature/workers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <vector>

#include "plain.hpp"
#include "quadrature/terms.hpp"
#include "sets.hpp"

namespace zorvick::quadrature {
namespace {

// A shared pass gives each of 1 to 17 rows, and 25, 40 and 64 (four, five
// and eight groups of eight, whose adds run in one loop as far as they
// fit), the sum of the sequential definition, bit for bit, with any number
// of threads (more than the CPUs too), chunks that end inside a piece and
// inside a vector (on two threads, chunks of more than two pieces, whose
// turn can come after some of their pieces are held), and each kernel set,
// way of computing the library's logarithm and sine, and layout.
TEST(Pass, IsBitIdenticalForAnyThreadsRowsAndSets)
{
    constexpr std::int32_t n = 1 << 13;
    std::vector<int> counts;
    for (int r = 1; r <= 17; ++r)
        counts.push_back(r);
    counts.insert(counts.end(), {25, 40, 64});
    std::vector<double> ts;
    for (int j = 0; j < wmax; ++j)
        ts.push_back(0.3 * j - 1.1);
    // a row whose terms are subnormal, which must divide, past the first
    // vector of rows
    ts[9] = 6e50;
    std::vector<double> want;
    for (const double t : ts)
        want.push_back(testing::plain_pass(t, n));
    each_set([&](libm::set f, isa set, choice layout) {
        for (const int threads : {1, 2, 3, 4, 7, 16})
            for (const int r : counts) {
                // chunks held as points with an even count of threads, as terms with an odd one
                const plan how{threads, (threads == 2 ? 1100 : 333) + 8 * r, 64, set, 16, f, layout, nullptr, nullptr,
                               threads % 2 == 0};
                std::vector<double> s(r), one(2 * wmax), live(2 * wmax);
                pass(ts.data(), r, n, s.data(), how);
                // a shared pass's courses on the calling thread, as the planner times them
                inline_pass(decide(r, n, how), ts.data(), r, n, one.data());
                inline_pass(quadrature::live(decide(r, n, how)), ts.data(), r, n, live.data());
                const auto same = [&](const std::vector<double>& got, int j) {
                    return std::bit_cast<std::uint64_t>(got[j]) == std::bit_cast<std::uint64_t>(want[j]);
                };
                for (int j = 0; j < r; ++j)
                    ASSERT_TRUE(same(s, j) && same(one, j) && same(live, j))
                        << "row " << j << " of " << r << ", " << threads << " threads, kernel set "
                        << static_cast<int>(set) << ", libm set " << static_cast<int>(f) << ", layout "
                        << static_cast<int>(layout.layout) << (layout.recip ? " by the reciprocal" : "");
            }
    });
}

// The buffers of terms stay within 1 MB a thread and 4 MB in all, however
// many CPUs and rows.
TEST(Course, BoundsTheBuffersOfTerms)
{
    for (const int workers : {1, 2, 16, 256, 100000})
        for (int r = 1; r <= wmax; ++r) {
            const course c = decide(r, nmax, {workers, 1 << 30, 2, isa::avx512, wmax, libm::set::avx512, {by::sines, true}, nullptr, nullptr});
            const std::int64_t each = std::int64_t{c.buffers} * c.slot * 8;
            EXPECT_LE(each, 1 << 20) << workers << " workers, " << r << " rows";
            EXPECT_LE(each * c.threads, 4 << 20) << workers << " workers, " << r << " rows";
            EXPECT_GE(c.stride, c.held);
            EXPECT_GE(c.slot, std::int64_t{c.chunk} * (c.points ? std::max(c.stride, point_doubles) : c.stride));
        }
}

}  // namespace
}  // namespace zorvick::quadrature
