// Loading a day-long session into the level table: the rows into the table's model and the session
// statistics, against the sqlite3 program printing the same rows to /dev/null (its start included), and the
// memory the loaded table adds to the program.

#include "bench/BenchTable.h"
#include "review/LevelTable.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kRowsPerDay = 86400;
const char* const kSession = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const char* const kOtherSession = "F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F";

// A database as a day of logging leaves it, with a second day-long session beside the one loaded.
bool CreateDatabase(const QString& sFile) {
    TdbSQLite db;
    if (!db.CreateSQLiteDB(sFile))
        return false;
    SQLite::Database conn(sFile.toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(conn);
    SQLite::Statement insert(conn, "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,"
                                   "iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) "
                                   "VALUES (?,1,?,?,?,?,?,?,?);");
    for (const char* sId : {kOtherSession, kSession}) {
        for (int i = 0; i < kRowsPerDay; ++i) {
            const double t = i;
            const double fShortTerm =
                std::round((-24 + 4 * std::sin(t / 37.0) + 2 * std::sin(t / 5.3)) * 10) / 10;
            insert.bind(1, sId);
            insert.bind(2, 2460140.5 + t / 86400.0);
            insert.bind(
                3, QString::asprintf("%02d:%02d:%02d:00", i / 3600, (i / 60) % 60, i % 60).toStdString());
            insert.bind(4, i % 97 == 0 ? 2 : 0);
            insert.bind(5, std::round((fShortTerm + 12 + 3 * std::sin(t / 2.1)) * 10) / 10);
            insert.bind(6, fShortTerm);
            insert.bind(7, fShortTerm - 8);
            insert.bind(8, std::round((-23 + std::sin(t / 900.0)) * 10) / 10);
            insert.exec();
            insert.reset();
        }
    }
    transaction.commit();
    return true;
}

// The program's resident memory in bytes.
double ResidentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> aFields = f.readAll().split(' ');
    return aFields.size() > 1 ? aFields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString sFile = dir.filePath(QStringLiteral("day.DB3"));
    if (!dir.isValid() || !CreateDatabase(sFile)) {
        std::fprintf(stderr, "could not create the database\n");
        return 1;
    }
    TdbSQLite db;
    if (!db.OpenSQLiteDB(sFile))
        return 1;
    TLevelTable table;
    table.SetLayout({}, 0, QStringLiteral("."));
    const auto Pump = [] { QCoreApplication::processEvents(); };

    // The first load in this process: what it leaves resident is what the table adds.
    const double fBefore = ResidentBytes();
    QString sError;
    if (table.Load(db, kSession, {}, QStringLiteral("LUFS"), Pump, sError) !=
            TLevelTable::TLoadResult::Rows ||
        table.RowCount() != kRowsPerDay) {
        std::fprintf(stderr, "load failed: %s\n", qPrintable(sError));
        return 1;
    }
    const double fAdded = (ResidentBytes() - fBefore) / 1e6;
    const double fRows = double(table.Model().Rows().ByteSize()) / 1e6;

    const QString sQuery =
        QStringLiteral("SELECT * FROM qxr_loudness_levels where sReportId='%1';").arg(kSession);
    const auto times = qxbench::MeasurePaired(
        [&] {
            QString sLoadError;
            table.Load(db, kSession, {}, QStringLiteral("LUFS"), Pump, sLoadError);
        },
        [&] {
            QProcess sqlite;
            sqlite.setStandardOutputFile(QProcess::nullDevice());
            sqlite.start(QStringLiteral("sqlite3"), {sFile, sQuery});
            sqlite.waitForFinished(-1);
        },
        7);
    qxbench::PrintRow(
        qxbench::RatioRow("level table load 86,400 rows + statistics vs sqlite3 (s)", times, "<=1.5"));
    qxbench::PrintRow(qxbench::ValueRow("level table memory added, 86,400 rows (MB)", {fAdded}, "<=25"));
    qxbench::PrintRow(qxbench::ValueRow("level table rows held, 86,400 rows (MB)", {fRows}, "<=25"));
    return 0;
}
