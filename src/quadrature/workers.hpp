#pragma once

#include <cstdint>

namespace zorvick::quadrature {

// CPUs this process may run on (its affinity mask), at least 1.
int cpus();

// One pass of n midpoints shared by up to `workers` threads, the caller
// among them.  The terms are computed in chunks of `chunk` consecutive
// midpoints and added to one accumulator strictly in index order, so the
// result is bit-identical to the sequential sum for any workers and chunk.
// Runs with fewer threads, down to the caller alone, if threads cannot be
// created.
double shared_pass(double t, std::int32_t n, int workers, std::int32_t chunk);

}  // namespace zorvick::quadrature
