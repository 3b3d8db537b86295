#include "quadrature/intf.hpp"

#include <algorithm>
#include <cmath>

#include "quadrature/workers.hpp"

namespace zorvick::quadrature {

// Measured on 2 cores: sharing a pass, thread start-up included, breaks even
// between 2¹³ and 2¹⁴ points and is 1.4 times faster at 2¹⁵; at 2²⁵, chunks
// of 8192 midpoints beat chunks of 2048 by 1.6%.  A window of two vectors
// of rows keeps the rows' part of a pass below the shared part (about
// 0.5 ns a row and midpoint with AVX-512, 1.1 with AVX2, against 13–19 ns
// for the logarithm and sine), so the first row of a table of slow rows
// comes out 1.2 to 1.4 times later than alone (measured with AVX-512; a
// window of 32 made it 1.7, of 64 2.3), while a full window shares each
// logarithm and sine among 16 rows (AVX-512), 8 (AVX2) or 4 (SSE2).
plan default_plan()
{
    const isa set = widest();
    return {cpus(), 8192, 1 << 15, set, 2 * kernel_for(set).lanes, libm::fastest(), libm::divider_here()};
}

isa vector_set(int r, const plan& how)
{
    // Measured on 2 cores, one row alone with the library's logarithm and
    // sine: the fused scalar loop is 5 percent faster than an AVX-512 vector
    // with one lane in use.  From two rows on, or with the fast logarithm
    // and sine, the vector sets win.
    return r == 1 && how.libm == libm::set::library ? isa::scalar : how.simd;
}

void pass(const double* t, int r, std::int32_t n, double* s, const plan& how)
{
    std::fill(s, s + r, 0.0);
    if (n >= how.inline_below && how.workers > 1 && shared_pass(t, r, n, s, how))
        return;
    // h = 1/n and the midpoints (k − ½)·h are exact binary fractions for
    // every power of two n ≤ 2³⁰, so they accumulate no error.
    const double h = 1.0 / static_cast<double>(n);
    if (r <= libm::most_rows && how.libm != libm::set::library) {
        libm::sum(how.libm, h, 0, n, t, r, s);
        return;
    }
    const kernel k = kernel_for(vector_set(r, how));
    for (std::int32_t first = 0; first < n; first += blk)
        k.add(h, first, std::min<std::int32_t>(blk, n - first), t, r, s, how.libm, how.divider);
}

bool settled(double sold, double s, std::int32_t n)
{
    const double r = std::fabs(((sold - s) / s) * 100.0);
    return !(r > 0.01) || n == nmax;
}

double intf(double t, std::int32_t& n, const plan& how)
{
    // The first pass never stops for a finite non-zero s: from sold = 0 its
    // change is exactly 100 percent.
    double sold = 0.0;
    for (n = 2;; n = 2 * n) {
        double s;
        pass(&t, 1, n, &s, how);
        if (settled(sold, s, n))
            return s;
        sold = s;
    }
}

double intf(double t, std::int32_t& n) { return intf(t, n, default_plan()); }

}  // namespace zorvick::quadrature
