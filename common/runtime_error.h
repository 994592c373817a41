#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvale {

// The kinds of failure this system expects and says to the user. Each ends the operation that
// raised it; the window and korvale-batch each say it in their own words. A caller that breaks
// a function's contract gets a std::logic_error instead: that is a fault, not one of these.
enum class ErrorKind {
    // The arithmetic of a run, and the numbers typed into the window.
    Overflow,          // an integer left the signed 32-bit range, or a number did not fit one
    DivisionByZero,    // a non-zero number divided by zero
    InvalidOperation,  // a floating operation without a defined result (0 / 0, a NaN operand)
    FloatOverflow,     // a floating result too large for a double
    TypeMismatch,      // a text that had to be a number was not one
    // Long work called off from another thread: it ends the work, but is no error.
    Cancelled,
    // The exact analysis.
    EndBeyondTables,    // a BIG end or a REG end beyond what the exact figures take
    LawNotCovered,      // the outcome law needs a REG end of at most the BIG end plus one game
    AttemptsTooLong,    // attempts too long for the outcome law's tables
    NoSolution,         // the exact equations have no finite answer
    ImpossibleHistory,  // a history that no setting the prior allows could have given
    // Files and the command line.
    NotABonusHistory,  // a text that does not read as a bonus history
    FileNotRead,       // a file that cannot be opened or read (the system's reason is given)
    FileNotWritten,    // a file that cannot be made or written
    BadCommandLine,    // a command line that cannot be run
};

// Where an error arose, as far as the code it passed through knew: the figure it concerns (in
// the window's words), the text that was read, whether a control operation failed, and the game
// of the run. The window builds its message from these.
struct ErrorContext {
    std::string figure;
    std::string text;
    bool hasText = false;
    bool controlOperation = false;
    std::int64_t game = 0;  // 0: before the run's first game
};

// The one exception type of the system: which error it is, a message, and the context that the
// code it passes through adds. The message of the run's arithmetic is the short Japanese one
// naming the kind; the other kinds carry one line in English naming what failed, which
// korvale-batch shows as it stands.
class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(ErrorKind kind);
    RuntimeError(ErrorKind kind, const std::string& message);

    ErrorKind kind() const noexcept { return kind_; }
    const ErrorContext& context() const noexcept { return context_; }
    ErrorContext& context() noexcept { return context_; }

  private:
    ErrorKind kind_;
    ErrorContext context_;
};

// A failing control or grid operation: InvalidOperation, naming the control and the operation.
[[noreturn]] void throwControlError(std::string_view control);

// Runs `operation`; an error from it that does not name its figure yet names `figure`.
template <typename Operation>
decltype(auto) aboutFigure(std::string_view figure, Operation&& operation) {
    try {
        return operation();
    } catch (RuntimeError& error) {
        if (error.context().figure.empty()) {
            error.context().figure.assign(figure);
        }
        throw;
    }
}

// The Japanese message for each kind, as RuntimeError::what() returns it for the run's
// arithmetic.
const char* errorMessage(ErrorKind kind) noexcept;

}  // namespace korvale
