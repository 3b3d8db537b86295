// Fuzz target for the field editing.  Every fixed-point field is 12
// characters and is twelve asterisks, NaN, Infinity or -Infinity, or a
// number that reads back within half a unit of its sixth decimal of the
// value, with a minus sign exactly when the sign bit is set; asterisks only
// when the number cannot fit.  Integer fields agree with printf.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/field.hpp"

namespace {

void expect(bool ok, const char* property, double v, const std::string& field)
{
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %s\nvalue %a (%.17g) gave \"%s\"\n", property, v, v, field.c_str());
    std::abort();
}

void check_fixed(double v)
{
    char out[zorvick::console::fixed_width + 1] = {};
    zorvick::console::fixed_field(out, v);
    const std::string f = out;
    expect(f.size() == 12, "width is not 12", v, f);
    const std::string text = f.substr(f.find_first_not_of(' '));
    expect(f.find_first_not_of(' ') == 12 - text.size() || text == std::string(12, '*'),
           "not right-justified", v, f);
    if (std::isnan(v)) {
        expect(text == "NaN", "NaN", v, f);
    } else if (std::isinf(v)) {
        expect(text == (v > 0 ? "Infinity" : "-Infinity"), "infinity", v, f);
    } else if (text == std::string(12, '*')) {
        // only when the rounded value needs 13 places
        expect(v >= 99999.9999995 || v <= -9999.9999995, "asterisks for a value that fits", v, f);
    } else {
        char* end = nullptr;
        const long double back = std::strtold(text.c_str(), &end);
        expect(*end == '\0' && text.size() - text.find('.') == 7, "not a number with six decimals", v, f);
        // an exact tie is exactly half a unit away; allow only the read-back rounding
        expect(std::fabs(back - static_cast<long double>(v)) <= 5e-7L + std::fabs(v) * 1e-15L,
               "off by more than half a unit", v, f);
        expect((text[0] == '-') == static_cast<bool>(std::signbit(v)), "sign does not follow the sign bit", v, f);
    }
}

void check_integer(std::int64_t v, int w)
{
    char out[16] = {};
    zorvick::console::integer_field(out, w, v);
    char want[32];
    std::snprintf(want, sizeof want, "%*lld", w, static_cast<long long>(v));
    const std::string expected = std::strlen(want) > static_cast<std::size_t>(w) ? std::string(w, '*') : want;
    if (std::string(out, static_cast<std::size_t>(w)) != expected) {
        std::fprintf(stderr, "integer field %lld width %d gave \"%.*s\"\n", static_cast<long long>(v), w, w, out);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t k = 0; k + 8 <= size; k += 8) {
        double v;
        std::memcpy(&v, data + k, sizeof v);
        check_fixed(v);
        std::int64_t i;
        std::memcpy(&i, data + k, sizeof i);
        check_integer(i, data[k] % 2 ? 4 : 15);
        check_integer(i % 100000, 4);
    }
    return 0;
}
