#pragma once

#include "core/ColorValue.h"
#include "core/OperationProgress.h"

#include <QImage>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

// The document model the level report and the chart documents are built in: one column of rows on A4
// pages, a header row and a footer row repeated on every page and body rows (sections) that each begin a
// new page. Cells hold text runs, pictures and nested tables at offsets in points from their inner top-left
// corner; heights and widths can be read back while the document is built, so a builder can stack its
// tables. Written to a file with libharu.

// Layout lengths are points; page sizes are given in millimetres and converted as mm × 720 / 254 in
// integer arithmetic (a 297 mm page is 841 points, a 5 mm margin 14).
int MillimetresToPoints(int iMillimetres);

enum class TPDFAlign { Left, Centre, Right };

// A font as the documents name it: "Arial" is drawn as Helvetica (metric-compatible), "Wingdings" as
// ZapfDingbats, whose "l" is the same filled bullet. Text the standard encoding cannot hold is drawn with
// an embedded Liberation Sans of the same style.
struct TPDFFont {
    QString sName = QStringLiteral("Arial");
    int iSize = 6;
    bool bBold = false;
    bool bItalic = false;
    TColorValue clColor = clBlack;

    bool operator==(const TPDFFont&) const = default;
};

struct TPDFPaddings {
    int iLeft = 0;
    int iTop = 0;
    int iRight = 0;
    int iBottom = 0;

    bool operator==(const TPDFPaddings&) const = default;
};

struct TPDFProperties {
    QString sAuthor;
    QString sTitle;
    QString sCreator;
    QString sSubject;
    QString sKeywords;
};

class TPDFDocument;
class TPDFTable;

// One cell: of the document (header, footer, a section) or of a nested table.
class TPDFCell {
public:
    // The width of the cell and the width within its paddings.
    double Width() const;
    double InnerWidth() const;

    void SetPaddings(const TPDFPaddings& rPaddings) { FPaddings = rPaddings; }
    TPDFPaddings Paddings() const;
    void SetBackground(TColorValue clColor) { FBackground = clColor; }

    // A text run; a carriage return (or line feed) inside it breaks the line. The alignment places each
    // line within the cell's inner width (from x for left, up to the right edge less x for right). The
    // font is taken as it is now.
    void AddText(double x, double y, const QString& sText, const TPDFFont& rFont,
                 TPDFAlign eAlign = TPDFAlign::Left, const QString& sLink = QString());
    // A picture scaled to fWidth points; its height follows the picture's aspect ratio.
    void AddPicture(double x, double y, const QImage& Picture, double fWidth);
    // Places a table built beforehand; the cell owns it from then on.
    TPDFTable& AddTable(double x, double y, std::unique_ptr<TPDFTable> pTable);
    // Ends a paragraph: the items added after it sit one line of rFont lower.
    void AddParagraphBreak(const TPDFFont& rFont);

    // The height of what the cell holds, without its paddings.
    double ContentHeight() const;
    // With its paddings.
    double OuterHeight() const;

private:
    friend class TPDFDocument;
    friend class TPDFTable;
    // Where a cell sits: a column of a nested table, a section, or the header or footer row.
    static constexpr int kSectionCell = -1;
    static constexpr int kFrameCell = -2;
    TPDFCell(TPDFDocument& rDoc, TPDFTable* pTable, int iColumn)
        : FDoc(&rDoc), FTable(pTable), FColumn(iColumn) {}

    // Items are kept small: a day-long report holds some 700,000 of them.
    struct TText {
        float x, y;
        QString sText;
        int iFont;
        int iLink; // index into the document's link targets, -1 for none
        TPDFAlign eAlign;
    };
    struct TPicture {
        float x, y;
        int iImage;
        float fWidth, fHeight;
    };
    struct TNested {
        float x, y;
        std::unique_ptr<TPDFTable> pTable;
    };
    using TItem = std::variant<TText, TPicture, TNested>;

    TPDFDocument* FDoc;
    TPDFTable* FTable; // null for a cell of the document
    int FColumn;       // or kSectionCell, kFrameCell
    std::optional<TPDFPaddings> FPaddings;
    std::optional<TColorValue> FBackground;
    double FFlowY = 0; // sum of the paragraph breaks so far
    std::vector<TItem> FItems;
};

// A nested table: fixed column widths, rows added on demand.
class TPDFTable {
public:
    TPDFTable(TPDFDocument& rDoc, std::vector<double> aColumnWidths);
    ~TPDFTable();

    // Grid lines around every cell.
    void SetBorder(bool bBorder) { FBorder = bBorder; }
    // The paddings of every cell that has none of its own.
    void SetPaddings(const TPDFPaddings& rPaddings) { FPaddings = rPaddings; }
    TPDFPaddings Paddings() const { return FPaddings; }

    // The cell at (iRow, iCol); asking beyond the last row adds rows. iCol must be a column of the table.
    TPDFCell& Cell(int iRow, int iCol);
    int RowCount() const { return int(FCells.size() / FColumnWidths.size()); }
    int ColumnCount() const { return int(FColumnWidths.size()); }
    double ColumnWidth(int iCol) const { return FColumnWidths[size_t(iCol)]; }

    double Width() const;
    double Height() const;
    double RowHeight(int iRow) const;

private:
    friend class TPDFDocument;
    TPDFDocument& FDoc;
    std::vector<double> FColumnWidths;
    bool FBorder = false;
    TPDFPaddings FPaddings;
    std::deque<TPDFCell> FCells; // row by row; a deque, so a cell handed out stays where it is
};

// The document. It owns the libharu document from the start, so text can be measured while it is built.
class TPDFDocument {
public:
    TPDFDocument(int iPageWidthMM, int iPageHeightMM, int iMarginMM);
    ~TPDFDocument();
    TPDFDocument(const TPDFDocument&) = delete;
    TPDFDocument& operator=(const TPDFDocument&) = delete;

    void SetProperties(const TPDFProperties& rProperties) { FProperties = rProperties; }

    // The page's width less both margins: what a section's content may fill.
    double SectionInnerWidth() const;
    // The document table's paddings inset the header and footer rows; a section always spans the page's
    // width within the margins, so content as wide as SectionInnerWidth fits.
    void SetPaddings(const TPDFPaddings& rPaddings) { FPaddings = rPaddings; }

    TPDFCell& Header() { return FHeader; }
    TPDFCell& Footer() { return FFooter; }
    // Section iIndex; asking beyond the last adds sections.
    TPDFCell& Section(int iIndex);
    int SectionCount() const { return int(FSections.size()); }

    // Text measurement in points.
    double TextWidth(const QString& sLine, const TPDFFont& rFont);
    double LineHeight(const TPDFFont& rFont) const;

    // Writes the whole document, one page per section, to the file through a temporary file, so a failed
    // write leaves an earlier file of that name whole. False with a reason on failure. fnPump runs for every
    // page drawn, every 30 ms while the pages are compressed and for every block of the file written, with
    // the steps done of GenerateSteps(): a page drawn is a step, the compression of all pages as many steps
    // as pages, and the writing of the file one more. When it cancels nothing is written
    // and the result is false without a reason; a cancel during the compression takes effect when it ends
    // (the window keeps painting meanwhile).
    bool Generate(const QString& sFileName, QString* psError = nullptr, const TProgressPump& fnPump = {});
    qint64 GenerateSteps() const { return 2 * qint64(FSections.size()) + 1; }

private:
    friend class TPDFCell;
    friend class TPDFTable;
    struct TFace;
    struct THaru;
    class TRenderer;

    int FontIndex(const TPDFFont& rFont);
    int ImageIndex(const QImage& Picture);
    // The face that draws sText in font iFont, and the bytes to hand it.
    const TFace& FaceFor(int iFont, const QString& sText, QByteArray& Bytes);
    double WidthOf(int iFont, const QString& sLine);
    double InnerWidthOf(const TPDFCell& rCell) const;
    double WidthOf(const TPDFCell& rCell) const;

    std::unique_ptr<THaru> FHaru;
    int FPageWidth, FPageHeight, FMargin;
    TPDFProperties FProperties;
    TPDFPaddings FPaddings;
    TPDFCell FHeader, FFooter;
    std::vector<std::unique_ptr<TPDFCell>> FSections;
    std::vector<TPDFFont> FFonts;
    std::vector<QImage> FImages;
    std::vector<QString> FLinks;
};
