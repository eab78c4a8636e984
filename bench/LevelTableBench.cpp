// Loading a day-long session into the level table: the rows into the table's model and the session
// statistics, against the sqlite3 program printing the same rows to /dev/null (its start included), and the
// memory the loaded table adds to the program.

#include "bench/BenchTable.h"
#include "bench/DayDatabase.h"
#include "review/LevelTable.h"
#include "store/dbSQLite.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace {

using qxbench::kRowsPerDay;
using qxbench::kSession;

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
    TdbSQLite db;
    if (!qxbench::OpenDayDatabase(dir, db))
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
            sqlite.start(QStringLiteral("sqlite3"), {db.DatabaseFileName(), sQuery});
            sqlite.waitForFinished(-1);
        },
        7);
    qxbench::PrintRow(
        qxbench::RatioRow("level table load 86,400 rows + statistics vs sqlite3 (s)", times, "<=1.5"));
    qxbench::PrintRow(qxbench::ValueRow("level table memory added, 86,400 rows (MB)", {fAdded}, "<=25"));
    qxbench::PrintRow(qxbench::ValueRow("level table rows held, 86,400 rows (MB)", {fRows}, "<=25"));
    return 0;
}
