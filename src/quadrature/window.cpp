#include "quadrature/window.hpp"

#include <algorithm>

namespace zorvick::quadrature {

void push(window& w, double t) { w.rows[w.count++] = {t, 0.0, 2, false}; }

bool ready(const window& w) { return w.count > 0 && w.rows[0].done; }

row pop(window& w)
{
    const row front = w.rows[0];
    std::copy(w.rows + 1, w.rows + w.count, w.rows);
    --w.count;
    return front;
}

namespace {

// The count of the next step's pass: the lowest n among the rows not done
// (nmax when every row is done).
std::int32_t next(const window& w)
{
    std::int32_t n = nmax;
    for (int j = 0; j < w.count; ++j)
        if (!w.rows[j].done)
            n = std::min(n, w.rows[j].n);
    return n;
}

}  // namespace

bool brief(const window& w) { return next(w) < (std::int32_t{1} << 12); }

void step(window& w, const plan& how)
{
    const std::int32_t n = next(w);
    int at[wmax];
    double t[wmax];
    double s[wmax];
    int r = 0;
    for (int j = 0; j < w.count; ++j)
        if (!w.rows[j].done && w.rows[j].n == n) {
            at[r] = j;
            t[r++] = w.rows[j].t;
        }
    if (r == 0)
        return;
    pass(t, r, n, s, how);
    for (int j = 0; j < r; ++j) {
        row& q = w.rows[at[j]];
        q.done = settled(q.s, s[j], n);
        q.s = s[j];
        if (!q.done)
            q.n = 2 * n;
    }
}

}  // namespace zorvick::quadrature
