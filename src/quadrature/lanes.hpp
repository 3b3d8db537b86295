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

// Each kernel set, for a buffer of terms that holds the rows of a
// midpoint side by side, `stride` doubles apart (stride ≥ r, a multiple
// of the vectors the set groups rows in):
//   width()  doubles per vector;
//   terms    q[k·stride + j] = term(t[j], x_k) for the rows j < r and the
//            midpoints of p (lanes past row r − 1 may get copies);
//   add      s[j] = s[j] + q[k·stride + j] for k = 0 … m − 1 in order and
//            every j < stride, the rows side by side in vector lanes.
#define ZORVICK_DECLARE_LANES(isa)                                                        \
    namespace zorvick::quadrature::isa {                                                 \
    int width();                                                                          \
    void terms(const points& p, double h, const double* t, int r, double* q, int stride); \
    void add(const double* q, int m, int stride, double* s);                              \
    }

ZORVICK_DECLARE_LANES(sse2)
ZORVICK_DECLARE_LANES(avx2)
ZORVICK_DECLARE_LANES(avx512)

#undef ZORVICK_DECLARE_LANES
