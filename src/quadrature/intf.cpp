#include "quadrature/intf.hpp"

#include <algorithm>
#include <cmath>

#include "quadrature/planner.hpp"
#include "quadrature/terms.hpp"
#include "quadrature/workers.hpp"

namespace zorvick::quadrature {

// Sharing a pass of a row alone among kept helpers pays from about 2¹⁴
// points (bench_intf's threshold benchmark), a few tens of microseconds a
// pass below 2¹⁶: less than a run's first shared pass costs beside, in
// starting the helpers and the planner's timing of shared passes.  So
// passes are shared from 2¹⁶ points for a row alone, from fewer for more
// rows (course.cpp), and tables of rows that stop early never start a
// thread.  A window of two
// vectors of rows shares each logarithm and sine among 16 rows (AVX-512),
// 8 (AVX2) or 4 (SSE2); wider ones hold up the first rows of a table.
plan default_plan(measured* planner, scratch* buffers)
{
    const isa set = widest();
    return {cpus(), 8192, 1 << 16, set, 2 * kernel_for(set).lanes, libm::fastest(), {by::sines, true}, planner, buffers};
}

void pass(const double* t, int r, std::int32_t n, double* s, const plan& how)
{
    if (worth_measuring(r, n, how))
        measure(t, r, n, how);
    const course c = decide(r, n, how);
    double sums[2 * wmax];  // the rows' and the held rows' padding lanes
    std::fill(sums, sums + std::max(r, c.first + c.stride), 0.0);
    if (c.threads == 1)
        inline_pass(c, t, r, n, sums);
    else if (!shared_pass(c, t, r, n, sums, how.buffers))
        inline_pass(decide(r, n, alone(how)), t, r, n, sums);
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
