#pragma once

// The work of a pass, piece by piece, as its course lays it out.  A buffer
// of terms holds row j's term at midpoint k where a layout says (lanes.hpp):
// in a pass on one thread the rows of a midpoint side by side, c.stride
// doubles apart.  The lanes past the last row are zero, or copies that are
// never stored to a row's sum.

#include <cstdint>

#include "quadrature/course.hpp"

namespace zorvick::quadrature {

// The terms of the rows t[0 … r − 1] at the midpoints first … first + m − 1
// (m ≤ c.piece, counted from 0) of the pass with spacing h, into q as y
// lays them out; and meanwhile the na earlier terms in `earlier`, the rows
// side by side c.stride apart, added to the sums s[0 … stride − 1], those
// that the loop does not take after it.
void compute(const course& c, double h, std::int64_t first, int m, const double* t, int r, double* q, layout y,
             const double* earlier, int na, double* s);

// s[j] = s[j] + q[k·stride + j] for k = 0 … m − 1, in order, every lane.
void add(const course& c, const double* q, int m, double* s);

// The same for the lanes of group g, 8g … 8g + 7 (within the stride),
// from a buffer of that group alone, 8 lanes a midpoint (the stride where
// the rows make one group).
void add_group(const course& c, const double* q, int m, int g, double* s);

// A whole pass of n midpoints on the calling thread, its sums added to
// s[0 … stride − 1].
void inline_pass(const course& c, const double* t, int r, std::int32_t n, double* s);

}  // namespace zorvick::quadrature
