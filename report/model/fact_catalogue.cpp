#include "report/model/fact_catalogue.h"

#include <utility>

namespace korvale {

Fact makeFact(FactName name, std::string value, std::string shown, bool isNumber) {
    return {.key = std::string(name.key),
            .label = std::string(name.label),
            .value = std::move(value),
            .shown = std::move(shown),
            .isNumber = isNumber};
}

}  // namespace korvale
