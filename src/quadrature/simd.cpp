#include "quadrature/simd.hpp"

#include <cmath>

#include "quadrature/midpoints.hpp"

namespace zorvick::quadrature {

namespace {

// Midpoint k of the pass with spacing h is (k + ½)·h, the same exact binary
// fraction that the running sum x = x + h from −h/2 reaches.
void scalar_add(double h, std::int64_t first, int m, const double* t, int r, double* s)
{
    double x = (static_cast<double>(first) - 0.5) * h;
    for (int k = 0; k < m; ++k) {
        x = x + h;
        const double lx = std::log(x);
        const double v = usinu(lx);
        for (int j = 0; j < r; ++j)
            s[j] = s[j] + term(t[j], lx, v, x, h);
    }
}

void scalar_rows(const points& p, double h, const double* t, int r, double* s)
{
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < p.m; ++k)
            s[j] = s[j] + term(t[j], p.lx[k], p.v[k], p.x[k], h);
}

template <int (*width)(), void (*rows)(const points&, double, const double*, int, double*)>
kernel lanes()
{
    return {width(),
            [](double h, std::int64_t first, int m, const double* t, int r, double* s) {
                double x[blk];
                double lx[blk];
                double v[blk];
                rows(fill(x, lx, v, h, first, m), h, t, r, s);
            },
            rows};
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
    return {1, scalar_add, scalar_rows};
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
