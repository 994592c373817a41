#include "ui/controls/form_layout.h"

#include <array>

namespace korvale {
namespace {

using K = ControlKind;

// clang-format off
constexpr std::array layout = {
    //            name           kind          container     caption                    left  top   width height
    ControlLayout{"cmbSettei",   K::ComboBox,  "",           "",                         120,  120, 1095,  300},
    ControlLayout{"cmdStart",    K::Button,    "",           "スタート",                 120,  480, 1095,  375},
    ControlLayout{"cmdStop",     K::Button,    "",           "停止",                     120,  960, 1095,  375},
    ControlLayout{"opt(0)",      K::Option,    "",           "通常",                     120, 1800, 1095,  375},
    ControlLayout{"opt(1)",      K::Option,    "",           "特別",                     960, 1800,  735,  375},
    ControlLayout{"Frame1",      K::Frame,     "",           "",                        1920,    0, 4335, 2175},
    ControlLayout{"Frame2",      K::Frame,     "",           "",                         120, 2280, 6255, 6255},
    ControlLayout{"Frame3",      K::Frame,     "",           "",                        3360, 2160, 6255, 6255},
    ControlLayout{"flex1",       K::Grid,      "",           "",                        6480,  120, 3135, 8055},
    ControlLayout{"chk",         K::CheckBox,  "",           "自動スクロール",          6600, 8160, 2175,  375},

    // Totals panel.
    ControlLayout{"Label1(0)",   K::Label,     "Frame1",     "プレイ数",                 240,  360,  735,  375},
    ControlLayout{"Text1",       K::TextBox,   "Frame1",     "0",                       1080,  240, 1095,  375},
    ControlLayout{"Label1(1)",   K::Label,     "Frame1",     "差枚",                     240,  840,  735,  375},
    ControlLayout{"Text2",       K::TextBox,   "Frame1",     "0",                       1080,  720, 1095,  375},
    ControlLayout{"Label1(4)",   K::Label,     "Frame1",     "割",                      2640,  720,  375,  375},
    ControlLayout{"Text4",       K::TextBox,   "Frame1",     "0",                       3000,  600, 1095,  375},
    ControlLayout{"Label1(2)",   K::Label,     "Frame1",     "BIG",                      240, 1320,  735,  375},
    ControlLayout{"txtSBig",     K::TextBox,   "Frame1",     "0",                       1080, 1200, 1095,  375},
    ControlLayout{"Label2",      K::Label,     "Frame1",     "1/",                      2640, 1320,  255,  255},
    ControlLayout{"txtBP",       K::TextBox,   "Frame1",     "0",                       3000, 1200, 1095,  375},
    ControlLayout{"Label1(3)",   K::Label,     "Frame1",     "REG",                      240, 1800,  735,  255},
    ControlLayout{"txtSReg",     K::TextBox,   "Frame1",     "0",                       1080, 1680, 1095,  375},
    ControlLayout{"Label6",      K::Label,     "Frame1",     "1/",                      2640, 1800,  255,  255},
    ControlLayout{"txtRP",       K::TextBox,   "Frame1",     "0",                       3000, 1680, 1095,  375},

    // Per-mode panel: six frames in three rows of two, each holding the same six controls.
    ControlLayout{"frmMode(0)",  K::Frame,     "Frame2",     "モード0",                  120,  120, 2895, 1935},
    ControlLayout{"frmMode(1)",  K::Frame,     "Frame2",     "モード1",                 3240,  120, 2895, 1935},
    ControlLayout{"frmMode(2)",  K::Frame,     "Frame2",     "モード2",                  120, 2160, 2895, 1935},
    ControlLayout{"frmMode(3)",  K::Frame,     "Frame2",     "モード3",                 3240, 2160, 2895, 1935},
    ControlLayout{"frmMode(4)",  K::Frame,     "Frame2",     "モード4",                  120, 4200, 2895, 1935},
    ControlLayout{"frmMode(5)",  K::Frame,     "Frame2",     "モード5",                 3240, 4200, 2895, 1935},
    ControlLayout{"Label3(i)",   K::Label,     "frmMode(i)", "回転数",                   240,  480,  735,  255},
    ControlLayout{"txtCnt(i)",   K::TextBox,   "frmMode(i)", "0",                       1440,  360, 1095,  375},
    ControlLayout{"Label4(i)",   K::Label,     "frmMode(i)", "BIG回数",                  240,  960,  735,  255},
    ControlLayout{"txtBig(i)",   K::TextBox,   "frmMode(i)", "0",                       1440,  840, 1095,  375},
    ControlLayout{"Label5(i)",   K::Label,     "frmMode(i)", "RT解除率　1/",             240, 1440, 1095,  255},
    ControlLayout{"txtReg(i)",   K::TextBox,   "frmMode(i)", "0",                       1440, 1320, 1095,  375},

    // Attempt panel.
    ControlLayout{"Label7(0)",   K::Label,     "Frame3",     "朝一モードからの立ち回りに特定したシミュレートです。",
                                                                                         360,  360, 4335,  255},
    ControlLayout{"Label7(1)",   K::Label,     "Frame3",     "終了する条件　：最低１回BIGを引いた後、",
                                                                                         480,  720, 4095,  495},
    ControlLayout{"Label7(6)",   K::Label,     "Frame3",     "BIG後",                   2160, 1200,  615,  255},
    ControlLayout{"txtBEnd",     K::TextBox,   "Frame3",     "300",                     2880, 1080,  855,  375},
    ControlLayout{"Label7(2)",   K::Label,     "Frame3",     "Ｇ以上",                  3840, 1200,  735,  255},
    ControlLayout{"Label7(4)",   K::Label,     "Frame3",     "REG後",                   2160, 1680,  615,  255},
    ControlLayout{"txtREnd",     K::TextBox,   "Frame3",     "100",                     2880, 1560,  855,  375},
    ControlLayout{"Label7(5)",   K::Label,     "Frame3",     "Ｇ以上",                  3840, 1680,  735,  255},
    ControlLayout{"Label8",      K::Label,     "Frame3",     "上記の条件をどちらも満たした時、一回の立ち回りが終了です。",
                                                                                        1800, 2160, 2775,  495},
    ControlLayout{"Frame4",      K::Frame,     "Frame3",     "",                        1200, 2640, 3495, 3015},

    // Per-attempt results, inside the attempt panel.
    ControlLayout{"Label7(3)",   K::Label,     "Frame4",     "挑戦回数",                 240,  480, 1095,  255},
    ControlLayout{"txtChosen",   K::TextBox,   "Frame4",     "0",                       2040,  360,  855,  375},
    ControlLayout{"Label1(8)",   K::Label,     "Frame4",     "一回あたりのプレイ数",     240,  960, 1815,  375},
    ControlLayout{"txt1P",       K::TextBox,   "Frame4",     "0",                       2040,  840,  855,  375},
    ControlLayout{"Label1(5)",   K::Label,     "Frame4",     "一回あたりの差枚",         240, 1440, 1815,  375},
    ControlLayout{"txt1Sa",      K::TextBox,   "Frame4",     "0",                       2040, 1320,  855,  375},
    ControlLayout{"Label1(6)",   K::Label,     "Frame4",     "一回あたりのBIG数",        240, 1920, 1815,  375},
    ControlLayout{"txt1Big",     K::TextBox,   "Frame4",     "0",                       2040, 1800,  855,  375},
};
// clang-format on

}  // namespace

std::span<const ControlLayout> formLayout() {
    return layout;
}

int toPixels(int twips) {
    // Every figure of the layout is a whole number of pixels; rounding keeps any other sane.
    return (twips + twipsPerPixel / 2) / twipsPerPixel;
}

QRect toPixels(const ControlLayout& control) {
    return QRect(toPixels(control.left), toPixels(control.top), toPixels(control.width),
                 toPixels(control.height));
}

}  // namespace korvale
