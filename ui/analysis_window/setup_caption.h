#pragma once

// The words that name what a run's figures belong to, wherever they are shown or saved: the
// setting, the kind of run and, for an attempt run, the end conditions as the run reads them
// (the numbers it plays by: "abc" in a box is 0).

#include <QString>
#include <cstdint>

#include "ui/analysis_window/exact_service.h"

namespace korvale {

// "設定１".."設定６" for the index 0..5.
QString settingText(std::int32_t setting);

// The games of an end condition: "300", "300.5", "99,999,999,999"; past fifteen digits
// "1×10¹⁰⁰".
QString endGamesText(double games);

// "設定４・通常（終了条件なし）", "設定１・特別（BIG後300G以上・REG後100G以上で終了）".
QString setupCaption(const ExactSetup& setup);

}  // namespace korvale
