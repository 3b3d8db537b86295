#include "console/field.hpp"

#include <charconv>
#include <cmath>
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
        // std::to_chars in fixed notation rounds the exact binary value to
        // the requested digits, ties to even, and keeps the sign of −0.
        char text[32];
        const char* end = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 6).ptr;
        justify(out, fixed_width, text, static_cast<int>(end - text));
    }
}

}  // namespace zorvick::console
