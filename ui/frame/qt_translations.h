#pragma once

// Qt's own texts (file dialogs, the text boxes' context menu, message box buttons) in Japanese,
// as the rest of the window, whatever the locale.

#include <QCoreApplication>

namespace korvale {

// Installs Qt's Japanese translations (qtbase_ja, from Qt's translations folder) in the
// application. Returns false when they are not installed: Qt's texts then stay English.
bool loadQtTranslations(QCoreApplication& application);

}  // namespace korvale
