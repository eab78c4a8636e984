// The program's main window as a person runs it, without the person: it connects to the active
// instrument, starts logging as soon as it may and reports on its standard output when logging has
// begun. The reliability test kills it at random moments.
#include "app/AppWindows.h"
#include "app/FormMain.h"
#include "dialogs/MessageBox.h"
#include "engine/LiveLoggingView.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: qxreliability-driver DATAFOLDER\n", stderr);
        return 2;
    }
    TfrmMain frmMain(nullptr, QString::fromLocal8Bit(argv[1]));
    TAppWindows Windows;
    Windows.frmMain = &frmMain;
    frmMain.SetWindows(Windows);
    frmMain.MessageBox->SetResponder([](const TMessageBoxRequest&) { return int(kMsgResultYes); });
    frmMain.show();

    bool bConnectPressed = false;
    bool bStartPressed = false;
    bool bReported = false;
    QTimer Operator;
    QObject::connect(&Operator, &QTimer::timeout, [&] {
        if (!bConnectPressed && frmMain.btnConnect->isEnabled()) {
            bConnectPressed = true;
            frmMain.btnConnect->click();
        } else if (bConnectPressed && !bStartPressed && frmMain.btnStartLog->isEnabled()) {
            bStartPressed = true;
            frmMain.btnStartLog->click();
        } else if (!bReported && frmMain.Ctrl.bLoggingInProgress) {
            bReported = true;
            std::puts("LOGGING");
            std::fflush(stdout);
        }
    });
    Operator.start(20);
    return app.exec();
}
