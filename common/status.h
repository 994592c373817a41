#pragma once

// How common/ and analysis/ say that an operation failed in a way the system expects: a Status,
// with a code from a small set, the reason (finer, for a front end to choose its words) and a
// message in plain English that names no control of any window. A caller gets it back as a
// StatusOr<T> (a value or the status) from catchStatus or a function that returns one; inside
// long work it travels as a thrown StatusError, so that work deep in a loop (the checked
// arithmetic of a run, a call-off) needs no return path of its own. The window and korvale-batch
// each turn it into their own Japanese or English text. A caller that breaks a function's
// contract gets a std::logic_error instead: that is a fault, not one of these.

#include <any>
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace korvale {

// What a caller needs to tell apart to decide what to do: nothing to say (Cancelled), the
// request was wrong, a limit was passed, or the equations have no answer.
enum class StatusCode : std::uint8_t { Ok, Cancelled, InvalidInput, OutOfRange, NoSolution };

// Which failure it was; each belongs to one code (codeOf).
enum class StatusReason : std::uint8_t {
    None,  // no failure
    // Long work called off from another thread: it ends the work, but is no error.
    Cancelled,
    // Arithmetic, and numbers read from text.
    Overflow,          // an integer left the signed 32-bit range, or a number did not fit one
    DivisionByZero,    // a non-zero number divided by zero
    InvalidOperation,  // a floating operation without a defined result (0 / 0, a NaN operand)
    FloatOverflow,     // a floating result too large for a double
    TypeMismatch,      // a text that had to be a number was not one
    // The exact analysis.
    EndBeyondTables,    // a BIG end or a REG end beyond what the exact figures take
    LawNotCovered,      // the outcome law needs a REG end of at most the BIG end plus one game
    AttemptsTooLong,    // attempts too long for the outcome law's tables
    NoSolution,         // the exact equations have no finite answer
    ImpossibleHistory,  // a history that no setting the prior allows could have given
    // Files and requests.
    NotABonusHistory,  // a text that does not read as a bonus history
    FileNotRead,       // a file that cannot be opened or read
    FileNotWritten,    // a file that cannot be made or written
    BadCommandLine,    // a request that cannot be carried out as given
};

StatusCode codeOf(StatusReason reason) noexcept;

// A plain English line for a reason, for a status made without a message of its own.
const char* defaultMessage(StatusReason reason) noexcept;

class Status {
  public:
    Status() = default;  // Ok
    explicit Status(StatusReason reason) : reason_(reason) {}
    Status(StatusReason reason, std::string message)
        : reason_(reason), message_(std::move(message)) {}

    bool ok() const noexcept { return reason_ == StatusReason::None; }
    StatusCode code() const noexcept { return codeOf(reason_); }
    StatusReason reason() const noexcept { return reason_; }
    // The message the status was made with; "" when it was made with its reason alone.
    const std::string& ownMessage() const noexcept { return message_; }
    // The message, or the reason's plain line when it has none of its own.
    std::string message() const { return message_.empty() ? defaultMessage(reason_) : message_; }

    // What the code the status passes through adds for its own caller to word (the line of a
    // history that did not read, the figure of a window's run): of any type the two agree on.
    std::any& detail() noexcept { return detail_; }
    const std::any& detail() const noexcept { return detail_; }
    template <typename T>
    const T* detailAs() const noexcept {
        return std::any_cast<T>(&detail_);
    }

  private:
    StatusReason reason_ = StatusReason::None;
    std::string message_;
    std::any detail_;
};

// A status on its way out of long work.
class StatusError : public std::exception {
  public:
    explicit StatusError(Status status);
    explicit StatusError(StatusReason reason) : StatusError(Status(reason)) {}
    StatusError(StatusReason reason, std::string message)
        : StatusError(Status(reason, std::move(message))) {}

    const Status& status() const noexcept { return status_; }
    Status& status() noexcept { return status_; }
    StatusCode code() const noexcept { return status_.code(); }
    StatusReason reason() const noexcept { return status_.reason(); }
    const char* what() const noexcept override { return what_.c_str(); }

  private:
    Status status_;
    std::string what_;
};

// A value, or the status that says why there is none.
template <typename T>
class [[nodiscard]] StatusOr {
  public:
    StatusOr(T value) : held_(std::in_place_index<0>, std::move(value)) {}
    StatusOr(Status status) : held_(std::in_place_index<1>, std::move(status)) {
        if (std::get<1>(held_).ok()) {
            throw std::logic_error("a StatusOr without a value needs a failed status");
        }
    }

    bool ok() const noexcept { return held_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }
    // Ok while it holds a value.
    const Status& status() const noexcept {
        static const Status none;
        return ok() ? none : std::get<1>(held_);
    }

    // The value; the status thrown as a StatusError when there is none.
    T& value() & { return checked(*this); }
    const T& value() const& { return checked(*this); }
    T&& value() && { return std::move(checked(*this)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

  private:
    template <typename Self>
    static auto& checked(Self& self) {
        if (!self.ok()) {
            throw StatusError(std::get<1>(self.held_));
        }
        return std::get<0>(self.held_);
    }

    std::variant<T, Status> held_;
};

template <typename T>
struct IsStatusOr : std::false_type {};
template <typename T>
struct IsStatusOr<StatusOr<T>> : std::true_type {};

// Runs `operation`: its value, or the status of the StatusError it threw (a Status alone for
// an operation that returns nothing or a Status; the StatusOr itself for one that returns a
// StatusOr). Anything else it throws goes on.
template <typename Operation>
auto catchStatus(Operation&& operation) {
    using Value = std::invoke_result_t<Operation&>;
    using Result =
        std::conditional_t<std::is_void_v<Value> || std::is_same_v<Value, Status>, Status,
                           std::conditional_t<IsStatusOr<Value>::value, Value, StatusOr<Value>>>;
    try {
        if constexpr (std::is_void_v<Value>) {
            operation();
            return Result{};
        } else {
            return Result(operation());
        }
    } catch (StatusError& error) {
        return Result(std::move(error.status()));
    }
}

}  // namespace korvale
