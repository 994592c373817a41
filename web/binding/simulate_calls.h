#pragma once

// The simulator: a run played as korvale-batch simulate plays it, shared out among workers that
// each play apart (a page's workers share no memory) and merged as the command line merges its
// threads.

#include <string>
#include <string_view>

#include "web/binding/engine_progress.h"

namespace korvale {

// kind ("normal" or "special"), setting, games (normal) or attempts (special), big_end,
// reg_end, max_games (special), seed, the hall's rates, threads T and thread i: plays worker
// i's share of the run exactly as thread i of `korvale-batch simulate KIND --threads T --seed
// S` does, and answers it as a part (opaque JSON) for simulate_merge. A seed is needed when T
// is above 1, so that every part plays the same run.
std::string simulateCall(std::string_view request, ThrottledProgress& progress);

// {plan, parts}: `plan` the request of the parts (its thread left out), `parts` the reports of
// every thread's part in any order. Answers the report korvale-batch simulate prints for that
// plan with --threads T, the time taken that of the slowest part.
std::string simulateMergeCall(std::string_view request, ThrottledProgress& progress);

}  // namespace korvale
