#include "app/FormMain.h"
#include "core/TextTable.h"
#include "dialogs/FormSessionInfo.h"
#include "dialogs/MessageBox.h"
#include "engine/InfoGrid.h"
#include "review/ChartData.h"
#include "review/FormGoToTimecode.h"
#include "review/FormSortSessions.h"
#include "review/SessionFilter.h"
#include "review/SessionJudge.h"
#include "store/ComplianceStore.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

using qxtest::TStoredSession;

const char* const kInstrument = "QX-Sim|25|1234|0|14|1.36|3|";

// The main window as the program builds it, with its session dialogs, on a database of three sessions
// (the second without an instrument text), each with four level rows.
class DatabaseViewFixture : public ::testing::Test {
protected:
    DatabaseViewFixture() {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            slMessages << r.sText;
            return iAnswer;
        });
        TAppWindows Windows;
        Windows.frmMain = &frmMain;
        Windows.frmSessionInfo = frmSessionInfo;
        Windows.frmFilterSessions = frmFilterSessions;
        frmMain.SetWindows(Windows);
        frmSessionInfo->SetContext(frmMain, &frmMain.rSelectedSessionInfo);
        frmFilterSessions->SetServices(frmMain);
        const QDateTime dtStamp(QDate(2026, 3, 10), QTime(9, 30, 15));
        aIds << Data.AddSession(
                    {"Exactly twenty chars", "N-1", "Anna", "HD", "first notes", dtStamp, kInstrument}, 4)
             << Data.AddSession(
                    {"Twenty-one characters", "N-2", "Bo", "SD", "second", dtStamp.addDays(1), ""}, 4)
             << Data.AddSession({"Third", "N-3", "Carl", "UHD", "", dtStamp.addDays(2), kInstrument}, 4);
        // Shown first: the first showing reads the (empty) settings, finds no database and says so.
        frmMain.resize(1200, 800);
        frmMain.show();
        EXPECT_TRUE(qxtest::WaitFor([this] { return !slMessages.isEmpty(); }));
        slMessages.clear();
        // Then a database is opened as the database manager opens one.
        EXPECT_TRUE(frmMain.Ctrl.SQLConnection.OpenSQLiteDB(Data.Path()));
        frmMain.DatabaseView->DatabaseOpened();
        frmMain.SetMainGUI(kGUIDatabase);
        frmMain.PageCtrl->setCurrentWidget(frmMain.tabDB);
    }

    TDatabaseView& View() { return *frmMain.DatabaseView; }
    QString ListText(int iRow) const { return frmMain.sgSessions->model()->index(iRow, 0).data().toString(); }
    QString Value(QTableWidget* Grid, int iRow) const { return static_cast<TInfoGrid*>(Grid)->Cell(iRow, 1); }
    QString StoredTitle(const QString& sId) const {
        SQLite::Database db(Data.Path().toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement q(db, "SELECT sTitle FROM qxr_sessions WHERE sReportId=?");
        q.bind(1, sId.toStdString());
        return q.executeStep() ? QString::fromStdString(q.getColumn(0).getString()) : QString();
    }
    void Select(int iRow) {
        frmMain.sgSessions->setCurrentIndex(frmMain.sgSessions->model()->index(iRow, 0));
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TSessionDatabase Data;
    TfrmMain frmMain;
    TfrmSessionInfo* frmSessionInfo = new TfrmSessionInfo(&frmMain);
    TfrmFilterSessions* frmFilterSessions = new TfrmFilterSessions(&frmMain);
    QStringList aIds;
    QStringList slMessages;
    int iAnswer = kMsgResultYes;
};

} // namespace

TEST_F(DatabaseViewFixture, ListShowsTitlesAndSelectingFillsBothGrids) {
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 3);
    EXPECT_EQ(ListText(0), "Exactly twenty chars");
    EXPECT_EQ(ListText(1), "Twenty-one character...");
    EXPECT_EQ(frmMain.sgSessions->model()->headerData(0, Qt::Horizontal).toString(), "Session List");
    for (int iCol = 1; iCol < 7; ++iCol)
        EXPECT_TRUE(frmMain.sgSessions->isColumnHidden(iCol)) << iCol;
    EXPECT_EQ(frmMain.sgSessions->model()->index(1, 3).data().toString(), "Twenty-one characters");
    EXPECT_EQ(frmMain.sgSessions->model()->index(1, 2).data().toString(), aIds[1]);

    frmMain.btnChart->setEnabled(true);
    Select(1);
    EXPECT_FALSE(frmMain.btnChart->isEnabled()) << "selecting returns the tab to state 4";
    EXPECT_EQ(frmMain.rSelectedSessionInfo.sReportID, aIds[1]);
    const QString sStamp = AnalysisDateText(JulianDateOf(QDateTime(QDate(2026, 3, 11), QTime(9, 30, 15))));
    const QString aInfo[] = {"Twenty-one characters", "N-2",  "Bo",   "SD",    "10:00:00:00",
                             "10:30:00:00",           sStamp, sStamp, "second"};
    for (int iRow = 1; iRow <= 9; ++iRow)
        EXPECT_EQ(Value(frmMain.sgDBSessionInfo, iRow), aInfo[iRow - 1]) << iRow;
    const char* aConfig[] = {"Unknown|",   "True Peak", "Manual Start", "LUFS",    "400 Hz",  "3 Seconds",
                             "-10.5 LUFS", "Floating",  "-23 dBFS",     "-1 dBFS", "K-Filter"};
    for (int iRow = 1; iRow <= 11; ++iRow)
        EXPECT_EQ(Value(frmMain.sgDBLoudnessConfig, iRow), aConfig[iRow - 1]) << iRow;
    EXPECT_EQ(frmMain.sgDBLoudnessConfig->item(2, 0)->text(), "Peak Mode.:");
    EXPECT_EQ(SessionListHint(View().Browser().Sessions(), 1, 0),
              "Session Name.:Twenty-one characters  \n  Session ID.:N-2  \n    TC Start.:10:00:00:00  \n"
              "      TC End.:10:30:00:00  \n     Verdict.:Not yet computed  ");
    EXPECT_TRUE(InstrumentHint(Value(frmMain.sgDBLoudnessConfig, 1), 0).isEmpty()) << "no hint for Unknown";

    // The hint over the instrument row of a session that has one, shown at the mouse.
    Select(0);
    EXPECT_EQ(Value(frmMain.sgDBLoudnessConfig, 1), kInstrument);
    QWidget* Viewport = frmMain.sgDBLoudnessConfig->viewport();
    const QPoint Pos =
        frmMain.sgDBLoudnessConfig->visualRect(frmMain.sgDBLoudnessConfig->model()->index(1, 1)).center();
    QMouseEvent Move(QEvent::MouseMove, Pos, Viewport->mapToGlobal(Pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Viewport, &Move);
    const QString sHint = " Instrument Type.:QX-Sim  \n     Hardware ID.:25  \n   Serial Number.:1234  \n"
                          "Software Package.:14  \n    FPGA Version.:3  \n     MCU Version.:1.36  ";
    EXPECT_EQ(InstrumentHint(kInstrument, 0), sHint);
    EXPECT_TRUE(qxtest::WaitFor([&] { return QToolTip::text().contains("Serial Number.:1234"); }))
        << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains("monospace"));
    EXPECT_EQ(frmMain.sgDBSessionInfo->toolTip(), "Session information.");
}

TEST_F(DatabaseViewFixture, TheTabFollowsTheLanguageSwitch) {
    Select(1);
    frmMain.iLNG = kLanguageDanish;
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.btnRefreshSessions->text(), "Opdater Sessioner");
    EXPECT_EQ(frmMain.btnSortSessions->text(), "Filtrer Sessioner");
    EXPECT_EQ(frmMain.sgSessions->model()->headerData(0, Qt::Horizontal).toString(), "Session Liste");
    EXPECT_EQ(frmMain.sgDBSessionInfo->item(2, 0)->text(), "Show Nummer.:");
    EXPECT_EQ(frmMain.sgDBSessionInfo->toolTip(), "Sessionsinformation.");
    EXPECT_EQ(Value(frmMain.sgDBLoudnessConfig, 1), "Ukendt|");
    EXPECT_EQ(View().popSessionInfoEdit->text(), "Rediger Session Information...");
    EXPECT_TRUE(
        SessionListHint(View().Browser().Sessions(), 1, kLanguageDanish).startsWith("Sessions Navn.:"));
}

TEST_F(DatabaseViewFixture, EditStoresTheTitleAndTheListShowsIt) {
    Select(2);
    ASSERT_TRUE(qxtest::DriveModal(
        *frmSessionInfo, [&] { View().popSessionInfoEditClick(); },
        [&] {
            EXPECT_EQ(frmSessionInfo->editShowTitle->text(), "Third");
            frmSessionInfo->editShowTitle->setText("Third, now with a longer title");
            frmSessionInfo->btnOK->click();
        }));
    EXPECT_EQ(StoredTitle(aIds[2]), "Third, now with a longer title");
    EXPECT_EQ(ListText(2), "Third, now with a lo...");
    EXPECT_EQ(frmMain.sgSessions->currentIndex().row(), 2);
    EXPECT_EQ(Value(frmMain.sgDBSessionInfo, 1), "Third, now with a longer title");
    EXPECT_EQ(frmSessionInfo->Tag(), TfrmSessionInfo::kTagNewSession);

    // Cancel stores nothing.
    ASSERT_TRUE(qxtest::DriveModal(
        *frmSessionInfo, [&] { View().popSessionInfoEditClick(); },
        [&] {
            frmSessionInfo->editShowTitle->setText("Not this");
            frmSessionInfo->btnCancel->click();
        }));
    EXPECT_EQ(StoredTitle(aIds[2]), "Third, now with a longer title");
}

// The session's own target is read when the dialog opens and written with the header on OK; the program
// default removes it. Until a session gets a target of its own the file keeps its tables as they were.
TEST_F(DatabaseViewFixture, EditWritesTheSessionsOwnTargetAndProgramDefaultClearsIt) {
    const auto Schema = [this] {
        SQLite::Database db(Data.Path().toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement q(db, "SELECT name || ': ' || sql FROM sqlite_master ORDER BY name");
        QStringList sl;
        while (q.executeStep())
            sl << QString::fromStdString(q.getColumn(0).getString());
        return sl;
    };
    const auto OwnTarget = [this](const QString& sId) {
        std::optional<TLoudnessStandard> r;
        EXPECT_TRUE(TComplianceStore(frmMain.Ctrl.SQLConnection).ReadSessionTarget(sId, r));
        return r;
    };
    // Opens the dialog over list row iRow, notes the entry it shows, chooses iChoice (-1: none) and OK.
    const auto Edit = [this](int iRow, int iChoice, const QString& sTitle) {
        Select(iRow);
        int iShown = -1;
        EXPECT_TRUE(qxtest::DriveModal(
            *frmSessionInfo, [&] { View().popSessionInfoEditClick(); },
            [&] {
                iShown = frmSessionInfo->cboTarget->currentIndex();
                frmSessionInfo->editShowTitle->setText(sTitle);
                if (iChoice >= 0)
                    frmSessionInfo->cboTarget->setCurrentIndex(iChoice);
                frmSessionInfo->btnOK->click();
            }));
        return iShown;
    };
    frmMain.Ctrl.Settings.rComplianceOptions.rCustom = {TStandardId::Custom, -16.0, 1.0, -1.0, false};
    const QStringList slOld = Schema();
    ASSERT_TRUE(slOld.filter("qxr_session_targets").isEmpty());

    EXPECT_EQ(Edit(2, -1, "Only the title"), 0);
    EXPECT_EQ(Schema(), slOld) << "the program default kept: nothing written beside the header";
    EXPECT_EQ(StoredTitle(aIds[2]), "Only the title");

    EXPECT_EQ(Edit(2, 3, "ATSC"), 0);
    EXPECT_EQ(OwnTarget(aIds[2]), (TLoudnessStandard{TStandardId::AtscA85, -24.0, 2.0, -2.0, true}));
    EXPECT_EQ(OwnTarget(aIds[1]), std::nullopt);
    EXPECT_EQ(StoredTitle(aIds[2]), "ATSC");
    for (const QString sTable : {"qxr_sessions", "qxr_loudness_levels"})
        EXPECT_EQ(Schema().filter(sTable + ": "), slOld.filter(sTable + ": ")) << "the session tables stay";

    EXPECT_EQ(Edit(2, 6, "Custom"), 3) << "the dialog opens on the stored target";
    EXPECT_EQ(OwnTarget(aIds[2]), frmMain.Ctrl.Settings.rComplianceOptions.rCustom);

    // The Custom figures change in the options: the session keeps those it was given.
    frmMain.Ctrl.Settings.rComplianceOptions.rCustom.fTargetLoudness = -14.0;
    EXPECT_EQ(Edit(2, -1, "Kept"), 7);
    EXPECT_EQ(OwnTarget(aIds[2]), (TLoudnessStandard{TStandardId::Custom, -16.0, 1.0, -1.0, false}));

    EXPECT_EQ(Edit(2, 0, "Default again"), 7);
    EXPECT_EQ(OwnTarget(aIds[2]), std::nullopt);
    EXPECT_EQ(Edit(2, -1, "Still default"), 0);
    EXPECT_TRUE(slMessages.isEmpty()) << slMessages.join("\n").toStdString();
}

// A target the database refuses is told as a refused header is; the header is written all the same.
TEST_F(DatabaseViewFixture, ATargetThatCannotBeWrittenIsTold) {
    {
        SQLite::Database db(Data.Path().toStdString(), SQLite::OPEN_READWRITE);
        db.exec("CREATE VIEW qxr_session_targets AS SELECT 'x' AS sReportId;");
    }
    Select(1);
    ASSERT_TRUE(qxtest::DriveModal(
        *frmSessionInfo, [&] { View().popSessionInfoEditClick(); },
        [&] {
            frmSessionInfo->editShowTitle->setText("Renamed");
            frmSessionInfo->cboTarget->setCurrentIndex(1);
            frmSessionInfo->btnOK->click();
        }));
    EXPECT_EQ(StoredTitle(aIds[1]), "Renamed");
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages[0].startsWith("Exception raised with message")) << slMessages[0].toStdString();
}

TEST_F(DatabaseViewFixture, DeleteIsEnabledByTheLevelDataHookAndAsksWithTheCutTitle) {
    Select(1);
    View().popSessionsPopup();
    EXPECT_TRUE(View().popSessionInfoEdit->isEnabled());
    EXPECT_FALSE(View().popSessionDelete->isEnabled()) << "not before the level data is loaded";

    // The level data side's hook enables it; selecting another row disables it again.
    View().SessionDataLoaded();
    EXPECT_TRUE(View().popSessionDelete->isEnabled());
    Select(0);
    EXPECT_FALSE(View().popSessionDelete->isEnabled());
    // The session being recorded is never offered for deleting.
    frmMain.Ctrl.sCurrentSession = aIds[0];
    View().SessionDataLoaded();
    EXPECT_FALSE(View().popSessionDelete->isEnabled());
    frmMain.Ctrl.sCurrentSession.clear();

    Select(1);
    View().SessionDataLoaded();
    iAnswer = kMsgResultNo;
    View().popSessionDelete->trigger();
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_EQ(slMessages[0], "Are you sure you wish to delete the session \"Twenty-one character...\"?");
    EXPECT_EQ(Data.CountRows("qxr_sessions"), 3);
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 3);

    iAnswer = kMsgResultYes;
    View().popSessionDelete->trigger();
    EXPECT_EQ(Data.CountRows("qxr_sessions", aIds[1]), 0);
    EXPECT_EQ(Data.CountRows("qxr_loudness_levels", aIds[1]), 0);
    EXPECT_EQ(Data.CountRows("qxr_loudness_levels"), 8);
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    EXPECT_EQ(ListText(1), "Third");
    EXPECT_TRUE(Value(frmMain.sgDBSessionInfo, 1).isEmpty()) << "the deleted session is no longer shown";
    EXPECT_FALSE(View().popSessionDelete->isEnabled());
}

TEST_F(DatabaseViewFixture, WithoutSessionsOnlyRefreshAndFilterAreOffered) {
    frmMain.SetMainGUI(kGUINoDatabase);
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 0);
    EXPECT_FALSE(frmMain.sgSessions->isEnabled());
    View().popSessionsPopup();
    EXPECT_TRUE(View().popSessionRefresh->isEnabled());
    EXPECT_TRUE(View().popSessionFilter->isEnabled());
    EXPECT_FALSE(View().popSessionInfoEdit->isEnabled());
    EXPECT_FALSE(View().popSessionDelete->isEnabled());
}

TEST_F(DatabaseViewFixture, FilterDialogNarrowsTheListAndRefreshDropsTheFilter) {
    ASSERT_TRUE(qxtest::DriveModal(
        *frmFilterSessions, [&] { frmMain.btnSortSessions->click(); },
        [&] {
            frmFilterSessions->editShowTitle->setText("twenty");
            frmFilterSessions->btnOK->click();
        }));
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    EXPECT_FALSE(View().Browser().SessionFilter().IsEmpty());
    // The popup's refresh lists all and keeps the filter; the button drops it.
    View().popSessionRefresh->trigger();
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 3);
    EXPECT_FALSE(View().Browser().SessionFilter().IsEmpty());
    frmMain.btnRefreshSessions->click();
    EXPECT_TRUE(View().Browser().SessionFilter().IsEmpty());

    // Nothing found: the user is told.
    ASSERT_TRUE(qxtest::DriveModal(
        *frmFilterSessions, [&] { frmMain.btnSortSessions->click(); },
        [&] {
            frmFilterSessions->editShowTitle->setText("\"); DROP TABLE qxr_sessions; --");
            frmFilterSessions->btnOK->click();
        }));
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 0);
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages[0].startsWith("No data matching your search criteria was found."));
    EXPECT_TRUE(Data.TablesIntact());
}

// Another program changes the file while the tab shows it filtered, with a session selected and its level
// rows loaded: F5 lists the file as it is now through the same filter, the same session stays selected
// (by identifier, though its row moved) and its level rows stay loaded.
TEST_F(DatabaseViewFixture, F5RefreshKeepsTheFilterTheSelectedSessionAndItsLevelRows) {
    TSessionFilterInput rInput;
    rInput.sShowTitle = "TW";
    ASSERT_TRUE(View().Browser().ApplySessionFilter(BuildSessionFilter(rInput)));
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    Select(1);
    ASSERT_EQ(frmMain.rSelectedSessionInfo.sReportID, aIds[1]);
    View().sgSessionsDblClick();
    ASSERT_EQ(View().LevelData().LevelTable().RowCount(), 4);
    ASSERT_TRUE(frmMain.btnChart->isEnabled());
    View().SessionDataLoaded();
    {
        SQLite::Database db(Data.Path().toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Statement remove(db, "DELETE FROM qxr_sessions WHERE sReportId=?");
        remove.bind(1, aIds[0].toStdString());
        remove.exec();
        SQLite::Statement edit(db, "UPDATE qxr_sessions SET sNo='N-2b' WHERE sReportId=?");
        edit.bind(1, aIds[1].toStdString());
        edit.exec();
    }
    const QString sTwelve =
        Data.AddSession({"Twelve", "N-4", "Dora", "HD", "", QDateTime::currentDateTime(), ""});
    Data.AddSession({"Not listed", "N-5", "Eva", "HD", "", QDateTime::currentDateTime(), ""});

    frmMain.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMain));
    QTest::keyClick(frmMain.btnExport, Qt::Key_F5);

    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    EXPECT_EQ(frmMain.sgSessions->model()->index(0, 2).data().toString(), aIds[1]);
    EXPECT_EQ(frmMain.sgSessions->model()->index(1, 2).data().toString(), sTwelve);
    EXPECT_FALSE(View().Browser().SessionFilter().IsEmpty());
    EXPECT_EQ(frmMain.sgSessions->currentIndex().row(), 0);
    EXPECT_EQ(View().Browser().SelectedSession(), aIds[1]);
    EXPECT_EQ(Value(frmMain.sgDBSessionInfo, 2), "N-2b") << "the header is read afresh";
    EXPECT_EQ(View().LevelData().LevelTable().RowCount(), 4);
    EXPECT_TRUE(frmMain.btnChart->isEnabled());
    EXPECT_TRUE(View().popSessionDelete->isEnabled());
    EXPECT_TRUE(slMessages.isEmpty()) << slMessages.join('\n').toStdString();

    // The selected session deleted elsewhere: nothing is selected and nothing of it stays on show.
    {
        SQLite::Database db(Data.Path().toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Statement remove(db, "DELETE FROM qxr_sessions WHERE sReportId=?");
        remove.bind(1, aIds[1].toStdString());
        remove.exec();
    }
    QTest::keyClick(frmMain.sgSessions, Qt::Key_F5);
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 1);
    EXPECT_TRUE(View().Browser().SelectedSession().isEmpty());
    EXPECT_TRUE(Value(frmMain.sgDBSessionInfo, 1).isEmpty());
    EXPECT_EQ(View().LevelData().LevelTable().RowCount(), 0);
    EXPECT_FALSE(frmMain.btnChart->isEnabled());
    EXPECT_FALSE(View().popSessionDelete->isEnabled());
}

// Ctrl+G on the tab asks for a timecode and goes to its row in the level table.
TEST_F(DatabaseViewFixture, CtrlGGoesToTheRowOfATimecode) {
    Select(1);
    View().sgSessionsDblClick();
    const TLevelTable& Table = View().LevelData().LevelTable();
    ASSERT_EQ(Table.RowCount(), 4);
    frmMain.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMain));
    TfrmGoToTimecode& dlg = View().LevelData().GoToTimecodeDialog();
    const QString sLast = Table.CellText(3, 1);
    EXPECT_TRUE(qxtest::DriveModal(
        dlg, [&] { QTest::keyClick(frmMain.btnExport, Qt::Key_G, Qt::ControlModifier); },
        [&] {
            dlg.SetTimecode(sLast);
            dlg.btnOK->click();
        }));
    EXPECT_EQ(frmMain.sgDBData->currentIndex().row(), 3);
    EXPECT_TRUE(slMessages.isEmpty()) << slMessages.join('\n').toStdString();
}

// The information grid tells when the session was recorded and when its row was last written.
TEST_F(DatabaseViewFixture, TheGridShowsTheRecordingStartAndTheAnalysisDate) {
    const QString sId = Data.AddSession({"Edited later", "N-9", "Finn", "HD", "notes",
                                         QDateTime(QDate(2026, 3, 14), QTime(8, 0)), "",
                                         QDateTime(QDate(2026, 3, 12), QTime(20, 15, 30))},
                                        2);
    View().RefreshSessionList();
    Select(3);
    ASSERT_EQ(View().Browser().SelectedSession(), sId);
    EXPECT_EQ(frmMain.sgDBSessionInfo->item(7, 0)->text(), "Recorded.:");
    EXPECT_EQ(frmMain.sgDBSessionInfo->item(8, 0)->text(), "Analysis Date.:");
    EXPECT_EQ(frmMain.sgDBSessionInfo->item(9, 0)->text(), "Notes.:");
    const double fRecorded = JulianDateOf(QDateTime(QDate(2026, 3, 12), QTime(20, 15, 30)));
    EXPECT_EQ(Value(frmMain.sgDBSessionInfo, 7), AnalysisDateText(fRecorded));
    EXPECT_EQ(Value(frmMain.sgDBSessionInfo, 8),
              AnalysisDateText(JulianDateOf(QDateTime(QDate(2026, 3, 14), QTime(8, 0)))));
    EXPECT_EQ(Value(frmMain.sgDBSessionInfo, 9), "notes");
    EXPECT_EQ(frmMain.sgSessions->model()->index(3, 1).data().toString(), SessionDateText(fRecorded));
    // A chart's snapshot keeps its rows: the notes after the end timecode.
    const std::vector<TSnapshotRow> aSnapshot = View().SessionInfoSnapshotRows();
    ASSERT_EQ(aSnapshot.size(), size_t(kSnapshotSessionInfoRows));
    EXPECT_EQ(aSnapshot[6].sLabel, "      TC End.:");
    EXPECT_EQ(aSnapshot[7], (TSnapshotRow{"Notes.:", "notes"}));

    frmMain.iLNG = kLanguageDanish;
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.sgDBSessionInfo->item(7, 0)->text(), "Optaget.:");
}

namespace {

// The filter dialog alone, shown without modality so its keys and rules can be driven.
class FilterSessionsDialog : public ::testing::Test {
protected:
    FilterSessionsDialog() : MessageBox(iLNG, &Owner) {
        MessageBox.SetResponder([this](const TMessageBoxRequest& r) {
            slMessages << r.sText;
            return kMsgResultOK;
        });
        frm.SetServices(Services);
        frm.show();
    }
    ~FilterSessionsDialog() override { frm.hide(); }

    void Click(QCheckBox* chk) { chk->click(); }
    QString StopTime() const {
        return frm.editTCStopHr->text() + ":" + frm.editTCStopMin->text() + ":" + frm.editTCStopSec->text();
    }

    TSettings Settings;
    int& iLNG = Settings.iLNG;
    QWidget Owner;
    TMessageBox MessageBox;
    qxtest::TMessageBoxServices Services{Settings, MessageBox};
    TfrmFilterSessions frm{&Owner};
    QStringList slMessages;
};

} // namespace

TEST_F(FilterSessionsDialog, DateBoxesEnableTheirControlsAndAOneDayRangeRunsToTheEndOfTheDay) {
    EXPECT_FALSE(frm.dtStart->isEnabled());
    EXPECT_FALSE(frm.chkTimeStart->isEnabled());
    EXPECT_EQ(frm.dtEnd->date(), frm.dtStart->date().addDays(1));
    Click(frm.chkDateStart);
    EXPECT_TRUE(frm.dtStart->isEnabled());
    EXPECT_TRUE(frm.chkTimeStart->isEnabled());
    EXPECT_FALSE(frm.editTCStartHr->isEnabled());
    Click(frm.chkTimeStart);
    EXPECT_TRUE(frm.editTCStartHr->isEnabled());
    EXPECT_EQ(frm.focusWidget(), frm.editTCStartHr);
    Click(frm.chkDateEnd);
    EXPECT_TRUE(frm.dtEnd->isEnabled());
    EXPECT_FALSE(frm.chkTimeEnd->isChecked());

    // The end moved onto the start's day: the end time is switched on with 23:59:59.
    frm.dtEnd->setDate(frm.dtStart->date());
    EXPECT_TRUE(frm.chkTimeEnd->isChecked());
    EXPECT_TRUE(frm.editTCStopSec->isEnabled());
    EXPECT_EQ(StopTime(), "23:59:59");

    // A start after the end pulls the end along to its day.
    frm.dtStart->setDate(frm.dtStart->date().addDays(5));
    EXPECT_EQ(frm.dtEnd->date(), frm.dtStart->date());

    // Unchecking the start date unchecks and disables its time.
    Click(frm.chkDateStart);
    EXPECT_FALSE(frm.chkTimeStart->isChecked());
    EXPECT_FALSE(frm.chkTimeStart->isEnabled());
    EXPECT_FALSE(frm.editTCStartHr->isEnabled());

    frm.editShowTitle->setText("x");
    frm.btnReset->click();
    EXPECT_TRUE(frm.isVisible()) << "Reset keeps the dialog open";
    EXPECT_TRUE(frm.editShowTitle->text().isEmpty());
    for (QCheckBox* chk : {frm.chkDateStart, frm.chkDateEnd, frm.chkTimeStart, frm.chkTimeEnd})
        EXPECT_FALSE(chk->isChecked());
    EXPECT_EQ(StopTime(), "00:00:00");
    EXPECT_FALSE(frm.editTCStopHr->isEnabled());
    EXPECT_FALSE(frm.dtEnd->isEnabled());
    EXPECT_EQ(frm.dtStart->date(), QDate::currentDate());
    EXPECT_EQ(frm.dtEnd->date(), QDate::currentDate());
    EXPECT_EQ(frm.Tag(), TfrmFilterSessions::kTagCancelled);
}

TEST_F(FilterSessionsDialog, OKRefusesAnInvalidTimeEvenWithTheTimeBoxesOff) {
    struct Case {
        const char* sStart;
        const char* sStop;
        const char* sMessage;
    };
    const Case aCases[] = {{"24:00:00", "00:00:00", "Please enter a valid start time."},
                           {"12:60:00", "00:00:00", "Please enter a valid start time."},
                           {"12::00", "00:00:00", "Please enter a valid start time."},
                           {"00:00:00", "23:59:60", "Please enter a valid end time."}};
    const auto Set = [](QLineEdit* h, QLineEdit* m, QLineEdit* s, const QString& sTime) {
        const QStringList sl = sTime.split(':');
        h->setText(sl[0]);
        m->setText(sl[1]);
        s->setText(sl[2]);
    };
    for (const Case& c : aCases) {
        SCOPED_TRACE(c.sStart);
        slMessages.clear();
        Set(frm.editTCStartHr, frm.editTCStartMin, frm.editTCStartSec, c.sStart);
        Set(frm.editTCStopHr, frm.editTCStopMin, frm.editTCStopSec, c.sStop);
        frm.btnOK->click();
        EXPECT_EQ(slMessages, QStringList{c.sMessage});
        EXPECT_TRUE(frm.isVisible());
        EXPECT_EQ(frm.Tag(), TfrmFilterSessions::kTagCancelled);
    }
    Set(frm.editTCStartHr, frm.editTCStartMin, frm.editTCStartSec, "7:05:09");
    Set(frm.editTCStopHr, frm.editTCStopMin, frm.editTCStopSec, "23:59:59");
    frm.btnOK->click();
    EXPECT_EQ(frm.Tag(), TfrmFilterSessions::kTagOK);
    EXPECT_EQ(frm.sTCStart, "07:05:09");
    EXPECT_EQ(frm.sTCEnd, "23:59:59");
}

TEST_F(FilterSessionsDialog, TwoDigitEditsOverwriteAndStepThroughTheChain) {
    Click(frm.chkDateStart);
    Click(frm.chkTimeStart);
    ASSERT_EQ(frm.focusWidget(), frm.editTCStartHr);
    qxtest::TypeText(frm, "12");
    EXPECT_EQ(frm.editTCStartHr->text(), "12");
    ASSERT_EQ(frm.focusWidget(), frm.editTCStartMin) << "the second digit moves on";
    EXPECT_EQ(frm.editTCStartMin->cursorPosition(), 0);
    qxtest::TypeText(frm, "3");
    EXPECT_EQ(frm.editTCStartMin->text(), "30") << "a digit overwrites";
    qxtest::TypeKey(frm, Qt::Key_Right);
    EXPECT_EQ(frm.focusWidget(), frm.editTCStartSec) << "Right after the first digit steps on";
    qxtest::TypeKey(frm, Qt::Key_Left);
    EXPECT_EQ(frm.focusWidget(), frm.editTCStartMin) << "Left at the start steps back";
    EXPECT_EQ(frm.editTCStartMin->cursorPosition(), 1) << "before the last character";

    // From the start seconds to the stop hours only when those are enabled.
    frm.editTCStartSec->setFocus();
    frm.editTCStartSec->setCursorPosition(0);
    qxtest::TypeText(frm, "45");
    EXPECT_EQ(frm.editTCStartSec->text(), "45");
    EXPECT_EQ(frm.focusWidget(), frm.editTCStartSec) << "the stop hours are disabled";
    Click(frm.chkDateEnd);
    Click(frm.chkTimeEnd);
    frm.editTCStartSec->setFocus();
    frm.editTCStartSec->setCursorPosition(1);
    qxtest::TypeText(frm, "6");
    EXPECT_EQ(frm.editTCStartSec->text(), "46");
    EXPECT_EQ(frm.focusWidget(), frm.editTCStopHr);
    qxtest::TypeKey(frm, Qt::Key_Up);
    EXPECT_EQ(frm.focusWidget(), frm.editTCStartSec);
    // No step past the last edit.
    frm.editTCStopSec->setFocus();
    frm.editTCStopSec->setCursorPosition(1);
    qxtest::TypeText(frm, "9");
    EXPECT_EQ(frm.focusWidget(), frm.editTCStopSec);
    qxtest::TypeText(frm, "x");
    EXPECT_EQ(frm.editTCStopSec->text(), "09") << "digits only";
}

// A session judged when its logging ended: the list draws its sign before its title, the filter dialog
// lists the sessions of one mark, F5 keeps that filter, Reset returns to any mark, the refresh button drops
// it.
TEST_F(DatabaseViewFixture, VerdictMarksAreDrawnAndTheFilterDialogChoosesByMark) {
    ASSERT_TRUE(TSessionJudge(frmMain.Ctrl.SQLConnection, frmMain.Ctrl.Settings.rComplianceOptions)
                    .JudgeAndKeep(aIds[2]));
    View().RefreshSessionList();
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 3);
    const QImage List = frmMain.sgSessions->viewport()->grab().toImage();
    const auto SignOf = [&](int iRow) {
        const QRect rRow = frmMain.sgSessions->visualRect(frmMain.sgSessions->model()->index(iRow, 0));
        return List.copy(rRow.left(), rRow.top(), TSessionListModel::kMarkRoom, rRow.height());
    };
    EXPECT_EQ(SignOf(0), SignOf(1)) << "two sessions not yet computed";
    EXPECT_NE(SignOf(0), SignOf(2)) << "a passed session's sign";

    const auto Filter = [&](int iChoice) {
        return qxtest::DriveModal(
            *frmFilterSessions, [&] { frmMain.btnSortSessions->click(); },
            [&] {
                frmFilterSessions->cmbVerdict->setCurrentIndex(iChoice);
                frmFilterSessions->btnOK->click();
            });
    };
    ASSERT_TRUE(Filter(1));
    EXPECT_EQ(frmFilterSessions->cmbVerdict->currentText(), "Pass");
    ASSERT_EQ(frmMain.sgSessions->model()->rowCount(), 1);
    EXPECT_EQ(ListText(0), "Third");
    frmMain.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMain));
    QTest::keyClick(frmMain.btnExport, Qt::Key_F5);
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 1);

    ASSERT_TRUE(Filter(4));
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    frmFilterSessions->btnResetClick();
    EXPECT_EQ(frmFilterSessions->cmbVerdict->currentIndex(), 0);
    EXPECT_FALSE(frmFilterSessions->FilterInput().oVerdict.has_value());

    // Nothing failed: the message of every session filter.
    ASSERT_TRUE(Filter(2));
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 0);
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages[0].startsWith("No data matching your search criteria was found."));
    frmMain.btnRefreshSessions->click();
    EXPECT_TRUE(View().Browser().SessionFilter().IsEmpty());
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 3);
}
