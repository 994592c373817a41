#include "ui/box.h"

#include <array>

#include "common/runtime_error.h"

namespace korvale {
namespace {

Box arrayMember(Box first, std::int32_t mode) {
    if (mode < 0 || mode >= modeBoxCount) {
        throw RuntimeError(ErrorKind::InvalidOperation);
    }
    return static_cast<Box>(static_cast<int>(first) + mode);
}

}  // namespace

Box txtCnt(std::int32_t mode) {
    return arrayMember(Box::txtCnt0, mode);
}

Box txtBig(std::int32_t mode) {
    return arrayMember(Box::txtBig0, mode);
}

Box txtReg(std::int32_t mode) {
    return arrayMember(Box::txtReg0, mode);
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
