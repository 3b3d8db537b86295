#include "console/report.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace zorvick::console {
namespace {

TEST(Diagnostic, NamesStatementChannelAndCause)
{
    using enum cause;
    const std::string in = "zorvick:6: read error on channel 5 (standard input): ";
    const std::string out = ": write error on channel 6 (standard output): ";
    const struct { label at; readout why; std::string line; } cases[] = {
        {label::parameters, {{}, bad_real, 1, 0}, in + "bad real number in item 1"},
        {label::parameters, {{}, bad_integer, 3, 0}, in + "bad integer in item 3"},
        {label::parameters, {{}, integer_overflow, 3, 0}, in + "integer overflow in item 3"},
        {label::parameters, {{}, zero_repeat, 2, 0}, in + "zero repeat count in item 2"},
        {label::parameters, {{}, repeat_overflow, 1, 0}, in + "repeat count overflow in item 1"},
        {label::parameters, {{}, real_for_integer, 3, 0}, in + "real value where an integer was expected in item 3"},
        {label::parameters, {{}, no_value, 2, 0}, in + "no value for item 2"},
        {label::parameters, {{}, end_of_file, 0, 0}, in + "end of file"},
        {label::parameters, {{}, system, 0, EISDIR}, in + "Is a directory"},
        {label::prompt, {{}, system, 0, ENOSPC}, "zorvick:5" + out + "No space left on device"},
        {label::row, {{}, system, 0, EBADF}, "zorvick:12" + out + "Bad file descriptor"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(diagnostic(c.at, c.why), c.line);
}

}  // namespace
}  // namespace zorvick::console
