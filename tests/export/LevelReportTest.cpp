#include "export/LevelReport.h"
#include "core/TextTable.h"
#include "review/ChartData.h"
#include "store/dbSQLite.h"
#include "tests/support/ExportTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LevelReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        // A grey logo, so that the colours of the page come from the level texts alone.
        Logo = QImage(50, 40, QImage::Format_RGB32);
        Logo.fill(QColor(128, 128, 128));
    }

    TLevelReport Report(const TStringTable& rTable, int iLNG = 0) const {
        TLevelReport r;
        r.rSession = qxtest::ExportSession();
        r.pTable = &rTable;
        r.iLNG = iLNG;
        r.MakerLogo = Logo;
        r.rPDFOptions.slUserText = {QStringLiteral("Studio North"), QStringLiteral("Broadcast Street 7")};
        r.aStatistics = {
            {QStringLiteral("Peak Level Max.:"), QStringLiteral("-0.5  dBFS"), QStringLiteral("10:00:01:00")},
            {QStringLiteral("Peak Count.:"), QStringLiteral("1"), QString()},
            {QStringLiteral("Integrating.:"), QStringLiteral("-23.5  LUFS"), QStringLiteral("10:00:01:00")},
            {QString(), QString(), QString()}};
        return r;
    }

    QString Write(const TLevelReport& r, const QString& sName = QStringLiteral("report.pdf")) {
        const QString sFile = Dir.filePath(sName);
        QString sError;
        EXPECT_TRUE(CreateLevelReportPDF(sFile, r, {}, &sError)) << sError.toStdString();
        return sFile;
    }

    static QStringList Pages(const QString& sFile) {
        QStringList sl = qxtest::RunTool("pdftotext", {"-layout", sFile, "-"}).split(QChar('\f'));
        if (!sl.isEmpty() && sl.last().trimmed().isEmpty())
            sl.removeLast();
        return sl;
    }

    static QString InfoField(const QString& sFile, const QString& sField) {
        return qxtest::PDFInfoField(sFile, sField);
    }

    // Where a word first stands on page 1, in points from the top, as pdftotext finds it.
    static QRectF WordBox(const QString& sFile, const QString& sWord) {
        const QString sBoxes = qxtest::RunTool("pdftotext", {"-f", "1", "-l", "1", "-bbox", sFile, "-"});
        const QRegularExpression Word(
            QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                           "yMax=\"([\\d.]+)\">") +
            QRegularExpression::escape(sWord) + QStringLiteral("<"));
        const QRegularExpressionMatch m = Word.match(sBoxes);
        EXPECT_TRUE(m.hasMatch()) << sWord.toStdString();
        return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                      QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
    }

    QImage Render(const QString& sFile, int iPage = 1) {
        const QString sPrefix = Dir.filePath("page");
        qxtest::RunTool("pdftoppm", {"-r", "100", "-png", "-singlefile", "-f", QString::number(iPage), "-l",
                                     QString::number(iPage), sFile, sPrefix});
        return QImage(sPrefix + ".png");
    }

    QImage Logo;
    QTemporaryDir Dir;
};

TEST_F(LevelReportTest, PagesHold40RowsFirstAnd50AfterEveryPageNumbered) {
    EXPECT_EQ(LevelReportPageCount(0), 1);
    EXPECT_EQ(LevelReportPageCount(86400), 1729);
    struct TCase {
        int iRows;
        int iPages;
    };
    for (const TCase& c : {TCase{40, 1}, TCase{41, 2}, TCase{90, 2}, TCase{91, 3}}) {
        SCOPED_TRACE(c.iRows);
        EXPECT_EQ(LevelReportPageCount(c.iRows), c.iPages);
        const TStringTable Table = qxtest::LevelTable(c.iRows);
        const QString sFile = Write(Report(Table));
        EXPECT_EQ(InfoField(sFile, "Pages"), QString::number(c.iPages));
        const QStringList slPages = Pages(sFile);
        ASSERT_EQ(slPages.size(), c.iPages);
        for (int p = 0; p < c.iPages; ++p) {
            EXPECT_TRUE(slPages[p].contains(QStringLiteral("Page %1 of %2.").arg(p + 1).arg(c.iPages))) << p;
            // The first and last rows of the page are on it, their neighbours of other pages are not.
            const int iFirst = p == 0 ? 0 : 40 + 50 * (p - 1),
                      iLast = std::min(c.iRows, p == 0 ? 40 : iFirst + 50) - 1;
            EXPECT_TRUE(slPages[p].contains(Table.aRows[size_t(iFirst)][1])) << p;
            EXPECT_TRUE(slPages[p].contains(Table.aRows[size_t(iLast)][1])) << p;
            if (iLast + 1 < c.iRows) {
                EXPECT_FALSE(slPages[p].contains(Table.aRows[size_t(iLast + 1)][1])) << p;
            }
        }
    }
}

TEST_F(LevelReportTest, FirstPageDescribesTheSession) {
    const TStringTable Table = qxtest::LevelTable(3);
    TLevelReport rReport = Report(Table);
    // Recorded on New Year's Eve and edited a day later: the report tells both.
    rReport.rSession.dtRecordingStart = rReport.rSession.dtDateTime - 1.25;
    const QString sPage = Pages(Write(rReport)).value(0);
    const QString sDate = AnalysisDateText(JulianDateOf(QDateTime(QDate(2026, 1, 1), QTime(12, 0))));
    const QString sRecorded = AnalysisDateText(JulianDateOf(QDateTime(QDate(2025, 12, 31), QTime(6, 0))));
    const QStringList slExpected = {
        "Show Title.: Evening News", "Show Number.: 42", "Recorded.: " + sRecorded,
        "Analysis Date.: " + sDate, "Operator Name.: Anna Ø. Hansen", "TC Start.: 10:00:00:00",
        "TC End.: 10:00:02:00", "Notes.: Live; studio 2",
        // The instrument type without the hardware fields behind it.
        "Instrument Type.: qxMeter LM1 ", "Peak Mode.: True Peak", "Capture Mode.: Auto Start",
        "Scale Mode.: LUFS", "Reference.: 1000 Hz", "Shortterm Window.: 3 Seconds", "Gate Level.: -70.5 LUFS",
        "Gate Mode.: Absolute", "Reference Level.: -18 dBFS", "Peak Level.: -1 dBFS", "Filter.: K-Filter",
        "Studio North", "Broadcast Street 7",
        // Statistics labels lose their last character; the value and timecode rows are labelled.
        "Peak Level Max. ", "Peak Count. ", "Level.:", "Time Code.:", "-23.5 LUFS", "10:00:01:00"};
    const QString sFlat = sPage.simplified();
    for (const QString& s : slExpected)
        EXPECT_TRUE(sFlat.contains(s)) << s.toStdString() << "\n" << sPage.left(3000).toStdString();
    EXPECT_FALSE(sFlat.contains("Peak Level Max.:"));
    EXPECT_FALSE(sFlat.contains("|7|"));
}

TEST_F(LevelReportTest, AFilteredOrJudgedReportSaysSoAboveTheStatisticsAndKeepsItsPages) {
    const QStringList slFilter = {"Timecode from 23:59:00:00 to 00:01:00:00, across midnight",
                                  "Peak Level at or above -6.5 dBFS"};
    const QString sLine = "Data Filter.: Timecode from 23:59:00:00 to 00:01:00:00, across midnight; Peak "
                          "Level at or above -6.5 dBFS";
    // As many reasons as a verdict gives at most.
    const TVerdictSummary Verdict{"Fail",
                                  "EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP",
                                  {"Integrated -21.7 LUFS is 1.2 LU above -23.0 ± 0.5",
                                   "Peak -0.3 dBTP exceeds -1.0 dBTP at 10:14:03:00 and in 27 more seconds",
                                   "Loudness in LU was converted to LUFS with the reference level -23.0 LUFS",
                                   "Judged from the filtered rows only"},
                                  "10.0 LU"};
    struct TCase {
        const char* sName;
        bool bFilter;
        bool bVerdict;
    } const aCases[] = {
        {"filtered", true, false}, {"judged", false, true}, {"filtered and judged", true, true}};
    for (const TCase& c : aCases) {
        for (const int iRows : {40, 41}) {
            SCOPED_TRACE(testing::Message() << c.sName << ", " << iRows << " rows");
            const TStringTable Table = qxtest::LevelTable(iRows);
            TLevelReport r = Report(Table);
            if (c.bFilter)
                r.slDataFilter = slFilter;
            if (c.bVerdict)
                r.rVerdict = Verdict;
            const QString sFile = Write(r);
            const QStringList slPages = Pages(sFile);
            ASSERT_EQ(slPages.size(), LevelReportPageCount(iRows));
            const QString sFirst = slPages[0].simplified();
            EXPECT_EQ(sFirst.contains(sLine), c.bFilter) << slPages[0].left(3000).toStdString();
            // Both sit between the description and the statistics, which still come before the rows.
            const qsizetype iNotesAt = slPages[0].indexOf("Notes.:");
            const qsizetype iStatisticsAt = slPages[0].indexOf("Time Code.:");
            for (const char* sBlock : {"Data Filter.:", "Loudness Verdict"}) {
                const qsizetype iAt = slPages[0].indexOf(sBlock);
                if (iAt < 0)
                    continue;
                EXPECT_LT(iNotesAt, iAt) << sBlock;
                EXPECT_LT(iAt, iStatisticsAt) << sBlock;
            }
            EXPECT_EQ(sFirst.contains("Loudness Verdict Fail"), c.bVerdict);
            if (c.bVerdict) {
                EXPECT_TRUE(sFirst.contains("Loudness Verdict Fail " + Verdict.slReasons[0]));
                EXPECT_TRUE(sFirst.contains("Target.: " + Verdict.sTarget + " " + Verdict.slReasons[1]));
                EXPECT_TRUE(sFirst.contains("Loudness Range.: 10.0 LU " + Verdict.slReasons[2]));
                EXPECT_TRUE(sFirst.contains(Verdict.slReasons[3]));
                EXPECT_LT(WordBox(sFile, "Verdict").bottom(), WordBox(sFile, "Time").top());
                if (c.bFilter) {
                    EXPECT_LT(slPages[0].indexOf("Data Filter.:"), slPages[0].indexOf("Loudness Verdict"));
                }
            }
            // The first page still holds its 40 rows, the last above the footer.
            EXPECT_TRUE(slPages[0].contains(Table.aRows[0][1]));
            EXPECT_TRUE(slPages[0].contains(Table.aRows[39][1]));
            EXPECT_LT(WordBox(sFile, Table.aRows[39][1]).bottom(), WordBox(sFile, "Kelmoria").top());
            if (iRows == 41) {
                EXPECT_FALSE(slPages[0].contains(Table.aRows[40][1]));
                EXPECT_TRUE(slPages[1].contains(Table.aRows[40][1]));
            }
        }
    }
    // Neither: no line and no box.
    const TStringTable Table = qxtest::LevelTable(3);
    const QString sPage = Pages(Write(Report(Table))).value(0);
    EXPECT_FALSE(sPage.contains("Data Filter"));
    EXPECT_FALSE(sPage.contains("Loudness Verdict"));
}

// A session with gaps lists them on pages of their own after the level table, fifty a page, each page
// numbered among all; a session without gaps has no such page and no word of gaps.
TEST_F(LevelReportTest, GapsFollowTheLevelTableOnPagesOfTheirOwn) {
    EXPECT_EQ(GapPageCount(0), 0);
    EXPECT_EQ(GapPageCount(1), 1);
    EXPECT_EQ(GapPageCount(50), 1);
    EXPECT_EQ(GapPageCount(51), 2);
    const QDateTime dtFirst(QDate(2026, 12, 11), QTime(10, 0, 9));
    const auto GapsOf = [&](int iGaps) {
        QList<TSessionGap> a;
        for (int i = 0; i < iGaps; ++i) {
            TSessionGap r;
            r.dtBefore = dtFirst.addSecs(60 * i);
            r.dtAfter = r.dtBefore.addSecs(12);
            r.sTimeCodeBefore = r.dtBefore.toString("HH:mm:ss:00");
            r.sTimeCodeAfter = r.dtAfter.toString("HH:mm:ss:00");
            r.sReason = i == 0 ? QStringLiteral("The serial device disappeared.")
                               : QStringLiteral("The network meter did not answer.");
            a.append(r);
        }
        return a;
    };
    struct TCase {
        int iRows;
        int iGaps;
        int iLNG;
    } const aCases[] = {{3, 0, 0}, {3, 2, 0}, {41, 51, 0}, {3, 1, 1}};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(testing::Message() << c.iRows << " rows, " << c.iGaps << " gaps");
        const TStringTable Table = qxtest::LevelTable(c.iRows);
        TLevelReport r = Report(Table, c.iLNG);
        r.aGaps = GapsOf(c.iGaps);
        const QString sFile = Write(r);
        const int iDataPages = LevelReportPageCount(c.iRows);
        const int iPages = iDataPages + GapPageCount(c.iGaps);
        EXPECT_EQ(InfoField(sFile, "Pages"), QString::number(iPages));
        const QStringList slPages = Pages(sFile);
        ASSERT_EQ(slPages.size(), iPages);
        for (int p = 0; p < iDataPages; ++p)
            EXPECT_FALSE(slPages[p].contains(GetText(kTxtGapsTitle, c.iLNG))) << p;
        for (int p = iDataPages; p < iPages; ++p) {
            SCOPED_TRACE(p);
            const QString sPage = slPages[p].simplified();
            const QString sPageOf = c.iLNG == 0 ? "Page %1 of %2." : "Side %1 af %2.";
            EXPECT_TRUE(slPages[p].contains(sPageOf.arg(p + 1).arg(iPages))) << sPage.toStdString();
            EXPECT_TRUE(sPage.contains(GetText(kTxtGapsTitle, c.iLNG)));
            for (const int iHeading : {kTxtGapTimecodeBefore, kTxtGapTimecodeAfter, kTxtGapDateTimeBefore,
                                       kTxtGapDateTimeAfter, kTxtGapLength, kTxtGapReason})
                EXPECT_TRUE(sPage.contains(GetText(iHeading, c.iLNG))) << iHeading;
            // The first and last gap of the page are on it, the next page's first is not.
            const int iFirst = 50 * (p - iDataPages);
            const int iLast = std::min(c.iGaps, iFirst + 50) - 1;
            for (const int i : {iFirst, iLast}) {
                const TSessionGap& g = r.aGaps[i];
                EXPECT_TRUE(sPage.contains(g.sTimeCodeBefore + " " + g.sTimeCodeAfter + " " +
                                           g.dtBefore.toString("yyyy-MM-dd HH:mm:ss") + " " +
                                           g.dtAfter.toString("yyyy-MM-dd HH:mm:ss") + " 12 s " + g.sReason))
                    << i << sPage.toStdString();
            }
            if (iLast + 1 < c.iGaps) {
                EXPECT_FALSE(sPage.contains(r.aGaps[iLast + 1].sTimeCodeBefore + " "));
            }
        }
        if (c.iGaps == 0) {
            EXPECT_FALSE(Pages(sFile).join("").contains("Gap"));
        }
    }
}

TEST_F(LevelReportTest, PropertiesNameTheSession) {
    const TStringTable Table = qxtest::LevelTable(3);
    TLevelReport r = Report(Table);
    r.rSession.sShowTitle = QStringLiteral("Søndagsåbent");
    r.rSession.sNotes = QStringLiteral("Æbler og pærer");
    const QString sFile = Write(r);
    EXPECT_EQ(InfoField(sFile, "Title"), "Søndagsåbent");
    EXPECT_EQ(InfoField(sFile, "Author"), "Anna Ø. Hansen");
    EXPECT_EQ(InfoField(sFile, "Creator"), "QX-Logging v.1.0.0.1.");
    EXPECT_EQ(InfoField(sFile, "Subject"), "Søndagsåbent - 42");
    EXPECT_EQ(InfoField(sFile, "Keywords"), "Æbler og pærer");
    EXPECT_EQ(InfoField(sFile, "Encrypted"), "no");
    EXPECT_EQ(InfoField(sFile, "Page size"), "595 x 841 pts (A4)");
}

TEST_F(LevelReportTest, HeadlinesFillTheirPlaceholdersOnEveryPage) {
    struct TCase {
        QString sHeadline, sHeadline1, sTitle;
        QString sExpected, sExpected1;
    };
    const QString sCreated = QStringLiteral("Level Report created with QX-Logging v.1.0.0.1.");
    const std::vector<TCase> aCases = {
        {"%TITLE% - %NUMBER% - %FORMAT%", "", "Evening News", "Evening News - 42 - HD", sCreated},
        {"%NAME% %TCSTART%-%TCEND%", "%FORMAT% %TITLE% report", "Evening News",
         "Anna Ø. Hansen 10:00:00:00-10:00:02:00", "HD Evening News report"},
        // Lower case is not a placeholder.
        {"%title% %Number% %TITLE%", "", "Evening News", "%title% %Number% Evening News", sCreated},
        // A value holding a later placeholder is filled as well; an earlier one is not.
        {"%TITLE%", "%NUMBER%", "News of %NAME% %TITLE%", "News of Anna Ø. Hansen %TITLE%", "42"},
    };
    const TStringTable Table = qxtest::LevelTable(91);
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sHeadline.toStdString());
        TLevelReport r = Report(Table);
        r.rPDFOptions.sHeadline = c.sHeadline;
        r.rPDFOptions.sHeadline1 = c.sHeadline1;
        r.rSession.sShowTitle = c.sTitle;
        const QStringList slPages = Pages(Write(r));
        ASSERT_EQ(slPages.size(), 3);
        for (const QString& sPage : slPages) {
            EXPECT_TRUE(sPage.contains(c.sExpected)) << sPage.left(400).toStdString();
            EXPECT_TRUE(sPage.contains(c.sExpected1)) << sPage.left(400).toStdString();
        }
    }
}

TEST_F(LevelReportTest, DanishReportUsesTheDanishTexts) {
    const TStringTable Table = qxtest::LevelTable(45, qxtest::DanishHeadings());
    const QStringList slPages = Pages(Write(Report(Table, kLanguageDanish)));
    ASSERT_EQ(slPages.size(), 2);
    for (const char* s :
         {"Show Titel.:", "Operatør Navn.:", "TC Stop.:", "Skala Mode.:", "Tidskode", "Peak Kanal",
          "Niveau.:", "Side 1 af 2.", "Level Report oprettet med QX-Logging v.1.0.0.1."})
        EXPECT_TRUE(slPages[0].contains(QString::fromUtf8(s))) << s;
    EXPECT_TRUE(slPages[1].contains("Side 2 af 2."));
    EXPECT_TRUE(slPages[1].contains("Tidskode"));
}

TEST_F(LevelReportTest, TextOutsideTheStandardEncodingComesOutIntact) {
    const TStringTable Table = qxtest::LevelTable(3);
    TLevelReport r = Report(Table);
    const QString sTitle = QStringLiteral("Łódź – Ελληνικά – Кириллица €");
    r.rSession.sShowTitle = sTitle;
    r.rSession.sNotes = QStringLiteral("Ąę line one\rsecond line");
    const QString sFile = Write(r);
    const QString sText = Pages(sFile).value(0);
    EXPECT_TRUE(sText.contains(sTitle + " - 42 - HD")) << sText.left(600).toStdString();
    EXPECT_TRUE(sText.contains("Ąę line one"));
    EXPECT_TRUE(sText.contains("second line"));
    // The property keeps what its encoding can hold.
    EXPECT_EQ(InfoField(sFile, "Title").toStdString(), "Łód? – ???????? – ????????? €");
}

TEST_F(LevelReportTest, FooterCarriesTheMakerLinesAndLinks) {
    const TStringTable Table = qxtest::LevelTable(60);
    const QString sFile = Write(Report(Table));
    for (const QString& sPage : Pages(sFile))
        for (const char* s : {"Kelmoria Instruments", "Measuring Lane 1", "0000 Sample Town", "Sampleland",
                              "www.kelmoria.example", "info@kelmoria.example"})
            EXPECT_TRUE(sPage.contains(s)) << s;
    const QString sUrls = qxtest::RunTool("pdfinfo", {"-url", sFile});
    EXPECT_TRUE(sUrls.contains("https://www.kelmoria.example")) << sUrls.toStdString();
    EXPECT_TRUE(sUrls.contains("mailto:info@kelmoria.example"));
}

// Pixels of a colour in a rendered page (a small tolerance for anti-aliasing at the glyph edges).
int CountPixels(const QImage& Page, QColor cl) {
    int n = 0;
    for (int y = 0; y < Page.height(); ++y)
        for (int x = 0; x < Page.width(); ++x) {
            const QColor p = Page.pixelColor(x, y);
            n += std::abs(p.red() - cl.red()) < 40 && std::abs(p.green() - cl.green()) < 40 &&
                 std::abs(p.blue() - cl.blue()) < 40;
        }
    return n;
}

TEST_F(LevelReportTest, LevelTextsTakeTheColoursOfTheRules) {
    const TStringTable Table = qxtest::LevelTable(20);
    struct TCase {
        const char* sName;
        bool bPeakMax;
        bool bIntDefault;
        bool bRed, bBlue;
    };
    // Peak channels print red only while the peak rule's high limit is on (its level is out of reach here,
    // so no peak level turns red); the integrating column's default colour is blue.
    for (const TCase& c :
         {TCase{"no rules", false, false, false, false}, TCase{"peak high", true, false, true, false},
          TCase{"integrating default", false, true, false, true}}) {
        SCOPED_TRACE(c.sName);
        TLevelReport r = Report(Table);
        r.rTablePeakColorOptions.rMax = {c.bPeakMax, 100.0, clRed};
        r.rTableIntColorOptions.rDefault = {c.bIntDefault, 0.0, clBlue};
        const QImage Page = Render(Write(r));
        ASSERT_FALSE(Page.isNull());
        EXPECT_EQ(CountPixels(Page, Qt::red) > 0, c.bRed);
        EXPECT_EQ(CountPixels(Page, Qt::blue) > 0, c.bBlue);
    }
}

TEST_F(LevelReportTest, CellColoursFollowTheColumnHeading) {
    const TStringTable Table = qxtest::LevelTable(1);
    TLevelReport r = Report(Table);
    r.rTablePeakColorOptions = {{true, -6.0, clRed}, {true, 0, clGreen}, {true, -40.0, clPurple}};
    r.rTableSTMaxColorOptions = {{true, -10.0, clFuchsia}, {false, 0, clGreen}, {false, -80.0, clPurple}};
    r.rTableSTMinColorOptions = {{false, -10.0, clRed}, {false, 0, clGreen}, {true, -50.0, clNavy}};
    r.rTableIntColorOptions = {{true, -20.0, clOlive}, {true, 0, clTeal}, {true, -30.0, clMaroon}};
    struct TCase {
        int iLNG;
        const char* sHeader;
        const char* sCell;
        TColorValue clExpected;
    };
    const TCase aCases[] = {
        {0, "#", "5", clBlack},
        {0, "Timecode", "10:00:01:00", clBlack},
        {0, "Peak Level", "-6.0", clRed},     // the high limit itself
        {0, "Peak Level", "-40.0", clPurple}, // the low limit itself
        {0, "Peak Level", "-20.0", clGreen},  // between: the default
        {0, "Peak Level", "abc", clBlack},    // not a number
        {0, "Peak Channel", "2", clRed},
        // Unlike the window's table, a peak channel of 0 stays black.
        {0, "Peak Channel", "0", clBlack},
        {0, "Shortterm Max.", "-5.0", clFuchsia},
        {0, "Shortterm", "-5.0", clFuchsia},
        {0, "Shortterm Max.", "-15.0", clBlack}, // default rule off
        {0, "Shortterm Min.", "-60.0", clNavy},
        {0, "Integrating", "-25.0", clTeal},
        {1, "Peak Niveau", "-3.0", clRed},
        {1, "Peak Kanal", "1", clRed},
        // An English heading in a Danish report is no column of the rules.
        {1, "Peak Level", "-3.0", clBlack},
    };
    for (const TCase& c : aCases) {
        r.iLNG = c.iLNG;
        EXPECT_EQ(ReportCellColor(QString::fromUtf8(c.sHeader), c.sCell, r), c.clExpected)
            << c.sHeader << " " << c.sCell;
    }
    r.iLNG = 0;
    r.rTablePeakColorOptions.rMax.bEnabled = false;
    EXPECT_EQ(ReportCellColor("Peak Channel", "2", r), clBlack);
}

TEST_F(LevelReportTest, UserPictureOrTheMakersLogo) {
    QImage Picture(40, 30, QImage::Format_RGB32);
    Picture.fill(Qt::darkCyan);
    ASSERT_TRUE(Picture.save(Dir.filePath("user.png"), "PNG"));
    ASSERT_TRUE(Picture.save(Dir.filePath("user.bmp"), "BMP"));
    ASSERT_TRUE(Picture.save(Dir.filePath("user.jpg"), "JPEG"));
    ASSERT_TRUE(Picture.save(Dir.filePath("user.ppm"), "PPM"));
    QFile Bad(Dir.filePath("bad.bmp"));
    ASSERT_TRUE(Bad.open(QIODevice::WriteOnly));
    Bad.write("BM not really a picture");
    Bad.close();
    struct TCase {
        QString sFile;
        bool bUserPicture;
    };
    const TStringTable Table = qxtest::LevelTable(2);
    for (const TCase& c :
         {TCase{"user.png", true}, TCase{"user.bmp", true}, TCase{"user.jpg", true}, TCase{"user.ppm", false},
          TCase{"bad.bmp", false}, TCase{"missing.bmp", false}, TCase{"", false}}) {
        SCOPED_TRACE(c.sFile.toStdString());
        TLevelReport r = Report(Table);
        r.rPDFOptions.sUserImage = c.sFile.isEmpty() ? QString() : Dir.filePath(c.sFile);
        const QString sList = qxtest::RunTool("pdfimages", {"-list", Write(r)});
        // The footer's logo bitmap is always there; the overview shows the picture or the logo itself.
        EXPECT_TRUE(sList.contains(QRegularExpression("\\s225\\s+145\\s"))) << sList.toStdString();
        EXPECT_EQ(sList.contains(QRegularExpression("\\s40\\s+30\\s")), c.bUserPicture)
            << sList.toStdString();
        EXPECT_EQ(sList.contains(QRegularExpression("\\s50\\s+40\\s")), !c.bUserPicture)
            << sList.toStdString();
    }
}

TEST_F(LevelReportTest, AFileThatCannotBeWrittenFails) {
    QDir(Dir.path()).mkdir("folder.pdf");
    const TStringTable Table = qxtest::LevelTable(2);
    QString sError;
    EXPECT_FALSE(CreateLevelReportPDF(Dir.filePath("folder.pdf"), Report(Table), {}, &sError));
    EXPECT_FALSE(sError.isEmpty());
}

} // namespace
