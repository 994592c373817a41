#pragma once

// Vector code: the few files whose arithmetic runs on the outcome law's blocks of transform
// points. The build compiles each of them once per variant (cmake/KorvaleLayers.cmake,
// VECTOR_SOURCES), and the program picks the variant for its processor at run time
// (vector_variant.h):
//   sse2    the x86-64 baseline: blocks of 2 points, 128-bit registers
//   avx2    blocks of 4 points, 256-bit registers
//   avx512  blocks of 8 points, 512-bit registers
// Every file of vector code wraps what it defines in
//
//   KORVALE_VECTOR_TARGET_BEGIN
//   namespace korvale {
//   inline namespace KORVALE_VECTOR_NAMESPACE {
//   ...
//   }  // namespace KORVALE_VECTOR_NAMESPACE
//   }  // namespace korvale
//   KORVALE_VECTOR_TARGET_END
//
// after all of its includes. The inline namespace gives each variant's functions and types
// names of their own (korvale::avx2::ComplexBlock), so the copies never meet at link time,
// while the code reads as plain korvale code. The target pragma gives the variant's
// instructions to what is defined inside only: a standard header's inline functions stay
// baseline code, so the linker cannot hand a wide copy of one to the rest of the program.
// Everything else, including the tests, sees the baseline variant.
//
// No variant has fused multiply-adds: the figures come out bitwise the same on each (the
// build turns contraction off; AVX2 is asked for without FMA, and the AVX-512 variant holds
// block arithmetic only, as its compiler fuses products inside complex numbers regardless).

#if defined(KORVALE_VECTOR_AVX512)
#define KORVALE_VECTOR_NAMESPACE avx512
#define KORVALE_VECTOR_DOUBLES 8
#define KORVALE_VECTOR_TARGET_BEGIN \
    _Pragma("GCC push_options")     \
        _Pragma("GCC target(\"avx512f,avx512cd,avx512vl,avx512dq,avx512bw,no-fma\")")
#elif defined(KORVALE_VECTOR_AVX2)
#define KORVALE_VECTOR_NAMESPACE avx2
#define KORVALE_VECTOR_DOUBLES 4
#define KORVALE_VECTOR_TARGET_BEGIN \
    _Pragma("GCC push_options") _Pragma("GCC target(\"avx2,no-fma\")")
#elif defined(__clang__)
// The baseline under clang (the WebAssembly build, whose 128-bit vectors come from -msimd128):
// nothing to switch on.
#define KORVALE_VECTOR_NAMESPACE sse2
#define KORVALE_VECTOR_DOUBLES 2
#define KORVALE_VECTOR_TARGET_BEGIN
#else
#define KORVALE_VECTOR_NAMESPACE sse2
#define KORVALE_VECTOR_DOUBLES 2
#define KORVALE_VECTOR_TARGET_BEGIN _Pragma("GCC push_options")
#endif
#if defined(__clang__)
#define KORVALE_VECTOR_TARGET_END
#else
#define KORVALE_VECTOR_TARGET_END _Pragma("GCC pop_options")
#endif
