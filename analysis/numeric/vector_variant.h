#pragma once

// Which variant of the vector code (vector_target.h) runs: the widest the processor offers,
// unless the environment variable KORVALE_VECTOR names another (sse2, avx2 or avx512; a
// variant the processor lacks, or an unknown name, is passed over). Chosen once, at first use;
// tests switch it with setVectorVariant.

#include <string_view>

namespace korvale {

enum class VectorVariant { sse2, avx2, avx512 };

std::string_view vectorVariantName(VectorVariant variant);
bool vectorVariantSupported(VectorVariant variant);

VectorVariant activeVectorVariant();
// Throws std::invalid_argument for a variant the processor lacks.
void setVectorVariant(VectorVariant variant);

// The active variant's copy of a function of vector code, named as in its namespace:
// KORVALE_VECTOR_FUNCTION(runNetTransform). Off x86 the build has one variant (vector_target.h).
#if defined(__x86_64__) || defined(__i386__)
#define KORVALE_VECTOR_FUNCTION(name) forVectorVariant(&sse2::name, &avx2::name, &avx512::name)
#else
#define KORVALE_VECTOR_FUNCTION(name) (&sse2::name)
#endif

// The one of three functions (each variant's copy of the same one) for the active variant.
template <typename Function>
Function forVectorVariant(Function sse2, Function avx2, Function avx512) {
    switch (activeVectorVariant()) {
        case VectorVariant::avx512:
            return avx512;
        case VectorVariant::avx2:
            return avx2;
        default:
            return sse2;
    }
}

}  // namespace korvale
