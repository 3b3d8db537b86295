// The part of a midpoint term that depends on the row, for several rows at
// once: lane j of a vector is row j, and each lane's sum runs over the
// midpoints in increasing order, so every lane performs exactly the
// sequential operations of its own row.  Compiled once per instruction set
// (LANES doubles to a vector, ISA the namespace) with the build's
// -ffp-contract=off: vector code keeps every multiply and divide separately
// rounded, as the scalar definition does.
//
// This file includes no library header, so that no inline library function is
// compiled here with an instruction set that the rest of the program may
// not assume.

#include "quadrature/lanes.hpp"

namespace zorvick::quadrature::ZORVICK_ISA {

namespace {

constexpr int lanes = ZORVICK_LANES;

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

template <int w>
vec<w> get(const double* p)
{
    vec<w> v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

// Rows t[0 … r − 1], r ≤ w, in one vector of w lanes.
template <int w>
void group(const points& p, double h, const double* t, int r, double* q, int step)
{
    const vec<w> tv = load<w>(t, r);
    for (int k = 0; k < p.m; ++k)
        put<w>(q + k * step, term<vec<w>>(tv, p.lx[k], p.v[k], p.x[k], h));
}

// Where a division takes as long per lane in every width (it is most of a
// row's cost), the rows after the last full vector are cheapest in the
// narrowest vectors that hold them: 6 rows as 4 + 2 lanes, not 8.  A
// vector of w rows starts at a multiple of w, within a group of eight.
template <int l>
void rows(const points& p, double h, const double* t, int r, double* q, layout y)
{
    int g = 0;
    for (; g + l <= r; g += l)
        group<l>(p, h, t + g, l, q + y.at(0, g), y.step);
    if constexpr (l >= 8) {
        if (r - g > 4) {
            group<4>(p, h, t + g, 4, q + y.at(0, g), y.step);
            g += 4;
        }
    }
    if constexpr (l >= 4) {
        if (r - g > 2) {
            group<4>(p, h, t + g, r - g, q + y.at(0, g), y.step);
            return;
        }
    }
    if (g < r)
        group<2>(p, h, t + g, r - g, q + y.at(0, g), y.step);
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

}  // namespace

int width() { return lanes; }

void terms(const points& p, double h, const double* t, int r, double* q, layout y)
{
    rows<lanes>(p, h, t, r, q, y);
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
