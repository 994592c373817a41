#pragma once

// The efficient frontier among rules the page has its figures for: the page asks the sweep one
// rule a request, so that its workers share the grid, and the union of the answers is one grid.

#include <string>
#include <string_view>

namespace korvale {

// rules: [{big_end, reg_end, net_per_1000_games, p_ahead}, ...] as the sweep reported them
// (p_ahead null: not known, never on the frontier). Answers {"frontier": [i, ...]}: the
// indices of the rules on it, in the order korvale-batch sweep --frontier prints them.
std::string frontierCall(std::string_view request);

}  // namespace korvale
