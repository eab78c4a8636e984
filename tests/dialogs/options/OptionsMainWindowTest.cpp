#include "app/FormMain.h"
#include "dialogs/FormOptions.h"
#include "dialogs/MessageBox.h"
#include "engine/LiveChart.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The main window with its options dialog, wired as the program wires them, in a fresh data folder.
class OptionsMainWindowTest : public ::testing::Test {
protected:
    OptionsMainWindowTest() : frmOptions(new TfrmOptions(&frmMain)) {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            return iAnswer;
        });
        TAppWindows Windows;
        Windows.frmMain = &frmMain;
        Windows.frmOptions = frmOptions;
        frmMain.SetWindows(Windows);
        frmOptions->SetServices(frmMain);
        frmMain.UpdateGUIStrings();
    }
    bool Open(const std::function<void()>& fnDrive) {
        return qxtest::DriveModal(
            *frmOptions, [this] { frmOptions->exec(); }, fnDrive);
    }

    qxtest::TFreshConfigHome Home;
    TfrmMain frmMain;
    TfrmOptions* frmOptions;
    std::vector<QString> aMessages;
    int iAnswer = kMsgResultOK;
};

} // namespace

TEST_F(OptionsMainWindowTest, DanskSwitchesTheMainWindowAtOnceWhileTheDialogStaysEnglish) {
    ASSERT_EQ(frmMain.mnuFiles->title(), "File");
    ASSERT_TRUE(Open([this] {
        frmOptions->cboLanguage->setCurrentIndex(1);
        frmOptions->btnOK->click();
    }));
    EXPECT_EQ(frmMain.iLNG, 1);
    EXPECT_EQ(frmMain.mnuFiles->title(), "Filer");
    EXPECT_EQ(frmMain.btnConnect->text(), "Tilslut");
    ASSERT_TRUE(Open([this] {
        EXPECT_EQ(frmOptions->windowTitle(), "Global Options.");
        EXPECT_EQ(frmOptions->btnCancel->text(), "Cancel");
        EXPECT_EQ(frmOptions->chkEnableAdvancedTC->text(), "Enable Advanced TimeCode Control.");
        EXPECT_EQ(frmOptions->cboLanguage->itemText(1), "Dansk");
        frmOptions->btnCancel->click();
    }));
}

TEST_F(OptionsMainWindowTest, TimecodeControlNoLongerOfferedHidesTheBoxAndTheMenuAndSwitchesItOff) {
    frmMain.chkAutoStart->setChecked(true);
    frmMain.LoggingView->chkAutoStartClick();
    ASSERT_TRUE(frmMain.Ctrl.Settings.TCCtrl.Enabled);
    ASSERT_TRUE(Open([this] {
        EXPECT_TRUE(frmOptions->chkEnableAdvancedTC->isChecked());
        frmOptions->chkEnableAdvancedTC->click();
        frmOptions->btnOK->click();
    }));
    EXPECT_FALSE(frmMain.Ctrl.Settings.TCCtrl.OptionEnabled);
    EXPECT_TRUE(frmMain.chkAutoStart->isHidden());
    EXPECT_FALSE(frmMain.chkAutoStart->isChecked());
    EXPECT_FALSE(frmMain.mnuTCControl->isVisible());
    EXPECT_FALSE(frmMain.Ctrl.Settings.TCCtrl.Enabled) << "timecode control switched off";

    ASSERT_TRUE(Open([this] {
        frmOptions->chkEnableAdvancedTC->click();
        frmOptions->btnOK->click();
    }));
    EXPECT_FALSE(frmMain.chkAutoStart->isHidden());
    EXPECT_TRUE(frmMain.mnuTCControl->isVisible());
    EXPECT_FALSE(frmMain.chkAutoStart->isChecked()) << "offered again, not switched on";
}

TEST_F(OptionsMainWindowTest, RestoreDefaultSettingsDeletesTheFileAndReadsTheDefaults) {
    frmMain.iLNG = 1;
    frmMain.Ctrl.Settings.rChartOptions.iPeakLineWidth = 7;
    frmMain.WriteIni();
    ASSERT_TRUE(QFile::exists(frmMain.Ctrl.sINI));
    frmMain.UpdateGUIStrings();
    ASSERT_EQ(frmMain.mnuFiles->title(), "Filer");

    iAnswer = kMsgResultYes;
    ASSERT_TRUE(Open([this] {
        frmOptions->chkDefaultSettings->click();
        frmOptions->btnDefaultSettings->click();
    }));
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0], "Er du sikker på, at du vil gendanne alle indstillinger til standard?");
    EXPECT_FALSE(QFile::exists(frmMain.Ctrl.sINI));
    EXPECT_EQ(frmMain.iLNG, 0);
    EXPECT_EQ(frmMain.Ctrl.Settings.rChartOptions.iPeakLineWidth, 1);
    EXPECT_EQ(frmMain.mnuFiles->title(), "File");
}

TEST_F(OptionsMainWindowTest, TheMainWindowsStatesSwitchRestoringOffAndOn) {
    frmOptions->EnsureControls();
    frmMain.SetMainGUI(kGUIConnecting);
    EXPECT_FALSE(frmOptions->grpDefaultSettings->isEnabled());
    EXPECT_FALSE(frmOptions->chkDefaultSettings->isEnabled());
    frmMain.SetMainGUI(kGUINoInstrument);
    EXPECT_TRUE(frmOptions->grpDefaultSettings->isEnabled());
    EXPECT_TRUE(frmOptions->chkDefaultSettings->isEnabled());
}

// The dialog's controls are built at its first opening; a state the main window reached before that
// still holds once they exist.
TEST_F(OptionsMainWindowTest, AStateReachedBeforeTheFirstOpeningHoldsWhenTheDialogOpens) {
    frmMain.SetMainGUI(kGUIConnected);
    frmMain.SetMainGUI(kGUILogging);
    ASSERT_TRUE(Open([this] {
        EXPECT_FALSE(frmOptions->grpDefaultSettings->isEnabled());
        EXPECT_FALSE(frmOptions->chkDefaultSettings->testAttribute(Qt::WA_ForceDisabled));
        EXPECT_TRUE(frmOptions->btnDefaultSettings->testAttribute(Qt::WA_ForceDisabled));
        frmOptions->btnCancel->click();
    }));
}

TEST_F(OptionsMainWindowTest, LiveChartTakesNewPensWhileItShowsItsLegend) {
    TLiveChart* Chart = frmMain.LoggingView->ChartLogging;
    Chart->legend->setVisible(true);
    ASSERT_TRUE(Open([this] {
        frmOptions->imgSeriesPeakLineColor->SetColor(clFuchsia);
        frmOptions->editSeriesPeakLineWidth->setText("4");
        frmOptions->btnOK->click();
    }));
    const QPen Pen = Chart->graph(TLiveChart::kSeriesPeak)->pen();
    EXPECT_EQ(Pen.color(), QColor(0xFF, 0x00, 0xFF));
    EXPECT_EQ(Pen.width(), 4);
}
