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

void scalar_put(double h, std::int64_t first, int m, const double* t, int r, double* q, int rpad)
{
    double x = (static_cast<double>(first) - 0.5) * h;
    for (int k = 0; k < m; ++k) {
        x = x + h;
        const double lx = std::log(x);
        const double v = usinu(lx);
        for (int j = 0; j < r; ++j)
            q[k * rpad + j] = term(t[j], lx, v, x, h);
    }
}

void scalar_sum(const double* q, int m, int r, int rpad, double* s)
{
    for (int k = 0; k < m; ++k)
        for (int j = 0; j < r; ++j)
            s[j] = s[j] + q[k * rpad + j];
}

template <int (*width)(), void (*add)(const points&, double, const double*, int, double*),
          void (*put)(const points&, double, const double*, int, double*, int),
          void (*sum)(const double*, int, int, int, double*)>
kernel lanes()
{
    return {width(),
            [](double h, std::int64_t first, int m, const double* t, int r, double* s) {
                block b;
                add(fill(b, h, first, m), h, t, r, s);
            },
            [](double h, std::int64_t first, int m, const double* t, int r, double* q, int rpad) {
                block b;
                put(fill(b, h, first, m), h, t, r, q, rpad);
            },
            sum};
}

}  // namespace

kernel kernel_for(isa set)
{
    switch (set) {
    case isa::sse2:
        return lanes<sse2::width, sse2::add, sse2::put, sse2::sum>();
    case isa::avx2:
        return lanes<avx2::width, avx2::add, avx2::put, avx2::sum>();
    case isa::avx512:
        return lanes<avx512::width, avx512::add, avx512::put, avx512::sum>();
    case isa::scalar:
        break;
    }
    return {1, scalar_add, scalar_put, scalar_sum};
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
