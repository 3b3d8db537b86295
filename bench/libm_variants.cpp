// How the C library's logarithm and sine variants differ on this machine.
// glibc picks its log and sin at run time by CPU (with and without FMA);
// run this once with GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX512F
// to record one variant, and once without to compare the other with it:
//   bench_libm_variants record FILE    (under the tunable)
//   bench_libm_variants compare FILE   (without)
// Compared over the 2²² midpoints x of one pass: ln x, and sin u for the
// recorded u = −ln x (the same arguments in both runs); then the estimates
// of I(t) for the t of the README's accuracy table.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "quadrature/intf.hpp"

namespace {

constexpr std::int32_t n = 1 << 22;
constexpr double ts[] = {0.1, 0.25, 0.5, 1.0, 1.5, 2.0, 3.0, 5.0};

struct record {
    std::vector<double> lx, sinu, estimates;
};

record compute(const std::vector<double>* us)
{
    record r{std::vector<double>(n), std::vector<double>(n), {}};
    const double h = 1.0 / n;
    double x = 0.0 - 0.5 * h;
    for (std::int32_t k = 0; k < n; ++k) {
        x = x + h;
        r.lx[k] = std::log(x);
        r.sinu[k] = std::sin(us ? (*us)[k] : -r.lx[k]);
    }
    for (const double t : ts) {
        std::int32_t m = 0;
        r.estimates.push_back(zorvick::quadrature::intf(t, m));
    }
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "record") != 0 && std::strcmp(argv[1], "compare") != 0)) {
        std::fprintf(stderr, "usage: %s record|compare FILE\n", argv[0]);
        return 2;
    }
    const bool rec = std::strcmp(argv[1], "record") == 0;
    std::FILE* f = std::fopen(argv[2], rec ? "wb" : "rb");
    if (!f) {
        std::perror(argv[2]);
        return 2;
    }
    if (rec) {
        const record r = compute(nullptr);
        std::fwrite(r.lx.data(), sizeof(double), n, f);
        std::fwrite(r.sinu.data(), sizeof(double), n, f);
        std::fwrite(r.estimates.data(), sizeof(double), r.estimates.size(), f);
        return std::fclose(f) == 0 ? 0 : 2;
    }
    record old{std::vector<double>(n), std::vector<double>(n), std::vector<double>(std::size(ts))};
    if (std::fread(old.lx.data(), sizeof(double), n, f) != std::size_t(n) ||
        std::fread(old.sinu.data(), sizeof(double), n, f) != std::size_t(n) ||
        std::fread(old.estimates.data(), sizeof(double), std::size(ts), f) != std::size(ts)) {
        std::fprintf(stderr, "%s: short file\n", argv[2]);
        return 2;
    }
    std::fclose(f);
    std::vector<double> us(n);
    for (std::int32_t k = 0; k < n; ++k)
        us[k] = -old.lx[k];
    const record now = compute(&us);
    const auto differ = [](const std::vector<double>& a, const std::vector<double>& b) {
        std::size_t d = 0;
        for (std::size_t k = 0; k < a.size(); ++k)
            d += std::bit_cast<std::uint64_t>(a[k]) != std::bit_cast<std::uint64_t>(b[k]);
        return d;
    };
    std::printf("of %d midpoints: %zu logarithms and %zu sines differ\n", n, differ(old.lx, now.lx),
                differ(old.sinu, now.sinu));
    for (std::size_t j = 0; j < std::size(ts); ++j)
        std::printf("t = %-5g estimate %.17g vs %.17g: %s\n", ts[j], now.estimates[j], old.estimates[j],
                    std::bit_cast<std::uint64_t>(now.estimates[j]) == std::bit_cast<std::uint64_t>(old.estimates[j])
                        ? "same bits"
                        : "differs");
    return 0;
}
