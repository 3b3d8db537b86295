#include "main/driver.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <unistd.h>

#include "console/listin.hpp"
#include "console/output.hpp"
#include "console/report.hpp"

namespace zorvick::driver {

namespace {

using clock = std::chrono::steady_clock;

// Rows written while only brief steps run wait in out's buffer for at
// most about this long (or until it fills).
constexpr auto linger = std::chrono::milliseconds(1);

// The first failure is final: out is closed, and a failure of that close is
// not reported as a second one.  Rows computed ahead are dropped.
int failed(std::FILE* out, std::FILE* err, console::label at, const console::readout& why)
{
    std::fclose(out);
    return console::report(err, at, why);
}

}  // namespace

int run(std::FILE* in, std::FILE* out, std::FILE* err, const quadrature::plan& how, stepper step)
{
    using console::label;
    if (const int e = console::write_prompt(out))
        return failed(out, err, label::prompt, console::system_error(e));

    const console::readout got = console::read_parameters(in);
    if (got.why != console::cause::none)
        return failed(out, err, label::parameters, got);
    const auto [tmin, tmax, nt] = got.p;

    if (nt >= 1) {
        // For nt = 1 the step is ±inf or NaN and the single t is NaN.
        const double dt = (tmax - tmin) / static_cast<double>(nt - 1);
        // t is accumulated by repeated rounded additions from one step below
        // tmin, not recomputed as tmin + (i − 1)·dt: the printed t and the
        // bits handed to the evaluator are those of the running sum (the
        // t = 0 row of -1 1 11 is −5.55e−17 and prints as -0.000000).
        double t = tmin - dt;
        quadrature::window w;
        w.count = 0;
        const int most = std::clamp(how.window, 1, quadrature::wmax);
        // On a terminal the rows that complete together go out at once.
        // Elsewhere a write of each few rows would cost more than fast rows
        // (a table of 10⁶ of them spent a third of its time writing), so
        // they wait in out's buffer while the steps are brief, but go out
        // before any step that may take long, and after a millisecond at
        // most: whoever watches a pipe or a file sees each row when it is
        // done, as far as a person can tell.
        const bool terminal = isatty(fileno(out)) == 1;
        bool pending = false;
        clock::time_point since{};
        // entered and written never step past nt, even at 2³¹ − 1.
        for (std::int32_t entered = 0, written = 0; written < nt;) {
            for (; entered < nt && w.count < most; ++entered) {
                t = t + dt;
                quadrature::push(w, t);
            }
            if (!quadrature::ready(w)) {
                if (pending && (!quadrature::brief(w) || clock::now() - since >= linger)) {
                    if (const int e = console::flush(out))
                        return failed(out, err, label::row, console::system_error(e));
                    pending = false;
                }
                step(w, how);
                continue;
            }
            while (quadrature::ready(w)) {
                const quadrature::row r = quadrature::pop(w);
                ++written;
                if (const int e = console::write_row(out, written, r.t, r.s, r.n))
                    return failed(out, err, label::row, console::system_error(e));
            }
            if (terminal) {
                if (const int e = console::flush(out))
                    return failed(out, err, label::row, console::system_error(e));
            } else if (!pending) {
                pending = true;
                since = clock::now();
            }
        }
    }

    errno = 0;
    if (std::fclose(out) != 0)
        return console::report(err, nt >= 1 ? label::row : label::prompt,
                               console::system_error(errno != 0 ? errno : EIO));
    return 0;
}

}  // namespace zorvick::driver
