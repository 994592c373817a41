#pragma once

// What the window says of an expected failure that common/ or analysis/ gave back.

#include <QString>

#include "common/status.h"

namespace korvale {

// The short Japanese message for each reason.
const char* japaneseMessage(StatusReason reason) noexcept;

// The status's own message when it was made with one, else its reason's Japanese message.
QString windowText(const Status& status);

}  // namespace korvale
