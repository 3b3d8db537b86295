#include "quadrature/planner.hpp"

#include <algorithm>
#include <chrono>
#include <limits>

#include "quadrature/terms.hpp"

namespace zorvick::quadrature {

namespace {

using clock = std::chrono::steady_clock;

// Passes this small are measured on: below it, a pass is four vectors of
// midpoints at most, and its layout matters little.
constexpr std::int32_t smallest = 64;

// Runs of each candidate, and the time after which no further round
// starts.
constexpr int rounds = 5;
constexpr auto budget = std::chrono::microseconds(2000);

// A run: the whole of a small pass, or four stretches of 512 midpoints
// spread over a large one (whose midpoints differ in how often the fast
// logarithm and sine leave them to the library).  A thread sharing a pass
// computes about half its pieces while they have their turn, in the live
// course (workers.cpp), and the others into buffers, to be added later:
// so does a run, half and half.
constexpr int stretches = 4;
constexpr std::int32_t stretch = 512;

// The first midpoint of stretch i of a large pass of n points: the
// middle of its quarter.
std::int64_t stretch_at(std::int32_t n, int i) { return std::int64_t{n} / stretches * i + n / stretches / 2; }

double run(const course& c, const double* t, int r, std::int32_t n, double* kept)
{
    const course l = c.threads > 1 ? live(c) : c;
    // (held points cost what computing them live does)
    const course b = c.threads > 1 && c.points ? l : c;
    double s[wmax] = {};
    const auto start = clock::now();
    if (n < large) {
        inline_run(l, t, r, n, 0, n / 2, s, kept);
        inline_run(b, t, r, n, n / 2, n - n / 2, s, kept);
    } else {
        for (int i = 0; i < stretches; ++i)
            inline_run(i % 2 == 0 ? l : b, t, r, n, stretch_at(n, i), stretch, s, kept);
    }
    return std::chrono::duration<double, std::nano>(clock::now() - start).count();
}

// What a thread of a shared pass that holds points computes of a chunk
// before its turn and at it (terms.hpp, hold and release), timed apart on
// stretches of half a run's (nanoseconds a midpoint, the least of a few
// rounds).  In a frame of its own, which the runs after it do not keep.
[[gnu::noinline]] void split(const course& c, const double* t, int r, std::int32_t n, double& before, double& at)
{
    constexpr int most = stretch / 2;
    const double h = 1.0 / static_cast<double>(n);
    const int m = static_cast<int>(std::min<std::int32_t>(most, n));
    const int runs = n < large ? 1 : stretches;
    double x[most], lx[most], v[most], xs[most], yh[most], yl[most], lq[(group_lanes - 1) * most];
    double s[wmax] = {};
    before = at = std::numeric_limits<double>::infinity();
    for (int round = 0; round <= rounds; ++round) {
        double held = 0.0;
        double released = 0.0;
        for (int i = 0; i < runs; ++i) {
            const std::int64_t first = runs > 1 ? stretch_at(n, i) : 0;
            reciprocals rec{xs, yh, yl, false, 0.0, 0.0};
            const auto start = clock::now();
            hold(c, h, first, m, t, x, lx, v, &rec, lq, most);
            const auto mid = clock::now();
            release(c, {x, lx, v, m, rec.xs != nullptr ? &rec : nullptr}, h, t, r, lq, most, s);
            const auto end = clock::now();
            held += std::chrono::duration<double, std::nano>(mid - start).count();
            released += std::chrono::duration<double, std::nano>(end - mid).count();
        }
        if (round > 0) {
            before = std::min(before, held / (runs * m));
            at = std::min(at, released / (runs * m));
        }
    }
}

}  // namespace

bool worth_measuring(int r, std::int32_t n, const plan& how)
{
    return how.planner != nullptr && how.libm != libm::set::library && n >= smallest &&
           !how.planner->done[pass_class(n, threads_for(r, n, how))][r];
}

void measure(const double* t, int r, std::int32_t n, const plan& how)
{
    measured& m = *how.planner;
    const int k = pass_class(n, threads_for(r, n, how));
    // Each candidate as one thread of the pass computes, on the calling
    // thread, where it is one for r rows: a thread sharing a pass puts
    // every row's terms through buffers and folds or adds them as the
    // course says.
    plan one = how;
    one.planner = nullptr;
    course c[ncandidates];
    bool in[ncandidates];
    double best[ncandidates];
    double held[ncandidates][2] = {};
    int many = 0;
    for (int i = 0; i < ncandidates; ++i) {
        const choice l = choice_for(candidates[i], r);
        in[i] = l.layout == candidates[i].layout && l.recip == candidates[i].recip;
        one.layout = l;
        one.points = true;
        c[i] = decide(r, n, one);
        if (in[i] && c[i].points) {
            // whether a shared pass of this layout holds points, before it
            // is timed as it will run (measured)
            split(c[i], t, r, n, held[i][0], held[i][1]);
            one.points = held[i][1] * (c[i].threads - 1) <= 0.8 * held[i][0];
            c[i] = decide(r, n, one);
        }
        best[i] = std::numeric_limits<double>::infinity();
        many += in[i];
    }
    if (many > 1) {
        // Interleaved, so that a change of the machine's speed meets every
        // candidate alike; the least time of each is the one least
        // disturbed.  The first round warms the caches and predictors.
        // The buffers of held rows are zeroed once, as a shared pass zeroes
        // its own once: zeroed for each short run, their padding lanes
        // took longer than computing the rows in vectors, and shared passes
        // never chose them.
        // (Lanes that runs leave there are terms of these rows, never a
        // stale value that could be slow to add.)
        double kept[held_doubles] = {};
        const auto start = clock::now();
        for (int round = 0; round <= rounds && (round < 3 || clock::now() - start < budget); ++round)
            for (int i = 0; i < ncandidates; ++i)
                if (in[i]) {
                    const double ns = run(c[i], t, r, n, kept);
                    if (round > 0)
                        best[i] = std::min(best[i], ns);
                }
    }
    const double points = static_cast<double>(n < large ? n : stretches * stretch) * r;
    int fastest = -1;
    for (int i = 0; i < ncandidates; ++i) {
        m.ns[k][r][i] = in[i] && many > 1 ? best[i] / points : 0.0;
        if (in[i] && (fastest < 0 || best[i] < best[fastest]))
            fastest = i;
    }
    m.chosen[k][r] = candidates[fastest];
    if (k == 2) {
        m.shared[r] = held[fastest][0];
        m.rows[r] = held[fastest][1];
        m.points[r] = c[fastest].points;
    }
    m.done[k][r] = true;
}

}  // namespace zorvick::quadrature
