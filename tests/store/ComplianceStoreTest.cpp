#include "store/ComplianceStore.h"
#include "compliance/LoudnessRange.h"
#include "compliance/Standards.h"
#include "tests/support/SessionDatabase.h"

#include "review/LevelData.h"

#include <QStringList>
#include <SQLiteCpp/SQLiteCpp.h>
#include <functional>
#include <gtest/gtest.h>

namespace {

using qxtest::TSessionDatabase;
using qxtest::TStoredSession;

const TStoredSession kSession{"Evening News", "EN-1", "Operator", "HD", "", {}, "qxMeter"};

// The tables of the file with their stored definitions, by name.
QStringList Schema(const QString& sPath) {
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READONLY);
    SQLite::Statement query(db,
                            "SELECT name || ': ' || sql FROM sqlite_master WHERE type='table' ORDER BY name");
    QStringList sl;
    while (query.executeStep())
        sl << QString::fromUtf8(query.getColumn(0).getText());
    return sl;
}

void Exec(const QString& sPath, const std::string& sSQL) {
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE);
    db.exec(sSQL);
}

// The session judged from its stored rows and setup against the target it is judged against (its own, or
// the default), as a window does it.
TKeptVerdict JudgeStored(TdbSQLite& rDB, const QString& sReportId, const TLoudnessSetup& rSetup) {
    std::unique_ptr<TDBResult> pResult;
    TLevelData rData;
    QString sError;
    if (rDB.RetreiveSessionData(sReportId, {}, pResult)) {
        EXPECT_EQ(ReadLevelRows(*pResult, rData, {}, sError), TReadResult::Complete) << qPrintable(sError);
    }
    std::optional<TLoudnessStandard> rOwn;
    EXPECT_TRUE(TComplianceStore(rDB).ReadSessionTarget(sReportId, rOwn));
    const TVerdict v = JudgeSession(rData, rSetup, EffectiveTarget(rOwn, {}), false);
    return KeepVerdict(v, CalcLoudnessRange(rData, rSetup), QStringLiteral("10:30:00:00"), rData.RowCount());
}

// The setup the session fixture stores: true peak, LUFS, K-Filter, a 3-second window.
TLoudnessSetup StoredSetup() {
    return {1, 2, 1, 0, 1, -10.5, -23.0, -1.0, 0.0, 0, 1, 1, true};
}

class ComplianceStore : public ::testing::Test {
protected:
    bool HasTarget(const QString& sId) {
        std::optional<TLoudnessStandard> r;
        EXPECT_TRUE(Store.ReadSessionTarget(sId, r));
        return r.has_value();
    }
    bool HasVerdict(const QString& sId) {
        std::optional<TKeptVerdict> r;
        EXPECT_TRUE(Store.ReadKeptVerdict(sId, r));
        return r.has_value();
    }

    TSessionDatabase Session;
    TComplianceStore Store{Session.Db};
};

// A database written before targets and verdicts existed: it opens and reads without a change to the file,
// its sessions get the program's default and no kept verdict, and logging into it goes on. The tables come
// with the first target or verdict written, beside the session tables, which keep their definitions.
TEST_F(ComplianceStore, OldDatabaseOpensUnchangedAndGetsTheDefault) {
    const QString sId = Session.AddSession(kSession, 2);
    const QStringList slOld = Schema(Session.Path());
    ASSERT_TRUE(slOld.filter(QStringLiteral("qxr_session_targets")).isEmpty());
    ASSERT_TRUE(slOld.filter(QStringLiteral("qxr_session_verdicts")).isEmpty());
    ASSERT_TRUE(Session.Db.OpenSQLiteDB(Session.Path()));

    std::optional<TLoudnessStandard> rTarget;
    ASSERT_TRUE(Store.ReadSessionTarget(sId, rTarget));
    EXPECT_FALSE(rTarget.has_value());
    TComplianceOptions rOptions;
    EXPECT_TRUE(EffectiveTarget(rTarget, rOptions) == StandardOf(TStandardId::EbuR128, rOptions));
    rOptions.eDefaultStandard = TStandardId::AtscA85;
    EXPECT_TRUE(EffectiveTarget(rTarget, rOptions) == StandardOf(TStandardId::AtscA85, rOptions));
    std::optional<TKeptVerdict> rKept;
    ASSERT_TRUE(Store.ReadKeptVerdict(sId, rKept));
    EXPECT_FALSE(rKept.has_value());
    QHash<QString, TKeptMark> aMarks;
    QHash<QString, TLoudnessStandard> aTargets;
    ASSERT_TRUE(Store.ReadVerdictMarks(rOptions, aMarks));
    ASSERT_TRUE(Store.ReadSessionTargets(aTargets));
    EXPECT_TRUE(aMarks.isEmpty());
    EXPECT_TRUE(aTargets.isEmpty());
    ASSERT_TRUE(Session.Db.InsertLevelRow({sId, "1", "10:00:05:00", 1, -2.0, -20.0, -30.0, -23.0, 0.0}));
    ASSERT_TRUE(Session.Db.UpdateSession([&] {
        TSessionInfo s;
        s.sReportID = sId;
        s.sReportVersion = "1";
        return s;
    }()));
    ASSERT_TRUE(Session.Db.DeleteSessionData(QStringLiteral("no such session")));
    EXPECT_EQ(Schema(Session.Path()), slOld);
    EXPECT_EQ(Session.CountRows("qxr_loudness_levels", sId), 3);

    ASSERT_TRUE(Store.WriteSessionTarget(sId, StandardOf(TStandardId::EbuR128Live, {})));
    const QStringList slNew = Schema(Session.Path());
    ASSERT_EQ(slNew.size(), slOld.size() + 2);
    for (const QString& s : slOld)
        EXPECT_TRUE(slNew.contains(s)) << qPrintable(s);
}

TEST_F(ComplianceStore, TargetsRoundTrip) {
    const QString sA = Session.AddSession(kSession);
    // An identifier that would break a statement built by pasting it between quotes.
    const QString sHostile = QStringLiteral("x\"); DELETE FROM qxr_session_targets; --'");
    std::vector<TLoudnessStandard> aTargets(PresetStandards().begin(), PresetStandards().end());
    aTargets.push_back({TStandardId::Custom, -16.0, 1.0, -1.0, false});
    aTargets.push_back({TStandardId::Custom, -14.0, 0.0, -2.0, true});
    for (const TLoudnessStandard& r : aTargets) {
        SCOPED_TRACE(int(r.eId));
        for (const QString& sId : {sA, sHostile}) {
            ASSERT_TRUE(Store.WriteSessionTarget(sId, r)) << qPrintable(Store.LastError());
            std::optional<TLoudnessStandard> rRead;
            ASSERT_TRUE(Store.ReadSessionTarget(sId, rRead));
            ASSERT_TRUE(rRead.has_value());
            EXPECT_TRUE(*rRead == r);
        }
    }
    QHash<QString, TLoudnessStandard> aAll;
    ASSERT_TRUE(Store.ReadSessionTargets(aAll));
    EXPECT_EQ(aAll.size(), 2);
    EXPECT_TRUE(aAll.value(sHostile) == aTargets.back());

    // Figures outside their ranges are refused and leave the stored target as it was.
    EXPECT_FALSE(Store.WriteSessionTarget(sA, {TStandardId::Custom, -23.0, 50.0, -1.0, true}));
    std::optional<TLoudnessStandard> rRead;
    ASSERT_TRUE(Store.ReadSessionTarget(sA, rRead));
    EXPECT_TRUE(rRead.has_value() && *rRead == aTargets.back());

    ASSERT_TRUE(Store.ClearSessionTarget(sA));
    EXPECT_FALSE(HasTarget(sA));
    EXPECT_TRUE(HasTarget(sHostile));
}

TEST_F(ComplianceStore, KeptVerdictsRoundTripAndMarkTheList) {
    const QString sA = Session.AddSession(kSession, 3);
    const QString sB = Session.AddSession(kSession, 0);
    const TKeptVerdict rA = JudgeStored(Session.Db, sA, StoredSetup());
    const TKeptVerdict rB = JudgeStored(Session.Db, sB, StoredSetup());
    ASSERT_EQ(rA.eKind, TVerdictKind::Pass);
    ASSERT_EQ(rB.eKind, TVerdictKind::NotVerifiable);
    ASSERT_TRUE(rA.rRange.Valid());
    ASSERT_TRUE(Store.WriteKeptVerdict(sA, rA)) << qPrintable(Store.LastError());
    ASSERT_TRUE(Store.WriteKeptVerdict(sB, rB));

    std::optional<TKeptVerdict> rRead;
    ASSERT_TRUE(Store.ReadKeptVerdict(sA, rRead));
    ASSERT_TRUE(rRead.has_value());
    EXPECT_EQ(rRead->eKind, rA.eKind);
    EXPECT_TRUE(rRead->rStandard == rA.rStandard);
    EXPECT_EQ(rRead->sReasons, rA.sReasons);
    EXPECT_DOUBLE_EQ(rRead->rRange.fRange, rA.rRange.fRange);
    EXPECT_EQ(rRead->sTimeCodeEnd, "10:30:00:00");
    EXPECT_EQ(rRead->iLevelRows, 3);
    TVerdict vA;
    ASSERT_TRUE(RestoreVerdict(*rRead, vA));

    const auto Marks = [this](TStandardId eDefault) {
        TComplianceOptions rOptions;
        rOptions.eDefaultStandard = eDefault;
        QHash<QString, TKeptMark> aMarks;
        EXPECT_TRUE(Store.ReadVerdictMarks(rOptions, aMarks));
        return aMarks;
    };
    QHash<QString, TKeptMark> aMarks = Marks(TStandardId::EbuR128);
    ASSERT_EQ(aMarks.size(), 2);
    EXPECT_EQ(MarkOf(&aMarks[sA], QStringLiteral("10:30:00:00")), TVerdictMark::Pass);
    EXPECT_EQ(MarkOf(&aMarks[sB], QStringLiteral("10:30:00:00")), TVerdictMark::NotVerifiable);
    // A session that grew since its verdict was kept.
    EXPECT_EQ(MarkOf(&aMarks[sA], QStringLiteral("10:31:00:00")), TVerdictMark::NotComputed);
    EXPECT_EQ(MarkOf(nullptr, QStringLiteral("10:30:00:00")), TVerdictMark::NotComputed);
    // Another default makes every kept mark wait for a new computation.
    aMarks = Marks(TStandardId::AtscA85);
    EXPECT_EQ(MarkOf(&aMarks[sA], QStringLiteral("10:30:00:00")), TVerdictMark::NotComputed);
    EXPECT_EQ(MarkOf(&aMarks[sB], QStringLiteral("10:30:00:00")), TVerdictMark::NotComputed);

    // A session with a target of its own is marked against it, whatever the default.
    const TLoudnessStandard rOwn{TStandardId::Custom, -16.0, 1.0, -1.0, true};
    ASSERT_TRUE(Store.WriteSessionTarget(sA, rOwn));
    TKeptVerdict rOwnKept = rA;
    rOwnKept.rStandard = rOwn;
    rOwnKept.eKind = TVerdictKind::Fail;
    ASSERT_TRUE(Store.WriteKeptVerdict(sA, rOwnKept));
    for (const TStandardId eDefault : {TStandardId::EbuR128, TStandardId::AtscA85}) {
        aMarks = Marks(eDefault);
        EXPECT_EQ(MarkOf(&aMarks[sA], QStringLiteral("10:30:00:00")), TVerdictMark::Fail);
    }
    // A verdict against another target than the session's own is refused; the kept one stays.
    EXPECT_FALSE(Store.WriteKeptVerdict(sA, rA));
    EXPECT_EQ(MarkOf(&Marks(TStandardId::EbuR128)[sA], QStringLiteral("10:30:00:00")), TVerdictMark::Fail);
    // Back to the default: the verdict against the old target goes with it.
    ASSERT_TRUE(Store.ClearSessionTarget(sA));
    EXPECT_FALSE(Marks(TStandardId::EbuR128).contains(sA));
}

// Whatever changes a session's rows, setup or target makes its kept verdict go, and only its own.
TEST_F(ComplianceStore, ChangesForgetTheKeptVerdict) {
    struct TCase {
        const char* sName;
        std::function<bool(TdbSQLite&, TComplianceStore&, const QString&)> fnChange;
        bool bTargetGoes;
    };
    const TCase aCases[] = {
        {"a level row is logged",
         [](TdbSQLite& db, TComplianceStore&, const QString& sId) {
             return db.InsertLevelRow({sId, "1", "10:31:00:00", 1, -2.0, -20.0, -30.0, -23.0, 0.0});
         },
         false},
        {"a level row arrives the old way",
         [](TdbSQLite& db, TComplianceStore&, const QString& sId) {
             return db.InsertSessionData(sId, "1", 1, 1, -23.0, -2.0, -30.0, -20.0, 0, 0, "10:31:00:00");
         },
         false},
        {"the session is updated",
         [](TdbSQLite& db, TComplianceStore&, const QString& sId) {
             TSessionInfo s;
             s.sReportID = sId;
             s.sReportVersion = "1";
             s.rLoudnessSetup = StoredSetup();
             s.rLoudnessSetup.iPeakMode = 0;
             return db.UpdateSession(s);
         },
         false},
        {"another target is chosen",
         [](TdbSQLite&, TComplianceStore& store, const QString& sId) {
             return store.WriteSessionTarget(sId, StandardOf(TStandardId::AribTrB32, {}));
         },
         false},
        {"the target goes back to the default",
         [](TdbSQLite&, TComplianceStore& store, const QString& sId) {
             return store.ClearSessionTarget(sId);
         },
         true},
        {"the session is deleted",
         [](TdbSQLite& db, TComplianceStore&, const QString& sId) { return db.DeleteSessionData(sId); },
         true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sA = Session.AddSession(kSession, 2);
        const QString sB = Session.AddSession(kSession, 2);
        for (const QString& sId : {sA, sB}) {
            ASSERT_TRUE(Store.WriteSessionTarget(sId, StandardOf(TStandardId::EbuR128Live, {})));
            ASSERT_TRUE(Store.WriteKeptVerdict(sId, JudgeStored(Session.Db, sId, StoredSetup())));
        }
        ASSERT_TRUE(c.fnChange(Session.Db, Store, sA));
        EXPECT_FALSE(HasVerdict(sA));
        EXPECT_EQ(HasTarget(sA), !c.bTargetGoes);
        EXPECT_TRUE(HasVerdict(sB));
        EXPECT_TRUE(HasTarget(sB));
    }
}

// Rows of a file that someone edited by hand are read as absent (the session is judged against the default
// and computed afresh), never as a pass or a tolerance that the program did not write.
TEST_F(ComplianceStore, UnsoundRowsReadAsAbsent) {
    const QString sId = Session.AddSession(kSession, 2);
    // The list reads only a mark's columns: damage elsewhere shows when the verdict itself is read.
    struct TDamage {
        const char* sSet;
        bool bMarkGoes;
    };
    const TDamage aVerdictDamage[] = {
        {"iVerdict=3", true},
        {"iVerdict='pass'", true},
        {"iStandard=9", true},
        {"iStandard=5, fTolerance=50", true},
        {"fTargetLoudness='loud'", true},
        {"fMaxTruePeak=NULL", true},
        {"iRequireTruePeak=2", true},
        {"sReasons=NULL", false},
        {"fLoudnessRange=NULL", false},
        {"iRangeProblem=7", false},
    };
    for (const TDamage& d : aVerdictDamage) {
        SCOPED_TRACE(d.sSet);
        ASSERT_TRUE(Store.WriteKeptVerdict(sId, JudgeStored(Session.Db, sId, StoredSetup())));
        Exec(Session.Path(), std::string("UPDATE qxr_session_verdicts SET ") + d.sSet);
        std::optional<TKeptVerdict> rKept;
        ASSERT_TRUE(Store.ReadKeptVerdict(sId, rKept));
        EXPECT_FALSE(rKept.has_value());
        QHash<QString, TKeptMark> aMarks;
        ASSERT_TRUE(Store.ReadVerdictMarks({}, aMarks));
        const auto it = aMarks.constFind(sId);
        EXPECT_EQ(MarkOf(it != aMarks.constEnd() ? &*it : nullptr, QStringLiteral("10:30:00:00")) ==
                      TVerdictMark::NotComputed,
                  d.bMarkGoes);
    }
    const char* const aTargetDamage[] = {"iStandard=-1", "iStandard=5, fTargetLoudness=12",
                                         "fTolerance='wide'", "iRequireTruePeak=NULL"};
    for (const char* sDamage : aTargetDamage) {
        SCOPED_TRACE(sDamage);
        ASSERT_TRUE(Store.WriteSessionTarget(sId, {TStandardId::Custom, -16.0, 1.0, -1.0, true}));
        Exec(Session.Path(), std::string("UPDATE qxr_session_targets SET ") + sDamage);
        std::optional<TLoudnessStandard> rTarget;
        ASSERT_TRUE(Store.ReadSessionTarget(sId, rTarget));
        EXPECT_FALSE(rTarget.has_value());
    }
    // A preset is judged by its own figures whatever its row says.
    ASSERT_TRUE(Store.WriteSessionTarget(sId, StandardOf(TStandardId::EbuR128, {})));
    Exec(Session.Path(), "UPDATE qxr_session_targets SET fTolerance=5");
    std::optional<TLoudnessStandard> rTarget;
    ASSERT_TRUE(Store.ReadSessionTarget(sId, rTarget));
    ASSERT_TRUE(rTarget.has_value());
    EXPECT_EQ(rTarget->fTolerance, 0.5);
}

} // namespace
