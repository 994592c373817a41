#include "ui/analysis_window/history_read_message.h"

#include <QStringDecoder>
#include <algorithm>

#include "common/text_encoding.h"

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

// A line that is not text: where its first bad byte is, after which readable start of the
// line. Its bytes are not shown: escaped they are a wall of backslashes, which the Japanese
// font draws as yen signs.
QString notTextProblem(const HistoryReadProblem& problem) {
    const std::string_view line = problem.content;
    std::size_t bad = line.find('\0');
    if (problem.kind == HistoryProblemKind::NotUtf8) {
        const DecodedText decoded = decodeText(line);
        // The line alone may read as Shift-JIS where the file does not: its first byte past ASCII.
        bad = decoded.problem != TextProblem::None
                  ? decoded.problemOffset
                  : static_cast<std::size_t>(
                        std::find_if(line.begin(), line.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                        line.begin());
    }
    const std::size_t at = std::min(bad, line.size());
    QString start =
        QStringDecoder(QStringDecoder::Utf8)(QByteArrayView(line.data(), qsizetype(at)));
    for (qsizetype i = 0; i < start.size(); ++i) {
        if (start[i] == QChar::ReplacementCharacter ||
            start[i].category() == QChar::Other_Control) {
            start.truncate(i);
            break;
        }
    }
    constexpr qsizetype shown = 20;
    if (start.size() > shown) {
        start = start.left(shown) + QStringLiteral("…");
    }
    const QString where = QStringLiteral("%1行目の%2バイト目").arg(problem.line).arg(at + 1);
    return start.trimmed().isEmpty()
               ? QStringLiteral("%1：%2").arg(where, japaneseReason(problem))
               : QStringLiteral("%1（「%2」の次）：%3").arg(where, start, japaneseReason(problem));
}

}  // namespace

QString japaneseHistoryProblem(const HistoryReadProblem& problem) {
    if (problem.kind == HistoryProblemKind::NotText ||
        problem.kind == HistoryProblemKind::NotUtf8) {
        return notTextProblem(problem);
    }
    return QStringLiteral("%1行目：%2（「%3」）")
        .arg(problem.line)
        .arg(japaneseReason(problem), QString::fromStdString(shownContent(problem.content)));
}

}  // namespace korvale
