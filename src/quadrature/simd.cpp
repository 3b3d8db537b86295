#include "quadrature/simd.hpp"

namespace zorvick::quadrature {

kernel kernel_for(isa set)
{
    switch (set) {
    case isa::sse2:
        return {sse2::width(), sse2::add, sse2::put, sse2::sum};
    case isa::avx2:
        return {avx2::width(), avx2::add, avx2::put, avx2::sum};
    case isa::avx512:
        return {avx512::width(), avx512::add, avx512::put, avx512::sum};
    case isa::scalar:
        break;
    }
    return {scalar::width(), scalar::add, scalar::put, scalar::sum};
}

bool supported(isa set)
{
    switch (set) {
    case isa::avx2:
        return __builtin_cpu_supports("avx2");
    case isa::avx512:
        return __builtin_cpu_supports("avx512f");
    case isa::scalar:
    case isa::sse2:
        break;
    }
    return true;
}

isa widest()
{
    return supported(isa::avx512) ? isa::avx512 : supported(isa::avx2) ? isa::avx2 : isa::sse2;
}

}  // namespace zorvick::quadrature
