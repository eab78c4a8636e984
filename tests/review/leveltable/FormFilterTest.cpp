#include "review/FormFilter.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "tests/support/DialogTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FormFilterTest : public ::testing::Test {
protected:
    FormFilterTest() : MessageBox(iLNG, &Owner), frmFilter(&Owner) {
        frmFilter.SetServices(Services);
        MessageBox.SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r.sText);
            aKinds.push_back(r.iKind);
            return kMsgResultOK;
        });
    }

    // Opens the dialog, runs fnDrive on it and returns Execute's result.
    bool Open(const std::function<void()>& fnDrive) {
        bool bResult = false;
        EXPECT_TRUE(qxtest::DriveModal(
            frmFilter, [&] { bResult = frmFilter.Execute(); }, fnDrive));
        return bResult;
    }

    TSettings Settings;
    int& iLNG = Settings.iLNG;
    QWidget Owner;
    TFilterOptions& Options = Settings.rFilterOptions;
    TMessageBox MessageBox;
    qxtest::TMessageBoxServices Services{Settings, MessageBox};
    TfrmFilter frmFilter;
    std::vector<QString> aMessages;
    std::vector<int> aKinds;
};

TEST_F(FormFilterTest, OkKeepsLevelsWithAPointAndTheTimesAsTyped) {
    Options.bEnablePeakOver = true;
    Options.sPeakOver = "-6,5";
    Options.bEnableTCStart = true;
    Options.sTCStart = "10:00:00:00";
    Options.sIntUnder = "abc"; // not checked: never read
    EXPECT_TRUE(Open([&] {
        EXPECT_TRUE(frmFilter.editPeakOver->isEnabled());
        EXPECT_FALSE(frmFilter.editPeakUnder->isEnabled());
        EXPECT_EQ(frmFilter.editTCStartHr->text(), "10");
        EXPECT_TRUE(frmFilter.editTCStartHr->isEnabled());
        EXPECT_FALSE(frmFilter.editTCStopHr->isEnabled());
        EXPECT_FALSE(frmFilter.editTCStartFrame->isEnabled());
        frmFilter.editTCStartMin->setText("7"); // taken as it stands
        frmFilter.btnOK->click();
    }));
    EXPECT_EQ(frmFilter.Tag(), TfrmFilter::kTagOK);
    EXPECT_EQ(frmFilter.editPeakOver->text(), "-6.5");
    EXPECT_EQ(Options.sPeakOver, "-6.5");
    EXPECT_EQ(Options.sTCStart, "10:7:00:00");
    EXPECT_EQ(Options.sTCEnd, "00:00:00:00");
    EXPECT_TRUE(aMessages.empty());
}

TEST_F(FormFilterTest, ATextThatIsNoNumberIsRefusedWithItsGroupsMessage) {
    struct TCase {
        QString TFilterOptions::*pText;
        bool TFilterOptions::*pEnabled;
        int iMessage;
    };
    const TCase aCases[] = {
        {&TFilterOptions::sPeakUnder, &TFilterOptions::bEnablePeakUnder, kTxtInvalidPeakLevel},
        {&TFilterOptions::sHiOver, &TFilterOptions::bEnableHiOver, kTxtInvalidLoudnessHighLevel},
        {&TFilterOptions::sLoUnder, &TFilterOptions::bEnableLoUnder, kTxtInvalidLoudnessLowLevel},
        {&TFilterOptions::sIntOver, &TFilterOptions::bEnableIntOver, kTxtInvalidIntegratingLevel},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.iMessage);
        Options = {};
        aMessages.clear();
        Options.*c.pEnabled = true;
        Options.*c.pText = "abc";
        // A valid limit checked after the bad one does not hide it.
        Options.bEnableIntUnder = true;
        EXPECT_FALSE(Open([&] {
            frmFilter.btnOK->click();
            EXPECT_TRUE(frmFilter.isVisible());
            frmFilter.btnCancel->click();
        }));
        ASSERT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(aMessages[0], GetText(c.iMessage, kLanguageEnglish));
        EXPECT_EQ(aKinds[0], kMsgError);
        EXPECT_EQ(frmFilter.Tag(), 0);
    }
}

TEST_F(FormFilterTest, CheckingALimitEnablesAndSelectsItsEditResetClearsAll) {
    Options.bEnableTCEnd = true;
    Options.sTCEnd = "11:22:33:00";
    Options.bEnableLoUnder = true;
    Options.sLoUnder = "-3";
    frmFilter.SetLoudnessUnit("LUFS");
    EXPECT_FALSE(Open([&] {
        EXPECT_EQ(frmFilter.lblIntB->text(), "LUFS");
        EXPECT_EQ(frmFilter.lblLoudHiA->text(), "LUFS");
        EXPECT_EQ(frmFilter.lblPeakA->text(), "dBFS.");
        frmFilter.chkLoudHiOver->click();
        EXPECT_TRUE(frmFilter.editLoudHiOver->isEnabled());
        EXPECT_EQ(frmFilter.focusWidget(), frmFilter.editLoudHiOver);
        EXPECT_EQ(frmFilter.editLoudHiOver->selectedText(), "-80.0");
        frmFilter.chkLoudHiOver->click();
        EXPECT_FALSE(frmFilter.editLoudHiOver->isEnabled());

        frmFilter.btnReset->click();
        EXPECT_TRUE(frmFilter.isVisible());
        for (QCheckBox* chk : frmFilter.findChildren<QCheckBox*>())
            EXPECT_FALSE(chk->isChecked()) << chk->objectName().toStdString();
        EXPECT_EQ(frmFilter.editTCStopHr->text(), "00");
        EXPECT_FALSE(frmFilter.editTCStopHr->isEnabled());
        EXPECT_EQ(frmFilter.editLoudLoUnder->text(), "0.0");
        EXPECT_EQ(frmFilter.editIntOver->text(), "-80.0");
        EXPECT_FALSE(frmFilter.editLoudLoUnder->isEnabled());
        frmFilter.btnCancel->click();
    }));
    // Cancel keeps the switches and texts as left, but not the times.
    EXPECT_FALSE(Options.bEnableLoUnder);
    EXPECT_EQ(Options.sLoUnder, "0.0");
    EXPECT_EQ(Options.sTCEnd, "11:22:33:00");
}

TEST_F(FormFilterTest, CaptionsFollowTheLanguage) {
    iLNG = kLanguageDanish;
    EXPECT_FALSE(Open([&] {
        EXPECT_EQ(frmFilter.windowTitle(), "Filtrer Data.");
        EXPECT_EQ(frmFilter.chkPeakOver->text(), "Over");
        EXPECT_EQ(frmFilter.chkIntUnder->text(), "Under");
        EXPECT_EQ(frmFilter.grpLoudHi->title(), "Loudness Høj.");
        EXPECT_EQ(frmFilter.btnReset->text(), "Nulstil");
        frmFilter.btnCancel->click();
    }));
}

TEST_F(FormFilterTest, TheDialogsStateSurvivesARestart) {
    QTemporaryDir dir;
    const QString sINI = dir.filePath("QXLogging.INI");
    TSettings Saved;
    qxtest::TMessageBoxServices SavedServices(Saved, MessageBox);
    frmFilter.SetServices(SavedServices);
    EXPECT_TRUE(Open([&] {
        frmFilter.chkIntOver->click();
        frmFilter.editIntOver->setText("-23,5");
        frmFilter.chkTCStart->click();
        frmFilter.editTCStartHr->setText("12");
        frmFilter.btnOK->click();
    }));
    QString sError;
    ASSERT_TRUE(WriteIni(sINI, Saved, sError)) << sError.toStdString();

    TSettings Read;
    ASSERT_TRUE(ReadIni(sINI, Read));
    EXPECT_EQ(Read.rFilterOptions, Saved.rFilterOptions);
    TfrmFilter frmAgain(&Owner);
    qxtest::TMessageBoxServices ReadServices(Read, MessageBox);
    frmAgain.SetServices(ReadServices);
    EXPECT_TRUE(qxtest::DriveModal(
        frmAgain, [&] { frmAgain.Execute(); },
        [&] {
            EXPECT_TRUE(frmAgain.chkIntOver->isChecked());
            EXPECT_EQ(frmAgain.editIntOver->text(), "-23.5");
            EXPECT_EQ(frmAgain.editTCStartHr->text(), "12");
            EXPECT_TRUE(frmAgain.editTCStartHr->isEnabled());
            frmAgain.btnCancel->click();
        }));
}

} // namespace
