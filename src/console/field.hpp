#pragma once

// Editing of the numeric fields of a table row.  Both write exactly w
// characters and never depend on the locale.

#include <cstdint>

namespace zorvick::console {

// Integer field of width w: the decimal digits, with a minus sign when
// negative, right-justified; w asterisks when they need more than w places.
void integer_field(char* out, int w, std::int64_t v);

// Fixed-point field of width 12 with 6 decimals: the exact binary value
// rounded to the nearest multiple of 10⁻⁶, ties to even; a minus sign for
// every value with its sign bit set (so −0.0 and −4e−7 give "-0.000000");
// "NaN", "Infinity" or "-Infinity"; twelve asterisks when the number needs
// more than 12 places (it rounds to 100000 or more, or to −10000 or less).
inline constexpr int fixed_width = 12;
void fixed_field(char* out, double v);

}  // namespace zorvick::console
