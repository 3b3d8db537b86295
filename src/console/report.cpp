#include "console/report.hpp"

#include <cstring>

namespace zorvick::console {

namespace {

const char* fault(cause why)
{
    switch (why) {
    case cause::bad_real:
        return "bad real number in item ";
    case cause::bad_integer:
        return "bad integer in item ";
    case cause::integer_overflow:
        return "integer overflow in item ";
    case cause::zero_repeat:
        return "zero repeat count in item ";
    case cause::repeat_overflow:
        return "repeat count overflow in item ";
    case cause::real_for_integer:
        return "real value where an integer was expected in item ";
    case cause::no_value:
        return "no value for item ";
    case cause::end_of_file:
    case cause::system:
    case cause::none:
        break;
    }
    return nullptr;
}

}  // namespace

// Built with snprintf into a fixed buffer: reporting must work when the
// process can allocate nothing more.
int diagnostic(char* buf, std::size_t cap, label at, const readout& why)
{
    const bool reading = at == label::parameters;
    const char* stream = reading ? "read error on channel 5 (standard input)"
                                 : "write error on channel 6 (standard output)";
    const int line = static_cast<int>(at);
    if (const char* f = fault(why.why))
        return std::snprintf(buf, cap, "zorvick:%d: %s: %s%d\n", line, stream, f, why.item);
    const char* text = why.why == cause::end_of_file ? "end of file" : std::strerror(why.err);
    return std::snprintf(buf, cap, "zorvick:%d: %s: %s\n", line, stream, text);
}

int report(std::FILE* err, label at, const readout& why)
{
    char line[256];
    diagnostic(line, sizeof line, at, why);
    std::fputs(line, err);
    std::fflush(err);
    return failed;
}

}  // namespace zorvick::console
