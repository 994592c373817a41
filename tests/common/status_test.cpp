#include "common/status.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/work_control.h"

namespace korvale {
namespace {

TEST(StatusTest, EachReasonBelongsToItsCode) {
    using R = StatusReason;
    using C = StatusCode;
    const struct {
        StatusReason reason;
        StatusCode code;
    } cases[] = {
        {R::None, C::Ok},
        {R::Cancelled, C::Cancelled},
        {R::Overflow, C::OutOfRange},
        {R::FloatOverflow, C::OutOfRange},
        {R::EndBeyondTables, C::OutOfRange},
        {R::LawNotCovered, C::OutOfRange},
        {R::AttemptsTooLong, C::OutOfRange},
        {R::DivisionByZero, C::NoSolution},
        {R::InvalidOperation, C::NoSolution},
        {R::NoSolution, C::NoSolution},
        {R::ImpossibleHistory, C::NoSolution},
        {R::TypeMismatch, C::InvalidInput},
        {R::NotABonusHistory, C::InvalidInput},
        {R::FileNotRead, C::InvalidInput},
        {R::FileNotWritten, C::InvalidInput},
        {R::BadCommandLine, C::InvalidInput},
    };
    for (const auto& c : cases) {
        const Status status(c.reason);
        EXPECT_EQ(status.code(), c.code) << static_cast<int>(c.reason);
        EXPECT_EQ(status.ok(), c.reason == R::None);
    }
    EXPECT_EQ(WorkCancelled().code(), C::Cancelled);
}

TEST(StatusTest, MessageIsItsOwnOrTheReasonsPlainLine) {
    const Status plain(StatusReason::Overflow);
    EXPECT_EQ(plain.ownMessage(), "");
    EXPECT_EQ(plain.message(), "a counter left the signed 32-bit range");
    const Status own(StatusReason::EndBeyondTables, "REG end must be at most 1000");
    EXPECT_EQ(own.message(), "REG end must be at most 1000");
    EXPECT_STREQ(StatusError(own).what(), "REG end must be at most 1000");
    EXPECT_STREQ(StatusError(StatusReason::Cancelled).what(), "the work was called off");
    // A detail rides along, read back only as its own type.
    Status detailed(StatusReason::NotABonusHistory);
    detailed.detail() = std::vector<int>{3, 4};
    ASSERT_NE(detailed.detailAs<std::vector<int>>(), nullptr);
    EXPECT_EQ(*detailed.detailAs<std::vector<int>>(), (std::vector<int>{3, 4}));
    EXPECT_EQ(detailed.detailAs<std::string>(), nullptr);
    EXPECT_EQ(own.detailAs<std::vector<int>>(), nullptr);
}

TEST(StatusOrTest, HoldsAValueOrTheStatusWhyNot) {
    StatusOr<std::string> value = std::string("BIG");
    ASSERT_TRUE(value.ok());
    EXPECT_TRUE(value.status().ok());
    EXPECT_EQ(*value, "BIG");
    EXPECT_EQ(value->size(), 3U);

    const StatusOr<std::string> failed = Status(StatusReason::NoSolution, "singular");
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.status().code(), StatusCode::NoSolution);
    try {
        (void)failed.value();
        ADD_FAILURE() << "no status thrown";
    } catch (const StatusError& error) {
        EXPECT_EQ(error.reason(), StatusReason::NoSolution);
        EXPECT_STREQ(error.what(), "singular");
    }
    // A failure needs a reason: an Ok status with no value is a fault.
    EXPECT_THROW((void)StatusOr<int>{Status{}}, std::logic_error);
}

TEST(StatusOrTest, CatchStatusTurnsWhatWasThrownIntoTheStatus) {
    const StatusOr<int> five = catchStatus([] { return 5; });
    EXPECT_EQ(*five, 5);
    const StatusOr<int> overflow =
        catchStatus([]() -> int { throw StatusError(StatusReason::Overflow); });
    EXPECT_EQ(overflow.status().reason(), StatusReason::Overflow);
    const Status cancelled = catchStatus([] { throw WorkCancelled(); });
    EXPECT_EQ(cancelled.code(), StatusCode::Cancelled);
    EXPECT_TRUE(catchStatus([] {}).ok());
    // A StatusOr given back stays one, not one inside another.
    const StatusOr<int> given =
        catchStatus([]() -> StatusOr<int> { return Status(StatusReason::TypeMismatch); });
    EXPECT_EQ(given.status().reason(), StatusReason::TypeMismatch);
    // A broken contract is no status: it goes on.
    EXPECT_THROW((void)catchStatus([]() -> int { throw std::invalid_argument("x"); }),
                 std::invalid_argument);
}

}  // namespace
}  // namespace korvale
