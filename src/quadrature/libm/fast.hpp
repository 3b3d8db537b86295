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

// Rows whose terms are computed in the loop of their sines (below) have
// their divisions overlap the sines' work, in vectors of midpoints; the
// others are computed from the shared part in vectors of rows.  Which pays
// depends on the divider:
//   per_lane    a division takes as long a lane at any width (an Intel
//               Xeon: 0.69 ns a lane for 2, 4 or 8), so vectors of rows
//               cost no more, and more than three rows in the sine's loop
//               outlast its work;
//   per_vector  it takes as long a vector (AMD Zen 5: 1.0 ns for 2, 4 or
//               8 lanes), so a vector of two rows costs as much as one of
//               eight, and only whole vectors of rows pay.
enum class divider { per_lane, per_vector };

// per_vector on AMD's CPUs, per_lane elsewhere.
divider divider_here();

// Of a pass of r rows shared by `workers` threads, the first lead(…) are
// computed in the sine's loop.  per_lane: up to three, else the first two
// (three where the others would be odd were slower for 5, 7 and 11 rows).
// per_vector: all but whole vectors of eight rows, and on more than one
// thread all but whole pairs of them, one for each of two threads: a
// thread alone adds a vector of rows, at two divisions a midpoint, and
// beside one thread adding 8 rows the other has too little to do.  Up to
// most_rows of them carry the adds of one piece into the loop of the next
// (sum).
inline constexpr int most_rows = 3;
inline constexpr int row_vector = 8;  // rows in a vector of rows (AVX-512)
inline constexpr int most_held = 2 * row_vector - 1;
constexpr int lead(int r, divider d, int workers)
{
    if (d == divider::per_lane)
        return r <= most_rows ? r : 2;
    return r % (workers > 1 ? 2 * row_vector : row_vector);
}

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
// every add); for the rows t[0 … r − 1], r ≤ most_held, it writes row j's
// to q[j·qs …], and the shared part to out unless out.x is null.  add
// adds them, s[j] = s[j] + q[j·qs + k] for k = 0 … m − 1
// in order, the rows' chains side by side; sum adds each row's terms to
// s[j] in increasing order, for r ≤ most_rows.
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
