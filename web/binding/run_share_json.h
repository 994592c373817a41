#pragma once

// A worker's share of a simulated run as JSON, and back: every count and sum it holds, doubles
// written to read back to the same bits, so that shares played apart merge to the run one
// process would have played.

#include <nlohmann/json.hpp>

#include "play/parallel_run.h"

namespace korvale {

nlohmann::json shareToJson(const RunShare& share);

// The share again, its cash totals at `rates` (the run's). Throws StatusError (BadCommandLine)
// for JSON that is not a share as shareToJson writes one.
RunShare shareFromJson(const nlohmann::json& json, const HallRates& rates);

}  // namespace korvale
