// One evaluator pass against the plain sequential loop of the same
// operations, in nanoseconds per midpoint, with one and more workers.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdio>
#include <cstdlib>

#include "plain.hpp"
#include "quadrature/intf.hpp"

namespace {

constexpr double t = 3.0;

benchmark::Counter per_point(std::int64_t n)
{
    return {static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert};
}

void verify(double got, std::int32_t n)
{
    if (std::bit_cast<std::uint64_t>(got) != std::bit_cast<std::uint64_t>(zorvick::testing::plain_pass(t, n))) {
        std::fprintf(stderr, "pass(%d) differs from the sequential definition\n", n);
        std::abort();
    }
}

// Arguments: n, workers, terms per chunk.  One worker is the inline loop.
// The passes keep their buffers and helper threads from one to the next,
// as a table's do.
void evaluator_pass(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    zorvick::quadrature::scratch kept;
    const zorvick::quadrature::plan how{static_cast<int>(state.range(1)), static_cast<std::int32_t>(state.range(2)), 0,
                                        zorvick::quadrature::widest(), 1, zorvick::quadrature::libm::fastest(),
                                        {zorvick::quadrature::by::sines, true}, nullptr, &kept};
    double s = 0;
    for (auto _ : state) {
        zorvick::quadrature::pass(&t, 1, n, &s, how);
        benchmark::DoNotOptimize(s);
    }
    state.counters["time/point"] = per_point(n);
    verify(s, n);
}

void plain_loop(benchmark::State& state)
{
    const auto n = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        double s = zorvick::testing::plain_pass(t, n);
        benchmark::DoNotOptimize(s);
    }
    state.counters["time/point"] = per_point(n);
}

}  // namespace

BENCHMARK(evaluator_pass)
    ->ArgNames({"n", "workers", "chunk"})
    ->ArgsProduct({{1 << 20, 1 << 25}, {1, 2}, {8192}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// Where sharing a pass starts to pay for handing it out.
BENCHMARK(evaluator_pass)
    ->Name("threshold")
    ->ArgNames({"n", "workers", "chunk"})
    ->ArgsProduct({{1 << 11, 1 << 12, 1 << 13, 1 << 14, 1 << 15, 1 << 16, 1 << 17}, {1, 2}, {2048, 8192}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(plain_loop)->ArgName("n")->Arg(1 << 20)->Arg(1 << 25)->Unit(benchmark::kMillisecond)->UseRealTime();
