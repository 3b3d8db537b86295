#pragma once

#include <cstdio>

#include "quadrature/window.hpp"

namespace zorvick::driver {

// The evaluator of a window of rows: one step, as quadrature::step.
using stepper = void (*)(quadrature::window& w, const quadrature::plan& how);

// The whole run: prompt on out, read tmin, tmax and nt from in, one row per
// grid point on out, each written out as soon as it and every row before it
// are complete: at once on a terminal, elsewhere before any step that may
// take long and within about a millisecond.  Closes out, so that a failure
// of its final write-out is caught too.  Returns 0, or 2 after writing the
// diagnostic of the first failed statement to err.
int run(std::FILE* in, std::FILE* out, std::FILE* err, const quadrature::plan& how, stepper step);

}  // namespace zorvick::driver
