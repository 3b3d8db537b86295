#pragma once

// All the midpoints there are: those of the passes n = 2, 4, …, 2³⁰, the
// 2³¹ − 2 odd multiples of 2^−j for j = 2 … 31, in pieces shared among
// threads.

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace zorvick::testing {

// Midpoints per piece.
inline constexpr int piece = 4096;

// Calls f(thread, h, first, m) for the midpoints first … first + m − 1 of
// the pass with spacing h = 1/n, for every pass; thread w of `threads`
// takes every threads-th piece of each pass.
template <class F>
void every_midpoint(int threads, F f)
{
    std::vector<std::thread> pool;
    for (int w = 0; w < threads; ++w)
        pool.emplace_back([=, &f] {
            for (std::int64_t n = 2, p = 0; n <= (std::int64_t{1} << 30); n *= 2)
                for (std::int64_t first = 0; first < n; first += piece, ++p)
                    if (p % threads == w)
                        f(w, 1.0 / static_cast<double>(n), first, static_cast<int>(std::min<std::int64_t>(piece, n - first)));
        });
    for (std::thread& t : pool)
        t.join();
}

}  // namespace zorvick::testing
