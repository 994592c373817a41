#pragma once

// The engine's one door: a call by name with a JSON request, answered with a JSON text that is
// either {"ok":true,"report":R} (R as korvale-batch prints it with --format json; read_number
// answers {"ok":true,"value":v}) or {"ok":false,"code":C,"reason":W,"message":M}: C the
// status code (Cancelled, InvalidInput, OutOfRange, NoSolution), W the finer reason, M the
// English message. Nothing is thrown out of it. Every call's work runs on the calling thread.

#include <string>
#include <string_view>

#include "common/status.h"
#include "report/model/report_model.h"
#include "web/binding/engine_progress.h"

namespace korvale {

std::string callEngine(std::string_view name, std::string_view request,
                       const EngineProgress& progress);

// The answers' two shapes.
std::string reportAnswer(const Report& report);
std::string failureAnswer(const Status& status);

}  // namespace korvale
