#include "quadrature/workers.hpp"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>


namespace zorvick::quadrature {

namespace {

// Most threads for one pass.
constexpr int most = 256;

// The state of one pass.  Threads claim chunks in increasing order and
// compute each chunk's terms, for every row, into slot c mod nslots of a
// ring.  The terms are added to the rows' sums strictly in chunk order by
// whichever thread finds the next chunk ready; one thread adds at a time.
// The adding, the only sequential part, is one vector add per midpoint and
// group of rows, a small fraction of computing the terms.  The ring lets a
// fast thread run ahead of a slow one: on a shared machine one CPU is often
// slower than the other, and with a single buffer per thread the pair would
// move in lockstep at the slow CPU's pace (measured: with one CPU at half
// speed, 2 workers gain nothing that way and 1.4 times with the ring).
struct pass_state {
    const double* t;
    int r;
    int rpad;  // r rounded up to whole vectors: a slot holds chunk × rpad terms
    kernel k;
    double h;
    std::int32_t n;
    std::int32_t chunk;
    std::int32_t nchunks;
    std::int32_t nslots;
    double* terms;
    std::atomic<std::int32_t> ready[2 * most];           // chunk whose terms a slot holds
    std::atomic<std::int32_t> claim{0};                // next chunk to compute
    std::atomic<std::int32_t> summed{0};               // chunks added to s
    std::atomic<bool> adding{false};
    double* s;  // touched only by the thread that holds `adding`
};

std::int32_t chunk_size(const pass_state& p, std::int32_t c)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(p.chunk, p.n - std::int64_t{c} * p.chunk));
}

double* slot(const pass_state& p, std::int32_t c)
{
    return p.terms + std::size_t(c % p.nslots) * std::size_t(p.chunk) * std::size_t(p.rpad);
}

// Adds the ready chunks in order.  A chunk that becomes ready while another
// thread is adding is seen by that thread's check after it lets go (the
// seq_cst order of the ready store, the exchange, the release and the check
// makes this a Dekker handshake), so no ready chunk is left behind.
void add_ready(pass_state& p)
{
    while (!p.adding.exchange(true)) {
        std::int32_t f = p.summed.load(std::memory_order_relaxed);
        for (; f < p.nchunks && p.ready[f % p.nslots].load(std::memory_order_acquire) == f; ++f) {
            p.k.sum(slot(p, f), chunk_size(p, f), p.r, p.rpad, p.s);
            p.summed.store(f + 1, std::memory_order_release);  // frees the slot
            p.summed.notify_all();
        }
        p.adding.store(false);
        if (f >= p.nchunks || p.ready[f % p.nslots].load() != f)
            return;
    }
}

void work(pass_state& p)
{
    for (;;) {
        const std::int32_t c = p.claim.fetch_add(1, std::memory_order_relaxed);
        if (c >= p.nchunks)
            return;
        // The slot is free once chunk c − nslots has been added.  The lowest
        // chunk not yet ready always has a free slot, so this wait ends.
        for (std::int32_t at = p.summed.load(std::memory_order_acquire); at <= c - p.nslots;
             at = p.summed.load(std::memory_order_acquire))
            p.summed.wait(at, std::memory_order_acquire);
        double* q = slot(p, c);
        const std::int64_t first = std::int64_t{c} * p.chunk;
        const std::int32_t m = chunk_size(p, c);
        for (std::int32_t j = 0; j < m; j += blk)
            p.k.put(p.h, first + j, std::min(blk, m - j), p.t, p.r, q + std::size_t(j) * std::size_t(p.rpad), p.rpad);
        p.ready[c % p.nslots].store(c);
        add_ready(p);
    }
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
    const int rpad = (r + k.lanes - 1) / k.lanes * k.lanes;
    // Two slots per worker, and at most 4 MB of slots however many CPUs.
    const int workers = std::min(how.workers, most);
    const std::int32_t nslots = 2 * workers;
    const std::int32_t chunk = std::max(1, std::min(how.chunk, (1 << 19) / nslots) / rpad);
    // malloc, not new: even the nothrow new reports failure by throwing and
    // catching inside, and throwing needs memory that may be what is missing.
    const std::unique_ptr<double, void (*)(void*)> terms(
        static_cast<double*>(std::malloc(std::size_t(nslots) * std::size_t(chunk) * std::size_t(rpad) * sizeof(double))),
        std::free);
    if (!terms)
        return false;
    pass_state p{t, r, rpad, k, 1.0 / static_cast<double>(n), n, chunk,
                 static_cast<std::int32_t>((std::int64_t{n} + chunk - 1) / chunk), nslots, terms.get(), {}, {}, {}, {}, s};
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
