// Exporting a day-long session (86,400 level rows): the CSV file against the sqlite3 program writing the
// same rows as CSV in the same run, and the 1,729-page PDF level report against the CSV export, with its
// pages per second and the memory it adds to the process. For a week-long session (604,800 rows) loaded
// into the level table, the longest time the window could not paint while each export is written.

#include "BenchTable.h"
#include "bench/DayDatabase.h"
#include "bench/StallMeter.h"
#include "export/CSVExport.h"
#include "export/LevelReport.h"
#include "export/LevelTableExportSource.h"
#include "review/LevelTable.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>

namespace {

constexpr int kRows = 86400;
const char* const kSessionId = "0F8C3E0A-7A4B-4C31-9C55-1D2E3F405162";

// The level rows of the session as the level table shows them: row number, timecode, peak channel and
// the levels with one decimal.
const char* const kRowsAsShown =
    "SELECT nId, sTimeCode, iPeakChannel, printf('%.1f', fInstantaneousPeak), printf('%.1f', fLoudnessHi), "
    "printf('%.1f', fLoudnessLo), printf('%.1f', fLoudnessInt) FROM qxr_loudness_levels WHERE sReportId = "
    "'0F8C3E0A-7A4B-4C31-9C55-1D2E3F405162' ORDER BY nId";

// A database file with one session of a day, one level row per second, levels that move like a programme.
void CreateDatabase(const QString& sFile) {
    SQLite::Database Db(sFile.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    Db.exec(
        "CREATE TABLE qxr_loudness_levels (nId INTEGER PRIMARY KEY ASC,sReportId TEXT,iVersion INTEGER,"
        "dtDateTime  DATETIME,sTimeCode TEXT,iPeakChannel INTEGER,fInstantaneousPeak REAL,fLoudnessHi REAL,"
        "fLoudnessLo REAL,fLoudnessInt REAL)");
    SQLite::Transaction Tx(Db);
    SQLite::Statement Insert(Db, "INSERT INTO qxr_loudness_levels (sReportId,iVersion,dtDateTime,sTimeCode,"
                                 "iPeakChannel,fInstantaneousPeak,fLoudnessHi,fLoudnessLo,fLoudnessInt) "
                                 "VALUES (?,1,?,?,?,?,?,?,?)");
    for (int i = 0; i < kRows; ++i) {
        const double t = i;
        const double fShort = -24 + 4 * std::sin(t / 37.0) + 2 * std::sin(t / 5.3);
        Insert.bind(1, kSessionId);
        Insert.bind(2, 2461042.0 + t / 86400.0);
        Insert.bind(3, QString::asprintf("%02d:%02d:%02d:00", i / 3600, (i / 60) % 60, i % 60).toStdString());
        Insert.bind(4, i % 97 == 0 ? 2 : 0);
        Insert.bind(5, fShort + 12 + 3 * std::sin(t / 2.1));
        Insert.bind(6, fShort + 1.5);
        Insert.bind(7, fShort - 6);
        Insert.bind(8, -23 + std::sin(t / 900.0));
        Insert.exec();
        Insert.reset();
    }
    Tx.commit();
}

TStringTable LoadTable(const QString& sFile) {
    SQLite::Database Db(sFile.toStdString());
    SQLite::Statement Query(Db, kRowsAsShown);
    TStringTable t;
    t.slHeader = {"#",          "Timecode", "Peak Channel", "Peak Level", "Shortterm Max.", "Shortterm Min.",
                  "Integrating"};
    t.aRows.reserve(kRows);
    while (Query.executeStep()) {
        QStringList r;
        for (int c = 0; c < 7; ++c)
            r.append(QString::fromStdString(Query.getColumn(c).getString()));
        t.aRows.push_back(std::move(r));
    }
    return t;
}

TSessionInfo Session() {
    TSessionInfo s;
    s.sReportID = kSessionId;
    s.dtDateTime = 2461042.0;
    s.sInstrument = "qxMeter LM1|7|12345|0|2.1|1.4|3|";
    s.sShowTitle = "Day Programme";
    s.sShowNumber = "24";
    s.sOperatorName = "Bench";
    s.sFormat = "HD";
    s.sTimeCodeStart = "00:00:00:00";
    s.sTimeCodeEnd = "23:59:59:00";
    s.rLoudnessSetup.iScaleMode = 1;
    return s;
}

// Resident and peak resident memory of this process in MB (Linux /proc; 0 elsewhere).
double StatusMB(const char* sField) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& Line : f.readAll().split('\n'))
        if (Line.startsWith(sField))
            return Line.mid(qsizetype(strlen(sField))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Starts a new peak measurement: the kernel sets the peak back to the present size.
void ResetPeakMemory() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// The longest stalls of the CSV export and the PDF report of a week-long session loaded into the level
// table, as the Export button writes them.
bool PrintWeekStalls(const QTemporaryDir& Dir) {
    TdbSQLite Db;
    if (!qxbench::OpenDayDatabase(Dir, Db, qxbench::kDaysPerWeek))
        return false;
    TLevelTable Table;
    Table.SetLayout({}, 0, QStringLiteral("."));
    QString sError;
    if (Table.Load(Db, qxbench::kSession, {}, QStringLiteral("LUFS"), {}, sError) !=
            TLevelTable::TLoadResult::Rows ||
        Table.RowCount() != qxbench::kRowsPerWeek) {
        std::fprintf(stderr, "the week could not be loaded: %s\n", qPrintable(sError));
        return false;
    }
    const TLevelTableSource Source(Table);
    const TSessionInfo s = Session();
    TCSVOptions rOptions;
    qxbench::TStallMeter Stall;
    std::vector<double> aCsvMs, aCsvCpuMs;
    for (int i = 0; i < 3; ++i) {
        Stall.Start();
        const bool bWritten =
            WriteCSVFile(Dir.filePath("week.csv"), s, Source, {}, {}, rOptions, 0, nullptr, Stall.Pump());
        aCsvMs.push_back(Stall.Stop());
        aCsvCpuMs.push_back(Stall.LongestCpuMs());
        if (!bWritten)
            return false;
    }
    qxbench::PrintRow(qxbench::ValueRow("longest stall, CSV export 604,800 rows (ms)", aCsvMs, "<=100"));
    qxbench::PrintRow(
        qxbench::ValueRow("longest stall, CSV export 604,800 rows, processor time (ms)", aCsvCpuMs, "<=100"));

    TLevelReport Report;
    Report.rSession = s;
    Report.pTable = &Source;
    Report.rTablePeakColorOptions.rMax.bEnabled = true;
    Stall.Start();
    const bool bWritten = CreateLevelReportPDF(Dir.filePath("week.pdf"), Report, Stall.Pump(), &sError);
    const double fPdfMs = Stall.Stop();
    if (!bWritten) {
        std::fprintf(stderr, "the week's report failed: %s\n", qPrintable(sError));
        return false;
    }
    qxbench::PrintRow(qxbench::ValueRow("longest stall, PDF report 604,800 rows (ms)", {fPdfMs}, "<=100"));
    qxbench::PrintRow(qxbench::ValueRow("longest stall, PDF report 604,800 rows, processor time (ms)",
                                        {Stall.LongestCpuMs()}, "<=100"));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    QTemporaryDir Dir;
    const QString sDb = Dir.filePath("day.db");
    CreateDatabase(sDb);
    const TStringTable Table = LoadTable(sDb);
    const TSessionInfo s = Session();
    TCSVOptions rOptions;
    rOptions.bCSVSessionInfo = false;

    const QString sCsv = Dir.filePath("day.csv"), sRef = Dir.filePath("ref.csv");
    const qxbench::TPairedTimes Csv =
        qxbench::MeasurePaired([&] { WriteCSVFile(sCsv, s, Table, {}, {}, rOptions, 0); },
                               [&] {
                                   QProcess p;
                                   p.setStandardOutputFile(sRef);
                                   p.start("sqlite3", {"-csv", sDb, kRowsAsShown});
                                   p.waitForFinished(-1);
                               },
                               5);
    qxbench::PrintRow(qxbench::RatioRow("CSV export 86,400 rows vs sqlite3 -csv (s)", Csv, "<=1.5"));

    TLevelReport Report;
    Report.rSession = s;
    Report.pTable = &Table;
    Report.aStatistics = {{"Peak Level Max.:", "-0.1  dBFS", "12:00:00:00"},
                          {"Peak Count.:", "891", ""},
                          {"Integrating.:", "-23.0  LUFS", "23:59:59:00"}};
    Report.rTablePeakColorOptions.rMax.bEnabled = true;
    Report.rTableIntColorOptions.rDefault.bEnabled = true;
    const QString sPdf = Dir.filePath("day.pdf");
    const double fCsvMedian = qxbench::Median(Csv.aProgram);
    const int iPages = LevelReportPageCount(Table.RowCount());
    std::vector<double> aRatios, aPagesPerSecond, aMemory;
    // Measured from the size before the first report: the allocator keeps freed memory for the next one.
    const double fBefore = StatusMB("VmRSS:");
    for (int i = 0; i < 3; ++i) {
        ResetPeakMemory();
        const double t = qxbench::TimeSeconds([&] { CreateLevelReportPDF(sPdf, Report); });
        aMemory.push_back(StatusMB("VmHWM:") - fBefore);
        aRatios.push_back(t / fCsvMedian);
        aPagesPerSecond.push_back(iPages / t);
    }
    qxbench::PrintRow(qxbench::ValueRow("PDF report 1,729 pages / CSV export (x)", aRatios, "<=20"));
    qxbench::PrintRow(qxbench::ValueRow("PDF report pages per second", aPagesPerSecond, ""));
    qxbench::PrintRow(qxbench::ValueRow("PDF report peak memory added (MB)", aMemory, "<=300"));
    return PrintWeekStalls(Dir) ? 0 : 1;
}
