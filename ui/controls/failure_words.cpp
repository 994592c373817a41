#include "ui/controls/failure_words.h"

namespace korvale {

const char* japaneseMessage(StatusReason reason) noexcept {
    switch (reason) {
        case StatusReason::None:
            break;
        case StatusReason::Overflow:
            return "オーバーフローしました。";
        case StatusReason::DivisionByZero:
            return "0 で除算しました。";
        case StatusReason::InvalidOperation:
            return "浮動小数点演算が無効です。";
        case StatusReason::FloatOverflow:
            return "浮動小数点数がオーバーフローしました。";
        case StatusReason::TypeMismatch:
            return "型が一致しません。";
        case StatusReason::Cancelled:
            return "中止しました。";
        case StatusReason::EndBeyondTables:
            return "この終了条件の理論値は求められません。";
        case StatusReason::LawNotCovered:
            return "REG後の終了条件がBIG後の条件＋1Gを超えています。";
        case StatusReason::AttemptsTooLong:
            return "一回の立ち回りが長すぎて表に収まりません。";
        case StatusReason::NoSolution:
            return "理論値の方程式に有限の解がありません。";
        case StatusReason::ImpossibleHistory:
            return "どの設定でもありえない履歴です。";
        case StatusReason::NotABonusHistory:
            return "ボーナスの履歴として読めません。";
        case StatusReason::FileNotRead:
            return "ファイルを読めません。";
        case StatusReason::FileNotWritten:
            return "ファイルに書けません。";
        case StatusReason::BadCommandLine:
            return "コマンドラインが正しくありません。";
    }
    return "不明なエラーです。";
}

QString windowText(const Status& status) {
    return status.ownMessage().empty() ? QString::fromUtf8(japaneseMessage(status.reason()))
                                       : QString::fromStdString(status.ownMessage());
}

}  // namespace korvale
