#pragma once

// The vector kernels of the fast logarithm and sine (kernels.cpp), for
// AVX-512: with AVX2's four lanes and its gathers the same kernels were
// slower than the C library's logarithm and gained 1.2 times on the sine
// (measured on 2 cores), so AVX2 CPUs keep the library.  For the
// k = 0 … m − 1:
//   logs   x[k] = (first + k + ½)·h, the midpoints of the pass with spacing
//          h, and lx[k] = ln x[k]; with xs, also xs[k] = first + k + ½
//          (x[k]/h) and its reciprocal yh[k] + yl[k] (lanes.hpp), and the
//          least and greatest lx[k] of the lanes computed in vectors in
//          range[0] and range[1];
//   sines  sn[k] = sin u and v[k] = u·sn[k] for u = −lx[k]; with vin,
//          whether every v[k] that passes the test lies within the bounds
//          of the division through the reciprocal (lanes.hpp);
//   terms  the sines and, for the rows j = 0 … r − 1 (r ≤ 8), their terms
//          term(t[j], lx[k], v[k], x[k], h) (lanes.hpp) to q[j·count + k]
//          (for more than one row with recip, dividing through the
//          midpoint's reciprocal); v[k], unless v is null; and meanwhile
//          the earlier terms add[j·count + i], i = 0 … na − 1, added in
//          order to s[j]: per (8 or 16) a row and step of eight midpoints,
//          the rest after the loop;
// each wherever the rounding test decides: the indices of the other k go to
// fail[0 … f − 1], in increasing order, and f is returned (fail holds
// m + 16 entries);
//   raw    the double-double hi[k] + lo[k] of ln in[k], or of sin in[k],
//          before the test, for the measurement of the library's error
//          (m a multiple of width()).
//
// Free of includes, as kernels.cpp must be.

namespace zorvick::quadrature::libm::avx512 {

int width();
int logs(double h, long long first, int m, double* x, double* lx, int* fail, double* xs = nullptr,
         double* yh = nullptr, double* yl = nullptr, double* range = nullptr);
int sines(const double* lx, int m, double* sn, double* v, int* fail, bool* vin = nullptr);

int terms(const double* x, const double* lx, int m, double h, const double* t, int r, double* q, long count,
          bool recip, double* v, const double* add, int na, int per, double* s, int* fail);
void raw(const double* in, double* hi, double* lo, int m, bool sine);

}  // namespace zorvick::quadrature::libm::avx512
