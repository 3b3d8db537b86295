// The part of a midpoint term that depends on the row, for several rows at
// once: lane j of a vector is row j, and each lane's sum runs over the
// midpoints in increasing order, so every lane performs exactly the
// sequential operations of its own row.  Compiled once per instruction set
// (LANES doubles to a vector, ISA the namespace) with the build's
// -ffp-contract=off: vector code keeps every multiply and divide separately
// rounded, as the scalar definition does.  Where the set has a fused
// multiply-add (AVX2 and AVX-512 with FMA, Advanced SIMD), the division by
// the midpoint goes through its reciprocal (lanes.hpp), which gives the
// division's bits; the explicit fma() below is the only fused operation.
//
// This file includes no library header, only the compiler's intrinsics, so
// that no inline library function is compiled here with an instruction set
// that the rest of the program may not assume.

#if defined(__x86_64__) && defined(__FMA__)
#include <immintrin.h>
#define ZORVICK_RECIPROCAL 1
#elif defined(__aarch64__)
#include <arm_neon.h>
#define ZORVICK_RECIPROCAL 1
#endif

#include "quadrature/lanes.hpp"

namespace zorvick::quadrature::ZORVICK_ISA {

namespace {

constexpr int lanes = ZORVICK_LANES;

// Midpoints whose reciprocals a call holds at once.
constexpr int block = 512;

// Vectors of w doubles (a dependent vector_size is not taken in an alias).
template <int w>
struct vector;
template <>
struct vector<2> {
    typedef double type __attribute__((vector_size(16)));
};
template <>
struct vector<4> {
    typedef double type __attribute__((vector_size(32)));
};
template <>
struct vector<8> {
    typedef double type __attribute__((vector_size(64)));
};
template <int w>
using vec = typename vector<w>::type;

// Rows 0 … w − 1 of p; lanes past row r − 1 repeat its t and are never
// stored back.
template <int w>
vec<w> load(const double* p, int r)
{
    double d[w];
    for (int j = 0; j < w; ++j)
        d[j] = p[j < r ? j : r - 1];
    vec<w> v;
    __builtin_memcpy(&v, d, sizeof v);
    return v;
}

template <int w>
void put(double* p, vec<w> v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

// d in every lane.
template <int w>
vec<w> splat(double d)
{
    vec<w> v;
    for (int j = 0; j < w; ++j)
        v[j] = d;
    return v;
}

template <int w>
vec<w> get(const double* p)
{
    vec<w> v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

#ifdef ZORVICK_RECIPROCAL
// RN(a·b + c) in each lane, |a|, and whether lo ≤ a ≤ hi in every lane
// (not for NaN).
#if defined(__x86_64__)
vec<2> fma(vec<2> a, vec<2> b, vec<2> c) { return _mm_fmadd_pd(a, b, c); }
vec<4> fma(vec<4> a, vec<4> b, vec<4> c) { return _mm256_fmadd_pd(a, b, c); }
[[maybe_unused]] vec<2> magnitude(vec<2> a) { return _mm_andnot_pd(_mm_set1_pd(-0.0), a); }
[[maybe_unused]] vec<4> magnitude(vec<4> a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
bool between(vec<2> a, double lo, double hi)
{
    return _mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(a, _mm_set1_pd(lo)), _mm_cmple_pd(a, _mm_set1_pd(hi)))) == 3;
}
bool between(vec<4> a, double lo, double hi)
{
    return _mm256_movemask_pd(_mm256_and_pd(_mm256_cmp_pd(a, _mm256_set1_pd(lo), _CMP_GE_OQ),
                                            _mm256_cmp_pd(a, _mm256_set1_pd(hi), _CMP_LE_OQ))) == 15;
}
#ifdef __AVX512F__
vec<8> fma(vec<8> a, vec<8> b, vec<8> c) { return _mm512_fmadd_pd(a, b, c); }
[[maybe_unused]] vec<8> magnitude(vec<8> a) { return _mm512_abs_pd(a); }
bool between(vec<8> a, double lo, double hi)
{
    return (_mm512_cmp_pd_mask(a, _mm512_set1_pd(lo), _CMP_GE_OQ) &
            _mm512_cmp_pd_mask(a, _mm512_set1_pd(hi), _CMP_LE_OQ)) == 0xff;
}
#endif
#else
float64x2_t neon(vec<2> a) { return __builtin_bit_cast(float64x2_t, a); }
vec<2> fma(vec<2> a, vec<2> b, vec<2> c) { return __builtin_bit_cast(vec<2>, vfmaq_f64(neon(c), neon(a), neon(b))); }
[[maybe_unused]] vec<2> magnitude(vec<2> a) { return __builtin_bit_cast(vec<2>, vabsq_f64(neon(a))); }
bool between(vec<2> a, double lo, double hi)
{
    const uint64x2_t in = vandq_u64(vcgeq_f64(neon(a), vdupq_n_f64(lo)), vcleq_f64(neon(a), vdupq_n_f64(hi)));
    return (vgetq_lane_u64(in, 0) & vgetq_lane_u64(in, 1)) != 0;
}
#endif

// (for the midpoints past a row's last vector across midpoints)
double fma(double a, double b, double c) { return __builtin_fma(a, b, c); }

// fma() for the templates of lanes.hpp, which take it as an argument.
constexpr auto fused = [](auto a, auto b, auto c) { return fma(a, b, c); };

// xs = x/h and its reciprocal yh + yl for the midpoints x[0 … m − 1]
// (m ≤ block), unless p has them, and the least and greatest ln x among
// them; or false, the reciprocals not to be used, if one of them, its v or
// h lies outside the bounds of the division by the reciprocal.
bool inverses(const points& p, double h, double* xs, double* yh, double* yl, double& lxlo, double& lxhi)
{
    if (p.rec != nullptr) {
        lxlo = p.rec->lxlo;
        lxhi = p.rec->lxhi;
        return p.rec->fine && foldable(h);
    }
    vec<lanes> lo = splat<lanes>(p.lx[0]);
    vec<lanes> hi = lo;
    // lanes within the bounds so far (false for NaN), tested once at the
    // end: branches in the loop cost more than the rare early way out
    auto in = lo == lo || lo != lo;
    if (!foldable(h))
        return false;
    const vec<lanes> hinv = splat<lanes>(1.0 / h);  // exact
    for (int k = 0; k < p.m; k += lanes) {
        vec<lanes> xv;
        vec<lanes> vv;
        vec<lanes> lv;
        if (k + lanes <= p.m) {
            xv = get<lanes>(p.x + k);
            vv = get<lanes>(p.v + k);
            lv = get<lanes>(p.lx + k);
        } else {
            double d[lanes];
            double e[lanes];
            double f[lanes];
            for (int i = 0; i < lanes; ++i) {
                d[i] = k + i < p.m ? p.x[k + i] : 1.0;
                e[i] = k + i < p.m ? p.v[k + i] : 1.0;
                f[i] = k + i < p.m ? p.lx[k + i] : p.lx[0];
            }
            xv = get<lanes>(d);
            vv = get<lanes>(e);
            lv = get<lanes>(f);
        }
        lo = lv < lo ? lv : lo;
        hi = lv > hi ? lv : hi;
        const vec<lanes> mv = magnitude(vv);
        in = in & (xv >= recip_xmin) & (xv <= 1.0) & (mv >= recip_vmin) & (mv <= recip_vmax);
        vec<lanes> rh, rl;
        const vec<lanes> sv = xv * hinv;
        reciprocal(sv, rh, rl, fused);
        put<lanes>(xs + k, sv);
        put<lanes>(yh + k, rh);
        put<lanes>(yl + k, rl);
    }
    for (int i = 0; i < lanes; ++i)
        if (!in[i])
            return false;
    lxlo = lo[0];
    lxhi = hi[0];
    for (int i = 1; i < lanes; ++i) {
        lxlo = lo[i] < lxlo ? lo[i] : lxlo;
        lxhi = hi[i] > lxhi ? hi[i] : lxhi;
    }
    return true;
}
#endif

// The midpoints of a block over h and their reciprocals, or null for the
// division, and the range of their logarithms.
struct inverse {
    const double* xs;
    const double* yh;
    const double* yl;
    double lxlo;
    double lxhi;
};

// The terms of the rows in tv at midpoint k; through the reciprocal of
// x/h, the step folded in (lanes.hpp), where it is given and c lies within
// its bounds.
template <int w>
[[gnu::always_inline]] inline vec<w> term_at(vec<w> tv, const points& p, int k, double h, [[maybe_unused]] inverse y)
{
    const vec<w> c = power<vec<w>>(tv, p.lx[k]);
#ifdef ZORVICK_RECIPROCAL
    if (y.yh != nullptr && between(c, recip_cmin, recip_cmax))
        return divide(p.v[k] / c, splat<w>(y.xs[k]), splat<w>(y.yh[k]), splat<w>(y.yl[k]), fused);
#endif
    return numerator<vec<w>>(c, p.v[k], h) / p.x[k];
}

// Whether every lane's c lies within the reciprocal's bounds at every
// midpoint of the block, so that the loop need not check it.  For a fixed
// t, a = RN(t − lx) is monotone in lx, and c = RN(RN(RN(a·a)·a)²) depends
// on |a| alone and is monotone in it (each rounding is): where the a of
// the least and of the greatest lx have one sign, every c of the block
// lies between their two c.
template <int w>
bool bounded([[maybe_unused]] vec<w> tv, [[maybe_unused]] inverse y)
{
#ifdef ZORVICK_RECIPROCAL
    if (y.yh == nullptr)
        return false;
    const vec<w> lo = tv - y.lxhi;
    const vec<w> hi = tv - y.lxlo;
    return between(lo * hi, 0x1p-1022, __builtin_inf()) && between(power<vec<w>>(tv, y.lxhi), recip_cmin, recip_cmax) &&
           between(power<vec<w>>(tv, y.lxlo), recip_cmin, recip_cmax);
#else
    return false;
#endif
}

#ifdef ZORVICK_RECIPROCAL
// use(k, term) for the midpoints k = 0 … m − 1 in order, each term through
// the reciprocal, c within its bounds (bounded()).  Each midpoint's
// operations are a chain some 40 cycles long, and the CPU overlaps the
// chains of many midpoints only as far as its queues of waiting
// operations hold them.  So the powers run two midpoints ahead of the rest
// of their terms and the first divisions one ahead: each operation is
// issued nearer the time its operands are ready, and waits less.
template <int w, class Use>
[[gnu::always_inline]] inline void staged(vec<w> tv, const points& p, inverse y, Use use)
{
    const auto sixth = [&](int k) { return power<vec<w>>(tv, p.lx[k]); };
    const auto rest = [&](int k, vec<w> b) {
        return divide(b, splat<w>(y.xs[k]), splat<w>(y.yh[k]), splat<w>(y.yl[k]), fused);
    };
    if (p.m < 3) {
        for (int k = 0; k < p.m; ++k)
            use(k, rest(k, p.v[k] / sixth(k)));
        return;
    }
    vec<w> b0 = p.v[0] / sixth(0);
    vec<w> c1 = sixth(1);
    int k = 0;
    for (; k + 2 < p.m; ++k) {
        const vec<w> c2 = sixth(k + 2);
        const vec<w> b1 = p.v[k + 1] / c1;
        use(k, rest(k, b0));
        b0 = b1;
        c1 = c2;
    }
    const vec<w> b1 = p.v[k + 1] / c1;
    use(k, rest(k, b0));
    use(k + 1, rest(k + 1, b1));
}
#endif

// The terms of the rows of b at midpoint k added to their sums ls, each
// sum in a register of its own.
[[gnu::always_inline]] inline void add_beside(const beside& b, int k, double* ls)
{
#pragma GCC unroll 8
    for (int j = 0; j < 7; ++j)
        if (j < b.nb)
            ls[j] = ls[j] + b.q[j * b.count + k];
}

// Rows t[0 … r − 1], r ≤ w, in one vector of w lanes: their terms to
// q + k·step, or with step = 0 added to their sums s in order, and the
// rows of b beside them.
template <int w>
void group(const points& p, double h, const double* t, int r, double* q, int step, double* s, inverse y,
           beside b = {})
{
    const vec<w> tv = load<w>(t, r);
    [[maybe_unused]] const bool sure = bounded<w>(tv, y);
    if (step > 0) {
#ifdef ZORVICK_RECIPROCAL
        if (sure) {
            staged<w>(tv, p, y, [&](int k, vec<w> v) { put<w>(q + k * step, v); });
            return;
        }
#endif
        for (int k = 0; k < p.m; ++k)
            put<w>(q + k * step, term_at<w>(tv, p, k, h, y));
        return;
    }
    vec<w> sv = load<w>(s, r);
    double ls[7];
    for (int j = 0; j < b.nb; ++j)
        ls[j] = b.s[j];
    // (a loop of its own without rows beside, which most calls have)
#ifdef ZORVICK_RECIPROCAL
    if (sure && b.nb == 0)
        staged<w>(tv, p, y, [&](int, vec<w> v) { sv = sv + v; });
    else if (sure)
        staged<w>(tv, p, y, [&](int k, vec<w> v) {
            sv = sv + v;
            add_beside(b, k, ls);
        });
    else
#endif
        for (int k = 0; k < p.m; ++k) {
            sv = sv + term_at<w>(tv, p, k, h, y);
            add_beside(b, k, ls);
        }
    for (int j = 0; j < r; ++j)
        s[j] = sv[j];
    for (int j = 0; j < b.nb; ++j)
        b.s[j] = ls[j];
}

// The terms of the rows t[0 … nb − 1] at the midpoints of p, each row in
// vectors of w midpoints, to q[j·count + k]: through the reciprocals of y
// where it has them and the row's c lies within their bounds, else by the
// division.  Through the reciprocal a row costs one division a vector of
// midpoints, where in a vector of rows it costs one a midpoint.
template <int w>
void across_by(const points& p, double h, const double* t, int nb, [[maybe_unused]] inverse y, double* q, long count)
{
    const int whole = p.m / w * w;
    const double* const lx = p.lx;
    const double* const v = p.v;
    for (int j = 0; j < nb; ++j) {
        const vec<w> tv = splat<w>(t[j]);
        double* const qj = q + j * count;
#ifdef ZORVICK_RECIPROCAL
        if (bounded<w>(tv, y)) {
            const double* const xs = y.xs;
            const double* const yh = y.yh;
            const double* const yl = y.yl;
            for (int k = 0; k < whole; k += w) {
                const vec<w> b = get<w>(v + k) / power<vec<w>, vec<w>>(tv, get<w>(lx + k));
                put<w>(qj + k, divide(b, get<w>(xs + k), get<w>(yh + k), get<w>(yl + k), fused));
            }
            for (int k = whole; k < p.m; ++k)
                qj[k] = divide(v[k] / power(t[j], lx[k]), xs[k], yh[k], yl[k], fused);
            continue;
        }
#endif
        for (int k = 0; k < whole; k += w)
            put<w>(qj + k, term<vec<w>, vec<w>>(tv, get<w>(lx + k), get<w>(v + k), get<w>(p.x + k), h));
        for (int k = whole; k < p.m; ++k)
            qj[k] = term(t[j], lx[k], v[k], p.x[k], h);
    }
}

// Where a division takes as long per lane in every width, the rows after
// the last full vector are cheapest in the narrowest vectors that hold
// them: 6 rows as 4 + 2 lanes, not 8.  Through the reciprocal, the one
// division left (v / c) is cheap per vector, and one pass over the
// midpoints with eight lanes costs less than two with four and two.  A
// vector of w rows starts at a multiple of w, within a group of eight.
// Their terms go to q as y lays them out, or with y.step = 0 to their
// sums s.
template <int l>
void rows(const points& p, double h, const double* t, int r, double* q, layout y, double* s, inverse iy,
          beside b)
{
    const auto at = [&](int g) { return y.step > 0 ? q + y.at(0, g) : q; };
    int g = 0;
#ifdef ZORVICK_RECIPROCAL
    if constexpr (l >= 8) {
        // rows past the first vector across midpoints, added beside it
        double lq[most_across * block];
        if (y.step == 0 && b.nb == 0 && r > 8 && r <= 8 + most_across && iy.yh != nullptr) {
            across_by<l>(p, h, t + 8, r - 8, iy, lq, block);
            group<8>(p, h, t, 8, q, 0, s, iy, {lq, block, r - 8, s + 8});
            return;
        }
    }
#endif
    // (the rows of b beside the first vector)
    if (r >= l) {
        group<l>(p, h, t, l, at(0), y.step, s, iy, b);
        g = l;
        b = {};
    }
    for (; g + l <= r; g += l)
        group<l>(p, h, t + g, l, at(g), y.step, s + g, iy);
    if constexpr (l >= 8) {
        if (r - g > 4 && iy.yh != nullptr) {
            group<8>(p, h, t + g, r - g, at(g), y.step, s + g, iy, b);
            return;
        }
        if (r - g > 4) {
            group<4>(p, h, t + g, 4, at(g), y.step, s + g, iy, b);
            g += 4;
            b = {};
        }
    }
    if constexpr (l >= 4) {
        if (r - g > 2) {
            group<4>(p, h, t + g, r - g, at(g), y.step, s + g, iy, b);
            return;
        }
    }
    if (g < r)
        group<2>(p, h, t + g, r - g, at(g), y.step, s + g, iy, b);
}

// rows() in blocks of midpoints, with their reciprocals where they help.
void blocks(const points& p, double h, const double* t, int r, double* q, layout y, double* s, beside bs = {})
{
    for (int at = 0; at < p.m; at += block) {
        // (the caller's range of ln x holds this block's too)
        const reciprocals* const g = p.rec;
        const reciprocals gb =
            g != nullptr ? reciprocals{g->xs + at, g->yh + at, g->yl + at, g->fine, g->lxlo, g->lxhi} : reciprocals{};
        const points b{p.x + at, p.lx + at, p.v + at, p.m - at < block ? p.m - at : block, g != nullptr ? &gb : nullptr};
        inverse iy{nullptr, nullptr, nullptr, 0.0, 0.0};
#ifdef ZORVICK_RECIPROCAL
        double xs[block];
        double yh[block];
        double yl[block];
        if (inverses(b, h, xs, yh, yl, iy.lxlo, iy.lxhi))
            iy = g != nullptr ? inverse{gb.xs, gb.yh, gb.yl, iy.lxlo, iy.lxhi} : inverse{xs, yh, yl, iy.lxlo, iy.lxhi};
#endif
        rows<lanes>(b, h, t, r, y.step > 0 ? q + y.at(at, 0) : q, y, s, iy,
                    {bs.nb > 0 ? bs.q + at : nullptr, bs.count, bs.nb, bs.s});
    }
}

// The sums s[0 … w·nv − 1] in nv vectors, each lane's adds a chain of its
// own in index order.
template <int w, int nv>
void sums(const double* q, int m, int stride, double* s)
{
    vec<w> sv[nv];
    for (int g = 0; g < nv; ++g)
        sv[g] = get<w>(s + g * w);
    for (int k = 0; k < m; ++k)
#pragma GCC unroll 8
        for (int g = 0; g < nv; ++g)
            sv[g] = sv[g] + get<w>(q + k * stride + g * w);
    for (int g = 0; g < nv; ++g)
        put<w>(s + g * w, sv[g]);
}

// The chains of g groups of eight lanes, each group `group` doubles apart
// and eight a midpoint, in vectors of w lanes side by side.
template <int w, int g>
void grouped_by(const double* q, int m, long group, double* s)
{
    constexpr int per = 8 / w;
    vec<w> sv[g * per];
    for (int i = 0; i < g * per; ++i)
        sv[i] = get<w>(s + i * w);
    for (int k = 0; k < m; ++k)
#pragma GCC unroll 16
        for (int i = 0; i < g * per; ++i)
            sv[i] = sv[i] + get<w>(q + (i / per) * group + 8 * k + (i % per) * w);
    for (int i = 0; i < g * per; ++i)
        put<w>(s + i * w, sv[i]);
}

// A group of eight lanes in vectors of w lanes and nb rows of a loop, each
// row's terms together count apart: every chain side by side.
template <int nb>
void mixed_by(const double* q, int m, const double* lq, long count, double* s)
{
    constexpr int w = lanes;
    constexpr int per = 8 / w;
    vec<w> sv[per];
    double a[nb];
    for (int i = 0; i < per; ++i)
        sv[i] = get<w>(s + i * w);
    for (int j = 0; j < nb; ++j)
        a[j] = s[8 + j];
    for (int k = 0; k < m; ++k) {
#pragma GCC unroll 8
        for (int i = 0; i < per; ++i)
            sv[i] = sv[i] + get<w>(q + 8 * k + i * w);
#pragma GCC unroll 8
        for (int j = 0; j < nb; ++j)
            a[j] = a[j] + lq[j * count + k];
    }
    for (int i = 0; i < per; ++i)
        put<w>(s + i * w, sv[i]);
    for (int j = 0; j < nb; ++j)
        s[8 + j] = a[j];
}

}  // namespace

int width() { return lanes; }

void mixed(const double* q, int m, const double* lq, long count, int nb, double* s)
{
    switch (nb) {
    case 1: return mixed_by<1>(q, m, lq, count, s);
    case 2: return mixed_by<2>(q, m, lq, count, s);
    case 3: return mixed_by<3>(q, m, lq, count, s);
    case 4: return mixed_by<4>(q, m, lq, count, s);
    case 5: return mixed_by<5>(q, m, lq, count, s);
    case 6: return mixed_by<6>(q, m, lq, count, s);
    default: return mixed_by<7>(q, m, lq, count, s);
    }
}

void terms(const points& p, double h, const double* t, int r, double* q, layout y)
{
    blocks(p, h, t, r, q, y, nullptr);
}

void across(const points& p, double h, const double* t, int r, double* q, long count)
{
    for (int at = 0; at < p.m; at += block) {
        const points b{p.x + at, p.lx + at, p.v + at, p.m - at < block ? p.m - at : block, nullptr};
        inverse iy{nullptr, nullptr, nullptr, 0.0, 0.0};
        const reciprocals* const g = p.rec;
        if (g != nullptr && g->fine && foldable(h))
            iy = {g->xs + at, g->yh + at, g->yl + at, g->lxlo, g->lxhi};
        across_by<lanes>(b, h, t, r, iy, q + at, count);
    }
}

void sum(const points& p, double h, const double* t, int r, double* s, beside b)
{
    blocks(p, h, t, r, nullptr, {0, 8, 0}, s, b);
}

void grouped(const double* q, int m, long group, int groups, double* s)
{
    // Vectors of the set's full width, eight chains at a time: a chain
    // waits on the latency of its adds, which is no longer for 512 bits
    // than for 256 even where the CPU splits a 512-bit add in two.  The
    // groups past the last eight chains in loops of four, two and one.
    constexpr int w = lanes;
    int g = 0;
    for (; g + w <= groups; g += w)
        grouped_by<w, w>(q + g * group, m, group, s + 8 * g);
    if constexpr (w > 4) {
        if (groups - g >= 4) {
            grouped_by<w, 4>(q + g * group, m, group, s + 8 * g);
            g += 4;
        }
    }
    if constexpr (w > 2) {
        if (groups - g >= 2) {
            grouped_by<w, 2>(q + g * group, m, group, s + 8 * g);
            g += 2;
        }
    }
    if (g < groups)
        grouped_by<w, 1>(q + g * group, m, group, s + 8 * g);
}

void add(const double* q, int m, int stride, int width, double* s)
{
    if (width == 1) {
        double s0 = s[0];
        for (int k = 0; k < m; ++k)
            s0 = s0 + q[k * stride];
        s[0] = s0;
        return;
    }
    if (width == 2)
        return sums<2, 1>(q, m, stride, s);
    // Four lanes at most: a 512-bit add takes twice as long as a 256-bit
    // one on some CPUs, and the adds are chains that wait on it.
    constexpr int w = lanes < 4 ? lanes : 4;
    if (width == 4)
        return sums<w, 4 / w>(q, m, stride, s);
    // sixteen lanes at a time, in as many chains side by side per midpoint
    // as vectors hold them
    int g = 0;
    for (; g + 16 <= width; g += 16)
        sums<w, 16 / w>(q + g, m, stride, s + g);
    if (g < width)
        sums<w, 8 / w>(q + g, m, stride, s + g);
}

}  // namespace zorvick::quadrature::ZORVICK_ISA
