#pragma once

// Calls that answer a value rather than a report: a number read as the program reads the
// numbers typed in its fields, and the catalogue's figure keys.

#include <string>
#include <string_view>

namespace korvale {

// {text, whole?, min?, max?}: the text read strictly (full-width forms as ASCII, blanks around
// it allowed), as a whole number when `whole`. Answers {"ok":true,"value":v}, or a failure of
// code InvalidInput whose reason is Empty (blanks alone), NotANumber, NotWhole, BelowMinimum
// or AboveMaximum (a number beyond what a double holds is beyond every maximum).
std::string readNumberCall(std::string_view request);

// {"ok":true,"report":[keys]}: every key of the figure catalogue as it is printed.
std::string figureKeysCall();

}  // namespace korvale
