// Memory running out while the results grid grows ends the run with a message and keeps what it
// logged on show; running out in a worker of the outcome law says so in the analysis window.
// This program replaces the global operator new so that one large allocation, or one made by a
// worker of shared work, can be made to fail.

#include <atomic>
#include <cstdlib>
#include <new>

#include "analysis/outcome/outcome_law.h"
#include "common/parallel_work.h"
#include "tests/ui/frame_fixture.h"
#include "tests/ui/window_fixture.h"
#include "ui/analysis_window/exact_service.h"

namespace {
// The next allocation of at least this many bytes fails (0: none does).
std::atomic<std::size_t> failFrom{0};
// The same, for allocations made by a worker of shared work alone.
std::atomic<std::size_t> failInWorkersFrom{0};

bool failsNow(std::atomic<std::size_t>& from, std::size_t size) {
    std::size_t limit = from.load();
    return limit != 0 && size >= limit && from.compare_exchange_strong(limit, 0);
}
}  // namespace

void* operator new(std::size_t size) {
    if (failsNow(failFrom, size) ||
        (korvale::currentWorkers() != nullptr && failsNow(failInWorkersFrom, size))) {
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
    // The windows that follow the run are told of the rows on show, and of no other.
    EXPECT_EQ(window->runRecord().bonuses().size(), 4096u);
    EXPECT_EQ(window->runRecord().gamesShown(), 4096);
}

using LawOutOfMemoryTest = FrameTest;

TEST_F(LawOutOfMemoryTest, TheLawsWorkerRunningOutSaysSoInTheAnalysisWindow) {
    // The figures are worked out first, here, so that once the failure is armed the law's
    // workers are the only shared work that allocates.
    ASSERT_TRUE(solveExactFigures(exactSetupOf(RunSetup{true, true, 0, "0", "0"})).attempt);
    makeFrame(6);
    chooseAttempts("0", "0");
    failInWorkersFrom = 1;
    runFor(40, [&](int yields) {
        if (yields == 1) {
            trigger("actAnalysis");
        }
    });
    frmAnalysis& analysis = *frame->analysisWindow();
    analysis.waitForLaw();
    EXPECT_EQ(failInWorkersFrom.load(), 0u);
    EXPECT_EQ(analysis.law(), nullptr);
    analysis.refreshNow();
    const QString status = analysis.tab<RunFiguresTab>().status().text();
    EXPECT_TRUE(
        status.endsWith(QStringLiteral("\nメモリが足りず、一回の差枚の分布は求められません。")))
        << status.toStdString();
}

}  // namespace
}  // namespace korvale::testing
