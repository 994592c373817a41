#include "ui/runs/end_conditions_read.h"

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/status.h"

namespace korvale {

EndConditionsRead readEndConditions(std::string_view bigEndText, std::string_view regEndText) {
    EndConditionsRead end;
    end.bigEnd = readLenient(bigEndText);
    try {
        end.regEnd = toInt32HalfEven(readLenient(regEndText));
    } catch (const StatusError&) {
        end.regEnd.reset();  // the run refuses it: see playedBy
    }
    return end;
}

EndConditions EndConditionsRead::playedBy() const {
    if (!regEnd) {
        throwError(StatusReason::Overflow);
    }
    return {bigEnd, *regEnd};
}

}  // namespace korvale
