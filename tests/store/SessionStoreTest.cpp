#include "store/SessionStore.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const char* const kId = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";

using qxtest::SetImmutable;

TSessionInfo Session() {
    TSessionInfo r;
    r.sReportID = kId;
    r.sReportVersion = "1";
    r.sShowTitle = "Evening News";
    return r;
}

TStoredLevel Level(int iSecond) {
    TStoredLevel r;
    r.sReportId = kId;
    r.sReportVersion = "1";
    r.sTimeCode = QStringLiteral("10:00:%1:00").arg(iSecond, 2, 10, QChar('0'));
    r.iPeakChannel = 1;
    r.fInstantaneousPeak = -3.5;
    r.fLoudnessHi = -20.0 - iSecond;
    r.fLoudnessLo = -30.0;
    r.fLoudnessInt = -23.0;
    return r;
}

class SessionStoreTest : public ::testing::Test {
public:
    void SetUp() override {
        sDB = dir.path() + "/sessions.DB3";
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
        ASSERT_TRUE(db.OpenSQLiteDB(sDB));
    }
    void TearDown() override {
        // Whatever a failed test left marked must not keep the temporary folder from going.
        SetImmutable(sDB, false);
        SetImmutable(dir.path(), false);
    }

    SQLite::Database Peek() const { return SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE); }

    // The level rows' timecodes in stored order.
    QStringList StoredTimecodes() const {
        auto peek = Peek();
        SQLite::Statement q(peek, "SELECT sTimeCode FROM qxr_loudness_levels ORDER BY nId;");
        QStringList sl;
        while (q.executeStep())
            sl << QString::fromStdString(q.getColumn(0).getString());
        return sl;
    }

    QString SessionColumn(const char* sColumn) const {
        auto peek = Peek();
        SQLite::Statement q(peek, std::string("SELECT ") + sColumn + " FROM qxr_sessions WHERE sReportId=?;");
        q.bind(1, kId);
        if (!q.executeStep())
            return QStringLiteral("<no row>");
        return q.getColumn(0).isNull() ? QStringLiteral("<null>") : QString::fromStdString(q.getColumn(0));
    }

    QTemporaryDir dir;
    QString sDB;
    TdbSQLite db{kWindowBusyTimeoutMs};
    TSessionStore store{db};
    // The faults' own state: another program's connection holding the lock, the file size limit before.
    std::unique_ptr<SQLite::Database> LockHolder;
    rlimit rOldLimit{};
};

// A fault of the database that a write meets, made so that it really fails for a privileged user too.
struct TStoreFault {
    const char* sName;
    // Makes the fault; false when this machine cannot make it.
    std::function<bool(SessionStoreTest&)> fnApply;
    std::function<void(SessionStoreTest&)> fnClear;
    // Seconds the fault lasts while rows keep coming, one a second; 0 gives them at once.
    int iSeconds = 0;
};

} // namespace

TEST_F(SessionStoreTest, EveryFaultKeepsTheRowsInOrderAndWritesThemOnceCleared) {
    const TStoreFault aFaults[] = {
        {"read-only file (immutable)", [](SessionStoreTest& t) { return SetImmutable(t.sDB, true); },
         [](SessionStoreTest& t) { SetImmutable(t.sDB, false); }},
        {"read-only folder (immutable)", [](SessionStoreTest& t) { return SetImmutable(t.dir.path(), true); },
         [](SessionStoreTest& t) { SetImmutable(t.dir.path(), false); }},
        {"disk full (file size limit 0)",
         [](SessionStoreTest& t) {
             std::signal(SIGXFSZ, SIG_IGN);
             getrlimit(RLIMIT_FSIZE, &t.rOldLimit);
             rlimit rFull = t.rOldLimit;
             rFull.rlim_cur = 0;
             return setrlimit(RLIMIT_FSIZE, &rFull) == 0;
         },
         [](SessionStoreTest& t) { setrlimit(RLIMIT_FSIZE, &t.rOldLimit); }},
        {"lock held 10 s by another connection",
         [](SessionStoreTest& t) {
             t.LockHolder = std::make_unique<SQLite::Database>(t.Peek());
             t.LockHolder->exec("BEGIN EXCLUSIVE;");
             return true;
         },
         [](SessionStoreTest& t) {
             t.LockHolder->exec("ROLLBACK;");
             t.LockHolder.reset();
         },
         10},
        {"wrong schema (a level column renamed)",
         [](SessionStoreTest& t) {
             t.Peek().exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessInt TO fGone;");
             return true;
         },
         [](SessionStoreTest& t) {
             t.Peek().exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fGone TO fLoudnessInt;");
         }},
    };
    for (const TStoreFault& rFault : aFaults) {
        SCOPED_TRACE(rFault.sName);
        // Each fault starts from an empty database with a session already under way.
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
        ASSERT_TRUE(db.OpenSQLiteDB(sDB));
        store.InsertSession(Session());
        store.InsertLevel(Level(0));
        ASSERT_EQ(store.WaitingCount(), 0);
        EXPECT_FALSE(store.RetryRunning()) << "nothing waits, nothing runs";

        if (!rFault.fnApply(*this)) {
            ADD_FAILURE() << "this machine cannot make the fault";
            continue;
        }
        QList<QPair<int, QString>> aSeen;
        const auto Seen = QObject::connect(&store, &TSessionStore::WaitingChanged,
                                           [&](int iWaiting, const QString& sReason) {
                                               aSeen.append({iWaiting, sReason});
                                           });
        QElapsedTimer longest;
        qint64 iLongestMs = 0;
        const int iRows = rFault.iSeconds > 0 ? rFault.iSeconds : 5;
        for (int i = 1; i <= iRows; ++i) {
            longest.start();
            store.InsertLevel(Level(i));
            iLongestMs = std::max(iLongestMs, longest.elapsed());
            if (rFault.iSeconds > 0) {
                QElapsedTimer second;
                second.start();
                // The retry runs meanwhile, as in the program; it must never hold the caller up for long.
                qxtest::WaitFor([&] { return second.elapsed() >= 1000; }, 1100);
            }
        }
        store.UpdateSession(Session());
        const int iWaiting = store.WaitingCount();
        // The session's level rows wait, and its closing record behind them; another session has none.
        const int iWaitingLevels = store.WaitingLevelsOf(Session().sReportID);
        const int iWaitingWrites = store.WaitingWritesOf(Session().sReportID);
        const int iWaitingElsewhere = store.WaitingLevelsOf(QStringLiteral("ANOTHER-SESSION"));
        rFault.fnClear(*this);

        EXPECT_EQ(iWaiting, iRows + 1) << "every row waits behind the first refused one";
        EXPECT_EQ(iWaitingLevels, iRows);
        EXPECT_EQ(iWaitingWrites, iRows + 1);
        EXPECT_EQ(iWaitingElsewhere, 0);
        ASSERT_FALSE(aSeen.isEmpty());
        EXPECT_FALSE(aSeen.first().second.isEmpty()) << "the warning names the database's reason";
        EXPECT_LT(iLongestMs, 1000) << "a write never holds the window for long";

        ASSERT_TRUE(qxtest::WaitFor([&] { return store.WaitingCount() == 0; }, 5000))
            << store.WaitingReason().toStdString();
        EXPECT_EQ(aSeen.last().first, 0);
        QObject::disconnect(Seen);
        EXPECT_FALSE(store.RetryRunning());
        QStringList slExpected;
        for (int i = 0; i <= iRows; ++i)
            slExpected << Level(i).sTimeCode;
        EXPECT_EQ(StoredTimecodes(), slExpected);
        EXPECT_EQ(SessionColumn("count(*)"), "1");
    }
}

TEST_F(SessionStoreTest, LevelRowsKeepTheSessionsTimecodesCurrent) {
    store.InsertSession(Session());
    EXPECT_EQ(SessionColumn("sTimeCodeStart"), "<null>");
    store.InsertLevel(Level(3));
    EXPECT_EQ(SessionColumn("sTimeCodeStart"), "10:00:03:00");
    EXPECT_EQ(SessionColumn("sTimeCodeEnd"), "10:00:03:00");
    store.InsertLevel(Level(4));
    store.InsertLevel(Level(5));
    EXPECT_EQ(SessionColumn("sTimeCodeStart"), "10:00:03:00");
    EXPECT_EQ(SessionColumn("sTimeCodeEnd"), "10:00:05:00");
}

TEST_F(SessionStoreTest, OpenRepairsSessionsCutOffByACrash) {
    {
        auto peek = Peek();
        peek.exec("INSERT INTO qxr_sessions (sReportId) VALUES ('cut'),('empty'),('done');");
        peek.exec("UPDATE qxr_sessions SET sTimeCodeStart='01:00:00:00',sTimeCodeEnd='02:00:00:00' WHERE "
                  "sReportId='done';");
        peek.exec("INSERT INTO qxr_loudness_levels (sReportId,sTimeCode) VALUES ('cut','10:00:01:00'),"
                  "('done','10:00:01:00'),('cut','10:00:02:00'),('cut','10:00:03:00');");
    }
    ASSERT_TRUE(db.OpenSQLiteDB(sDB));
    EXPECT_EQ(db.RepairedSessions(), 2);
    auto peek = Peek();
    SQLite::Statement q(peek, "SELECT sReportId,sTimeCodeStart,sTimeCodeEnd FROM qxr_sessions ORDER BY nId;");
    QStringList sl;
    while (q.executeStep())
        sl << QString::fromStdString(q.getColumn(0).getString() + "|" + q.getColumn(1).getString() + "|" +
                                     q.getColumn(2).getString());
    EXPECT_EQ(sl, QStringList({"cut|10:00:01:00|10:00:03:00", "empty||", "done|01:00:00:00|02:00:00:00"}));

    // A session that had no rows when repaired still takes its first row's timecode as its start.
    TStoredLevel r = Level(7);
    r.sReportId = "empty";
    ASSERT_TRUE(db.InsertLevelRow(r));
    SQLite::Statement e(peek, "SELECT sTimeCodeStart FROM qxr_sessions WHERE sReportId='empty';");
    ASSERT_TRUE(e.executeStep());
    EXPECT_EQ(e.getColumn(0).getString(), "10:00:07:00");
    ASSERT_TRUE(db.OpenSQLiteDB(sDB));
    EXPECT_EQ(db.RepairedSessions(), 0);
}

TEST_F(SessionStoreTest, OpenAndVerifyRefuseTablesThatLackColumnsAndNameThem) {
    struct TCase {
        const char* sChange;
        QStringList slMissing;
    };
    const TCase aCases[] = {
        {"ALTER TABLE qxr_sessions DROP COLUMN sTimeCodeEnd;", {"qxr_sessions.sTimeCodeEnd"}},
        {"ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessHi TO fHigh;",
         {"qxr_loudness_levels.fLoudnessHi"}},
        {"DROP TABLE qxr_loudness_levels;", {"qxr_loudness_levels"}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sChange);
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
        Peek().exec(c.sChange);
        EXPECT_FALSE(db.OpenSQLiteDB(sDB));
        EXPECT_EQ(db.MissingColumns(), c.slMissing);
        EXPECT_TRUE(db.LastError().contains(c.slMissing.first()));
        EXPECT_TRUE(db.DatabaseFileName().isEmpty()) << "nothing is written into a refused file";
        if (c.slMissing.first().contains('.')) {
            EXPECT_FALSE(db.VerifySQLiteDB(sDB));
            EXPECT_EQ(db.MissingColumns(), c.slMissing);
        }
    }
}

TEST_F(SessionStoreTest, WaitingRowsGoToARecoveryFileAndAreImportedLater) {
    store.InsertSession(Session());
    store.InsertLevel(Level(0));
    ASSERT_TRUE(SetImmutable(sDB, true));
    for (int i = 1; i <= 3; ++i)
        store.InsertLevel(Level(i));
    store.UpdateSession(Session());
    QString sError;
    const QStringList slFiles = store.SaveWaiting(sError);
    SetImmutable(sDB, false);
    ASSERT_EQ(slFiles, QStringList{sDB + ".recovery"}) << sError.toStdString();
    EXPECT_EQ(store.WaitingCount(), 0);
    EXPECT_FALSE(store.RetryRunning());

    // The next run, with the file writable again.
    TdbSQLite next{kWindowBusyTimeoutMs};
    ASSERT_TRUE(next.OpenSQLiteDB(sDB));
    TSessionStore nextStore{next};
    ASSERT_EQ(nextStore.RecoveryFilesFound(), slFiles);
    int iTaken = 0;
    int iSkipped = 0;
    ASSERT_TRUE(nextStore.ImportRecovery(slFiles.first(), iTaken, iSkipped, sError));
    EXPECT_EQ(iTaken, 4);
    EXPECT_EQ(iSkipped, 0);
    // A backlog is written in short slices between the window's events.
    ASSERT_TRUE(qxtest::WaitFor([&] { return nextStore.WaitingCount() == 0; }));
    EXPECT_FALSE(QFile::exists(slFiles.first()));
    EXPECT_EQ(StoredTimecodes(), QStringList({"10:00:00:00", "10:00:01:00", "10:00:02:00", "10:00:03:00"}));
}

TEST_F(SessionStoreTest, RecoveryFileLinesAreUntrusted) {
    TStoreWrite rSession;
    rSession.eKind = TStoreWrite::InsertSession;
    rSession.rSession = Session();
    TStoreWrite rGood;
    rGood.rLevel = Level(9);
    rGood.rLevel.fLoudnessInt = -23.456789012345678;
    rGood.rLevel.fStamp = 2460000.25;
    rGood.rLevel.sTimeCode = "10:00:09:00\"); DROP TABLE qxr_sessions; --";
    rGood.fStamp = rGood.rLevel.fStamp;
    TStoreWrite rNoSession = rGood;
    rNoSession.rLevel.sReportId.clear();
    // A level row of a session that is neither stored nor in the file: no session list would show it.
    TStoreWrite rOrphan = rGood;
    rOrphan.rLevel.sReportId = "FFFFFFFF-0000-0000-0000-000000000000";
    const QByteArray aLines[] = {
        "not json at all",
        "{\"kind\":\"level\"}",
        "{\"kind\":\"format disk\",\"id\":\"x\"}",
        "[1,2,3]",
        QByteArray(100 * 1024, 'x'),
        EncodeStoreWrite(rNoSession),
        EncodeStoreWrite(rOrphan),
        EncodeStoreWrite(rSession),
        EncodeStoreWrite(rGood),
        "",
    };
    const QString sFile = sDB + ".recovery";
    QByteArray aContent;
    for (const QByteArray& a : aLines)
        aContent += a + '\n';
    {
        QFile f(sFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(aContent);
    }
    int iTaken = 0;
    int iSkipped = 0;
    QString sError;
    ASSERT_TRUE(store.ImportRecovery(sFile, iTaken, iSkipped, sError)) << sError.toStdString();
    EXPECT_EQ(iTaken, 2);
    EXPECT_EQ(iSkipped, 7);
    // A slice may end before both writes on a busy machine: the rest follows from the event loop.
    ASSERT_TRUE(qxtest::WaitFor([&] { return store.WaitingCount() == 0; }));
    EXPECT_EQ(StoredTimecodes(), QStringList{rGood.rLevel.sTimeCode});
    auto peek = Peek();
    EXPECT_EQ(peek.execAndGet("SELECT fLoudnessInt FROM qxr_loudness_levels;").getDouble(),
              -23.456789012345678);
    EXPECT_EQ(peek.execAndGet("SELECT dtDateTime FROM qxr_loudness_levels;").getDouble(), 2460000.25);
    EXPECT_EQ(peek.execAndGet("SELECT count(*) FROM qxr_loudness_levels l WHERE NOT EXISTS (SELECT 1 FROM "
                              "qxr_sessions s WHERE s.sReportId=l.sReportId);")
                  .getInt(),
              0);
    // What was not taken is kept for a person to look at; the imported file itself has served.
    ASSERT_FALSE(store.KeptCopy().isEmpty());
    QFile Kept(store.KeptCopy());
    ASSERT_TRUE(Kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(Kept.readAll(), aContent);
    EXPECT_FALSE(QFile::exists(sFile));
}

TEST_F(SessionStoreTest, LongTextsComeBackWholeFromTheRecoveryFile) {
    // Texts as long as an edit could ever hold, and longer: written to the file, they must read back.
    TSessionInfo rLong = Session();
    rLong.sShowTitle = QString(32767, QChar(0x00E6));
    rLong.sNotes = QString(100000, '"');
    ASSERT_TRUE(SetImmutable(sDB, true));
    store.InsertSession(rLong);
    for (int i = 0; i < 3; ++i)
        store.InsertLevel(Level(i));
    store.UpdateSession(rLong);
    QString sError;
    const QStringList slFiles = store.SaveWaiting(sError);
    SetImmutable(sDB, false);
    ASSERT_EQ(slFiles, QStringList{sDB + ".recovery"}) << sError.toStdString();

    TdbSQLite next{kWindowBusyTimeoutMs};
    ASSERT_TRUE(next.OpenSQLiteDB(sDB));
    TSessionStore nextStore{next};
    int iTaken = 0;
    int iSkipped = 0;
    ASSERT_TRUE(nextStore.ImportRecovery(slFiles.first(), iTaken, iSkipped, sError));
    EXPECT_EQ(iTaken, 5);
    EXPECT_EQ(iSkipped, 0);
    ASSERT_TRUE(qxtest::WaitFor([&] { return nextStore.WaitingCount() == 0; }));
    EXPECT_EQ(SessionColumn("sTitle"), rLong.sShowTitle);
    EXPECT_EQ(SessionColumn("sNotes"), rLong.sNotes);
    EXPECT_EQ(StoredTimecodes().size(), 3);
}

TEST_F(SessionStoreTest, WhenTheDatabasesFolderRefusesTheFileTheRowsGoToTheSpareFileWhole) {
    const QString sSpare = dir.path() + "/data/QXLogging.recovery";
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/data"));
    store.SetSpareRecoveryFile(sSpare);
    store.InsertSession(Session());
    ASSERT_TRUE(SetImmutable(sDB, true));
    for (int i = 0; i < 4; ++i)
        store.InsertLevel(Level(i));
    // The file beside the database cannot be made: its name is taken by a folder, which no privilege
    // writes through.
    ASSERT_TRUE(QDir().mkpath(sDB + ".recovery"));
    QString sError;
    const QStringList slFiles = store.SaveWaiting(sError);
    SetImmutable(sDB, false);
    ASSERT_EQ(slFiles, QStringList{sSpare}) << sError.toStdString();
    EXPECT_EQ(store.WaitingCount(), 0);

    TdbSQLite next{kWindowBusyTimeoutMs};
    ASSERT_TRUE(next.OpenSQLiteDB(sDB));
    TSessionStore nextStore{next};
    nextStore.SetSpareRecoveryFile(sSpare);
    ASSERT_EQ(nextStore.RecoveryFilesFound(), slFiles) << "the next start offers the spare file";
    int iTaken = 0;
    int iSkipped = 0;
    ASSERT_TRUE(nextStore.ImportRecovery(sSpare, iTaken, iSkipped, sError));
    EXPECT_EQ(iTaken, 4);
    ASSERT_TRUE(qxtest::WaitFor([&] { return nextStore.WaitingCount() == 0; }));
    EXPECT_EQ(StoredTimecodes().size(), 4);
}

TEST_F(SessionStoreTest, RowsThatNoFileTakesStayWaitingAndLeaveNoEmptyFile) {
    // The spare file's folder is a regular file: nothing can be made below it.
    QFile Blocker(dir.path() + "/not-a-folder");
    ASSERT_TRUE(Blocker.open(QIODevice::WriteOnly));
    Blocker.close();
    store.SetSpareRecoveryFile(Blocker.fileName() + "/QXLogging.recovery");
    // An earlier run's file beside the database, which must come through a refused save unchanged.
    const QString sBeside = sDB + ".recovery";
    TStoreWrite rEarlier;
    rEarlier.eKind = TStoreWrite::InsertSession;
    rEarlier.rSession = Session();
    const QByteArray aEarlier = EncodeStoreWrite(rEarlier) + '\n';
    {
        QFile f(sBeside);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(aEarlier);
    }
    store.InsertSession(Session());
    ASSERT_TRUE(SetImmutable(sDB, true));
    store.InsertLevel(Level(1));
    store.InsertLevel(Level(2));
    // The database's folder takes no new file (the temporary one the save writes first).
    ASSERT_TRUE(SetImmutable(dir.path(), true));
    QString sError;
    const QStringList slFiles = store.SaveWaiting(sError);
    SetImmutable(dir.path(), false);
    SetImmutable(sDB, false);
    EXPECT_TRUE(slFiles.isEmpty());
    EXPECT_EQ(store.WaitingCount(), 2);
    EXPECT_TRUE(sError.contains(sBeside)) << sError.toStdString();
    EXPECT_TRUE(sError.contains("QXLogging.recovery")) << sError.toStdString();
    QFile Beside(sBeside);
    ASSERT_TRUE(Beside.open(QIODevice::ReadOnly));
    EXPECT_EQ(Beside.readAll(), aEarlier);
    EXPECT_EQ(QDir(dir.path()).entryList({"*recovery*"}, QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"sessions.DB3.recovery"});
}
