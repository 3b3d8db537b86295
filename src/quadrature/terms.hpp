#pragma once

// The work of a pass, piece by piece, as its course lays it out.  A buffer
// of terms holds the held rows' terms where a layout says (lanes.hpp):
// rows in vectors side by side, the rows of the sines' loop each row's
// together.  Lanes past the last row are zero, or copies that are never
// stored to a row's sum.

#include <cstdint>

#include "quadrature/course.hpp"

namespace zorvick::quadrature {

// The terms of the rows t[0 … r − 1] at the midpoints first … first + m − 1
// (m ≤ c.piece, counted from 0) of the pass with spacing h: those of the
// held rows into the buffer b as y lays them out, from its midpoint k0 on,
// those of fused rows added to their sums in s[0 … r − 1]; and meanwhile
// the held rows' earlier terms of na midpoints from midpoint a0 of the
// buffer e on, laid out as b, added to their sums, in the loops that
// compute as far as they take them.
void compute(const course& c, double h, std::int64_t first, int m, const double* t, int r, double* b, long k0,
             layout y, const double* e, long a0, int na, double* s);

// A piece of a chunk that waits for its turn as points (course::points):
// the shared part of the midpoints first … first + m − 1 into x, lx and v,
// with what the division through the reciprocal needs of them into *rec
// where the set computes it beside them (else rec->xs becomes null); and
// the terms of the rows of the sines' loop, t[c.whole …], into
// lq[j·count + k], as that loop computes them with the sines, or those of
// the rows aside (course), t[c.rows − c.aside …], computed across the
// midpoints.
void hold(const course& c, double h, std::int64_t first, int m, const double* t, double* x, double* lx, double* v,
          reciprocals* rec, double* lq, long count);

// The same piece at its turn: the terms of the rows in vectors from its
// points p, and the held terms of the rows of the loop or aside, added in
// order to the sums s[0 … r − 1].
void release(const course& c, const points& p, double h, const double* t, int r, const double* lq, long count,
             double* s);

// How a buffer of terms of `count` midpoints lays out the held rows: the
// rows of a midpoint side by side where they make one group; with more,
// each group's terms together, 8 a midpoint, so that adding a group reads
// only its own.  Rows of the sines' loop row by row in their group's place.
layout buffer_layout(const course& c, long count);

// The held rows' terms of m midpoints in q, laid out by y, added in order
// to their sums s[0 …] (s counted from the first held row), every lane.
void add(const course& c, const double* q, layout y, int m, double* s);

// The same for the midpoints a … m − 1 of group g (held rows 8g … 8g + 7
// within the stride).
void add_group(const course& c, const double* q, layout y, int a, int m, int g, double* s);

// The same for the groups whose bits are set in `which`, all m midpoints.
void add_groups(const course& c, const double* q, layout y, int m, unsigned which, double* s);

// Zeroes the lanes past the last held row (a rows-side-by-side layout's
// padding, within the last group of eight) of the midpoints 0 … m − 1 of
// the buffer b: adding them then adds zeros, never a stale value that
// could be a slow subnormal.
void clear_padding(const course& c, double* b, layout y, long m);

// A whole pass of n midpoints on the calling thread (c.threads = 1), its
// sums added to s[0 … r − 1].
void inline_pass(const course& c, const double* t, int r, std::int32_t n, double* s);

// Doubles of the two buffers of terms that a pass on the calling thread
// uses for its held rows.
inline constexpr int held_doubles = 2 * 4096 + 256;

// The same for the m midpoints from `from` on of the pass with n points;
// with `kept`, in those buffers (held_doubles), whose padding lanes the
// caller has zeroed once for runs after runs, as a shared pass zeroes its
// buffers once.
void inline_run(const course& c, const double* t, int r, std::int32_t n, std::int64_t from, std::int64_t m,
                double* s, double* kept = nullptr);

}  // namespace zorvick::quadrature
