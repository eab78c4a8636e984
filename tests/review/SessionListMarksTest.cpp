#include "compliance/Standards.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "review/SessionBrowser.h"
#include "review/SessionFilter.h"
#include "review/SessionJudge.h"
#include "review/VerdictMarkGlyph.h"
#include "store/ComplianceStore.h"
#include "tests/support/SessionDatabase.h"

#include <QImage>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <optional>

namespace {

using qxtest::TStoredSession;

void Exec(const QString& sPath, const std::string& sSQL) {
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE);
    db.exec(sSQL);
}

// A streaming target the fixture's rows (integrated -23.0 LUFS, peaks -3.0 dBTP) miss by 9 LU.
const TLoudnessStandard kStreamingTarget{TStandardId::Custom, -14.0, 1.0, -1.0, true};

// Six sessions of the fixture's setup (true peak, LUFS, K-Filter), each with its verdict in another state:
// judged and kept as pass, as fail (against a target of its own), as not verifiable (no rows); never
// judged; judged before a row was added through the store; judged before another program moved its end
// timecode.
class SessionListMarks : public ::testing::Test {
protected:
    void SetUp() override {
        sPass = Db.AddSession(Session("Passing"), 3);
        sFail = Db.AddSession(Session("Failing"), 3);
        sEmpty = Db.AddSession(Session("Empty"), 0);
        sNever = Db.AddSession(Session("Never judged"), 3);
        sGrown = Db.AddSession(Session("Grown"), 3);
        sMoved = Db.AddSession(Session("Moved end"), 3);
        ASSERT_TRUE(TComplianceStore(Db.Db).WriteSessionTarget(sFail, kStreamingTarget));
        for (const QString& sId : {sPass, sFail, sEmpty, sGrown, sMoved}) {
            TSessionJudge Judge(Db.Db, Options);
            ASSERT_TRUE(Judge.JudgeAndKeep(sId)) << qPrintable(Judge.LastError());
        }
        TStoredLevel rRow;
        rRow.sReportId = sGrown;
        rRow.sReportVersion = "1";
        rRow.sTimeCode = "10:30:00:00";
        ASSERT_TRUE(Db.Db.InsertLevelRow(rRow));
        Exec(Db.Path(), "UPDATE qxr_sessions SET sTimeCodeEnd='10:31:00:00' WHERE sReportId='" +
                            sMoved.toStdString() + "'");
    }

    static TStoredSession Session(const char* sTitle) {
        return {sTitle, "N", "Anna", "HD", "", QDateTime(QDate(2026, 3, 10), QTime(8, 0)), ""};
    }

    // The titles listed, each with its mark.
    std::vector<std::pair<QString, TVerdictMark>> Listed() const {
        std::vector<std::pair<QString, TVerdictMark>> a;
        const TSessionListModel& r = Browser.Sessions();
        for (int i = 0; i < r.rowCount(); ++i)
            a.emplace_back(r.CellText(i, TSessionListModel::kColTitle), r.Mark(i));
        return a;
    }

    QStringList ListedTitles() const {
        QStringList sl;
        for (const auto& [sTitle, eMark] : Listed())
            sl << sTitle;
        return sl;
    }

    qxtest::TSessionDatabase Db;
    TComplianceOptions Options;
    QString sPass, sFail, sEmpty, sNever, sGrown, sMoved;
    TSessionInfo rSelected;
    QString sCurrentSession;
    int iLNG = kLanguageEnglish;
    QStringList slMessages;
    TSessionBrowser Browser{Db.Db, rSelected, sCurrentSession, iLNG, [this](const QString& sText, int, int) {
                                slMessages << sText;
                                return kMsgResultOK;
                            }};
};

TEST_F(SessionListMarks, EachSessionShowsTheMarkOfItsKeptVerdictWhileItStillHolds) {
    Browser.UseComplianceOptions(Options);
    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    const std::vector<std::pair<QString, TVerdictMark>> aExpected = {
        {"Passing", TVerdictMark::Pass},        {"Failing", TVerdictMark::Fail},
        {"Empty", TVerdictMark::NotVerifiable}, {"Never judged", TVerdictMark::NotComputed},
        {"Grown", TVerdictMark::NotComputed},   {"Moved end", TVerdictMark::NotComputed},
    };
    EXPECT_EQ(Listed(), aExpected);
    EXPECT_TRUE(slMessages.isEmpty()) << slMessages.join('\n').toStdString();

    // The sign before the title and the mark's name for assistive tools; the other columns keep their texts.
    const TSessionListModel& r = Browser.Sessions();
    Browser.Sessions().SetLanguage(kLanguageDanish);
    for (int i = 0; i < r.rowCount(); ++i) {
        SCOPED_TRACE(i);
        const QModelIndex Title = r.index(i, TSessionListModel::kColDisplayTitle);
        const QImage Sign = Title.data(Qt::DecorationRole).value<QImage>();
        EXPECT_EQ(Sign.size(), QSize(TSessionListModel::kMarkSize, TSessionListModel::kMarkSize));
        EXPECT_EQ(Title.data(Qt::AccessibleDescriptionRole).toString(),
                  VerdictMarkName(aExpected[size_t(i)].second, kLanguageDanish));
        EXPECT_EQ(Title.data().toString(), aExpected[size_t(i)].first);
        EXPECT_FALSE(r.index(i, TSessionListModel::kColReportId).data(Qt::DecorationRole).isValid());
    }
    // The four signs differ in shape, not only in colour: their grey levels differ too.
    std::vector<QImage> aGrey;
    for (const TVerdictMark e :
         {TVerdictMark::NotComputed, TVerdictMark::Pass, TVerdictMark::Fail, TVerdictMark::NotVerifiable})
        aGrey.push_back(VerdictMarkImage(e, 16).convertToFormat(QImage::Format_Alpha8));
    for (size_t i = 0; i < aGrey.size(); ++i)
        for (size_t j = i + 1; j < aGrey.size(); ++j)
            EXPECT_NE(aGrey[i], aGrey[j]) << i << " and " << j;
}

// A session judged against the default is no longer marked once the default changes; one judged against
// its own target keeps its mark.
TEST_F(SessionListMarks, AChangedDefaultTargetLeavesOnlyTheSessionsWithTheirOwnTargetMarked) {
    TComplianceOptions rLive;
    rLive.eDefaultStandard = TStandardId::EbuR128Live;
    Browser.UseComplianceOptions(rLive);
    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    EXPECT_EQ(Browser.Sessions().Mark(0), TVerdictMark::NotComputed);
    EXPECT_EQ(Browser.Sessions().Mark(1), TVerdictMark::Fail);
}

struct TMarkFilterCase {
    const char* sName;
    TSessionListFilter rFilter;
    QStringList slExpected;
};

TEST_F(SessionListMarks, TheVerdictFilterListsTheSessionsOfOneMark) {
    TSessionFilterInput rTitle;
    rTitle.sShowTitle = "ing";
    const TSQLFilter rIng = BuildSessionFilter(rTitle);
    const TMarkFilterCase aCases[] = {
        {"any mark", {TSQLFilter()}, {"Passing", "Failing", "Empty", "Never judged", "Grown", "Moved end"}},
        {"pass", {TSQLFilter(), TVerdictMark::Pass}, {"Passing"}},
        {"fail", {TSQLFilter(), TVerdictMark::Fail}, {"Failing"}},
        {"not verifiable", {TSQLFilter(), TVerdictMark::NotVerifiable}, {"Empty"}},
        {"not yet computed",
         {TSQLFilter(), TVerdictMark::NotComputed},
         {"Never judged", "Grown", "Moved end"}},
        {"with a title: fail", {rIng, TVerdictMark::Fail}, {"Failing"}},
        {"with a title: not yet computed", {rIng, TVerdictMark::NotComputed}, {}},
    };
    for (const TMarkFilterCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        slMessages.clear();
        EXPECT_EQ(Browser.ApplySessionFilter(c.rFilter), !c.slExpected.isEmpty());
        EXPECT_EQ(ListedTitles(), c.slExpected);
        // Nothing matched: the message of every session filter.
        EXPECT_EQ(slMessages, c.slExpected.isEmpty()
                                  ? QStringList{GetText(kTxtNoMatchingData, kLanguageEnglish)}
                                  : QStringList{});
    }
    EXPECT_EQ(Db.CountRows("qxr_sessions"), 6);
}

TEST_F(SessionListMarks, RefreshKeepsTheVerdictFilterAndTheRefreshButtonDropsIt) {
    ASSERT_TRUE(Browser.ApplySessionFilter({TSQLFilter(), TVerdictMark::Pass}));
    ASSERT_TRUE(Browser.SelectSession(0));
    // A new session passes too: the filter in force lists it at the next refresh.
    const QString sLater = Db.AddSession(Session("Later"), 3);
    ASSERT_TRUE(TSessionJudge(Db.Db, Options).JudgeAndKeep(sLater));
    EXPECT_EQ(Browser.RefreshKeepingSelection(), 0);
    EXPECT_EQ(ListedTitles(), (QStringList{"Passing", "Later"}));
    EXPECT_EQ(Browser.SessionFilter().oMark, TVerdictMark::Pass);

    // The popup's refresh lists every session and keeps the filter for the next refresh.
    Browser.RefreshSessions(TSQLFilter());
    EXPECT_EQ(ListedTitles().size(), 7);
    EXPECT_EQ(Browser.SessionFilter().oMark, TVerdictMark::Pass);
    Browser.RefreshKeepingSelection();
    EXPECT_EQ(ListedTitles(), (QStringList{"Passing", "Later"}));

    Browser.RefreshAllSessions();
    EXPECT_TRUE(Browser.SessionFilter().IsEmpty());
    EXPECT_EQ(ListedTitles().size(), 7);
}

// Marks that cannot be read leave the list as it is, unmarked; a filter by mark cannot be honoured then and
// says why instead of listing nothing as if nothing matched.
TEST_F(SessionListMarks, UnreadableMarksShowAsNotComputedAndAFilterByMarkReportsTheError) {
    Exec(Db.Path(), "DROP TABLE qxr_session_verdicts; CREATE TABLE qxr_session_verdicts (sOther TEXT);");
    EXPECT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    EXPECT_EQ(ListedTitles().size(), 6);
    for (int i = 0; i < Browser.Sessions().rowCount(); ++i)
        EXPECT_EQ(Browser.Sessions().Mark(i), TVerdictMark::NotComputed);
    EXPECT_TRUE(slMessages.isEmpty());

    EXPECT_FALSE(Browser.ApplySessionFilter({TSQLFilter(), TVerdictMark::NotComputed}));
    EXPECT_EQ(Browser.Sessions().rowCount(), 0);
    ASSERT_FALSE(slMessages.isEmpty());
    EXPECT_TRUE(slMessages.front().startsWith("Exception raised with message"))
        << slMessages.front().toStdString();
}

TEST_F(SessionListMarks, SetMarkChangesOneListedRow) {
    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    TSessionListModel& r = Browser.Sessions();
    std::vector<int> aChangedRows;
    QObject::connect(&r, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& From, const QModelIndex& To) {
                         EXPECT_EQ(From.row(), To.row());
                         aChangedRows.push_back(From.row());
                     });
    r.SetMark(sNever, TVerdictMark::Fail);
    EXPECT_EQ(r.Mark(3), TVerdictMark::Fail);
    EXPECT_EQ(r.index(3, 0).data(TSessionListModel::kMarkRole).toInt(), int(TVerdictMark::Fail));
    // The same mark again, or a session not listed: nothing changes.
    r.SetMark(sNever, TVerdictMark::Fail);
    r.SetMark("not listed", TVerdictMark::Pass);
    EXPECT_EQ(aChangedRows, std::vector<int>{3});
    EXPECT_EQ(r.Mark(0), TVerdictMark::Pass);
    EXPECT_EQ(r.Mark(-1), TVerdictMark::NotComputed);
    EXPECT_EQ(r.Mark(99), TVerdictMark::NotComputed);
}

TEST_F(SessionListMarks, TheHintNamesTheMarkAndTheKeptReasons) {
    ASSERT_TRUE(Browser.RefreshSessions(TSQLFilter()));
    const QString sHead = "Session Name.:Failing  \n"
                          "  Session ID.:N  \n"
                          "    TC Start.:10:00:00:00  \n"
                          "      TC End.:10:30:00:00  \n";
    EXPECT_EQ(Browser.SessionHint(1),
              sHead + "     Verdict.:Fail  \n"
                      "              Integrated -23.0 LUFS is 9.0 LU below -14.0 ± 1.0  \n"
                      "              Peak -3.0 dBTP is within -1.0 dBTP  ");
    EXPECT_TRUE(Browser.SessionHint(3).endsWith("     Verdict.:Not yet computed  "));
    EXPECT_TRUE(Browser.SessionHint(2).contains("Verdict.:Not verifiable  \n              No level rows"));
    EXPECT_EQ(Browser.SessionHint(6), QString());

    // The language changes while the same session is hinted: the reasons follow it.
    EXPECT_TRUE(Browser.SessionHint(0).contains("Integrated -23.0 LUFS"));
    iLNG = kLanguageDanish;
    EXPECT_TRUE(Browser.SessionHint(0).contains("   Bedømmelse.:Bestået  \n               Integreret -23"))
        << Browser.SessionHint(0).toStdString();
}

// The judge refuses what it cannot judge, keeps nothing then, and leaves the session unmarked.
TEST_F(SessionListMarks, AJudgementThatCannotBeMadeKeepsNothing) {
    TSessionJudge NotStored(Db.Db, Options);
    EXPECT_FALSE(NotStored.JudgeAndKeep("no such session"));
    EXPECT_FALSE(NotStored.LastError().isEmpty());

    Exec(Db.Path(), "CREATE TRIGGER refuse BEFORE INSERT ON qxr_session_verdicts BEGIN "
                    "SELECT RAISE(ABORT, 'refused'); END;");
    TSessionJudge Refused(Db.Db, Options);
    EXPECT_FALSE(Refused.JudgeAndKeep(sNever));
    EXPECT_TRUE(Refused.LastError().contains("refused")) << qPrintable(Refused.LastError());
    std::optional<TKeptVerdict> rKept;
    ASSERT_TRUE(TComplianceStore(Db.Db).ReadKeptVerdict(sNever, rKept));
    EXPECT_FALSE(rKept.has_value());

    Exec(Db.Path(), "ALTER TABLE qxr_loudness_levels RENAME TO qxr_levels_gone;");
    TSessionJudge NoRows(Db.Db, Options);
    EXPECT_FALSE(NoRows.JudgeAndKeep(sGrown));
    EXPECT_FALSE(NoRows.LastError().isEmpty());
}

} // namespace
