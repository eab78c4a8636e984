#include "store/SessionGapStore.h"
#include "store/SessionStore.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

const char* const kFirst = "11111111-2222-3333-4444-555555555555";
const char* const kSecond = "66666666-7777-8888-9999-AAAAAAAAAAAA";

TSessionInfo Session(const char* sId) {
    TSessionInfo r;
    r.sReportID = sId;
    r.sReportVersion = "1";
    r.sShowTitle = "Night";
    return r;
}

TSessionGap Gap(const char* sId, const QString& sBefore, const QString& sAfter, const QDateTime& dtAfter) {
    TSessionGap r;
    r.sReportId = sId;
    r.sTimeCodeBefore = sBefore;
    r.sTimeCodeAfter = sAfter;
    r.dtBefore = dtAfter.addSecs(-12);
    r.dtAfter = dtAfter;
    r.sReason = QStringLiteral("The serial device disappeared.");
    return r;
}

class SessionGapStoreTest : public ::testing::Test {
public:
    void SetUp() override {
        sDB = dir.path() + "/sessions.DB3";
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
        ASSERT_TRUE(db.OpenSQLiteDB(sDB));
    }
    void TearDown() override { qxtest::SetImmutable(sDB, false); }

    bool GapTableExists() const {
        SQLite::Database peek(sDB.toStdString(), SQLite::OPEN_READONLY);
        return peek.tableExists("qxr_session_gaps");
    }

    QTemporaryDir dir;
    QString sDB;
    TdbSQLite db{kWindowBusyTimeoutMs};
    TSessionStore store{db};
    TSessionGapStore gaps{db};
    const QDateTime dtNoon{QDate(2026, 12, 11), QTime(12, 0, 5)};
};

} // namespace

TEST_F(SessionGapStoreTest, GapsAreKeptInTheirOwnTableInOrderAndGoWithTheirSession) {
    // A database nobody resumed a session in keeps the tables it was made with, and reads as gapless.
    store.InsertSession(Session(kFirst));
    QList<TSessionGap> aRead;
    ASSERT_TRUE(gaps.ReadGapsOf(kFirst, aRead)) << gaps.LastError().toStdString();
    EXPECT_TRUE(aRead.isEmpty());
    EXPECT_FALSE(GapTableExists());

    const QList<TSessionGap> aFirst = {Gap(kFirst, "10:00:09:00", "10:00:21:00", dtNoon),
                                       Gap(kFirst, "10:05:00:00", "10:05:40:00", dtNoon.addSecs(300))};
    const TSessionGap rOther = Gap(kSecond, "11:00:00:00", "11:00:30:00", dtNoon.addDays(-1));
    store.InsertSession(Session(kSecond));
    store.InsertGap(aFirst[0]);
    store.InsertGap(rOther);
    store.InsertGap(aFirst[1]);
    ASSERT_EQ(store.WaitingCount(), 0);
    ASSERT_TRUE(gaps.ReadGapsOf(kFirst, aRead));
    EXPECT_EQ(aRead, aFirst);

    // Gaps that ended today, of every session.
    struct {
        QDateTime dtFrom;
        int iExpected;
    } aCases[] = {
        {dtNoon.addDays(-2), 3}, {QDateTime(dtNoon.date(), QTime(0, 0)), 2}, {dtNoon.addSecs(1), 1}};
    for (const auto& c : aCases) {
        int iCount = -1;
        ASSERT_TRUE(gaps.CountEndedSince(c.dtFrom, iCount));
        EXPECT_EQ(iCount, c.iExpected) << c.dtFrom.toString().toStdString();
    }

    ASSERT_TRUE(db.DeleteSessionData(kFirst));
    ASSERT_TRUE(gaps.ReadGapsOf(kFirst, aRead));
    EXPECT_TRUE(aRead.isEmpty());
    ASSERT_TRUE(gaps.ReadGapsOf(kSecond, aRead));
    EXPECT_EQ(aRead, QList<TSessionGap>{rOther});
}

TEST_F(SessionGapStoreTest, AGapTheDatabaseRefusedWaitsGoesToTheRecoveryFileAndComesBack) {
    store.InsertSession(Session(kFirst));
    ASSERT_TRUE(qxtest::SetImmutable(sDB, true));
    const TSessionGap rGap = Gap(kFirst, "10:00:09:00", "10:00:21:00", dtNoon);
    store.InsertGap(rGap);
    EXPECT_EQ(store.WaitingWritesOf(kFirst), 1);
    QString sError;
    const QStringList slFiles = store.SaveWaiting(sError);
    qxtest::SetImmutable(sDB, false);
    ASSERT_EQ(slFiles.size(), 1) << sError.toStdString();

    // A line of the file that names no session must not bring a gap that belongs to none.
    QFile file(slFiles.first());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("{\"kind\":\"gap\",\"tcBefore\":\"10:00:00:00\",\"tcAfter\":\"10:00:01:00\"}\n");
    file.close();

    TdbSQLite next{kWindowBusyTimeoutMs};
    ASSERT_TRUE(next.OpenSQLiteDB(sDB));
    TSessionStore nextStore{next};
    int iTaken = 0;
    int iSkipped = 0;
    ASSERT_TRUE(nextStore.ImportRecovery(slFiles.first(), iTaken, iSkipped, sError)) << sError.toStdString();
    EXPECT_EQ(iTaken, 1);
    EXPECT_EQ(iSkipped, 1);
    ASSERT_TRUE(qxtest::WaitFor([&] { return nextStore.WaitingCount() == 0; }));
    QList<TSessionGap> aRead;
    ASSERT_TRUE(TSessionGapStore(next).ReadGapsOf(kFirst, aRead));
    EXPECT_EQ(aRead, QList<TSessionGap>{rGap});
}

TEST_F(SessionGapStoreTest, HandEditedRowsThatDoNotPlaceTheGapAreLeftOut) {
    store.InsertSession(Session(kFirst));
    store.InsertGap(Gap(kFirst, "10:00:09:00", "10:00:21:00", dtNoon));
    {
        SQLite::Database edit(sDB.toStdString(), SQLite::OPEN_READWRITE);
        edit.exec("INSERT INTO qxr_session_gaps (sReportId,sTimeCodeBefore,sTimeCodeAfter) VALUES "
                  "('11111111-2222-3333-4444-555555555555',NULL,'10:00:30:00'),"
                  "('11111111-2222-3333-4444-555555555555',x'3130',''),"
                  "('',  '10:00:00:00','10:00:30:00');");
        edit.exec("INSERT INTO qxr_session_gaps (sReportId,sTimeCodeBefore,sTimeCodeAfter,dtBefore,dtAfter) "
                  "VALUES ('11111111-2222-3333-4444-555555555555','10:01:00:00','10:01:05:00','x','y');");
    }
    QList<TSessionGap> aRead;
    ASSERT_TRUE(gaps.ReadGapsOf(kFirst, aRead));
    ASSERT_EQ(aRead.size(), 2);
    // Unreadable date-times are shown as unknown, the timecodes still place the gap.
    EXPECT_EQ(aRead[1].sTimeCodeAfter, "10:01:05:00");
    EXPECT_FALSE(aRead[1].dtAfter.isValid());
}
