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
        case ErrorKind::Cancelled:
            return "中止しました。";
        case ErrorKind::EndBeyondTables:
            return "この終了条件の理論値は求められません。";
        case ErrorKind::LawNotCovered:
            return "REG後の終了条件がBIG後の条件＋1Gを超えています。";
        case ErrorKind::AttemptsTooLong:
            return "一回の立ち回りが長すぎて表に収まりません。";
        case ErrorKind::NoSolution:
            return "理論値の方程式に有限の解がありません。";
        case ErrorKind::ImpossibleHistory:
            return "どの設定でもありえない履歴です。";
        case ErrorKind::NotABonusHistory:
            return "ボーナスの履歴として読めません。";
        case ErrorKind::FileNotRead:
            return "ファイルを読めません。";
        case ErrorKind::FileNotWritten:
            return "ファイルに書けません。";
        case ErrorKind::BadCommandLine:
            return "コマンドラインが正しくありません。";
    }
    return "不明なエラーです。";
}

RuntimeError::RuntimeError(ErrorKind kind) : std::runtime_error(errorMessage(kind)), kind_(kind) {}

RuntimeError::RuntimeError(ErrorKind kind, const std::string& message)
    : std::runtime_error(message), kind_(kind) {}

void throwControlError(std::string_view control) {
    RuntimeError error(ErrorKind::InvalidOperation);
    error.context().figure.assign(control);
    error.context().controlOperation = true;
    throw error;
}

}  // namespace korvale
