#pragma once

#include <cstdio>

#include "quadrature/intf.hpp"

namespace zorvick::quadrature {

// Calls f(libm set, kernel set) for every pair that this CPU and build run,
// and says which it leaves out.
template <class F>
void each_set(F f)
{
    for (const libm::set l : {libm::set::library, libm::set::avx512})
        for (const isa set : {isa::scalar, isa::base, isa::avx2, isa::avx512}) {
            if (supported(set) && libm::supported(l))
                f(l, set);
            else
                std::printf("kernel set %d, libm set %d not supported here: not tested\n", static_cast<int>(set),
                            static_cast<int>(l));
        }
}

}  // namespace zorvick::quadrature
