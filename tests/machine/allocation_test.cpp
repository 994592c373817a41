// Playing a game and asking for the coin figures must not allocate: a run plays hundreds of
// millions of games. This program replaces the global operator new to count allocations.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "machine/cls_korvale.h"

namespace {
std::atomic<long> allocationCount{0};
}

void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
// g++ takes the replaced operator new for the library's and warns that free() does not match it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace korvale {
namespace {

TEST(AllocationTest, PlayAndCoinFiguresAllocateNothing) {
    Xoshiro256PlusPlus generator(3);
    clsKorvale machine(generator);
    machine.mlngSettei = 5;
    std::string result;
    std::string rate;
    std::int32_t num = 0, mode = 0, simauta = 0, obtained = 0;
    long bonuses = 0;
    const long before = allocationCount.load();
    for (int i = 0; i < 100000; ++i) {
        result = machine.Play(num, mode, simauta);
        bonuses += !result.empty();
        machine.get差枚(rate, obtained);
    }
    EXPECT_EQ(allocationCount.load() - before, 0);
    EXPECT_GT(bonuses, 100);
    EXPECT_FALSE(rate.empty());
}

}  // namespace
}  // namespace korvale
