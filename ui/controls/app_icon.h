#pragma once

#include <QIcon>
#include <QImage>

namespace korvale {

// The program's icon: a slot machine drawn in 32 x 32 pixels from a 16-colour palette.
QImage appIconImage();
QIcon appIcon();

}  // namespace korvale
