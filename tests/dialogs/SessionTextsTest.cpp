#include "dialogs/SessionTexts.h"
#include "core/MessageBoxLayout.h"
#include "dialogs/TimecodeFields.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct TVerifyCase {
    const char* sName;
    QString sIn;
    QString sOut;
    bool bClean;
};

class VerifyStringFieldTest : public ::testing::TestWithParam<TVerifyCase> {};

TEST_P(VerifyStringFieldTest, RemovesTheDoubleQuote) {
    const TVerifyCase& c = GetParam();
    QString s = c.sIn;
    EXPECT_EQ(VerifyStringField(s), c.bClean);
    EXPECT_EQ(s, c.sOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyStringFieldTest,
    ::testing::Values(TVerifyCase{"Clean", "Evening News", "Evening News", true},
                      TVerifyCase{"Empty", "", "", true},
                      TVerifyCase{"OneQuote", "The \"Late\" Show", "The Late Show", false},
                      TVerifyCase{"OnlyQuotes", "\"\"\"", "", false},
                      TVerifyCase{"SingleQuoteStays", "Rock 'n' roll", "Rock 'n' roll", true}),
    [](const auto& info) { return std::string(info.param.sName); });

TEST(ForbiddenCharsMessage, NamesTheDoubleQuote) {
    EXPECT_EQ(ForbiddenCharsMessage(0), "The character \" can not be used and has been removed.");
    EXPECT_EQ(ForbiddenCharsMessage(1), "Symbolet \" kan ikke anvendes og er blevet fjernet.");
}

// A user that answers the question with a fixed button and remembers every message.
struct TRecordingUser {
    struct TMessage {
        QString sText;
        int iKind;
        int iButtons;
    };
    int iAnswer = kMsgResultYes;
    std::vector<TMessage> aMessages;

    TAskUser Asker() {
        return [this](const QString& sText, int iKind, int iButtons) {
            aMessages.push_back({sText, iKind, iButtons});
            return iKind == kMsgConfirmation ? iAnswer : kMsgResultOK;
        };
    }
};

class CheckSessionInfoChangesTest : public ::testing::Test {
protected:
    CheckSessionInfoChangesTest() {
        rSession.sReportID = "8F1C2A34-0000-4000-8000-000000000001";
        SetSessionTexts(rSession, {"Evening News", "17", "Anna", "HD", "Studio 2"});
        rGrid = SessionTextsOf(rSession);
    }
    TSessionInfo rSession;
    TSessionTexts rGrid;
    TRecordingUser User;
};

TEST_F(CheckSessionInfoChangesTest, UnchangedGridAsksNothing) {
    EXPECT_FALSE(CheckSessionInfoChanges(rGrid, rSession, 0, User.Asker()));
    EXPECT_TRUE(User.aMessages.empty());
}

TEST_F(CheckSessionInfoChangesTest, NoKeepsTheSessionTexts) {
    rGrid.sNotes = "Studio 3";
    User.iAnswer = kMsgResultNo;
    EXPECT_FALSE(CheckSessionInfoChanges(rGrid, rSession, 0, User.Asker()));
    ASSERT_EQ(User.aMessages.size(), 1u);
    EXPECT_TRUE(User.aMessages[0].sText.startsWith("The session information has been changed."));
    EXPECT_EQ(User.aMessages[0].iKind, kMsgConfirmation);
    EXPECT_EQ(User.aMessages[0].iButtons, kMsgBtnYes | kMsgBtnNo);
    EXPECT_EQ(rSession.sNotes, "Studio 2");
}

TEST_F(CheckSessionInfoChangesTest, YesStoresTheEditedTexts) {
    rGrid.sNotes = "Studio 3";
    rGrid.sOperatorName = "Bo";
    EXPECT_TRUE(CheckSessionInfoChanges(rGrid, rSession, 0, User.Asker()));
    EXPECT_EQ(User.aMessages.size(), 1u);
    EXPECT_EQ(SessionTextsOf(rSession), (TSessionTexts{"Evening News", "17", "Bo", "HD", "Studio 3"}));
    EXPECT_EQ(rSession.sReportID, "8F1C2A34-0000-4000-8000-000000000001");
}

TEST_F(CheckSessionInfoChangesTest, QuotesInTwoCellsGiveOneMessage) {
    rGrid.sShowTitle = "The \"Late\" Show";
    rGrid.sNotes = "Say \"hi\"";
    EXPECT_TRUE(CheckSessionInfoChanges(rGrid, rSession, 0, User.Asker()));
    ASSERT_EQ(User.aMessages.size(), 2u);
    EXPECT_EQ(User.aMessages[1].sText, "The character \" can not be used and has been removed.");
    EXPECT_EQ(User.aMessages[1].iKind, kMsgError);
    EXPECT_EQ(User.aMessages[1].iButtons, kMsgBtnOK);
    EXPECT_EQ(rGrid.sShowTitle, "The Late Show");
    EXPECT_EQ(rSession.sShowTitle, "The Late Show");
    EXPECT_EQ(rSession.sNotes, "Say hi");
}

TEST_F(CheckSessionInfoChangesTest, EmptyTitleBecomesUnnamedInTheLanguage) {
    rGrid.sShowTitle.clear();
    EXPECT_TRUE(CheckSessionInfoChanges(rGrid, rSession, 1, User.Asker()));
    EXPECT_EQ(rSession.sShowTitle, "Unavngivet session.");
    EXPECT_EQ(rGrid.sShowTitle, "Unavngivet session.");
}

TEST_F(CheckSessionInfoChangesTest, TextsBeyondTheirLimitsAreCutWithOneMessage) {
    rGrid.sShowTitle = QString(100000, 'T');
    rGrid.sNotes = QString(100000, 'n');
    EXPECT_TRUE(CheckSessionInfoChanges(rGrid, rSession, 0, User.Asker()));
    ASSERT_EQ(User.aMessages.size(), 2u);
    EXPECT_TRUE(User.aMessages[1].sText.contains("at most 255 characters each, its notes 4000"));
    EXPECT_EQ(User.aMessages[1].iKind, kMsgWarning);
    EXPECT_EQ(rSession.sShowTitle, QString(kMaxSessionLineLength, 'T'));
    EXPECT_EQ(rSession.sNotes, QString(kMaxSessionNotesLength, 'n'));
    EXPECT_EQ(rGrid, SessionTextsOf(rSession)) << "the grid shows what is stored";
}

TEST(LimitSessionTexts, CutsOnlyBeyondEachLimitAndNeverHalfACharacter) {
    const QString sClef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // one character, two UTF-16 units
    struct TCase {
        const char* sName;
        TSessionTexts rIn;
        TSessionTexts rOut;
        bool bWithin;
    };
    const QString sLine(kMaxSessionLineLength, 'a');
    const QString sNotes(kMaxSessionNotesLength, 'b');
    const TCase aCases[] = {
        {"every text at its limit",
         {sLine, sLine, sLine, sLine, sNotes},
         {sLine, sLine, sLine, sLine, sNotes},
         true},
        {"one past the limit",
         {sLine + 'x', "1", "Bo", sLine + 'y', sNotes + 'z'},
         {sLine, "1", "Bo", sLine, sNotes},
         false},
        {"a pair across the limit",
         {sLine.left(kMaxSessionLineLength - 1) + sClef, "", "", "", ""},
         {sLine.left(kMaxSessionLineLength - 1), "", "", "", ""},
         false},
        {"a pair just within",
         {sLine.left(kMaxSessionLineLength - 2) + sClef, "", "", "", ""},
         {sLine.left(kMaxSessionLineLength - 2) + sClef, "", "", "", ""},
         true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TSessionTexts r = c.rIn;
        EXPECT_EQ(LimitSessionTexts(r), c.bWithin);
        EXPECT_EQ(r, c.rOut);
    }
}

TEST(SetUnnamedTitle, OnlyAnEmptyTitle) {
    QString s;
    SetUnnamedTitle(s, 0);
    EXPECT_EQ(s, "Unnamed session.");
    s = " ";
    SetUnnamedTitle(s, 0);
    EXPECT_EQ(s, " ");
}

TEST(TimecodeFields, ComposePadsEachFieldToTwoDigits) {
    EXPECT_EQ(ComposeTimecode("12", "34", "56"), "12:34:56:00");
    EXPECT_EQ(ComposeTimecode("", "7", "00"), "00:07:00:00");
    EXPECT_EQ(ComposeTimecode("99", "99", "99"), "99:99:99:00");
}

TEST(TimecodeFields, SplitTakesTheThreeFields) {
    const TTimecodeFields r = SplitTimecode("10:30:05:00");
    EXPECT_EQ(r.sHours, "10");
    EXPECT_EQ(r.sMinutes, "30");
    EXPECT_EQ(r.sSeconds, "05");
    const TTimecodeFields rShort = SplitTimecode("1");
    EXPECT_EQ(rShort.sHours, "1");
    EXPECT_EQ(rShort.sMinutes, "");
    EXPECT_EQ(rShort.sSeconds, "");
}

} // namespace
