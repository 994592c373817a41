#include "common/runtime_error.h"

namespace korvale {

const char* errorMessage(ErrorKind kind) noexcept {
    switch (kind) {
        case ErrorKind::Overflow:
            return "オーバーフローしました。";
        case ErrorKind::DivisionByZero:
            return "0 で除算しました。";
        case ErrorKind::InvalidOperation:
            return "浮動小数点演算が無効です。";
        case ErrorKind::FloatOverflow:
            return "浮動小数点数がオーバーフローしました。";
        case ErrorKind::TypeMismatch:
            return "型が一致しません。";
    }
    return "不明なエラーです。";
}

RuntimeError::RuntimeError(ErrorKind kind) : std::runtime_error(errorMessage(kind)), kind_(kind) {}

void throwControlError(std::string_view control) {
    RuntimeError error(ErrorKind::InvalidOperation);
    error.context().figure.assign(control);
    error.context().controlOperation = true;
    throw error;
}

}  // namespace korvale
