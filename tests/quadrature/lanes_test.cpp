#include "quadrature/lanes.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace zorvick::quadrature {
namespace {

__extension__ typedef unsigned __int128 u128;

// The division through the reciprocal where it is hardest: quotients a/x
// as close to a rounding boundary as two doubles' quotient can be, where
// q0 alone rounds the wrong way a few times in a hundred.  For a, x in
// [1, 2) with significands A, X and the boundary μ = m·2⁻ᵇ (b = 53 for a
// quotient in [1, 2), 54 in [½, 1)), a − μ·x = ±2⁻¹⁰⁵ or ±2⁻¹⁰⁶ when
// A·2ᵇ − m·X = ±1, that is m·X ≡ ∓1 (mod 2ᵇ).  Scaled as midpoints and
// terms are, down to x = 2⁻³² and a = 2⁻⁹³; and with the step h folded
// in, a/h divided by x/h, for the greatest and least h.
TEST(Divide, GivesTheDivisionsBitsWhereItIsHardest)
{
    std::mt19937_64 g(7);
    const auto f = [](double a, double b, double c) { return std::fma(a, b, c); };
    int cases = 0, wrong = 0, without = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t X = ((g() | 1) & ((std::uint64_t{1} << 53) - 1)) | std::uint64_t{1} << 52;
        std::uint64_t inv = X;  // X·inv = 1 mod 2⁶⁴, by Newton's iteration
        for (int s = 0; s < 6; ++s)
            inv *= 2 - X * inv;
        for (const int b : {53, 54})
            for (const int sign : {-1, 1}) {
                std::uint64_t m = (sign < 0 ? inv : 0 - inv) & ((std::uint64_t{1} << b) - 1);
                if (b == 53)
                    m |= std::uint64_t{1} << 53;
                const u128 mx = static_cast<u128>(m) * X;
                const u128 A = (sign < 0 ? mx - 1 : mx + 1) >> b;
                if (m < std::uint64_t{1} << 53 || A < u128{1} << 52 || A >= u128{1} << 53 || (b == 54) != (A < X))
                    continue;
                for (const int e : {0, -20, -31}) {
                    const double x = std::ldexp(static_cast<double>(X), e - 53);
                    const double a = std::ldexp(static_cast<double>(static_cast<std::uint64_t>(A)), 3 * e - 52);
                    double yh, yl;
                    reciprocal(x, yh, yl, f);
                    const double want = a / x;
                    ++cases;
                    wrong += std::bit_cast<std::uint64_t>(divide(a, x, yh, yl, f)) != std::bit_cast<std::uint64_t>(want);
                    for (const double h : {0x1p-1, 0x1p-30}) {
                        reciprocal(x / h, yh, yl, f);
                        wrong += std::bit_cast<std::uint64_t>(divide(a / h, x / h, yh, yl, f)) !=
                                 std::bit_cast<std::uint64_t>(want);
                    }
                    without += std::fma(a, yh, a * yl) != want;
                }
            }
    }
    EXPECT_GT(cases, 50000);
    EXPECT_TRUE(foldable(0x1p-30) && foldable(0.5) && !foldable(0x1p-31) && !foldable(1.0) && !foldable(0.375));
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(without, cases / 100) << "the cases should be hard for q0 alone";
}

}  // namespace
}  // namespace zorvick::quadrature
