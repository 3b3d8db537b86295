#include "quadrature/intf.hpp"

#include <algorithm>
#include <cmath>

#include "quadrature/course.hpp"
#include "quadrature/terms.hpp"
#include "quadrature/workers.hpp"

namespace zorvick::quadrature {

// Measured on 2 cores: sharing a pass, thread start-up included, breaks even
// between 2¹³ and 2¹⁴ points and is 1.4 times faster at 2¹⁵.  A window of
// two vectors of rows keeps the rows' part of a pass below the shared part,
// so the first row of a table of slow rows comes out 1.2 to 1.4 times later
// than alone (a window of 32 made it 1.7, of 64 2.3), while a full window
// shares each logarithm and sine among 16 rows (AVX-512), 8 (AVX2) or 4
// (SSE2).
plan default_plan()
{
    const isa set = widest();
    return {cpus(), 8192, 1 << 15, set, 2 * kernel_for(set).lanes, libm::fastest()};
}

void pass(const double* t, int r, std::int32_t n, double* s, const plan& how)
{
    const course c = decide(r, n, how);
    double sums[wmax] = {};  // c.stride ≤ wmax lanes
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
