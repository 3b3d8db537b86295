// The rows of a window at one pass: nanoseconds per row and midpoint, for
// 1, 2, 8 and 64 rows and each kernel set, on the calling thread.  A row
// alone runs the scalar loop whatever the set.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdio>
#include <cstdlib>

#include "plain.hpp"
#include "quadrature/intf.hpp"

namespace {

using zorvick::quadrature::isa;

constexpr std::int32_t n = 1 << 18;

void window_pass(benchmark::State& state)
{
    const auto set = static_cast<isa>(state.range(0));
    const int r = static_cast<int>(state.range(1));
    if (!zorvick::quadrature::supported(set)) {
        state.SkipWithError("kernel set not supported by this CPU");
        return;
    }
    double t[zorvick::quadrature::wmax];
    double s[zorvick::quadrature::wmax];
    for (int j = 0; j < r; ++j)
        t[j] = 2.5 + 0.01 * j;
    const zorvick::quadrature::plan how{1, 32768, n + 1, set, r, zorvick::quadrature::libm::set::library,
                                        {zorvick::quadrature::by::vectors, true}, nullptr, nullptr};
    for (auto _ : state) {
        zorvick::quadrature::pass(t, r, n, s, how);
        benchmark::DoNotOptimize(s);
    }
    state.counters["time/row-point"] = benchmark::Counter(static_cast<double>(n) * r,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (std::bit_cast<std::uint64_t>(s[r - 1]) != std::bit_cast<std::uint64_t>(zorvick::testing::plain_pass(t[r - 1], n))) {
        std::fprintf(stderr, "the window's pass differs from the sequential definition\n");
        std::abort();
    }
}

}  // namespace

BENCHMARK(window_pass)
    ->ArgNames({"isa", "rows"})
    ->ArgsProduct({{0, 1, 2, 3}, {1, 2, 8, 64}})
    ->Unit(benchmark::kMillisecond);
