// Program start: the simulator window is the whole program.

#include <QApplication>

#include "ui/frm_main.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    korvale::frmMain window;
    window.show();
    return application.exec();
}
