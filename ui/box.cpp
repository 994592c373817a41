#include "ui/box.h"

#include <array>

#include "common/runtime_error.h"

namespace korvale {
void noSuchArrayMember(std::int32_t /*mode*/) {
    throw RuntimeError(ErrorKind::InvalidOperation);
}

std::string boxName(Box box) {
    static constexpr std::array<const char*, 7> totals = {"Text1",   "Text2", "Text4", "txtSBig",
                                                          "txtSReg", "txtBP", "txtRP"};
    static constexpr std::array<const char*, 6> attempts = {"txtBEnd", "txtREnd", "txtChosen",
                                                            "txt1P",   "txt1Sa",  "txt1Big"};
    const int index = static_cast<int>(box);
    if (box < Box::txtCnt0) {
        return totals[static_cast<std::size_t>(index)];
    }
    if (box < Box::txtBEnd) {
        static constexpr std::array<const char*, 3> arrays = {"txtCnt", "txtBig", "txtReg"};
        const int offset = index - static_cast<int>(Box::txtCnt0);
        return std::string(arrays[static_cast<std::size_t>(offset / modeBoxCount)]) + "(" +
               std::to_string(offset % modeBoxCount) + ")";
    }
    return attempts[static_cast<std::size_t>(index - static_cast<int>(Box::txtBEnd))];
}

}  // namespace korvale
