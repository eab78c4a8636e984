#include "export/PDFDocument.h"
#include "tests/support/ExportTestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PDFDocumentTest, MillimetresBecomePointsInWholeNumbers) {
    const std::pair<int, int> aCases[] = {{297, 841}, {210, 595}, {5, 14}, {0, 0}, {1, 2}};
    for (const auto& [iMM, iPoints] : aCases)
        EXPECT_EQ(MillimetresToPoints(iMM), iPoints) << iMM << " mm";
    EXPECT_EQ(TPDFDocument(210, 297, 5).SectionInnerWidth(), 567);
    EXPECT_EQ(TPDFDocument(297, 210, 5).SectionInnerWidth(), 813);
}

TEST(PDFDocumentTest, TablesReportTheirWidthsAndHeights) {
    TPDFDocument Doc(210, 297, 5);
    const TPDFFont Font{QStringLiteral("Arial"), 10, false, false, clBlack};
    const double fLine = Doc.LineHeight(Font);
    EXPECT_GT(fLine, 10);

    TPDFTable t(Doc, {40, 60});
    t.SetPaddings({3, 2, 4, 5});
    EXPECT_EQ(t.Width(), 100);
    EXPECT_EQ(t.RowCount(), 0);
    // Asking for a cell beyond the last row adds the rows up to it.
    TPDFCell& c = t.Cell(2, 1);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(c.Width(), 60);
    EXPECT_EQ(c.InnerWidth(), 53);
    // A cell of its own paddings.
    t.Cell(0, 0).SetPaddings({10, 0, 10, 0});
    EXPECT_EQ(t.Cell(0, 0).InnerWidth(), 20);

    // An empty row is as high as its paddings; a carriage return adds a line; a row takes its highest cell.
    EXPECT_EQ(t.RowHeight(1), 7);
    t.Cell(1, 0).AddText(0, 0, QStringLiteral("one"), Font);
    t.Cell(1, 1).AddText(0, 0, QStringLiteral("one\rtwo\r\nthree"), Font);
    EXPECT_DOUBLE_EQ(t.Cell(1, 1).ContentHeight(), 3 * fLine);
    EXPECT_DOUBLE_EQ(t.RowHeight(1), 7 + 3 * fLine);
    // An item placed lower reaches further down.
    t.Cell(2, 0).AddText(0, 20, QStringLiteral("low"), Font);
    EXPECT_DOUBLE_EQ(t.RowHeight(2), 7 + 20 + fLine);
    EXPECT_DOUBLE_EQ(t.Height(), t.RowHeight(0) + t.RowHeight(1) + t.RowHeight(2));
    // Row 0: one cell without vertical paddings, the other with the table's.
    EXPECT_DOUBLE_EQ(t.RowHeight(0), 7);
}

TEST(PDFDocumentTest, PicturesNestedTablesAndBreaksAddToTheContent) {
    TPDFDocument Doc(210, 297, 5);
    const TPDFFont Font{QStringLiteral("Arial"), 6, false, false, clBlack};
    TPDFCell& Section = Doc.Section(1);
    EXPECT_EQ(Doc.SectionCount(), 2);
    EXPECT_EQ(Section.Width(), 567);

    QImage Picture(200, 100, QImage::Format_RGB32);
    Picture.fill(Qt::red);
    Section.AddPicture(0, 10, Picture, 50); // 25 points high
    EXPECT_DOUBLE_EQ(Section.ContentHeight(), 35);

    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{30});
    t->Cell(3, 0);
    t->SetPaddings({0, 10, 0, 10}); // four empty rows of 20 points
    Section.AddTable(100, 5, std::move(t));
    EXPECT_DOUBLE_EQ(Section.ContentHeight(), 85);

    // After a paragraph break items sit one line lower.
    Section.AddParagraphBreak(Font);
    Section.AddText(0, 85, QStringLiteral("after"), Font);
    EXPECT_NEAR(Section.ContentHeight(), 85 + 2 * Doc.LineHeight(Font), 1e-3);
}

TEST(PDFDocumentTest, TextWidthsFollowTheFontMetrics) {
    TPDFDocument Doc(210, 297, 5);
    const TPDFFont Regular{QStringLiteral("Arial"), 10, false, false, clBlack};
    TPDFFont Bold = Regular;
    Bold.bBold = true;
    // Helvetica: "H" is 722/1000 of the size wide, bold "H" too, "i" 222 and bold 278.
    EXPECT_NEAR(Doc.TextWidth(QStringLiteral("H"), Regular), 7.22, 1e-6);
    EXPECT_NEAR(Doc.TextWidth(QStringLiteral("i"), Regular), 2.22, 1e-6);
    EXPECT_NEAR(Doc.TextWidth(QStringLiteral("i"), Bold), 2.78, 1e-6);
    EXPECT_NEAR(Doc.TextWidth(QStringLiteral("ÆØÅ"), Regular), 10.0 + 7.78 + 6.67, 1e-6);
    // Text outside the standard encoding is measured in the embedded face, not as nothing.
    EXPECT_GT(Doc.TextWidth(QStringLiteral("Łódź"), Regular), 10);
}

TEST(PDFDocumentTest, GeneratesOnePagePerSectionWithHeaderAndFooter) {
    QTemporaryDir Dir;
    TPDFDocument Doc(297, 210, 5);
    const TPDFFont Font{QStringLiteral("Arial"), 12, true, false, clBlack};
    Doc.SetProperties({QStringLiteral("Author"), QStringLiteral("Title"), QStringLiteral("Creator"),
                       QStringLiteral("Subject"), QStringLiteral("Keywords")});
    Doc.Header().AddText(0, 0, QStringLiteral("HEADLINE"), Font, TPDFAlign::Centre);
    Doc.Footer().AddText(0, 0, QStringLiteral("FOOTLINE"), Font, TPDFAlign::Right,
                         QStringLiteral("https://example.org/"));
    for (int i = 0; i < 3; ++i)
        Doc.Section(i).AddText(0, 0, QStringLiteral("Section %1").arg(i), Font);
    const QString sFile = Dir.filePath("doc.pdf");
    QString sError;
    ASSERT_TRUE(Doc.Generate(sFile, &sError)) << sError.toStdString();

    const QString sInfo = qxtest::RunTool("pdfinfo", {sFile});
    EXPECT_TRUE(sInfo.contains(QRegularExpression("Pages:\\s+3\\n"))) << sInfo.toStdString();
    EXPECT_TRUE(sInfo.contains(QRegularExpression("Page size:\\s+841 x 595 pts"))) << sInfo.toStdString();
    const QStringList slPages = qxtest::RunTool("pdftotext", {"-layout", sFile, "-"}).split(QChar('\f'));
    ASSERT_GE(slPages.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(slPages[i].contains("HEADLINE")) << i;
        EXPECT_TRUE(slPages[i].contains("FOOTLINE")) << i;
        EXPECT_TRUE(slPages[i].contains(QStringLiteral("Section %1").arg(i))) << i;
        EXPECT_FALSE(slPages[i].contains(QStringLiteral("Section %1").arg((i + 1) % 3))) << i;
    }
    EXPECT_TRUE(qxtest::RunTool("pdfinfo", {"-url", sFile}).contains("https://example.org/"));
}

} // namespace
