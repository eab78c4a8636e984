#include "export/ChartPDF.h"
#include "tests/support/ExportTestSupport.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TSnapshotRow Row(const char* pLabel, const QString& sValue) {
    return {QString::fromUtf8(pLabel), sValue};
}

// A chart tab's snapshot of session s with the given statistics rows after the title row.
TChartSnapshot Snapshot(const TSessionInfo& s, const std::vector<TSnapshotRow>& aStatistics) {
    std::vector<TSnapshotRow> aStats{Row("Session Statistics", QStringLiteral("Session Statistics"))};
    aStats.insert(aStats.end(), aStatistics.begin(), aStatistics.end());
    return MakeChartSnapshot(
        Row("Analysis Date.:", QStringLiteral("01-01-2026 12:00")),
        {Row("Session Information", QStringLiteral("Session Information")), Row("Show Title.:", s.sShowTitle),
         Row("Show Number.:", s.sShowNumber), Row("Operator Name.:", s.sOperatorName),
         Row("Format.:", s.sFormat), Row("TC Start.:", s.sTimeCodeStart), Row("TC End.:", s.sTimeCodeEnd),
         Row("Notes.:", s.sNotes)},
        {Row("Loudness Configuration", QStringLiteral("Loudness Configuration")),
         Row("Instrument Type.:", s.sInstrument), Row("Peak Mode.:", QStringLiteral("True Peak")),
         Row("Capture Mode.:", QStringLiteral("Continuous")), Row("Scale Mode.:", QStringLiteral("LUFS")),
         Row("Reference.:", QStringLiteral("Absolute")), Row("Shortterm Window.:", QStringLiteral("3 s")),
         Row("Gate Level.:", QStringLiteral("-70.5")), Row("Gate Mode.:", QStringLiteral("Relative")),
         Row("Reference Level.:", QStringLiteral("-18.0")), Row("Peak Level.:", QStringLiteral("-1.0")),
         Row("Filter.:", QStringLiteral("FilterValueNotPrinted"))},
        aStats);
}

std::vector<TSnapshotRow> StatisticsRows(int n) {
    std::vector<TSnapshotRow> a;
    for (int i = 1; i <= n; ++i)
        a.push_back({QStringLiteral("Stat%1.:").arg(i), QStringLiteral("Value%1").arg(i)});
    return a;
}

class ChartPDFTest : public ::testing::Test {
protected:
    TChartDocument Document(const std::vector<TSnapshotRow>& aStatistics = StatisticsRows(3)) const {
        TChartDocument d;
        d.aSnapshot = Snapshot(qxtest::ExportSession(), aStatistics);
        d.ChartPicture = QImage(kChartPictureSize, QImage::Format_RGB32);
        d.ChartPicture.fill(QColor(20, 90, 200));
        d.rPDFOptions.sHeadline = QStringLiteral("%TITLE% - %NUMBER% - %FORMAT%");
        d.rPDFOptions.slUserText = {QStringLiteral("Studio North"), QStringLiteral("Broadcast Street 7")};
        d.rPDFOptions.bChartSessionInfo = true;
        QImage Logo(50, 40, QImage::Format_RGB32);
        Logo.fill(QColor(128, 128, 128));
        d.MakerLogo = Logo;
        return d;
    }

    QString Write(bool bFullPage, const TChartDocument& d) {
        const QString sFile = Dir.filePath(bFullPage ? "full.pdf" : "side.pdf");
        QString sError;
        const bool bOK =
            bFullPage ? CreateChartPDFFullPage(sFile, d, &sError) : CreateChartPDF(sFile, d, &sError);
        EXPECT_TRUE(bOK) << sError.toStdString();
        return sFile;
    }

    static QString Text(const QString& sFile) {
        return qxtest::RunTool("pdftotext", {"-layout", sFile, "-"});
    }

    static QString InfoField(const QString& sFile, const QString& sField) {
        return qxtest::PDFInfoField(sFile, sField);
    }

    // The first page at 72 dpi: one pixel per point.
    QImage Render(const QString& sFile) {
        const QString sPrefix = Dir.filePath("page");
        qxtest::RunTool("pdftoppm", {"-r", "72", "-png", "-singlefile", sFile, sPrefix});
        return QImage(sPrefix + ".png");
    }

    // Top row and left and right columns of the chart's blue on the page; -1 when there is none.
    static QRect ChartRect(const QImage& Page) {
        QRect r;
        for (int y = 0; y < Page.height(); ++y)
            for (int x = 0; x < Page.width(); ++x) {
                const QColor c = Page.pixelColor(x, y);
                if (c.blue() > 150 && c.red() < 60)
                    r = r.united(QRect(x, y, 1, 1));
            }
        return r;
    }

    QTemporaryDir Dir;
};

TEST_F(ChartPDFTest, BothDocumentsNameTheSnapshotSession) {
    for (const bool bFullPage : {false, true}) {
        SCOPED_TRACE(bFullPage);
        const QString sFile = Write(bFullPage, Document());
        EXPECT_EQ(InfoField(sFile, "Title"), "Evening News");
        EXPECT_EQ(InfoField(sFile, "Author"), "Anna Ø. Hansen");
        EXPECT_EQ(InfoField(sFile, "Subject"), "Evening News - 42");
        EXPECT_EQ(InfoField(sFile, "Keywords"), "Live; studio 2");
        EXPECT_EQ(InfoField(sFile, "Creator"), "QX-Logging v.1.0.0.1.");
        EXPECT_EQ(InfoField(sFile, "Pages"), "1");
        EXPECT_EQ(InfoField(sFile, "Page size"), "841 x 595 pts (A4)");
        const QString sText = Text(sFile);
        EXPECT_TRUE(sText.contains("Evening News - 42 - HD")) << sText.toStdString();
        EXPECT_TRUE(sText.contains("Level Report created with QX-Logging v.1.0.0.1."));
        EXPECT_TRUE(sText.contains("Kelmoria Instruments"));
        // Every table names the session; the instrument only by its type.
        for (const char* p : {"Show Title.:", "Operator Name.:", "Anna Ø. Hansen", "10:00:02:00",
                              "Instrument Type.:", "qxMeter LM1", "Peak Mode.:", "True Peak", "Stat3.:"})
            EXPECT_TRUE(sText.contains(QString::fromUtf8(p))) << p;
        EXPECT_FALSE(sText.contains("12345"));
        EXPECT_FALSE(sText.contains("FilterValueNotPrinted"));
        // The side panel has the user's address and the notes; the full page neither.
        EXPECT_EQ(sText.contains("Studio North"), !bFullPage);
        EXPECT_EQ(sText.contains("Live; studio 2"), !bFullPage);
        EXPECT_EQ(sText.contains("Loudness Configuration"), !bFullPage);
    }
}

TEST_F(ChartPDFTest, AFilteredChartNamesItsConditionsOnTheSamePage) {
    for (const bool bFullPage : {false, true}) {
        SCOPED_TRACE(bFullPage);
        const QImage Unfiltered = Render(Write(bFullPage, Document()));
        EXPECT_FALSE(Text(Dir.filePath(bFullPage ? "full.pdf" : "side.pdf")).contains("Data Filter"));
        TChartDocument d = Document();
        d.slDataFilter = {"Timecode from 23:59:00:00 to 00:01:00:00, across midnight",
                          "Integrating at or below -23 LUFS"};
        d.iLNG = 1;
        const QString sFile = Write(bFullPage, d);
        EXPECT_EQ(InfoField(sFile, "Pages"), "1");
        const QString sText = Text(sFile).simplified();
        EXPECT_TRUE(sText.contains("Datafilter.: Timecode from 23:59:00:00 to 00:01:00:00, across midnight; "
                                   "Integrating at or below -23 LUFS"))
            << sText.toStdString();
        // The chart moves down for the line but stays whole on the page, its size unchanged.
        const QRect rBefore = ChartRect(Unfiltered), rAfter = ChartRect(Render(sFile));
        ASSERT_FALSE(rAfter.isEmpty());
        EXPECT_GT(rAfter.top(), rBefore.top());
        EXPECT_NEAR(rAfter.width(), rBefore.width(), 1);
        EXPECT_NEAR(rAfter.height(), rBefore.height(), 1); // a point may round either way
        EXPECT_LT(rAfter.bottom(), 595 - 20);
    }
}

// The chart's band and peak limit are a picture; the document names the target in words, in either
// language, and with a data filter line as well the chart still fits the page.
TEST_F(ChartPDFTest, TheTargetIsNamedUnderTheSubHeadline) {
    for (const bool bFullPage : {false, true}) {
        SCOPED_TRACE(bFullPage);
        EXPECT_FALSE(Text(Write(bFullPage, Document())).contains("Target"));
        for (const int iLNG : {0, 1}) {
            TChartDocument d = Document();
            d.iLNG = iLNG;
            d.sTarget = QString::fromUtf8("EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP");
            d.slDataFilter = {"Integrating at or below -23 LUFS"};
            const QString sFile = Write(bFullPage, d);
            EXPECT_EQ(InfoField(sFile, "Pages"), "1");
            const QString sText = Text(sFile).simplified();
            const char* sLine = iLNG == 0 ? "Target.: EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP"
                                          : "Mål.: EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP";
            EXPECT_TRUE(sText.contains(QString::fromUtf8(sLine))) << sText.toStdString();
            const QRect rChart = ChartRect(Render(sFile));
            ASSERT_FALSE(rChart.isEmpty());
            EXPECT_LT(rChart.bottom(), 595 - 20);
        }
    }
}

// A chart with gaps in view names them in a line under the sub-headline, the first few of many; a chart
// without gaps has no such line. The chart still fits its page.
TEST_F(ChartPDFTest, TheGapsShownAreNamedInALineOfTheirOwn) {
    const QStringList slEight = {"10:00:09:00 - 10:00:21:00 (12 s)", "11:00:00:00 - 11:04:05:00 (4 min 05 s)",
                                 "12:00:00:00 - 12:00:01:00 (1 s)",  "13:00:00:00 - 13:00:01:00 (1 s)",
                                 "14:00:00:00 - 14:00:01:00 (1 s)",  "15:00:00:00 - 15:00:01:00 (1 s)",
                                 "16:00:00:00 - 16:00:01:00 (1 s)",  "17:00:00:00 - 17:00:01:00 (1 s)"};
    struct TCase {
        const char* sName;
        QStringList slGaps;
        int iLNG;
        QString sLine; // empty: no line
    } const aCases[] = {
        {"none", {}, 0, {}},
        {"two", slEight.mid(0, 2), 0,
         "Gaps.: 10:00:09:00 - 10:00:21:00 (12 s); 11:00:00:00 - 11:04:05:00 (4 min 05 s)"},
        {"two, Danish", slEight.mid(0, 2), 1,
         "Afbrydelser.: 10:00:09:00 - 10:00:21:00 (12 s); 11:00:00:00 - 11:04:05:00 (4 min 05 s)"},
        {"eight", slEight, 0, "Gaps.: " + slEight.mid(0, 6).join("; ") + "; +2"},
    };
    for (const bool bFullPage : {false, true}) {
        for (const TCase& c : aCases) {
            SCOPED_TRACE(testing::Message() << c.sName << (bFullPage ? ", full page" : ", side panel"));
            TChartDocument d = Document();
            d.slGaps = c.slGaps;
            d.iLNG = c.iLNG;
            const QString sFile = Write(bFullPage, d);
            EXPECT_EQ(InfoField(sFile, "Pages"), "1");
            const QString sText = Text(sFile).simplified();
            if (c.sLine.isEmpty()) {
                EXPECT_FALSE(sText.contains("Gaps")) << sText.toStdString();
            } else {
                EXPECT_TRUE(sText.contains(c.sLine)) << sText.toStdString();
                EXPECT_FALSE(sText.contains(slEight[6]));
            }
            const QRect rChart = ChartRect(Render(sFile));
            ASSERT_FALSE(rChart.isEmpty());
            EXPECT_LT(rChart.bottom(), 595 - 20);
        }
    }
}

TEST_F(ChartPDFTest, SidePanelStatisticsEndAtTheFirstEmptyLabel) {
    struct TCase {
        int iStatistics;
        std::vector<int> aRows;
    };
    for (const TCase& c : {TCase{0, {21, 22}}, TCase{3, {21, 22, 23, 24, 25}},
                           TCase{9, {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}},
                           TCase{11, {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}}}) {
        SCOPED_TRACE(c.iStatistics);
        const TChartSnapshot a = Snapshot(qxtest::ExportSession(), StatisticsRows(c.iStatistics));
        EXPECT_EQ(ChartStatisticsRows(a), c.aRows);
        EXPECT_EQ(a[21].sLabel, "Session Statistics");
    }
    EXPECT_EQ(ChartStatisticsRows({}), std::vector<int>{21});

    // A row after the gap and an eleventh statistics row are not printed.
    std::vector<TSnapshotRow> aGap = StatisticsRows(3);
    aGap.push_back({});
    aGap.push_back({QStringLiteral("AfterGap.:"), QStringLiteral("Stray")});
    QString sText = Text(Write(false, Document(aGap)));
    EXPECT_TRUE(sText.contains("Stat3.:"));
    EXPECT_FALSE(sText.contains("AfterGap")) << sText.toStdString();
    sText = Text(Write(false, Document(StatisticsRows(11))));
    EXPECT_TRUE(sText.contains("Value10"));
    EXPECT_FALSE(sText.contains("Value11"));
}

TEST_F(ChartPDFTest, FullPageInformationTableFollowsTheOption) {
    TChartDocument d = Document();
    const QString sWith = Text(Write(true, d));
    const QRect rWith = ChartRect(Render(Dir.filePath("full.pdf")));
    d.rPDFOptions.bChartSessionInfo = false;
    const QString sWithout = Text(Write(true, d));
    const QRect rWithout = ChartRect(Render(Dir.filePath("full.pdf")));

    for (const char* p : {"Show Title.:", "Evening News", "Instrument Type.:", "Gate Level.:", "Peak Level.:",
                          "Session Statistics", "Stat3.:", "Value3"})
        EXPECT_TRUE(sWith.contains(p)) << p;
    for (const char* p : {"Show Title.:", "Instrument Type.:", "Gate Level.:", "Stat1.:", "Value1"})
        EXPECT_FALSE(sWithout.contains(p)) << p;
    // The headline still names the session.
    EXPECT_TRUE(sWithout.contains("Evening News - 42 - HD"));

    // Without the table the chart starts 25 points lower; both lie within the page's margins.
    ASSERT_FALSE(rWith.isEmpty());
    ASSERT_FALSE(rWithout.isEmpty());
    EXPECT_NEAR(rWithout.top() - rWith.top(), 25, 1);
    EXPECT_EQ(rWith.left(), rWithout.left());
    EXPECT_GE(rWith.left(), 14);
    EXPECT_LE(rWith.right(), 841 - 14);
}

TEST_F(ChartPDFTest, SidePanelChartLeavesRoomForThePanel) {
    const QRect r = ChartRect(Render(Write(false, Document())));
    ASSERT_FALSE(r.isEmpty());
    EXPECT_GE(r.left(), 14);
    // The panel's 180 points follow the chart within the right margin.
    EXPECT_LE(r.right() + 180, 841 - 14 + 1);
    EXPECT_NEAR(double(r.height()) / r.width(), 850.0 / 1450.0, 0.01);
}

TEST_F(ChartPDFTest, AFileThatCannotBeWrittenFails) {
    const QString sFile = Dir.filePath("missing-folder/chart.pdf");
    QString sError;
    EXPECT_FALSE(CreateChartPDF(sFile, Document(), &sError));
    EXPECT_FALSE(sError.isEmpty());
    EXPECT_FALSE(CreateChartPDFFullPage(sFile, Document(), &sError));
    EXPECT_FALSE(QFile::exists(sFile));
}

} // namespace
