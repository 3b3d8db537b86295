#include "quadrature/workers.hpp"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <memory>
#include <thread>

#include "quadrature/midpoints.hpp"

namespace zorvick::quadrature {

namespace {

// Most threads for one pass.
constexpr int most = 256;

// The rows of one group (a vector or less), with the chunks added to their
// sums so far; a cache line each, as different threads add for different groups.
struct alignas(64) group {
    std::atomic<std::int32_t> summed{0};
    std::atomic<bool> adding{false};
};

// The state of one pass.  Threads claim chunks of midpoints in increasing
// order and compute their shared part (x, ln x, u·sin u) into slot
// c mod nslots of a ring.  Each group of rows then adds the chunk's terms
// to its sums strictly in chunk order, by whichever thread finds the next
// chunk ready for that group; one thread adds for a group at a time, and
// different groups are added by different threads at once.  The ring lets
// a fast thread run ahead of a slow one: on a shared machine one CPU is
// often slower than the other, and with a single buffer per thread the pair
// would move in lockstep at the slow CPU's pace (measured: with one CPU at
// half speed, 2 workers gain nothing that way and 1.4 times with the ring).
//
// A slot holds 24 bytes a midpoint, whatever the number of rows.  Holding
// the finished terms instead (computed in parallel, 8 bytes a row and
// midpoint, the adding reduced to one vector add) was measured 12 percent
// slower on 2 CPUs with 16 rows: the terms cross from core to core.  For a
// row alone it is the other way round, and its slots hold its terms: they
// are computed in the loop of their logarithms and sines, which hides the
// divisions, and adding them is one add a midpoint.  (Adding a row alone
// from the shared part made the t = 0 row of "0 1 2" 8 percent slower than
// it was before rows were evaluated together.)  So do up to three rows with
// the fast logarithm and sine, whose adds are chains side by side, and the
// first two of a larger pass, whose other rows go in vectors from the
// shared part the slot holds after them: on 2 Intel cores, passes of 2, 4,
// 7 and 16 rows at 2²⁵ points took 0.23, 0.34, 0.50 and 0.88 s so against
// 0.36, 0.36, 0.55 and 0.92 s in vectors of rows alone.  More rows in the
// sine's loop outlast its work: four took 0.38 s.  On 2 AMD Zen 5 cores,
// whose divider takes as long for a vector of two rows as of eight, the
// slots hold the terms of every row outside whole pairs of vectors
// (libm::lead): 4, 6, 8 and 11 rows took 0.14, 0.16, 0.20 and 0.23 s so
// against 0.19, 0.26, 0.34 and 0.32 s with two rows held.  The held rows
// are added in as many groups as workers, so that no thread adds every
// chain while the others wait.
struct pass_state {
    const double* t;
    int r;
    kernel k;
    libm::set f;
    double h;
    std::int32_t n;
    std::int32_t chunk;
    std::int32_t nchunks;
    std::int32_t nslots;
    int nq;                                    // leading rows whose terms a slot holds
    std::size_t stride;                        // doubles a slot holds per midpoint
    double* shared;                            // nslots × stride × chunk
    std::atomic<std::int32_t> ready[4 * most];  // chunk whose shared part a slot holds
    std::atomic<std::int32_t> claim{0};         // next chunk to compute
    group groups[wmax];
    int hwidth;  // held rows a group
    int nheld;   // groups of held rows
    int width;   // other rows a group
    int ngroups;
    double* s;  // rows of a group are touched only by the thread adding for it
};

std::int32_t chunk_size(const pass_state& p, std::int32_t c)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(p.chunk, p.n - std::int64_t{c} * p.chunk));
}

// The leading rows whose terms the slots hold, computed in the loop of
// their sines; then x, ln x and u·sin u for the other rows, if any.
int terms_held(int r, const plan& how)
{
    if (how.libm == libm::set::library)
        return r == 1 ? 1 : 0;
    return libm::lead(r, how.divider, how.workers);
}

double* slot(const pass_state& p, std::int32_t c)
{
    return p.shared + std::size_t(c % p.nslots) * p.stride * std::size_t(p.chunk);
}

points shared_part(const pass_state& p, std::int32_t c)
{
    const double* q = slot(p, c) + std::size_t(p.nq) * std::size_t(p.chunk);
    return {q, q + p.chunk, q + 2 * p.chunk, chunk_size(p, c)};
}

// The rows of group g: the held rows first, in groups of hwidth, then the
// others in groups of width.
struct rows_of {
    int first;
    int count;
};

rows_of group_rows(const pass_state& p, int g)
{
    if (g < p.nheld)
        return {g * p.hwidth, std::min(p.hwidth, p.nq - g * p.hwidth)};
    const int first = p.nq + (g - p.nheld) * p.width;
    return {first, std::min(p.width, p.r - first)};
}

// Adds the ready chunks to the sums of group g, in order.  A chunk that
// becomes ready while another thread is adding for g is seen by that
// thread's check after it lets go (the seq_cst order of the ready store,
// the exchange, the release and the check makes this a Dekker handshake),
// so no ready chunk is left behind.
void add_ready(pass_state& p, int g)
{
    group& grp = p.groups[g];
    const rows_of rows = group_rows(p, g);
    while (!grp.adding.exchange(true)) {
        std::int32_t f = grp.summed.load(std::memory_order_relaxed);
        for (; f < p.nchunks && p.ready[f % p.nslots].load(std::memory_order_acquire) == f; ++f) {
            if (rows.first < p.nq)
                libm::add(slot(p, f) + std::size_t(rows.first) * std::size_t(p.chunk), std::size_t(p.chunk),
                          chunk_size(p, f), rows.count, p.s + rows.first);
            else
                p.k.add_rows(shared_part(p, f), p.h, p.t + rows.first, rows.count, p.s + rows.first);
            grp.summed.store(f + 1, std::memory_order_release);  // frees the slot for g
            grp.summed.notify_all();
        }
        grp.adding.store(false);
        if (f >= p.nchunks || p.ready[f % p.nslots].load() != f)
            return;
    }
}

// A row alone's chunk c, its terms into its slot.  Alone, a chunk's adds
// are a chain of dependent operations that leaves the CPU idle; so the
// thread takes the adding, if no one has it, with the ready chunks next in
// order (at most two, one after the other in the ring), and adds them in
// the loop of chunk c's sines.  Chunks it cannot take wait for the next
// thread to start a chunk, or for a thread's plain add_ready (before it
// waits for a slot, or when no chunk is left to claim).
void row_chunk(pass_state& p, std::int32_t c)
{
    group& grp = p.groups[0];
    std::int32_t f = 0;
    std::int32_t to = 0;
    if (!grp.adding.exchange(true)) {
        f = grp.summed.load(std::memory_order_relaxed);
        for (to = f; to < p.nchunks && to < f + 2 && (to == f || to % p.nslots != 0) &&
                     p.ready[to % p.nslots].load(std::memory_order_acquire) == to;)
            ++to;
        if (to == f)
            grp.adding.store(false);
    }
    const std::int64_t na = to > f ? std::int64_t{to - 1 - f} * p.chunk + chunk_size(p, to - 1) : 0;
    const double s = p.k.terms(p.h, std::int64_t{c} * p.chunk, chunk_size(p, c), p.t[0], slot(p, c),
                               na > 0 ? slot(p, f) : nullptr, na, na > 0 ? p.s[0] : 0.0, p.f);
    if (to > f) {
        p.s[0] = s;
        grp.summed.store(to, std::memory_order_release);
        grp.summed.notify_all();
        grp.adding.store(false);
    }
    p.ready[c % p.nslots].store(c);
}

void work(pass_state& p)
{
    for (;;) {
        const std::int32_t c = p.claim.fetch_add(1, std::memory_order_relaxed);
        if (c >= p.nchunks)
            break;
        // The slot is free once every group has added chunk c − nslots.  The
        // lowest chunk not yet ready always has a free slot, and the chunks
        // below it are ready, so this ends.
        for (int g = 0; g < p.ngroups; ++g) {
            std::atomic<std::int32_t>& summed = p.groups[g].summed;
            for (std::int32_t at = summed.load(std::memory_order_acquire); at <= c - p.nslots;
                 at = summed.load(std::memory_order_acquire)) {
                add_ready(p, g);
                summed.wait(at, std::memory_order_acquire);
            }
        }
        if (p.r == 1) {
            row_chunk(p, c);
            continue;
        }
        double* q = slot(p, c);
        double* x = q + std::size_t(p.nq) * std::size_t(p.chunk);
        const std::int64_t first = std::int64_t{c} * p.chunk;
        if (p.nq > 0)
            libm::terms(p.f, p.h, first, chunk_size(p, c), p.t, p.nq, q, std::size_t(p.chunk),
                        p.nq < p.r ? libm::part{x, x + p.chunk, x + 2 * p.chunk} : libm::part{});
        else
            fill(x, x + p.chunk, x + 2 * p.chunk, p.h, first, chunk_size(p, c), p.f);
        p.ready[c % p.nslots].store(c);
        for (int g = 0; g < p.ngroups; ++g)
            add_ready(p, g);
    }
    for (int g = 0; g < p.ngroups; ++g)
        add_ready(p, g);
}

void* helper(void* p)
{
    work(*static_cast<pass_state*>(p));
    return nullptr;
}

}  // namespace

int cpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

bool shared_pass(const double* t, int r, std::int32_t n, double* s, const plan& how)
{
    const kernel k = kernel_for(vector_set(r, how));
    const int workers = std::min(how.workers, most);
    // Two slots per worker, and at most 4 MB of slots however many CPUs.  A
    // row alone's chunks are added while later ones are computed, so they
    // hold their slots longer: four per worker.
    const std::int32_t nslots = (r == 1 ? 4 : 2) * workers;
    const int nq = terms_held(r, how);
    const std::size_t stride = std::size_t(nq) + (r > nq ? 3 : 0);
    const std::int32_t chunk =
        std::max(1, std::min(how.chunk, (1 << 19) / (std::max(3, static_cast<int>(stride)) * nslots)));
    const std::size_t doubles = std::size_t(nslots) * stride * std::size_t(chunk);
    // malloc, not new: even the nothrow new reports failure by throwing and
    // catching inside, and throwing needs memory that may be what is missing.
    const std::unique_ptr<double, void (*)(void*)> shared(
        static_cast<double*>(std::malloc(doubles * sizeof(double))), std::free);
    if (!shared)
        return false;
    // A group's rows are added by one thread at a time, and their divisions
    // are most of the cost: so at least as many groups as workers where
    // the rows allow, each at most a vector (the kernels give the rows past
    // the last full vector the narrowest vectors that hold them).
    // A power of two, no more than rest / workers: 6 rows as 2 + 2 + 2 or
    // 4 + 2, whose divisions take 24 cycles a midpoint, not 3 + 3 in two
    // vectors of four, which take 32; 9 as 4 + 4 + 1, not 8 + 1, which
    // leaves one thread adding the 8 while the other waits ("3 3.0001 11"
    // on 2 CPUs: 0.69 s against 0.79 s).  The held rows' terms are added in
    // groups of chains side by side, as many as workers where each has two
    // chains or more; beside them, no group narrower than two lanes, which
    // take the divider as long as one.
    const int nheld = nq == 0 ? 0 : std::min(workers, (nq + 1) / 2);
    const int hwidth = nq == 0 ? 0 : (nq + nheld - 1) / nheld;
    const int rest = r - nq;
    const int width = std::min(k.lanes, std::max(nq > 0 ? 2 : 1, static_cast<int>(std::bit_floor(
                                                                    unsigned((rest + workers - 1) / workers)))));
    pass_state p{t, r, k, how.libm, 1.0 / static_cast<double>(n), n, chunk,
                 static_cast<std::int32_t>((std::int64_t{n} + chunk - 1) / chunk), nslots, nq, stride, shared.get(), {}, {}, {},
                 hwidth, nheld, width, nheld + (rest + width - 1) / width, s};
    for (std::int32_t j = 0; j < nslots; ++j)
        p.ready[j].store(-1, std::memory_order_relaxed);

    // POSIX threads rather than std::thread, which reports a failure only by
    // an exception, and throwing needs memory that may be exactly what is
    // missing.  Threads that cannot be created are done without: the ones
    // there are, or the caller alone, compute every chunk.
    pthread_t helpers[most];
    int started = 0;
    while (started < workers - 1 && pthread_create(&helpers[started], nullptr, helper, &p) == 0)
        ++started;
    work(p);
    for (int w = 0; w < started; ++w)
        pthread_join(helpers[w], nullptr);
    return true;
}

}  // namespace zorvick::quadrature
