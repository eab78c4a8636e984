#include "review/LevelDataView.h"
#include "core/Drawing.h"
#include "core/MainView.h"
#include "core/Settings.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "engine/InfoGrid.h"
#include "review/FormFilter.h"
#include "review/FormGoToTimecode.h"
#include "review/TableColors.h"
#include "store/ComplianceStore.h"
#include "store/SessionGapStore.h"
#include "store/dbSQLite.h"
#include "tests/support/DialogTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

const char* const kId = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";

// A true-peak, K-filtered session in LUFS with a 3 s short-term window, ending at the last row.
TSessionInfo FinishedSession() {
    TSessionInfo r;
    r.sReportID = kId;
    r.sTimeCodeEnd = "10:04:59:00";
    TLoudnessSetup& l = r.rLoudnessSetup;
    l.iPeakMode = kPeakModeTruePeak;
    l.iScaleMode = kScaleModeLUFS;
    l.iSlidingWindow = kSlidingWindow3Seconds;
    l.fReferenceLevel = -23.0;
    l.iFilter = kFilterKFilter;
    l.bValid = true;
    return r;
}

// The tab around the level data view: the selected session, and a main window with its wait window and
// data filter dialog as the program has them.
class TFakeHost : public ILevelDataHost {
public:
    TFakeHost(QWidget& rMain, TfrmWait& rWait, TfrmFilter& rFilter, TMessageBox& rMessageBox)
        : Main(rMain), frmWait(rWait), frmFilter(rFilter), MessageBox(rMessageBox) {}

    QString SelectedSessionId() const override { return kId; }
    QString ListRowSessionId() const override { return kId; }
    QString RecordingSessionId() const override { return sRecording; }
    QString SelectedSessionUnit() const override { return "LUFS"; }
    const TSessionInfo& SelectedSession() const override { return rSession; }
    void VerdictKept(const QString& sReportId, TVerdictKind eKind) override {
        aKept.push_back({sReportId, eKind});
    }
    void EnableSessionDelete() override {
        ++iDeleteEnabled;
        if (fnDuringLoad)
            fnDuringLoad();
    }
    void SetReviewState(int iState) override { aStates.push_back(iState); }
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) override {
        return MessageBox.ShowMessageBox(sText, iKind, iButtons);
    }
    bool AskDataFilter(const QString& sUnit) override {
        frmFilter.SetLoudnessUnit(sUnit);
        return frmFilter.Execute();
    }
    void BeginLongOperation(int iEntry) override {
        frmWait.SetWaitTextEntry(iEntry);
        frmWait.ShowWait();
        Main.setEnabled(false);
    }
    void EndLongOperation() override {
        Main.setEnabled(true);
        frmWait.close();
    }

    QWidget& Main;
    TfrmWait& frmWait;
    TfrmFilter& frmFilter;
    TMessageBox& MessageBox;

    QString sRecording;
    TSessionInfo rSession = FinishedSession();
    std::vector<std::pair<QString, TVerdictKind>> aKept;
    int iDeleteEnabled = 0;
    std::vector<int> aStates;
    std::function<void()> fnDuringLoad;
};

// A double-click as the user makes it: a click, then the second press that the system reports as a
// double-click.
void DoubleClick(QTableWidget* Grid, QPoint At) {
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, At);
    QTest::mouseDClick(Grid->viewport(), Qt::LeftButton, {}, At);
}

class LevelDataViewTest : public ::testing::Test {
protected:
    LevelDataViewTest()
        : MessageBox(Settings.iLNG, &Main), frmWait(&Main), frmFilter(&Main),
          btnFilterData(new QPushButton(&Main)), sgDBData(new QTableView(&Main)),
          sgDBLoudnessMax(new TInfoGrid(11, &Main)), lblDataFilter(new QLabel(&Main)),
          btnClearDataFilter(new QPushButton(&Main)), btnPreviousViolation(new QPushButton(&Main)),
          btnNextViolation(new QPushButton(&Main)), Host(Main, frmWait, frmFilter, MessageBox),
          View({db, Settings, sgDBData, sgDBLoudnessMax, btnFilterData, lblDataFilter, btnClearDataFilter,
                btnPreviousViolation, btnNextViolation},
               Host, &Main) {
        frmWait.SetLanguage(&Settings.iLNG);
        frmFilter.SetServices(FilterServices);
        MessageBox.SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back({r.sText, r.iKind});
            return kMsgResultOK;
        });
        auto* Layout = new QHBoxLayout(&Main);
        Layout->addWidget(btnFilterData);
        Layout->addWidget(sgDBLoudnessMax);
        Layout->addWidget(sgDBData);
        Layout->addWidget(lblDataFilter);
        Layout->addWidget(btnClearDataFilter);
        Main.resize(1000, 400);
        Main.show();
        Settings.rTablePeakColorOptions.rMax = {true, -6.0, clRed};
        Settings.rTablePeakColorOptions.rDefault = {true, 0.0, clGreen};
        Settings.rTableIntColorOptions.rMin = {true, -30.0, clPurple};
    }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString sFile = dir.filePath("levels.DB3");
        ASSERT_TRUE(db.CreateSQLiteDB(sFile));
        ASSERT_TRUE(db.OpenSQLiteDB(sFile));
        // 300 rows, one a second from 10:00:00; a peak on channel 1 every 100th row, the highest at row 150.
        SQLite::Database conn(sFile.toStdString(), SQLite::OPEN_READWRITE);
        conn.exec(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<299) INSERT INTO "
            "qxr_loudness_levels (sReportId,sTimeCode,iPeakChannel,fInstantaneousPeak,fLoudnessHi,"
            "fLoudnessLo,fLoudnessInt) SELECT '0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9', "
            "printf('10:%02d:%02d:00', "
            "i/60, i%60), CASE WHEN i%100=0 THEN 1 ELSE 0 END, CASE WHEN i=150 THEN -1.5 ELSE -10-(i%7) END, "
            "-20, -35, -40+i*0.05 FROM n;");
        View.UpdateGUIStrings();
    }

    QString Stat(int iRow, int iCol) const {
        const QTableWidgetItem* Item = sgDBLoudnessMax->item(iRow, iCol);
        return Item ? Item->text() : QString();
    }

    // The fill of a level cell as painted: a point inside its frame, left of the centred text.
    QColor FillAt(int iRow, int iCol) const {
        QApplication::processEvents();
        sgDBData->scrollTo(View.LevelTable().Model().index(iRow, iCol));
        const QRect r = sgDBData->visualRect(View.LevelTable().Model().index(iRow, iCol));
        const QImage Image = sgDBData->viewport()->grab().toImage();
        return Image.pixelColor(r.left() + 4, r.center().y());
    }

    QTemporaryDir dir;
    TdbSQLite db;
    TSettings Settings;
    QWidget Main;
    TMessageBox MessageBox;
    qxtest::TMessageBoxServices FilterServices{Settings, MessageBox};
    TfrmWait frmWait;
    TfrmFilter frmFilter;
    QPushButton* btnFilterData;
    QTableView* sgDBData;
    TInfoGrid* sgDBLoudnessMax;
    QLabel* lblDataFilter;
    QPushButton* btnClearDataFilter;
    QPushButton* btnPreviousViolation;
    QPushButton* btnNextViolation;
    TFakeHost Host;
    TLevelDataView View;
    std::vector<std::pair<QString, int>> aMessages;
};

TEST_F(LevelDataViewTest, ALoadFillsTheTableAndTheStatisticsWithTheWaitWindowShowing) {
    bool bDisabledWhileLoading = false;
    QString sWaitText;
    Host.fnDuringLoad = [&] {
        bDisabledWhileLoading = !Main.isEnabled();
        sWaitText = frmWait.isVisible() ? frmWait.WaitText() : QString();
    };
    ASSERT_TRUE(View.LoadSelectedSession());
    EXPECT_TRUE(bDisabledWhileLoading);
    EXPECT_EQ(sWaitText, "Loading data, please wait...");
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(frmWait.isVisible());
    EXPECT_EQ(Host.iDeleteEnabled, 1);
    EXPECT_EQ(Host.aStates, std::vector<int>{kGUIReviewOn});
    EXPECT_TRUE(View.DataFilter().IsEmpty());

    const QAbstractItemModel* Model = sgDBData->model();
    ASSERT_EQ(Model->rowCount(), 300);
    EXPECT_EQ(Model->headerData(3, Qt::Horizontal).toString(), "Peak Level");
    EXPECT_EQ(Model->index(150, 1).data().toString(), "10:02:30:00");
    EXPECT_EQ(Model->index(150, 3).data().toString(), "-1.5");

    const std::pair<const char*, const char*> aExpected[] = {
        {"Peak Level.:", "-1.5  dBFS"},
        {"Peak Count.:", "3"},
        {"Shortterm.:", "-20.0 LUFS"},
        {"Integrating.:", "-25.0 LUFS"},
        {"Loudness Range.:", "15.0 LU"},
        {"Verdict.:", "Fail"},
        {"", ""},
    };
    EXPECT_EQ(Stat(0, 0), "Session Statistics");
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(Stat(i + 1, 0), aExpected[i].first);
        EXPECT_EQ(Stat(i + 1, 1), aExpected[i].second);
    }
    EXPECT_EQ(View.LevelTable().Statistics()[0].sTimecode, "10:02:30:00");
    EXPECT_EQ(sgDBLoudnessMax->item(1, 1)->toolTip(), "Time Code.:10:02:30:00");
    EXPECT_TRUE(sgDBLoudnessMax->item(2, 1)->toolTip().isEmpty());
    // Peaks occurred: the count in red. The last integrated value (-25) meets no rule (only at most -30).
    EXPECT_EQ(sgDBLoudnessMax->CellStyle(2, 1).clText, ColorValueToQColor(clRed));
    EXPECT_TRUE(sgDBLoudnessMax->CellStyle(2, 1).bBold);
    EXPECT_EQ(sgDBLoudnessMax->CellStyle(4, 1).clFill, QColor(Qt::white));
}

TEST_F(LevelDataViewTest, TheSessionBeingRecordedIsNeverMadeDeletable) {
    Host.sRecording = kId;
    ASSERT_TRUE(View.LoadSelectedSession());
    EXPECT_EQ(Host.iDeleteEnabled, 0);
}

TEST_F(LevelDataViewTest, CellsAreColouredByTheirHeaderInEitherLanguage) {
    for (const int iLNG : {kLanguageEnglish, kLanguageDanish}) {
        SCOPED_TRACE(iLNG);
        Settings.iLNG = iLNG;
        View.UpdateGUIStrings();
        ASSERT_TRUE(View.LoadSelectedSession());
        // Row 150 holds the highest peak (-1.5, at least -6: red), row 1 a plain one (default green), row 100
        // a peak on channel 1 (red), row 0 an integrated value of -40 (at most -30: purple).
        EXPECT_EQ(FillAt(150, 3), ColorValueToQColor(Tint(clRed, 0.9)));
        EXPECT_EQ(FillAt(1, 3), ColorValueToQColor(Tint(clGreen, 0.9)));
        EXPECT_EQ(FillAt(100, 2), ColorValueToQColor(Tint(clRed, 0.9)));
        EXPECT_EQ(FillAt(1, 2), QColor(Qt::white));
        EXPECT_EQ(FillAt(0, 5), ColorValueToQColor(Tint(clPurple, 0.9)));
        EXPECT_EQ(FillAt(299, 5), QColor(Qt::white));
        EXPECT_EQ(FillAt(5, 0), ColorValueToQColor(Tint(clGray, 0.9)));
    }
}

TEST_F(LevelDataViewTest, AStatisticJumpsToItsRowAtTheTopOfTheTable) {
    ASSERT_TRUE(View.LoadSelectedSession());
    QTableWidget* Stats = sgDBLoudnessMax;
    const QRect rPeak = Stats->visualItemRect(Stats->item(1, 1));
    DoubleClick(Stats, rPeak.center());
    EXPECT_EQ(View.TCHighlight(), "10:02:30:00");
    EXPECT_EQ(sgDBData->currentIndex().row(), 150);
    EXPECT_EQ(sgDBData->currentIndex().column(), 1);
    EXPECT_EQ(sgDBData->rowAt(0), 150);

    // The peak count has no timecode: nothing moves.
    sgDBData->setCurrentIndex(sgDBData->model()->index(3, 1));
    QTest::mouseDClick(Stats->viewport(), Qt::LeftButton, {},
                       Stats->visualItemRect(Stats->item(2, 1)).center());
    EXPECT_TRUE(View.TCHighlight().isEmpty());
    EXPECT_EQ(sgDBData->currentIndex().row(), 3);
}

TEST_F(LevelDataViewTest, TheFilterCommandLoadsTheMatchingRowsOrSaysNothingMatched) {
    ASSERT_TRUE(View.LoadSelectedSession());
    EXPECT_TRUE(lblDataFilter->isHidden());
    EXPECT_TRUE(btnClearDataFilter->isHidden());
    // "-6,5" is taken as -6.5: only the highest peak lies above it.
    EXPECT_TRUE(qxtest::DriveModal(
        frmFilter, [&] { btnFilterData->click(); },
        [&] {
            frmFilter.chkPeakOver->click();
            frmFilter.editPeakOver->setText("-6,5");
            frmFilter.btnOK->click();
        }));
    EXPECT_EQ(Settings.rFilterOptions.sPeakOver, "-6.5");
    ASSERT_EQ(sgDBData->model()->rowCount(), 1);
    EXPECT_EQ(sgDBData->model()->index(0, 1).data().toString(), "10:02:30:00");
    const TSQLFilter rShown = View.DataFilter();
    EXPECT_FALSE(rShown.IsEmpty());
    EXPECT_TRUE(aMessages.empty());
    // The line above the table names the filter in force.
    EXPECT_FALSE(lblDataFilter->isHidden());
    EXPECT_FALSE(btnClearDataFilter->isHidden());
    EXPECT_EQ(lblDataFilter->text(), "Data Filter.: Peak Level at or above -6.5 dBFS");
    EXPECT_EQ(btnClearDataFilter->text(), "Clear Filter");

    // Above greater than Below selects nothing.
    EXPECT_TRUE(qxtest::DriveModal(
        frmFilter, [&] { btnFilterData->click(); },
        [&] {
            frmFilter.chkPeakUnder->click();
            frmFilter.editPeakUnder->setText("-10");
            frmFilter.btnOK->click();
        }));
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].first, GetText(kTxtNoMatchingData, kLanguageEnglish));
    EXPECT_EQ(aMessages[0].second, kMsgWarning);
    // What was shown stays shown and usable, with the filter it was read through.
    ASSERT_EQ(sgDBData->model()->rowCount(), 1);
    EXPECT_EQ(sgDBData->model()->index(0, 1).data().toString(), "10:02:30:00");
    EXPECT_EQ(Host.aStates.back(), kGUIReviewOn);
    EXPECT_TRUE(btnFilterData->isEnabled());
    EXPECT_EQ(View.DataFilter(), rShown);
    EXPECT_EQ(lblDataFilter->text(), "Data Filter.: Peak Level at or above -6.5 dBFS");
    EXPECT_EQ(Stat(1, 1), "-1.5  dBFS");
    EXPECT_EQ(Stat(2, 1), "0");

    // Clearing the filter reloads every row, and the line goes.
    btnClearDataFilter->click();
    EXPECT_EQ(sgDBData->model()->rowCount(), 300);
    EXPECT_TRUE(View.DataFilter().IsEmpty());
    EXPECT_TRUE(lblDataFilter->isHidden());
    EXPECT_TRUE(btnClearDataFilter->isHidden());
    EXPECT_EQ(Stat(2, 1), "3");
    EXPECT_EQ(Host.aStates.back(), kGUIReviewOn);
}

TEST_F(LevelDataViewTest, TheFilterLineFollowsTheLanguageAndGoesWithTheRows) {
    Settings.rFilterOptions.bEnableTCStart = Settings.rFilterOptions.bEnableTCEnd = true;
    Settings.rFilterOptions.sTCStart = "10:04:00:00";
    Settings.rFilterOptions.sTCEnd = "10:00:59:00";
    ASSERT_TRUE(
        View.LoadDataToGrid(TDataFilter(*BuildDataFilter(Settings.rFilterOptions), Settings.rFilterOptions)));
    // Start later than end reads as across midnight: the first minute and the last, in recorded order.
    ASSERT_EQ(sgDBData->model()->rowCount(), 60 + 60);
    EXPECT_EQ(sgDBData->model()->index(0, 1).data().toString(), "10:00:00:00");
    EXPECT_EQ(sgDBData->model()->index(119, 1).data().toString(), "10:04:59:00");
    EXPECT_EQ(lblDataFilter->text(),
              "Data Filter.: Timecode from 10:04:00:00 to 10:00:59:00, across midnight");

    // Selecting another session empties the table: no filter is in force over it.
    View.ClearTable();
    EXPECT_TRUE(lblDataFilter->isHidden());
    EXPECT_TRUE(View.DataFilter().IsEmpty());

    Settings.iLNG = kLanguageDanish;
    View.UpdateGUIStrings();
    ASSERT_TRUE(
        View.LoadDataToGrid(TDataFilter(*BuildDataFilter(Settings.rFilterOptions), Settings.rFilterOptions)));
    EXPECT_EQ(lblDataFilter->text(),
              "Datafilter.: Tidskode fra 10:04:00:00 til 10:00:59:00, hen over midnat");
    EXPECT_EQ(btnClearDataFilter->text(), "Ryd Filter");
}

TEST_F(LevelDataViewTest, AFailingLoadSaysWhyAndGivesTheWindowBack) {
    SQLite::Database conn(db.DatabaseFileName().toStdString(), SQLite::OPEN_READWRITE);
    conn.exec("DROP TABLE qxr_loudness_levels;");
    EXPECT_FALSE(View.LoadSelectedSession());
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_TRUE(aMessages[0].first.startsWith("Exception raised with message \""))
        << aMessages[0].first.toStdString();
    EXPECT_TRUE(aMessages[0].first.contains("qxr_loudness_levels"));
    EXPECT_TRUE(aMessages[0].first.contains("Please contact Kelmoria"));
    EXPECT_EQ(aMessages[0].second, kMsgError);
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(frmWait.isVisible());
}

// The session's last integrated value is -25.05 LUFS, 2 LU under the default target of -23 ± 0.5.
TEST_F(LevelDataViewTest, ALoadIsJudgedAndOnlyAVerdictFromEveryRowOfAFinishedSessionIsKept) {
    TComplianceStore Store(db);
    const QString sFilter = "10:01:00:00";
    struct TCase {
        const char* sName;
        bool bFiltered;
        bool bRecording;
        bool bKept;
        const char* sFirstFact;
    } const aCases[] = {
        {"every row of a finished session", false, false, true, nullptr},
        {"the rows a filter left", true, false, false, "Judged from the filtered rows only"},
        {"the session being recorded", false, true, false, nullptr},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        SQLite::Database conn(db.DatabaseFileName().toStdString(), SQLite::OPEN_READWRITE);
        if (conn.tableExists("qxr_session_verdicts"))
            conn.exec("DELETE FROM qxr_session_verdicts;");
        Host.aKept.clear();
        Host.sRecording = c.bRecording ? QString(kId) : QString();
        Settings.rFilterOptions = {};
        Settings.rFilterOptions.bEnableTCStart = c.bFiltered;
        Settings.rFilterOptions.sTCStart = sFilter;
        ASSERT_TRUE(c.bFiltered ? View.LoadDataToGrid(TDataFilter(*BuildDataFilter(Settings.rFilterOptions),
                                                                  Settings.rFilterOptions))
                                : View.LoadSelectedSession());

        EXPECT_EQ(Stat(6, 0), "Verdict.:");
        EXPECT_EQ(Stat(6, 1), "Fail");
        EXPECT_EQ(sgDBLoudnessMax->CellStyle(6, 1).clText, QColor(200, 0, 0));
        const QStringList slHint = sgDBLoudnessMax->item(6, 1)->toolTip().split('\n');
        ASSERT_GE(slHint.size(), 3);
        EXPECT_EQ(slHint[0], "Target.: EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP");
        EXPECT_TRUE(slHint[1].startsWith("Integrated -25.0 LUFS is 2.0 LU below -23.0 ± 0.5") ||
                    slHint[1].startsWith("Integrated -25.1 LUFS is 2.1 LU below -23.0 ± 0.5"))
            << slHint[1].toStdString();
        EXPECT_EQ(slHint.contains("Judged from the filtered rows only"), c.bFiltered);

        std::optional<TKeptVerdict> rKept;
        ASSERT_TRUE(Store.ReadKeptVerdict(kId, rKept));
        EXPECT_EQ(rKept.has_value(), c.bKept);
        if (c.bKept) {
            EXPECT_EQ(rKept->eKind, TVerdictKind::Fail);
            EXPECT_EQ(rKept->iLevelRows, 300);
            EXPECT_EQ(rKept->sTimeCodeEnd, "10:04:59:00");
            ASSERT_EQ(Host.aKept.size(), 1u);
            EXPECT_EQ(Host.aKept[0], std::make_pair(QString(kId), TVerdictKind::Fail));
        } else {
            EXPECT_TRUE(Host.aKept.empty());
        }
    }

    Settings.iLNG = kLanguageDanish;
    View.UpdateGUIStrings();
    EXPECT_EQ(Stat(5, 0), "Loudness Range.:");
    EXPECT_EQ(Stat(6, 0), "Bedømmelse.:");
    EXPECT_EQ(Stat(6, 1), "Ikke bestået");
    EXPECT_TRUE(sgDBLoudnessMax->item(6, 1)->toolTip().startsWith(
        "Mål.: EBU R128: -23.0 LUFS ± 0.5 LU, maks. -1.0 dBTP"));
}

// Peaks are -10 - (row % 7) dBFS with -1.5 at row 150; the short-term loudness is -20 LUFS throughout.
TEST_F(LevelDataViewTest, RowsOutsideTheTargetAreMarkedAndTheButtonsStepThroughThemAround) {
    TComplianceStore Store(db);
    ASSERT_TRUE(Store.WriteSessionTarget(kId, {TStandardId::Custom, -20.0, 1.0, -12.0, true}));
    ASSERT_TRUE(View.LoadSelectedSession());
    const TLevelTableModel& Model = View.LevelTable().Model();
    // Peaks of -10 and -11 (rows 0, 1, 7, 8, ...) and row 150 lie above -12.
    EXPECT_EQ(Model.Violations().Count(), 2 * 43 + 1);
    EXPECT_EQ(Model.index(0, 0).data(TLevelTableModel::kViolationRole).toInt(), kViolationPeak);
    EXPECT_EQ(Model.index(2, 0).data(TLevelTableModel::kViolationRole).toInt(), 0);
    EXPECT_EQ(Model.index(150, 0).data(Qt::ToolTipRole).toString(), "Peak above the limit of -12.0 dBTP");
    EXPECT_TRUE(Model.index(2, 0).data(Qt::ToolTipRole).toString().isEmpty());
    EXPECT_TRUE(btnNextViolation->isEnabled());
    EXPECT_TRUE(btnPreviousViolation->isEnabled());

    struct TStep {
        int iFrom; // -1: no current row
        bool bForward;
        int iTo;
    } const aSteps[] = {
        {-1, true, 0},
        {0, true, 1},
        {1, true, 7},
        {7, false, 1},
        {149, true, 150},
        {151, false, 150},
        // Past the last violation (295) the search starts again at the other end.
        {297, true, 0},
        {0, false, 295},
    };
    for (const TStep& t : aSteps) {
        SCOPED_TRACE(testing::Message() << t.iFrom << (t.bForward ? " forward" : " back"));
        sgDBData->setCurrentIndex(t.iFrom < 0 ? QModelIndex() : Model.index(t.iFrom, 3));
        (t.bForward ? btnNextViolation : btnPreviousViolation)->click();
        EXPECT_EQ(sgDBData->currentIndex().row(), t.iTo);
        // The column the user was in stays.
        EXPECT_EQ(sgDBData->currentIndex().column(), t.iFrom < 0 ? 1 : 3);
    }

    // Back to the default target: no peak reaches -1 dBTP, but every row's short-term loudness lies above
    // -22.5 LUFS, a warning.
    ASSERT_TRUE(Store.ClearSessionTarget(kId));
    View.JudgeAgain();
    EXPECT_EQ(Model.Violations().Count(), 300);
    EXPECT_EQ(Model.index(150, 0).data(TLevelTableModel::kViolationRole).toInt(), kViolationShortTerm);
    EXPECT_EQ(Model.index(150, 0).data(Qt::ToolTipRole).toString(),
              "Short-term loudness above -22.5 LUFS, the target plus its tolerance (a warning)");

    // Another session selected: nothing to step through.
    View.ClearTable();
    EXPECT_FALSE(btnNextViolation->isEnabled());
    EXPECT_FALSE(btnPreviousViolation->isEnabled());
}

// The row number shown at a view row: the row's place in the recorded order, from 1.
int ShownRow(const QTableView* Table, int iViewRow) {
    return Table->model()->index(iViewRow, 0).data().toInt();
}

void ClickHeading(QTableView* Table, int iColumn) {
    Table->scrollTo(Table->model()->index(std::max(Table->rowAt(0), 0), iColumn));
    QHeaderView* Header = Table->horizontalHeader();
    QTest::mouseClick(Header->viewport(), Qt::LeftButton, {},
                      QPoint(Header->sectionViewportPosition(iColumn) + 5, Header->height() / 2));
}

// Peaks are -10 - (row % 7) dBFS with -1.5 at row 150: the lowest, -16, first at row 6.
TEST_F(LevelDataViewTest, HeadingClicksSortTheTableAndTheColourRulesFollowTheCells) {
    ASSERT_TRUE(View.LoadSelectedSession());
    const TLevelTableModel& Model = View.LevelTable().Model();
    ClickHeading(sgDBData, 3);
    EXPECT_EQ(ShownRow(sgDBData, 0), 7);
    EXPECT_EQ(Model.index(0, 3).data().toString(), "-16.0");
    EXPECT_EQ(ShownRow(sgDBData, 299), 151);
    EXPECT_EQ(FillAt(0, 3), ColorValueToQColor(Tint(clGreen, 0.9)));
    EXPECT_EQ(FillAt(299, 3), ColorValueToQColor(Tint(clRed, 0.9)));
    ClickHeading(sgDBData, 3);
    EXPECT_EQ(ShownRow(sgDBData, 0), 151);
    EXPECT_EQ(FillAt(0, 3), ColorValueToQColor(Tint(clRed, 0.9)));
    // Row 100 has a peak on channel 1 (red), row 0 an integrated value of -40 (purple), wherever they are.
    EXPECT_EQ(FillAt(Model.ViewRow(100), 2), ColorValueToQColor(Tint(clRed, 0.9)));
    EXPECT_EQ(FillAt(Model.ViewRow(0), 5), ColorValueToQColor(Tint(clPurple, 0.9)));
    EXPECT_NE(Model.ViewRow(0), 0);
    // The row number heading gives the recorded order back.
    ClickHeading(sgDBData, 0);
    for (const int iRow : {0, 150, 299})
        EXPECT_EQ(ShownRow(sgDBData, iRow), iRow + 1);

    // The exports read the rows in recorded order, and a new load shows them so.
    ClickHeading(sgDBData, 5);
    ClickHeading(sgDBData, 5);
    EXPECT_EQ(ShownRow(sgDBData, 0), 300);
    EXPECT_EQ(View.LevelTable().CellText(0, 1), "10:00:00:00");
    ASSERT_TRUE(View.LoadSelectedSession());
    EXPECT_FALSE(Model.Sorted());
    EXPECT_EQ(sgDBData->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(ShownRow(sgDBData, 0), 1);
}

// With the peak limit at -12 dBTP the violations are row 150 (-1.5), then the rows of -10 and -11: sorted
// by peak from the highest they are the first 87 rows shown.
TEST_F(LevelDataViewTest, WhileSortedTheStepsAndTheStatisticsJumpFollowTheRowsShown) {
    TComplianceStore Store(db);
    ASSERT_TRUE(Store.WriteSessionTarget(kId, {TStandardId::Custom, -20.0, 1.0, -12.0, true}));
    ASSERT_TRUE(View.LoadSelectedSession());
    const TLevelTableModel& Model = View.LevelTable().Model();
    ClickHeading(sgDBData, 3);
    ClickHeading(sgDBData, 3);
    EXPECT_EQ(Model.index(0, 0).data(TLevelTableModel::kViolationRole).toInt(), kViolationPeak);
    EXPECT_EQ(Model.index(0, 0).data(Qt::ToolTipRole).toString(), "Peak above the limit of -12.0 dBTP");
    EXPECT_EQ(Model.index(87, 0).data(TLevelTableModel::kViolationRole).toInt(), 0);
    struct TStep {
        int iFrom; // a view row; -1: no current row
        bool bForward;
        int iTo;
    } const aSteps[] = {
        {-1, true, 0},
        {0, true, 1},
        {85, true, 86},
        // Past the last violation shown the search starts again at the top, and the other way round.
        {86, true, 0},
        {200, true, 0},
        {200, false, 86},
        {0, false, 86},
        {-1, false, 86},
    };
    for (const TStep& t : aSteps) {
        SCOPED_TRACE(testing::Message() << t.iFrom << (t.bForward ? " forward" : " back"));
        sgDBData->setCurrentIndex(t.iFrom < 0 ? QModelIndex() : Model.index(t.iFrom, 3));
        (t.bForward ? btnNextViolation : btnPreviousViolation)->click();
        EXPECT_EQ(sgDBData->currentIndex().row(), t.iTo);
    }
    // The last violation shown is the last row of -11 recorded.
    EXPECT_EQ(ShownRow(sgDBData, 86), 296);

    // The highest peak's statistic finds row 150, shown first.
    ClickHeading(sgDBData, 3);
    const QRect rPeak = sgDBLoudnessMax->visualItemRect(sgDBLoudnessMax->item(1, 1));
    DoubleClick(sgDBLoudnessMax, rPeak.center());
    EXPECT_EQ(View.TCHighlight(), "10:02:30:00");
    EXPECT_EQ(sgDBData->currentIndex().row(), 299);
    EXPECT_EQ(ShownRow(sgDBData, sgDBData->currentIndex().row()), 151);
}

// Rows are one a second from 10:00:00:00 to 10:04:59:00.
TEST_F(LevelDataViewTest, GoingToATimecodeFindsItsRowOrTheNextOneWhereverItIsShown) {
    ASSERT_TRUE(View.LoadSelectedSession());
    ClickHeading(sgDBData, 3);
    struct TCase {
        const char* sWanted;
        int iShownRow; // 0: none, a message instead
    } const aCases[] = {
        {"10:01:00:00", 61},
        {"10:01:00:50", 62},
        {"09:00:00:00", 1},
        {"10:05:00:00", 0},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWanted);
        aMessages.clear();
        sgDBData->setCurrentIndex(sgDBData->model()->index(5, 4));
        EXPECT_EQ(View.GoToTimecode(c.sWanted), c.iShownRow > 0);
        if (c.iShownRow > 0) {
            EXPECT_EQ(ShownRow(sgDBData, sgDBData->currentIndex().row()), c.iShownRow);
            EXPECT_EQ(sgDBData->currentIndex().column(), 4);
            EXPECT_TRUE(aMessages.empty());
        } else {
            EXPECT_EQ(sgDBData->currentIndex().row(), 5);
            ASSERT_EQ(aMessages.size(), 1u);
            EXPECT_EQ(aMessages[0].first, QString("No row at or after timecode %1.").arg(c.sWanted));
            EXPECT_EQ(aMessages[0].second, kMsgWarning);
        }
    }

    // The dialog starts from the current row's timecode and goes to the one typed.
    TfrmGoToTimecode& dlg = View.GoToTimecodeDialog();
    const int iStart = ShownRow(sgDBData, sgDBData->currentIndex().row()) - 1;
    QString sOffered;
    EXPECT_TRUE(qxtest::DriveModal(
        dlg, [&] { View.AskGoToTimecode(); },
        [&] {
            sOffered = dlg.Timecode();
            dlg.editMin->setText("3");
            dlg.editSec->setText("20");
            dlg.btnOK->click();
        }));
    EXPECT_EQ(sOffered, View.LevelTable().CellText(iStart, 1));
    EXPECT_EQ(ShownRow(sgDBData, sgDBData->currentIndex().row()), 201);
    // Cancel goes nowhere.
    EXPECT_TRUE(qxtest::DriveModal(
        dlg, [&] { View.AskGoToTimecode(); },
        [&] {
            dlg.editMin->setText("00");
            dlg.btnCancel->click();
        }));
    EXPECT_EQ(ShownRow(sgDBData, sgDBData->currentIndex().row()), 201);
}

// A gap between rows 99 and 100: its separator reads across the table in recorded order, the keys step
// over it, a jump to a row or timecode lands on the row and no sort shows it.
TEST_F(LevelDataViewTest, AGapSeparatorSpansTheRowAndIsSteppedOver) {
    TSessionGap rGap;
    rGap.sReportId = kId;
    rGap.sTimeCodeBefore = "10:01:39:00";
    rGap.sTimeCodeAfter = "10:01:40:00";
    rGap.sReason = "The serial device disappeared.";
    ASSERT_TRUE(TSessionGapStore(db).InsertGap(rGap));
    ASSERT_TRUE(View.LoadSelectedSession());
    const QAbstractItemModel* Model = sgDBData->model();
    const int iColumns = Model->columnCount();
    ASSERT_EQ(Model->rowCount(), 301);
    EXPECT_EQ(sgDBData->columnSpan(100, 0), iColumns);
    EXPECT_EQ(sgDBData->columnSpan(99, 0), 1);
    EXPECT_TRUE(Model->index(100, 0).data().toString().startsWith("Gap: no reports from 10:01:39:00"));

    sgDBData->setCurrentIndex(Model->index(99, 2));
    QTest::keyClick(sgDBData, Qt::Key_Down);
    EXPECT_EQ(sgDBData->currentIndex().row(), 101);
    QTest::keyClick(sgDBData, Qt::Key_Up);
    EXPECT_EQ(sgDBData->currentIndex().row(), 99);

    // The peak maximum lies at row 150, shown one lower.
    DoubleClick(sgDBLoudnessMax, sgDBLoudnessMax->visualItemRect(sgDBLoudnessMax->item(1, 1)).center());
    EXPECT_EQ(sgDBData->currentIndex().row(), 151);
    EXPECT_EQ(sgDBData->currentIndex().data().toString(), "10:02:30:00");
    ASSERT_TRUE(View.GoToTimecode("10:01:40:00"));
    EXPECT_EQ(sgDBData->currentIndex().row(), 101);
    EXPECT_EQ(sgDBData->currentIndex().data().toString(), "10:01:40:00");

    ClickHeading(sgDBData, 3);
    EXPECT_EQ(Model->rowCount(), 300);
    for (const int iRow : {99, 100, 101})
        EXPECT_EQ(sgDBData->columnSpan(iRow, 0), 1) << iRow;
    EXPECT_EQ(sgDBData->currentIndex().data().toString(), "10:01:40:00");
    ClickHeading(sgDBData, 0);
    EXPECT_EQ(Model->rowCount(), 301);
    EXPECT_EQ(sgDBData->columnSpan(100, 0), iColumns);
    EXPECT_EQ(sgDBData->currentIndex().row(), 101);
    // Painted across the row: the separator's strip, not a level cell's frame, at the last column.
    QApplication::processEvents();
    const QRect rLast = sgDBData->visualRect(Model->index(100, iColumns - 1));
    EXPECT_GE(sgDBData->visualRect(Model->index(100, 0)).right(), rLast.right());
}

} // namespace
