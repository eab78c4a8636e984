#include "dialogs/FormSessionInfo.h"
#include "dialogs/MessageBox.h"
#include "tests/support/DialogTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The dialog as the program creates it, with a main window, its language, its message box (answered here)
// and its selected stored session.
class FormSessionInfoTest : public ::testing::Test {
protected:
    FormSessionInfoTest() : MessageBox(iLNG, &Owner), frmSessionInfo(&Owner) {
        Owner.setGeometry(100, 100, 800, 600);
        MessageBox.SetResponder([this](const TMessageBoxRequest& r) {
            aMessages.push_back(r);
            return kMsgResultOK;
        });
        frmSessionInfo.SetContext(Services, &rSelectedSessionInfo);
    }

    // Opens the dialog for a new session, types the five texts and presses OK or Cancel.
    bool NewSession(const TSessionTexts& rTyped, bool bOK) {
        bool bResult = false;
        const bool bDriven = qxtest::DriveModal(
            frmSessionInfo, [&] { bResult = frmSessionInfo.ExecuteNewSession(); },
            [&] {
                sCaptionSeen = frmSessionInfo.windowTitle();
                rTextsSeen = frmSessionInfo.EditTexts();
                Type(rTyped);
                (bOK ? frmSessionInfo.btnOK : frmSessionInfo.btnCancel)->click();
            });
        EXPECT_TRUE(bDriven);
        return bResult;
    }

    void Type(const TSessionTexts& rTexts) {
        const std::pair<QLineEdit*, QString> aFields[] = {
            {frmSessionInfo.editShowTitle, rTexts.sShowTitle},
            {frmSessionInfo.editShowNumber, rTexts.sShowNumber},
            {frmSessionInfo.editOperatorName, rTexts.sOperatorName},
            {frmSessionInfo.editFormat, rTexts.sFormat},
            {frmSessionInfo.editNotes, rTexts.sNotes}};
        for (const auto& [edit, sText] : aFields) {
            edit->setFocus();
            edit->selectAll();
            qxtest::TypeText(frmSessionInfo, sText);
        }
    }

    TSettings Settings;
    int& iLNG = Settings.iLNG;
    QWidget Owner;
    TMessageBox MessageBox;
    qxtest::TMessageBoxServices Services{Settings, MessageBox};
    TfrmSessionInfo frmSessionInfo;
    TSessionInfo rSelectedSessionInfo;
    std::vector<TMessageBoxRequest> aMessages;
    QString sCaptionSeen;
    TSessionTexts rTextsSeen;
};

TEST_F(FormSessionInfoTest, TypedTextsBecomeTheSessionTexts) {
    ASSERT_TRUE(NewSession({"Evening News", "17", "Anna", "HD 1080i", "Studio 2"}, true));
    EXPECT_EQ(frmSessionInfo.Tag(), TfrmSessionInfo::kTagNewSessionOK);
    EXPECT_EQ(sCaptionSeen, "Start new session...");
    TSessionInfo rSession;
    rSession.sTimeCodeStart = "10:00:00:00";
    frmSessionInfo.TakeSessionTexts(rSession);
    EXPECT_EQ(SessionTextsOf(rSession),
              (TSessionTexts{"Evening News", "17", "Anna", "HD 1080i", "Studio 2"}));
    EXPECT_EQ(rSession.sTimeCodeStart, "10:00:00:00");
    EXPECT_TRUE(aMessages.empty());
}

TEST_F(FormSessionInfoTest, DoubleQuoteInTheTitleIsRemovedWithOneMessage) {
    ASSERT_TRUE(NewSession({"The \"Late\" Show", "1", "Bo", "SD", "say \"hi\""}, true));
    TSessionInfo rSession;
    frmSessionInfo.TakeSessionTexts(rSession);
    EXPECT_EQ(rSession.sShowTitle, "The Late Show");
    EXPECT_EQ(rSession.sNotes, "say hi");
    EXPECT_EQ(frmSessionInfo.editShowTitle->text(), "The Late Show");
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, "The character \" can not be used and has been removed.");
    EXPECT_EQ(aMessages[0].iKind, kMsgError);
    ASSERT_EQ(aMessages[0].rLayout.aButtons.size(), 1u);
    EXPECT_EQ(aMessages[0].rLayout.aButtons[0].iResult, kMsgResultOK);
}

TEST_F(FormSessionInfoTest, PastedTextsBeyondTheirLimitsAreCutAndShownBeforeTheyAreTaken) {
    bool bResult = false;
    bool bOpenAfterFirstOK = false;
    TSessionTexts rShownAfterCut;
    ASSERT_TRUE(qxtest::DriveModal(
        frmSessionInfo, [&] { bResult = frmSessionInfo.ExecuteNewSession(); },
        [&] {
            // As pasted: one long line into the title and the notes.
            frmSessionInfo.editShowTitle->selectAll();
            frmSessionInfo.editShowTitle->insert(QString(100000, 'T'));
            frmSessionInfo.editNotes->selectAll();
            frmSessionInfo.editNotes->insert(QString(100000, 'n'));
            frmSessionInfo.btnOK->click();
            bOpenAfterFirstOK = frmSessionInfo.isVisible();
            rShownAfterCut = frmSessionInfo.EditTexts();
            frmSessionInfo.btnOK->click();
        }));
    EXPECT_TRUE(bOpenAfterFirstOK) << "the user sees the cut texts before the session starts";
    EXPECT_TRUE(bResult);
    EXPECT_EQ(rShownAfterCut.sShowTitle, QString(kMaxSessionLineLength, 'T'));
    EXPECT_EQ(rShownAfterCut.sNotes, QString(kMaxSessionNotesLength, 'n'));
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].iKind, kMsgWarning);
    EXPECT_TRUE(aMessages[0].sText.contains("255") && aMessages[0].sText.contains("4000"));
    TSessionInfo rSession;
    frmSessionInfo.TakeSessionTexts(rSession);
    EXPECT_EQ(rSession.sShowTitle.size(), kMaxSessionLineLength);
    EXPECT_EQ(rSession.sNotes.size(), kMaxSessionNotesLength);
    EXPECT_EQ(aMessages.size(), 1u) << "texts already within their limits give no second message";
}

TEST_F(FormSessionInfoTest, CancelRefusesTheStartAndTheNextOpeningKeepsTheTexts) {
    ASSERT_TRUE(NewSession({"First", "1", "Anna", "HD", ""}, true));
    EXPECT_FALSE(NewSession({"Second", "2", "Bo", "SD", "x"}, false));
    EXPECT_EQ(frmSessionInfo.Tag(), TfrmSessionInfo::kTagNewSession);
    // The edits keep what they held when the dialog last closed.
    EXPECT_EQ(rTextsSeen, (TSessionTexts{"First", "1", "Anna", "HD", ""}));
}

TEST_F(FormSessionInfoTest, EditModeShowsAndChangesTheSelectedSession) {
    iLNG = 1;
    SetSessionTexts(rSelectedSessionInfo, {"Stored", "9", "Carl", "UHD", "old"});
    rSelectedSessionInfo.sReportID = "A-B";
    bool bResult = false;
    std::optional<TLoudnessStandard> rTarget;
    ASSERT_TRUE(qxtest::DriveModal(
        frmSessionInfo, [&] { bResult = frmSessionInfo.ExecuteEditSession(rTarget); },
        [&] {
            sCaptionSeen = frmSessionInfo.windowTitle();
            rTextsSeen = frmSessionInfo.EditTexts();
            EXPECT_EQ(frmSessionInfo.Tag(), TfrmSessionInfo::kTagEditSession);
            EXPECT_EQ(frmSessionInfo.cboTarget->currentIndex(), 0) << "no target of its own: the default";
            frmSessionInfo.editNotes->setFocus();
            frmSessionInfo.editNotes->selectAll();
            qxtest::TypeText(frmSessionInfo, "new \"note\"");
            frmSessionInfo.btnOK->click();
        }));
    EXPECT_TRUE(bResult);
    EXPECT_EQ(sCaptionSeen, "Rediger Session Information.");
    EXPECT_EQ(rTextsSeen, (TSessionTexts{"Stored", "9", "Carl", "UHD", "old"}));
    EXPECT_EQ(SessionTextsOf(rSelectedSessionInfo),
              (TSessionTexts{"Stored", "9", "Carl", "UHD", "new note"}));
    EXPECT_EQ(rSelectedSessionInfo.sReportID, "A-B");
    EXPECT_EQ(rTarget, std::nullopt);
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0].sText, "Symbolet \" kan ikke anvendes og er blevet fjernet.");
    EXPECT_EQ(frmSessionInfo.Tag(), TfrmSessionInfo::kTagNewSession);

    // A new session right after starts with the stored session's texts.
    iLNG = 0;
    ASSERT_TRUE(NewSession({"Next", "10", "Carl", "UHD", ""}, true));
    EXPECT_EQ(sCaptionSeen, "Start new session...");
    EXPECT_EQ(rTextsSeen, (TSessionTexts{"Stored", "9", "Carl", "UHD", "new note"}));
}

TEST_F(FormSessionInfoTest, EditModeCancelLeavesTheSelectedSession) {
    SetSessionTexts(rSelectedSessionInfo, {"Stored", "9", "Carl", "UHD", "old"});
    bool bResult = true;
    const TLoudnessStandard rOwn{TStandardId::AtscA85, -24.0, 2.0, -2.0, true};
    std::optional<TLoudnessStandard> rTarget = rOwn;
    ASSERT_TRUE(qxtest::DriveModal(
        frmSessionInfo, [&] { bResult = frmSessionInfo.ExecuteEditSession(rTarget); },
        [&] {
            frmSessionInfo.editShowTitle->setFocus();
            qxtest::TypeText(frmSessionInfo, "changed");
            frmSessionInfo.cboTarget->setCurrentIndex(0);
            frmSessionInfo.btnCancel->click();
        }));
    EXPECT_FALSE(bResult);
    EXPECT_EQ(SessionTextsOf(rSelectedSessionInfo), (TSessionTexts{"Stored", "9", "Carl", "UHD", "old"}));
    EXPECT_EQ(rTarget, rOwn);
    EXPECT_TRUE(aMessages.empty());
}

// The list names the program default with its figures, then every preset and Custom with theirs, in the
// interface language; a session's own Custom figures that differ from the options' stay a choice of their
// own, and picking another target hands that one back.
TEST_F(FormSessionInfoTest, EditModeShowsTheSessionsOwnTargetAndHandsBackTheChosenOne) {
    iLNG = 1;
    Settings.rComplianceOptions.eDefaultStandard = TStandardId::AtscA85;
    Settings.rComplianceOptions.rCustom = {TStandardId::Custom, -14.0, 1.0, -1.0, true};
    const TLoudnessStandard rOwn{TStandardId::Custom, -16.0, 1.5, -2.0, false};
    std::optional<TLoudnessStandard> rTarget = rOwn;
    QStringList slShown;
    QString sChosenShown;
    ASSERT_TRUE(qxtest::DriveModal(
        frmSessionInfo, [&] { frmSessionInfo.ExecuteEditSession(rTarget); },
        [&] {
            for (int i = 0; i < frmSessionInfo.cboTarget->count(); ++i)
                slShown << frmSessionInfo.cboTarget->itemText(i);
            sChosenShown = frmSessionInfo.cboTarget->currentText();
            frmSessionInfo.cboTarget->setCurrentIndex(6);
            frmSessionInfo.btnOK->click();
        }));
    const QString sDecimal = QLocale().decimalPoint();
    const auto Figures = [&](const char* s) {
        return QString::fromUtf8(s).replace(QLatin1Char('.'), sDecimal);
    };
    ASSERT_EQ(slShown.size(), 8);
    EXPECT_EQ(slShown[0], Figures("Programmets standard (ATSC A/85 -24.0 LKFS ± 2.0 dB, maks. -2.0 dBTP)"));
    EXPECT_EQ(slShown[1], Figures("EBU R128 (-23.0 LUFS ± 0.5 LU, maks. -1.0 dBTP)"));
    EXPECT_EQ(slShown[6], Figures("Brugerdefineret (-14.0 LUFS ± 1.0 LU, maks. -1.0 dBTP)"));
    EXPECT_EQ(slShown[7], Figures("Brugerdefineret (-16.0 LUFS ± 1.5 LU, maks. -2.0 dBTP)"));
    EXPECT_EQ(sChosenShown, slShown[7]);
    EXPECT_EQ(rTarget, (TLoudnessStandard{TStandardId::Custom, -14.0, 1.0, -1.0, true}))
        << "Custom chosen anew takes the options' figures";
}

// A new session's choice is kept for the next one, like its texts; a Custom choice follows the Custom
// figures of the options as they are when the dialog opens again.
TEST_F(FormSessionInfoTest, NewSessionKeepsItsTargetChoiceForTheNextSession) {
    EXPECT_EQ(frmSessionInfo.NewSessionTarget(), std::nullopt);
    const auto StartWith = [&](int iChoice) {
        int iShown = -1;
        EXPECT_TRUE(qxtest::DriveModal(
            frmSessionInfo, [&] { frmSessionInfo.ExecuteNewSession(); },
            [&] {
                iShown = frmSessionInfo.cboTarget->currentIndex();
                if (iChoice >= 0)
                    frmSessionInfo.cboTarget->setCurrentIndex(iChoice);
                frmSessionInfo.btnOK->click();
            }));
        return iShown;
    };
    EXPECT_EQ(StartWith(6), 0);
    EXPECT_EQ(frmSessionInfo.NewSessionTarget(), Settings.rComplianceOptions.rCustom);
    Settings.rComplianceOptions.rCustom.fTargetLoudness = -16.0;
    EXPECT_EQ(StartWith(-1), 6);
    EXPECT_EQ(frmSessionInfo.NewSessionTarget(), Settings.rComplianceOptions.rCustom);
    EXPECT_EQ(StartWith(0), 6);
    EXPECT_EQ(frmSessionInfo.NewSessionTarget(), std::nullopt);
}

} // namespace
