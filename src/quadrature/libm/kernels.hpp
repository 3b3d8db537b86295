#pragma once

// The vector kernels of the fast logarithm and sine (kernels.cpp), for
// AVX-512: with AVX2's four lanes and its gathers the same kernels were
// slower than the C library's logarithm and gained 1.2 times on the sine
// (measured on 2 cores), so AVX2 CPUs keep the library.  For the
// values in[0 … m − 1]:
//   logs   lx[k] = ln x[k] and sines sn[k] = sin u[k] wherever the rounding
//          test decides; the indices of the other k go to fail[0 … f − 1],
//          in increasing order, and f is returned (fail holds m + 16 entries);
//   raw    the double-double hi[k] + lo[k] before the test, for the
//          measurement of the library's error (m a multiple of width()).
//
// Free of includes, as kernels.cpp must be.

namespace zorvick::quadrature::libm::avx512 {

int width();
int logs(const double* x, double* lx, int m, int* fail);
int sines(const double* u, double* sn, int m, int* fail);
void raw(const double* in, double* hi, double* lo, int m, bool sine);

}  // namespace zorvick::quadrature::libm::avx512
