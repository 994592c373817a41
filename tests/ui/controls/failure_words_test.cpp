#include "ui/controls/failure_words.h"

#include <gtest/gtest.h>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/outcome_law.h"
#include "ui/controls/run_error_context.h"

namespace korvale {
namespace {

// What the window says of a failure the analysis gives back: the reason's own Japanese words
// unless the status was made with a message of its own.
TEST(FailureWordsTest, TheWindowSaysAStatusInItsOwnWords) {
    const struct {
        const char* name;
        Status status;
        const char* said;
    } cases[] = {
        {"an overflow of the run", Status(StatusReason::Overflow), "オーバーフローしました。"},
        {"0 / 0", Status(StatusReason::InvalidOperation), "浮動小数点演算が無効です。"},
        {"not a number", Status(StatusReason::TypeMismatch), "型が一致しません。"},
        {"a REG end the law does not cover", outcomeLawCoverage({100.0, 102}),
         "the outcome law does not cover these end conditions"},
        {"a BIG end beyond the tables", outcomeLawCoverage({2500.0, 0}),
         "BIG end must be a number up to 2000"},
        {"no solution", Status(StatusReason::NoSolution), "理論値の方程式に有限の解がありません。"},
        {"an impossible history", Status(StatusReason::ImpossibleHistory),
         "どの設定でもありえない履歴です。"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(windowText(c.status).toStdString(), c.said) << c.name;
    }
    EXPECT_TRUE(outcomeLawCoverage({100.0, 101}).ok());
}

// A run's failure picks up the figure it concerns on its way out, once: the innermost names it.
TEST(FailureWordsTest, TheRunsContextRidesOnTheStatus) {
    try {
        aboutFigure("差枚", [] {
            return aboutFigure("プレイ数",
                               []() -> int { throw StatusError(StatusReason::Overflow); });
        });
        ADD_FAILURE() << "nothing thrown";
    } catch (const StatusError& error) {
        EXPECT_EQ(runContext(error).figure, "プレイ数");
        EXPECT_FALSE(runContext(error).controlOperation);
    }
    try {
        throwControlError("結果表");
    } catch (const StatusError& error) {
        EXPECT_EQ(error.reason(), StatusReason::InvalidOperation);
        EXPECT_EQ(runContext(error).figure, "結果表");
        EXPECT_TRUE(runContext(error).controlOperation);
    }
    EXPECT_EQ(runContext(Status(StatusReason::Overflow)).figure, "");
}

}  // namespace
}  // namespace korvale
