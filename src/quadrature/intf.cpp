#include "quadrature/intf.hpp"

#include <algorithm>
#include <cmath>

#include "quadrature/course.hpp"
#include "quadrature/terms.hpp"
#include "quadrature/workers.hpp"

namespace zorvick::quadrature {

// Measured on 2 cores, a row alone with the fast logarithm and sine:
// sharing a pass, thread start-up included, breaks even between 2¹⁵ and
// 2¹⁶ points and is 1.13 times faster at 2¹⁶, 1.35 at 2¹⁷.  A window of
// two vectors of rows shares each logarithm and sine among 16 rows
// (AVX-512), 8 (AVX2) or 4 (SSE2); wider ones hold up the first rows of a
// table (with the library's logarithm and sine, a window of 32 made the
// first of a table of slow rows 1.7 times later than alone, of 64 2.3).
plan default_plan()
{
    const isa set = widest();
    return {cpus(), 8192, 1 << 16, set, 2 * kernel_for(set).lanes, libm::fastest()};
}

void pass(const double* t, int r, std::int32_t n, double* s, const plan& how)
{
    const course c = decide(r, n, how);
    double sums[wmax];  // c.stride ≤ wmax lanes
    std::fill(sums, sums + c.stride, 0.0);
    if (c.threads == 1 || !shared_pass(c, t, r, n, sums))
        inline_pass(c, t, r, n, sums);
    std::copy(sums, sums + r, s);
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
