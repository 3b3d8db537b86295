#pragma once

#include <cstdint>
#include <vector>

#include "plain.hpp"
#include "quadrature/window.hpp"

namespace zorvick::quadrature {

struct result { double s; std::int32_t n; };

// The rows ts run through a window as the driver runs a table: fill the
// window, step until its front row is complete, take the front row out.
inline std::vector<result> tabulate(const std::vector<double>& ts, const plan& how)
{
    window w;
    w.count = 0;
    std::vector<result> got;
    for (std::size_t next = 0; got.size() < ts.size();) {
        while (next < ts.size() && w.count < how.window)
            push(w, ts[next++]);
        if (!ready(w)) {
            step(w, how);
            continue;
        }
        const row r = pop(w);
        got.push_back({r.s, r.n});
    }
    return got;
}

// The same rows one by one, by the sequential definition.
inline std::vector<result> sequential(const std::vector<double>& ts)
{
    std::vector<result> want;
    for (const double t : ts) {
        result w{};
        w.s = testing::plain_intf(t, w.n);
        want.push_back(w);
    }
    return want;
}

}  // namespace zorvick::quadrature
