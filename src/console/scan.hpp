#pragma once

// Scanner of one value of a free-form input list, fed a character at a time
// so that a value of any length (megabytes of digits) takes bounded memory.
//
// Real values (tmin, tmax):
//   "2" "-1.5" ".5" "5." "1e3" "1.5D+2" -> 150  "1.5+1" -> 15  "2q-1" -> 0.2
//   "inf" "-Infinity" "NaN" "nan(abc)"        IEEE infinities and NaN
//   "1e400" -> inf   "1e-400" -> 0             out of range is not an error
//   "." "1e" "1e+" "+" "Infin" "0x10" "1.5;" "1.5*2"    bad real number
// Integer values (nt):
//   "3" "+3" "-2147483648"
//   "3." "3.0" "1e2" "NaN" "3abc"              bad integer
// A value is converted to the nearest double (ties to even) from its
// leading maxdig significant digits; any non-zero digit beyond them sets a
// sticky digit, which keeps the rounding correct: no double and no midpoint
// between two doubles has more than 767 significant decimal digits.

#include <cstdint>

namespace zorvick::console {

enum class kind { real, integer };

enum class state {
    start,    // nothing yet
    sign,     // "+" or "-"
    whole,    // digits before any point
    frac,     // after the decimal point
    explet,   // exponent letter E, D or Q
    expsign,  // exponent sign, after the letter or directly after a digit
    expo,     // exponent digits
    word,     // letters of inf, infinity or nan
    tag,      // inside the parentheses of nan(...)
    tagged,   // after the closing parenthesis
    bad,      // cannot become a value of its kind any more
};

inline constexpr int maxdig = 800;

struct scan {
    kind want = kind::real;
    state at = state::start;
    bool sgn = false;      // a sign was written
    bool neg = false;
    bool anydig = false;   // at least one mantissa digit
    bool sticky = false;   // a non-zero digit beyond maxdig was dropped
    bool eneg = false;
    int ndig = 0;          // significant digits kept in digits
    int nword = 0;
    std::int64_t dexp = 0; // |value| = 0.d₁d₂… × 10^(dexp ± e), d₁ ≠ 0
    std::int64_t e = 0;    // exponent magnitude, saturating
    char word[8] = {};
    char digits[maxdig] = {};
};

scan start(kind want);

// Takes the next character of the value; false once the value is bad.
bool feed(scan& s, char c);

// The characters fed so far form a whole value of the wanted kind.
bool complete(const scan& s);

// Only unsigned digits so far: an asterisk next makes them a repeat count.
bool counting(const scan& s);

// Magnitude of a value of integer form, saturated at 10¹²
// (anything above the 32-bit range reads as overflow).
std::int64_t magnitude(const scan& s);

// The nearest double to a complete real value.
double real(const scan& s);

}  // namespace zorvick::console
