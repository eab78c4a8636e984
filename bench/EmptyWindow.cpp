// The reference of the start-up figure: an empty main window, started and ended the way the program is.

#include "app/StartupProbe.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow Window;
    Window.show();
    ExitAtFirstIdleWhenProbed();
    return app.exec();
}
