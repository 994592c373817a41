#pragma once

#include "ui/runs/run_displays.h"

namespace korvale {

// The per-mode statistics run ("通常"): one new machine played game after game until the stop
// flag is found set before a game. Every bonus is logged in the grid; the totals and the games,
// BIGs and RT release rate of each mode live in the text boxes, read back and rewritten at
// every update.
void RunModeStats(RunDisplays& window);

}  // namespace korvale
