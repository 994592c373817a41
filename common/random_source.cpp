#include "common/random_source.h"

#include <chrono>

namespace korvale {
namespace {

std::uint64_t splitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

void Xoshiro256PlusPlus::reseed(std::uint64_t seed) {
    for (auto& word : state_) {
        word = splitMix64(seed);
    }
}

void Xoshiro256PlusPlus::jump() {
    static constexpr std::uint64_t jumpPolynomial[] = {0x180ec6d33cfd0aba, 0xd5a61266f0c9392c,
                                                       0xa9582618e03fc9aa, 0x39abdc4529b1661c};
    std::uint64_t jumped[4] = {0, 0, 0, 0};
    for (const std::uint64_t word : jumpPolynomial) {
        for (int bit = 0; bit < 64; ++bit) {
            if (word & (std::uint64_t{1} << bit)) {
                for (int i = 0; i < 4; ++i) {
                    jumped[i] ^= state_[i];
                }
            }
            nextBits();
        }
    }
    for (int i = 0; i < 4; ++i) {
        state_[i] = jumped[i];
    }
}

Xoshiro256PlusPlus& sharedRandomSource() {
    static Xoshiro256PlusPlus source(seedFromClock());
    return source;
}

std::uint64_t seedFromClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

void seedSharedSourceFromClock() {
    sharedRandomSource().reseed(seedFromClock());
}

}  // namespace korvale
