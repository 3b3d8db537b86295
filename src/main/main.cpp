// zorvick: tabulates I(t) = ∫₀^∞ u·sin(u)/(t + u)⁶ du on an evenly spaced
// grid of t read from standard input.  Arguments are accepted and ignored.

#include <cstdio>

#include "main/driver.hpp"
#include "quadrature/window.hpp"

int main(int, char**)
{
    return zorvick::driver::run(stdin, stdout, stderr, zorvick::quadrature::default_plan(),
                                zorvick::quadrature::step);
}
