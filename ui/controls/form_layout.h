#pragma once

// The window's layout as drawn: every control with its container, caption and place, in twips
// (1/1440 inch). The figures stand here exactly as they were drawn, so each one can be checked by
// eye; toPixels is the one place that converts them.

#include <QRect>
#include <span>

namespace korvale {

enum class ControlKind { Frame, Label, TextBox, Button, ComboBox, Option, CheckBox, Grid };

struct ControlLayout {
    // The control's objectName. "(i)" in a name stands for the six members 0..5 of a control
    // array, one in each frame frmMode(i).
    const char* name;
    ControlKind kind;
    const char* container;  // "" for the window's client area
    const char* caption;    // caption, or a text box's initial text
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int twipsPerPixel = 15;
inline constexpr int clientWidthTwips = 9690;
inline constexpr int clientHeightTwips = 8565;

// Containers come before their contents.
std::span<const ControlLayout> formLayout();

int toPixels(int twips);
QRect toPixels(const ControlLayout& layout);

}  // namespace korvale
