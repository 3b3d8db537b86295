#include "console/field.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace zorvick::console {

namespace {

void justify(char* out, int w, const char* text, int len)
{
    if (len > w) {
        std::memset(out, '*', static_cast<std::size_t>(w));
        return;
    }
    std::memset(out, ' ', static_cast<std::size_t>(w - len));
    std::memcpy(out + (w - len), text, static_cast<std::size_t>(len));
}

__extension__ typedef unsigned __int128 u128;

// |v|·10⁶ rounded to the nearest integer, ties to even, for finite
// |v| < 10⁶.  With |v| = m·2ᵉ (m the 53-bit significand), |v|·10⁶ =
// m·15625·2^(e + 6) exactly: the product has at most 67 bits, and for
// |v| < 10⁶ the shift s = −(e + 6) is at least 26, so the integer part is
// the product shifted right by s and the bits shifted out decide the
// rounding.  Past 67 bits of shift the value is below one half.
std::uint64_t millionths(double v)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const int biased = static_cast<int>(bits >> 52 & 0x7ff);
    const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = biased == 0 ? frac : frac | std::uint64_t{1} << 52;
    const int s = -((biased == 0 ? 1 : biased) - 1075 + 6);
    if (s > 67)
        return 0;
    const u128 p = static_cast<u128>(m) * 15625;
    const u128 q = p >> s;
    const u128 rest = p - (q << s);
    const u128 half = static_cast<u128>(1) << (s - 1);
    return static_cast<std::uint64_t>(q) + (rest > half || (rest == half && (q & 1) != 0));
}

// Digits of v, least significant last, before end; returns the first.
char* digits(char* end, std::uint64_t v, int least)
{
    do {
        *--end = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (--least > 0 || v != 0);
    return end;
}

}  // namespace

void integer_field(char* out, int w, std::int64_t v)
{
    char text[24];
    const char* end = std::to_chars(text, text + sizeof text, v).ptr;
    justify(out, w, text, static_cast<int>(end - text));
}

void fixed_field(char* out, double v)
{
    if (std::isnan(v)) {
        justify(out, fixed_width, "NaN", 3);
    } else if (std::isinf(v)) {
        if (v < 0)
            justify(out, fixed_width, "-Infinity", 9);
        else
            justify(out, fixed_width, "Infinity", 8);
    } else if (std::fabs(v) >= 1e6) {
        std::memset(out, '*', fixed_width);  // at least 7 integer digits: too wide
    } else {
        // the integer part, the point and six decimals, and the sign of
        // every negative value, −0 too
        char text[32];
        char* const end = text + sizeof text;
        const std::uint64_t u = millionths(v);
        char* first = digits(end - 7, u / 1000000, 1);
        end[-7] = '.';
        digits(end, u % 1000000, 6);
        if (std::signbit(v))
            *--first = '-';
        justify(out, fixed_width, first, static_cast<int>(end - first));
    }
}

}  // namespace zorvick::console
