// How long the session list takes to hold every session of a large database: from the refresh command
// (the connection reopened, the list statement run, every row read into the list model) to the model
// holding all rows, against the sqlite3 program (its start included) printing the same rows to /dev/null.
// The file also holds level rows, written as an older program leaves them, so that a list which read the
// level table (for the sessions' recording starts) would show here; the one-time noting of those starts
// when the file is opened is printed beside the table.
// Then the program's refresh with every session's mark from its kept verdict (the kept verdicts and the
// sessions' own targets read, each session's mark decided), against the plain list read into a model.

#include "bench/BenchTable.h"
#include "compliance/Standards.h"
#include "review/LevelData.h"
#include "review/SessionBrowser.h"
#include "store/ComplianceStore.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kSessions = 10000;
// Level rows of each session: 300,000 rows in all.
constexpr int kLevelsPerSession = 30;
constexpr int kRepetitions = 9;
const char* const kListStatement = "SELECT * FROM qxr_sessions;";

// A database as a busy studio fills it: 10,000 sessions with the texts and setup the logging side stores.
bool FillDatabase(const QString& sPath) {
    TdbSQLite Db;
    if (!Db.CreateSQLiteDB(sPath))
        return false;
    SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(db);
    SQLite::Statement insert(
        db,
        "INSERT INTO qxr_sessions (sReportId,iVersion,dtDateTime,sInstrument,sTitle,sNo,sOperator,sFormat,"
        "sNotes,sTimeCodeStart,sTimeCodeEnd,iLoudnessPeakMode,iLoudnessCaptureMode,iLoudnessScaleMode,"
        "iLoudnessReferenceMode,iLoudnessSlidingWindow,fLoudnessGateLevel,iLoudnessGateMode,"
        "fLoudnessReferenceLevel,fLoudnessPeakLevel,iLoudnessFilter) VALUES "
        "(?,1,?,'QX-Sim|25|1234|0|14|1.36|3|',?,?,'Operator One','HD 1080i 25','Programme notes for the "
        "evening news, second edition',?,?,1,2,1,0,1,-10,1,-23,-1,1)");
    for (int i = 0; i < kSessions; ++i) {
        insert.bind(1, QStringLiteral("%1-0000-0000-0000-000000000000")
                           .arg(i, 8, 16, QLatin1Char('0'))
                           .toUpper()
                           .toStdString());
        insert.bind(2, 2461100.5 + i / 24.0);
        insert.bind(3, QStringLiteral("Evening News, edition %1").arg(i).toStdString());
        insert.bind(4, QStringLiteral("EN-%1").arg(i).toStdString());
        insert.bind(5, "10:00:00:00");
        insert.bind(6, "10:30:00:00");
        insert.exec();
        insert.reset();
    }
    SQLite::Statement level(db,
                            "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,"
                            "iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) VALUES "
                            "(?,1,?,'10:00:00:00',0,-3.5,-22.4,-31,-23.7)");
    for (int i = 0; i < kSessions * kLevelsPerSession; ++i) {
        // Sessions interleaved, as two stations logging into one file leave them.
        const int iSession = i % kSessions;
        level.bind(1, QStringLiteral("%1-0000-0000-0000-000000000000")
                          .arg(iSession, 8, 16, QLatin1Char('0'))
                          .toUpper()
                          .toStdString());
        level.bind(2, 2461100.5 + iSession / 24.0 + i / 86400.0);
        level.exec();
        level.reset();
    }
    transaction.commit();
    // As an older program leaves the file: no recording start is noted yet.
    db.exec("DROP TABLE IF EXISTS qxr_recording_starts;");
    return true;
}

// Every session gets a kept verdict, and every other one (odd row numbers) a target of its own (the default's
// figures, so the marks hold): one of each written through the store, then copied to the other sessions in
// one statement each.
bool KeepVerdicts(TdbSQLite& rDB) {
    TLevelData rData;
    const double aPeaks[] = {-3.0, -0.4, -0.8, -2.0};
    for (int i = 0; i < int(std::size(aPeaks)); ++i)
        rData.Append({aPeaks[i], -20.0, -26.0, -21.7, 1, 0}, QStringLiteral("10:29:%1:00").arg(i + 10));
    TLoudnessSetup rSetup;
    rSetup.iPeakMode = kPeakModeTruePeak;
    rSetup.iScaleMode = kScaleModeLUFS;
    rSetup.iSlidingWindow = kSlidingWindow3Seconds;
    rSetup.iFilter = kFilterKFilter;
    const TLoudnessStandard rTarget = DefaultStandardOf({});
    const TVerdict v = JudgeSession(rData, rSetup, rTarget, false);
    const QString sFirst = QStringLiteral("00000000-0000-0000-0000-000000000000");
    TComplianceStore Store(rDB);
    // The target first: choosing a target forgets the verdict kept before it.
    if (!Store.WriteSessionTarget(sFirst, rTarget) ||
        !Store.WriteKeptVerdict(sFirst, KeepVerdict(v, CalcLoudnessRange(rData, rSetup), "10:30:00:00", 4))) {
        std::fprintf(stderr, "%s\n", qPrintable(Store.LastError()));
        return false;
    }
    SQLite::Database db(rDB.DatabaseFileName().toStdString(), SQLite::OPEN_READWRITE);
    db.exec(
        "INSERT INTO qxr_session_verdicts SELECT s.sReportId,v.iVerdict,v.sReasons,v.iStandard,"
        "v.fTargetLoudness,v.fTolerance,v.fMaxTruePeak,v.iRequireTruePeak,v.fLoudnessRange,v.iRangeProblem,"
        "v.iRangeCode,v.sTimeCodeEnd,v.iLevelRows,v.dtComputed,s.nId % 2 FROM qxr_sessions s,"
        "qxr_session_verdicts v "
        "WHERE s.sReportId<>v.sReportId");
    db.exec("INSERT INTO qxr_session_targets SELECT s.sReportId,t.iStandard,t.fTargetLoudness,t.fTolerance,"
            "t.fMaxTruePeak,t.iRequireTruePeak FROM qxr_sessions s,qxr_session_targets t "
            "WHERE s.sReportId<>t.sReportId AND s.nId % 2 = 1");
    return true;
}

// The sqlite3 program started on the file with the list statement, its output to /dev/null.
bool RunSqliteProgram(const QString& sPath) {
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addopen(&Actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string sFile = sPath.toStdString();
    char* aArgs[] = {const_cast<char*>("sqlite3"), const_cast<char*>(sFile.c_str()),
                     const_cast<char*>(kListStatement), nullptr};
    pid_t Pid = 0;
    const int iSpawn = posix_spawnp(&Pid, "sqlite3", &Actions, nullptr, aArgs, environ);
    posix_spawn_file_actions_destroy(&Actions);
    if (iSpawn != 0)
        return false;
    int iStatus = 0;
    return waitpid(Pid, &iStatus, 0) == Pid && WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir Dir;
    const QString sPath = Dir.filePath(QStringLiteral("sessions.DB3"));
    if (!FillDatabase(sPath) || !RunSqliteProgram(sPath)) {
        std::fprintf(stderr, "cannot prepare the database or run sqlite3\n");
        return 1;
    }
    TdbSQLite Db;
    QElapsedTimer Open;
    Open.start();
    Db.OpenSQLiteDB(sPath);
    std::fprintf(stderr, "first open of the file, with its recording starts noted: %.3f s\n",
                 double(Open.nsecsElapsed()) / 1e9);
    TSessionInfo rSelected;
    const QString sCurrentSession;
    const int iLNG = 0;
    bool bFailed = false;
    TSessionBrowser Browser(Db, rSelected, sCurrentSession, iLNG, [&bFailed](const QString& sText, int, int) {
        std::fprintf(stderr, "%s\n", qPrintable(sText));
        bFailed = true;
        return 0;
    });
    const auto Refresh = [&] {
        Browser.RefreshAllSessions();
        if (Browser.Sessions().rowCount() != kSessions)
            bFailed = true;
    };
    const auto Reference = [&] {
        if (!RunSqliteProgram(sPath))
            bFailed = true;
    };
    Refresh();
    const qxbench::TPairedTimes t = qxbench::MeasurePaired(Refresh, Reference, kRepetitions);
    if (bFailed) {
        std::fprintf(stderr, "the list did not hold every session, or sqlite3 failed\n");
        return 1;
    }
    qxbench::PrintRow(qxbench::RatioRow("session list refresh, 10,000 sessions (s)", t, "<=1.5"));

    if (!KeepVerdicts(Db)) {
        std::fprintf(stderr, "cannot keep the verdicts\n");
        return 1;
    }
    // The list as it was before sessions had marks: the list statement read into a model, nothing more.
    TSessionListModel Plain;
    const auto PlainList = [&] {
        std::unique_ptr<TDBResult> Result;
        Db.RetreiveSessionList(Result, TSQLFilter());
        QString sError;
        if (!Result || !Plain.LoadSessions(*Result, sError) || Plain.rowCount() != kSessions)
            bFailed = true;
    };
    // The program's refresh, which reads every session's mark in the same refresh.
    const auto RefreshWithMarks = [&] {
        Browser.RefreshAllSessions();
        const TSessionListModel& rList = Browser.Sessions();
        int iMarked = 0;
        for (int i = 0; i < rList.rowCount(); ++i) {
            if (rList.Mark(i) != TVerdictMark::NotComputed)
                ++iMarked;
        }
        if (iMarked != kSessions)
            bFailed = true;
    };
    RefreshWithMarks();
    const qxbench::TPairedTimes tMarks = qxbench::MeasurePaired(RefreshWithMarks, PlainList, kRepetitions);
    if (bFailed) {
        std::fprintf(stderr, "the list did not mark every session from its kept verdict\n");
        return 1;
    }
    qxbench::PrintRow(qxbench::RatioRow(
        "session list with verdict marks against the plain list, 10,000 sessions (s)", tMarks, "<=1.5"));
    return 0;
}
