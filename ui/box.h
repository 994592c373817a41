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

// Members of the three per-mode arrays. An index outside 0..5 names no control: it throws
// RuntimeError(InvalidOperation), the failing control operation.
Box txtCnt(std::int32_t mode);
Box txtBig(std::int32_t mode);
Box txtReg(std::int32_t mode);

// The box's objectName: "Text1", "txtCnt(3)".
std::string boxName(Box box);

}  // namespace korvale
