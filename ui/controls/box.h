#pragma once

// The window's text boxes, as the runs name them.

#include <cstdint>
#include <string>

namespace korvale {

enum class Box : int {
    Text1,  // games played
    Text2,  // net coins
    Text4,  // payout rate
    txtSBig,
    txtSReg,
    txtBP,
    txtRP,
    txtCnt0,                // txtCnt(0..5): games begun in each mode
    txtBig0 = txtCnt0 + 6,  // txtBig(0..5): BIGs drawn in each mode
    txtReg0 = txtBig0 + 6,  // txtReg(0..5): RT release rate of each mode
    txtBEnd = txtReg0 + 6,
    txtREnd,
    txtChosen,
    txt1P,
    txt1Sa,
    txt1Big,
};

inline constexpr int boxCount = static_cast<int>(Box::txt1Big) + 1;
inline constexpr int modeBoxCount = 6;

// Throws the error of an index that names no member of a control array.
[[noreturn]] void noSuchArrayMember(std::int32_t mode);

// Members of the three per-mode arrays. An index outside 0..5 names no control: it throws
// StatusError(InvalidOperation), the failing control operation. Inline: the per-mode run
// names one every game.
inline Box arrayMember(Box first, std::int32_t mode) {
    if (mode < 0 || mode >= modeBoxCount) [[unlikely]] {
        noSuchArrayMember(mode);
    }
    return static_cast<Box>(static_cast<int>(first) + mode);
}
inline Box txtCnt(std::int32_t mode) {
    return arrayMember(Box::txtCnt0, mode);
}
inline Box txtBig(std::int32_t mode) {
    return arrayMember(Box::txtBig0, mode);
}
inline Box txtReg(std::int32_t mode) {
    return arrayMember(Box::txtReg0, mode);
}

// The box's objectName: "Text1", "txtCnt(3)".
std::string boxName(Box box);

// What the box shows, in the window's words, for messages: "差枚", "モード3のBIG回数".
std::string boxCaption(Box box);

}  // namespace korvale
