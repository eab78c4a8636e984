// What logging costs the program as a session grows to a day: process CPU per level record at 1,000, 10,000
// and 86,400 points, each record handled the way a meter's report is (its datagram through the main
// window's controller: grids, stored row, chart) followed by the chart's repaint. At one report a second,
// CPU seconds per record times 100 is the share of one core.

#include "app/FormMain.h"
#include "bench/BenchTable.h"
#include "core/EngineCodes.h"
#include "dialogs/MessageBox.h"
#include "engine/EngineMessages.h"
#include "engine/LiveChart.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <ctime>

namespace {

constexpr int kWindowWidth = 1450;
constexpr int kWindowHeight = 850;
constexpr int kCheckpoints[] = {1000, 10000, 86400};
// Records measured at each checkpoint.
constexpr int kRecordsMeasured = 60;

double ProcessCPUSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

QString TimeCode(int iSecond) {
    return QString::asprintf("%02d:%02d:%02d:00", (iSecond / 3600) % 24, (iSecond / 60) % 60, iSecond % 60);
}

struct TLevels {
    double fShortTerm, fLow, fPeak, fIntegrating;
};

TLevels LevelsAt(int i) {
    const double t = i;
    const double fShortTerm = -24.5 + 3.2 * std::sin(t / 47.0) + 1.6 * std::sin(t / 11.0 + 1.3);
    return {fShortTerm, fShortTerm - 6.5, fShortTerm + 13.5 + 2.5 * std::sin(t / 3.1),
            -23.5 + 0.5 * std::sin(t / 900.0)};
}

void Feed(TMainController& Ctrl, int iCode, const QString& sText) {
    Ctrl.UDPUDPRead(EncodeEngineDatagram(iCode, sText));
}

// One level record as the logging thread sends it.
void FeedRecord(TMainController& Ctrl, int i) {
    const TLevels r = LevelsAt(i);
    const QStringList f{TimeCode(i),
                        "-1",
                        "-70",
                        FormatMessageReal(r.fShortTerm),
                        FormatMessageReal(r.fLow),
                        FormatMessageReal(r.fPeak),
                        "2",
                        "0",
                        FormatMessageReal(r.fIntegrating),
                        "0",
                        "-1"};
    Feed(Ctrl, kMessageLevelRecord, f.join('|') + '|');
}

// Lets the window do what a record queued: the chart's repaint timer, the repaint, the grids' paint.
void SettleAfterRecord(TLiveChart& Chart) {
    QEventLoop Loop;
    QObject::connect(&Chart, &QCustomPlot::afterReplot, &Loop, &QEventLoop::quit);
    QTimer::singleShot(2000, &Loop, &QEventLoop::quit); // a repaint that never comes must not hang
    Loop.exec();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir Home;
    if (!Home.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);

    TfrmMain frmMain;
    frmMain.MessageBox->SetResponder([](const TMessageBoxRequest&) { return kMsgResultOK; });
    frmMain.resize(kWindowWidth, kWindowHeight);
    frmMain.show();
    QCoreApplication::processEvents();

    TMainController& Ctrl = frmMain.Ctrl;
    const QString sDB = Home.path() + "/Bench.DB3";
    if (!Ctrl.SQLConnection.CreateSQLiteDB(sDB) || !Ctrl.SQLConnection.OpenSQLiteDB(sDB))
        return 1;
    Ctrl.Settings.bAskForSessionInfo = false;
    TInstrumentInfo& rActive = Ctrl.Settings.rActiveNetworkCFG;
    rActive.bComPort = true;
    rActive.iPort = 3;
    rActive.bValid = true;
    Ctrl.HandleEngineEvent(kEventConnecting);
    Feed(Ctrl, kMessageInstrumentInfo, "qxMeter LM25|25|10432||0|0|14|1|36|3|");
    Ctrl.HandleEngineEvent(kEventConnected);
    Ctrl.HandleEngineEvent(kEventReady);
    frmMain.LoggingView->btnStartLogClick();
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    Feed(Ctrl, kMessageLoudnessSetup, "1|2|1|1|2|-8|1|-23|-1|1|");
    Ctrl.HandleEngineEvent(kEventLogging);
    QCoreApplication::processEvents();

    TLiveChart& Chart = *frmMain.LoggingView->ChartLogging;
    int iPoints = 0;
    for (int iCheckpoint : kCheckpoints) {
        // Up to the checkpoint the points go straight onto the chart: storing a day of rows one
        // transaction at a time would take minutes of disk waits and tell nothing about CPU.
        for (; iPoints < iCheckpoint - kRecordsMeasured; ++iPoints) {
            const TLevels r = LevelsAt(iPoints);
            Chart.AddPoint(TimeCode(iPoints), r.fPeak, r.fIntegrating, r.fShortTerm);
        }
        SettleAfterRecord(Chart);
        std::vector<double> aShares;
        for (; iPoints < iCheckpoint; ++iPoints) {
            const double fStart = ProcessCPUSeconds();
            FeedRecord(Ctrl, iPoints);
            SettleAfterRecord(Chart);
            aShares.push_back((ProcessCPUSeconds() - fStart) * 100.0);
        }
        qxbench::PrintRow(qxbench::ValueRow(
            "logging CPU at " + QLocale(QLocale::English).toString(iCheckpoint).toStdString() +
                " points (% of a core at 1 report/s)",
            aShares, "<=1"));
    }
    frmMain.CloseWithoutAsking();
    return 0;
}
