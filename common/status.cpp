#include "common/status.h"

namespace korvale {

StatusCode codeOf(StatusReason reason) noexcept {
    switch (reason) {
        case StatusReason::None:
            return StatusCode::Ok;
        case StatusReason::Cancelled:
            return StatusCode::Cancelled;
        case StatusReason::Overflow:
        case StatusReason::FloatOverflow:
        case StatusReason::EndBeyondTables:
        case StatusReason::LawNotCovered:
        case StatusReason::AttemptsTooLong:
            return StatusCode::OutOfRange;
        case StatusReason::DivisionByZero:
        case StatusReason::InvalidOperation:
        case StatusReason::NoSolution:
        case StatusReason::ImpossibleHistory:
            return StatusCode::NoSolution;
        case StatusReason::TypeMismatch:
        case StatusReason::NotABonusHistory:
        case StatusReason::FileNotRead:
        case StatusReason::FileNotWritten:
        case StatusReason::BadCommandLine:
            return StatusCode::InvalidInput;
    }
    return StatusCode::InvalidInput;
}

const char* defaultMessage(StatusReason reason) noexcept {
    switch (reason) {
        case StatusReason::None:
            return "no failure";
        case StatusReason::Cancelled:
            return "the work was called off";
        case StatusReason::Overflow:
            return "a counter left the signed 32-bit range";
        case StatusReason::DivisionByZero:
            return "division by zero";
        case StatusReason::InvalidOperation:
            return "invalid floating-point operation";
        case StatusReason::FloatOverflow:
            return "floating-point overflow";
        case StatusReason::TypeMismatch:
            return "a text that had to be a number was not one";
        case StatusReason::EndBeyondTables:
            return "end conditions beyond the exact tables";
        case StatusReason::LawNotCovered:
            return "the outcome law does not cover these end conditions";
        case StatusReason::AttemptsTooLong:
            return "attempts this long have no outcome law here";
        case StatusReason::NoSolution:
            return "the exact equations have no finite answer";
        case StatusReason::ImpossibleHistory:
            return "no setting could have given this history";
        case StatusReason::NotABonusHistory:
            return "the text does not read as a bonus history";
        case StatusReason::FileNotRead:
            return "a file could not be read";
        case StatusReason::FileNotWritten:
            return "a file could not be written";
        case StatusReason::BadCommandLine:
            return "the request cannot be carried out as given";
    }
    return "an unknown failure";
}

StatusError::StatusError(Status status) : status_(std::move(status)), what_(status_.message()) {}

}  // namespace korvale
