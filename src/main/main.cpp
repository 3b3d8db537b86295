// zorvick: tabulates I(t) = ∫₀^∞ u·sin(u)/(t + u)⁶ du on an evenly spaced
// grid of t read from standard input.  Arguments are accepted and ignored.

#include <csignal>
#include <cstddef>
#include <cstdio>

#include "main/driver.hpp"
#include "quadrature/window.hpp"

namespace {

// The evaluator's deepest calls take about 150 KB of stack (the planner's
// buffers, a kernel call's arrays of midpoints), more than the kernel maps
// for a process at its start.  Reaching that depth once, before the first
// row, has the kernel map it then: in an address space too tight for it
// the process stops before it writes anything, never halfway through a
// table, when the stack could not grow.
[[gnu::noinline]] void reserve_stack()
{
    volatile char depth[192 << 10];
    for (std::size_t i = 0; i < sizeof depth; i += 4096)
        depth[i] = 0;
}

}  // namespace

int main(int, char**)
{
    reserve_stack();
    // A write beyond the file-size limit must fail with EFBIG and be
    // reported like any other write error, not kill the process silently
    // by SIGXFSZ.  SIGPIPE keeps its default: `zorvick | head` ends quietly.
    std::signal(SIGXFSZ, SIG_IGN);
    // What the planner measures here holds for the whole run, and shared
    // passes keep their buffers of terms and their threads from one to the
    // next.
    zorvick::quadrature::measured planner{};
    zorvick::quadrature::scratch buffers;
    return zorvick::driver::run(stdin, stdout, stderr, zorvick::quadrature::default_plan(&planner, &buffers),
                                zorvick::quadrature::step);
}
