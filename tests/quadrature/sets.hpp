#pragma once

#include <cstdio>

#include "quadrature/intf.hpp"

namespace zorvick::quadrature {

// Calls f(libm set, kernel set, layout) for every pair of sets that this
// CPU and build run, with each candidate the planner may choose where the
// fast sines give it a choice, and says which pairs it leaves out.
template <class F>
void each_set(F f)
{
    for (const libm::set l : {libm::set::library, libm::set::avx512})
        for (const isa set : {isa::scalar, isa::base, isa::avx2, isa::avx512}) {
            if (!supported(set) || !libm::supported(l)) {
                std::printf("kernel set %d, libm set %d not supported here: not tested\n", static_cast<int>(set),
                            static_cast<int>(l));
                continue;
            }
            if (l == libm::set::library)
                f(l, set, choice{by::vectors, true});
            else
                for (const choice layout : candidates)
                    f(l, set, layout);
        }
}

}  // namespace zorvick::quadrature
