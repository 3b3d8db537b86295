#include "main/driver.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace zorvick::driver {
namespace {

// The abscissae the driver hands to the evaluator, in the order the rows
// complete.
std::vector<double> seen;

void finish(quadrature::row& r)
{
    seen.push_back(r.t);
    r.s = 0.5;
    r.n = 7;
    r.done = true;
}

// Completes every row at once.
void all_at_once(quadrature::window& w, const quadrature::plan&)
{
    for (int j = 0; j < w.count; ++j)
        if (!w.rows[j].done)
            finish(w.rows[j]);
}

// Completes one row a step, the last one first: the rows must still be
// written in table order.
void back_first(quadrature::window& w, const quadrature::plan&)
{
    for (int j = w.count - 1; j >= 0; --j)
        if (!w.rows[j].done)
            return finish(w.rows[j]);
}

// What the output stream holds, as far as it has been written out; and at
// each step, how many bytes it held.
std::size_t nout = 0;
std::vector<std::size_t> held;

// Row 1 completes at the first step; row 2 at the third, its passes until
// then either long (2¹² points) or brief, each taking 2 ms.
template <bool slow>
void second_waits(quadrature::window& w, const quadrature::plan&)
{
    held.push_back(nout);
    ASSERT_LE(held.size(), 3u);
    if (held.size() == 1) {
        finish(w.rows[0]);
        w.rows[1].n = slow ? 1 << 12 : 2;
    } else if (held.size() == 3) {
        all_at_once(w, {});
    } else if (!slow) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

struct outcome { int status; std::string out, err; };

outcome run_on(std::string input, int window = 1, driver::stepper step = all_at_once)
{
    seen.clear();
    held.clear();
    char *out = nullptr, *err = nullptr;
    std::size_t nerr = 0;
    nout = 0;
    std::FILE* in = fmemopen(input.data(), input.size(), "r");
    std::FILE* fout = open_memstream(&out, &nout);
    std::FILE* ferr = open_memstream(&err, &nerr);
    const quadrature::plan how{1, 4096, 2, quadrature::isa::scalar, window, quadrature::libm::set::library,
                                 {quadrature::by::sines, false}, nullptr, nullptr};
    const int status = run(in, fout, ferr, how, step);  // closes fout
    std::fclose(ferr);
    std::fclose(in);
    outcome got{status, {out, nout}, {err, nerr}};
    std::free(out);
    std::free(err);
    return got;
}

TEST(Table, AccumulatesTheAbscissaByRepeatedAddition)
{
    const struct { const char* input; std::size_t row; double t; const char* field; } cases[] = {
        {"-1 1 11", 6, -5.551115123125783e-17, "   -0.000000"},  // not 0: the running sum
        {"0.1 0.5 2", 1, 0.09999999999999998, "    0.100000"},   // (tmin − dt) + dt
        {"0.5 1.5 11", 11, 1.5000000000000002, "    1.500000"},  // one ulp above tmax
        {"2 1 3", 3, 1.0, "    1.000000"},                       // downward
        {"4 4 3", 3, 4.0, "    4.000000"},                       // zero step
    };
    for (const auto& c : cases) {
        const outcome got = run_on(c.input);
        ASSERT_EQ(got.status, 0) << c.input;
        ASSERT_GE(seen.size(), c.row) << c.input;
        EXPECT_EQ(seen[c.row - 1], c.t) << c.input << std::hexfloat << " gave " << seen[c.row - 1];
        // prompt of 16 bytes, then rows of 44
        EXPECT_EQ(got.out.substr(16 + 44 * (c.row - 1) + 4, 12), c.field) << c.input;
    }
}

TEST(Table, WritesRowsInOrderWhateverOrderTheyComplete)
{
    const std::string rows = "  tmin,tmax,nt:\n"
                             "   1    1.000000    0.500000              7\n"
                             "   2    2.000000    0.500000              7\n"
                             "   3    3.000000    0.500000              7\n"
                             "   4    4.000000    0.500000              7\n";
    for (const int window : {1, 3, 4, 64}) {
        const outcome got = run_on("1 4 4", window, back_first);
        EXPECT_EQ(got.status, 0);
        EXPECT_EQ(got.out, rows) << "window " << window;
        EXPECT_EQ(seen.size(), 4u) << "window " << window;
    }
}

TEST(Table, WritesARowOutBeforeALongStepOrAfterAMillisecond)
{
    // Row 1 is out (after the prompt's 16 bytes) before the second step
    // when that is long, and before the third after a brief one of 2 ms.
    const struct { driver::stepper step; std::size_t at; } cases[] = {
        {second_waits<true>, 1},
        {second_waits<false>, 2},
    };
    for (const auto& c : cases) {
        const outcome got = run_on("1 2 2", 2, c.step);
        EXPECT_EQ(got.status, 0);
        ASSERT_EQ(held.size(), 3u);
        EXPECT_EQ(held[0], 16u);
        EXPECT_EQ(held[c.at], 16u + 44) << "step " << c.at + 1;
        EXPECT_EQ(got.out.size(), 16u + 2 * 44);
    }
}

}  // namespace
}  // namespace zorvick::driver
