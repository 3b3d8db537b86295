#pragma once

// The one-line diagnostic of a failed console statement:
//
//   zorvick:<label>: <read|write> error on channel <5|6> (<stream>): <cause>
//
// The labels 5 (prompt), 6 (parameters) and 12 (row) and the channels 5
// (standard input) and 6 (standard output) are fixed names of the three
// statements, not source positions of this implementation.

#include <cstdio>

#include "console/listin.hpp"

namespace zorvick::console {

enum class label { prompt = 5, parameters = 6, row = 12 };

// Status of a run that a console statement ended.
inline constexpr int failed = 2;

// The line, with its line feed, in buf (cut to cap − 1 characters);
// returns snprintf's count.
int diagnostic(char* buf, std::size_t cap, label at, const readout& why);

// Writes the diagnostic to err and returns the status failed.
int report(std::FILE* err, label at, const readout& why);

}  // namespace zorvick::console
