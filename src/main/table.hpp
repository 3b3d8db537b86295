#pragma once

#include <cstdint>
#include <cstdio>

namespace zorvick::driver {

// The evaluator of one row: the estimate of I(t), with the point count it
// used stored in n.
using evaluator = double (*)(double t, std::int32_t& n);

// The whole run: prompt on out, read tmin, tmax and nt from in, one row per
// grid point on out.  Closes out, so that a failure of its final write-out
// is caught too.  Returns 0, or 2 after writing the diagnostic of the first
// failed statement to err.
int run(std::FILE* in, std::FILE* out, std::FILE* err, evaluator intf);

}  // namespace zorvick::driver
