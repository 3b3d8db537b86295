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
    add(c, earlier, y, na, s);
}

// The rows t[0 … r − 1] in vectors of rows: added to their sums s at once
// where the course fuses them, else to q.
void vectors(const course& c, const points& p, double h, const double* t, int r, double* q, layout y, double* s)
{
    if (c.fused)
        kernel_for(c.set).sum(p, h, t, r, s, {});
    else
        kernel_for(c.set).terms(p, h, t, r, q, y);
}

}  // namespace

void compute(const course& c, double h, std::int64_t first, int m, const double* t, int r, double* b, long k0,
             layout y, const double* e, long a0, int na, double* s)
{
    // In the buffers, the rows side by side from midpoint k0 (a0), and the
    // rows of the loop row by row.  Only the loop's rows fold their adds.
    const long loop = y.at(0, c.whole - c.first);
    double* const q = b + y.at(k0, 0);
    double* const lq = b + loop + k0;
    const double* const le = na > 0 ? e + loop + a0 : nullptr;
    const int per = 8 * std::max(c.fold, 1);
    double x[512];  // m ≤ c.piece ≤ 512
    double lx[512];
    double v[512];
    switch (c.terms) {
    case by::sines:
        libm::terms(c.f, h, first, m, t, r, lq, y.count, c.recip, le, na, per, s);
        return;
    case by::both:
        // the rows past the whole vectors in the loop, which leaves the
        // shared part for the others
        libm::terms(c.f, h, first, m, t + c.whole, c.loop, lq, y.count, c.recip, le, na, per, s + c.whole,
                    {x, lx, v});
        vectors(c, {x, lx, v, m}, h, t, c.whole, q, y, s);
        return;
    case by::scalar:
        scalar_loop(c, h, first, m, t, r, q, y, na > 0 ? e + y.at(a0, 0) : nullptr, na, s + c.first);
        return;
    case by::vectors:
        break;
    }
    double xs[512];
    double yh[512];
    double yl[512];
    reciprocals rec{xs, yh, yl, false, 0.0, 0.0};
    libm::evaluate(c.f, h, first, m, x, lx, v, nullptr, &rec);
    vectors(c, {x, lx, v, m, rec.xs != nullptr ? &rec : nullptr}, h, t, r, q, y, s);
}

void hold(const course& c, double h, std::int64_t first, int m, const double* t, double* x, double* lx, double* v,
          reciprocals* rec, double* lq, long count)
{
    if (c.loop == 0) {
        libm::evaluate(c.f, h, first, m, x, lx, v, nullptr, rec);
        if (c.aside > 0)
            kernel_for(c.set).across({x, lx, v, m, rec->xs != nullptr ? rec : nullptr}, h, t + c.rows - c.aside,
                                     c.aside, lq, count);
        return;
    }
    libm::terms(c.f, h, first, m, t + c.whole, c.loop, lq, count, c.recip, nullptr, 0, 8, nullptr, {x, lx, v});
    *rec = {nullptr, nullptr, nullptr, false, 0.0, 0.0};
}

void release(const course& c, const points& p, double h, const double* t, int r, const double* lq, long count,
             double* s)
{
    const int vectors = c.whole - c.aside;
    kernel_for(c.set).sum(p, h, t, vectors, s, {lq, count, r - vectors, s + vectors});
}

layout buffer_layout(const course& c, long count)
{
    return c.groups > 1 ? layout{group_lanes, long{group_lanes} * count, count} : layout{c.stride, group_lanes, count};
}

void add(const course& c, const double* q, layout y, int m, double* s)
{
    add_groups(c, q, y, m, (1u << c.groups) - 1, s);
}

void add_groups(const course& c, const double* q, layout y, int m, unsigned which, double* s)
{
    // Each lane's adds are a chain that waits on itself, a few cycles an
    // add; the chains of different groups are independent.  The groups of
    // rows in vectors, each laid out on its own, are added in one loop,
    // their chains side by side, and so are a group and the rows of a loop
    // after it.  With more groups, the rows of a loop, the last group, are
    // added row by row: taken a short block of midpoints of each in turn,
    // the blocks fit in the CPU's window of instructions at once and their
    // chains overlap; one after the other, they would not.
    if (c.groups == 1) {
        if ((which & 1) != 0)
            add_group(c, q, y, 0, m, 0, s);
        return;
    }
    const int vectors = c.loop > 0 ? c.groups - 1 : c.groups;
    const bool loop = vectors < c.groups && (which >> vectors & 1) != 0;
    if (loop && vectors == 1 && (which & 1) != 0) {
        // a group of rows in vectors and the rows of a loop: every chain in
        // one loop
        kernel_for(c.set).mixed(q, m, q + y.at(0, group_lanes), y.count, c.loop, s);
        return;
    }
    const int block = loop ? 64 : std::max(m, 1);
    for (int a = 0; a < m; a += block) {
        const int e = std::min(m, a + block);
        // each run of consecutive groups in `which` in one loop
        for (int g = 0; g < vectors; ++g) {
            if ((which >> g & 1) == 0)
                continue;
            int h = g + 1;
            while (h < vectors && (which >> h & 1) != 0)
                ++h;
            kernel_for(c.set).grouped(q + y.at(a, g * group_lanes), e - a, y.group, h - g, s + g * group_lanes);
            g = h;
        }
        if (loop)
            add_group(c, q, y, a, e, vectors, s);
    }
}

void add_group(const course& c, const double* q, layout y, int a, int m, int g, double* s)
{
    if (m <= a)
        return;
    const int first = g * group_lanes;
    if (c.loop > 0 && first + c.loop == c.held) {
        row_adds(q + y.at(0, first) + a, y.count, m - a, c.loop, s + first);
        return;
    }
    // the group's lanes, or as many as its rows in a vector of 1, 2 or 4
    const int rows = c.held - first;
    const int width = std::min({group_lanes, c.stride - first, rows <= 2 ? rows : rows <= 4 ? 4 : group_lanes});
    kernel_for(c.set).add(q + y.at(a, first), m - a, y.step, width, s + first);
}

void clear_padding(const course& c, double* b, layout y, long m)
{
    // Rows of a loop have no padding.  The padding lanes of midpoint k are
    // at(k, held) … at(k, held) + stride − held − 1: one group of eight.
    if (c.loop > 0 || c.held >= c.stride)
        return;
    double* const p = b + y.at(0, c.held);
    const int lanes = c.stride - c.held;
    for (long k = 0; k < m; ++k)
        for (int j = 0; j < lanes; ++j)
            p[k * y.step + j] = 0.0;
}

namespace {

// inline_run() for passes whose held rows go through buffers: in b
// (held_doubles), their padding lanes zeroed here unless `zeroed` says
// they are.
void held_run(const course& c, double h, const double* t, int r, std::int64_t from, std::int64_t m, double* s,
              double* b, bool zeroed)
{
    // Two buffers of a piece (piece · stride ≤ 4096), the padding lanes of
    // rows side by side zero: each piece's terms are added while the next
    // is computed.  Half a page apart: at a multiple of 4 KB, the loads of
    // one would wait on the stores to the other as if to the same address.
    double* const q[2] = {b, b + 4096 + 256};
    const layout y = buffer_layout(c, c.piece);
    if (!zeroed)
        for (double* p : q)
            clear_padding(c, p, y, std::min<std::int64_t>(c.piece, m));
    double* const hs = s + c.first;
    int ready = 0;  // terms of the piece before, not yet added
    int i = 0;
    for (std::int64_t first = from; first < from + m; first += c.piece, i ^= 1) {
        const int k = static_cast<int>(std::min<std::int64_t>(c.piece, from + m - first));
        compute(c, h, first, k, t, r, q[i], 0, y, q[i ^ 1], 0, c.fold > 0 ? ready : 0, s);
        if (c.fold > 0)
            ready = k;
        else
            add(c, q[i], y, k, hs);
    }
    add(c, q[i ^ 1], y, ready, hs);
}

// held_run() in buffers on the stack, in a frame of its own that passes
// without held rows do not set up.
[[gnu::noinline]] void own_run(const course& c, double h, const double* t, int r, std::int64_t from,
                               std::int64_t m, double* s)
{
    double b[held_doubles];
    held_run(c, h, t, r, from, m, s, b, false);
}

}  // namespace

void inline_pass(const course& c, const double* t, int r, std::int32_t n, double* s)
{
    inline_run(c, t, r, n, 0, n, s);
}

void inline_run(const course& c, const double* t, int r, std::int32_t n, std::int64_t from, std::int64_t m,
                double* s, double* kept)
{
    const double h = 1.0 / static_cast<double>(n);
    if (c.held == 0) {
        // every row added to its sum as it is computed: no buffers
        const layout none{0, group_lanes, 0};
        for (std::int64_t first = from; first < from + m; first += c.piece)
            compute(c, h, first, static_cast<int>(std::min<std::int64_t>(c.piece, from + m - first)), t, r, nullptr,
                    0, none, nullptr, 0, 0, s);
        return;
    }
    if (kept != nullptr)
        held_run(c, h, t, r, from, m, s, kept, true);
    else
        own_run(c, h, t, r, from, m, s);
}

}  // namespace zorvick::quadrature
