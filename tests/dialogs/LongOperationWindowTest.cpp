#include "dialogs/LongOperationWindow.h"
#include "core/Drawing.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The progress's own rules, on a clock the test sets.
TEST(OperationProgressTest, ShowsFromTheThresholdOnAndCountsInTenthsOfAPercent) {
    qint64 iNow = 5000;
    TOperationProgress Progress([&] { return iNow; });
    // Before Start nothing shows and nothing cancels.
    EXPECT_FALSE(Progress.Note(1, 2));
    Progress.Cancel();
    EXPECT_FALSE(Progress.Cancelled());

    struct TCase {
        qint64 iAfterMs;
        qint64 iDone, iTotal;
        bool bShowing;
        int iPermille;
    };
    const TCase aCases[] = {
        {0, 0, 100, false, 0},
        {999, 50, 100, false, 500},
        {1000, 1, 3, true, 333},
        // Shown once, it stays until the operation ends.
        {1000, 2, 3, true, 666},
        {1500, 7, 0, true, -1},     // total not known
        {1500, 12, 10, true, 1000}, // more than counted reads as all
        {1500, -4, 10, true, 0},
        {1500, 604800, 604800, true, 1000},
    };
    Progress.Start();
    const qint64 iStart = iNow;
    for (const TCase& c : aCases) {
        iNow = iStart + c.iAfterMs;
        EXPECT_EQ(Progress.Note(c.iDone, c.iTotal), c.bShowing) << c.iAfterMs << " " << c.iDone;
        EXPECT_EQ(Progress.Permille(), c.iPermille) << c.iDone << " of " << c.iTotal;
    }
    Progress.Cancel();
    EXPECT_TRUE(Progress.Cancelled());
    // The next operation starts afresh: hidden, not cancelled.
    Progress.Start();
    EXPECT_FALSE(Progress.Cancelled());
    EXPECT_FALSE(Progress.Showing());
    Progress.Finish();
    iNow += 5000;
    EXPECT_FALSE(Progress.Note(1, 1));
}

TEST(OperationProgressTest, PaintsAtTheFirstPumpAndThenEveryInterval) {
    qint64 iNow = 0;
    TOperationProgress Progress([&] { return iNow; });
    Progress.Start();
    const std::pair<qint64, bool> aPumps[] = {{0, true},   {0, false},  {29, false}, {30, true},
                                              {45, false}, {59, false}, {60, true},  {500, true}};
    for (const auto& [iAt, bDue] : aPumps) {
        iNow = iAt;
        EXPECT_EQ(Progress.PaintDue(), bDue) << iAt;
    }
    // A new operation paints at its first pump again.
    Progress.Start();
    EXPECT_TRUE(Progress.PaintDue());
}

// The main window's long operation over its wait window, on a clock the test sets.
class LongOperationWindowTest : public ::testing::Test {
protected:
    LongOperationWindowTest() : frmWait(&Main), Operation(Main, [this] { return iNow; }) {
        Main.setGeometry(120, 80, 801, 600);
        Main.show();
        frmWait.SetLanguage(&iLNG);
    }
    ~LongOperationWindowTest() override { frmWait.hide(); }

    int iLNG = kLanguageEnglish;
    qint64 iNow = 1000;
    QWidget Main;
    TfrmWait frmWait;
    TLongOperationWindow Operation;
};

TEST_F(LongOperationWindowTest, AQuickOperationLooksAsAlwaysAndProgressComesAfterASecond) {
    Operation.Begin(&frmWait, kTxtLoadingData);
    EXPECT_TRUE(frmWait.isVisible());
    EXPECT_EQ(frmWait.WaitText(), "Loading data, please wait...");
    EXPECT_FALSE(Main.isEnabled());
    // Within the first second: the wait window as it always was (the window paints every 30 ms at most).
    for (const qint64 iAt : {0, 30, 500, 960}) {
        iNow = 1000 + iAt;
        EXPECT_TRUE(Operation.Pump(iAt, 2000));
        EXPECT_FALSE(frmWait.IsShowingProgress()) << iAt;
        EXPECT_FALSE(frmWait.btnCancel->isVisible()) << iAt;
        EXPECT_EQ(frmWait.size(), QSize(TfrmWait::kWidth, TfrmWait::kHeight));
    }
    // From one second on: how far, and the Cancel button, centred over the main window still.
    iNow = 2000;
    EXPECT_TRUE(Operation.Pump(500, 2000));
    ASSERT_TRUE(frmWait.IsShowingProgress());
    EXPECT_TRUE(frmWait.btnCancel->isVisible());
    EXPECT_TRUE(frmWait.pbWait->isVisible());
    EXPECT_EQ(frmWait.btnCancel->text(), "Cancel");
    EXPECT_EQ(frmWait.pbWait->value() * 4, frmWait.pbWait->maximum());
    EXPECT_EQ(frmWait.pos(), CentreOver(Main.frameGeometry(), frmWait.size()));
    // Between paints the bar waits for the next one.
    iNow = 2010;
    EXPECT_TRUE(Operation.Pump(1000, 2000));
    EXPECT_EQ(frmWait.pbWait->value() * 4, frmWait.pbWait->maximum());
    iNow = 2040;
    EXPECT_TRUE(Operation.Pump(1000, 2000));
    EXPECT_EQ(frmWait.pbWait->value() * 2, frmWait.pbWait->maximum());
    // A count that is not known shows a busy bar.
    iNow = 2080;
    EXPECT_TRUE(Operation.Pump(1500, 0));
    EXPECT_EQ(frmWait.pbWait->maximum(), 0);

    Operation.End();
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(frmWait.isVisible());
    // The next operation starts as a quick one again, in the window's own size.
    Operation.Begin(&frmWait, kTxtCreatingCSV);
    EXPECT_FALSE(frmWait.IsShowingProgress());
    EXPECT_EQ(frmWait.size(), QSize(TfrmWait::kWidth, TfrmWait::kHeight));
    Operation.End();
}

TEST_F(LongOperationWindowTest, CancelIsTheOneThingTheUserCanClickAndTheNextPumpSaysSo) {
    iLNG = kLanguageDanish;
    QPushButton btnMain(&Main);
    int iMainClicks = 0;
    QObject::connect(&btnMain, &QPushButton::clicked, [&] { ++iMainClicks; });
    btnMain.show();
    Operation.Begin(&frmWait, kTxtLoadingData);
    iNow += TOperationProgress::kShowAfterMs;
    ASSERT_TRUE(Operation.Pump(10, 100));
    ASSERT_TRUE(frmWait.IsShowingProgress());
    EXPECT_EQ(frmWait.btnCancel->text(), "Annuller");
    // The main window takes no click; the wait window's Cancel does.
    QTest::mouseClick(&btnMain, Qt::LeftButton);
    EXPECT_EQ(iMainClicks, 0);
    QTest::mouseClick(frmWait.btnCancel, Qt::LeftButton);
    EXPECT_TRUE(Operation.Progress().Cancelled());
    // Seen at the next pump, whether or not it is time to paint.
    EXPECT_FALSE(Operation.Pump(11, 100));
    iNow += 100;
    EXPECT_FALSE(Operation.Pump(12, 100));
    Operation.End();
    EXPECT_TRUE(Main.isEnabled());
    // A click that comes after the operation ended cancels nothing later.
    frmWait.btnCancel->click();
    Operation.Begin(&frmWait, kTxtLoadingData);
    EXPECT_TRUE(Operation.Pump(0, 100));
    Operation.End();
}

TEST_F(LongOperationWindowTest, AThresholdOfZeroShowsTheProgressAtTheFirstPump) {
    Operation.Progress().SetShowAfterMs(0);
    Operation.Begin(&frmWait, kTxtCreatingPDF);
    EXPECT_FALSE(frmWait.IsShowingProgress());
    EXPECT_TRUE(Operation.Pump(0, 10));
    EXPECT_TRUE(frmWait.IsShowingProgress());
    Operation.End();
    // Without a wait window the main window is still disabled meanwhile, and a pump only paints.
    Operation.Begin(nullptr, kTxtCreatingPDF);
    EXPECT_FALSE(Main.isEnabled());
    EXPECT_TRUE(Operation.Pump(5, 10));
    Operation.End();
    EXPECT_TRUE(Main.isEnabled());
}

} // namespace
