#include "quadrature/workers.hpp"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

#include "quadrature/terms.hpp"

namespace zorvick::quadrature {

namespace {

// Most chunks of terms a thread holds.
constexpr int most_buffers = 8;

// A counter on a cache line of its own.
struct alignas(64) counter {
    std::atomic<std::int32_t> v{0};
};

// The state of one pass that its threads share.  A thread claims chunks of
// midpoints in increasing order and computes everything of a chunk itself:
// the midpoints, their logarithms and sines, every row's terms, into a
// buffer of its own that stays in its core's cache.  The one ordered step
// is adding a chunk's terms to the rows' sums: its owner does it once
// every chunk before it has been added, by whichever thread owned those.
// Only the sums and the count of chunks added pass from core to core;
// the terms never do.  (Sharing the midpoints' logarithms and sines among
// the threads instead moved 24 bytes a midpoint, and 8 a row, between
// cores: more than cores exchange at the rate the fast sines make them.)
//
// A thread holds a few chunks, so that it can go on computing while the
// oldest waits for its turn: on a shared machine one CPU is often slower
// than the other, and the thread on the faster one runs ahead.  With a
// fold, the owner adds its oldest chunk in the loop of the pieces it
// computes next, as the course says; otherwise all at once.
struct pass_state {
    const course& c;
    const double* t;
    int r;
    double h;
    std::int32_t n;
    std::int32_t nchunks;
    double* terms;             // a region of c.buffers chunks for each thread
    counter seats;             // threads that took their region
    counter claim;             // next chunk to compute
    counter added;             // chunks whose terms are in the sums
    alignas(64) double s[wmax];  // the sums, touched only by the thread whose turn it is
};

// One thread's chunks and, while it adds them, the sums.
struct owner {
    double* buffers;
    std::int32_t held[most_buffers];  // chunks computed, not yet added: a ring, oldest first
    int oldest;
    int count;
    bool turn;  // the oldest chunk's turn has come: its adds are under way
    int a;      // midpoints of it added so far
    double s[wmax];
};

std::int32_t chunk_size(const pass_state& p, std::int32_t c)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(p.c.chunk, p.n - std::int64_t{c} * p.c.chunk));
}

double* buffer(const pass_state& p, const owner& o, int slot)
{
    return o.buffers + std::size_t(slot) * std::size_t(p.c.chunk) * std::size_t(p.c.stride);
}

// Whether the oldest chunk's adds are under way: they start, with the
// sums, when every chunk before it has been added.
bool turn(pass_state& p, owner& o)
{
    if (o.count > 0 && !o.turn && p.added.v.load(std::memory_order_acquire) == o.held[o.oldest]) {
        std::copy(p.s, p.s + p.c.stride, o.s);
        o.turn = true;
        o.a = 0;
    }
    return o.turn;
}

// Adds the rest of the oldest chunk and passes the sums on.
void finish(pass_state& p, owner& o)
{
    const std::int32_t c = o.held[o.oldest];
    add(p.c, buffer(p, o, o.oldest) + std::size_t(o.a) * std::size_t(p.c.stride), chunk_size(p, c) - o.a, o.s);
    std::copy(o.s, o.s + p.c.stride, p.s);
    o.turn = false;
    o.oldest = (o.oldest + 1) % p.c.buffers;
    --o.count;
    p.added.v.store(c + 1, std::memory_order_release);
    p.added.v.notify_all();
}

// Adds of the chunks whose turn has come, all at once when they are not
// folded into the pieces computed next.
void add_due(pass_state& p, owner& o)
{
    while (turn(p, o) && p.c.fold == 0)
        finish(p, o);
}

void compute_chunk(pass_state& p, owner& o, std::int32_t c)
{
    const int slot = (o.oldest + o.count) % p.c.buffers;
    double* q = buffer(p, o, slot);
    const std::int64_t first = std::int64_t{c} * p.c.chunk;
    const std::int32_t m = chunk_size(p, c);
    for (std::int32_t at = 0; at < m; at += p.c.piece) {
        add_due(p, o);
        const int k = std::min(p.c.piece, m - at);
        const double* earlier = nullptr;
        int na = 0;
        if (o.turn) {
            earlier = buffer(p, o, o.oldest) + std::size_t(o.a) * std::size_t(p.c.stride);
            na = std::min(p.c.fold * k, chunk_size(p, o.held[o.oldest]) - o.a);
        }
        compute(p.c, p.h, first + at, k, p.t, p.r, q + std::size_t(at) * std::size_t(p.c.stride), earlier, na, o.s);
        if (o.turn) {
            o.a += na;
            if (o.a == chunk_size(p, o.held[o.oldest]))
                finish(p, o);
        }
    }
    // Adds still due when the chunk is done are not spread over the next
    // one: that would hold up the next turn.
    if (o.turn)
        finish(p, o);
    o.held[slot] = c;
    ++o.count;
    add_due(p, o);
}

void work(pass_state& p)
{
    const std::int32_t seat = p.seats.v.fetch_add(1, std::memory_order_relaxed);
    owner o{};
    o.buffers = p.terms + std::size_t(seat) * std::size_t(p.c.buffers) * std::size_t(p.c.chunk) *
                              std::size_t(p.c.stride);
    bool claims = true;
    for (;;) {
        if (claims && o.count < p.c.buffers) {
            const std::int32_t c = p.claim.v.fetch_add(1, std::memory_order_relaxed);
            if (c < p.nchunks) {
                compute_chunk(p, o, c);
                continue;
            }
            claims = false;
        }
        if (o.count == 0)
            return;
        // Nothing to compute beside the adds: wait for the oldest chunk's
        // turn.  The lowest chunk not yet added is always held by a thread
        // that adds it once computed, so this ends.
        while (!turn(p, o)) {
            const std::int32_t at = p.added.v.load(std::memory_order_acquire);
            if (at != o.held[o.oldest])
                p.added.v.wait(at, std::memory_order_acquire);
        }
        finish(p, o);
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

bool shared_pass(const course& c, const double* t, int r, std::int32_t n, double* s)
{
    const int threads = std::min(c.threads, most_threads);
    // calloc, not new: even the nothrow new reports failure by throwing and
    // catching inside, and throwing needs memory that may be what is
    // missing.  Zeroed, for the padding lanes that no row writes.
    const std::size_t doubles =
        std::size_t(threads) * std::size_t(c.buffers) * std::size_t(c.chunk) * std::size_t(c.stride);
    const std::unique_ptr<double, void (*)(void*)> terms(static_cast<double*>(std::calloc(doubles, sizeof(double))),
                                                          std::free);
    if (!terms || c.buffers > most_buffers)
        return false;
    pass_state p{c, t, r, 1.0 / static_cast<double>(n), n,
                 static_cast<std::int32_t>((std::int64_t{n} + c.chunk - 1) / c.chunk), terms.get(), {}, {}, {}, {}};
    std::copy(s, s + c.stride, p.s);

    // POSIX threads rather than std::thread, which reports a failure only by
    // an exception, and throwing needs memory that may be exactly what is
    // missing.  Threads that cannot be created are done without: the ones
    // there are, or the caller alone, compute every chunk.
    pthread_t helpers[most_threads];
    int started = 0;
    while (started < threads - 1 && pthread_create(&helpers[started], nullptr, helper, &p) == 0)
        ++started;
    work(p);
    for (int w = 0; w < started; ++w)
        pthread_join(helpers[w], nullptr);
    std::copy(p.s, p.s + c.stride, s);
    return true;
}

}  // namespace zorvick::quadrature
