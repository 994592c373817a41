// Program start: the simulator window, with its menu bar, is the whole program.

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "ui/frame/main_frame.h"
#include "ui/frame/qt_translations.h"

namespace {

QtMessageHandler usualHandler = nullptr;

// While the application starts: without a display Qt explains in several lines and then stops
// the program (qFatal, which aborts). Say it in one line and exit with status 1 instead; the
// platform's own lines are left out, every other message goes on as usual.
void startupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs(
            "korvale: no display to open the window on (DISPLAY is not set or cannot be "
            "reached); start it on a desktop, or use korvale-batch\n",
            stderr);
        std::_Exit(1);
    }
    if (context.category != nullptr && QByteArray(context.category).startsWith("qt.qpa.")) {
        return;
    }
    usualHandler(type, context, message);
}

}  // namespace

int main(int argc, char* argv[]) {
    usualHandler = qInstallMessageHandler(startupMessage);
    // The desktop entry and icon the package installs, so that a desktop shows them with the
    // window (on Wayland the entry is found by this name only).
    QApplication::setDesktopFileName(QStringLiteral(KORVALE_APP_ID));
    QApplication application(argc, argv);
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(KORVALE_APP_ID)));
    qInstallMessageHandler(usualHandler);
    // The window is Japanese whatever the locale; so are Qt's dialogs and menus in it.
    korvale::loadQtTranslations(application);
    korvale::MainFrame window;
    window.show();
    return application.exec();
}
