// The window's attempt run and the play library's attempts on the same draws: every row of the
// grid and every total alike, and the same draws taken.

#include <QComboBox>
#include <cstdio>
#include <memory>
#include <ostream>

#include "common/csv.h"
#include "common/number_text.h"
#include "common/random_source.h"
#include "play/attempt_run.h"
#include "play/grid_log_file.h"
#include "tests/support/written_csv.h"
#include "tests/ui/window_fixture.h"

namespace korvale::testing {
namespace {

struct AgreementCase {
    std::int32_t setting;
    const char* bigEndText;  // as typed in txtBEnd and txtREnd
    const char* regEndText;
    korvale::EndConditions end;  // as the play library takes them (a fixture here shares the name)
    int attempts;
    std::uint64_t seed;
};

void PrintTo(const AgreementCase& c, std::ostream* out) {
    *out << "setting" << c.setting << "_ends_" << c.bigEndText << "_" << c.regEndText;
}

// What the play library made of the draws: its totals and its log's rows.
struct LibraryPlay {
    AttemptTotals totals;
    std::int64_t gamesTold = 0;
    std::vector<std::vector<std::string>> rows;
};

LibraryPlay playWithTheLibrary(const AgreementCase& c, RandomSource& draws) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    EXPECT_NE(file, nullptr);
    LibraryPlay play;
    WorkerCounts counts;
    {
        GridLog log(file.get(), 0);
        play.totals = playAttempts(c.setting, c.end, std::nullopt, {}, HallRates{}, c.attempts,
                                   draws, WorkControl{}, counts, &log);
    }
    play.gamesTold = counts.games.load();
    std::string text(csvByteOrderMark);
    std::rewind(file.get());
    for (int ch = std::fgetc(file.get()); ch != EOF; ch = std::fgetc(file.get())) {
        text += static_cast<char>(ch);
    }
    play.rows = writtenCsvRecords(text);
    return play;
}

class AttemptAgreementTest : public WindowTest,
                             public ::testing::WithParamInterface<AgreementCase> {};

TEST_P(AttemptAgreementTest, WindowAndLibraryPlayTheSameAttempts) {
    const AgreementCase& c = GetParam();
    // Draws from a seeded stream, enough for every attempt: ordinary attempts, not chosen games.
    Xoshiro256PlusPlus stream(c.seed);
    for (int i = 0; i < 60'000 * c.attempts / 10 + 60'000; ++i) {
        random.push(stream.nextFraction());
    }
    ScriptedRandomSource libraryDraws = random;

    click("opt(1)");
    control<QComboBox>("cmbSettei")->setCurrentIndex(c.setting);
    setText("txtBEnd", c.bigEndText);
    setText("txtREnd", c.regEndText);
    onYield([this, &c](YieldPoint point) {
        if (point == YieldPoint::EndOfGame && grid().rows() == c.attempts + 1) {
            click("cmdStop");
        }
    });
    click("cmdStart");
    ASSERT_TRUE(errors.empty()) << errors.front().toStdString();

    const LibraryPlay library = playWithTheLibrary(c, libraryDraws);
    const AttemptTotals& totals = library.totals;
    ASSERT_EQ(totals.attempts, c.attempts);
    ASSERT_EQ(grid().rows(), c.attempts + 1);
    ASSERT_EQ(library.rows.size(), static_cast<std::size_t>(c.attempts));
    for (int row = 0; row < c.attempts; ++row) {
        const std::vector<std::string>& logged = library.rows[static_cast<std::size_t>(row)];
        EXPECT_EQ(gridRow(row + 1), (std::vector<std::string>{logged[0], logged[1], logged[2]}))
            << "attempt " << row + 1;
    }
    // The window stopped at the end of the last attempt's game: its totals are those of the
    // finished attempts, and the next attempt's machine is made and counted.
    EXPECT_EQ(random.drawn(), libraryDraws.drawn());
    EXPECT_EQ(library.gamesTold, totals.games);
    const double attempts = c.attempts;
    const std::vector<std::pair<const char*, std::string>> expected = {
        {"Text1", std::to_string(totals.games)},
        {"txtSBig", std::to_string(totals.bigs)},
        {"txtSReg", std::to_string(totals.regs)},
        {"Text2", std::to_string(totals.net)},
        {"Text4", formatHashDot00(static_cast<double>(totals.obtained) * 100.0 /
                                  (static_cast<double>(totals.games) * 3.0))},
        {"txt1P", formatHashDot00(static_cast<double>(totals.games) / attempts)},
        {"txt1Sa", formatHashDot00(static_cast<double>(totals.net) / attempts)},
        {"txt1Big", formatHashDot00(static_cast<double>(totals.bigs) / attempts)},
        {"txtChosen", std::to_string(c.attempts + 1)},
    };
    for (const auto& [box, value] : expected) {
        EXPECT_EQ(text(box), value) << box;
    }
    EXPECT_EQ(machinesMade, c.attempts + 1);
}

// The usual rule, a fractional BIG end with a REG end halfway (to the even 50), quitting at the
// first BIG, and a long REG end; low and high settings.
INSTANTIATE_TEST_SUITE_P(Rules, AttemptAgreementTest,
                         ::testing::Values(AgreementCase{0, "300", "100", {300.0, 100}, 12, 501},
                                           AgreementCase{5, "120.5", "50.5", {120.5, 50}, 15, 502},
                                           AgreementCase{3, "0", "0", {0.0, 0}, 24, 503},
                                           AgreementCase{1, "50", "400", {50.0, 400}, 10, 504}));

}  // namespace
}  // namespace korvale::testing
