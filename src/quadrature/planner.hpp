#pragma once

// The planner: which layout of the rows' terms (course.hpp) runs fastest
// is measured on the machine that runs the tool, not guessed from its CPU.
// The first time a process runs a pass of a class (small or large on the
// calling thread, or shared among threads; and its number of rows) that
// has a choice, the candidates are timed on that pass's own rows and
// midpoints, interleaved, and the fastest is kept for the rest of the
// process.  No layout changes a bit of a sum.

#include <cstdint>

#include "quadrature/course.hpp"

namespace zorvick::quadrature {

// Whether a pass of n points for r rows should be measured first: the plan
// keeps measurements, the fast sines give the layouts a choice, and its
// class has none yet.
bool worth_measuring(int r, std::int32_t n, const plan& how);

// Times each candidate layout for the rows t[0 … r − 1] on stretches of the
// midpoints of the pass with n points, computed on the calling thread into
// a sum of its own, a few short runs each, about 2 ms at most; keeps the
// fastest and the times in *how.planner.
void measure(const double* t, int r, std::int32_t n, const plan& how);

}  // namespace zorvick::quadrature
