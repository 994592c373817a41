#include "ui/controls/app_icon.h"

#include <array>
#include <string_view>

namespace korvale {
namespace {

constexpr int iconSize = 32;

// One character per pixel; the key below gives each character's palette entry.
// clang-format off
constexpr std::array<std::string_view, iconSize> art = {
    "................................",
    "......kkkkkkkkkkkkkkkkkkkk......",
    "......kyyyyyyyyyyyyyyyyyyk......",
    "......kyymmyyyymmyyyymmyyk......",
    "......kyyyyyyyyyyyyyyyyyyk......",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....",
    "....krrrrrrrrrrrrrrrrrrrrrrk..kk",
    "....krrrrrrrrrrrrrrrrrrrrrrk.krk",
    "....krkkkkkkkkkkkkkkkkkkkkrk.krk",
    "....krkwwwwwkwwwwwkwwwwwkkrk..kk",
    "....krkwwwwwkwwwwwkwwwwwkkrk..gk",
    "....krkwrrrwkwrrrwkwrrrwkkrk..gk",
    "....krkwwwrwkwwwrwkwwwrwkkrk..gk",
    "....krkwwrwwkwwrwwkwwrwwkkrk..gk",
    "....krkwwrwwkwwrwwkwwrwwkkrk..gk",
    "....krkwwrwwkwwrwwkwwrwwkkrk..gk",
    "....krkwwwwwkwwwwwkwwwwwkkrk.dgk",
    "....krkkkkkkkkkkkkkkkkkkkkrkddk.",
    "....krrrrrrrrrrrrrrrrrrrrrrkdk..",
    "....krrbbbbbbbbbbbbbbbbbbrrkk...",
    "....krrbcccccccccccccccccbrrk...",
    "....krrbbbbbbbbbbbbbbbbbbrrk....",
    "....krrrrrrrrrrrrrrrrrrrrrrk....",
    "....kmmmmmmmmmmmmmmmmmmmmmmk....",
    "....kmmggmmggmmmmmmmmkkkkmmk....",
    "....kmmggmmggmmmmmmmmkddkmmk....",
    "....kmmmmmmmmmmmmmmmmkkkkmmk....",
    "....kmmmmmmmmmmmmmmmmmmmmmmk....",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "...kddddddddddddddddddddddddk...",
    "...kkkkkkkkkkkkkkkkkkkkkkkkkk...",
    "................................",
};
// clang-format on

// The sixteen colours of the classic palette; entry 0 doubles as the transparent background.
constexpr std::array<QRgb, 16> palette = {
    0x00000000, 0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080,
    0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xffffffff,
};

int paletteEntry(char pixel) {
    switch (pixel) {
        case 'k':
            return 1;  // black
        case 'm':
            return 2;  // maroon
        case 'g':
            return 8;  // silver
        case 'd':
            return 9;  // grey
        case 'r':
            return 10;  // red
        case 'y':
            return 12;  // yellow
        case 'b':
            return 5;  // navy
        case 'c':
            return 7;  // teal
        case 'w':
            return 15;  // white
        default:
            return 0;  // background
    }
}

}  // namespace

QImage appIconImage() {
    QImage image(iconSize, iconSize, QImage::Format_Indexed8);
    image.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < iconSize; ++y) {
        for (int x = 0; x < iconSize; ++x) {
            image.setPixel(x, y, static_cast<uint>(paletteEntry(art[y][x])));
        }
    }
    return image;
}

QIcon appIcon() {
    return QIcon(QPixmap::fromImage(appIconImage()));
}

}  // namespace korvale
