#include "quadrature/libm/fast.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#include "quadrature/lanes.hpp"
#include "quadrature/libm/constants.hpp"
#include "quadrature/libm/kernels.hpp"

namespace zorvick::quadrature::libm {

namespace {

// Values per call of a kernel, for the fail list on the stack.
constexpr int piece = 256;

// A row alone's terms q of the p ≤ piece midpoints from first, and s with
// add[0 … na − 1] added: the kernel adds them while it computes the sines.
double row_piece(set s, double h, std::int64_t first, int p, double t, double* q, const double* add, int na,
                 double s0)
{
    double x[piece];
    double lx[piece];
#ifdef ZORVICK_FAST_LIBM
    if (s == set::avx512) {
        int fail[piece + 16];
        const int nl = avx512::logs(h, first, p, x, lx, fail);
        for (int i = 0; i < nl; ++i)
            lx[fail[i]] = std::log(x[fail[i]]);
        const avx512::added got = avx512::terms(x, lx, p, h, t, q, add, na, s0, fail);
        for (int i = 0; i < got.failed; ++i) {
            const int k = fail[i];
            const double u = -lx[k];
            q[k] = term(t, lx[k], u * std::sin(u), x[k], h);
        }
        return got.s;
    }
#endif
    double v[piece];
    evaluate(s, h, first, p, x, lx, v);
    for (int k = 0; k < p; ++k)
        q[k] = term(t, lx[k], v[k], x[k], h);
    for (int k = 0; k < na; ++k)
        s0 = s0 + add[k];
    return s0;
}

}  // namespace

double terms(set s, double h, std::int64_t first, int m, double t, double* q, const double* add, std::int64_t na,
             double s0)
{
    std::int64_t a = 0;
    for (int at = 0; at < m; at += piece) {
        const int p = std::min(piece, m - at);
        const int now = static_cast<int>(std::min<std::int64_t>(2 * p, na - a));
        s0 = row_piece(s, h, first + at, p, t, q + at, add + a, now, s0);
        a += now;
    }
    for (; a < na; ++a)
        s0 = s0 + add[a];
    return s0;
}

double sum(set s, double h, std::int64_t first, int m, double t, double s0)
{
    // Each piece's terms are added during the next piece, the last ones here.
    double q[2][piece];
    int na = 0;
    for (int at = 0; at < m; at += piece) {
        const int p = std::min(piece, m - at);
        s0 = row_piece(s, h, first + at, p, t, q[at / piece % 2], q[(at / piece + 1) % 2], na, s0);
        na = p;
    }
    const double* last = q[(m - 1) / piece % 2];
    for (int k = 0; k < na; ++k)
        s0 = s0 + last[k];
    return s0;
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
