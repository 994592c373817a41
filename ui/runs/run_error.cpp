#include "ui/runs/run_error.h"

#include <QLocale>
#include <QMessageBox>
#include <utility>

#include "machine/coin_totals.h"
#include "ui/controls/failure_words.h"

namespace korvale {
namespace {

const char* const resultsStay = "それまでの結果はそのまま表示しています。";

QString grouped(std::int64_t value) {
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(value));
}

// The first sentence: what happened to which figure.
QString whatHappened(StatusReason kind, const RunErrorContext& context) {
    const QString figure =
        context.figure.empty() ? QStringLiteral("計算") : QString::fromStdString(context.figure);
    const QString text = QString::fromStdString(context.text);
    switch (kind) {
        case StatusReason::Overflow:
            if (context.hasText) {
                return QStringLiteral(
                           "「%1」の欄の「%2」は、32ビット整数の範囲（-2,147,483,648〜"
                           "2,147,483,647）に収まりません。")
                    .arg(figure, text);
            }
            return QStringLiteral("%1が32ビット整数の上限 2,147,483,647 を超えました。")
                .arg(figure);
        case StatusReason::FloatOverflow:
            if (context.hasText) {
                return QStringLiteral("「%1」の欄の「%2」は大きすぎて計算できません。")
                    .arg(figure, text);
            }
            return QStringLiteral("%1の計算結果が倍精度浮動小数点数の範囲を超えました。")
                .arg(figure);
        case StatusReason::DivisionByZero:
            return QStringLiteral("%1の計算で 0 で割りました。").arg(figure);
        case StatusReason::InvalidOperation:
            if (context.controlOperation) {
                return QStringLiteral("%1 の操作が無効です。").arg(figure);
            }
            return QStringLiteral("%1の計算が無効です（0 ÷ 0 など）。").arg(figure);
        case StatusReason::TypeMismatch:
            return QStringLiteral("「%1」の欄の「%2」は数値ではありません。").arg(figure, text);
        case StatusReason::None:
        case StatusReason::Cancelled:
        case StatusReason::EndBeyondTables:
        case StatusReason::LawNotCovered:
        case StatusReason::AttemptsTooLong:
        case StatusReason::NoSolution:
        case StatusReason::ImpossibleHistory:
        case StatusReason::NotABonusHistory:
        case StatusReason::FileNotRead:
        case StatusReason::FileNotWritten:
        case StatusReason::BadCommandLine:
            break;  // not the arithmetic of a run: the kind's own message
    }
    return QString::fromUtf8(japaneseMessage(kind));
}

}  // namespace

void nameBox(StatusError& error, Box box) {
    if (runContext(error).figure.empty()) {
        runContext(error).figure = boxCaption(box);
    }
}

std::string playErrorFigure(const clsKorvale& machine) {
    constexpr std::int32_t largest = 2147483647;
    const std::pair<std::int32_t, const char*> counters[] = {
        {machine.mlngPlayCnt, "機械のプレイ数"},
        {machine.mlngBigPlayCnt, "前回のBIGからのゲーム数"},
        {machine.mlngBonusPlayCnt, "前回のボーナスからのゲーム数"},
        {machine.mlngBigCnt, "機械のBIG回数"},
        {machine.mlngRegCnt, "機械のREG回数"},
        {machine.mlngSimauta, "モード0でのBIG回数"}};
    for (const auto& [value, figure] : counters) {
        if (value == largest) {
            return figure;
        }
    }
    return "";
}

void throwOverflowOf(const char* figure) {
    StatusError error(StatusReason::Overflow);
    runContext(error).figure = figure;
    throw error;
}

void nameRunError(StatusError& error, std::int64_t game, const clsKorvale* machine) {
    runContext(error).game = game;
    if (runContext(error).figure.empty() && error.reason() == StatusReason::Overflow &&
        machine != nullptr) {
        runContext(error).figure = playErrorFigure(*machine);
    }
}

std::string coinErrorFigure(const clsKorvale& machine) {
    constexpr std::int64_t largest = 2147483647;
    constexpr std::int64_t smallest = -largest - 1;
    auto fits = [](std::int64_t value) { return value >= smallest && value <= largest; };
    const std::int64_t bigCoins = std::int64_t{machine.mlngBigCnt} * coinsPerBig;
    const std::int64_t regCoins = std::int64_t{machine.mlngRegCnt} * coinsPerReg;
    if (!fits(bigCoins)) {
        return "BIGの払い出し枚数（BIG回数 × 388）";
    }
    if (!fits(regCoins)) {
        return "REGの払い出し枚数（REG回数 × 127）";
    }
    if (!fits(bigCoins + regCoins)) {
        return "ボーナスの払い出し枚数";
    }
    const double cost = roundedCost(machine.mlngSettei, machine.mlngPlayCnt);
    if (!(cost >= -2147483648.0 && cost <= 2147483647.0)) {
        return "プレイ数にかかるコイン";
    }
    if (!fits(bigCoins + regCoins - static_cast<std::int64_t>(cost))) {
        return "差枚";
    }
    if (!fits(std::int64_t{machine.mlngPlayCnt} * coinsInPerGame)) {
        return "投入枚数（プレイ数 × 3）";
    }
    return "獲得枚数（投入枚数 + 差枚）";
}

QString runErrorMessage(const StatusError& error) {
    const RunErrorContext& context = runContext(error);
    const QString when =
        context.game > 0
            ? QStringLiteral("%1ゲーム目で実行を終了しました。").arg(grouped(context.game))
            : QStringLiteral("ゲームを始める前に実行を終了しました。");
    return whatHappened(error.reason(), context) + "\n" + when + "\n" +
           QString::fromUtf8(resultsStay);
}

bool isLimitReached(const StatusError& error) {
    const RunErrorContext& context = runContext(error);
    return error.reason() == StatusReason::Overflow && !context.hasText &&
           !context.figure.empty() && context.game > 0;
}

QString limitReachedMessage(const RunErrorContext& context) {
    return QStringLiteral(
               "%1が\n"
               "32ビット整数の上限 2,147,483,647 に達しました。\n"
               "%2ゲーム目で、この実行は終了です。\n")
               .arg(QString::fromStdString(context.figure), grouped(context.game)) +
           QString::fromUtf8(resultsStay);
}

RunEndMessage runEndMessage(const StatusError& error) {
    if (isLimitReached(error)) {
        return {limitReachedMessage(runContext(error)), true};
    }
    return {runErrorMessage(error), false};
}

void showRunEndMessage(QWidget* parent, const QString& title, const RunEndMessage& message) {
    QMessageBox box(message.limitReached ? QMessageBox::Information : QMessageBox::Critical, title,
                    message.text, QMessageBox::Ok, parent);
    box.exec();
}

QString outOfMemoryMessage() {
    return QStringLiteral(
               "メモリが足りなくなりました（結果表の行が多すぎます）。実行を終了しました。\n") +
           QString::fromUtf8(resultsStay);
}

}  // namespace korvale
