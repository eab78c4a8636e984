#include "app/FormMain.h"
#include "core/TextTable.h"
#include "dialogs/FormOptions.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "engine/InfoGrid.h"
#include "review/FormFilter.h"
#include "store/FormDBSelect.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

// The program's main window with its wait window and data filter dialog, over a database of three
// sessions: two with level rows, one without.
class DatabaseTabTest : public ::testing::Test {
protected:
    DatabaseTabTest() {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            return iAnswer;
        });
        Windows.frmMain = &frmMain;
        Windows.frmWait = new TfrmWait(&frmMain);
        Windows.frmFilter = new TfrmFilter(&frmMain);
        frmMain.SetWindows(Windows);
        Windows.frmWait->SetLanguage(&frmMain.iLNG);
        Windows.frmFilter->SetServices(frmMain);
        const QDateTime dt(QDate(2026, 3, 1), QTime(10, 0));
        sFirst = Sessions.AddSession({"Morning News", "1", "Op", "HD", "", dt, "qxMeter|1"}, 120);
        sEmpty = Sessions.AddSession({"Empty", "2", "Op", "HD", "", dt.addDays(1), "qxMeter|1"}, 0);
        sThird = Sessions.AddSession({"Evening News", "3", "Op", "HD", "", dt.addDays(2), "qxMeter|1"}, 60);
        frmMain.show();
        // The start finds no database in the fresh settings; then the test's database is opened.
        qxtest::WaitFor([] { return false; }, 50);
        aMessages.clear();
        EXPECT_TRUE(frmMain.Ctrl.SQLConnection.OpenSQLiteDB(Sessions.Path()));
        frmMain.SetMainGUI(kGUIDatabase);
        frmMain.DatabaseView->DatabaseOpened();
    }

    int RowOf(const QString& sId) const {
        return frmMain.DatabaseView->Browser().Sessions().RowOfSession(sId);
    }

    // Double-clicks the list row of a session as the user does.
    void DoubleClickSession(const QString& sId) {
        QTableView* List = frmMain.sgSessions;
        const QRect r = List->visualRect(List->model()->index(RowOf(sId), 0));
        ASSERT_TRUE(r.isValid());
        QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(List->viewport(), Qt::LeftButton, {}, r.center());
    }

    QString Stat(int iRow) const { return frmMain.DatabaseView->sgDBLoudnessMax->Cell(iRow, 1); }

    qxtest::TFreshConfigHome Home;
    qxtest::TSessionDatabase Sessions;
    TfrmMain frmMain;
    TAppWindows Windows;
    QString sFirst, sEmpty, sThird;
    std::vector<QString> aMessages;
    int iAnswer = kMsgResultOK;
};

TEST_F(DatabaseTabTest, DoubleClickLoadsTheSessionAndEnablesItsCommands) {
    EXPECT_FALSE(frmMain.DatabaseView->popSessionDelete->isEnabled());
    DoubleClickSession(sFirst);
    QAbstractItemModel* Model = frmMain.sgDBData->model();
    ASSERT_EQ(Model->rowCount(), 120);
    EXPECT_EQ(Model->index(61, 1).data().toString(), "10:00:01:00");
    EXPECT_EQ(Model->index(0, 3).data().toString(), "-3.0");
    const QString sUnit = frmMain.DatabaseView->sgDBLoudnessConfig->Cell(4, 1);
    ASSERT_FALSE(sUnit.isEmpty());
    EXPECT_EQ(Stat(1), "-3.0  dBFS");
    EXPECT_EQ(Stat(2), "0");
    EXPECT_EQ(Stat(3), "-20.0 " + sUnit);
    EXPECT_EQ(Stat(4), "-23.0 " + sUnit);
    EXPECT_TRUE(frmMain.DatabaseView->popSessionDelete->isEnabled());
    EXPECT_TRUE(frmMain.btnChart->isEnabled());
    EXPECT_TRUE(frmMain.btnFilterData->isEnabled());
    EXPECT_TRUE(frmMain.isEnabled());
    EXPECT_FALSE(Windows.frmWait->isVisible());
    EXPECT_TRUE(aMessages.empty());

    // Every row's short-term loudness lies above the default target plus its tolerance: F3 and Shift+F3
    // step from row to row wherever the focus is in the tab.
    ASSERT_TRUE(frmMain.DatabaseView->btnNextViolation->isEnabled());
    frmMain.PageCtrl->setCurrentWidget(frmMain.tabDB);
    frmMain.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frmMain));
    frmMain.sgDBData->setCurrentIndex(Model->index(5, 2));
    QTest::keyClick(frmMain.btnExport, Qt::Key_F3);
    EXPECT_EQ(frmMain.sgDBData->currentIndex().row(), 6);
    QTest::keyClick(frmMain.sgSessions, Qt::Key_F3, Qt::ShiftModifier);
    QTest::keyClick(frmMain.sgSessions, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(frmMain.sgDBData->currentIndex().row(), 4);
    EXPECT_EQ(frmMain.sgDBData->currentIndex().column(), 2);

    // Selecting another session empties the table and disables the review commands again.
    frmMain.sgSessions->setCurrentIndex(frmMain.sgSessions->model()->index(RowOf(sEmpty), 0));
    EXPECT_EQ(Model->rowCount(), 0);
    EXPECT_FALSE(frmMain.btnChart->isEnabled());
    EXPECT_FALSE(frmMain.DatabaseView->popSessionDelete->isEnabled());
    // A session without levels loads nothing, leaves the statistics and keeps its commands off.
    DoubleClickSession(sEmpty);
    EXPECT_EQ(Model->rowCount(), 0);
    EXPECT_EQ(Stat(1), "-3.0  dBFS");
    EXPECT_FALSE(frmMain.btnChart->isEnabled());
}

TEST_F(DatabaseTabTest, TheSessionBeingRecordedIsNeverMadeDeletable) {
    frmMain.Ctrl.sCurrentSession = sThird;
    DoubleClickSession(sThird);
    ASSERT_EQ(frmMain.sgDBData->model()->rowCount(), 60);
    EXPECT_FALSE(frmMain.DatabaseView->popSessionDelete->isEnabled());
}

TEST_F(DatabaseTabTest, DeleteAfterALoadAsksWithTheTitleAndRemovesTheSessionWithItsLevels) {
    DoubleClickSession(sFirst);
    ASSERT_TRUE(frmMain.DatabaseView->popSessionDelete->isEnabled());
    iAnswer = kMsgResultNo;
    frmMain.DatabaseView->popSessionDelete->trigger();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_TRUE(aMessages[0].contains("Morning News")) << aMessages[0].toStdString();
    EXPECT_EQ(Sessions.CountRows("qxr_loudness_levels", sFirst), 120);
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 3);

    iAnswer = kMsgResultYes;
    frmMain.DatabaseView->popSessionDelete->trigger();
    EXPECT_EQ(Sessions.CountRows("qxr_sessions", sFirst), 0);
    EXPECT_EQ(Sessions.CountRows("qxr_loudness_levels", sFirst), 0);
    EXPECT_EQ(Sessions.CountRows("qxr_loudness_levels", sThird), 60);
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 2);
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 0);
}

TEST_F(DatabaseTabTest, FilterDataLoadsTheMatchingRowsAndADanishTableFollows) {
    DoubleClickSession(sFirst);
    EXPECT_TRUE(qxtest::DriveModal(
        *Windows.frmFilter, [&] { frmMain.btnFilterData->click(); },
        [&] {
            EXPECT_EQ(Windows.frmFilter->lblIntA->text(),
                      frmMain.DatabaseView->sgDBLoudnessConfig->Cell(4, 1));
            Windows.frmFilter->chkTCEnd->click();
            Windows.frmFilter->editTCStopHr->setText("10");
            Windows.frmFilter->editTCStopMin->setText("00");
            Windows.frmFilter->editTCStopSec->setText("09");
            Windows.frmFilter->btnOK->click();
        }));
    // Ten seconds of each of the two minutes' worth of rows (the timecodes repeat every 60 rows).
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 20);
    EXPECT_EQ(frmMain.Ctrl.Settings.rFilterOptions.sTCEnd, "10:00:09:00");
    EXPECT_FALSE(frmMain.DatabaseView->LevelData().DataFilter().IsEmpty());

    // Another language shows the same rows and filter in its words.
    frmMain.iLNG = kLanguageDanish;
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 20);
    EXPECT_FALSE(frmMain.DatabaseView->LevelData().DataFilter().IsEmpty());
    DoubleClickSession(sFirst);
    EXPECT_TRUE(frmMain.DatabaseView->LevelData().DataFilter().IsEmpty());
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 120);
    EXPECT_EQ(frmMain.sgDBData->model()->headerData(3, Qt::Horizontal).toString(), "Peak Niveau");
    EXPECT_EQ(frmMain.DatabaseView->sgDBLoudnessMax->Cell(1, 0),
              GetText(kTxtPeakLevelLabel, kLanguageDanish));
}

// Another database, or the same one opened again, lists its own sessions: nothing of the session loaded
// before may stay on the tab, and no command may act on it.
TEST_F(DatabaseTabTest, OpeningADatabaseLeavesNoLevelDataAndItsCommandsOff) {
    qxtest::TSessionDatabase Other;
    const QString sOther =
        Other.AddSession({"Other", "9", "Op", "HD", "", QDateTime::currentDateTime(), ""}, 30);
    auto* frmDBSelect = new TfrmDBSelect(frmMain, frmMain.Ctrl.SQLConnection, &frmMain);
    frmDBSelect->EnsureControls();
    Windows.frmDBSelect = frmDBSelect;
    frmMain.SetWindows(Windows);
    bool bWaitAtMessage = false;
    frmMain.MessageBox->SetResponder([&](const TMessageBoxRequest& r) {
        aMessages.push_back(r.sText);
        bWaitAtMessage = bWaitAtMessage || Windows.frmWait->isVisible();
        return kMsgResultOK;
    });
    struct TCase {
        QString sLoaded;
        QString sOpened;
    };
    for (const TCase& c :
         {TCase{sFirst, Other.Path()}, TCase{sOther, Sessions.Path()}, TCase{sThird, Sessions.Path()}}) {
        SCOPED_TRACE(c.sOpened.toStdString());
        DoubleClickSession(c.sLoaded);
        ASSERT_GT(frmMain.sgDBData->model()->rowCount(), 0);
        ASSERT_TRUE(frmMain.btnChart->isEnabled());
        aMessages.clear();
        frmDBSelect->SelectDatabase(c.sOpened);
        ASSERT_EQ(frmMain.Ctrl.SQLConnection.DatabaseFileName(), c.sOpened);
        EXPECT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 0);
        for (int iRow = 1; iRow < frmMain.DatabaseView->sgDBLoudnessMax->rowCount(); ++iRow)
            EXPECT_EQ(Stat(iRow), "") << iRow;
        for (QPushButton* b : {frmMain.btnFilterData, frmMain.btnChart, frmMain.btnExport})
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
        EXPECT_TRUE(frmMain.DatabaseView->LevelData().LevelTable().SessionId().isEmpty());
        EXPECT_TRUE(frmMain.DatabaseView->LevelData().DataFilter().IsEmpty());
        EXPECT_TRUE(frmMain.btnRefreshSessions->isEnabled());
        EXPECT_FALSE(frmMain.DatabaseView->popSessionDelete->isEnabled());
    }
    EXPECT_FALSE(bWaitAtMessage);
}

// OK in the options dialog changes how the loaded table looks, never what it holds: the filtered rows,
// their statistics and the filter stay, in the new columns and colours.
TEST_F(DatabaseTabTest, OptionsOKShowsTheLoadedRowsStatisticsAndFilterInTheNewColumnsAndColours) {
    auto* frmOptions = new TfrmOptions(&frmMain);
    Windows.frmOptions = frmOptions;
    frmMain.SetWindows(Windows);
    frmOptions->SetServices(frmMain);
    DoubleClickSession(sFirst);
    const TSQLFilter rFilter("SELECT * FROM qxr_loudness_levels WHERE sReportId = ?1 AND sTimeCode >= ?2",
                             {QStringLiteral("10:00:30:00")});
    ASSERT_TRUE(frmMain.DatabaseView->LevelData().LoadDataToGrid(rFilter));
    QAbstractItemModel* Model = frmMain.sgDBData->model();
    ASSERT_EQ(Model->rowCount(), 60);
    const QString sPeakChannel = GetText(kTxtPeakChannelHeading, kLanguageEnglish);
    ASSERT_EQ(Model->headerData(2, Qt::Horizontal).toString(), sPeakChannel);
    std::vector<QString> aStats;
    for (int iRow = 1; iRow <= 4; ++iRow)
        aStats.push_back(Stat(iRow));
    ASSERT_FALSE(frmMain.DatabaseView->sgDBLoudnessMax->CellStyle(4, 1).bBold);

    ASSERT_TRUE(qxtest::DriveModal(
        *frmOptions, [&] { frmOptions->exec(); },
        [&] {
            // Peak channel is the fourth entry of the data list.
            frmOptions->chkListDataTypes->item(3)->setCheckState(Qt::Unchecked);
            TTableColorGroup& rInt = frmOptions->aTableGroups[TfrmOptions::kTableInt];
            rInt.chkHigh->setChecked(true);
            rInt.editHigh->setText("-25");
            frmOptions->btnOK->click();
        }));
    ASSERT_FALSE(frmMain.Ctrl.Settings.DataOptions.bEnablePeakChannel);
    ASSERT_TRUE(frmMain.Ctrl.Settings.rTableIntColorOptions.rMax.bEnabled);
    EXPECT_EQ(Model->rowCount(), 60);
    EXPECT_EQ(Model->index(0, 1).data().toString(), "10:00:30:00");
    EXPECT_FALSE(Model->headerData(2, Qt::Horizontal).toString() == sPeakChannel);
    EXPECT_EQ(frmMain.DatabaseView->LevelData().DataFilter(), rFilter);
    for (int iRow = 1; iRow <= 4; ++iRow)
        EXPECT_EQ(Stat(iRow), aStats[size_t(iRow - 1)]) << iRow;
    // The integrated loudness of -23 is above the new high limit of -25.
    EXPECT_TRUE(frmMain.DatabaseView->sgDBLoudnessMax->CellStyle(4, 1).bBold);
    for (QPushButton* b : {frmMain.btnFilterData, frmMain.btnChart, frmMain.btnExport})
        EXPECT_TRUE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(aMessages.empty());
}

// The wait window stays on top of every window: a message that comes during a long operation would have
// its buttons hidden behind it. It steps aside while the message is open and comes back for the rest.
TEST_F(DatabaseTabTest, AMessageDuringALongOperationIsNeverCoveredByTheWaitWindow) {
    bool bWaitAtMessage = true;
    frmMain.MessageBox->SetResponder([&](const TMessageBoxRequest&) {
        bWaitAtMessage = Windows.frmWait->isVisible();
        return kMsgResultOK;
    });
    frmMain.BeginLongOperation(kTxtLoadingData);
    ASSERT_TRUE(Windows.frmWait->isVisible());
    EXPECT_EQ(frmMain.ShowMessageBox("Disk full", kMsgError, kMsgBtnOK), kMsgResultOK);
    EXPECT_FALSE(bWaitAtMessage);
    EXPECT_TRUE(Windows.frmWait->isVisible());
    frmMain.EndLongOperation();
    EXPECT_FALSE(Windows.frmWait->isVisible());
}

// A long load or chart the user cancels in the wait window leaves the table, its statistics and filter
// and the tabs as they were, without a word; the main window takes input again. The progress shows at
// once here, and the Cancel button is clicked as the user clicks it, from the first pump's events.
TEST_F(DatabaseTabTest, CancelInTheWaitWindowLeavesTheTableAndTheTabsAsTheyWere) {
    // The third session grows to a few thousand rows, so that its reading pumps several times.
    constexpr int kLongRows = 3 * kPumpRows;
    {
        SQLite::Database Db(Sessions.Path().toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Statement Grow(Db,
                               "WITH RECURSIVE n(i) AS (SELECT 60 UNION ALL SELECT i+1 FROM n WHERE i<?2) "
                               "INSERT INTO qxr_loudness_levels (sReportId,iVersion,sTimeCode,iPeakChannel,"
                               "fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) SELECT ?1,1,"
                               "printf('11:%02d:%02d:00',i/60%60,i%60),0,-4.0,-21.0,-30.0,-23.0 FROM n;");
        Grow.bind(1, sThird.toStdString());
        Grow.bind(2, kLongRows - 1);
        Grow.exec();
    }
    DoubleClickSession(sThird);
    QAbstractItemModel* Model = frmMain.sgDBData->model();
    ASSERT_EQ(Model->rowCount(), kLongRows);
    const TLevelDataView& View = frmMain.DatabaseView->LevelData();
    std::vector<QString> aStats;
    for (int iRow = 1; iRow <= 4; ++iRow)
        aStats.push_back(Stat(iRow));
    const int iPages = frmMain.PageCtrl->count();
    TfrmWait& Wait = *Windows.frmWait;
    frmMain.LongOperation->Progress().SetShowAfterMs(0);

    const TSQLFilter rFilter("SELECT * FROM qxr_loudness_levels WHERE sReportId = ?1 AND sTimeCode >= ?2",
                             {QStringLiteral("11:00:00:00")});
    struct TCase {
        const char* sName;
        std::function<void()> fnRun;
    };
    const TCase aCases[] = {
        {"load",
         [&] {
             EXPECT_EQ(frmMain.DatabaseView->LevelData().LoadRows({}), TLevelTable::TLoadResult::Cancelled);
         }},
        {"filtered load",
         [&] {
             EXPECT_EQ(frmMain.DatabaseView->LevelData().LoadRows(rFilter),
                       TLevelTable::TLoadResult::Cancelled);
         }},
        {"chart", [&] { frmMain.btnChart->click(); }},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        bool bClicked = false;
        bool bMainEnabled = true;
        QTimer::singleShot(0, &Wait, [&] {
            bMainEnabled = frmMain.isEnabled();
            ASSERT_TRUE(Wait.IsShowingProgress());
            EXPECT_GE(Wait.pbWait->value(), 0);
            QTest::mouseClick(Wait.btnCancel, Qt::LeftButton);
            bClicked = true;
        });
        c.fnRun();
        EXPECT_TRUE(bClicked);
        EXPECT_FALSE(bMainEnabled);
        EXPECT_EQ(Model->rowCount(), kLongRows);
        EXPECT_TRUE(View.DataFilter().IsEmpty());
        EXPECT_FALSE(frmMain.DatabaseView->lblDataFilter->isVisible());
        for (int iRow = 1; iRow <= 4; ++iRow)
            EXPECT_EQ(Stat(iRow), aStats[size_t(iRow - 1)]) << iRow;
        EXPECT_EQ(frmMain.PageCtrl->count(), iPages);
        EXPECT_TRUE(frmMain.btnChart->isEnabled());
        EXPECT_TRUE(frmMain.isEnabled());
        EXPECT_FALSE(Wait.isVisible());
        EXPECT_TRUE(aMessages.empty());
    }
    // Not cancelled, the same commands do their work.
    EXPECT_EQ(frmMain.DatabaseView->LevelData().LoadRows(rFilter), TLevelTable::TLoadResult::Rows);
    EXPECT_EQ(Model->rowCount(), kLongRows - 60);
    frmMain.btnChart->click();
    EXPECT_EQ(frmMain.PageCtrl->count(), iPages + 1);
    EXPECT_TRUE(aMessages.empty());
}

} // namespace
