#include "store/NewSessionTarget.h"
#include "store/ComplianceStore.h"
#include "store/SessionStore.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

TSessionInfo NewSession(const char* sReportId) {
    TSessionInfo r;
    r.sReportID = QString::fromLatin1(sReportId);
    r.sReportVersion = QStringLiteral("1");
    r.sShowTitle = QStringLiteral("Evening News");
    return r;
}

// The logging path as the main window runs it: the session's row goes through the store, the target chosen
// before it through the new session's target.
class NewSessionTargetTest : public ::testing::Test {
protected:
    // Starts a session as the main window does when the meter's setup arrives.
    void Start(const char* sReportId) {
        Targets.SessionStarting(QString::fromLatin1(sReportId));
        Store.InsertSession(NewSession(sReportId));
    }

    std::optional<TLoudnessStandard> StoredTarget(const char* sReportId) {
        std::optional<TLoudnessStandard> r;
        EXPECT_TRUE(TComplianceStore(Database.Db).ReadSessionTarget(QString::fromLatin1(sReportId), r));
        return r;
    }

    bool TargetTableExists() {
        SQLite::Database db(Database.Path().toStdString(), SQLite::OPEN_READONLY);
        return db.tableExists("qxr_session_targets");
    }

    qxtest::TSessionDatabase Database{kWindowBusyTimeoutMs};
    TSessionStore Store{Database.Db};
    TNewSessionTarget Targets{Database.Db, Store};
};

const TLoudnessStandard kStreaming{TStandardId::Custom, -16.0, 1.0, -1.0, true};
const TLoudnessStandard kAtsc{TStandardId::AtscA85, -24.0, 2.0, -2.0, true};

} // namespace

// The chosen target belongs to the one session started next; the session after it, started without a
// choice, is judged against the program default and gets nothing written.
TEST_F(NewSessionTargetTest, TheChosenTargetIsWrittenWithTheNextSessionOnly) {
    Targets.SetNextTarget(kStreaming);
    Start("SESSION-1");
    EXPECT_EQ(StoredTarget("SESSION-1"), kStreaming);
    EXPECT_FALSE(Targets.NextTarget().has_value());
    Start("SESSION-2");
    EXPECT_EQ(StoredTarget("SESSION-2"), std::nullopt);
    EXPECT_EQ(Targets.WaitingCount(), 0);
}

// A session at the program default leaves a database without the target tables as it was.
TEST_F(NewSessionTargetTest, TheProgramDefaultWritesNothing) {
    Targets.SetNextTarget(std::nullopt);
    Start("SESSION-1");
    EXPECT_EQ(Database.CountRows("qxr_sessions"), 1);
    EXPECT_FALSE(TargetTableExists());
}

// While another program holds the database the session's row waits in the store, and its target with it;
// both are written once the lock is gone, the target only after the row.
TEST_F(NewSessionTargetTest, ATargetWaitsForItsSessionRow) {
    auto LockHolder =
        std::make_unique<SQLite::Database>(Database.Path().toStdString(), SQLite::OPEN_READWRITE);
    LockHolder->exec("BEGIN EXCLUSIVE;");
    Targets.SetNextTarget(kAtsc);
    Start("SESSION-1");
    ASSERT_EQ(Store.WaitingCount(), 1);
    EXPECT_EQ(Targets.WaitingCount(), 1);
    LockHolder->exec("ROLLBACK;");
    LockHolder.reset();
    ASSERT_TRUE(qxtest::WaitFor([&] { return Store.WaitingCount() == 0; }));
    EXPECT_EQ(Targets.WaitingCount(), 0);
    EXPECT_EQ(StoredTarget("SESSION-1"), kAtsc);
}

// A target the database refuses after the row was written is told, kept, and written with the row's next
// write (the session's end).
TEST_F(NewSessionTargetTest, ARefusedTargetIsToldAndWrittenAtTheRowsNextWrite) {
    {
        SQLite::Database db(Database.Path().toStdString(), SQLite::OPEN_READWRITE);
        // Stands in the table's place, so that the target cannot be written while the session row can.
        db.exec("CREATE VIEW qxr_session_targets AS SELECT 1 AS x;");
    }
    QStringList slTold;
    QObject::connect(&Targets, &TNewSessionTarget::TargetNotWritten,
                     [&](const QString& sReportId, const QString&) { slTold << sReportId; });
    Targets.SetNextTarget(kStreaming);
    Start("SESSION-1");
    EXPECT_EQ(slTold, QStringList{"SESSION-1"});
    EXPECT_EQ(Targets.WaitingCount(), 1);
    {
        SQLite::Database db(Database.Path().toStdString(), SQLite::OPEN_READWRITE);
        db.exec("DROP VIEW qxr_session_targets;");
    }
    Store.UpdateSession(NewSession("SESSION-1"));
    EXPECT_EQ(Targets.WaitingCount(), 0);
    EXPECT_EQ(StoredTarget("SESSION-1"), kStreaming);
}
