// The logarithm and sine of a midpoint as double-doubles, eight lanes at
// once with AVX-512, and Ziv's rounding test.  Compiled with FMA (and
// AVX-512F, the only instruction set it is built for): this is the one part of
// the program that fuses operations on purpose.  Every FMA below is either
// exact (the error of a product, a reduction step whose result is
// representable) or inside the error bound, and no result leaves here
// unless the rounding test has decided it; lanes that fail go back to the
// C library (fast.cpp).  -ffp-contract=off still holds: only the explicit
// intrinsics fuse.
//
// The rows' terms computed here divide by the midpoint through its
// reciprocal with FMA too, which gives the division's own bits (lanes.hpp).
//
// Like the row kernels, this file includes no library header besides the
// compiler's intrinsics, so that no inline library function is compiled
// with an instruction set that the rest of the program may not assume.

#include <immintrin.h>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/constants.hpp"
#include "quadrature/libm/kernels.hpp"

namespace zorvick::quadrature::libm::avx512 {

namespace {

constexpr int lanes = 8;
typedef double vd __attribute__((vector_size(8 * lanes)));
typedef long long vi __attribute__((vector_size(8 * lanes)));

// hi + lo, and the half-width of its rounding test in units of 2^e.
struct dd {
    vd hi;
    vd lo;
    vd width;
};

vd fma(vd a, vd b, vd c) { return _mm512_fmadd_pd(a, b, c); }

// The indices k … k + 7 of the lanes not in `fine` to the fail list,
// compressed in a register (a compressing store is slow on some CPUs) and
// stored whole: 16 entries from fail + nf are written.
int collect(unsigned fine, int k, int* fail, int nf)
{
    const __mmask16 out = static_cast<__mmask16>(~fine & 0xff);
    const __m512i at = _mm512_add_epi32(_mm512_set1_epi32(k), _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0, 0, 0));
    _mm512_storeu_si512(fail + nf, _mm512_maskz_compress_epi32(out, at));
    return nf + __builtin_popcount(out);
}

// The same for the sixteen lanes k … k + 15 of two vectors at once, with
// their masks f0 (k …) and f1 (k + 8 …): one compress and one store where
// the two vectors would take two each.
int collect2(unsigned f0, unsigned f1, int k, int* fail, int nf)
{
    const __mmask16 out = static_cast<__mmask16>(~((f0 & 0xff) | (f1 & 0xff) << 8));
    const __m512i at = _mm512_add_epi32(_mm512_set1_epi32(k),
                                        _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    _mm512_storeu_si512(fail + nf, _mm512_maskz_compress_epi32(out, at));
    return nf + __builtin_popcount(out);
}

// Lane mask of a == b (false for NaN).
unsigned equal(vd a, vd b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
unsigned within(vd a, double lo, double hi)
{
    return _mm512_cmp_pd_mask(a, _mm512_set1_pd(lo), _CMP_GE_OQ) & _mm512_cmp_pd_mask(a, _mm512_set1_pd(hi), _CMP_LE_OQ);
}

// t[j] for the indices j in 0 … 15, from registers.
[[gnu::always_inline]] inline vd lookup16(const double* t, vi j)
{
    return _mm512_permutex2var_pd(_mm512_load_pd(t), j, _mm512_load_pd(t + 8));
}

// t[j] for the indices j in 0 … 31, from registers.
[[gnu::always_inline]] inline vd lookup(const double* t, vi j)
{
    const __m512i i = j;
    const __m512d lo = _mm512_permutex2var_pd(_mm512_load_pd(t), i, _mm512_load_pd(t + 8));
    const __m512d hi = _mm512_permutex2var_pd(_mm512_load_pd(t + 16), i, _mm512_load_pd(t + 24));
    return _mm512_mask_blend_pd(_mm512_test_epi64_mask(i, _mm512_set1_epi64(16)), lo, hi);
}

vd splat(double d) { return vd{} + d; }
// −v in the lanes of m.
vd flip(vd v, __mmask8 m)
{
    return _mm512_castsi512_pd(_mm512_mask_xor_epi64(_mm512_castpd_si512(v), m, _mm512_castpd_si512(v),
                                                     _mm512_set1_epi64(0x8000000000000000LL)));
}
vi bits(vd v) { return __builtin_bit_cast(vi, v); }
vd real(vi v) { return __builtin_bit_cast(vd, v); }
vd load(const double* p)
{
    vd v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}
void store(double* p, vd v) { __builtin_memcpy(p, &v, sizeof v); }


// ln x for a positive normal x (constants.py derives the steps and bounds).
[[gnu::always_inline]] inline dd log_dd(vd x)
{
    // x = 2^e·y with y in [0.75, 1.5): y = m/2 and e + 1 for m ≥ 1.5.
    const vi j = (bits(x) >> 47) & 31;
    // (The all-lanes masked forms: GCC 12's plain ones warn of an
    // uninitialised operand.)
    const vd y = _mm512_mask_getmant_pd(x, 0xff, x, _MM_MANT_NORM_p75_1p5, _MM_MANT_SIGN_src);
    // e = ⌊log₂(x·4/3)⌋.  With c = fl(4/3) = 4/3 − 2⁻⁵²/3, fl(x·c) reaches
    // 2^(e+1) exactly from x = 1.5·2^e on (there x·c = 2^(e+1) − 2^(e−53),
    // a tie that rounds to the even 2^(e+1)) and stays below it for the
    // double before (x·c = 2^(e+1) − 1.83·2^(e−52)).
    const vd e = _mm512_mask_getexp_pd(x, 0xff, x * splat(4.0 / 3.0));
    const vd c = lookup(log_c, j);
    // y·c = 1 + r + pl exactly: pl is the product's error, and p − 1 is
    // exact for p in [1/2, 2].
    const vd p = y * c;
    const vd pl = fma(y, c, -p);
    const vd r = p - 1.0;
    const vd s = r * r;
    const vd sl = fma(r, r, -s);
    const vd a = r - 0.5 * s;  // |r| > |r²/2|: a fast two-sum
    const vd ae = (r - a) - 0.5 * s;
    // Q(r) by Estrin's scheme in r, s = r², s² (rounding errors far below
    // the bound: the tail is under 2⁻¹³ of the result).
    const vd s2 = s * s;
    const vd q01 = fma(splat(log_q[1]), r, splat(log_q[0]));
    const vd q23 = fma(splat(log_q[3]), r, splat(log_q[2]));
    const vd q45 = fma(splat(log_q[5]), r, splat(log_q[4]));
    const vd q67 = fma(splat(log_q[7]), r, splat(log_q[6]));
    const vd q03 = fma(q23, s, q01);
    const vd q47 = fma(q67, s, q45);
    const vd q = fma(fma(splat(log_q[8]), s2, q47), s2, q03);
    const vd tail = (s * r) * q;
    // log1p(r + pl) − log1p(r) = pl·(1 − r + r²) to 2⁻⁶⁵ of the result.
    const vd w = pl * ((1.0 - r) + s);
    // e·ln2_hi is exact; |e·ln 2| > |ln c| unless e = 0: a fast two-sum.
    const vd k = e * ln2_hi;
    const vd th = lookup(log_t_hi, j);
    const vd ah = k + th;
    const vd ahe = (k - ah) + th;
    // ah + a by Fast2Sum: |ah| ≥ 0.28 where e ≠ 0, and where e = 0 either
    // c = 1 and ah = 0, or |ah| = |ln c| > 2⁻⁶ > |a|.
    const vd hi = ah + a;
    const vd he = a - (hi - ah);
    const vd lo = ((fma(e, splat(ln2_lo), lookup(log_t_lo, j)) + ahe) + he) + ((fma(splat(-0.5), sl, ae) + w) + tail);
    // The guard band by the binade of |ln x| below 1, 1022 − E for the
    // biased exponent E of hi: the permute reads the low four bits of E,
    // and log_width holds the widest band of the binades that share them.
    return {hi, lo, lookup16(log_width, bits(hi) >> 52)};
}

// sin u for 0 < u ≤ sin_umax.
[[gnu::always_inline]] inline dd sin_dd(vd u)
{
    constexpr double round = 0x1.8p52;
    const vd kr = fma(u, splat(inv_pi32), splat(round));
    const vi kb = bits(kr);  // k in the low bits
    const vd k = kr - round;
    // z = u − k·π/32 as zh + zl: the first step is exact (k·pi32_1 has at
    // most 53 bits and the difference is representable), k·pi32_2 is exact
    // too, and |z1| ≥ |k·pi32_2| makes the second step a Fast2Sum.
    const vd z1 = fma(-k, splat(pi32_1), u);
    const vd t = k * pi32_2;
    const vd zh = z1 - t;
    const vd zl = ((z1 - zh) - t) - k * pi32_3;

    const vd z2 = zh * zh;
    const vd z4 = z2 * z2;
    const vd ps = fma(fma(splat(sin_p[3]), z2, splat(sin_p[2])), z4, fma(splat(sin_p[1]), z2, splat(sin_p[0])));
    // sin z = zh + (zl·(1 − z²/2) + z³·P(z²))
    const vd z3 = zh * z2;
    const vd half = 0.5 * z2;
    const vd sl = fma(-half, zl, zl) + fma(z3, ps, z3 * sin_p0_lo);
    const vd pc = fma(fma(splat(cos_p[3]), z2, splat(cos_p[2])), z4, fma(splat(cos_p[1]), z2, splat(cos_p[0])));
    // cos z = 1 − z²/2 + z⁴·P(z²), z² = z2 + z2l exactly to 2⁻¹⁰⁶
    const vd z2l = fma(zh, zh, -z2) + 2.0 * (zh * zl);
    const vd ch = 1.0 - half;
    const vd cl = fma(z4, pc, fma(splat(-0.5), z2l, (1.0 - ch) - half));

    // (S, C) = (sin, cos) of jπ/32, turned by the quadrant q: q = 1 gives
    // (C, −S), q = 2 (−S, −C), q = 3 (−C, S).
    const vi j = kb & 15;
    const __mmask8 odd = _mm512_test_epi64_mask(kb, _mm512_set1_epi64(16));   // q = 1, 3
    const __mmask8 neg = _mm512_test_epi64_mask(kb, _mm512_set1_epi64(32));   // q = 2, 3
    const vd s0h = lookup16(sin_hi, j), s0l = lookup16(sin_lo, j);
    const vd c0h = lookup16(cos_hi, j), c0l = lookup16(cos_lo, j);
    const vd sh = flip(_mm512_mask_blend_pd(odd, s0h, c0h), neg);
    const vd sll = flip(_mm512_mask_blend_pd(odd, s0l, c0l), neg);
    const vd chh = flip(_mm512_mask_blend_pd(odd, c0h, s0h), neg ^ odd);
    const vd cll = flip(_mm512_mask_blend_pd(odd, c0l, s0l), neg ^ odd);

    // S·cos z + C·sin z; |S·cos z| has the larger exponent, or S = 0.
    const vd p = sh * ch;
    const vd pe = fma(sh, ch, -p);
    const vd g = chh * zh;
    const vd ge = fma(chh, zh, -g);
    const vd hi = p + g;
    const vd he = (p - hi) + g;
    const vd lo = ((he + (pe + ge)) + fma(sh, cl, sll * ch)) + fma(chh, sl, cll * zh);
    // The guard band by the distance c·π/32 of u from the nearest multiple
    // of π, c = min(k mod 32, 32 − k mod 32): sin_width is by k mod 32.
    return {hi, lo, lookup(sin_width, kb)};
}

// Ziv's test: when hi + (lo ± d) round alike, no rounding midpoint lies
// within d of the result, and that double is the library's.  d = w·2^e
// for the power of two 2^e ≤ |hi| < 2^(e+1).
[[gnu::always_inline]] inline vd decide(dd v, unsigned& fine)
{
    const vd d = real(bits(v.hi) & 0x7ff0000000000000LL) * v.width;
    const vd up = v.hi + (v.lo + d);
    const vd down = v.hi + (v.lo - d);
    fine &= equal(up, down);
    return up;
}

// Lanes within a closed interval (false for NaN).
[[gnu::always_inline]] inline unsigned between(vd a, double lo, double hi)
{
    return _mm512_cmp_pd_mask(a, splat(lo), _CMP_GE_OQ) & _mm512_cmp_pd_mask(a, splat(hi), _CMP_LE_OQ);
}

// A row's terms at eight midpoints: by the reciprocal yh + yl of the
// midpoints over h, xs = x/h (lanes.hpp), where the bounds hold, as `in`
// says of each midpoint and c says of the row, else by the multiply by h
// and the division.  Both give the same bits; the bounds are checked
// before the division.
[[gnu::always_inline]] inline vd quotient(double t, vd l, vd v, vd x, vd xs, vd yh, vd yl, unsigned in, double h)
{
    const vd c = power<vd, vd>(splat(t), l);
    const bool fast = (in & between(c, recip_cmin, recip_cmax)) == 0xff;
    const vd b = v / c;
    return fast ? divide(b, xs, yh, yl, fma) : (b * h) / x;
}

// The loop of terms() for nb ≤ 8 rows, known here so that their sums stay
// in registers.  Row j's terms go to q[j·count + k], each row's together,
// so that a vector of one row at eight midpoints is one store; the earlier
// terms to add lie the same way, and each row's adds are a chain of its
// own, per of them a step of eight midpoints.  vs, unless null, receives
// u·sin u.
template <int nb, bool recip>
[[gnu::always_inline]] inline int rows(const double* x, const double* lx, int m, double h, const double* t, double* q,
                                       long count, double* vs, const double* add, int na, int per, double* s,
                                       int* fail)
{
    double sj[nb];
    for (int j = 0; j < nb; ++j)
        sj[j] = na > 0 ? s[j] : 0.0;
    // Where the reciprocal may stand for the division: the bounds that
    // hold for a whole call.
    const bool hin = foldable(h);
    int nf = 0;
    int k = 0;
    int a = 0;
    for (; k + lanes <= m; k += lanes) {
        const vd l = load(lx + k);
        const vd u = -l;
        unsigned fine = within(u, 0x1p-1022, sin_umax);
        const vd sn = decide(sin_dd(u), fine);
        const vd v = u * sn;
        if (vs != nullptr)
            store(vs + k, v);
        const vd xv = load(x + k);
        // Each row's own operations, each rounded, in the order of term():
        // only the intrinsics fuse, and the division by the reciprocal
        // gives the division's bits.  The divider works beside the sine's
        // multiplies and adds here, where a separate loop over the rows
        // would leave it to run alone.
        if constexpr (recip) {
            vd yh;
            vd yl;
            const vd xs = xv * splat(1.0 / h);  // exact where hin
            reciprocal(xs, yh, yl, fma);
            const unsigned in =
                hin ? between(xv, recip_xmin, 1.0) & between(_mm512_abs_pd(v), recip_vmin, recip_vmax) : 0;
#pragma GCC unroll 8
            for (int j = 0; j < nb; ++j)
                store(q + j * count + k, quotient(t[j], l, v, xv, xs, yh, yl, in, h));
        } else {
#pragma GCC unroll 8
            for (int j = 0; j < nb; ++j)
                store(q + j * count + k, term<vd, vd>(splat(t[j]), l, v, xv, h));
        }
        nf = collect(fine, k, fail, nf);
        // The adds depend on each other alone, row by row: in this loop
        // their latency hides behind the sine's work, which a loop of adds
        // alone cannot.
        if (a + per <= na) {
#pragma GCC unroll 8
            for (int j = 0; j < nb; ++j)
#pragma GCC unroll 8
                for (int i = 0; i < per; ++i)
                    sj[j] = sj[j] + add[j * count + a + i];
            a += per;
        }
    }
    for (; k < m; ++k)
        fail[nf++] = k;
    if (na > 0)
        for (int j = 0; j < nb; ++j) {
            for (int i = a; i < na; ++i)
                sj[j] = sj[j] + add[j * count + i];
            s[j] = sj[j];
        }
    return nf;
}

// rows() for nb rows.  A row alone divides by x itself: the reciprocal
// would cost a division too.
template <int nb>
int rows_of(const double* x, const double* lx, int m, double h, const double* t, double* q, long count, bool recip,
            double* vs, const double* add, int na, int per, double* s, int* fail)
{
    if (nb > 1 && recip)
        return rows<nb, true>(x, lx, m, h, t, q, count, vs, add, na, per, s, fail);
    return rows<nb, false>(x, lx, m, h, t, q, count, vs, add, na, per, s, fail);
}

}  // namespace

int width() { return lanes; }

// x/h = first + k + ½ (exact) and its reciprocal yh + yl (lanes.hpp), the
// lanes of `in` stored.  The divider has nothing else to do in the
// logarithm's loop.
[[gnu::always_inline]] inline void inverse(vd xs, double* ys, double* yh, double* yl, __mmask8 in = 0xff)
{
    vd rh, rl;
    reciprocal(xs, rh, rl, fma);
    _mm512_mask_storeu_pd(ys, in, xs);
    _mm512_mask_storeu_pd(yh, in, rh);
    _mm512_mask_storeu_pd(yl, in, rl);
}

int logs(double h, long long first, int m, double* x, double* lx, int* fail, double* xs, double* yh, double* yl,
         double* range)
{
    // the least and greatest ln x of the whole vectors, with xs
    vd least = splat(__builtin_inf());
    vd most = -least;
    const vd iota = {0.5, 1.5, 2.5, 3.5, 4.5, 5.5, 6.5, 7.5};
    // Positive normal and below 1, as the midpoints are: checked lane by
    // lane only where the first or the last is not (the products are
    // monotonic in k).
    const double lo = (static_cast<double>(first) + 0.5) * h;
    const double hi = (static_cast<double>(first + m) - 0.5) * h;
    const bool inside = lo >= 0x1p-1022 && hi <= 0x1.fffffffffffffp-1;
    int nf = 0;
    int k = 0;
    // Two vectors a step: their long chains of dependent operations
    // overlap.
    for (; k + 2 * lanes <= m; k += 2 * lanes) {
        // (first + k + ½)·h, exactly: the sum is an integer and a half
        // below 2³¹, h a power of two.
        const vd s0 = splat(static_cast<double>(first + k)) + iota;
        const vd s1 = splat(static_cast<double>(first + k + lanes)) + iota;
        const vd x0 = s0 * h;
        const vd x1 = s1 * h;
        unsigned f0 = inside ? 0xffu : within(x0, 0x1p-1022, 0x1.fffffffffffffp-1);
        unsigned f1 = inside ? 0xffu : within(x1, 0x1p-1022, 0x1.fffffffffffffp-1);
        const dd l0 = log_dd(x0);
        const dd l1 = log_dd(x1);
        store(x + k, x0);
        store(x + k + lanes, x1);
        const vd y0 = decide(l0, f0);
        const vd y1 = decide(l1, f1);
        store(lx + k, y0);
        store(lx + k + lanes, y1);
        nf = collect2(f0, f1, k, fail, nf);
        if (xs != nullptr) {
            inverse(s0, xs + k, yh + k, yl + k);
            inverse(s1, xs + k + lanes, yh + k + lanes, yl + k + lanes);
            least = y0 < least ? y0 : least;
            least = y1 < least ? y1 : least;
            most = y0 > most ? y0 : most;
            most = y1 > most ? y1 : most;
        }
    }
    for (; k + lanes <= m; k += lanes) {
        const vd sv = splat(static_cast<double>(first + k)) + iota;
        const vd xv = sv * h;
        unsigned fine = inside ? 0xffu : within(xv, 0x1p-1022, 0x1.fffffffffffffp-1);
        store(x + k, xv);
        const vd y = decide(log_dd(xv), fine);
        store(lx + k, y);
        nf = collect(fine, k, fail, nf);
        if (xs != nullptr) {
            inverse(sv, xs + k, yh + k, yl + k);
            least = y < least ? y : least;
            most = y > most ? y : most;
        }
    }
    if (xs != nullptr) {
        range[0] = least[0];
        range[1] = most[0];
        for (int i = 1; i < lanes; ++i) {
            range[0] = least[i] < range[0] ? least[i] : range[0];
            range[1] = most[i] > range[1] ? most[i] : range[1];
        }
    }
    if (xs != nullptr && k < m)
        inverse(splat(static_cast<double>(first + k)) + iota, xs + k, yh + k, yl + k,
                static_cast<__mmask8>((1u << (m - k)) - 1));
    for (; k < m; ++k) {
        x[k] = (static_cast<double>(first + k) + 0.5) * h;
        fail[nf++] = k;
    }
    return nf;
}

int sines(const double* lx, int m, double* sn, double* v, int* fail, bool* vin)
{
    // whether every v of a lane that passes the test lies within the
    // bounds of the division through the reciprocal
    unsigned in = 0xff;
    int nf = 0;
    int k = 0;
    for (; k + 2 * lanes <= m; k += 2 * lanes) {
        const vd u0 = -load(lx + k);
        const vd u1 = -load(lx + k + lanes);
        unsigned f0 = within(u0, 0x1p-1022, sin_umax);
        unsigned f1 = within(u1, 0x1p-1022, sin_umax);
        const dd d0 = sin_dd(u0);
        const dd d1 = sin_dd(u1);
        const vd s0 = decide(d0, f0);
        const vd s1 = decide(d1, f1);
        store(sn + k, s0);
        store(sn + k + lanes, s1);
        const vd v0 = u0 * s0;
        const vd v1 = u1 * s1;
        store(v + k, v0);
        store(v + k + lanes, v1);
        in &= (between(_mm512_abs_pd(v0), recip_vmin, recip_vmax) | ~f0) &
              (between(_mm512_abs_pd(v1), recip_vmin, recip_vmax) | ~f1);
        nf = collect2(f0, f1, k, fail, nf);
    }
    for (; k + lanes <= m; k += lanes) {
        const vd u = -load(lx + k);
        unsigned fine = within(u, 0x1p-1022, sin_umax);
        const vd s = decide(sin_dd(u), fine);
        const vd vv = u * s;
        store(sn + k, s);
        store(v + k, vv);
        in &= between(_mm512_abs_pd(vv), recip_vmin, recip_vmax) | ~fine;
        nf = collect(fine, k, fail, nf);
    }
    for (; k < m; ++k)
        fail[nf++] = k;
    if (vin != nullptr)
        *vin = (in & 0xff) == 0xff;
    return nf;
}

int terms(const double* x, const double* lx, int m, double h, const double* t, int r, double* q, long count,
          bool recip, double* v, const double* add, int na, int per, double* s, int* fail)
{
    switch (r) {
    case 1: return rows_of<1>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 2: return rows_of<2>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 3: return rows_of<3>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 4: return rows_of<4>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 5: return rows_of<5>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 6: return rows_of<6>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    case 7: return rows_of<7>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    default: return rows_of<8>(x, lx, m, h, t, q, count, recip, v, add, na, per, s, fail);
    }
}

void raw(const double* in, double* hi, double* lo, int m, bool sine)
{
    for (int k = 0; k + lanes <= m; k += lanes) {
        const dd v = sine ? sin_dd(load(in + k)) : log_dd(load(in + k));
        store(hi + k, v.hi);
        store(lo + k, v.lo);
    }
}

}  // namespace zorvick::quadrature::libm::avx512
