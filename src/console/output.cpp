#include "console/output.hpp"

#include <cerrno>

#include "console/field.hpp"

namespace zorvick::console {

namespace {

int put(std::FILE* out, const char* rec, std::size_t len)
{
    errno = 0;
    if (std::fwrite(rec, 1, len, out) == len)
        return 0;
    return errno != 0 ? errno : EIO;
}

}  // namespace

int write_prompt(std::FILE* out)
{
    static constexpr char rec[] = "  tmin,tmax,nt:\n";
    if (const int e = put(out, rec, sizeof rec - 1))
        return e;
    return flush(out);
}

int flush(std::FILE* out)
{
    errno = 0;
    if (std::fflush(out) == 0)
        return 0;
    return errno != 0 ? errno : EIO;
}

void edit_row(char* rec, std::int32_t i, double t, double estimate, std::int32_t n)
{
    integer_field(rec, 4, i);
    fixed_field(rec + 4, t);
    fixed_field(rec + 4 + fixed_width, estimate);
    integer_field(rec + 4 + 2 * fixed_width, 15, n);
}

int write_row(std::FILE* out, std::int32_t i, double t, double estimate, std::int32_t n)
{
    char rec[row_width + 1];
    edit_row(rec, i, t, estimate, n);
    rec[row_width] = '\n';
    return put(out, rec, sizeof rec);
}

}  // namespace zorvick::console
