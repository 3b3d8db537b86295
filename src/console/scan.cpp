#include "console/scan.hpp"

#include <charconv>
#include <limits>
#include <string_view>
#include <system_error>

namespace zorvick::console {

namespace {

// Bound on the decimal exponent and digit-position counters: far beyond
// the double range, far below the int64 range, so sums cannot overflow.
constexpr std::int64_t cap = 1'000'000'000'000'000;

bool digit(char c) { return c >= '0' && c <= '9'; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool exponent_letter(char c)
{
    const char l = static_cast<char>(c | 0x20);
    return l == 'e' || l == 'd' || l == 'q';
}
bool sign(char c) { return c == '+' || c == '-'; }

std::string_view spelled(const scan& s) { return {s.word, static_cast<std::size_t>(s.nword)}; }

// A significant digit: leading zeros never reach here.
void keep(scan& s, char c)
{
    if (s.ndig < maxdig)
        s.digits[s.ndig++] = c;
    else if (c != '0')
        s.sticky = true;
}

void mantissa_digit(scan& s, char c)
{
    s.anydig = true;
    const bool leading = s.ndig == 0 && c == '0';
    if (s.at == state::whole) {
        if (!leading) {
            keep(s, c);
            if (s.dexp < cap)
                ++s.dexp;
        }
    } else if (leading) {
        if (s.dexp > -cap)
            --s.dexp;  // 0.00d… : each zero after the point lowers the exponent
    } else {
        keep(s, c);
    }
}

state in_word(scan& s, char c)
{
    if (c == '(' && spelled(s) == "nan")
        return state::tag;
    if (!letter(c) || s.nword == sizeof s.word)
        return state::bad;
    s.word[s.nword++] = static_cast<char>(c | 0x20);
    const std::string_view w = spelled(s);
    const bool prefix = std::string_view("infinity").starts_with(w) || std::string_view("nan").starts_with(w);
    return prefix ? state::word : state::bad;
}

state after_sign_or_start(scan& s, char c)
{
    if (digit(c)) {
        s.at = state::whole;
        mantissa_digit(s, c);
        return state::whole;
    }
    if (s.want == kind::integer)
        return state::bad;
    if (c == '.')
        return state::frac;
    return in_word(s, c);
}

state after_mantissa(scan& s, char c)
{
    if (digit(c)) {
        mantissa_digit(s, c);
        return s.at;
    }
    if (s.want == kind::integer)
        return state::bad;
    if (c == '.' && s.at == state::whole)
        return state::frac;
    if (!s.anydig)
        return state::bad;
    if (exponent_letter(c))
        return state::explet;
    if (sign(c)) {
        s.eneg = c == '-';
        return state::expsign;
    }
    return state::bad;
}

}  // namespace

scan start(kind want)
{
    scan s;
    s.want = want;
    return s;
}

bool feed(scan& s, char c)
{
    switch (s.at) {
    case state::start:
        if (sign(c)) {
            s.sgn = true;
            s.neg = c == '-';
            s.at = state::sign;
        } else {
            s.at = after_sign_or_start(s, c);
        }
        break;
    case state::sign:
        s.at = after_sign_or_start(s, c);
        break;
    case state::whole:
    case state::frac:
        s.at = after_mantissa(s, c);
        break;
    case state::explet:
        if (sign(c)) {
            s.eneg = c == '-';
            s.at = state::expsign;
            break;
        }
        [[fallthrough]];
    case state::expsign:
    case state::expo:
        if (digit(c)) {
            if (s.e < cap)
                s.e = s.e * 10 + (c - '0');
            s.at = state::expo;
        } else {
            s.at = state::bad;
        }
        break;
    case state::word:
        s.at = in_word(s, c);
        break;
    case state::tag:
        if (c == ')')
            s.at = state::tagged;
        else if (!(letter(c) || digit(c) || c == '_'))
            s.at = state::bad;
        break;
    case state::tagged:
    case state::bad:
        s.at = state::bad;
        break;
    }
    return s.at != state::bad;
}

bool complete(const scan& s)
{
    switch (s.at) {
    case state::whole:
        return true;
    case state::frac:
        return s.anydig;
    case state::expo:
    case state::tagged:
        return true;
    case state::word: {
        const std::string_view w = spelled(s);
        return w == "inf" || w == "infinity" || w == "nan";
    }
    default:
        return false;
    }
}

bool counting(const scan& s) { return s.at == state::whole && !s.sgn; }

std::int64_t magnitude(const scan& s)
{
    constexpr std::int64_t big = 1'000'000'000'000;
    if (s.dexp > 12)
        return big;
    std::int64_t m = 0;
    for (int k = 0; k < s.dexp; ++k)
        m = m * 10 + (s.digits[k] - '0');
    return m < big ? m : big;
}

double real(const scan& s)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    double v = 0.0;
    if (s.at == state::word || s.at == state::tagged) {
        v = spelled(s).starts_with("nan") ? std::numeric_limits<double>::quiet_NaN() : inf;
    } else if (s.ndig > 0) {
        // |value| lies in [10^(p−1), 10^p): beyond 10^310 or below 10^−330
        // the nearest double is infinity or zero.
        const std::int64_t p = s.dexp + (s.eneg ? -s.e : s.e);
        if (p > 310) {
            v = inf;
        } else if (p >= -330) {
            char text[maxdig + 32];
            char* end = text;
            for (int k = 0; k < s.ndig; ++k)
                *end++ = s.digits[k];
            if (s.sticky)
                *end++ = '1';
            *end++ = 'e';
            end = std::to_chars(end, text + sizeof text, p - (end - 1 - text)).ptr;
            const auto [ptr, ec] = std::from_chars(text, end, v);
            if (ec == std::errc::result_out_of_range)
                v = p > 0 ? inf : 0.0;
        }
    }
    return s.neg ? -v : v;
}

}  // namespace zorvick::console
