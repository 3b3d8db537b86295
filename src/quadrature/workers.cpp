#include "quadrature/workers.hpp"

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>

#include "quadrature/terms.hpp"

namespace zorvick::quadrature {

namespace {

// Most chunks of terms a thread holds, and groups of rows a pass has.
constexpr int most_buffers = 8;
constexpr int most_groups = wmax / group_lanes;

// A counter on a cache line of its own.
struct alignas(64) counter {
    std::atomic<std::int32_t> v{0};
};

// The state of one pass that its threads share.  A thread claims chunks of
// midpoints in increasing order and computes everything of a chunk itself:
// the midpoints, their logarithms and sines, every row's terms.  The one
// ordered step is adding a chunk's terms to the rows' sums: its owner adds
// them once every chunk before it has been added, by whichever thread
// owned those.  Until then the chunk waits in a buffer of its own that
// stays in its core's cache, as terms, or, where the course holds points,
// as the midpoints' shared part, whose rows are computed into the sums at
// its turn.  Only the sums and the counts of chunks added pass from core
// to core; the terms never do.  (Sharing the midpoints' logarithms and
// sines among the threads instead moved 24 bytes a midpoint, and 8 a row,
// between cores: more than cores exchange at the rate the fast sines make
// them.)
//
// Each group of up to eight rows takes its turns on its own, so that
// different threads can add different groups of rows at once: the adds of
// one chunk then hold up the next chunk's owner only for the time of one
// group's.  A thread holds a few chunks, so that it can go on computing
// while the oldest waits for its turns: on a shared machine one CPU is
// often slower than the other, and the thread on the faster one runs
// ahead.  With a fold, the owner adds its oldest chunk, every group at
// once, in the loops of the pieces it computes next, as the course says.
struct pass_state {
    const course& c;
    course live;                  // a chunk's course while it has its turn
    const double* t;
    int r;
    double h;
    std::int32_t n;
    std::int32_t nchunks;
    double* terms;                // c.buffers buffers of c.slot doubles for each thread
    counter seats;                // threads that took their buffers
    counter claim;                // next chunk to compute
    counter added[most_groups];   // for each group, chunks whose terms are in its sums
    counter sleepers;             // threads asleep on `turn`, or about to be
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t turn = PTHREAD_COND_INITIALIZER;
    alignas(64) double s[wmax];   // the sums: a group's are touched only by the thread whose turn it is
};

// What a buffer of points holds beside them: whether their reciprocals
// are there and every x and v lies within the bounds of the division
// through them, and the range of their ln x (lanes.hpp).
struct bounds {
    bool fine;
    double lxlo;
    double lxhi;
};

// One thread's chunks and, while it folds the adds of one, the sums.
struct owner {
    double* buffers;
    std::int32_t held[most_buffers];  // chunks computed and not added in every group: a ring, oldest first
    unsigned done[most_buffers];      // the groups of each that are added
    std::int32_t clean[most_buffers];  // midpoints of each buffer whose padding lanes are zeroed
    bounds near[most_buffers];         // of each buffer of points
    int oldest;
    int count;
    bool turn;  // the oldest chunk's adds are being folded
    int a;      // midpoints of it added so far
    double s[wmax];
};

// A chunk's terms.
layout lay(const pass_state& p) { return buffer_layout(p.c, p.c.chunk); }

std::int32_t chunk_size(const pass_state& p, std::int32_t c)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(p.c.chunk, p.n - std::int64_t{c} * p.c.chunk));
}

double* buffer(const pass_state& p, const owner& o, int slot)
{
    return o.buffers + std::size_t(slot) * std::size_t(p.c.slot);
}

// The arrays of the midpoints' shared part in a buffer of points, in the
// order of point_doubles, each a chunk long, and where the terms of the
// rows of a loop or aside lie, in their place in a buffer of terms.
struct arrays {
    double* x;
    double* lx;
    double* v;
    double* xs;
    double* yh;
    double* yl;
    double* lq;
};

arrays points_in(const pass_state& p, double* q)
{
    const std::size_t n = std::size_t(p.c.chunk);
    return {q, q + n, q + 2 * n, q + 3 * n, q + 4 * n, q + 5 * n, q + lay(p).at(0, p.c.whole - p.c.aside)};
}

// The midpoints at … at + k − 1 of chunk c into its buffer of points, and
// the terms of the rows of a loop into their place in it.
void hold_points(const pass_state& p, owner& o, int slot, std::int32_t c, std::int32_t at, int k)
{
    const arrays a = points_in(p, buffer(p, o, slot));
    reciprocals rec{a.xs + at, a.yh + at, a.yl + at, false, 0.0, 0.0};
    hold(p.c, p.h, std::int64_t{c} * p.c.chunk + at, k, p.t, a.x + at, a.lx + at, a.v + at, &rec, a.lq + at,
         p.c.chunk);
    bounds& b = o.near[slot];
    if (at == 0)
        b = {true, rec.lxlo, rec.lxhi};
    b.fine = b.fine && rec.xs != nullptr && rec.fine;
    b.lxlo = std::min(b.lxlo, rec.lxlo);
    b.lxhi = std::max(b.lxhi, rec.lxhi);
}

// The held midpoints from … to − 1 of a buffer of points at their turn:
// every row's terms added to the sums, the rows in vectors computed now
// (through the reciprocals as they were computed where they hold, else
// the kernel's own) and the rows of a loop from their held terms.
void add_points(pass_state& p, const owner& o, int slot, std::int32_t from, std::int32_t to)
{
    const arrays a = points_in(p, buffer(p, o, slot));
    const bounds& b = o.near[slot];
    const reciprocals rec{a.xs + from, a.yh + from, a.yl + from, true, b.lxlo, b.lxhi};
    release(p.c, {a.x + from, a.lx + from, a.v + from, to - from, b.fine ? &rec : nullptr}, p.h, p.t, p.r,
            a.lq + from, p.c.chunk, p.s);
}

bool due(const pass_state& p, std::int32_t c, int g)
{
    return p.added[g].v.load(std::memory_order_acquire) == c;
}

// A thread that waits for a group's turn sleeps only after it has
// counted itself among the sleepers, and checks the count of chunks
// added under the mutex; the count is changed before the sleepers are
// read, every access sequentially consistent.  So either the thread sees
// the change, or the one who made it sees the sleeper and wakes it.  (The
// mutex is taken only where a thread sleeps: while the threads run, as
// they mostly do, passing a turn on is a store and a load.)
void pass_on(pass_state& p, std::int32_t c, int g)
{
    p.added[g].v.store(c + 1, std::memory_order_seq_cst);
    if (p.sleepers.v.load(std::memory_order_seq_cst) > 0) {
        pthread_mutex_lock(&p.mutex);
        pthread_cond_broadcast(&p.turn);
        pthread_mutex_unlock(&p.mutex);
    }
}

// Sleeps until group g's count of chunks added is no longer at.
void await_turn(pass_state& p, int g, std::int32_t at)
{
    p.sleepers.v.fetch_add(1, std::memory_order_seq_cst);
    pthread_mutex_lock(&p.mutex);
    while (p.added[g].v.load(std::memory_order_seq_cst) == at)
        pthread_cond_wait(&p.turn, &p.mutex);
    pthread_mutex_unlock(&p.mutex);
    p.sleepers.v.fetch_sub(1, std::memory_order_relaxed);
}

// Adds the rest of the oldest chunk, whose adds are being folded, and
// passes the sums on.
void finish(pass_state& p, owner& o)
{
    const std::int32_t c = o.held[o.oldest];
    for (int g = 0; g < p.c.groups; ++g)
        add_group(p.c, buffer(p, o, o.oldest), lay(p), o.a, chunk_size(p, c), g, o.s);
    std::copy(o.s, o.s + p.c.stride, p.s);
    o.turn = false;
    o.oldest = (o.oldest + 1) % p.c.buffers;
    --o.count;
    for (int g = 0; g < p.c.groups; ++g)
        pass_on(p, c, g);
}

// Whether every group of chunk c has its turn.
bool all_due(const pass_state& p, std::int32_t c)
{
    for (int g = 0; g < p.c.groups; ++g)
        if (!due(p, c, g))
            return false;
    return true;
}

// Adds each group of the held chunks whose turn has come, oldest first, and
// lets go of the chunks added in every group.  With a fold, starts the
// oldest chunk's adds when their turn has come, to go on in the loop of
// the pieces computed next.
void add_due(pass_state& p, owner& o)
{
    if (p.c.points) {
        // every group's turn at once, the chunks' rows computed now
        for (; o.count > 0 && all_due(p, o.held[o.oldest]); --o.count) {
            const std::int32_t c = o.held[o.oldest];
            add_points(p, o, o.oldest, 0, chunk_size(p, c));
            for (int g = 0; g < p.c.groups; ++g)
                pass_on(p, c, g);
            o.oldest = (o.oldest + 1) % p.c.buffers;
        }
        return;
    }
    if (p.c.fold > 0) {
        if (o.count > 0 && !o.turn && all_due(p, o.held[o.oldest])) {
            std::copy(p.s, p.s + p.c.stride, o.s);
            o.turn = true;
            o.a = 0;
        }
        return;
    }
    for (int i = 0; i < o.count; ++i) {
        const int slot = (o.oldest + i) % p.c.buffers;
        const std::int32_t c = o.held[slot];
        // the groups due, added side by side, their chains overlapping
        unsigned now = 0;
        for (int g = 0; g < p.c.groups; ++g)
            if ((o.done[slot] >> g & 1) == 0 && due(p, c, g))
                now |= 1u << g;
        if (now == 0)
            continue;
        add_groups(p.c, buffer(p, o, slot), lay(p), chunk_size(p, c), now, p.s);
        o.done[slot] |= now;
        for (int g = 0; g < p.c.groups; ++g)
            if (now >> g & 1)
                pass_on(p, c, g);
    }
    const unsigned all = (1u << p.c.groups) - 1;
    for (; o.count > 0 && o.done[o.oldest] == all; --o.count)
        o.oldest = (o.oldest + 1) % p.c.buffers;
}

// Computes chunk c piece by piece.  Until its turn comes, into a buffer,
// to be added in order later: its terms, or where the course holds
// points, the midpoints' shared part.  Once it has its turn, every chunk
// before it added, the pieces held so far are added and the rest run the
// live course, rows in vectors straight into the sums.  Two threads then
// take turns at the sums by half a chunk or so each, and about half of all
// pieces go through no buffer: adds apart wait on each other, a few
// cycles an add, where the loop that computes the terms hides them.
void compute_chunk(pass_state& p, owner& o, std::int32_t c)
{
    const int slot = (o.oldest + o.count) % p.c.buffers;
    double* q = buffer(p, o, slot);
    const layout y = lay(p);
    const std::int64_t first = std::int64_t{c} * p.c.chunk;
    const std::int32_t m = chunk_size(p, c);
    // the rows of the live course's loop, in their place in the buffer
    double* const lq = q + y.at(0, p.c.whole);
    bool live = false;
    int ready = 0;  // the live course's last piece, its loop's rows not added yet
    for (std::int32_t at = 0, k = 0; at < m; at += k) {
        add_due(p, o);
        if (!live && p.c.whole > 0 && o.count == 0 && all_due(p, c)) {
            if (p.c.points)
                add_points(p, o, slot, 0, at);
            else
                add_groups(p.c, q, y, at, (1u << p.c.groups) - 1, p.s);
            live = true;
        }
        if (live) {
            k = std::min(p.live.piece, m - at);
            compute(p.live, p.h, first + at, k, p.t, p.r, lq, at, y, lq, at - ready, ready, p.s);
            if (p.live.fold > 0)
                ready = k;
            else if (p.live.held > 0)
                add_group(p.live, lq, y, at, at + k, 0, p.s + p.live.first);
            continue;
        }
        if (p.c.points) {
            k = std::min(p.live.piece, m - at);
            hold_points(p, o, slot, c, at, k);
            continue;
        }
        k = std::min(p.c.piece, m - at);
        // No row writes the lanes past the last: they stay zero once
        // zeroed, as far as pieces have gone into the buffer.  Pieces that
        // never do leave its pages untouched: each fresh page costs a
        // fault, and live pieces go through no buffer.
        if (o.clean[slot] < at + k) {
            clear_padding(p.c, q + std::size_t(o.clean[slot]) * std::size_t(y.step), y, at + k - o.clean[slot]);
            o.clean[slot] = at + k;
        }
        const double* earlier = nullptr;
        int na = 0;
        if (o.turn) {
            earlier = buffer(p, o, o.oldest);
            na = std::min(p.c.fold * k, chunk_size(p, o.held[o.oldest]) - o.a);
        }
        compute(p.c, p.h, first + at, k, p.t, p.r, q, at, y, earlier, o.a, na, o.s);
        if (o.turn) {
            o.a += na;
            if (o.a == chunk_size(p, o.held[o.oldest]))
                finish(p, o);
        }
    }
    if (live) {
        add_group(p.live, lq, y, m - ready, m, 0, p.s + p.live.first);
        for (int g = 0; g < p.c.groups; ++g)
            pass_on(p, c, g);
        return;
    }
    // Adds still due when the chunk is done are not spread over the next
    // one: that would hold up the next turn.
    if (o.turn)
        finish(p, o);
    o.held[slot] = c;
    o.done[slot] = 0;
    ++o.count;
    add_due(p, o);
}

void work(pass_state& p)
{
    const std::int32_t seat = p.seats.v.fetch_add(1, std::memory_order_relaxed);
    owner o{};
    o.buffers = p.terms + std::size_t(seat) * std::size_t(p.c.buffers) * std::size_t(p.c.slot);
    bool claims = true;
    while (claims || o.count > 0) {
        if (claims && o.count < p.c.buffers) {
            const std::int32_t c = p.claim.v.fetch_add(1, std::memory_order_relaxed);
            if (c < p.nchunks)
                compute_chunk(p, o, c);
            else
                claims = false;
            continue;
        }
        // Nothing to compute beside the adds: they are done at once, or
        // wait for the turn of the oldest chunk's next group.  The lowest
        // chunk not yet added in a group is held by a thread that adds it
        // once computed, so this ends.
        add_due(p, o);
        if (o.turn) {
            finish(p, o);
        } else if (o.count > 0) {
            // The turn is near: a chunk's adds take a few microseconds,
            // less than a sleeping thread takes to wake.
            const std::int32_t c = o.held[o.oldest];
            // the first group not added: with a fold, the first not due
            int g = std::countr_one(o.done[o.oldest]);
            while (p.c.fold > 0 && g + 1 < p.c.groups && due(p, c, g))
                ++g;
            std::int32_t at = p.added[g].v.load(std::memory_order_acquire);
            for (int spin = 0; at != c && spin < 4096; ++spin) {
                std::this_thread::yield();
                at = p.added[g].v.load(std::memory_order_acquire);
            }
            if (at != c)
                await_turn(p, g, at);
        }
    }
}

// Memory for `bytes` of buffers in m, in place of what it held.  malloc,
// not new: even the nothrow new reports failure by throwing and catching
// inside, and throwing needs memory that may be what is missing.  (Not
// aligned_alloc either: glibc leaves a fragment behind each time, and a
// table's passes took another half megabyte each.)
//
// Every fresh page costs a fault, and in a virtual machine a fault can take
// as long as computing a few thousand midpoints: a table's buffers took
// hundreds of them, shared by its threads.  So the buffers start on a
// boundary of 2 MB, in whole blocks of 2 MB that the kernel is asked to
// back with huge pages (one fault each) where it does so on request.  The
// blocks take address space, not memory, beyond the pages touched; where
// the address space is too tight for them, the buffers take no more than
// they need, on a cache line, so that a group of rows' terms at a
// midpoint is one line.
bool grow(scratch& m, std::size_t bytes)
{
    constexpr std::size_t huge = std::size_t{1} << 21;
    // the smaller block let go first: the two are never held at once
    m.block.reset();
    m.bytes = 0;
    m.at = nullptr;
    const std::size_t whole = (bytes + huge - 1) / huge * huge;
    m.block.reset(std::malloc(whole + huge));
    if (m.block) {
        const auto at = (reinterpret_cast<std::uintptr_t>(m.block.get()) + huge - 1) / huge * huge;
        m.at = reinterpret_cast<double*>(at);
        m.bytes = whole;
        // (advice only: where the kernel declines, pages come one by one)
        madvise(m.at, whole, MADV_HUGEPAGE);
        return true;
    }
    m.block.reset(std::malloc(bytes + 64));
    if (!m.block)
        return false;
    m.at = reinterpret_cast<double*>((reinterpret_cast<std::uintptr_t>(m.block.get()) + 63) / 64 * 64);
    m.bytes = bytes;
    return true;
}

// A helper's start: its crew, and the passes posted before it started.
struct hand {
    crew* w;
    std::uint32_t seen;
};

}  // namespace

// Threads that help the caller with its shared passes, kept from one pass
// to the next.  A thread started for each pass cost each pass its start,
// and often more: the kernel put the new thread on the caller's own CPU,
// where it waited for the caller to finish or for the kernel to move it,
// and a pass of a few milliseconds ran on one CPU.  A kept helper stays
// on its CPU and takes the next pass at once.
//
// The caller posts a pass by pointing `p` at it and counting it in
// `posted`; each helper works on it and counts itself out of `left`, and
// the caller returns from the pass, its state gone, once `left` is 0.
// Every helper takes every pass, so none can miss one.  A thread that
// waits for either count spins for a while, then sleeps on a condition
// variable (`go` for the helpers, `done` for the caller) that the other
// side signals under `mutex` after each change.  (std::atomic's own wait
// lost wake-ups here: built by Clang 19 against libstdc++ 14, a table's
// threads slept for seconds at a time with the count they waited for
// already changed.)
struct crew {
    std::atomic<std::uint32_t> posted{0};
    std::atomic<std::int32_t> left{0};
    pass_state* p = nullptr;
    bool stop = false;  // posted with the last count: the helpers return
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t go = PTHREAD_COND_INITIALIZER;
    pthread_cond_t done = PTHREAD_COND_INITIALIZER;
    int started = 0;
    cpu_set_t all;  // the CPUs the process may run on
    pthread_t id[most_threads];
    hand hands[most_threads];
};

namespace {

// How long a thread spins before it sleeps while it waits for the next
// pass, or for the helpers to finish one: longer than a row's check of
// its change between passes, or than the passes on the caller alone
// before a row's first shared one.  A sleeping thread takes tens of
// microseconds to wake, and an idle CPU of a virtual machine can take
// far longer.
constexpr auto linger = std::chrono::microseconds(500);

// Waits until a is no longer v, and returns what it is: spins for
// `linger`, then sleeps on cv.
template <class T>
T changed(const std::atomic<T>& a, T v, crew& w, pthread_cond_t& cv)
{
    const auto until = std::chrono::steady_clock::now() + linger;
    T now = a.load(std::memory_order_acquire);
    for (int spin = 0; now == v && (spin % 64 != 63 || std::chrono::steady_clock::now() < until); ++spin) {
        std::this_thread::yield();
        now = a.load(std::memory_order_acquire);
    }
    if (now == v) {
        // a changes outside the mutex, but is signalled under it after the
        // change: a change after the check below is signalled once cv's
        // wait has let the mutex go, and one before it is seen there
        pthread_mutex_lock(&w.mutex);
        while ((now = a.load(std::memory_order_acquire)) == v)
            pthread_cond_wait(&cv, &w.mutex);
        pthread_mutex_unlock(&w.mutex);
    }
    return now;
}

// Wakes whoever sleeps on cv, after a change to the count it waits for.
void wake(crew& w, pthread_cond_t& cv)
{
    pthread_mutex_lock(&w.mutex);
    pthread_cond_broadcast(&cv);
    pthread_mutex_unlock(&w.mutex);
}

void* helper(void* a)
{
    const hand& h = *static_cast<hand*>(a);
    crew& w = *h.w;
    // started on a CPU of its own (muster), free to move from now on
    pthread_setaffinity_np(pthread_self(), sizeof w.all, &w.all);
    for (std::uint32_t seen = h.seen;;) {
        seen = changed(w.posted, seen, w, w.go);
        if (w.stop)
            return nullptr;
        work(*w.p);
        if (w.left.fetch_sub(1, std::memory_order_acq_rel) == 1)
            wake(w, w.done);
    }
}

// A crew of `helpers` threads in keep, or fewer where threads cannot be
// created; a crew there with more is let go first.  Null where the crew
// itself cannot be had.
//
// POSIX threads rather than std::thread, which reports a failure only by
// an exception, and throwing needs memory that may be exactly what is
// missing.  Each new helper starts on a CPU other than the caller's, one
// after another, so that it runs at once rather than when the kernel
// moves it there.
crew* muster(std::unique_ptr<crew, void (*)(crew*)>& keep, int helpers)
{
    if (keep && keep->started > helpers)
        keep.reset();
    if (!keep) {
        void* m = std::malloc(sizeof(crew));
        if (m == nullptr)
            return nullptr;
        keep.reset(new (m) crew);
    }
    crew& w = *keep;
    if (w.started == helpers)
        return &w;
    CPU_ZERO(&w.all);
    const bool spread = sched_getaffinity(0, sizeof w.all, &w.all) == 0 && CPU_COUNT(&w.all) > 1;
    const int here = sched_getcpu();
    for (int cpu = -1; w.started < helpers; ++w.started) {
        w.hands[w.started] = {&w, w.posted.load(std::memory_order_relaxed)};
        int e = -1;
        pthread_attr_t attr;
        if (spread && pthread_attr_init(&attr) == 0) {
            do
                cpu = (cpu + 1) % CPU_SETSIZE;
            while (!CPU_ISSET(cpu, &w.all) || cpu == here);
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            if (pthread_attr_setaffinity_np(&attr, sizeof one, &one) == 0)
                e = pthread_create(&w.id[w.started], &attr, helper, &w.hands[w.started]);
            pthread_attr_destroy(&attr);
        }
        // (the CPUs may have changed since: then anywhere)
        if (e != 0 && pthread_create(&w.id[w.started], nullptr, helper, &w.hands[w.started]) != 0)
            break;
    }
    return &w;
}

// Pass p on the caller and the crew's helpers.
void run(crew& w, pass_state& p)
{
    w.p = &p;
    w.left.store(w.started, std::memory_order_relaxed);
    w.posted.fetch_add(1, std::memory_order_release);
    wake(w, w.go);
    work(p);
    for (std::int32_t left = w.left.load(std::memory_order_acquire); left != 0;)
        left = changed(w.left, left, w, w.done);
}

}  // namespace

void dismiss(crew* w)
{
    w->stop = true;
    w->posted.fetch_add(1, std::memory_order_release);
    wake(*w, w->go);
    for (int i = 0; i < w->started; ++i)
        pthread_join(w->id[i], nullptr);
    pthread_cond_destroy(&w->done);
    pthread_cond_destroy(&w->go);
    pthread_mutex_destroy(&w->mutex);
    w->~crew();
    std::free(w);
}

int cpus()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

bool shared_pass(const course& c, const double* t, int r, std::int32_t n, double* s, scratch* keep)
{
    const int threads = std::min(c.threads, most_threads);
    if (c.buffers > most_buffers || c.groups > most_groups)
        return false;
    const std::size_t bytes = std::size_t(threads) * std::size_t(c.buffers) * std::size_t(c.slot) * sizeof(double);
    scratch own;
    scratch& m = keep != nullptr ? *keep : own;
    if (m.bytes < bytes && !grow(m, bytes))
        return false;
    pass_state p{c,
                 live(c),
                 t,
                 r,
                 1.0 / static_cast<double>(n),
                 n,
                 static_cast<std::int32_t>((std::int64_t{n} + c.chunk - 1) / c.chunk),
                 m.at,
                 {},
                 {},
                 {},
                 {},
                 PTHREAD_MUTEX_INITIALIZER,
                 PTHREAD_COND_INITIALIZER,
                 {}};
    std::copy(s, s + c.stride, p.s);

    // Threads that cannot be created are done without: the ones there
    // are, or the caller alone, compute every chunk.
    if (crew* w = muster(m.helpers, threads - 1))
        run(*w, p);
    else
        work(p);
    std::copy(p.s, p.s + c.stride, s);
    return true;
}

}  // namespace zorvick::quadrature
