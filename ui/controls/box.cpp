#include "ui/controls/box.h"

#include <array>

#include "ui/controls/run_error_context.h"

namespace korvale {
void noSuchArrayMember(std::int32_t mode) {
    throwControlError("モード " + std::to_string(mode) + " の欄（そのモードの欄はありません）");
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

std::string boxCaption(Box box) {
    static constexpr std::array<const char*, 7> totals = {
        "プレイ数", "差枚", "割", "BIG", "REG", "BIG確率（1/）", "REG確率（1/）"};
    static constexpr std::array<const char*, 6> attempts = {"BIG後",
                                                            "REG後",
                                                            "挑戦回数",
                                                            "一回あたりのプレイ数",
                                                            "一回あたりの差枚",
                                                            "一回あたりのBIG数"};
    const int index = static_cast<int>(box);
    if (box < Box::txtCnt0) {
        return totals[static_cast<std::size_t>(index)];
    }
    if (box < Box::txtBEnd) {
        static constexpr std::array<const char*, 3> arrays = {"回転数", "BIG回数", "RT解除率"};
        const int offset = index - static_cast<int>(Box::txtCnt0);
        return "モード" + std::to_string(offset % modeBoxCount) + "の" +
               arrays[static_cast<std::size_t>(offset / modeBoxCount)];
    }
    return attempts[static_cast<std::size_t>(index - static_cast<int>(Box::txtBEnd))];
}

}  // namespace korvale
