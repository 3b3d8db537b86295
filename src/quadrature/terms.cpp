#include "quadrature/terms.hpp"

#include <algorithm>

#include "quadrature/midpoints.hpp"

namespace zorvick::quadrature {

namespace {

// The library's logarithm and sine of each midpoint and then each row's
// term, in one loop: the divisions overlap the library's calls.  A row
// alone adds an earlier term a midpoint in the same loop, its sum in a
// register.
void scalar_loop(const course& c, double h, std::int64_t first, int m, const double* t, int r, double* q,
                 layout y, const double* earlier, int na, double* s)
{
    if (r == 1) {
        double s0 = s[0];
        int a = 0;
        each_midpoint(h, first, m, [&](int k, double x, double lx, double v) {
            q[k] = term(t[0], lx, v, x, h);
            if (a < na)
                s0 = s0 + earlier[a++];
        });
        for (; a < na; ++a)
            s0 = s0 + earlier[a];
        s[0] = s0;
        return;
    }
    each_midpoint(h, first, m, [=](int k, double x, double lx, double v) {
        for (int j = 0; j < r; ++j)
            q[y.at(k, j)] = term(t[j], lx, v, x, h);
    });
    add(c, earlier, na, s);
}

}  // namespace

void compute(const course& c, double h, std::int64_t first, int m, const double* t, int r, double* q, layout y,
             const double* earlier, int na, double* s)
{
    switch (c.terms) {
    case by::sines:
        libm::terms(c.f, h, first, m, t, r, q, y, earlier, na, 8 * std::max(c.fold, 1), s);
        return;
    case by::scalar:
        scalar_loop(c, h, first, m, t, r, q, y, earlier, na, s);
        return;
    case by::vectors:
        break;
    }
    double x[256];
    double lx[256];
    double v[256];
    libm::evaluate(c.f, h, first, m, x, lx, v);
    kernel_for(c.set).terms({x, lx, v, m}, h, t, r, q, y);
    add(c, earlier, na, s);
}

void add(const course& c, const double* q, int m, double* s)
{
    if (m > 0)
        kernel_for(c.set).add(q, m, c.stride, c.stride, s);
}

void add_group(const course& c, const double* q, int m, int g, double* s)
{
    // the group's lanes, or as many as its rows in a vector of 1, 2 or 4
    const int first = g * group_lanes;
    const int rows = c.rows - first;
    const int width = std::min({group_lanes, c.stride - first, rows <= 2 ? rows : rows <= 4 ? 4 : group_lanes});
    if (m > 0)
        kernel_for(c.set).add(q, m, c.groups > 1 ? group_lanes : c.stride, width, s + first);
}

void inline_pass(const course& c, const double* t, int r, std::int32_t n, double* s)
{
    const double h = 1.0 / static_cast<double>(n);
    // Two buffers of a piece (piece · stride ≤ 4096), their padding lanes
    // zero: each piece's terms are added while the next is computed.  Half
    // a page apart: at a multiple of 4 KB, the loads of one would wait on
    // the stores to the other as if to the same address.
    double b[2 * 4096 + 256];
    double* const q[2] = {b, b + 4096 + 256};
    const int most = r < c.stride ? std::min<std::int32_t>(c.piece, n) : 0;
    for (double* p : q)
        for (int k = 0; k < most; ++k)
            std::fill(p + k * c.stride + r, p + (k + 1) * c.stride, 0.0);
    int ready = 0;  // terms of the piece before, not yet added
    int i = 0;
    for (std::int32_t first = 0; first < n; first += c.piece, i ^= 1) {
        const int m = std::min<std::int32_t>(c.piece, n - first);
        compute(c, h, first, m, t, r, q[i], {c.stride, group_lanes}, q[i ^ 1], c.fold > 0 ? ready : 0, s);
        if (c.fold > 0)
            ready = m;
        else
            add(c, q[i], m, s);
    }
    add(c, q[i ^ 1], ready, s);
}

}  // namespace zorvick::quadrature
