#include "console/report.hpp"

#include <cstring>

namespace zorvick::console {

namespace {

std::string cause_text(const readout& why)
{
    const std::string in_item = " in item " + std::to_string(why.item);
    switch (why.why) {
    case cause::bad_real:
        return "bad real number" + in_item;
    case cause::bad_integer:
        return "bad integer" + in_item;
    case cause::integer_overflow:
        return "integer overflow" + in_item;
    case cause::zero_repeat:
        return "zero repeat count" + in_item;
    case cause::repeat_overflow:
        return "repeat count overflow" + in_item;
    case cause::real_for_integer:
        return "real value where an integer was expected" + in_item;
    case cause::no_value:
        return "no value for item " + std::to_string(why.item);
    case cause::end_of_file:
        return "end of file";
    case cause::system:
    case cause::none:
        break;
    }
    return std::strerror(why.err);
}

}  // namespace

std::string diagnostic(label at, const readout& why)
{
    const bool reading = at == label::parameters;
    return "zorvick:" + std::to_string(static_cast<int>(at)) + (reading ? ": read" : ": write") +
           (reading ? " error on channel 5 (standard input): " : " error on channel 6 (standard output): ") +
           cause_text(why);
}

int report(std::FILE* err, label at, const readout& why)
{
    const std::string line = diagnostic(at, why) + '\n';
    std::fputs(line.c_str(), err);
    std::fflush(err);
    return failed;
}

}  // namespace zorvick::console
