// Fuzz target for the list reader, fed from memory.  Besides crashes and
// sanitizer reports it checks properties that a wrong reader would break:
//  - once the three values are read, what follows cannot change the result;
//  - a blank separator widened to any run of blanks, tabs, line ends and
//    CR LF, or a comma widened to " , ", does not change the result;
//  - a double written with 17 significant digits, with an E, D or Q
//    exponent or a sign-only exponent, reads back to the same bits.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/listin.hpp"

namespace {

using zorvick::console::readout;

struct reading {
    readout got;
    long consumed;  // bytes the reader took from the stream
};

reading read(const std::string& text)
{
    std::FILE* in = text.empty() ? std::fopen("/dev/null", "r")
                                 : fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (in == nullptr)
        std::abort();
    reading r{zorvick::console::read_parameters(in), std::ftell(in)};
    std::fclose(in);
    return r;
}

bool same(const readout& a, const readout& b)
{
    const auto bits = [](double v) { return std::isnan(v) ? ~0ull : std::bit_cast<std::uint64_t>(v); };
    return a.why == b.why && a.item == b.item && bits(a.p.tmin) == bits(b.p.tmin) &&
           bits(a.p.tmax) == bits(b.p.tmax) && a.p.nt == b.p.nt;
}

void expect(bool ok, const char* property, const std::string& text)
{
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %s\ninput (%zu bytes): %.200s\n", property, text.size(), text.c_str());
    std::abort();
}

void rest_is_ignored(const std::string& text, const reading& r)
{
    if (r.got.why != zorvick::console::cause::none)
        return;
    const std::string head = text.substr(0, static_cast<std::size_t>(r.consumed));
    expect(same(read(head).got, r.got), "the input after the third value matters", text);
    expect(same(read(head + "\n,,/ 0*x\n" + text).got, r.got), "later records matter", text);
}

void separators_widen(const std::string& text, const reading& r, std::uint8_t pick)
{
    static const char* const runs[] = {" \t ", "\n", "\r\n", "\n\n\t\r\n  "};
    for (std::size_t k = 0, seen = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c != ' ' && c != ',')
            continue;
        if (seen++ != pick % 8)
            continue;
        const std::string wide = c == ',' ? " , " : runs[pick / 8 % 4];
        const std::string changed = text.substr(0, k) + wide + text.substr(k + 1);
        expect(same(read(changed).got, r.got), "widening a separator changes the result", text);
        return;
    }
}

void doubles_round_trip(const std::uint8_t* data, std::size_t size)
{
    if (size < 9)
        return;
    double v;
    std::memcpy(&v, data + 1, sizeof v);
    if (!std::isfinite(v))
        return;
    char text[64];
    std::snprintf(text, sizeof text, "%.16e", v);  // 17 significant digits
    std::string s = text;
    const std::size_t e = s.find('e');
    switch (data[0] % 4) {
    case 0: break;
    case 1: s[e] = 'D'; break;
    case 2: s[e] = 'q'; break;
    case 3: s.erase(e, 1); break;  // "1.5e+01" -> "1.5+01"
    }
    const reading r = read(s + " 0 1");
    expect(r.got.why == zorvick::console::cause::none &&
               std::bit_cast<std::uint64_t>(r.got.p.tmin) == std::bit_cast<std::uint64_t>(v),
           "a 17-digit double does not read back to its bits", s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const reading r = read(text);
    rest_is_ignored(text, r);
    separators_widen(text, r, size > 0 ? data[0] : 0);
    doubles_round_trip(data, size);
    return 0;
}
