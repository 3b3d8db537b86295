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
// bit; also sn[k] = std::sin(u) unless sn is null.
fallbacks evaluate(set s, double h, std::int64_t first, int m, double* x, double* lx, double* v,
                   double* sn = nullptr);

// Most rows whose terms are computed in the loop of their sines (below):
// with more, the divisions outlast the sines' work (workers.cpp).  Of a
// pass of r rows, the first lead(r) are, and the others are computed from
// the shared part in vectors of rows.  (Three leading rows where the others
// would be odd were slower on one CPU, for 5, 7 and 11 rows.)
inline constexpr int most_rows = 3;
constexpr int lead(int r) { return r <= most_rows ? r : 2; }

// Where the shared part goes, when it is wanted beside the terms.
struct part {
    double* x;
    double* lx;
    double* v;
};

// Rows' terms (lanes.hpp) at the midpoints first … first + m − 1 from the
// shared part that evaluate gives, bit for bit, computed in the loop of
// the sines, where the divisions overlap the sines' work.  For a row alone,
// terms writes them to q[0 … m − 1] and returns s0 + add[0] + … +
// add[na − 1], added in order while the terms are computed (na ≤ 2m hides
// every add); for the rows t[0 … r − 1], r ≤ most_rows, it writes row j's
// to q[j·qs …], and the shared part to out unless out.x is null.  add
// adds them, s[j] = s[j] + q[j·qs + k] for k = 0 … m − 1
// in order, the rows' chains side by side; sum adds each row's terms to
// s[j] in increasing order.
double terms(set s, double h, std::int64_t first, int m, double t, double* q, const double* add = nullptr,
             std::int64_t na = 0, double s0 = 0.0);
void terms(set s, double h, std::int64_t first, int m, const double* t, int r, double* q, std::size_t qs,
           part out = {});
void add(const double* q, std::size_t qs, int m, int r, double* s);
void sum(set f, double h, std::int64_t first, int m, const double* t, int r, double* s);

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
