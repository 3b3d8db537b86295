// The shared part of a midpoint term, x → (ln x, u·sin u), by the C
// library and by the fast path, in nanoseconds per midpoint, over the
// midpoints of a pass with 2²⁰ points in blocks of 256, with the share of
// values left to the library as counters.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "quadrature/course.hpp"
#include "quadrature/libm/fast.hpp"

namespace {

using zorvick::quadrature::libm::set;

void shared_part(benchmark::State& state)
{
    const auto s = static_cast<set>(state.range(0));
    if (!zorvick::quadrature::libm::supported(s)) {
        state.SkipWithError("not supported by this CPU or build");
        return;
    }
    constexpr std::int64_t n = 1 << 20;
    constexpr int m = 256;
    double x[m], lx[m], v[m];
    std::int64_t first = 0, logs = 0, sines = 0, values = 0;
    for (auto _ : state) {
        const auto f = zorvick::quadrature::libm::evaluate(s, 1.0 / n, first, m, x, lx, v);
        benchmark::DoNotOptimize(v);
        logs += f.logs;
        sines += f.sines;
        values += m;
        first = (first + m) % n;
    }
    state.counters["time/midpoint"] = benchmark::Counter(static_cast<double>(values), benchmark::Counter::kIsRate |
                                                                                          benchmark::Counter::kInvert);
    state.counters["log fallback"] = static_cast<double>(logs) / static_cast<double>(values);
    state.counters["sin fallback"] = static_cast<double>(sines) / static_cast<double>(values);
}

// The terms of r rows computed in the sine's loop, per midpoint: each row
// adds two divisions.
void rows_in_the_sine_loop(benchmark::State& state)
{
    const auto s = zorvick::quadrature::libm::fastest();
    const int r = static_cast<int>(state.range(0));
    constexpr std::int64_t n = 1 << 20;
    const int stride = zorvick::quadrature::decide(r, n, zorvick::quadrature::default_plan()).stride;
    constexpr int m = 256;
    double t[16];
    for (int j = 0; j < 16; ++j)
        t[j] = 3.0 + 0.0001 * j;
    static double q[16 * m];
    std::int64_t first = 0, values = 0;
    for (auto _ : state) {
        zorvick::quadrature::libm::terms(s, 1.0 / n, first, m, t, r, q, {stride, 8});
        benchmark::DoNotOptimize(q);
        values += m;
        first = (first + m) % n;
    }
    state.counters["time/midpoint"] = benchmark::Counter(static_cast<double>(values), benchmark::Counter::kIsRate |
                                                                                          benchmark::Counter::kInvert);
}

BENCHMARK(rows_in_the_sine_loop)->ArgName("rows")->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(8)->Arg(11)->Arg(16);

BENCHMARK(shared_part)->ArgName("set")->Arg(static_cast<int>(set::library))->Arg(static_cast<int>(set::avx512));

}  // namespace
