#include "ui/analysis_window/history_read_message.h"

namespace korvale {
namespace {

QString japaneseReason(const HistoryReadProblem& problem) {
    switch (problem.kind) {
        case HistoryProblemKind::NotText:
            return QStringLiteral("テキストのファイルではありません（NULバイトがあります）");
        case HistoryProblemKind::NotUtf8:
            return QStringLiteral(
                "UTF-8でもShift-JISでもない文字があります。UTF-8で保存してください");
        case HistoryProblemKind::UnclosedQuote:
            return QStringLiteral("「\"」で始まる項目が「\"」で閉じていません");
        case HistoryProblemKind::NoGamesColumn:
            return QStringLiteral("見出しに「回転数」または「games」の列がありません");
        case HistoryProblemKind::AttemptGrid:
            return QStringLiteral(
                "特別（挑戦）の結果の表です。ボーナスの履歴ではありません（通常の結果を保存して"
                "ください）");
        case HistoryProblemKind::NotKindAndGames:
            return QStringLiteral("「BIG 123」のようにボーナスとゲーム数を書いてください");
        case HistoryProblemKind::TooFewFields:
            return QStringLiteral("カンマで区切った項目が%1個以上必要です")
                .arg(problem.expectedFields);
        case HistoryProblemKind::NotAKind:
            return QStringLiteral("ボーナスはBIGかREGです");
        case HistoryProblemKind::NoGames:
            return QStringLiteral("ゲーム数がありません");
        case HistoryProblemKind::GamesNotWhole:
            return QStringLiteral("ゲーム数は「123」のように数字だけで書いてください");
        case HistoryProblemKind::GamesNegative:
            return QStringLiteral("ゲーム数が負の数です");
        case HistoryProblemKind::GamesZero:
            return QStringLiteral("ゲーム数は1以上です");
        case HistoryProblemKind::GamesBeyondCounter:
            return QStringLiteral("ゲーム数が台の32ビットの上限（2147483647）を超えています");
        case HistoryProblemKind::OtherThread:
            return QStringLiteral(
                "別のスレッド（別の台）の行です。1つのスレッドの行だけにしてください");
    }
    return {};
}

}  // namespace

QString japaneseHistoryProblem(const HistoryReadProblem& problem) {
    return QStringLiteral("%1行目：%2（「%3」）")
        .arg(problem.line)
        .arg(japaneseReason(problem), QString::fromStdString(shownContent(problem.content)));
}

}  // namespace korvale
