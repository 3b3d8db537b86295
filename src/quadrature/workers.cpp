#include "quadrature/workers.hpp"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>
#include <vector>

#include "quadrature/term.hpp"

namespace zorvick::quadrature {

namespace {

// The state of one pass.  Threads claim chunks in increasing order and
// compute each chunk's terms into slot c mod nslots of a ring.  The terms
// are added to s strictly in chunk order by whichever thread finds the next
// chunk ready; one thread adds at a time.  The adding, the only sequential
// part, costs a small fraction of computing a term.  The ring lets a fast
// thread run ahead of a slow one: on a shared machine one CPU is often
// slower than the other, and with a single buffer per thread the pair would
// move in lockstep at the slow CPU's pace (measured: with one CPU at half
// speed, 2 workers gain nothing that way and 1.4 times with the ring).
struct pass_state {
    double t;
    double h;
    std::int32_t n;
    std::int32_t chunk;
    std::int32_t nchunks;
    std::int32_t nslots;
    std::unique_ptr<double[]> terms;                   // nslots × chunk
    std::unique_ptr<std::atomic<std::int32_t>[]> ready;  // chunk whose terms a slot holds
    std::atomic<std::int32_t> claim{0};                // next chunk to compute
    std::atomic<std::int32_t> summed{0};               // chunks added to s
    std::atomic<bool> adding{false};
    double s = 0.0;  // touched only by the thread that holds `adding`
};

std::int32_t chunk_size(const pass_state& p, std::int32_t c)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(p.chunk, p.n - std::int64_t{c} * p.chunk));
}

// Adds the ready chunks in order.  A chunk that becomes ready while another
// thread is adding is seen by that thread's check after it lets go (the
// seq_cst order of the ready store, the exchange, the release and the check
// makes this a Dekker handshake), so no ready chunk is left behind.
void add_ready(pass_state& p)
{
    while (!p.adding.exchange(true)) {
        std::int32_t f = p.summed.load(std::memory_order_relaxed);
        double s = p.s;
        for (; f < p.nchunks && p.ready[f % p.nslots].load(std::memory_order_acquire) == f; ++f) {
            const double* q = p.terms.get() + std::size_t(f % p.nslots) * std::size_t(p.chunk);
            for (std::int32_t j = 0, m = chunk_size(p, f); j < m; ++j)
                s = s + q[j];
            p.summed.store(f + 1, std::memory_order_release);  // frees the slot
            p.summed.notify_all();
        }
        p.s = s;
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
        const std::int32_t k = c % p.nslots;
        terms(p.t, p.h, std::int64_t{c} * p.chunk, chunk_size(p, c),
              p.terms.get() + std::size_t(k) * std::size_t(p.chunk));
        p.ready[k].store(c);
        add_ready(p);
    }
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

double shared_pass(double t, std::int32_t n, int workers, std::int32_t chunk)
{
    const std::int32_t nslots = 2 * workers;
    pass_state p{t, 1.0 / static_cast<double>(n), n, chunk,
                 static_cast<std::int32_t>((std::int64_t{n} + chunk - 1) / chunk), nslots,
                 std::make_unique_for_overwrite<double[]>(std::size_t(nslots) * std::size_t(chunk)),
                 std::make_unique<std::atomic<std::int32_t>[]>(std::size_t(nslots))};
    for (std::int32_t k = 0; k < nslots; ++k)
        p.ready[k].store(-1, std::memory_order_relaxed);

    std::vector<std::thread> helpers;
    try {
        helpers.reserve(static_cast<std::size_t>(workers - 1));
        for (int w = 1; w < workers; ++w)
            helpers.emplace_back(work, std::ref(p));
    } catch (const std::exception&) {
        // no more threads: the ones there are (or the caller alone) do it
    }
    work(p);
    for (std::thread& h : helpers)
        h.join();
    return p.s;
}

}  // namespace zorvick::quadrature
