// The shared part of a midpoint term, x → (ln x, u·sin u), by the C
// library and by the fast path, in nanoseconds per midpoint, over the
// midpoints of a pass with 2²⁰ points in blocks of 256, with the share of
// values left to the library as counters.  Then, for 1 to 16 rows, what
// each layout of the rows' terms costs here, in nanoseconds a row and
// midpoint, and what the planner measures and chooses.

#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plain.hpp"
#include "quadrature/intf.hpp"
#include "quadrature/planner.hpp"

namespace {

namespace q = zorvick::quadrature;
using q::libm::set;

void shared_part(benchmark::State& state)
{
    const auto s = static_cast<set>(state.range(0));
    if (!q::libm::supported(s)) {
        state.SkipWithError("not supported by this CPU or build");
        return;
    }
    constexpr std::int64_t n = 1 << 20;
    constexpr int m = 256;
    double x[m], lx[m], v[m];
    std::int64_t first = 0, logs = 0, sines = 0, values = 0;
    for (auto _ : state) {
        const auto f = q::libm::evaluate(s, 1.0 / n, first, m, x, lx, v);
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

// Rows of a table of slow rows (t from 3 on, 0.0001 apart).
void slow_rows(double* t, int r);

// The terms of r rows computed in the sine's loop, per midpoint, stored
// for the adds (which are not timed), by the division (recip 0) or the
// reciprocal (1).
void rows_in_the_sine_loop(benchmark::State& state)
{
    const auto s = q::libm::fastest();
    const int r = static_cast<int>(state.range(0));
    const bool recip = state.range(1) != 0;
    constexpr std::int64_t n = 1 << 20;
    constexpr int m = 256;
    double t[8];
    slow_rows(t, r);
    static double qs[8 * m];
    std::int64_t first = 0, values = 0;
    for (auto _ : state) {
        q::libm::terms(s, 1.0 / n, first, m, t, r, qs, m, recip);
        benchmark::DoNotOptimize(qs);
        values += m;
        first = (first + m) % n;
    }
    state.counters["time/midpoint"] = benchmark::Counter(static_cast<double>(values), benchmark::Counter::kIsRate |
                                                                                          benchmark::Counter::kInvert);
}

// Rows of a table of slow rows (t from 3 on, 0.0001 apart).
void slow_rows(double* t, int r)
{
    for (int j = 0; j < r; ++j)
        t[j] = 3.0 + 0.0001 * j;
}

// A whole pass of r rows on the calling thread with one of the planner's
// candidates (course.hpp: 0 and 1 sines, 2 and 3 both, by the division and
// by the reciprocal, 4 vectors), at n = 2¹⁶ or, for the small passes of
// fast rows, n = 64 (its time a row and midpoint includes the pass's
// set-up).
void layout(benchmark::State& state)
{
    const int r = static_cast<int>(state.range(0));
    const q::choice l = q::candidates[state.range(1)];
    const auto n = static_cast<std::int32_t>(state.range(2));
    q::plan how = q::default_plan();
    how.workers = 1;
    how.layout = l;
    const q::choice is = q::choice_for(l, r);
    if (how.libm == set::library || is.layout != l.layout || is.recip != l.recip) {
        state.SkipWithError(how.libm == set::library ? "no fast sines here" : "the same as another layout for these rows");
        return;
    }
    double t[16], s[16];
    slow_rows(t, r);
    for (auto _ : state) {
        q::pass(t, r, n, s, how);
        benchmark::DoNotOptimize(s);
    }
    state.counters["time/row-point"] = benchmark::Counter(static_cast<double>(n) * r,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (std::bit_cast<std::uint64_t>(s[r - 1]) != std::bit_cast<std::uint64_t>(zorvick::testing::plain_pass(t[r - 1], n))) {
        std::fprintf(stderr, "the pass differs from the sequential definition\n");
        std::abort();
    }
}

// What the planner measures for r rows at n points, as a table would have
// it do once (each iteration measures anew): its choice (as in layout) and
// each candidate's time a row and midpoint; for a pass shared among
// threads, also what a thread computes of a chunk held as points before
// its turn and at it, in ns a midpoint, and whether the pass holds points.
void planner(benchmark::State& state)
{
    const int r = static_cast<int>(state.range(0));
    const auto n = static_cast<std::int32_t>(state.range(1));
    q::measured m{};
    const q::plan how = q::default_plan(&m);
    if (how.libm == set::library) {
        state.SkipWithError("no fast sines here: nothing to choose");
        return;
    }
    double t[16];
    slow_rows(t, r);
    const int k = q::pass_class(n, q::threads_for(r, n, how));
    for (auto _ : state) {
        m.done[k][r] = false;
        q::measure(t, r, n, how);
    }
    for (int i = 0; i < q::ncandidates; ++i)
        if (m.chosen[k][r].layout == q::candidates[i].layout && m.chosen[k][r].recip == q::candidates[i].recip)
            state.counters["choice"] = i;
    for (int i = 0; i < q::ncandidates; ++i)
        state.counters[std::to_string(i) + " ns"] = m.ns[k][r][i];
    if (k == 2) {
        state.counters["held ns"] = m.shared[r];
        state.counters["turn ns"] = m.rows[r];
        state.counters["points"] = m.points[r];
    }
}

}  // namespace

BENCHMARK(shared_part)->ArgName("set")->Arg(static_cast<int>(set::library))->Arg(static_cast<int>(set::avx512));
BENCHMARK(rows_in_the_sine_loop)->ArgNames({"rows", "recip"})->ArgsProduct({benchmark::CreateDenseRange(1, 8, 1), {0, 1}});
BENCHMARK(layout)
    ->ArgNames({"rows", "layout", "n"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 16, 1), {0, 1, 2, 3, 4}, {64, 1 << 16}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(planner)
    ->ArgNames({"rows", "n"})
    ->ArgsProduct({benchmark::CreateDenseRange(1, 16, 1), {64, 1 << 16}})
    ->Unit(benchmark::kMicrosecond);
