#pragma once

// The C library's logarithm and sine of the midpoints, several at a time.
// A vector kernel computes ln x and then sin u, u = −ln x, as
// double-doubles with a proven error bound, and Ziv's rounding test keeps
// a lane's result only when the exact value lies further than a guard band
// from every rounding midpoint; there the library, whose error is known to
// stay within the band, returns that same double.  The lanes that fail (a
// few percent) are computed by std::log and std::sin.  So each value is the
// library's bit for bit; the slow tests check it for every midpoint of
// every pass.

#include <cstddef>
#include <cstdint>

#include "quadrature/lanes.hpp"

namespace zorvick::quadrature::libm {

// library: std::log and std::sin for every value; avx512: the kernels,
// eight lanes at once.  (With AVX2 they did not pay: kernels.hpp.)
enum class set { library, avx512 };

// Whether this CPU can run the set and the build has it: a build
// configured with ZORVICK_FAST_LIBM=OFF has only the library.
bool supported(set s);

// avx512 where supported, else library.
set fastest();

// Values left to the library, for the benchmarks.
struct fallbacks {
    std::int64_t logs;
    std::int64_t sines;
};

// For the midpoints first … first + m − 1 (counted from 0) of the pass with
// spacing h, a power of two: x[k] = (first + k + ½)·h, exactly, and
// lx[k] = std::log(x[k]) and v[k] = u·std::sin(u) for u = −lx[k], bit for
// bit; also sn[k] = std::sin(u) unless sn is null.  With rec, also what
// the division through the reciprocal needs of these midpoints
// (lanes.hpp), where the set computes it beside the logarithms and sines,
// as the kernels do (the divider is idle there); elsewhere rec->xs
// becomes null.
fallbacks evaluate(set s, double h, std::int64_t first, int m, double* x, double* lx, double* v,
                   double* sn = nullptr, reciprocals* rec = nullptr);

// Where terms() also leaves the shared part of the midpoints, as evaluate
// gives it: x, lx and v, m each.
struct shared {
    double* x;
    double* lx;
    double* v;
};

// The terms (lanes.hpp) of the rows t[0 … r − 1], r ≤ 8, at the midpoints
// first … first + m − 1, from the shared part that evaluate gives, bit for
// bit, to q[j·count + k], each row's together.  They are computed in the
// loop of the sines, eight midpoints to a vector, where the rows'
// divisions overlap the sines' work; with recip, more than one row divide
// through the midpoint's reciprocal (lanes.hpp).  In the same loop, na
// earlier terms of each row are added in order,
// s[j] = s[j] + add[j·count + i] for i = 0 … na − 1: their adds are chains
// of dependent operations that would leave the CPU idle on their own.
// per/8 (1 or 2) of them a row and midpoint go in the loop, the rest
// after it.  With `out`, the shared part goes there too, for rows
// computed after the loop.
void terms(set f, double h, std::int64_t first, int m, const double* t, int r, double* q, long count, bool recip,
           const double* add = nullptr, int na = 0, int per = 8, double* s = nullptr, shared out = {});

// The binade of |y| below 1, 0 for [½, ∞) up to 31 for [2⁻³², 2⁻³¹) and
// below, as the logarithm kernel reckons it to choose its guard band.
int binade_class(double y);

// The distance of u ≥ 0 from the nearest multiple of π in steps of π/32,
// 0 … 16, as the sine kernel reckons it to choose its guard band.
int distance_class(double u);

// The kernel's double-doubles before the rounding test (sine: of in[k]
// as u), for the measurement of the library's error; m a multiple of 8.
// False, with nothing done, where the kernels are not supported.
bool raw(const double* in, double* hi, double* lo, int m, bool sine);

}  // namespace zorvick::quadrature::libm
