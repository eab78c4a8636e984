#include "app/AppWindows.h"
#include "app/CommandLine.h"
#include "app/FormMain.h"
#include "app/HeadlessStation.h"
#include "app/StartupProbe.h"
#include "app/UnixSignals.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormLegal.h"
#include "dialogs/FormOptions.h"
#include "dialogs/FormSessionInfo.h"
#include "dialogs/FormSplash.h"
#include "dialogs/FormTCControl.h"
#include "dialogs/FormWait.h"
#include "dialogs/VisualStyle.h"
#include "dialogs/WindowIcons.h"
#include "meter/FormAddNetworkInstrument.h"
#include "meter/FormInstrumentSelect.h"
#include "review/FormChart.h"
#include "review/FormFilter.h"
#include "review/FormSortSessions.h"
#include "store/FormDBSelect.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <future>

namespace {

void Print(std::FILE* pStream, const QString& sText) {
    std::fputs(sText.toLocal8Bit().constData(), pStream);
}

} // namespace

int main(int argc, char** argv) {
    // Version and help are answered before the windowing toolkit starts, so they work without a display.
    QStringList slArguments;
    for (int i = 0; i < argc; ++i)
        slArguments.append(QString::fromLocal8Bit(argv[i]));
    const TCommandLine Early = ParseCommandLine(slArguments, true);
    if (Early.bShowHelp) {
        Print(stdout, Early.sHelpText);
        return 0;
    }
    if (Early.bShowVersion) {
        Print(stdout, VersionLine() + QLatin1Char('\n'));
        return 0;
    }

    // The program's resources live in the core library; register them before the first use.
    Q_INIT_RESOURCE(resources);
    // The station without windows is decided before any windowing code runs: it needs no display.
    if (Early.bHeadless) {
        const TCommandLine Strict = ParseCommandLine(slArguments, false);
        if (!Strict.sError.isEmpty()) {
            Print(stderr, Strict.sError + QStringLiteral("\n\n") + Strict.sHelpText);
            return 2;
        }
        return RunHeadlessStation(argc, argv, Strict.sDataFolder);
    }
    QApplication app(argc, argv);
    // Read again without the toolkit's own options, which QApplication has taken out.
    const TCommandLine CommandLine = ParseCommandLine(app.arguments(), false);
    if (!CommandLine.sError.isEmpty()) {
        Print(stderr, CommandLine.sError + QStringLiteral("\n\n") + CommandLine.sHelpText);
        return 2;
    }
    // First of all, so that a signal arriving during start-up waits for the window instead of killing
    // the process.
    TUnixSignals Signals;
    app.setApplicationName("QX-Logging");
    // Lets the desktop match the window to its desktop entry and icon.
    app.setDesktopFileName(QStringLiteral("dk.kelmoria.qxlogging"));
    ApplyVisualStyle();
    // The splash picture is decoded and its shape cut on another core while the main window is built.
    std::future<TSplashPicture> SplashPicture =
        std::async(std::launch::async, [] { return MakeSplashPicture(); });

    // Every window once, in this order, kept for the whole run. The main window is created first, so its
    // creation runs before any other window exists; it is shown last, once all of them exist.
    TfrmMain frmMain(nullptr, CommandLine.sDataFolder);
    TAppWindows Windows;
    Windows.frmMain = &frmMain;
    Windows.frmSplash = new TfrmSplash(&frmMain, SplashPicture.get());
    Windows.frmTCControl = new TfrmTCControl(&frmMain);
    Windows.frmSplash->show();
    Windows.frmSplash->repaint();
    Windows.frmDBSelect = new TfrmDBSelect(frmMain, frmMain.Ctrl.SQLConnection, &frmMain);
    Windows.frmSessionInfo = new TfrmSessionInfo(&frmMain);
    Windows.frmInstrumentSelect = new TfrmInstrumentSelect(&frmMain);
    Windows.frmAddNetworkInstrument = new TfrmAddNetworkInstrument(&frmMain);
    Windows.frmWait = new TfrmWait(&frmMain);
    Windows.frmChart = new TfrmChart(&frmMain);
    Windows.frmFilter = new TfrmFilter(&frmMain);
    Windows.frmOptions = new TfrmOptions(&frmMain);
    Windows.frmAbout = new TfrmAbout(&frmMain);
    Windows.frmLegalInfo = new TfrmLegalInfo(&frmMain);
    Windows.frmFilterSessions = new TfrmFilterSessions(&frmMain);
    frmMain.SetWindows(Windows);
    Windows.frmTCControl->SetServices(frmMain);
    Windows.frmSessionInfo->SetContext(frmMain, &frmMain.rSelectedSessionInfo);
    Windows.frmWait->SetLanguage(&frmMain.iLNG);
    Windows.frmFilterSessions->SetServices(frmMain);
    Windows.frmFilter->SetServices(frmMain);
    const TInstrumentManagerContext rInstrumentContext = InstrumentManagerContext(frmMain);
    Windows.frmAddNetworkInstrument->SetContext(rInstrumentContext);
    Windows.frmInstrumentSelect->SetContext(rInstrumentContext, Windows.frmAddNetworkInstrument);
    Windows.frmOptions->SetServices(frmMain);
    Windows.frmAbout->SetContext(&frmMain.Ctrl.rInstrumentInfo);
    for (QWidget* Window : std::initializer_list<QWidget*>{Windows.frmDBSelect, Windows.frmInstrumentSelect,
                                                           Windows.frmChart, Windows.frmFilter})
        SetWindowIcons(Window);

    QObject::connect(&Signals, &TUnixSignals::TerminationRequested, &frmMain, &TfrmMain::CloseWithoutAsking);

    frmMain.show();
    if (CommandLine.bConnect)
        QTimer::singleShot(0, &frmMain,
                           [&frmMain, &CommandLine] { frmMain.ConnectAtStart(CommandLine.bStartLogging); });
    ExitAtFirstIdleWhenProbed();
    return app.exec();
}
