#include "console/listin.hpp"

#include <algorithm>
#include <cerrno>

#include "console/scan.hpp"

namespace zorvick::console {

namespace {

bool blank(int c) { return c == ' ' || c == '\t' || c == '\r'; }

bool ends_value(int c) { return blank(c) || c == '\n' || c == ',' || c == '/' || c == EOF; }

int next(std::FILE* in, int& err)
{
    const int c = getc_unlocked(in);
    if (c == EOF)
        err = errno;
    return c;
}

readout fail(cause why, int item, int err = 0) { return {{}, why, item, err}; }

// EOF from getc is either the end of the input or a read error.
readout stopped(std::FILE* in, int err)
{
    return std::ferror(in) ? system_error(err) : fail(cause::end_of_file, 0);
}

}  // namespace

readout read_parameters(std::FILE* in)
{
    params p;
    int item = 0;       // items filled so far
    bool comma = true;  // the list start counts as a comma: a comma now is a null value
    int err = 0;
    int c = next(in, err);
    while (item < 3) {
        while (blank(c) || c == '\n')
            c = next(in, err);
        if (c == EOF)
            return stopped(in, err);
        if (c == '/' || (c == ',' && comma))
            return fail(cause::no_value, item + 1);
        if (c == ',') {
            comma = true;
            c = next(in, err);
            continue;
        }

        const kind k = item < 2 ? kind::real : kind::integer;
        const cause bad = k == kind::real ? cause::bad_real : cause::bad_integer;
        scan s = start(k);
        std::int64_t r = 1;
        bool repeat = false;
        for (; !ends_value(c); c = next(in, err)) {
            if (c == '*' && !repeat && counting(s)) {
                r = magnitude(s);
                if (r == 0)
                    return fail(cause::zero_repeat, item + 1);
                if (r > maxrepeat)
                    return fail(cause::repeat_overflow, item + 1);
                repeat = true;
                s = start(k);
            } else if (!feed(s, static_cast<char>(c))) {
                return fail(bad, item + 1);
            }
        }
        if (c == EOF && std::ferror(in))
            return system_error(err);
        if (repeat && s.at == state::start)
            return fail(cause::no_value, item + 1);  // r* : r null values
        if (!complete(s))
            return fail(bad, item + 1);

        const double v = k == kind::real ? real(s) : 0.0;
        for (std::int64_t copies = std::min<std::int64_t>(r, 3 - item); copies > 0; --copies) {
            if (item == 0) {
                p.tmin = v;
            } else if (item == 1) {
                p.tmax = v;
            } else if (k == kind::real) {
                return fail(cause::real_for_integer, 3);
            } else {
                const std::int64_t m = magnitude(s);
                if (m > (s.neg ? 2147483648 : 2147483647))
                    return fail(cause::integer_overflow, 3);
                p.nt = static_cast<std::int32_t>(s.neg ? -m : m);
            }
            ++item;
        }
        comma = false;
    }
    return {p, cause::none, 0, 0};
}

}  // namespace zorvick::console
