#include "analysis/numeric/vector_variant.h"

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace korvale {
namespace {

constexpr VectorVariant widestFirst[] = {VectorVariant::avx512, VectorVariant::avx2,
                                         VectorVariant::sse2};

VectorVariant chooseVectorVariant() {
    if (const char* asked = std::getenv("KORVALE_VECTOR")) {
        for (const VectorVariant variant : widestFirst) {
            if (vectorVariantName(variant) == asked && vectorVariantSupported(variant)) {
                return variant;
            }
        }
    }
    for (const VectorVariant variant : widestFirst) {
        if (vectorVariantSupported(variant)) {
            return variant;
        }
    }
    return VectorVariant::sse2;
}

std::atomic<VectorVariant>& chosen() {
    static std::atomic<VectorVariant> variant{chooseVectorVariant()};
    return variant;
}

}  // namespace

std::string_view vectorVariantName(VectorVariant variant) {
    switch (variant) {
        case VectorVariant::avx512:
            return "avx512";
        case VectorVariant::avx2:
            return "avx2";
        default:
            return "sse2";
    }
}

bool vectorVariantSupported(VectorVariant variant) {
#if !defined(__x86_64__) && !defined(__i386__)
    // Off x86 (WebAssembly's 128-bit vectors) the build has the one 2-point variant.
    return variant == VectorVariant::sse2;
#else
    // The processor and the operating system both (the check covers the saved registers).
    switch (variant) {
        case VectorVariant::avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512cd") &&
                   __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
                   __builtin_cpu_supports("avx512bw");
        case VectorVariant::avx2:
            return __builtin_cpu_supports("avx2");
        default:
            return true;
    }
#endif
}

VectorVariant activeVectorVariant() {
    return chosen().load(std::memory_order_relaxed);
}

void setVectorVariant(VectorVariant variant) {
    if (!vectorVariantSupported(variant)) {
        throw std::invalid_argument("this processor lacks the " +
                                    std::string(vectorVariantName(variant)) + " vector code");
    }
    chosen().store(variant, std::memory_order_relaxed);
}

}  // namespace korvale
