#pragma once

// A window of consecutive rows of a table, evaluated together.  In a pass
// with n points the midpoints, their logarithms and u·sin u depend on n
// alone, so the rows that are at the same pass share them; only the rest of
// each term, and each row's own sum, is computed per row.  Every row runs
// exactly the passes, sums and stopping test it would run alone, so its
// estimate and count are bit-identical to those of intf.
//
// Each step runs the pass with the lowest n among the rows still going, for
// all rows at that n.  A row that enters later starts at n = 2 and catches
// up through passes that cost little beside the one the others wait at,
// then shares theirs.  Rows leave from the front, in order, once complete.

#include <cstdint>

#include "quadrature/intf.hpp"

namespace zorvick::quadrature {

struct row {
    double t;
    double s;        // estimate of the last pass (0 before the first)
    std::int32_t n;  // count of that pass, or of the next while not done
    bool done;
};

struct window {
    row rows[wmax];
    int count;
};

// Appends a row at t; count must be below wmax.
void push(window& w, double t);

// Whether the front row is complete.
bool ready(const window& w);

// Removes and returns the front row.
row pop(window& w);

// Runs one pass for the rows that are not done and have the lowest n.
void step(window& w, const plan& how);

// Whether the next step is brief: its pass has fewer than 2¹² points, well
// under a millisecond for a full window on any CPU the tool runs on.
bool brief(const window& w);

}  // namespace zorvick::quadrature
