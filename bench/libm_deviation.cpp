// How far from correctly rounded the C library's log and sin are at the
// midpoints: over all 2³¹ − 2 midpoints of the passes n = 2 … 2³⁰, the
// values where std::log(x) or std::sin(u), u = −std::log(x), is not the
// double nearest the exact value, and for those the largest distance of
// the exact value from the midpoint between the two doubles, in ulp.  The
// exact value is the fast path's double-double (error below 2⁻⁶² of it, a
// thousandth of an ulp).  Run it as glibc chooses and under
// GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX512F: the guard bands
// in src/quadrature/libm/constants.py are the larger figures with a margin.
// The logarithms are also split by the binade of |ln x| (glibc's error grows
// as x approaches 1), and the sines by the distance of u from the nearest
// multiple of π in steps of π/32 (it grows near the zeros of the sine).
//   bench_libm_deviation

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "libm/every.hpp"
#include "quadrature/libm/fast.hpp"

namespace {

struct worst {
    std::int64_t count = 0;
    double far = 0;  // in ulp from the rounding midpoint
    double at = 0;   // the midpoint x where it is
};

struct tally {
    worst log;
    worst sin;
    worst log_by_binade[32];
    worst sin_by_distance[17];
};

// The library's value y of the exact hi + lo: if it is not the nearest
// double, the distance of hi + lo from the midpoint between y and the
// nearest, in ulp.
void judge(double x, double y, double hi, double lo, worst& w, worst* also = nullptr)
{
    const double nearest = hi + lo;
    if (y == nearest)
        return;
    const double step = nearest - y;  // ± one ulp, exact
    const double off = (((hi - y) - 0.5 * step) + lo) / step;
    const double far = std::fabs(off);
    for (worst* v : {&w, also})
        if (v != nullptr) {
            ++v->count;
            if (far > v->far)
                *v = {v->count, far, x};
        }
}

}  // namespace

int main()
{
    if (!zorvick::quadrature::libm::supported(zorvick::quadrature::libm::set::avx512)) {
        std::puts("no fast logarithm and sine here: nothing to measure with");
        return 1;
    }
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<tally> tallies(static_cast<std::size_t>(threads));
    zorvick::testing::every_midpoint(threads, [&](int w, double h, std::int64_t first, int m) {
        constexpr int p = zorvick::testing::piece;
        double x[p], l[p], u[p], hi[p], lo[p];
        tally& t = tallies[static_cast<std::size_t>(w)];
        for (int k = 0; k < m; ++k) {
            x[k] = (static_cast<double>(first + k) + 0.5) * h;
            l[k] = std::log(x[k]);
            u[k] = -l[k];
        }
        const int whole = m / 8 * 8;
        zorvick::quadrature::libm::raw(x, hi, lo, whole, false);
        for (int k = 0; k < whole; ++k)
            judge(x[k], l[k], hi[k], lo[k], t.log, &t.log_by_binade[zorvick::quadrature::libm::binade_class(hi[k])]);
        zorvick::quadrature::libm::raw(u, hi, lo, whole, true);
        for (int k = 0; k < whole; ++k)
            judge(x[k], std::sin(u[k]), hi[k], lo[k], t.sin, &t.sin_by_distance[zorvick::quadrature::libm::distance_class(u[k])]);
    });
    tally all;
    for (const tally& t : tallies) {
        auto merge = [](worst& a, const worst& b) {
            a.count += b.count;
            if (b.far > a.far) {
                a.far = b.far;
                a.at = b.at;
            }
        };
        merge(all.log, t.log);
        merge(all.sin, t.sin);
        for (int c = 0; c < 32; ++c)
            merge(all.log_by_binade[c], t.log_by_binade[c]);
        for (int c = 0; c <= 16; ++c)
            merge(all.sin_by_distance[c], t.sin_by_distance[c]);
    }
    const double n = static_cast<double>((std::int64_t{1} << 31) - 2);
    std::printf("log: %lld not correctly rounded (%.4f%%), farthest %.4f ulp from the midpoint, at x = %a\n",
                static_cast<long long>(all.log.count), 100 * all.log.count / n, all.log.far, all.log.at);
    for (int c = 0; c < 32; ++c)
        std::printf("  |ln x| in binade %2d below 1: %8lld, farthest %.4f ulp\n", c,
                    static_cast<long long>(all.log_by_binade[c].count), all.log_by_binade[c].far);
    std::printf("sin: %lld not correctly rounded (%.4f%%), farthest %.4f ulp from the midpoint, at x = %a\n",
                static_cast<long long>(all.sin.count), 100 * all.sin.count / n, all.sin.far, all.sin.at);
    for (int c = 0; c <= 16; ++c)
        std::printf("  u within %2d·π/32 of a multiple of π: %8lld, farthest %.4f ulp\n", c,
                    static_cast<long long>(all.sin_by_distance[c].count), all.sin_by_distance[c].far);
}
