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
constexpr int piece = 512;

// terms() for p ≤ piece midpoints, the shared part in x, lx and v (which
// may be null with the kernels, when no one wants it).
void row_piece(set f, double h, std::int64_t first, int p, const double* t, int r, double* q, long count,
               [[maybe_unused]] bool recip, const double* add, int na, [[maybe_unused]] int per, double* s, double* x,
               double* lx, double* v)
{
#ifdef ZORVICK_FAST_LIBM
    if (f == set::avx512) {
        int fail[piece + 16];
        const int nl = avx512::logs(h, first, p, x, lx, fail);
        for (int i = 0; i < nl; ++i)
            lx[fail[i]] = std::log(x[fail[i]]);
        const int ns = avx512::terms(x, lx, p, h, t, r, q, count, recip, v, add, na, per, s, fail);
        double fx[piece];
        double flx[piece];
        double fv[piece];
        for (int i = 0; i < ns; ++i) {
            const int k = fail[i];
            const double u = -lx[k];
            fx[i] = x[k];
            flx[i] = lx[k];
            fv[i] = u * std::sin(u);
            if (v != nullptr)
                v[k] = fv[i];
        }
        // The midpoints left to the library, gathered: few rows one by one,
        // more in vectors of rows, as their divisions are most of the cost.
        if (r <= 4) {
            for (int i = 0; i < ns; ++i)
                for (int j = 0; j < r; ++j)
                    q[j * count + fail[i]] = term(t[j], flx[i], fv[i], fx[i], h);
            return;
        }
        constexpr int batch = 16;
        double tq[batch * 8];
        for (int i = 0; i < ns; i += batch) {
            const int b = std::min(batch, ns - i);
            quadrature::avx512::terms({fx + i, flx + i, fv + i, b}, h, t, r, tq, {8, 8, batch});
            for (int e = 0; e < b; ++e)
                for (int j = 0; j < r; ++j)
                    q[j * count + fail[i + e]] = tq[e * 8 + j];
        }
        return;
    }
#endif
    evaluate(f, h, first, p, x, lx, v);
    for (int k = 0; k < p; ++k)
        for (int j = 0; j < r; ++j)
            q[j * count + k] = term(t[j], lx[k], v[k], x[k], h);
    for (int j = 0; j < r && na > 0; ++j)
        for (int i = 0; i < na; ++i)
            s[j] = s[j] + add[j * count + i];
}

}  // namespace

void terms(set f, double h, std::int64_t first, int m, const double* t, int r, double* q, long count, bool recip,
           const double* add, int na, int per, double* s, shared out)
{
    double x[piece];
    double lx[piece];
    double v[piece];
    int a = 0;
    for (int at = 0; at < m; at += piece) {
        const int p = std::min(piece, m - at);
        // as many adds as the piece's loop takes, the last piece all the rest
        const int now = at + p < m ? std::min(na - a, per * (p / 8)) : na - a;
        const bool keep = out.x != nullptr;
        row_piece(f, h, first + at, p, t, r, q + at, count, recip, add + a, now, per, s, keep ? out.x + at : x,
                  keep ? out.lx + at : lx, keep ? out.v + at : f == set::library ? v : nullptr);
        a += now;
    }
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

fallbacks evaluate([[maybe_unused]] set s, double h, std::int64_t first, int m, double* x, double* lx, double* v,
                   double* sn, reciprocals* rec)
{
#ifdef ZORVICK_FAST_LIBM
    if (s == set::avx512) {
        fallbacks got{0, 0};
        int fail[piece + 16];
        double sines[piece];
        // The midpoints increase with k: the first and the last bound them.
        bool fine = m > 0 && (static_cast<double>(first) + 0.5) * h >= recip_xmin &&
                    (static_cast<double>(first + m) - 0.5) * h <= 1.0;
        double lo = __builtin_inf();
        double hi = -lo;
        for (int at = 0; at < m; at += piece) {
            const int p = std::min(piece, m - at);
            double range[2] = {lo, hi};
            const int nl = rec != nullptr ? avx512::logs(h, first + at, p, x + at, lx + at, fail, rec->xs + at,
                                                         rec->yh + at, rec->yl + at, range)
                                          : avx512::logs(h, first + at, p, x + at, lx + at, fail);
            lo = std::min(lo, range[0]);
            hi = std::max(hi, range[1]);
            for (int i = 0; i < nl; ++i) {
                const double l = std::log(x[at + fail[i]]);
                lx[at + fail[i]] = l;
                lo = std::min(lo, l);
                hi = std::max(hi, l);
            }
            bool vin = true;
            const int ns = avx512::sines(lx + at, p, sines, v + at, fail, &vin);
            fine = fine && vin;
            for (int i = 0; i < ns; ++i) {
                const double u = -lx[at + fail[i]];
                sines[fail[i]] = std::sin(u);
                v[at + fail[i]] = u * sines[fail[i]];
                const double a = std::fabs(v[at + fail[i]]);
                fine = fine && a >= recip_vmin && a <= recip_vmax;
            }
            if (sn != nullptr)
                std::copy(sines, sines + p, sn + at);
            got.logs += nl;
            got.sines += ns;
        }
        if (rec != nullptr) {
            rec->fine = fine;
            rec->lxlo = lo;
            rec->lxhi = hi;
        }
        return got;
    }
#endif
    if (rec != nullptr)
        *rec = {nullptr, nullptr, nullptr, false, 0.0, 0.0};
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
