#include "app/FormMain.h"
#include "compliance/Standards.h"
#include "compliance/Verdict.h"
#include "compliance/VerdictTexts.h"
#include "core/EngineCodes.h"
#include "core/TextTable.h"
#include "dialogs/FormSessionInfo.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "engine/LiveTargetPanel.h"
#include "meter/ComPorts.h"
#include "review/ChartData.h"
#include "review/SessionListModel.h"
#include "store/ComplianceStore.h"
#include "store/SQLFilter.h"
#include "tests/support/SimPorts.h"
#include "tests/support/TestSupport.h"
#include "tools/sim/SimMeterProtocol.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <SQLiteCpp/SQLiteCpp.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr int kPort = 3;
constexpr int kWaitMs = 20000;

// A person's run on the logging tab, against a simulated memory-pool meter: connect, describe the
// session in its dialog, start, watch, stop, disconnect.
class WindowLoggingFixture : public ::testing::Test {
protected:
    void SetUp() override {
        frmSessionInfo = new TfrmSessionInfo(&frmMain);
        frmSessionInfo->SetContext(frmMain, &frmMain.rSelectedSessionInfo);
        frmWait = new TfrmWait(&frmMain);
        TAppWindows Windows;
        Windows.frmMain = &frmMain;
        Windows.frmSessionInfo = frmSessionInfo;
        Windows.frmWait = frmWait;
        frmMain.SetWindows(Windows);
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            return int(kMsgResultOK);
        });

        sDB = Home.Path() + "/sessions.DB3";
        ASSERT_TRUE(frmMain.Ctrl.SQLConnection.CreateSQLiteDB(sDB));
        // The settings of a user who chose this database and the meter on COM3 earlier.
        QFile Ini(frmMain.Ctrl.sINI);
        ASSERT_TRUE(Ini.open(QIODevice::WriteOnly));
        Ini.write(QStringLiteral("[Configuration]\nLastDB=%1\nAskSessionInfo=1\n[CurrentNetwork]\nPort=%2\n"
                                 "SerialPort=1\n")
                      .arg(sDB)
                      .arg(kPort)
                      .toUtf8());
        Ini.close();

        TSimMeterConfig Config = DefaultSimMeterConfig(TSimMeterKind::Pool);
        Config.iStartSecond = 10 * 3600;
        Config.iReportIntervalMs = 200;
        ASSERT_NO_FATAL_FAILURE(qxtest::StartSimMeter(
            Sim, Home.DataFolder(), kPort, Config, BuildSimMeterMemory(Config, DefaultSimLoudnessSetup())));
        frmMain.show();
    }

    void TearDown() override {
        if (frmMain.Ctrl.LoggingThread()) {
            frmMain.Ctrl.ThreadSendMessage(kEngineCommandClose);
            qxtest::WaitFor([&] { return frmMain.Ctrl.LoggingThread() == nullptr; }, kWaitMs);
        }
        Sim.reset();
    }

    int Count(const char* sSQL) {
        SQLite::Database DB(sDB.toStdString());
        return DB.execAndGet(sSQL).getInt();
    }

    qxtest::TFreshConfigHome Home;
    TfrmMain frmMain;
    TfrmSessionInfo* frmSessionInfo = nullptr;
    TfrmWait* frmWait = nullptr;
    std::unique_ptr<TSimSerialLink> Sim;
    std::vector<QString> aMessages;
    QString sDB;
};

} // namespace

TEST_F(WindowLoggingFixture, ConnectDescribeStartStopAndDisconnect) {
    frmMain.lblTimeCode->setText("09:59:59:00");
    frmMain.btnConnect->click();
    // Connecting shows the wait window whole at once; it does not fade in.
    EXPECT_TRUE(frmWait->isVisible());
    EXPECT_EQ(frmWait->AlphaBlendValue(), 255);
    // Pressed as soon as the button allows it, even before the thread has reported ready.
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.btnStartLog->isEnabled(); }, kWaitMs))
        << frmMain.Ctrl.slLog.Lines().join("\n").toStdString();
    EXPECT_EQ(frmMain.btnConnect->text(), "Disconnect");
    // The meter is connected but has not reported: its timecode starts at zero.
    EXPECT_TRUE(frmMain.lblTimeCode->isVisibleTo(&frmMain));
    EXPECT_EQ(frmMain.lblTimeCode->text(), "00:00:00:00");

    // The session dialog is modal: type into it once it is up, as a person would.
    bool bTyped = false;
    QTimer Typist;
    QObject::connect(&Typist, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != frmSessionInfo || bTyped)
            return;
        bTyped = true;
        frmSessionInfo->editShowTitle->setText("Evening \"News\"");
        frmSessionInfo->editOperatorName->setText("M. Holm");
        frmSessionInfo->editNotes->setText("Studio 2");
        // ARIB TR-B32: the session's own target, stored beside its row.
        frmSessionInfo->cboTarget->setCurrentIndex(4);
        frmSessionInfo->btnOK->click();
    });
    Typist.start(20);
    QTimer Guard;
    Guard.setSingleShot(true);
    QObject::connect(&Guard, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget())
            QApplication::activeModalWidget()->close();
    });
    Guard.start(10000);
    frmMain.btnStartLog->click();
    Typist.stop();
    ASSERT_TRUE(bTyped) << "the session dialog was not shown";
    ASSERT_FALSE(aMessages.empty());
    EXPECT_TRUE(aMessages.back().startsWith("The character \" can not be used and has been removed."))
        << aMessages.back().toStdString();
    EXPECT_EQ(std::count(aMessages.begin(), aMessages.end(), aMessages.back()), 1);
    // The next session starts from the cleaned texts, not from the refused ones.
    EXPECT_EQ(frmSessionInfo->editShowTitle->text(), "Evening News");

    ASSERT_TRUE(
        qxtest::WaitFor([&] { return Count("SELECT count(*) FROM qxr_loudness_levels") >= 3; }, kWaitMs));
    EXPECT_TRUE(frmMain.Ctrl.bLoggingInProgress);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_session_targets t JOIN qxr_sessions s USING (sReportId) "
                    "WHERE t.iStandard=3"),
              1);
    EXPECT_TRUE(frmMain.btnStopLog->isEnabled()) << frmMain.Ctrl.slLog.Lines().join("\n").toStdString();
    const QTableWidgetItem* TimeCell = frmMain.sgLoudnessData->item(1, 1);
    ASSERT_NE(TimeCell, nullptr);
    EXPECT_TRUE(TimeCell->text().startsWith("10:00:")) << TimeCell->text().toStdString();

    frmMain.btnStopLog->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !frmMain.Ctrl.bLoggingInProgress; }, kWaitMs));
    // Pressed as soon as the button allows it, even before the thread has reported ready.
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.btnStartLog->isEnabled(); }, kWaitMs));
    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Q(DB, "SELECT sTitle, sOperator, sNotes, sTimeCodeStart, sTimeCodeEnd, sReportId "
                            "FROM qxr_sessions");
    ASSERT_TRUE(Q.executeStep());
    EXPECT_EQ(Q.getColumn(0).getString(), "Evening News");
    EXPECT_EQ(Q.getColumn(1).getString(), "M. Holm");
    EXPECT_EQ(Q.getColumn(2).getString(), "Studio 2");
    EXPECT_FALSE(Q.getColumn(3).isNull());
    EXPECT_FALSE(Q.getColumn(4).isNull());
    const std::string sId = Q.getColumn(5).getString();
    EXPECT_FALSE(Q.executeStep());
    SQLite::Statement Rows(DB, "SELECT count(*) FROM qxr_loudness_levels WHERE sReportId = ?");
    Rows.bind(1, sId);
    ASSERT_TRUE(Rows.executeStep());
    EXPECT_GE(Rows.getColumn(0).getInt(), 3);

    frmMain.btnConnect->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.Ctrl.LoggingThread() == nullptr; }, kWaitMs));
    EXPECT_EQ(frmMain.btnConnect->text(), "Connect");
    EXPECT_TRUE(frmMain.btnConnect->isEnabled());
    EXPECT_FALSE(frmMain.btnStartLog->isEnabled());
    EXPECT_FALSE(frmMain.btnStopLog->isEnabled());
}

// A logout while a session runs with edited texts: nobody is there to answer the question about them, so
// the close stores them, finishes the session and writes the settings without showing any box.
TEST_F(WindowLoggingFixture, TerminationWhileLoggingKeepsTheEditedTextsWithoutAsking) {
    frmMain.Ctrl.Settings.bAskForSessionInfo = false;
    frmMain.Ctrl.Settings.bAllowSessionInfoEdit = true;
    frmMain.Ctrl.rSessionInfo.sShowTitle = "Late Show";
    frmMain.btnConnect->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.btnStartLog->isEnabled(); }, kWaitMs));
    frmMain.btnStartLog->click();
    ASSERT_TRUE(
        qxtest::WaitFor([&] { return Count("SELECT count(*) FROM qxr_loudness_levels") >= 3; }, kWaitMs));
    QTableWidgetItem* NotesCell = frmMain.sgSessionInfo->item(5, 1);
    ASSERT_NE(NotesCell, nullptr);
    NotesCell->setText("Edited \"live\"");

    // Real boxes from here on: any box that shows is a box nobody would answer.
    frmMain.MessageBox->SetResponder({});
    QStringList slBoxes;
    QTimer Watch;
    QObject::connect(&Watch, &QTimer::timeout, [&] {
        if (QWidget* pModal = QApplication::activeModalWidget()) {
            slBoxes << pModal->windowTitle();
            pModal->close();
        }
    });
    Watch.start(20);
    frmMain.CloseWithoutAsking();
    Watch.stop();

    EXPECT_TRUE(slBoxes.isEmpty()) << slBoxes.join(", ").toStdString();
    EXPECT_FALSE(frmMain.isVisible());
    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Q(DB, "SELECT sTitle, sNotes, sTimeCodeEnd FROM qxr_sessions");
    ASSERT_TRUE(Q.executeStep());
    EXPECT_EQ(Q.getColumn(0).getString(), "Late Show");
    EXPECT_EQ(Q.getColumn(1).getString(), "Edited live");
    EXPECT_FALSE(Q.getColumn(2).getString().empty());
    QFile Ini(frmMain.Ctrl.sINI);
    ASSERT_TRUE(Ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(Ini.readAll().contains("AllowSessionInfoEdit=1"));
}

// A session recorded while the Database tab is on show is listed there, with its end and the time it was
// recorded, as soon as it has been stored: nobody has to press Refresh Sessions.
TEST_F(WindowLoggingFixture, ASessionEndedWhileTheDatabaseTabShowsIsListedWithoutARefresh) {
    frmMain.Ctrl.Settings.bAskForSessionInfo = false;
    frmMain.Ctrl.rSessionInfo.sShowTitle = "Matinee";
    frmMain.PageCtrl->setCurrentWidget(frmMain.tabDB);
    const QAbstractItemModel* List = frmMain.sgSessions->model();
    ASSERT_EQ(List->rowCount(), 0);
    frmMain.btnConnect->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.btnStartLog->isEnabled(); }, kWaitMs));
    frmMain.btnStartLog->click();
    ASSERT_TRUE(
        qxtest::WaitFor([&] { return Count("SELECT count(*) FROM qxr_loudness_levels") >= 3; }, kWaitMs));
    frmMain.btnStopLog->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !frmMain.Ctrl.bLoggingInProgress; }, kWaitMs));

    SQLite::Database DB(sDB.toStdString());
    SQLite::Statement Q(DB,
                        "SELECT s.sReportId, s.sTimeCodeEnd, (SELECT l.dtDateTime FROM qxr_loudness_levels l "
                        "WHERE l.sReportId=s.sReportId ORDER BY l.nId LIMIT 1) FROM qxr_sessions s");
    ASSERT_TRUE(Q.executeStep());
    const QString sId = QString::fromStdString(Q.getColumn(0).getString());
    const QString sTCEnd = QString::fromStdString(Q.getColumn(1).getString());
    const double fRecorded = Q.getColumn(2).getDouble();
    ASSERT_FALSE(sTCEnd.isEmpty());
    const auto Cell = [&](int iCol) { return List->index(0, iCol).data().toString(); };
    EXPECT_TRUE(qxtest::WaitFor(
        [&] { return List->rowCount() == 1 && Cell(TSessionListModel::kColTCEnd) == sTCEnd; }, kWaitMs))
        << List->rowCount() << " " << Cell(TSessionListModel::kColTCEnd).toStdString();
    EXPECT_EQ(Cell(TSessionListModel::kColReportId), sId);
    EXPECT_EQ(Cell(TSessionListModel::kColTitle), "Matinee");
    EXPECT_EQ(Cell(TSessionListModel::kColDateTime), SessionDateText(fRecorded));

    // Judged from every stored row when it ended, and listed with the mark of that verdict.
    std::optional<TKeptVerdict> rKept;
    ASSERT_TRUE(TComplianceStore(frmMain.Ctrl.SQLConnection).ReadKeptVerdict(sId, rKept));
    ASSERT_TRUE(rKept.has_value());
    EXPECT_EQ(rKept->iLevelRows, Count("SELECT count(*) FROM qxr_loudness_levels"));
    EXPECT_EQ(rKept->sTimeCodeEnd, sTCEnd);
    EXPECT_TRUE(qxtest::WaitFor(
        [&] {
            return List->index(0, 0).data(TSessionListModel::kMarkRole).toInt() ==
                   int(MarkOfKind(rKept->eKind));
        },
        kWaitMs));
}

// While the simulated meter logs, the tab shows the running session against the program's default target,
// and what it shows at the end is the verdict the stored rows get.
TEST_F(WindowLoggingFixture, TheLoggingTabJudgesTheRunningSessionAgainstTheDefaultTarget) {
    TSettings& rSettings = frmMain.Ctrl.Settings;
    rSettings.bAskForSessionInfo = false;
    rSettings.rComplianceOptions.eDefaultStandard = TStandardId::AtscA85;
    TLiveTargetPanel* Panel = frmMain.LoggingView->pnlLiveTarget;
    EXPECT_TRUE(Panel->lblTarget->FullText().isEmpty());

    frmMain.btnConnect->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.btnStartLog->isEnabled(); }, kWaitMs))
        << frmMain.Ctrl.slLog.Lines().join("\n").toStdString();
    frmMain.btnStartLog->click();
    ASSERT_TRUE(
        qxtest::WaitFor([&] { return Count("SELECT count(*) FROM qxr_loudness_levels") >= 3; }, kWaitMs));
    EXPECT_TRUE(Panel->isVisibleTo(&frmMain));
    EXPECT_EQ(Panel->lblTargetCaption->text(), "Target.:");
    EXPECT_EQ(Panel->lblTarget->FullText(),
              QString::fromUtf8("ATSC A/85 -24.0 LKFS ± 2.0 dB, max. -2.0 dBTP"));
    EXPECT_TRUE(Panel->lblLoudness->FullText().startsWith("Integrated "))
        << Panel->lblLoudness->FullText().toStdString();
    EXPECT_TRUE(Panel->lblPeak->FullText().startsWith("Peak ")) << Panel->lblPeak->FullText().toStdString();

    frmMain.btnStopLog->click();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !frmMain.Ctrl.bLoggingInProgress; }, kWaitMs));
    const TLiveTarget& Live = frmMain.Ctrl.LiveTarget();
    ASSERT_TRUE(qxtest::WaitFor(
        [&] { return Count("SELECT count(*) FROM qxr_loudness_levels") == Live.RowCount(); }, kWaitMs));
    SQLite::Database DB(sDB.toStdString());
    const std::string sId = DB.execAndGet("SELECT sReportId FROM qxr_sessions").getString();
    TLevelData Rows;
    ASSERT_TRUE(
        LoadChartRows(frmMain.Ctrl.SQLConnection, QString::fromStdString(sId), TSQLFilter(), Rows, {}));
    const TVerdict v = JudgeSession(Rows, DefaultSimLoudnessSetup(),
                                    StandardOf(TStandardId::AtscA85, rSettings.rComplianceOptions), false);
    const QStringList slReasons = ReasonTexts(v, kLanguageEnglish, QLocale().decimalPoint());
    EXPECT_EQ(Panel->lblVerdict->text(), VerdictName(v.eKind, kLanguageEnglish));
    EXPECT_TRUE(slReasons.contains(Panel->lblLoudness->FullText())) << slReasons.join("\n").toStdString();
    EXPECT_TRUE(slReasons.contains(Panel->lblPeak->FullText())) << slReasons.join("\n").toStdString();
    EXPECT_EQ(Panel->toolTip(), slReasons.join('\n'));
}
