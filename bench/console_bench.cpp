// The row writer and the list reader.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "console/listin.hpp"
#include "console/output.hpp"

namespace {

void edit_rows(benchmark::State& state)
{
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> v(-2.0, 2.0);
    std::vector<double> values(1024);
    for (double& x : values)
        x = v(gen);
    char rec[zorvick::console::row_width];
    std::int32_t i = 0;
    for (auto _ : state) {
        const double x = values[static_cast<std::size_t>(i) & 1023];
        zorvick::console::edit_row(rec, ++i, x, x * 1e-3, 1048576);
        benchmark::DoNotOptimize(rec);
    }
    state.SetItemsProcessed(state.iterations());
}

// Each row is written out at once: a write system call per row.
void write_rows(benchmark::State& state)
{
    std::FILE* out = std::fopen("/dev/null", "w");
    std::int32_t i = 0;
    for (auto _ : state)
        if (zorvick::console::write_row(out, ++i, 1.5, 0.0052849930811666853, 2048) != 0 ||
            zorvick::console::flush(out) != 0)
            std::abort();
    std::fclose(out);
    state.SetItemsProcessed(state.iterations());
}

void read_list(benchmark::State& state, std::string text)
{
    for (auto _ : state) {
        std::FILE* in = fmemopen(text.data(), text.size(), "r");
        auto got = zorvick::console::read_parameters(in);
        std::fclose(in);
        if (got.why != zorvick::console::cause::none)
            std::abort();
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

}  // namespace

BENCHMARK(edit_rows);
BENCHMARK(write_rows);
BENCHMARK_CAPTURE(read_list, short, std::string("1.5d0, 2.25\n7\n"));
BENCHMARK_CAPTURE(read_list, blanks_1MB, std::string(1 << 20, ' ') + "1 2 3");
BENCHMARK_CAPTURE(read_list, digits_1MB, "0." + std::string(1 << 20, '3') + " 2 3");
