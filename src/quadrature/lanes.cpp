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
typedef double vec __attribute__((vector_size(sizeof(double) * lanes)));

// Rows g·lanes … g·lanes + lanes − 1; lanes past row r − 1 repeat its t and
// are never stored back.
vec load(const double* p, int r)
{
    double d[lanes];
    for (int j = 0; j < lanes; ++j)
        d[j] = p[j < r ? j : r - 1];
    vec v;
    __builtin_memcpy(&v, d, sizeof v);
    return v;
}

void store(double* p, vec v, int r)
{
    double d[lanes];
    __builtin_memcpy(d, &v, sizeof v);
    for (int j = 0; j < lanes && j < r; ++j)
        p[j] = d[j];
}

}  // namespace

int width() { return lanes; }

void add(const points& p, double h, const double* t, int r, double* s)
{
    for (int g = 0; g < r; g += lanes) {
        const vec tv = load(t + g, r - g);
        vec sv = load(s + g, r - g);
        for (int k = 0; k < p.m; ++k)
            sv = sv + term<vec>(tv, p.lx[k], p.v[k], p.x[k], h);
        store(s + g, sv, r - g);
    }
}

}  // namespace zorvick::quadrature::ZORVICK_ISA
