#pragma once

// Kernels for the row-dependent part of the midpoint terms, one set per
// vector instruction set, each in a namespace of its own.  Within one call, the
// rows are t[0 … r − 1] and the midpoints those of `points`, in order.
//
// Deliberately free of includes: lanes.cpp is compiled with instruction
// sets beyond the baseline, and must not instantiate library code.

namespace zorvick::quadrature {

// m consecutive midpoints x of one pass, with ln x and v = u·sin u for
// u = −ln x: the part of each term that every row shares.
struct points {
    const double* x;
    const double* lx;
    const double* v;
    int m;
};

// Where a buffer of terms holds row j's term at midpoint k:
// q[k·step + (j / 8)·group + j % 8].  The rows of a midpoint side by side
// (step ≥ the rows, group = 8), or, for more than eight rows, the terms of
// each group of eight rows together (step = 8), so that adding a group's
// reads only its own.
struct layout {
    int step;
    long group;
    long at(long k, int j) const { return k * step + (j / 8) * group + j % 8; }
};

// The row-dependent part of the term of midpoint x for the parameter t,
// given lx = ln x and v = u·sin u:
//
//   a = t − lx,  c = (a·a·a)²,  term = ((v / c) · h) / x,
//
// each operation rounded on its own, in this order.  V is double, or a
// vector of doubles whose lanes are rows; P is double, or, for one row, a
// vector whose lanes are midpoints.
template <class V, class P = double>
inline V term(V t, P lx, P v, P x, double h)
{
    const V a = t - lx;
    V c = a * a;
    c = c * a;  // a³
    c = c * c;  // a⁶ as the square of the cube
    V q = v / c;
    q = q * h;
    return q / x;
}

}  // namespace zorvick::quadrature

// Each kernel set:
//   width()  doubles per vector;
//   terms    the terms term(t[j], x_k) of the rows j < r at the midpoints
//            of p, to q as the layout places them (lanes past row r − 1
//            may get copies, within the rows' group of eight);
//   add      s[j] = s[j] + q[k·stride + j] for k = 0 … m − 1 in order and
//            j < width (1, 2, 4 or a multiple of 8), the rows side by side
//            in vector lanes.
#define ZORVICK_DECLARE_LANES(isa)                                                 \
    namespace zorvick::quadrature::isa {                                          \
    int width();                                                                   \
    void terms(const points& p, double h, const double* t, int r, double* q, layout l); \
    void add(const double* q, int m, int stride, int width, double* s);            \
    }

ZORVICK_DECLARE_LANES(base)
ZORVICK_DECLARE_LANES(avx2)
ZORVICK_DECLARE_LANES(avx512)

#undef ZORVICK_DECLARE_LANES
