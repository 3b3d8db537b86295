// zorvick: tabulates I(t) = ∫₀^∞ u·sin(u)/(t + u)⁶ du on an evenly spaced
// grid of t read from standard input.  Arguments are accepted and ignored.

#include <csignal>
#include <cstdio>

#include "main/driver.hpp"
#include "quadrature/window.hpp"

int main(int, char**)
{
    // A write beyond the file-size limit must fail with EFBIG and be
    // reported like any other write error, not kill the process silently
    // by SIGXFSZ.  SIGPIPE keeps its default: `zorvick | head` ends quietly.
    std::signal(SIGXFSZ, SIG_IGN);
    // What the planner measures here holds for the whole run, and shared
    // passes keep their buffers of terms from one to the next.
    zorvick::quadrature::measured planner{};
    zorvick::quadrature::scratch buffers;
    return zorvick::driver::run(stdin, stdout, stderr, zorvick::quadrature::default_plan(&planner, &buffers),
                                zorvick::quadrature::step);
}
