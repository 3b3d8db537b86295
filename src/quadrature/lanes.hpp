#pragma once

// Kernels for the row-dependent part of the midpoint terms, one set per
// vector instruction set, each in a namespace of its own.  Within one call, the
// rows are t[0 … r − 1] and the midpoints those of `points`, in order.
//
// Deliberately free of includes: lanes.cpp is compiled with instruction
// sets beyond the baseline, and must not instantiate library code.

namespace zorvick::quadrature {

// What the division of the terms by their midpoints through the
// reciprocal (below) needs of m midpoints, where the code that computes
// their logarithms and sines has it at hand: xs = x/h and its reciprocal
// yh + yl, m each; whether every x and v lies within the bounds below;
// and the least and greatest ln x, or a range that holds them.
struct reciprocals {
    double* xs;
    double* yh;
    double* yl;
    bool fine;
    double lxlo;
    double lxhi;
};

// m consecutive midpoints x of one pass, with ln x and v = u·sin u for
// u = −ln x: the part of each term that every row shares; and, where the
// caller has them, their reciprocals, else the kernels compute them.
struct points {
    const double* x;
    const double* lx;
    const double* v;
    int m;
    const reciprocals* rec = nullptr;
};

// Rows of a loop whose held terms a sum of rows in vectors adds beside
// them, in the same loop, where the wait of each add on the one before
// hides behind the rows' work: nb < 8 rows, row j's term at midpoint k of
// the call at q[j·count + k], its sum at s[j].
struct beside {
    const double* q;
    long count;
    int nb;
    double* s;
};

// Where a buffer of terms holds row j's term at midpoint k, for the count
// midpoints it holds.  Rows computed in vectors of rows lie side by side,
// at(k, j) = k·step + (j / 8)·group + j % 8: the rows of a midpoint
// together (step ≥ the rows, group = 8), or, for more than eight rows, the
// terms of each group of eight rows together (step = 8), so that adding a
// group's reads only its own.  Rows of the sines' loop, eight at most
// from a multiple of eight on, lie row by row in their group's place:
// at(0, first) + (j − first)·count + k.
struct layout {
    int step;
    long group;
    long count;
    long at(long k, int j) const { return k * step + (j / 8) * group + j % 8; }
};

// The row-dependent part of the term of midpoint x for the parameter t,
// given lx = ln x and v = u·sin u:
//
//   a = t − lx,  c = (a·a·a)²,  term = ((v / c) · h) / x,
//
// each operation rounded on its own, in this order.  V is double, or a
// vector of doubles whose lanes are rows; P is double, or, for one row, a
// vector whose lanes are midpoints.  power() is c, numerator() the term
// before its division by x.
template <class V, class P = double>
inline V power(V t, P lx)
{
    const V a = t - lx;
    V c = a * a;
    c = c * a;  // a³
    return c * c;  // a⁶ as the square of the cube
}

template <class V, class P = double>
inline V numerator(V c, P v, double h)
{
    const V q = v / c;
    return q * h;
}

template <class V, class P = double>
inline V term(V t, P lx, P v, P x, double h)
{
    return numerator<V, P>(power<V, P>(t, lx), v, h) / x;
}

// Division by a midpoint through its reciprocal.  Every row of a pass
// divides by the same midpoint x, so its reciprocal is worth computing once
// for all of them, as yh + yl:
//
//   yh = RN(1/x),  yl = RN(e·yh) with e = 1 − x·yh (exact, one fma),
//
// and each row's a/x is then
//
//   q0 = RN(a·yh + RN(a·yl))   one product and one fma,
//   r  = a − q0·x              one fma, exact,
//   q  = RN(q0 + r·yh)         one fma,
//
// which is RN(a/x), the division's own bits, wherever nothing underflows or
// overflows (the bounds below).
//
// Theorem (Markstein, IBM J. Res. Develop. 34 (1990) 111–119; Muller et
// al., Handbook of Floating-Point Arithmetic, on division with an FMA).  In
// binary floating point of precision p with rounding to nearest, if
// yh = RN(1/x) and q0 is a faithful rounding of z = a/x (one of the two
// floating-point numbers around it), then r = a − q0·x is a floating-point
// number and RN(q0 + r·yh) = RN(z).
//
// Proof.  Scale a and x into [1, 2) by powers of two; let F = 2⁻ᵖ and
// ε = 1 − x·yh, |ε| ≤ x·F/2 (yh is within half an ulp, F/2, of 1/x).
// Let U be the spacing of the numbers around z: 2F for z in [1, 2), F for
// z in [½, 1).  The exact value r = x·(z − q0) is a multiple of U·2F (a of
// 2F, q0·x of U·2F) and below 2U in magnitude, so it has fewer than p
// significant bits.  Then q0 + r·yh = z − η with η = (z − q0)·ε.  Let μ be
// the rounding boundary between the two numbers around z and d = |z − μ|;
// |z − q0| ≤ U/2 + d.  Writing a = A·2F, x = X·2F and μ as an odd multiple
// of U/2, a − μ·x is a non-zero integer multiple of 2F² (z ≥ 1) or F²
// (z < 1), since X has fewer than p factors of 2: d ≥ 2F²/x, or F²/x.  In
// both cases (U/2)·|ε| < d·(1 − |ε|), because x²/4 + x·F/2 < 1 for
// x ≤ 2 − 2F; so |η| ≤ (U/2 + d)·|ε| < d, and z − η rounds as z does (the
// other boundaries are U/4 or more away).  ∎
//
// q0 is faithful: yh + yl = 1/x·(1 + ζ) with |ζ| < 2⁻¹⁰⁴·1.01 (e = ε
// exactly, yl = ε·yh·(1 + δ), 1/x = yh/(1 − ε)), and RN(a·yl) adds at most
// 2⁻¹⁰⁶·|z|, so the fma rounds a value within 2⁻¹⁰³·|z| of z, which can
// only round to a neighbour of z.  (q0 = RN(a·yh) alone, the textbook first
// step, is often not faithful: its r is then not always exact.)
//
// Bounds, for x in [2⁻⁶⁴, 1] and 2⁻⁹⁶⁰ ≤ |a| ≤ 2⁹⁰⁰: yh ≤ 2⁶⁴ and
// |q| ≤ 2⁹⁶⁴, far from overflow; q0 and q are normal; r is an integer
// multiple of ulp(q0)·ulp(x) ≥ 2⁻¹⁰⁶·|a| > 2⁻¹⁰⁷⁴, so exact even where it
// is subnormal; a subnormal RN(a·yl) errs by at most 2⁻¹⁰⁷⁵ < 2⁻¹¹⁴·|z|.
// The kernels check the bounds on a's factors, a = RN(v/c)·h, before the
// division (the check then need not wait for it): |v| in [2⁻¹⁰⁰, 2⁵] and
// x in [2⁻⁶⁴, 1] for each midpoint, h in [2⁻³⁰, 2⁻¹], and c in
// [2⁻⁸⁹⁰, 2⁸²⁰] for each row, which give 2⁻⁹⁵⁰ ≤ |a| ≤ 2⁸⁹⁵.  Elsewhere
// (a zero, subnormal, huge, infinite or NaN a or c, as near a pole or for
// huge t) a lane divides.
//
// The step goes into the reciprocal.  With b = RN(v/c), the term's last
// two operations are RN(RN(b·h)/x).  h is a power of two (1/n), and where
// it lies within its bounds b·h is exact: a = b·h.  Dividing b by
// x' = x/h (exact) through the reciprocal of x' gives the same bits:
// yh' = RN(1/x') = h·yh and yl' = h·yl exactly (e' = 1 − x'·yh' = e), and
// of the sequence above, b·yl' = a·yl, b·yh' = a·yh and r'·yh' = r·yh are
// the same real numbers, r' = b − q0·x' = r/h is exact where r is, so q0
// and q come out as they do for a/x.  The multiply by h goes from every
// row and midpoint to one per midpoint, x' = x·(1/h).
inline constexpr double recip_xmin = 0x1p-64;
inline constexpr double recip_vmin = 0x1p-100;
inline constexpr double recip_vmax = 0x1p5;
inline constexpr double recip_hmin = 0x1p-30;
inline constexpr double recip_hmax = 0x1p-1;
inline constexpr double recip_cmin = 0x1p-890;
inline constexpr double recip_cmax = 0x1p820;

// Whether h is a power of two within the bounds, so that the reciprocals
// may be those of x/h.
inline bool foldable(double h)
{
    return h >= recip_hmin && h <= recip_hmax && (__builtin_bit_cast(unsigned long long, h) & 0xfffffffffffffULL) == 0;
}

// yh and yl of x; fma(a, b, c) = RN(a·b + c), for doubles or vectors.
template <class V, class Fma>
inline void reciprocal(V x, V& yh, V& yl, Fma fma)
{
    yh = 1.0 / x;
    yl = fma(-x, yh, V{} + 1.0) * yh;
}

// RN(a/x) from yh and yl (lanes where the bounds hold).
template <class V, class Fma>
inline V divide(V a, V x, V yh, V yl, Fma fma)
{
    const V q0 = fma(a, yh, a * yl);
    return fma(fma(-q0, x, a), yh, q0);
}

// Rows past a vector of eight that a sum computes across midpoints, each
// row one division a vector of midpoints through the reciprocal, where a
// second vector of rows would take one a midpoint: past five, the second
// vector costs less (measured on AVX-512).
inline constexpr int most_across = 5;

}  // namespace zorvick::quadrature

// Each kernel set:
//   width()  doubles per vector;
//   terms    the terms term(t[j], x_k) of the rows j < r at the midpoints
//            of p, to q as the layout places them (lanes past row r − 1
//            may get copies, within the rows' group of eight);
//   sum      the same terms added to s[j] in order, j < r, and in the
//            same loop the terms of the rows b beside them; for 8 + 1 to
//            8 + most_across rows, those past the first eight through
//            across, beside the first eight;
//   across   the same terms to q[j·count + k], each row in vectors of
//            midpoints, through the reciprocals of p where it has them
//            (and they hold for every midpoint), else by the division;
//   add      s[j] = s[j] + q[k·stride + j] for k = 0 … m − 1 in order and
//            j < width (1, 2, 4 or a multiple of 8), the rows side by side
//            in vector lanes;
//   grouped  the same for every lane of `groups` groups of eight laid out
//            each its own, `group` doubles apart: s[8g + j] = s[8g + j] +
//            q[g·group + 8k + j];
//   mixed    the same for one group of eight, q[8k + j] into s[j], and
//            nb < 8 rows of the sines' loop, lq[j·count + k] into s[8 + j].
#define ZORVICK_DECLARE_LANES(isa)                                                 \
    namespace zorvick::quadrature::isa {                                          \
    int width();                                                                   \
    void terms(const points& p, double h, const double* t, int r, double* q, layout l); \
    void sum(const points& p, double h, const double* t, int r, double* s, beside b);  \
    void across(const points& p, double h, const double* t, int r, double* q, long count); \
    void add(const double* q, int m, int stride, int width, double* s);            \
    void grouped(const double* q, int m, long group, int groups, double* s);       \
    void mixed(const double* q, int m, const double* lq, long count, int nb, double* s); \
    }

ZORVICK_DECLARE_LANES(base)
ZORVICK_DECLARE_LANES(avx2)
ZORVICK_DECLARE_LANES(avx512)

#undef ZORVICK_DECLARE_LANES
