#include "export/CSVExport.h"
#include "core/TextTable.h"
#include "tests/support/ExportTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QByteArray ReadAll(const QString& sFile) {
    QFile f(sFile);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString Expected(const char* sName) {
    return QStringLiteral(QX_SOURCE_DIR "/tests/export/expected/") + QString::fromLatin1(sName);
}

// The table as a "," system shows it.
TStringTable CommaTable(const QStringList& slHeadings) {
    TStringTable t{slHeadings,
                   {{"1", "10:00:00:00", "0", "-3,5", "-22,4", "-31,0", "-23,7"},
                    {"2", "10:00:01:00", "2", "-0,5", "-20,1", "-30,2", "-23,5"}}};
    return t;
}

TStringTable PointTable(const QStringList& slHeadings) {
    TStringTable t = CommaTable(slHeadings);
    for (QStringList& r : t.aRows)
        for (QString& c : r)
            c.replace(QChar(','), QChar('.'));
    return t;
}

// The empty table the window shows without a loaded session: the header and one empty row.
TStringTable EmptyTable() {
    return TStringTable{qxtest::EnglishHeadings(), {QStringList(7, QString())}};
}

struct TCSVCase {
    const char* sName; // the expected file
    TCSVOptions rOptions;
    TStringTable rTable;
    QString sInstrument;
    int iLNG;
};

TCSVOptions Options(bool bCR, bool bLF, const char* sSep = ";", const char* sDec = ",",
                    bool bSession = true) {
    TCSVOptions o;
    o.bCSVCR = bCR;
    o.bCSVLF = bLF;
    o.sCSVSeparationChar = QString::fromUtf8(sSep);
    o.sCSVDecimalChar = QString::fromUtf8(sDec);
    o.bCSVSessionInfo = bSession;
    return o;
}

class CSVExportTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    QTemporaryDir Dir;
};

TEST_F(CSVExportTest, FilesMatchTheExpectedBytes) {
    const QString sDefaultInstrument = qxtest::ExportSession().sInstrument;
    const std::vector<TCSVCase> aCases = {
        // The notes hold the separator: written as they are, without quotes.
        {"default.csv", Options(true, true), PointTable(qxtest::EnglishHeadings()), sDefaultInstrument, 0},
        {"no_line_ends.csv", Options(false, false), PointTable(qxtest::EnglishHeadings()), sDefaultInstrument,
         0},
        {"lf_only.csv", Options(false, true), PointTable(qxtest::EnglishHeadings()), sDefaultInstrument, 0},
        {"multi_separator.csv", Options(true, true, "<->"), PointTable(qxtest::EnglishHeadings()),
         sDefaultInstrument, 0},
        // A "," system's cells with "." as the file's decimal character; the header keeps its point.
        {"decimal_point.csv", Options(true, true, ";", ".", false), CommaTable(qxtest::EnglishHeadings()),
         sDefaultInstrument, 0},
        {"empty_table.csv", Options(true, true, ";", ",", false), EmptyTable(), sDefaultInstrument, 0},
        // A session without instrument text shows the unknown instrument; a text without fields is written
        // whole, as the grid shows it.
        {"unknown_instrument.csv", Options(true, true), EmptyTable(), QString(), 0},
        {"instrument_without_fields.csv", Options(true, true), EmptyTable(), QStringLiteral("qxMeter LM1"),
         0},
        {"danish.csv", Options(true, true), PointTable(qxtest::DanishHeadings()), sDefaultInstrument, 1},
    };
    for (const TCSVCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TSessionInfo s = qxtest::ExportSession();
        s.sInstrument = c.sInstrument;
        const QString sFile = Dir.filePath(QString::fromLatin1(c.sName));
        QString sError;
        ASSERT_TRUE(WriteCSVFile(sFile, s, c.rTable, {}, {}, c.rOptions, c.iLNG, &sError))
            << sError.toStdString();
        EXPECT_EQ(ReadAll(sFile), ReadAll(Expected(c.sName)));
    }
}

// The file's records as a CSV reader with the given delimiter reads them.
std::vector<QStringList> ParseCSV(const QString& sFile, const QString& sSeparator) {
    const QString sRows =
        qxtest::RunTool("python3", {"-c",
                                    "import csv, json, sys\n"
                                    "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                    "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2]))))",
                                    sFile, sSeparator});
    std::vector<QStringList> a;
    for (const QJsonValue& Row : QJsonDocument::fromJson(sRows.toUtf8()).array()) {
        QStringList sl;
        for (const QJsonValue& Field : Row.toArray())
            sl << Field.toString();
        a.push_back(sl);
    }
    return a;
}

TEST_F(CSVExportTest, TheVerdictAndAFilterCloseTheSessionBlockEachReasonAFieldOfItsOwn) {
    const QStringList slFilter = {"Timecode from 23:59:00:00 to 00:01:00:00, across midnight",
                                  "Peak Level at or above -6.5 dBFS"};
    // Texts as the level table makes them: the target and a reason hold commas, a reason a quote.
    const TVerdictSummary Verdict{
        "Fail",
        "EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP",
        {"Integrated -21.7 LUFS is 1.2 LU above -23.0 ± 0.5",
         "Peak -0.3 dBTP exceeds -1.0 dBTP at 10:14:03:00, \"and\" in 27 more seconds"},
        "10.0 LU"};
    const std::vector<QStringList> aVerdictLines = {{"Loudness Range.:", "10.0 LU"},
                                                    {"Target.:", Verdict.sTarget},
                                                    QStringList{"Verdict.:", "Fail"} + Verdict.slReasons};
    struct TCase {
        const char* sName;
        QStringList slFilter;
        TVerdictSummary rVerdict;
        TCSVOptions rOptions;
        int iLNG;
        QStringList slExpectedLine; // empty: no filter line
    };
    const TCase aCases[] = {
        {"filtered", slFilter, {}, Options(true, true), 0, QStringList{"Data Filter.:"} + slFilter},
        {"filtered, Danish",
         slFilter,
         {},
         Options(true, true, "\t"),
         1,
         QStringList{"Datafilter.:"} + slFilter},
        {"unfiltered", {}, {}, Options(true, true), 0, {}},
        {"judged", {}, Verdict, Options(true, true), 0, {}},
        {"judged and filtered, comma-separated", slFilter, Verdict, Options(true, true, ","), 0,
         QStringList{"Data Filter.:"} + slFilter},
        // Without the session block the file is the table alone.
        {"no session block", slFilter, Verdict, Options(true, true, ";", ",", false), 0, {}},
    };
    const TStringTable Table = PointTable(qxtest::EnglishHeadings());
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sFile = Dir.filePath("filter.csv");
        ASSERT_TRUE(
            WriteCSVFile(sFile, qxtest::ExportSession(), Table, c.slFilter, c.rVerdict, c.rOptions, c.iLNG));
        const std::vector<QStringList> aRows = ParseCSV(sFile, c.rOptions.sCSVSeparationChar);
        // The session block's 18 lines, the verdict's three and the filter line when there are those, the
        // header and two data rows.
        const size_t iSession = c.rOptions.bCSVSessionInfo ? 18 : 0;
        const size_t iVerdict = c.rOptions.bCSVSessionInfo && !c.rVerdict.Empty() ? 3 : 0;
        const size_t iFilter = c.slExpectedLine.isEmpty() ? 0 : 1;
        ASSERT_EQ(aRows.size(), iSession + iVerdict + iFilter + 3);
        for (size_t i = 0; i < iVerdict; ++i)
            EXPECT_EQ(aRows[iSession + i], aVerdictLines[i]);
        if (iFilter) {
            EXPECT_EQ(aRows[iSession + iVerdict], c.slExpectedLine);
        }
        const auto iFilterLines = std::count_if(aRows.begin(), aRows.end(), [&](const QStringList& sl) {
            return sl.value(0) == GetText(kTxtDataFilterLabel, c.iLNG);
        });
        EXPECT_EQ(size_t(iFilterLines), iFilter);
        EXPECT_EQ(aRows[iSession + iVerdict + iFilter].value(1), "Timecode");
        EXPECT_EQ(aRows.back().value(1), "10:00:01:00");
    }
}

// A session with gaps lists them after its rows, a line each in the session block's style; the reason, as
// stored, may hold the separator or a quote and stays one field. Without gaps the file is as before.
TEST_F(CSVExportTest, GapsCloseTheFileALineEachOnlyWhenTheSessionHasThem) {
    TSessionGap rGap;
    rGap.sTimeCodeBefore = "10:00:09:00";
    rGap.sTimeCodeAfter = "10:00:21:00";
    rGap.dtBefore = QDateTime(QDate(2026, 12, 11), QTime(10, 0, 9));
    rGap.dtAfter = rGap.dtBefore.addSecs(12);
    rGap.sReason = "The serial device disappeared; \"ttyUSB0\" was gone.";
    TSessionGap rLong = rGap;
    rLong.sTimeCodeBefore = "23:59:00:00";
    rLong.sTimeCodeAfter = "01:03:05:00";
    rLong.dtAfter = rGap.dtBefore.addSecs(3600 + 4 * 60 + 5);
    rLong.sReason = "The network meter did not answer.";
    const TStringTable Table = PointTable(qxtest::EnglishHeadings());
    struct TCase {
        const char* sName;
        TCSVOptions rOptions;
        int iLNG;
    } const aCases[] = {{"semicolons", Options(true, true), 0},
                        {"commas, Danish, LF only", Options(false, true, ",", "."), 1},
                        {"tabs, no line ends", Options(false, false, "\t"), 0}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sWithout = Dir.filePath("without.csv");
        const QString sWith = Dir.filePath("with.csv");
        ASSERT_TRUE(WriteCSVFile(sWithout, qxtest::ExportSession(), Table, {}, {}, c.rOptions, c.iLNG));
        const QByteArray Without = ReadAll(sWithout);
        // An empty list of gaps writes the bytes of a session without them.
        ASSERT_TRUE(
            WriteCSVFile(sWith, qxtest::ExportSession(), Table, {}, {}, c.rOptions, c.iLNG, nullptr, {}, {}));
        EXPECT_EQ(ReadAll(sWith), Without);
        ASSERT_TRUE(WriteCSVFile(sWith, qxtest::ExportSession(), Table, {}, {}, c.rOptions, c.iLNG, nullptr,
                                 {}, {rGap, rLong}));
        const QByteArray With = ReadAll(sWith);
        // The rows stay as they were; the gaps follow them.
        ASSERT_TRUE(With.startsWith(Without));
        const std::vector<QStringList> aRows = ParseCSV(sWith, c.rOptions.sCSVSeparationChar);
        ASSERT_GE(aRows.size(), 2u);
        const QString sLabel = GetText(kTxtGapLabel, c.iLNG);
        EXPECT_EQ(aRows[aRows.size() - 2],
                  (QStringList{sLabel, "10:00:09:00", "10:00:21:00", "2026-12-11 10:00:09",
                               "2026-12-11 10:00:21", "12 s", rGap.sReason}));
        EXPECT_EQ(aRows.back(), (QStringList{sLabel, "23:59:00:00", "01:03:05:00", "2026-12-11 10:00:09",
                                             "2026-12-11 11:04:14", "1 h 04 min 05 s", rLong.sReason}));
        // The header and the rows before the gaps are those of the file without them.
        const std::vector<QStringList> aWithout = ParseCSV(sWithout, c.rOptions.sCSVSeparationChar);
        EXPECT_EQ(std::vector<QStringList>(aRows.begin(), aRows.end() - 2), aWithout);
        EXPECT_TRUE(With.endsWith("\r\n"));
    }
    // Without the session block the file is the table alone, with or without gaps.
    const TCSVOptions rNoSession = Options(true, true, ";", ",", false);
    const QString sA = Dir.filePath("a.csv");
    const QString sB = Dir.filePath("b.csv");
    ASSERT_TRUE(WriteCSVFile(sA, qxtest::ExportSession(), Table, {}, {}, rNoSession, 0));
    ASSERT_TRUE(WriteCSVFile(sB, qxtest::ExportSession(), Table, {}, {}, rNoSession, 0, nullptr, {}, {rGap}));
    EXPECT_EQ(ReadAll(sA), ReadAll(sB));
}

TEST_F(CSVExportTest, DecimalTextReplacesEveryPointAndComma) {
    EXPECT_EQ(CSVDecimalText("-23.4", ","), "-23,4");
    EXPECT_EQ(CSVDecimalText("-23,4", "."), "-23.4");
    EXPECT_EQ(CSVDecimalText("1.000,5", ","), "1,000,5");
    // A several-character decimal text is put in once per character, never replaced again.
    EXPECT_EQ(CSVDecimalText("-1.5,2", ".,"), "-1.,5.,2");
    EXPECT_EQ(CSVDecimalText("10:00:01:00", ","), "10:00:01:00");
}

TEST_F(CSVExportTest, AFileThatCannotBeWrittenFailsAndLeavesNothing) {
    QDir(Dir.path()).mkdir("folder.csv");
    const TStringTable t = PointTable(qxtest::EnglishHeadings());
    const TCSVOptions o;
    QString sError;
    // A folder in the way, and a folder that does not exist.
    EXPECT_FALSE(WriteCSVFile(Dir.filePath("folder.csv"), qxtest::ExportSession(), t, {}, {}, o, 0, &sError));
    EXPECT_FALSE(sError.isEmpty());
    EXPECT_FALSE(
        WriteCSVFile(Dir.filePath("missing/x.csv"), qxtest::ExportSession(), t, {}, {}, o, 0, &sError));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), 0);
}

// A write that fails half-way (here: the process may not make files larger than 4 KB, as a full disk
// would refuse) leaves the earlier file of that name as it was.
TEST_F(CSVExportTest, AFailedWriteKeepsTheEarlierFileWhole) {
    const QString sFile = Dir.filePath("old.csv");
    {
        QFile f(sFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the earlier export\r\n");
    }
    const TStringTable Big = qxtest::LevelTable(2000);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit rOld{};
    getrlimit(RLIMIT_FSIZE, &rOld);
    rlimit rSmall = rOld;
    rSmall.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &rSmall), 0);
    const bool bWritten = WriteCSVFile(sFile, qxtest::ExportSession(), Big, {}, {}, TCSVOptions(), 0);
    setrlimit(RLIMIT_FSIZE, &rOld);
    EXPECT_FALSE(bWritten);
    EXPECT_EQ(ReadAll(sFile), QByteArray("the earlier export\r\n"));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{"old.csv"});
}

} // namespace
