#include "quadrature/libm/fast.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/constants.hpp"
#include "quadrature/libm/kernels.hpp"

namespace zorvick::quadrature::libm {

#ifdef ZORVICK_FAST_LIBM
static_assert(most_rows <= avx512::most_rows);
#endif

namespace {

// Values per call of a kernel, for the fail list on the stack.
constexpr int piece = 256;

// The rows' terms q[j·qs + k] of the p ≤ piece midpoints from first, the
// shared part into out unless its x is null, and s0[j] with add[j·qs + i],
// i = 0 … na − 1, added: the kernel adds them while it computes the sines.
void row_piece(set s, double h, std::int64_t first, int p, const double* t, int r, double* q, std::size_t qs,
               part out, const double* add, int na, double* s0)
{
    double xb[piece];
    double lxb[piece];
    double vb[piece];
    double* x = out.x != nullptr ? out.x : xb;
    double* lx = out.x != nullptr ? out.lx : lxb;
    double* vo = out.x != nullptr ? out.v : nullptr;
#ifdef ZORVICK_FAST_LIBM
    if (s == set::avx512) {
        int fail[piece + 16];
        const int nl = avx512::logs(h, first, p, x, lx, fail);
        for (int i = 0; i < nl; ++i)
            lx[fail[i]] = std::log(x[fail[i]]);
        const int ns = avx512::terms(x, lx, p, h, t, r, q, static_cast<long>(qs), vo, add, na, s0, fail);
        for (int i = 0; i < ns; ++i) {
            const int k = fail[i];
            const double u = -lx[k];
            const double v = u * std::sin(u);
            if (vo != nullptr)
                vo[k] = v;
            for (int j = 0; j < r; ++j)
                q[j * qs + k] = term(t[j], lx[k], v, x[k], h);
        }
        return;
    }
#endif
    double* v = vo != nullptr ? vo : vb;
    evaluate(s, h, first, p, x, lx, v);
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < p; ++k)
            q[j * qs + k] = term(t[j], lx[k], v[k], x[k], h);
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < na; ++k)
            s0[j] = s0[j] + add[j * qs + k];
}

// The chains of w rows side by side: each add waits for the one before in
// its own row only.
template <int w>
void add_side(const double* q, std::size_t qs, int m, double* s)
{
    double a[w];
    for (int j = 0; j < w; ++j)
        a[j] = s[j];
    // Unrolled, so that a[] stays in registers: left as a loop, GCC keeps
    // it on the stack, and every add waits for a store and a load too.
    for (int k = 0; k < m; ++k)
#pragma GCC unroll 8
        for (int j = 0; j < w; ++j)
            a[j] = a[j] + q[j * qs + k];
    for (int j = 0; j < w; ++j)
        s[j] = a[j];
}

}  // namespace

double terms(set s, double h, std::int64_t first, int m, double t, double* q, const double* add, std::int64_t na,
             double s0)
{
    std::int64_t a = 0;
    for (int at = 0; at < m; at += piece) {
        const int p = std::min(piece, m - at);
        const int now = static_cast<int>(std::min<std::int64_t>(2 * p, na - a));
        row_piece(s, h, first + at, p, &t, 1, q + at, 0, {}, add + a, now, &s0);
        a += now;
    }
    for (; a < na; ++a)
        s0 = s0 + add[a];
    return s0;
}

void terms(set s, double h, std::int64_t first, int m, const double* t, int r, double* q, std::size_t qs, part out)
{
    for (int at = 0; at < m; at += piece) {
        const part o = out.x != nullptr ? part{out.x + at, out.lx + at, out.v + at} : part{};
        double none[most_rows] = {};
        row_piece(s, h, first + at, std::min(piece, m - at), t, r, q + at, qs, o, nullptr, 0, none);
    }
}

void add(const double* q, std::size_t qs, int m, int r, double* s)
{
    int j = 0;
    for (; j + 8 <= r; j += 8)
        add_side<8>(q + j * qs, qs, m, s + j);
    switch (r - j) {
    case 7: add_side<7>(q + j * qs, qs, m, s + j); break;
    case 6: add_side<6>(q + j * qs, qs, m, s + j); break;
    case 5: add_side<5>(q + j * qs, qs, m, s + j); break;
    case 4: add_side<4>(q + j * qs, qs, m, s + j); break;
    case 3: add_side<3>(q + j * qs, qs, m, s + j); break;
    case 2: add_side<2>(q + j * qs, qs, m, s + j); break;
    case 1: add_side<1>(q + j * qs, qs, m, s + j); break;
    default: break;
    }
}

void sum(set s, double h, std::int64_t first, int m, const double* t, int r, double* s0)
{
    // Each piece's terms are added during the next piece, the last ones here.
    double q[2][most_rows * piece];
    int na = 0;
    for (int at = 0; at < m; at += piece) {
        const int p = std::min(piece, m - at);
        row_piece(s, h, first + at, p, t, r, q[at / piece % 2], piece, {}, q[(at / piece + 1) % 2], na, s0);
        na = p;
    }
    add(q[(m - 1) / piece % 2], piece, na, r, s0);
}

bool supported(set s)
{
#ifdef ZORVICK_FAST_LIBM
    if (s == set::avx512)
        return __builtin_cpu_supports("avx512f");
#endif
    return s == set::library;
}

set fastest() { return supported(set::avx512) ? set::avx512 : set::library; }

divider divider_here() { return __builtin_cpu_is("amd") ? divider::per_vector : divider::per_lane; }

fallbacks evaluate(set s, double h, std::int64_t first, int m, double* x, double* lx, double* v, double* sn)
{
#ifdef ZORVICK_FAST_LIBM
    if (s == set::avx512) {
        fallbacks got{0, 0};
        int fail[piece + 16];
        double sines[piece];
        for (int at = 0; at < m; at += piece) {
            const int p = std::min(piece, m - at);
            const int nl = avx512::logs(h, first + at, p, x + at, lx + at, fail);
            for (int i = 0; i < nl; ++i)
                lx[at + fail[i]] = std::log(x[at + fail[i]]);
            const int ns = avx512::sines(lx + at, p, sines, v + at, fail);
            for (int i = 0; i < ns; ++i) {
                const double u = -lx[at + fail[i]];
                sines[fail[i]] = std::sin(u);
                v[at + fail[i]] = u * sines[fail[i]];
            }
            if (sn != nullptr)
                std::copy(sines, sines + p, sn + at);
            got.logs += nl;
            got.sines += ns;
        }
        return got;
    }
#endif
    for (int k = 0; k < m; ++k) {
        x[k] = (static_cast<double>(first + k) + 0.5) * h;
        lx[k] = std::log(x[k]);
        const double u = -lx[k];
        const double su = std::sin(u);
        v[k] = u * su;
        if (sn != nullptr)
            sn[k] = su;
    }
    return {m, m};
}

int binade_class(double y)
{
    const int e = static_cast<int>(std::bit_cast<std::uint64_t>(y) >> 52 & 0x7ff);
    return std::clamp(1022 - e, 0, 31);
}

int distance_class(double u)
{
    // k = u·32/π rounded once, as the kernel's fused multiply-add does.
    const double k = std::fma(u, inv_pi32, 0x1.8p52) - 0x1.8p52;
    const int j = static_cast<int>(std::fmod(k, 32.0));
    return std::min(j, 32 - j);
}

bool raw(const double* in, double* hi, double* lo, int m, bool sine)
{
#ifdef ZORVICK_FAST_LIBM
    if (supported(set::avx512)) {
        avx512::raw(in, hi, lo, m, sine);
        return true;
    }
#endif
    (void)in, (void)hi, (void)lo, (void)m, (void)sine;
    return false;
}

}  // namespace zorvick::quadrature::libm
