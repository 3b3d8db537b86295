// The ordered part of a shared pass against the whole pass on one core:
// for 1, 3, 11 and 16 rows at 2²⁵ points, the adds of every chunk's terms
// to the sums of a group of rows in order, as the owner of each chunk does
// them on more than two threads, which no two cores can do at once (each
// group takes its turns on its own: the first, of eight rows or all, is
// timed).  The counter "cores" is the time of the whole pass on one core
// over the time of the ordered part: how many cores the pass can keep busy
// before the adds hold them up; "adds" is the time of all the adds, which
// the owners spend beside computing.

#include <benchmark/benchmark.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plain.hpp"
#include "quadrature/intf.hpp"
#include "quadrature/terms.hpp"

namespace {

namespace q = zorvick::quadrature;

constexpr std::int32_t n = 1 << 25;

void ordered_part(benchmark::State& state)
{
    const int r = static_cast<int>(state.range(0));
    std::vector<double> t(r);
    for (int j = 0; j < r; ++j)
        t[j] = 2.5 + 0.1 * j;
    q::plan how = q::default_plan();

    // The whole pass on one core.
    how.workers = 1;
    std::vector<double> s(r);
    const auto start = std::chrono::steady_clock::now();
    q::pass(t.data(), r, n, s.data(), how);
    const double whole = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (std::bit_cast<std::uint64_t>(s[0]) != std::bit_cast<std::uint64_t>(zorvick::testing::plain_pass(t[0], n))) {
        std::fprintf(stderr, "the pass differs from the sequential definition\n");
        std::abort();
    }

    // Its adds as a pass on sixteen threads lays them out: the terms of a
    // chunk, computed once into each buffer a thread holds, and added in
    // turn from each, out of the thread's cache as they would be.
    how.workers = 16;
    const q::course c = q::decide(r, n, how);
    const std::size_t size = c.slot;
    std::vector<double> terms(size * c.buffers);
    std::vector<double> sums(c.stride);
    const q::layout y = c.groups > 1 ? q::layout{q::group_lanes, long{q::group_lanes} * c.chunk, c.chunk}
                                     : q::layout{c.stride, q::group_lanes, c.chunk};
    for (int b = 0; b < c.buffers; ++b)
        for (std::int32_t at = 0; at < c.chunk; at += c.piece)
            q::compute(c, 1.0 / n, at, std::min(c.piece, c.chunk - at), t.data(), r, terms.data() + b * size, at, y,
                       nullptr, 0, 0, sums.data());
    double adding = 0;
    for (auto _ : state) {
        const auto from = std::chrono::steady_clock::now();
        for (std::int32_t at = 0, b = 0; at < n; at += c.chunk, b = (b + 1) % c.buffers) {
            q::add_group(c, terms.data() + b * size, y, 0, c.chunk, 0, sums.data());
            benchmark::DoNotOptimize(sums);
        }
        adding += std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    }
    const double ordered = adding / static_cast<double>(state.iterations());
    const auto from = std::chrono::steady_clock::now();
    for (std::int32_t at = 0, b = 0; at < n; at += c.chunk, b = (b + 1) % c.buffers)
        for (int g = 0; g < c.groups; ++g)
            q::add_group(c, terms.data() + b * size, y, 0, c.chunk, g, sums.data());
    benchmark::DoNotOptimize(sums);
    const double adds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    state.counters["ordered ns/midpoint"] = ordered / n * 1e9;
    state.counters["adds ns/midpoint"] = adds / n * 1e9;
    state.counters["whole ns/midpoint"] = whole / n * 1e9;
    state.counters["cores"] = whole / ordered;
    state.counters["chunk"] = c.chunk;
}

}  // namespace

BENCHMARK(ordered_part)->ArgName("rows")->Arg(1)->Arg(3)->Arg(11)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();
