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
void store(double* p, vec<w> v, int r)
{
    for (int j = 0; j < w && j < r; ++j)
        p[j] = v[j];
}

// Rows t[0 … r − 1], r ≤ w, in one vector of w lanes.
template <int w>
void group(const points& p, double h, const double* t, int r, double* s)
{
    const vec<w> tv = load<w>(t, r);
    vec<w> sv = load<w>(s, r);
    for (int k = 0; k < p.m; ++k)
        sv = sv + term<vec<w>>(tv, p.lx[k], p.v[k], p.x[k], h);
    store<w>(s, sv, r);
}

// Intel's divider takes as long per lane in every width (it is most of a
// row's cost), so the rows after the last full vector go to the narrowest
// vectors that hold them: 6 rows as 4 + 2 lanes, not 8.  (AMD's takes as
// long per vector, so there it changes nothing.)
template <int l>
void rows(const points& p, double h, const double* t, int r, double* s)
{
    int g = 0;
    for (; g + l <= r; g += l)
        group<l>(p, h, t + g, l, s + g);
    if constexpr (l >= 8) {
        if (r - g > 4) {
            group<4>(p, h, t + g, 4, s + g);
            g += 4;
        }
    }
    if constexpr (l >= 4) {
        if (r - g > 2) {
            group<4>(p, h, t + g, r - g, s + g);
            return;
        }
    }
    if (g < r)
        group<2>(p, h, t + g, r - g, s + g);
}

}  // namespace

int width() { return lanes; }

void add(const points& p, double h, const double* t, int r, double* s) { rows<lanes>(p, h, t, r, s); }

}  // namespace zorvick::quadrature::ZORVICK_ISA
