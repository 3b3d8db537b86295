#include "quadrature/simd.hpp"

#include <algorithm>

#include "quadrature/midpoints.hpp"

namespace zorvick::quadrature {

namespace {

// Each row's terms in the loop of their logarithm and sine.  A row alone
// keeps its sum in a register: through memory, each add would wait for the
// store of the one before.
void scalar_rows(const points& p, double h, const double* t, int r, double* s);

void scalar_add(double h, std::int64_t first, int m, const double* t, int r, double* s, libm::set f, libm::divider)
{
    if (f != libm::set::library) {
        double x[blk];
        double lx[blk];
        double v[blk];
        scalar_rows(fill(x, lx, v, h, first, m, f), h, t, r, s);
        return;
    }
    if (r == 1) {
        double s0 = s[0];
        each_midpoint(h, first, m, [&](int, double x, double lx, double v) { s0 = s0 + term(t[0], lx, v, x, h); });
        s[0] = s0;
        return;
    }
    each_midpoint(h, first, m, [=](int, double x, double lx, double v) {
        for (int j = 0; j < r; ++j)
            s[j] = s[j] + term(t[j], lx, v, x, h);
    });
}

void scalar_rows(const points& p, double h, const double* t, int r, double* s)
{
    for (int j = 0; j < r; ++j) {
        double sj = s[j];
        for (int k = 0; k < p.m; ++k)
            sj = sj + term(t[j], p.lx[k], p.v[k], p.x[k], h);
        s[j] = sj;
    }
}

// One row's terms, each in the loop of its logarithm and sine.
double row_terms(double h, std::int64_t first, int m, double t, double* q, const double* add, std::int64_t na,
                 double s, libm::set f)
{
    if (f != libm::set::library)
        return libm::terms(f, h, first, m, t, q, add, na, s);
    each_midpoint(h, first, m, [=](int k, double x, double lx, double v) { q[k] = term(t, lx, v, x, h); });
    for (std::int64_t k = 0; k < na; ++k)
        s = s + add[k];
    return s;
}

template <int (*width)(), void (*rows)(const points&, double, const double*, int, double*)>
kernel lanes()
{
    return {width(),
            [](double h, std::int64_t first, int m, const double* t, int r, double* s, libm::set f, libm::divider d) {
                if (r == 1) {
                    scalar_add(h, first, m, t, r, s, f, d);
                    return;
                }
                double x[blk];
                double lx[blk];
                double v[blk];
                // the lead rows' divisions beside the sines
                const int l = libm::lead(r, d, 1);
                if (f != libm::set::library && r > libm::most_rows && l > 0) {
                    double q[libm::most_held * blk];
                    libm::terms(f, h, first, m, t, l, q, blk, {x, lx, v});
                    libm::add(q, blk, m, l, s);
                    rows({x, lx, v, m}, h, t + l, r - l, s + l);
                    return;
                }
                rows(fill(x, lx, v, h, first, m, f), h, t, r, s);
            },
            rows, row_terms};
}

}  // namespace

kernel kernel_for(isa set)
{
    switch (set) {
    case isa::sse2:
        return lanes<sse2::width, sse2::add>();
    case isa::avx2:
        return lanes<avx2::width, avx2::add>();
    case isa::avx512:
        return lanes<avx512::width, avx512::add>();
    case isa::scalar:
        break;
    }
    return {1, scalar_add, scalar_rows, row_terms};
}

bool supported(isa set)
{
    switch (set) {
    case isa::avx2:
        return __builtin_cpu_supports("avx2");
    case isa::avx512:
        return __builtin_cpu_supports("avx512f");
    case isa::scalar:
    case isa::sse2:
        break;
    }
    return true;
}

isa widest()
{
    return supported(isa::avx512) ? isa::avx512 : supported(isa::avx2) ? isa::avx2 : isa::sse2;
}

}  // namespace zorvick::quadrature
