#pragma once

// Free-form list input of the three parameters tmin, tmax (reals) and nt
// (a signed 32-bit integer).  Input is read as a stream, one character at a
// time, and reading stops as soon as the third value ends: the rest of its
// record is never read.
//
//   "1 2 3"  "1,2,3"  "1.0d0, 2.0E0 , 3"  "1\n,2,3"  "\n\n1\r\n2\r\n3"   -> 1 2 3
//   "2*1.5 3"  -> 1.5 1.5 3         "1 2 2*3" -> 1 2 3 (extra copies dropped)
//   "1 2 3/"  "1 2 3 4 5"  "1 2 3,abc"                              -> 1 2 3
//
// Separators are a comma, runs of blanks (space, tab, carriage return) and
// line ends, and a slash, which ends the list.  A comma with the blanks and
// line ends around it is one separator.  r*c stands for r copies of c
// (1 ≤ r ≤ 200000000), read once as the kind of the item taking the first
// copy.  Because no item has a value before the read, a null value (a comma
// after a comma or at the start, or r* with nothing after the asterisk) and
// a slash before the third value are errors.

#include <cstdint>
#include <cstdio>

namespace zorvick::console {

struct params {
    double tmin = 0.0;
    double tmax = 0.0;
    std::int32_t nt = 0;
};

enum class cause {
    none,
    bad_real,          // a real item's value is not a decimal number or Inf/NaN
    bad_integer,       // nt's value is not an optionally signed digit string
    integer_overflow,  // nt outside −2147483648 … 2147483647
    zero_repeat,       // 0*c
    repeat_overflow,   // r*c with r above 200000000
    real_for_integer,  // a copy of a repeated real value falls to nt
    no_value,          // a null value or a slash leaves an item without value
    end_of_file,       // input ends before the third value
    system,            // the stream failed; err holds errno
};

struct readout {
    params p;
    cause why = cause::none;
    int item = 0;  // 1 … 3 for the causes that name an item
    int err = 0;
};

// A stream that failed with errno e.
inline readout system_error(int e) { return {{}, cause::system, 0, e}; }

inline constexpr std::int64_t maxrepeat = 200'000'000;

readout read_parameters(std::FILE* in);

}  // namespace zorvick::console
