#pragma once

// The two output records.  The prompt is written out to the stream at once;
// rows are written out by flush, which the caller calls when someone
// watching should see them (a row can take minutes).  All return 0, or the
// errno of the failed write.

#include <cstdint>
#include <cstdio>

namespace zorvick::console {

// "  tmin,tmax,nt:": list output starts its record with a blank, then the
// text " tmin,tmax,nt:".
int write_prompt(std::FILE* out);

// Format (i4,2f12.6,i15): row index, t, the estimate and the point count in
// four contiguous fields, 43 characters and a line feed.
inline constexpr int row_width = 43;
void edit_row(char* rec, std::int32_t i, double t, double estimate, std::int32_t n);
int write_row(std::FILE* out, std::int32_t i, double t, double estimate, std::int32_t n);

int flush(std::FILE* out);

}  // namespace zorvick::console
