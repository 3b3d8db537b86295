#include "quadrature/simd.hpp"

namespace zorvick::quadrature {

namespace {

void scalar_terms(const points& p, double h, const double* t, int r, double* q, layout y)
{
    for (int k = 0; k < p.m; ++k)
        for (int j = 0; j < r; ++j)
            q[y.at(k, j)] = term(t[j], p.lx[k], p.v[k], p.x[k], h);
}

void scalar_across(const points& p, double h, const double* t, int r, double* q, long count)
{
    for (int j = 0; j < r; ++j)
        for (int k = 0; k < p.m; ++k)
            q[j * count + k] = term(t[j], p.lx[k], p.v[k], p.x[k], h);
}

// Row by row, each sum a chain over the midpoints.
void scalar_sum(const points& p, double h, const double* t, int r, double* s, beside b)
{
    for (int j = 0; j < r; ++j) {
        double sj = s[j];
        for (int k = 0; k < p.m; ++k)
            sj = sj + term(t[j], p.lx[k], p.v[k], p.x[k], h);
        s[j] = sj;
    }
    if (b.nb > 0)
        row_adds(b.q, b.count, p.m, b.nb, b.s);
}

// The chains of w rows side by side: each add waits for the one before in
// its own row only.
template <int w>
void chains(const double* q, int m, long step, long row, double* s)
{
    double a[w];
    for (int j = 0; j < w; ++j)
        a[j] = s[j];
    // Unrolled, so that a[] stays in registers: left as a loop, GCC keeps
    // it on the stack, and every add waits for a store and a load too.
    for (int k = 0; k < m; ++k)
#pragma GCC unroll 8
        for (int j = 0; j < w; ++j)
            a[j] = a[j] + q[k * step + j * row];
    for (int j = 0; j < w; ++j)
        s[j] = a[j];
}

void scalar_add(const double* q, int m, int stride, int width, double* s)
{
    int j = 0;
    for (; j + 8 <= width; j += 8)
        chains<8>(q + j, m, stride, 1, s + j);
    switch (width - j) {
    case 4: chains<4>(q + j, m, stride, 1, s + j); break;
    case 2: chains<2>(q + j, m, stride, 1, s + j); break;
    case 1: chains<1>(q + j, m, stride, 1, s + j); break;
    default: break;
    }
}

void scalar_grouped(const double* q, int m, long group, int groups, double* s)
{
    for (int g = 0; g < groups; ++g)
        chains<8>(q + g * group, m, 8, 1, s + 8 * g);
}

void scalar_mixed(const double* q, int m, const double* lq, long count, int nb, double* s)
{
    chains<8>(q, m, 8, 1, s);
    row_adds(lq, count, m, nb, s + 8);
}

}  // namespace

void row_adds(const double* q, long count, int m, int nb, double* s)
{
    switch (nb) {
    case 1: return chains<1>(q, m, 1, count, s);
    case 2: return chains<2>(q, m, 1, count, s);
    case 3: return chains<3>(q, m, 1, count, s);
    case 4: return chains<4>(q, m, 1, count, s);
    case 5: return chains<5>(q, m, 1, count, s);
    case 6: return chains<6>(q, m, 1, count, s);
    case 7: return chains<7>(q, m, 1, count, s);
    default: return chains<8>(q, m, 1, count, s);
    }
}

kernel kernel_for(isa set)
{
    switch (set) {
    case isa::base:
        return {base::width(), base::terms, base::sum, base::across, base::add, base::grouped, base::mixed};
#if defined(__x86_64__)
    case isa::avx2:
        return {avx2::width(), avx2::terms, avx2::sum, avx2::across, avx2::add, avx2::grouped, avx2::mixed};
    case isa::avx512:
        return {avx512::width(), avx512::terms, avx512::sum, avx512::across, avx512::add, avx512::grouped, avx512::mixed};
#else
    case isa::avx2:
    case isa::avx512:
        break;
#endif
    case isa::scalar:
        break;
    }
    return {1, scalar_terms, scalar_sum, scalar_across, scalar_add, scalar_grouped, scalar_mixed};
}

bool supported(isa set)
{
    switch (set) {
#if defined(__x86_64__)
    // Both wider sets divide through the reciprocal with FMA, which every
    // CPU with AVX2 or AVX-512 has.
    case isa::avx2:
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case isa::avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma");
#else
    case isa::avx2:
    case isa::avx512:
        return false;
#endif
    case isa::scalar:
    case isa::base:
        break;
    }
    return true;
}

isa widest()
{
    return supported(isa::avx512) ? isa::avx512 : supported(isa::avx2) ? isa::avx2 : isa::base;
}

}  // namespace zorvick::quadrature
