#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvale {

// The kinds of run-time error this system can raise. Each ends the operation that raised it.
enum class ErrorKind {
    Overflow,          // an integer left the signed 32-bit range, or a number did not fit one
    DivisionByZero,    // a non-zero number divided by zero
    InvalidOperation,  // a floating operation without a defined result (0 / 0, a NaN operand)
    FloatOverflow,     // a floating result too large for a double
    TypeMismatch,      // a text that had to be a number was not one
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

// The one exception type of the system: which error it is, a short Japanese message naming the
// kind (what()), and the context that the code it passes through adds.
class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(ErrorKind kind);

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

// The Japanese message for each kind, as RuntimeError::what() returns it.
const char* errorMessage(ErrorKind kind) noexcept;

}  // namespace korvale
