// Program start: the simulator window, with its menu bar, is the whole program.

#include <QApplication>

#include "ui/main_frame.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    korvale::MainFrame window;
    window.show();
    return application.exec();
}
