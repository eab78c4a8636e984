#include "dialogs/FormTCControl.h"
#include "core/Settings.h"
#include "tests/support/DialogTestSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class FormTCControlTest : public ::testing::Test {
protected:
    FormTCControlTest() : frmTCControl(&Owner) {
        frmTCControl.SetServices(Services);
        TCCtrl.EnabledStart = true;
        TCCtrl.EnabledStop = true;
        TCCtrl.TCStart = "10:30:00:00";
        TCCtrl.TCStop = "11:45:30:00";
    }

    // Opens the dialog from TCCtrl, runs fnDrive on it and returns Execute's result.
    bool Open(const std::function<void()>& fnDrive) {
        bool bResult = false;
        EXPECT_TRUE(qxtest::DriveModal(
            frmTCControl, [&] { bResult = frmTCControl.Execute(); }, fnDrive));
        return bResult;
    }

    QLineEdit* Focused() const { return qobject_cast<QLineEdit*>(frmTCControl.focusWidget()); }
    void Key(int iKey, const QString& sText = QString()) { qxtest::TypeKey(frmTCControl, iKey, sText); }

    TSettings Settings;
    int& iLNG = Settings.iLNG;
    TTimecodeControl& TCCtrl = Settings.TCCtrl;
    qxtest::TRecordingServices Services{Settings};
    QWidget Owner;
    TfrmTCControl frmTCControl;
};

TEST_F(FormTCControlTest, OpensWithTheRecordAndTheCaretAtTheStartOfTheHours) {
    EXPECT_TRUE(Open([&] {
        EXPECT_EQ(frmTCControl.editTCStartHr->text(), "10");
        EXPECT_EQ(frmTCControl.editTCStartMin->text(), "30");
        EXPECT_EQ(frmTCControl.editTCStartSec->text(), "00");
        EXPECT_EQ(frmTCControl.editTCStopSec->text(), "30");
        EXPECT_EQ(frmTCControl.editTCStartFrame->text(), "00");
        EXPECT_FALSE(frmTCControl.editTCStartFrame->isEnabled());
        EXPECT_EQ(Focused(), frmTCControl.editTCStartHr);
        EXPECT_EQ(frmTCControl.editTCStartHr->cursorPosition(), 0);
        EXPECT_FALSE(frmTCControl.editTCStartHr->hasSelectedText());
        frmTCControl.btnOK->click();
    }));
    EXPECT_EQ(TCCtrl.TCStart, "10:30:00:00");
    EXPECT_EQ(TCCtrl.TCStop, "11:45:30:00");
}

// Typing six digits walks the start fields; from the seconds the caret goes on only to an enabled stop.
class TypingChainTest : public FormTCControlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TypingChainTest, TwoDigitsFillAFieldAndMoveOn) {
    const bool bStopEnabled = GetParam();
    TCCtrl.EnabledStop = bStopEnabled;
    QLineEdit* pEnd = nullptr;
    EXPECT_TRUE(Open([&] {
        qxtest::TypeText(frmTCControl, "123456");
        pEnd = Focused();
        frmTCControl.btnOK->click();
    }));
    EXPECT_EQ(TCCtrl.TCStart, "12:34:56:00");
    EXPECT_EQ(pEnd, bStopEnabled ? frmTCControl.editTCStopHr : frmTCControl.editTCStartSec);
    EXPECT_EQ(TCCtrl.EnabledStop, bStopEnabled);
    EXPECT_EQ(TCCtrl.TCStop, "11:45:30:00");
}

INSTANTIATE_TEST_SUITE_P(StopEnabled, TypingChainTest, ::testing::Bool());

TEST_F(FormTCControlTest, OnlyTwoDigitsAreAccepted) {
    EXPECT_TRUE(Open([&] {
        // Letters are refused and do not move the caret.
        Key(Qt::Key_A, "a");
        EXPECT_EQ(frmTCControl.editTCStartHr->text(), "10");
        EXPECT_EQ(frmTCControl.editTCStartHr->cursorPosition(), 0);
        // Overwrite mode: a third digit never makes a field longer.
        QLineEdit* pMin = frmTCControl.editTCStartMin;
        pMin->setFocus();
        pMin->setCursorPosition(0);
        qxtest::TypeText(frmTCControl, "9");
        EXPECT_EQ(pMin->text(), "90");
        qxtest::TypeText(frmTCControl, "9");
        EXPECT_EQ(pMin->text(), "99");
        EXPECT_EQ(Focused(), frmTCControl.editTCStartSec);
        // Text put in by other means than typing is held to two digits as well.
        pMin->setFocus();
        pMin->selectAll();
        pMin->insert("123");
        pMin->insert("x");
        EXPECT_LE(pMin->text().size(), 2);
        pMin->setText("99");
        frmTCControl.btnOK->click();
    }));
    // No range check: 99 is stored as typed.
    EXPECT_EQ(TCCtrl.TCStart, "10:99:00:00");
}

TEST_F(FormTCControlTest, EmptyAndShortFieldsArePaddedWithZeros) {
    EXPECT_TRUE(Open([&] {
        frmTCControl.editTCStartMin->clear();
        frmTCControl.editTCStopHr->setText("7");
        frmTCControl.btnOK->click();
    }));
    EXPECT_EQ(TCCtrl.TCStart, "10:00:00:00");
    EXPECT_EQ(TCCtrl.TCStop, "07:45:30:00");
}

TEST_F(FormTCControlTest, ArrowKeysWalkAcrossFieldBorders) {
    EXPECT_FALSE(Open([&] {
        QLineEdit* pMin = frmTCControl.editTCStartMin;
        pMin->setFocus();
        pMin->setCursorPosition(0);
        Key(Qt::Key_Left);
        EXPECT_EQ(Focused(), frmTCControl.editTCStartHr);
        // Between the two digits of the hours.
        EXPECT_EQ(frmTCControl.editTCStartHr->cursorPosition(), 1);
        Key(Qt::Key_Right);
        EXPECT_EQ(Focused(), pMin);
        EXPECT_EQ(pMin->cursorPosition(), 0);
        Key(Qt::Key_Right);
        EXPECT_EQ(Focused(), pMin);
        EXPECT_EQ(pMin->cursorPosition(), 1);
        Key(Qt::Key_Down);
        EXPECT_EQ(Focused(), frmTCControl.editTCStartSec);
        Key(Qt::Key_Up);
        EXPECT_EQ(Focused(), pMin);
        // Backspace never leaves the field.
        pMin->setCursorPosition(1);
        Key(Qt::Key_Backspace);
        EXPECT_EQ(Focused(), pMin);
        EXPECT_EQ(pMin->text(), "0");
        // The first field has no field before it.
        frmTCControl.editTCStartHr->setFocus();
        frmTCControl.editTCStartHr->setCursorPosition(0);
        Key(Qt::Key_Left);
        EXPECT_EQ(Focused(), frmTCControl.editTCStartHr);
        frmTCControl.btnCancel->click();
    }));
}

TEST_F(FormTCControlTest, DisabledStartIsNotEnteredFromTheStop) {
    TCCtrl.EnabledStart = false;
    EXPECT_TRUE(Open([&] {
        EXPECT_FALSE(frmTCControl.editTCStartSec->isEnabled());
        EXPECT_EQ(Focused(), frmTCControl.editTCStopHr);
        Key(Qt::Key_Left);
        EXPECT_EQ(Focused(), frmTCControl.editTCStopHr);
        // Switching the start on enables its fields and puts the caret at the start of its hours.
        frmTCControl.chkEnabledStart->click();
        EXPECT_TRUE(frmTCControl.editTCStartSec->isEnabled());
        EXPECT_EQ(Focused(), frmTCControl.editTCStartHr);
        frmTCControl.btnOK->click();
    }));
    EXPECT_TRUE(TCCtrl.EnabledStart);
}

TEST_F(FormTCControlTest, CancelAndEscLeaveTheRecordTheCloseButtonStores) {
    const TTimecodeControl rBefore = TCCtrl;
    EXPECT_FALSE(Open([&] {
        frmTCControl.editTCStartHr->setText("23");
        frmTCControl.chkEnabledStop->click();
        frmTCControl.btnCancel->click();
    }));
    EXPECT_EQ(frmTCControl.Tag(), TfrmTCControl::kTagCancelled);
    EXPECT_EQ(TCCtrl, rBefore);

    EXPECT_FALSE(Open([&] {
        frmTCControl.editTCStartHr->setText("23");
        Key(Qt::Key_Escape);
    }));
    EXPECT_EQ(TCCtrl, rBefore);

    EXPECT_TRUE(Open([&] {
        frmTCControl.editTCStartHr->setText("23");
        frmTCControl.chkEnabledStop->click();
        frmTCControl.close();
    }));
    EXPECT_EQ(frmTCControl.Tag(), 0);
    EXPECT_EQ(TCCtrl.TCStart, "23:30:00:00");
    EXPECT_FALSE(TCCtrl.EnabledStop);
}

TEST_F(FormTCControlTest, CaptionsFollowTheLanguageButNotTheWindowTitle) {
    iLNG = 1;
    EXPECT_TRUE(Open([&] {
        EXPECT_EQ(frmTCControl.grpTimeStart->title(), "Start tid.");
        EXPECT_EQ(frmTCControl.grpTimeStop->title(), "Stop tid.");
        EXPECT_EQ(frmTCControl.chkEnabledStart->text(), "Aktiveret.");
        EXPECT_EQ(frmTCControl.btnCancel->text(), "Annuller");
        EXPECT_EQ(frmTCControl.windowTitle(), "Timecode Control.");
        frmTCControl.btnOK->click();
    }));
}

} // namespace
