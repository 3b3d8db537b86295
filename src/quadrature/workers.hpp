#pragma once

#include <cstdint>

#include "quadrature/intf.hpp"

namespace zorvick::quadrature {

// CPUs this process may run on (its affinity mask), at least 1.
int cpus();

// One pass of n midpoints for the rows t[0 … r − 1], shared by up to
// how.workers threads, the caller among them.  The terms are computed in
// chunks of consecutive midpoints and added to each row's accumulator s[j]
// (zero on entry) strictly in index order, so every sum is bit-identical to
// the sequential one for any workers and chunk.  Runs with fewer threads,
// down to the caller alone, if threads cannot be created.  Returns false,
// with nothing done, if the buffers cannot be had.
bool shared_pass(const double* t, int r, std::int32_t n, double* s, const plan& how);

}  // namespace zorvick::quadrature
