#pragma once

#include <cstdint>

namespace korvale {

// A source of uniform fractions in [0, 1). The machine takes one per game and one more per
// mode lottery; whoever creates a machine decides which source it draws from.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual double nextFraction() = 0;

    // A draw 1..65536: floor(nextFraction() * 65536) + 1, one fraction taken. A generator may
    // override it with a cheaper way to the same value.
    virtual std::int32_t nextDraw65536() {
        return static_cast<std::int32_t>(nextFraction() * 65536.0) + 1;
    }
};

// xoshiro256++ (Blackman and Vigna), seeded through SplitMix64. Fractions take the top 53 bits
// of each output, so they are multiples of 2^-53 and never reach 1.
class Xoshiro256PlusPlus final : public RandomSource {
  public:
    explicit Xoshiro256PlusPlus(std::uint64_t seed = 0) { reseed(seed); }

    // Fills the state from SplitMix64 started at seed; any seed, 0 included, is fine.
    void reseed(std::uint64_t seed);

    std::uint64_t nextBits() {
        const std::uint64_t result = rotl(state_[0] + state_[3], 23) + state_[0];
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    double nextFraction() override { return static_cast<double>(nextBits() >> 11) * 0x1.0p-53; }

    // The fraction is (bits >> 11) * 2^-53, so floor(fraction * 2^16) is (bits >> 11) >> 37:
    // the top 16 bits. The same draw as the default, without the floating round trip.
    std::int32_t nextDraw65536() override {
        return static_cast<std::int32_t>(nextBits() >> 48) + 1;
    }

    // Advances the stream by 2^128 outputs: streams one jump apart never overlap in practice,
    // which is how parallel players get independent streams from one seed.
    void jump();

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t state_[4];
};

// The one source shared by every machine that is not handed a source of its own. It lives for
// the whole program and serves one thread.
Xoshiro256PlusPlus& sharedRandomSource();

// Seeds the shared source from the current time of day, as the window does when it loads.
void seedSharedSourceFromClock();

// A seed taken from the clock: nanoseconds since the epoch.
std::uint64_t seedFromClock();

}  // namespace korvale
