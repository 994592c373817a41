#include "batch/options/option_error.h"

#include <fmt/format.h>

#include "common/status.h"
#include "common/text_encoding.h"

namespace korvale {

void optionError(std::string_view option, const std::string& message) {
    throw StatusError(StatusReason::BadCommandLine,
                      fmt::format("korvale-batch: {}: {}", option, message));
}

void badValue(std::string_view option, std::string_view expected, std::string_view text) {
    optionError(option, fmt::format("expected {}, got \"{}\"", expected, printableText(text)));
}

}  // namespace korvale
