// Renders the main window with its logging tab in the middle of a session, as a picture for the
// documentation. The session is made by feeding the main window's controller the engine events and level
// records a meter would cause, through the same handlers the program runs; no meter is needed.
//
// Usage: qxlogging-shot <language 0|1> <picture.png> [<width> <height>]

#include "app/FormMain.h"
#include "core/EngineCodes.h"
#include "dialogs/MessageBox.h"
#include "dialogs/VisualStyle.h"
#include "engine/EngineMessages.h"
#include "engine/LiveChart.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kWindowWidth = 1450;
constexpr int kWindowHeight = 850;
// Twenty minutes of a programme, one record a second.
constexpr int kRecords = 1200;
constexpr int kStartHour = 19;

QString TimeCode(int iSecond) {
    const int iHour = kStartHour + iSecond / 3600;
    return QString::asprintf("%02d:%02d:%02d:00", iHour, (iSecond / 60) % 60, iSecond % 60);
}

QString Number(double f) {
    return FormatMessageReal(std::round(f * 10) / 10);
}

void Feed(TMainController& Ctrl, int iCode, const QString& sText) {
    Ctrl.UDPUDPRead(EncodeEngineDatagram(iCode, sText));
}

// A programme's loudness: speech around -24 with louder music passages, peaks some dB above.
void FeedProgramme(TMainController& Ctrl) {
    double fSum = 0;
    int iPeakCount = 0;
    for (int i = 0; i < kRecords; ++i) {
        const double t = i;
        const double fShortTerm = -24.5 + 3.2 * std::sin(t / 47.0) + 1.6 * std::sin(t / 11.0 + 1.3) +
                                  (i > 700 && i < 860 ? 4.0 : 0.0);
        fSum += std::pow(10.0, fShortTerm / 10.0);
        const double fIntegrating = 10.0 * std::log10(fSum / (i + 1));
        const double fPeak = fShortTerm + 13.5 + 2.5 * std::sin(t / 3.1) + 1.2 * std::cos(t / 1.7);
        const int iPeakChannel = fPeak > -1.0 ? 2 : 0;
        if (iPeakChannel > 0)
            ++iPeakCount;
        const QStringList f{TimeCode(i),
                            "-1",
                            "-70",
                            Number(fShortTerm),
                            Number(fShortTerm - 6.5),
                            Number(fPeak),
                            "2",
                            QString::number(iPeakChannel),
                            Number(fIntegrating),
                            QString::number(iPeakCount),
                            "-1"};
        Feed(Ctrl, kMessageLevelRecord, f.join('|') + '|');
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) {
        QTextStream(stderr) << "usage: qxlogging-shot <language 0|1> <picture.png> [<width> <height>]\n";
        return 2;
    }
    // Another size shows how the tab lays itself out in a smaller window.
    const int iWidth = argc == 5 ? std::clamp(QByteArray(argv[3]).toInt(), 200, 4000) : kWindowWidth;
    const int iHeight = argc == 5 ? std::clamp(QByteArray(argv[4]).toInt(), 200, 4000) : kWindowHeight;
    // A data folder of its own, so the user's settings and databases are never touched.
    QTemporaryDir Home;
    if (!Home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    ApplyVisualStyle();

    TfrmMain frmMain;
    frmMain.MessageBox->SetResponder([](const TMessageBoxRequest&) { return kMsgResultOK; });
    frmMain.resize(iWidth, iHeight);
    frmMain.show();
    QCoreApplication::processEvents();
    frmMain.resize(iWidth, iHeight);

    TMainController& Ctrl = frmMain.Ctrl;
    const QString sDB = Home.path() + "/Programmes.DB3";
    if (!Ctrl.SQLConnection.CreateSQLiteDB(sDB) || !Ctrl.SQLConnection.OpenSQLiteDB(sDB))
        return 1;
    frmMain.SetMainGUI(7);
    static_cast<IMainView&>(frmMain).SetStatusText(1, sDB.section(QChar(0x2F), -1));
    TSettings& rSettings = Ctrl.Settings;
    rSettings.iLNG = QByteArray(argv[1]) == "1" ? 1 : 0;
    rSettings.bAskForSessionInfo = false;
    rSettings.TCCtrl.Enabled = true;
    rSettings.TCCtrl.EnabledStop = true;
    rSettings.TCCtrl.TCStop = QStringLiteral("20:00:00:00");
    TInstrumentInfo& rActive = rSettings.rActiveNetworkCFG;
    rActive.bComPort = true;
    rActive.iPort = 3;
    rActive.bValid = true;
    frmMain.UpdateGUIStrings();
    frmMain.chkAutoStart->setChecked(true);

    Ctrl.HandleEngineEvent(kEventConnecting);
    Feed(Ctrl, kMessageInstrumentInfo, "qxMeter LM25|25|10432||0|0|14|1|36|3|");
    Feed(Ctrl, kMessageInstrumentName, "qxMeter LM25");
    Feed(Ctrl, kMessageSerialNumber, "10432");
    Ctrl.HandleEngineEvent(kEventConnected);
    Ctrl.HandleEngineEvent(kEventReady);

    TSessionInfo& rSession = Ctrl.rSessionInfo;
    rSession.sShowTitle = QStringLiteral("Evening News");
    rSession.sShowNumber = QStringLiteral("EN-2291");
    rSession.sOperatorName = QStringLiteral("M. Holm");
    rSession.sFormat = QStringLiteral("HD 1080i/25");
    rSession.sNotes = QStringLiteral("Studio 2, live");
    frmMain.LoggingView->btnStartLogClick();
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    Feed(Ctrl, kMessageLoudnessSetup, "1|2|1|1|2|-8|1|-23|-1|1|");
    Ctrl.HandleEngineEvent(kEventLogging);
    FeedProgramme(Ctrl);
    Ctrl.HandleEngineEvent(kEventWaitingStopTC);

    frmMain.LoggingView->ChartLogging->RefreshNow();
    QCoreApplication::processEvents();
    frmMain.LoggingView->ChartLogging->replot(QCustomPlot::rpImmediateRefresh);
    if (!frmMain.grab().save(QString::fromLocal8Bit(argv[2]), "PNG"))
        return 1;
    frmMain.CloseWithoutAsking();
    return 0;
}
