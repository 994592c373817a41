#pragma once

#include <stdexcept>
#include <string>

namespace korvale {

// The kinds of run-time error this system can raise. Each ends the operation that raised it.
enum class ErrorKind {
    Overflow,          // an integer left the signed 32-bit range, or a number did not fit one
    DivisionByZero,    // a non-zero number divided by zero
    InvalidOperation,  // a floating operation without a defined result (0 / 0, a NaN operand)
    FloatOverflow,     // a floating result too large for a double
    TypeMismatch,      // a text that had to be a number was not one
};

// The one exception type of the system: which error it is, and a short Japanese message that
// the window shows to the user as it stands.
class RuntimeError : public std::runtime_error {
  public:
    explicit RuntimeError(ErrorKind kind);

    ErrorKind kind() const noexcept { return kind_; }

  private:
    ErrorKind kind_;
};

// The Japanese message for each kind, as RuntimeError::what() returns it.
const char* errorMessage(ErrorKind kind) noexcept;

}  // namespace korvale
