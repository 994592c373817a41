#pragma once

// A bonus history's reading problem in the window's Japanese:
// "3行目：ゲーム数が負の数です（「BIG -5」）".

#include <QString>

#include "analysis/inference/bonus_history_reader.h"

namespace korvale {

QString japaneseHistoryProblem(const HistoryReadProblem& problem);

}  // namespace korvale
