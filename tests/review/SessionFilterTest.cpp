#include "review/SessionFilter.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "review/SessionBrowser.h"
#include "tests/support/SessionDatabase.h"

#include <QFile>
#include <QLocale>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

using qxtest::TStoredSession;

QDateTime At(int iDay, int iHour, int iMinute, int iSecond) {
    return QDateTime(QDate(2026, 3, iDay), QTime(iHour, iMinute, iSecond));
}

// The titles the browser lists for a filter, in list order.
QStringList ListedTitles(TSessionBrowser& Browser, const TSQLFilter& rFilter) {
    Browser.RefreshSessions(rFilter);
    QStringList sl;
    for (int iRow = 0; iRow < Browser.Sessions().rowCount(); ++iRow)
        sl << Browser.Sessions().CellText(iRow, TSessionListModel::kColTitle);
    return sl;
}

// Five sessions around three days, with texts that tell the filter's pieces apart.
class SessionFilterFixture : public ::testing::Test {
protected:
    SessionFilterFixture() {
        const TStoredSession aSessions[] = {
            {"Morning Show", "MS-1", "Anna", "HD", "quiet", At(10, 8, 15, 0), ""},
            {"Evening News", "EN-2", "Bo", "UHD", "loud intro", At(10, 19, 30, 0), ""},
            {"Late 100% Live", "LL_3", "Anna", "HD", "said \"hi\"", At(11, 0, 0, 30), ""},
            {"it's a \"test\"", "X", "Carl", "SD", "", At(12, 12, 0, 0), ""},
            {"ab_c", "Y", "Dora", "SD", "", At(9, 23, 59, 59), ""},
        };
        for (const TStoredSession& r : aSessions)
            aIds.push_back(Db.AddSession(r, 3));
    }

    QStringList Listed(const TSQLFilter& rFilter) { return ListedTitles(Browser, rFilter); }

    qxtest::TSessionDatabase Db;
    std::vector<QString> aIds;
    TSessionInfo rSelected;
    QString sCurrentSession;
    int iLNG = kLanguageEnglish;
    QStringList slMessages;
    int iAnswer = kMsgResultYes;
    TSessionBrowser Browser{Db.Db, rSelected, sCurrentSession, iLNG, [this](const QString& sText, int, int) {
                                slMessages << sText;
                                return iAnswer;
                            }};
};

struct TFilterCase {
    const char* sName;
    TSessionFilterInput rInput;
    QStringList slExpected;
};

TSessionFilterInput Texts(const char* sTitle, const char* sNo = "", const char* sOperator = "",
                          const char* sFormat = "", const char* sNotes = "") {
    TSessionFilterInput r;
    r.sShowTitle = QString::fromUtf8(sTitle);
    r.sShowNumber = QString::fromUtf8(sNo);
    r.sOperatorName = QString::fromUtf8(sOperator);
    r.sFormat = QString::fromUtf8(sFormat);
    r.sNotes = QString::fromUtf8(sNotes);
    return r;
}

TSessionFilterInput Dates(int iStartDay, const char* sStartTime, int iEndDay, const char* sEndTime) {
    TSessionFilterInput r;
    r.bDateStart = iStartDay > 0;
    r.dtStart = QDate(2026, 3, std::max(iStartDay, 1));
    r.bTimeStart = sStartTime != nullptr;
    r.sTCStart = QString::fromLatin1(sStartTime ? sStartTime : "00:00:00");
    r.bDateEnd = iEndDay > 0;
    r.dtEnd = QDate(2026, 3, std::max(iEndDay, 1));
    r.bTimeEnd = sEndTime != nullptr;
    r.sTCEnd = QString::fromLatin1(sEndTime ? sEndTime : "00:00:00");
    return r;
}

const QString sMorning = "Morning Show", sEvening = "Evening News", sLate = "Late 100% Live",
              sQuoted = "it's a \"test\"", sUnderscore = "ab_c";

std::vector<TFilterCase> FilterCases() {
    return {
        {"nothing typed lists every session", {}, {sMorning, sEvening, sLate, sQuoted, sUnderscore}},
        {"title, any case", Texts("news"), {sEvening}},
        {"number", Texts("", "EN"), {sEvening}},
        {"operator", Texts("", "", "Anna"), {sMorning, sLate}},
        {"format inside a longer one", Texts("", "", "", "HD"), {sMorning, sEvening, sLate}},
        {"notes", Texts("", "", "", "", "intro"), {sEvening}},
        {"all pieces together", Texts("Late", "LL", "Anna", "HD", "hi"), {sLate}},
        {"start date only: from midnight of that day",
         Dates(10, nullptr, 0, nullptr),
         {sMorning, sEvening, sLate, sQuoted}},
        {"end date only: up to midnight at its start",
         Dates(0, nullptr, 11, nullptr),
         {sMorning, sEvening, sUnderscore}},
        {"same day both ends with the end of day time",
         Dates(10, nullptr, 10, "23:59:59"),
         {sMorning, sEvening}},
        {"same day both ends at midnight lists nothing", Dates(10, nullptr, 10, nullptr), {}},
        {"start time", Dates(10, "12:00:00", 0, nullptr), {sEvening, sLate, sQuoted}},
        {"start and end time", Dates(10, "08:15:00", 11, "00:00:30"), {sMorning, sEvening, sLate}},
        {"a double quote is a character", Texts("\""), {sQuoted}},
        {"an apostrophe is a character", Texts("'"), {sQuoted}},
        {"percent keeps its meaning", Texts("%"), {sMorning, sEvening, sLate, sQuoted, sUnderscore}},
        {"percent after digits", Texts("100%"), {sLate}},
        {"underscore is any one character", Texts("b_c"), {sUnderscore}},
        {"underscore in a number", Texts("", "L_"), {sLate}},
        {"statement text is only a pattern", Texts("\"); DROP TABLE qxr_sessions; --"), {}},
        {"quote and comment in notes", Texts("", "", "", "", "\" OR 1=1 --"), {}},
    };
}

} // namespace

TEST_F(SessionFilterFixture, FilterCasesListExactlyTheExpectedSessions) {
    for (const TFilterCase& c : FilterCases()) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(Listed(BuildSessionFilter(c.rInput)), c.slExpected);
    }
    EXPECT_TRUE(slMessages.isEmpty()) << slMessages.join('\n').toStdString();
    EXPECT_TRUE(Db.TablesIntact());
    EXPECT_EQ(Db.CountRows("qxr_sessions"), 5);
    EXPECT_EQ(Db.CountRows("qxr_loudness_levels"), 15);
}

// A decimal comma in the user's locale must not change a date piece (the comma once reached the statement).
TEST_F(SessionFilterFixture, ACommaLocaleGivesTheSameDatesAndRows) {
    const TSessionFilterInput rInput = Dates(10, "12:00:00", 11, "00:00:30");
    const TSQLFilter rPoint = BuildSessionFilter(rInput);
    const QLocale Previous;
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    const TSQLFilter rComma = BuildSessionFilter(rInput);
    const QStringList slListed = Listed(rComma);
    QLocale::setDefault(Previous);
    EXPECT_EQ(rComma, rPoint);
    EXPECT_EQ(slListed, (QStringList{sEvening, sLate}));
}

TEST(SessionFilter, StatementHoldsPlaceholdersAndTheValuesTheirPatternsAndMoments) {
    TSessionFilterInput r = Texts("a\"b", "", "", "", "n");
    r.bDateStart = true;
    r.dtStart = QDate(2000, 1, 1);
    r.bTimeStart = true;
    r.sTCStart = "12:00:00";
    const TSQLFilter rFilter = BuildSessionFilter(r);
    EXPECT_EQ(rFilter.sSQL,
              "SELECT * FROM qxr_session_list WHERE (nId>0) AND (qx_fold(sTitle) like qx_fold(?)) AND "
              "(qx_fold(sNotes) like qx_fold(?)) AND (dtRecordingStart>=?)");
    ASSERT_EQ(rFilter.aValues.size(), 3);
    EXPECT_EQ(rFilter.aValues[0].toString(), "%a\"b%");
    EXPECT_EQ(rFilter.aValues[1].toString(), "%n%");
    EXPECT_DOUBLE_EQ(rFilter.aValues[2].toDouble(), 2451545.0);
    // Midnight when the time box is off, whatever time the dialog holds.
    EXPECT_DOUBLE_EQ(FilterMomentJulian(QDate(2000, 1, 1), false, "12:00:00"), 2451544.5);
    EXPECT_DOUBLE_EQ(FilterMomentJulian(QDate(2000, 1, 1), true, "not a time"), 2451544.5);
}

TEST_F(SessionFilterFixture, NoMatchTellsTheUserAndAReadErrorGivesTheLibrarysMessage) {
    EXPECT_FALSE(Browser.ApplySessionFilter(BuildSessionFilter(Texts("no such title"))));
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages[0].startsWith("No data matching your search criteria was found."));
    EXPECT_EQ(Browser.Sessions().rowCount(), 0);

    // A statement the library refuses: the error and the maker's name, then the no-match message.
    slMessages.clear();
    EXPECT_FALSE(Browser.ApplySessionFilter(TSQLFilter("SELECT * FROM no_such_table")));
    ASSERT_EQ(slMessages.size(), 2);
    EXPECT_TRUE(slMessages[0].startsWith("Exception raised with message \"no such table: no_such_table\"."));
    EXPECT_TRUE(slMessages[0].endsWith("Please contact Kelmoria if the problem persists."));
    EXPECT_TRUE(slMessages[1].startsWith("No data matching"));
}

TEST_F(SessionFilterFixture, ADatabaseThatDisappearsOrIsLockedIsReportedNotFatal) {
    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    {
        // Another program holds the file locked for writing longer than the busy time-out.
        qxtest::TSessionDatabase Locked(50);
        Locked.AddSession({"Only", "", "", "", "", At(10, 1, 0, 0), ""});
        SQLite::Database Holder(Locked.Path().toStdString(), SQLite::OPEN_READWRITE);
        Holder.exec("BEGIN EXCLUSIVE");
        QString sNone;
        TSessionBrowser LockedBrowser(Locked.Db, rSelected, sNone, iLNG,
                                      [this](const QString& sText, int, int) {
                                          slMessages << sText;
                                          return kMsgResultOK;
                                      });
        EXPECT_FALSE(LockedBrowser.RefreshSessions(TSQLFilter()));
        ASSERT_EQ(slMessages.size(), 1);
        EXPECT_TRUE(slMessages[0].contains("database is locked")) << slMessages[0].toStdString();
        Holder.exec("ROLLBACK");
    }
    slMessages.clear();
    ASSERT_TRUE(QFile::remove(Db.Path()));
    EXPECT_FALSE(Browser.RefreshSessions(TSQLFilter()));
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_TRUE(slMessages[0].startsWith("Exception raised with message \"unable to open database file\""))
        << slMessages[0].toStdString();
    EXPECT_EQ(Browser.Sessions().rowCount(), 0);
}

TEST_F(SessionFilterFixture, DeleteNeedsLoadedDataNeverTakesTheRecordingSessionAndTakesItsLevels) {
    Browser.ApplySessionFilter(BuildSessionFilter(Texts("", "", "Anna")));
    ASSERT_TRUE(Browser.SelectSession(1));
    EXPECT_EQ(Browser.SelectedSession(), aIds[2]);
    EXPECT_EQ(rSelected.sShowTitle, sLate);

    // Not before the level data was loaded.
    EXPECT_FALSE(Browser.DeleteSelectedSession());
    EXPECT_TRUE(slMessages.isEmpty());

    // Never the session being recorded, whatever enables it.
    sCurrentSession = aIds[2];
    Browser.SessionDataLoaded();
    EXPECT_FALSE(Browser.DeleteEnabled());
    EXPECT_FALSE(Browser.DeleteSelectedSession());
    sCurrentSession.clear();

    // No changes nothing.
    Browser.SessionDataLoaded();
    ASSERT_TRUE(Browser.DeleteEnabled());
    iAnswer = kMsgResultNo;
    EXPECT_FALSE(Browser.DeleteSelectedSession());
    ASSERT_EQ(slMessages.size(), 1);
    EXPECT_EQ(slMessages[0], "Are you sure you wish to delete the session \"Late 100% Live\"?");
    EXPECT_EQ(Db.CountRows("qxr_sessions"), 5);

    // Yes deletes the session and its levels and lists the other sessions the filter finds.
    iAnswer = kMsgResultYes;
    const TSessionListFilter rFilter = Browser.SessionFilter();
    EXPECT_TRUE(Browser.DeleteSelectedSession());
    EXPECT_EQ(Db.CountRows("qxr_sessions", aIds[2]), 0);
    EXPECT_EQ(Db.CountRows("qxr_loudness_levels", aIds[2]), 0);
    EXPECT_EQ(Db.CountRows("qxr_loudness_levels"), 12);
    EXPECT_EQ(Browser.SessionFilter(), rFilter);
    ASSERT_EQ(Browser.Sessions().rowCount(), 1);
    EXPECT_EQ(Browser.Sessions().CellText(0, TSessionListModel::kColTitle), sMorning);
    EXPECT_TRUE(Browser.SelectedSession().isEmpty());
    EXPECT_FALSE(Browser.DeleteEnabled());
}

TEST_F(SessionFilterFixture, AnEditIsStoredAndTheFilterReappliedAsBefore) {
    Browser.ApplySessionFilter(BuildSessionFilter(Texts("", "", "Anna")));
    ASSERT_TRUE(Browser.SelectSession(1));
    rSelected.sShowTitle = "Late Night Live";
    rSelected.sNotes = "edited";
    int iRow = -2;
    ASSERT_TRUE(Browser.StoreEditedSession(iRow));
    EXPECT_EQ(iRow, 1);
    EXPECT_EQ(Browser.Sessions().rowCount(), 2) << "the operator filter still holds";
    EXPECT_EQ(Browser.Sessions().CellText(1, TSessionListModel::kColTitle), "Late Night Live");
    EXPECT_EQ(Browser.Sessions().Session(1).sNotes, "edited");

    // The edit restamps the session's row, but the session was recorded on its day and stays listed there.
    Browser.ApplySessionFilter(BuildSessionFilter(Dates(12, nullptr, 12, "23:59:59")));
    ASSERT_TRUE(Browser.SelectSession(0));
    ASSERT_EQ(Browser.SelectedSession(), aIds[3]);
    ASSERT_TRUE(Browser.StoreEditedSession(iRow));
    EXPECT_EQ(iRow, 0);
    EXPECT_EQ(Browser.SelectedSession(), aIds[3]);
    EXPECT_EQ(Browser.Sessions().Session(0).dtRecordingStart, JulianDateOf(At(12, 12, 0, 0)));
    EXPECT_GT(Browser.Sessions().Session(0).dtDateTime, JulianDateOf(At(13, 0, 0, 0)));
}

// Sessions recorded on one day and edited, stopped or disconnected on a later one: the list shows, and
// the date filters select, the day they were recorded; a session without level rows goes by its stamp.
TEST(SessionFilterDates, SelectByTheRecordingStart) {
    qxtest::TSessionDatabase Db;
    Db.AddSession({"Recorded 10th, edited 12th", "", "", "", "", At(12, 9, 0, 0), "", At(10, 21, 0, 0)}, 3);
    Db.AddSession({"No levels, stamped 11th", "", "", "", "", At(11, 9, 0, 0), ""}, 0);
    TSessionInfo rSelected;
    const QString sNone;
    const int iLNG = kLanguageEnglish;
    TSessionBrowser Browser(Db.Db, rSelected, sNone, iLNG, [](const QString&, int, int) { return 0; });
    const auto Listed = [&](const TSessionFilterInput& r) {
        return ListedTitles(Browser, BuildSessionFilter(r));
    };
    EXPECT_EQ(Listed(Dates(10, nullptr, 10, "23:59:59")), QStringList{"Recorded 10th, edited 12th"});
    EXPECT_EQ(Listed(Dates(11, nullptr, 11, "23:59:59")), QStringList{"No levels, stamped 11th"});
    EXPECT_EQ(Listed(Dates(12, nullptr, 0, nullptr)), QStringList{});

    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    EXPECT_EQ(Browser.Sessions().CellText(0, TSessionListModel::kColDateTime),
              SessionDateText(JulianDateOf(At(10, 21, 0, 0))));
    EXPECT_EQ(Browser.Sessions().CellText(1, TSessionListModel::kColDateTime),
              SessionDateText(JulianDateOf(At(11, 9, 0, 0))));
}

// LIKE folds only A to Z: typed text must find a title or notes in any case of every letter, and "%" and
// "_" keep their meaning ("_" is one letter, also one written in several bytes).
TEST(SessionFilterCase, EveryLetterMatchesInAnyCase) {
    qxtest::TSessionDatabase Db;
    Db.AddSession({"Ærø Håndbold", "", "", "", "Slutspil i ÅRHUS", At(10, 9, 0, 0), ""});
    Db.AddSession({"Århus Øst", "", "", "", "æbleskiver", At(10, 10, 0, 0), ""});
    Db.AddSession({"Plain ASCII", "", "", "", "100% done", At(10, 11, 0, 0), ""});
    TSessionInfo rSelected;
    const QString sNone;
    const int iLNG = kLanguageEnglish;
    TSessionBrowser Browser(Db.Db, rSelected, sNone, iLNG, [](const QString&, int, int) { return 0; });
    const QString sHaandbold = "Ærø Håndbold", sAarhus = "Århus Øst", sPlain = "Plain ASCII";
    const TFilterCase aCases[] = {
        {"lower case finds upper case Danish letters", Texts("håndbold"), {sHaandbold}},
        {"a word that starts with a Danish letter", Texts("ærø"), {sHaandbold}},
        {"upper case finds lower case", Texts("ÆRØ HÅNDBOLD"), {sHaandbold}},
        {"one letter in either case", Texts("å"), {sHaandbold, sAarhus}},
        {"underscore stands for a Danish letter", Texts("h_ndbold"), {sHaandbold}},
        {"underscore and a Danish letter", Texts("Ø_T"), {sAarhus}},
        {"percent between letters", Texts("ærø%bold"), {sHaandbold}},
        {"ASCII still folds", Texts("plain ascii"), {sPlain}},
        {"no transliteration", Texts("aero"), {}},
        {"notes in lower case", Texts("", "", "", "", "århus"), {sHaandbold}},
        {"notes in upper case", Texts("", "", "", "", "ÆBLE"), {sAarhus}},
        {"notes with a percent sign typed", Texts("", "", "", "", "100%DONE"), {sPlain}},
    };
    for (const TFilterCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(ListedTitles(Browser, BuildSessionFilter(c.rInput)), c.slExpected);
    }
}

TEST(SessionList, DisplayTitleIsCutAfterTwentyCharacters) {
    EXPECT_EQ(SessionDisplayTitle("Exactly twenty chars"), "Exactly twenty chars");
    EXPECT_EQ(SessionDisplayTitle("Twenty-one characters"), "Twenty-one character...");
    EXPECT_EQ(SessionDisplayTitle(""), "");
    EXPECT_EQ(SessionDisplayTitle("Ærø Østerbro Å 東京 ★ 1"), "Ærø Østerbro Å 東京 ★ ...");
}
