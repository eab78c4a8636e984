#include "app/PacingProbe.h"
#include "app/StationJournal.h"
#include "app/StationStatus.h"
#include "app/StationTitle.h"
#include "tests/support/JsonFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

TEST(StationJournal, EveryEventIsOneLineWithItsPriorityAndFacts) {
    const struct {
        TJournalPriority ePriority;
        QString sText;
        TJournalFacts aFacts;
        QByteArray Expected;
    } aCases[] = {
        {TJournalPriority::Info, "Connected.", {{"meter", "COM7"}}, "<6>Connected. meter=COM7\n"},
        {TJournalPriority::Warning,
         "Rows wait.",
         {{"rows", "12"}, {"reason", "database is locked"}},
         "<4>Rows wait. rows=12 reason=\"database is locked\"\n"},
        {TJournalPriority::Error, "Stopped.", {}, "<3>Stopped.\n"},
        // Quotes and backslashes inside a quoted value are escaped; an empty value is shown as such.
        {TJournalPriority::Info,
         "Session started.",
         {{"title", "Show \"A\" C:\\x"}, {"number", ""}},
         "<6>Session started. title=\"Show \\\"A\\\" C:\\\\x\" number=\"\"\n"},
        {TJournalPriority::Info, "x", {{"k", "a=b"}}, "<6>x k=\"a=b\"\n"},
        // A line break, in the text or in a value, never starts a second line.
        {TJournalPriority::Error,
         "Could not open.\r\rPlease check.",
         {{"reason", "one\r\ntwo\nthree\tfour"}},
         "<3>Could not open.  Please check. reason=\"one two three four\"\n"},
        {TJournalPriority::Info, QString("a") + QChar(0x2028) + "b", {}, "<6>a b\n"},
        // Not ASCII: written as UTF-8.
        {TJournalPriority::Info,
         "Session started.",
         {{"title", QString::fromUtf8("Købmand")}},
         "<6>Session started. title=K\xc3\xb8"
         "bmand\n"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.Expected.toStdString());
        EXPECT_EQ(JournalLine(c.ePriority, c.sText, c.aFacts), c.Expected);
    }
}

TEST(StationTitle, TemplatesAreFilledFromTheStationAndTheLocalClock) {
    const QDateTime dtNow(QDate(2026, 3, 7), QTime(6, 5, 9));
    const struct {
        QString sTemplate;
        QString sStation;
        QString sExpected;
    } aCases[] = {
        {"%station% %date%", "Studio 4", "Studio 4 2026-03-07"},
        {"%date% %time% on %station%", "ch1", "2026-03-07 06:05 on ch1"},
        {"%STATION% %Date%", "ch1", "ch1 2026-03-07"},
        // Unknown placeholders and lone percent signs stay as written.
        {"100% %channel% %date", "x", "100% %channel% %date"},
        // A name holding a placeholder is not filled in again.
        {"%station%", "%date%", "%date%"},
        // The double quote cannot be stored in a session text; it is taken out.
        {"\"Live\" %station%", "ch1", "Live ch1"},
        // A template that leaves nothing gives the station and the date.
        {"", "ch1", "ch1 2026-03-07"},
        {"  \"\" ", "ch1", "ch1 2026-03-07"},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sTemplate.toStdString());
        EXPECT_EQ(ExpandStationTitle(c.sTemplate, c.sStation, dtNow), c.sExpected);
    }
    // Cut to a session line's length.
    EXPECT_EQ(ExpandStationTitle(QString(300, 'x'), "ch1", dtNow).size(), 255);
}

TEST(StationTitle, SessionTextsComeFromTheSettingsCleaned) {
    TStationOptions rStation;
    rStation.sTitleTemplate = "%station% %time%";
    rStation.sOperatorName = "Night \"owl\"";
    rStation.sShowNumber = "42";
    rStation.sFormat = "HD";
    rStation.sNotes = "unattended";
    TSessionInfo r;
    r.sReportID = "KEPT";
    SetStationSessionTexts(r, rStation, QDateTime(QDate(2026, 1, 2), QTime(23, 59)));
    EXPECT_EQ(r.sShowTitle, QSysInfo::machineHostName() + " 23:59");
    EXPECT_EQ(r.sOperatorName, "Night owl");
    EXPECT_EQ(r.sShowNumber, "42");
    EXPECT_EQ(r.sFormat, "HD");
    EXPECT_EQ(r.sNotes, "unattended");
    EXPECT_EQ(r.sReportID, "KEPT");

    rStation.sStation = "  Studio 4 ";
    EXPECT_EQ(StationName(rStation), "Studio 4");
}

namespace {

QJsonObject ReadJson(const QString& sPath) {
    QString sError;
    const QJsonObject o = qxtest::ReadJsonObject(sPath, sError);
    EXPECT_EQ(sError, QString());
    return o;
}

// A status file in a folder of its own, with the status it is given and a count of how often it asked.
class StationStatusFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        sPath = Dir.filePath("status.json");
    }
    std::unique_ptr<TStationStatusFile> MakeFile() {
        return std::make_unique<TStationStatusFile>(sPath, [this] {
            ++iAsked;
            return rNow;
        });
    }

    QTemporaryDir Dir;
    QString sPath;
    TStationStatus rNow;
    int iAsked = 0;
};

} // namespace

TEST_F(StationStatusFile, HoldsEveryFieldAndFollowsChanges) {
    const std::unique_ptr<TStationStatusFile> File = MakeFile();

    // Before the first row: no row time, no timecode.
    QString sError;
    ASSERT_TRUE(File->Flush(sError)) << sError.toStdString();
    QJsonObject o = ReadJson(sPath);
    EXPECT_EQ(o.value("state").toString(), "starting");
    EXPECT_TRUE(o.value("last_row_time").isNull());
    EXPECT_TRUE(o.value("last_timecode").isNull());
    EXPECT_EQ(o.value("rows_stored").toInt(-1), 0);
    EXPECT_EQ(o.value("gaps_today").toInt(-1), 0);
    EXPECT_TRUE(QDateTime::fromString(o.value("updated").toString(), Qt::ISODate).isValid());

    const QDateTime dtRow = QDateTime(QDate(2026, 5, 1), QTime(10, 0, 7)).toLocalTime();
    rNow.sState = "logging";
    rNow.sSessionId = "1D3F0C2E-0000-4000-8000-000000000001";
    rNow.sSessionTitle = "Studio \"4\"";
    rNow.iRowsStored = 86400;
    rNow.dtLastRow = dtRow;
    rNow.sLastTimeCode = "10:00:07:00";
    rNow.iRowsWaiting = 3;
    rNow.sLastError = "database is locked";
    // The timer writes the change on its own.
    ASSERT_TRUE(
        qxtest::WaitFor([&] { return ReadJson(sPath).value("state").toString() == "logging"; }, 5000));
    o = ReadJson(sPath);
    EXPECT_EQ(o.value("session_id").toString(), rNow.sSessionId);
    EXPECT_EQ(o.value("session_title").toString(), rNow.sSessionTitle);
    EXPECT_EQ(o.value("rows_stored").toInt(), 86400);
    EXPECT_EQ(QDateTime::fromString(o.value("last_row_time").toString(), Qt::ISODate), dtRow);
    EXPECT_EQ(o.value("last_timecode").toString(), "10:00:07:00");
    EXPECT_EQ(o.value("rows_waiting").toInt(), 3);
    EXPECT_EQ(o.value("last_error").toString(), "database is locked");
    EXPECT_EQ(o.keys(),
              QStringList({"gaps_today", "last_error", "last_row_time", "last_timecode", "rows_stored",
                           "rows_waiting", "session_id", "session_title", "state", "updated"}));
    EXPECT_GT(iAsked, 0);
    // Written whole through a temporary file: nothing else is left in the folder.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"status.json"}));
}

TEST_F(StationStatusFile, AWriteThatFailsIsReportedOncePerReason) {
    // A folder stands where the file should be.
    ASSERT_TRUE(QDir().mkpath(sPath + "/inside"));
    const std::unique_ptr<TStationStatusFile> File = MakeFile();
    QStringList slFailures;
    QObject::connect(File.get(), &TStationStatusFile::WriteFailed,
                     [&](const QString& s) { slFailures << s; });
    QString sError;
    EXPECT_FALSE(File->Flush(sError));
    EXPECT_TRUE(sError.contains(sPath)) << sError.toStdString();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !slFailures.isEmpty(); }, 5000));
    rNow.iRowsStored = 1;
    // Two more ticks fail for the same reason: still one report.
    const int iAskedBefore = iAsked;
    ASSERT_TRUE(qxtest::WaitFor([&] { return iAsked >= iAskedBefore + 2; }, 10000));
    EXPECT_EQ(slFailures.size(), 1);
}

// A benchmark may only shorten the engine's pause after each datagram; anything else in the environment
// leaves the program's own pacing.
TEST(StationPacing, OnlyAShorterPauseThatReadsAsANumberIsTaken) {
    const int iOwn = TTimingSettings().iDatagramPauseMs;
    const struct {
        QByteArray sValue;
        int iExpected;
    } aCases[] = {
        {"", iOwn},     {"0", 0},     {"5", 5},      {" 7\n", 7},    {QByteArray::number(iOwn), iOwn},
        {"1000", iOwn}, {"-1", iOwn}, {"3ms", iOwn}, {"0x10", iOwn}, {"99999999999999999999", iOwn},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sValue.toStdString());
        const TTimingSettings r = TimingWithDatagramPause(c.sValue);
        EXPECT_EQ(r.iDatagramPauseMs, c.iExpected);
        // Nothing else of the timing changes.
        EXPECT_EQ(r.iPollMs, TTimingSettings().iPollMs);
    }
}
