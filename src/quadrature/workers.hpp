#pragma once

#include <cstdint>

#include "quadrature/course.hpp"

namespace zorvick::quadrature {

// CPUs this process may run on (its affinity mask), at least 1.
int cpus();

// One pass of n midpoints for the rows t[0 … r − 1], shared by up to
// c.threads threads, the caller among them, its sums added to
// s[0 … c.stride − 1].  Each thread computes whole chunks of midpoints on
// its own, and adds each chunk's terms to the sums when every chunk
// before it has been added: every sum is bit-identical to the sequential
// one for any threads and chunk.  Runs with fewer threads, down to the
// caller alone, if threads cannot be created.  The buffers and the
// helper threads come from *keep, grown or started if they must be, or,
// with keep null, are had for this pass alone.  Returns false, with
// nothing done, if the buffers cannot be had.
bool shared_pass(const course& c, const double* t, int r, std::int32_t n, double* s, scratch* keep);

}  // namespace zorvick::quadrature
