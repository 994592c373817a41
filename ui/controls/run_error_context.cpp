#include "ui/controls/run_error_context.h"

namespace korvale {

RunErrorContext& runContext(StatusError& error) {
    std::any& detail = error.status().detail();
    if (auto* context = std::any_cast<RunErrorContext>(&detail)) {
        return *context;
    }
    return detail.emplace<RunErrorContext>();
}

const RunErrorContext& runContext(const Status& status) {
    static const RunErrorContext none;
    const auto* context = status.detailAs<RunErrorContext>();
    return context != nullptr ? *context : none;
}

void throwControlError(std::string_view control) {
    StatusError error(StatusReason::InvalidOperation);
    runContext(error).figure.assign(control);
    runContext(error).controlOperation = true;
    throw error;
}

}  // namespace korvale
