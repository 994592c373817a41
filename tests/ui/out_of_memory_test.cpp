// Memory running out while the results grid grows ends the run with a message and keeps what it
// logged on show. This program replaces the global operator new so that one large allocation
// can be made to fail.

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/ui/window_fixture.h"

namespace {
// The next allocation of at least this many bytes fails (0: none does).
std::atomic<std::size_t> failFrom{0};
}  // namespace

void* operator new(std::size_t size) {
    const std::size_t limit = failFrom.load();
    if (limit != 0 && size >= limit) {
        failFrom = 0;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
#pragma GCC diagnostic pop

namespace korvale::testing {
namespace {

using OutOfMemoryTest = WindowTest;

// The rows wait in memory between real yields, in a store that doubles from 3 cells: the room
// for row 4,097 (24,576 cells of 32 bytes) is the first request of half a mebibyte or more.
TEST_F(OutOfMemoryTest, GridGrowthFailingEndsTheRunWithTheResultsOnShow) {
    GameScript script(random, 0);
    for (int i = 0; i < 5000; ++i) {
        script.reg(0);
    }
    window->runDisplays().setRealYieldEvery(1'000'000);
    failFrom = 512 * 1024;
    click("cmdStart");
    EXPECT_EQ(failFrom.load(), 0u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("メモリが足りなくなりました")));
    EXPECT_TRUE(errors[0].endsWith(QStringLiteral("それまでの結果はそのまま表示しています。")));
    EXPECT_TRUE(enabled("cmdStart"));
    EXPECT_EQ(text("Text1"), "4096");
    EXPECT_EQ(text("txtSReg"), "4096");
    EXPECT_EQ(text("txtCnt(0)"), "4097");  // counted before its row failed
    EXPECT_EQ(grid().rows(), 4097);
    EXPECT_EQ(gridRow(4096), (std::vector<std::string>{"REG", "1", "0"}));
}

}  // namespace
}  // namespace korvale::testing
