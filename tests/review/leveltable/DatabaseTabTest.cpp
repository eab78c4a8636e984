#include "app/FormMain.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "engine/InfoGrid.h"
#include "review/FormFilter.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
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

    frmMain.iLNG = kLanguageDanish;
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 0);
    DoubleClickSession(sFirst);
    EXPECT_TRUE(frmMain.DatabaseView->LevelData().DataFilter().IsEmpty());
    EXPECT_EQ(frmMain.sgDBData->model()->rowCount(), 120);
    EXPECT_EQ(frmMain.sgDBData->model()->headerData(3, Qt::Horizontal).toString(), "Peak Niveau");
    EXPECT_EQ(frmMain.DatabaseView->sgDBLoudnessMax->Cell(1, 0),
              GetText(kTxtPeakLevelLabel, kLanguageDanish));
}

} // namespace
