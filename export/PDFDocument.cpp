#include "export/PDFDocument.h"

#include "core/Drawing.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <future>
#include <hpdf.h>

int MillimetresToPoints(int iMillimetres) {
    return iMillimetres * 720 / 254;
}

namespace {

// A line is this many times the font size; the baseline sits kBaseline times the size below its top.
constexpr double kLineFactor = 1.15;
constexpr double kBaseline = 0.86;
constexpr double kBorderWidth = 0.5;
// While the pages are compressed, the window is let paint at this pace.
constexpr int kPumpIntervalMs = 30;

// The characters of the Windows code page 1252 at 0x80 to 0x9F (0 where the code page has none).
constexpr char16_t kWinAnsiHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// One character in the standard fonts' encoding; 0 when it has none there.
char WinAnsiOf(char16_t c) {
    if (c < 0x20)
        return ' '; // control characters (a tab, a stray NUL) draw as a blank
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kWinAnsiHigh[i] == c)
            return char(0x80 + i);
    return 0;
}

// sText in the standard encoding; false when a character has no place there.
bool ToWinAnsi(const QString& sText, QByteArray& Bytes, bool bReplace) {
    Bytes.resize(sText.size());
    for (qsizetype i = 0; i < sText.size(); ++i) {
        const char c = WinAnsiOf(sText[i].unicode());
        if (!c && !bReplace)
            return false;
        Bytes[i] = c ? c : '?';
    }
    return true;
}

// Document properties are written in PDFDocEncoding: Latin-1 above 0xA0 (the euro at 0xA0 itself), a few
// typographic characters below. Anything else becomes "?", so a property never turns into mojibake.
QByteArray ToPDFDocEncoding(const QString& sText) {
    static constexpr char16_t kDocHigh[32] = {0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044,
                                              0x2039, 0x203A, 0x2212, 0x2030, 0x201E, 0x201C, 0x201D, 0x2018,
                                              0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
                                              0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0};
    QByteArray Bytes;
    for (const QChar ch : sText) {
        const char16_t c = ch.unicode();
        char b = '?';
        if (c >= 0x20 && c < 0x7F)
            b = char(c);
        else if (c == 0x20AC)
            b = char(0xA0);
        else if (c > 0xA0 && c <= 0xFF && c != 0xAD)
            b = char(c);
        else if (c < 0x20)
            b = ' ';
        else
            for (int i = 0; i < 31; ++i)
                if (kDocHigh[i] == c)
                    b = char(0x80 + i);
        Bytes.append(b);
    }
    return Bytes;
}

// The embedded font for text outside the standard encoding, by style.
QString LiberationSansFile(bool bBold, bool bItalic) {
    const QString sName = QStringLiteral("LiberationSans-%1.ttf")
                              .arg(bBold && bItalic ? QStringLiteral("BoldItalic")
                                   : bBold          ? QStringLiteral("Bold")
                                   : bItalic        ? QStringLiteral("Italic")
                                                    : QStringLiteral("Regular"));
    QStringList slDirs = {QStringLiteral("/usr/share/fonts/truetype/liberation2"),
                          QStringLiteral("/usr/share/fonts/truetype/liberation")};
    slDirs += QStandardPaths::standardLocations(QStandardPaths::FontsLocation);
    for (const QString& sDir : slDirs) {
        const QString sFile = QDir(sDir).filePath(sName);
        if (QFileInfo::exists(sFile))
            return sFile;
    }
    return QString();
}

QStringList SplitLines(const QString& sText) {
    QString s = sText;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s.split(QChar('\n'));
}

} // namespace

// ---- libharu state ----

// The faces of one font: the standard Type 1 face and, made when first needed, the embedded face for
// text outside the standard encoding.
struct TPDFDocument::TFace {
    HPDF_Font pFont = nullptr;
    bool bUnicode = false;
};

struct TPDFDocument::THaru {
    HPDF_Doc pDoc = nullptr;
    HPDF_STATUS iError = HPDF_OK;
    HPDF_STATUS iDetail = 0;
    bool bUTFEncodings = false;
    std::vector<TFace> aStandard; // by font index
    std::vector<TFace> aUnicode;  // by font index; pFont null until needed
    std::vector<HPDF_Image> aImages;

    static void OnError(HPDF_STATUS iError, HPDF_STATUS iDetail, void* pUser) {
        auto* p = static_cast<THaru*>(pUser);
        if (p->iError == HPDF_OK) {
            p->iError = iError;
            p->iDetail = iDetail;
        }
    }
    THaru() { pDoc = HPDF_New(&THaru::OnError, this); }
    ~THaru() {
        if (pDoc)
            HPDF_Free(pDoc);
    }
};

// ---- TPDFCell ----

double TPDFCell::Width() const {
    return FDoc->WidthOf(*this);
}

double TPDFCell::InnerWidth() const {
    return FDoc->InnerWidthOf(*this);
}

TPDFPaddings TPDFCell::Paddings() const {
    if (FPaddings)
        return *FPaddings;
    return FTable ? FTable->Paddings() : TPDFPaddings{};
}

void TPDFCell::AddText(double x, double y, const QString& sText, const TPDFFont& rFont, TPDFAlign eAlign,
                       const QString& sLink) {
    int iLink = -1;
    if (!sLink.isEmpty()) {
        FDoc->FLinks.push_back(sLink);
        iLink = int(FDoc->FLinks.size()) - 1;
    }
    FItems.push_back(TText{float(x), float(y + FFlowY), sText, FDoc->FontIndex(rFont), iLink, eAlign});
}

void TPDFCell::AddPicture(double x, double y, const QImage& Picture, double fWidth) {
    if (Picture.isNull() || Picture.width() <= 0)
        return;
    const double fHeight = fWidth * Picture.height() / Picture.width();
    FItems.push_back(
        TPicture{float(x), float(y + FFlowY), FDoc->ImageIndex(Picture), float(fWidth), float(fHeight)});
}

TPDFTable& TPDFCell::AddTable(double x, double y, std::unique_ptr<TPDFTable> pTable) {
    TPDFTable& rTable = *pTable;
    FItems.push_back(TNested{float(x), float(y + FFlowY), std::move(pTable)});
    return rTable;
}

void TPDFCell::AddParagraphBreak(const TPDFFont& rFont) {
    FFlowY += FDoc->LineHeight(rFont);
}

double TPDFCell::ContentHeight() const {
    double fBottom = FFlowY;
    for (const TItem& Item : FItems) {
        if (const auto* t = std::get_if<TText>(&Item)) {
            const auto iLines = t->sText.count(QChar('\r')) + t->sText.count(QChar('\n')) -
                                t->sText.count(QStringLiteral("\r\n")) + 1;
            fBottom = std::max(fBottom, t->y + iLines * FDoc->LineHeight(FDoc->FFonts[size_t(t->iFont)]));
        } else if (const auto* p = std::get_if<TPicture>(&Item)) {
            fBottom = std::max(fBottom, double(p->y + p->fHeight));
        } else if (const auto* n = std::get_if<TNested>(&Item)) {
            fBottom = std::max(fBottom, n->y + n->pTable->Height());
        }
    }
    return fBottom;
}

double TPDFCell::OuterHeight() const {
    const TPDFPaddings p = Paddings();
    return p.iTop + ContentHeight() + p.iBottom;
}

// ---- TPDFTable ----

TPDFTable::TPDFTable(TPDFDocument& rDoc, std::vector<double> aColumnWidths)
    : FDoc(rDoc), FColumnWidths(std::move(aColumnWidths)) {
    if (FColumnWidths.empty())
        FColumnWidths.push_back(0);
}

TPDFTable::~TPDFTable() = default;

TPDFCell& TPDFTable::Cell(int iRow, int iCol) {
    const int iCols = ColumnCount();
    iCol = std::clamp(iCol, 0, iCols - 1);
    iRow = std::max(iRow, 0);
    while (RowCount() <= iRow)
        for (int c = 0; c < iCols; ++c)
            FCells.push_back(TPDFCell(FDoc, this, c));
    return FCells[size_t(iRow) * size_t(iCols) + size_t(iCol)];
}

double TPDFTable::Width() const {
    double f = 0;
    for (double w : FColumnWidths)
        f += w;
    return f;
}

double TPDFTable::RowHeight(int iRow) const {
    if (iRow < 0 || iRow >= RowCount())
        return 0;
    const size_t iCols = FColumnWidths.size();
    double f = 0;
    for (size_t c = 0; c < iCols; ++c)
        f = std::max(f, FCells[size_t(iRow) * iCols + c].OuterHeight());
    return f;
}

double TPDFTable::Height() const {
    double f = 0;
    for (int r = 0; r < RowCount(); ++r)
        f += RowHeight(r);
    return f;
}

// ---- TPDFDocument ----

TPDFDocument::TPDFDocument(int iPageWidthMM, int iPageHeightMM, int iMarginMM)
    : FHaru(std::make_unique<THaru>()), FPageWidth(MillimetresToPoints(iPageWidthMM)),
      FPageHeight(MillimetresToPoints(iPageHeightMM)), FMargin(MillimetresToPoints(iMarginMM)),
      FHeader(*this, nullptr, TPDFCell::kFrameCell), FFooter(*this, nullptr, TPDFCell::kFrameCell) {}

TPDFDocument::~TPDFDocument() = default;

double TPDFDocument::SectionInnerWidth() const {
    return FPageWidth - 2 * FMargin;
}

TPDFCell& TPDFDocument::Section(int iIndex) {
    iIndex = std::max(iIndex, 0);
    while (SectionCount() <= iIndex)
        FSections.push_back(std::unique_ptr<TPDFCell>(new TPDFCell(*this, nullptr, TPDFCell::kSectionCell)));
    return *FSections[size_t(iIndex)];
}

double TPDFDocument::WidthOf(const TPDFCell& rCell) const {
    if (rCell.FTable)
        return rCell.FTable->ColumnWidth(rCell.FColumn);
    if (rCell.FColumn == TPDFCell::kSectionCell)
        return SectionInnerWidth();
    return SectionInnerWidth() - FPaddings.iLeft - FPaddings.iRight;
}

double TPDFDocument::InnerWidthOf(const TPDFCell& rCell) const {
    const TPDFPaddings p = rCell.Paddings();
    return WidthOf(rCell) - p.iLeft - p.iRight;
}

int TPDFDocument::FontIndex(const TPDFFont& rFont) {
    for (size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i] == rFont)
            return int(i);
    FFonts.push_back(rFont);
    FHaru->aStandard.push_back({});
    FHaru->aUnicode.push_back({});
    return int(FFonts.size()) - 1;
}

int TPDFDocument::ImageIndex(const QImage& Picture) {
    for (size_t i = 0; i < FImages.size(); ++i)
        if (FImages[i].cacheKey() == Picture.cacheKey())
            return int(i);
    FImages.push_back(Picture);
    return int(FImages.size()) - 1;
}

double TPDFDocument::LineHeight(const TPDFFont& rFont) const {
    return rFont.iSize * kLineFactor;
}

const TPDFDocument::TFace& TPDFDocument::FaceFor(int iFont, const QString& sText, QByteArray& Bytes) {
    const TPDFFont& f = FFonts[size_t(iFont)];
    THaru& h = *FHaru;
    TFace& Standard = h.aStandard[size_t(iFont)];
    if (!Standard.pFont) {
        if (f.sName.compare(QStringLiteral("Wingdings"), Qt::CaseInsensitive) == 0) {
            Standard.pFont = HPDF_GetFont(h.pDoc, "ZapfDingbats", nullptr);
        } else {
            const char* pName = f.bBold && f.bItalic ? "Helvetica-BoldOblique"
                                : f.bBold            ? "Helvetica-Bold"
                                : f.bItalic          ? "Helvetica-Oblique"
                                                     : "Helvetica";
            Standard.pFont = HPDF_GetFont(h.pDoc, pName, "WinAnsiEncoding");
        }
    }
    if (ToWinAnsi(sText, Bytes, false))
        return Standard;
    TFace& Unicode = h.aUnicode[size_t(iFont)];
    if (!Unicode.pFont) {
        const QString sFile = LiberationSansFile(f.bBold, f.bItalic);
        if (!sFile.isEmpty()) {
            if (!h.bUTFEncodings)
                h.bUTFEncodings = HPDF_UseUTFEncodings(h.pDoc) == HPDF_OK;
            const char* pName =
                HPDF_LoadTTFontFromFile(h.pDoc, QFile::encodeName(sFile).constData(), HPDF_TRUE);
            if (pName)
                Unicode.pFont = HPDF_GetFont(h.pDoc, pName, "UTF-8");
            Unicode.bUnicode = Unicode.pFont != nullptr;
        }
    }
    if (Unicode.pFont) {
        QString s = sText;
        for (QChar& c : s)
            if (c.unicode() < 0x20)
                c = QChar(' ');
        Bytes = s.toUtf8();
        return Unicode;
    }
    // Without the embedded font the standard face draws what it can.
    ToWinAnsi(sText, Bytes, true);
    return Standard;
}

double TPDFDocument::WidthOf(int iFont, const QString& sLine) {
    QByteArray Bytes;
    const TFace& Face = FaceFor(iFont, sLine, Bytes);
    if (!Face.pFont || Bytes.isEmpty())
        return 0;
    const HPDF_TextWidth w = HPDF_Font_TextWidth(
        Face.pFont, reinterpret_cast<const HPDF_BYTE*>(Bytes.constData()), HPDF_UINT(Bytes.size()));
    return double(w.width) * FFonts[size_t(iFont)].iSize / 1000.0;
}

double TPDFDocument::TextWidth(const QString& sLine, const TPDFFont& rFont) {
    return WidthOf(FontIndex(rFont), sLine);
}

// ---- drawing ----

// Draws the cells of one page. Keeps the page's text state, so that a run of texts needs no operators
// beyond its position and its bytes.
class TPDFDocument::TRenderer {
public:
    TRenderer(TPDFDocument& rDoc, HPDF_Page pPage)
        : Doc(rDoc), Page(pPage), fHeight(HPDF_Page_GetHeight(pPage)) {}
    ~TRenderer() { EndText(); }

    void DrawCell(const TPDFCell& rCell, double x, double y) {
        const TPDFPaddings p = rCell.Paddings();
        DrawItems(rCell, x + p.iLeft, y + p.iTop, Doc.InnerWidthOf(rCell));
    }

private:
    void EndText() {
        if (bInText)
            HPDF_Page_EndText(Page);
        bInText = false;
    }
    void SetFill(TColorValue cl) {
        cl = ColorToRGB(cl);
        if (cl == clFill)
            return;
        clFill = cl;
        HPDF_Page_SetRGBFill(Page, HPDF_REAL((cl & 0xFF) / 255.0), HPDF_REAL(((cl >> 8) & 0xFF) / 255.0),
                             HPDF_REAL(((cl >> 16) & 0xFF) / 255.0));
    }

    void DrawItems(const TPDFCell& rCell, double x, double y, double fInner) {
        for (const TPDFCell::TItem& Item : rCell.FItems) {
            if (const auto* t = std::get_if<TPDFCell::TText>(&Item))
                DrawText(*t, x, y, fInner);
            else if (const auto* p = std::get_if<TPDFCell::TPicture>(&Item))
                DrawPicture(*p, x, y);
            else if (const auto* n = std::get_if<TPDFCell::TNested>(&Item))
                DrawTable(*n->pTable, x + n->x, y + n->y);
        }
    }

    void DrawText(const TPDFCell::TText& t, double x, double y, double fInner) {
        const TPDFFont& f = Doc.FFonts[size_t(t.iFont)];
        const double fLine = Doc.LineHeight(f);
        const QStringList slLines = t.sText.contains(QChar('\r')) || t.sText.contains(QChar('\n'))
                                        ? SplitLines(t.sText)
                                        : QStringList{t.sText};
        double fTop = y + t.y;
        QByteArray Bytes;
        for (const QString& sLine : slLines) {
            const TFace& Face = Doc.FaceFor(t.iFont, sLine, Bytes);
            if (!Face.pFont || Bytes.isEmpty()) {
                fTop += fLine;
                continue;
            }
            double fLeft = x + t.x;
            if (t.eAlign != TPDFAlign::Left) {
                const HPDF_TextWidth w =
                    HPDF_Font_TextWidth(Face.pFont, reinterpret_cast<const HPDF_BYTE*>(Bytes.constData()),
                                        HPDF_UINT(Bytes.size()));
                const double fWidth = double(w.width) * f.iSize / 1000.0;
                fLeft = t.eAlign == TPDFAlign::Centre ? x + t.x + (fInner - t.x - fWidth) / 2
                                                      : x + fInner - t.x - fWidth;
                if (t.iLink >= 0)
                    Link(t.iLink, fLeft, fTop, fWidth, fLine);
            } else if (t.iLink >= 0) {
                Link(t.iLink, fLeft, fTop, Doc.WidthOf(t.iFont, sLine), fLine);
            }
            if (!bInText) {
                HPDF_Page_BeginText(Page);
                bInText = true;
                pFont = nullptr;
            }
            if (Face.pFont != pFont || f.iSize != iSize) {
                HPDF_Page_SetFontAndSize(Page, Face.pFont, HPDF_REAL(f.iSize));
                pFont = Face.pFont;
                iSize = f.iSize;
            }
            SetFill(f.clColor);
            HPDF_Page_TextOut(Page, HPDF_REAL(fLeft), HPDF_REAL(fHeight - fTop - kBaseline * f.iSize),
                              Bytes.constData());
            fTop += fLine;
        }
    }

    void Link(int iLink, double x, double y, double w, double h) {
        const QByteArray Uri = Doc.FLinks[size_t(iLink)].toUtf8();
        const HPDF_Rect r{HPDF_REAL(x), HPDF_REAL(fHeight - y - h), HPDF_REAL(x + w), HPDF_REAL(fHeight - y)};
        HPDF_Annotation a = HPDF_Page_CreateURILinkAnnot(Page, r, Uri.constData());
        if (a)
            HPDF_LinkAnnot_SetBorderStyle(a, 0, 0, 0);
    }

    void DrawPicture(const TPDFCell::TPicture& p, double x, double y) {
        THaru& h = *Doc.FHaru;
        if (h.aImages.size() < Doc.FImages.size())
            h.aImages.resize(Doc.FImages.size(), nullptr);
        HPDF_Image& pImage = h.aImages[size_t(p.iImage)];
        if (!pImage) {
            const QImage Rgb = Doc.FImages[size_t(p.iImage)].convertToFormat(QImage::Format_RGB888);
            QByteArray Bytes;
            Bytes.reserve(qsizetype(Rgb.width()) * Rgb.height() * 3);
            for (int iLine = 0; iLine < Rgb.height(); ++iLine)
                Bytes.append(reinterpret_cast<const char*>(Rgb.constScanLine(iLine)),
                             qsizetype(Rgb.width()) * 3);
            pImage = HPDF_LoadRawImageFromMem(h.pDoc, reinterpret_cast<const HPDF_BYTE*>(Bytes.constData()),
                                              HPDF_UINT(Rgb.width()), HPDF_UINT(Rgb.height()),
                                              HPDF_CS_DEVICE_RGB, 8);
            if (!pImage)
                return;
        }
        EndText();
        HPDF_Page_DrawImage(Page, pImage, HPDF_REAL(x + p.x), HPDF_REAL(fHeight - y - p.y - p.fHeight),
                            HPDF_REAL(p.fWidth), HPDF_REAL(p.fHeight));
    }

    void DrawTable(const TPDFTable& t, double x, double y) {
        const int iRows = t.RowCount(), iCols = t.ColumnCount();
        std::vector<double> aRowHeights(static_cast<size_t>(iRows));
        double fTotal = 0;
        for (int r = 0; r < iRows; ++r)
            fTotal += aRowHeights[size_t(r)] = t.RowHeight(r);
        EndText();
        // Backgrounds first, neighbouring cells of one colour as one rectangle.
        double fTop = y;
        for (int r = 0; r < iRows; ++r) {
            double fLeft = x;
            for (int c = 0; c < iCols;) {
                const TPDFCell& rCell = t.FCells[size_t(r) * size_t(iCols) + size_t(c)];
                double fWidth = t.ColumnWidth(c);
                int e = c + 1;
                if (rCell.FBackground) {
                    while (e < iCols &&
                           t.FCells[size_t(r) * size_t(iCols) + size_t(e)].FBackground == rCell.FBackground)
                        fWidth += t.ColumnWidth(e++);
                    SetFill(*rCell.FBackground);
                    HPDF_Page_Rectangle(Page, HPDF_REAL(fLeft),
                                        HPDF_REAL(fHeight - fTop - aRowHeights[size_t(r)]), HPDF_REAL(fWidth),
                                        HPDF_REAL(aRowHeights[size_t(r)]));
                    HPDF_Page_Fill(Page);
                }
                fLeft += fWidth;
                c = e;
            }
            fTop += aRowHeights[size_t(r)];
        }
        if (t.FBorder && iRows > 0) {
            HPDF_Page_SetLineWidth(Page, HPDF_REAL(kBorderWidth));
            HPDF_Page_SetRGBStroke(Page, 0, 0, 0);
            const double fWidth = t.Width();
            double fLineY = y;
            for (int r = 0; r <= iRows; ++r) {
                HPDF_Page_MoveTo(Page, HPDF_REAL(x), HPDF_REAL(fHeight - fLineY));
                HPDF_Page_LineTo(Page, HPDF_REAL(x + fWidth), HPDF_REAL(fHeight - fLineY));
                if (r < iRows)
                    fLineY += aRowHeights[size_t(r)];
            }
            double fLineX = x;
            for (int c = 0; c <= iCols; ++c) {
                HPDF_Page_MoveTo(Page, HPDF_REAL(fLineX), HPDF_REAL(fHeight - y));
                HPDF_Page_LineTo(Page, HPDF_REAL(fLineX), HPDF_REAL(fHeight - y - fTotal));
                if (c < iCols)
                    fLineX += t.ColumnWidth(c);
            }
            HPDF_Page_Stroke(Page);
        }
        fTop = y;
        for (int r = 0; r < iRows; ++r) {
            double fLeft = x;
            for (int c = 0; c < iCols; ++c) {
                const TPDFCell& rCell = t.FCells[size_t(r) * size_t(iCols) + size_t(c)];
                if (!rCell.FItems.empty())
                    DrawCell(rCell, fLeft, fTop);
                fLeft += t.ColumnWidth(c);
            }
            fTop += aRowHeights[size_t(r)];
        }
    }

    TPDFDocument& Doc;
    HPDF_Page Page;
    double fHeight;
    bool bInText = false;
    HPDF_Font pFont = nullptr;
    int iSize = 0;
    TColorValue clFill = 0xFFFFFFFF;
};

bool TPDFDocument::Generate(const QString& sFileName, QString* psError, const TProgressPump& fnPump) {
    THaru& h = *FHaru;
    const qint64 iPages = qint64(FSections.size());
    const qint64 iSteps = GenerateSteps();
    const auto Pump = [&](qint64 iDone) { return PumpProgress(fnPump, iDone, iSteps); };
    auto Fail = [&](const QString& sWhy) {
        if (psError)
            *psError = sWhy;
        return false;
    };
    if (!h.pDoc)
        return Fail(QStringLiteral("the PDF library could not start"));
    HPDF_SetCompressionMode(h.pDoc, HPDF_COMP_ALL);
    const std::pair<HPDF_InfoType, const QString*> aInfo[] = {{HPDF_INFO_AUTHOR, &FProperties.sAuthor},
                                                              {HPDF_INFO_TITLE, &FProperties.sTitle},
                                                              {HPDF_INFO_CREATOR, &FProperties.sCreator},
                                                              {HPDF_INFO_SUBJECT, &FProperties.sSubject},
                                                              {HPDF_INFO_KEYWORDS, &FProperties.sKeywords}};
    for (const auto& [eType, psValue] : aInfo)
        if (!psValue->isEmpty())
            HPDF_SetInfoAttr(h.pDoc, eType, ToPDFDocEncoding(*psValue).constData());

    const double fHeaderHeight = FPaddings.iTop + FHeader.OuterHeight();
    const double fFooterHeight = FFooter.OuterHeight() + FPaddings.iBottom;
    qint64 iDrawn = 0;
    for (const auto& pSection : FSections) {
        if (!Pump(iDrawn++))
            return false;
        HPDF_Page Page = HPDF_AddPage(h.pDoc);
        if (!Page)
            break;
        HPDF_Page_SetWidth(Page, HPDF_REAL(FPageWidth));
        HPDF_Page_SetHeight(Page, HPDF_REAL(FPageHeight));
        TRenderer Renderer(*this, Page);
        Renderer.DrawCell(FHeader, FMargin + FPaddings.iLeft, FMargin + FPaddings.iTop);
        Renderer.DrawCell(*pSection, FMargin, FMargin + fHeaderHeight);
        Renderer.DrawCell(FFooter, FMargin + FPaddings.iLeft, FPageHeight - FMargin - fFooterHeight);
    }
    if (h.iError != HPDF_OK)
        return Fail(QStringLiteral("PDF error 0x%1 (%2)").arg(h.iError, 4, 16, QChar('0')).arg(h.iDetail));
    // The library compresses every page in one call, which a week of rows makes long: it runs on a worker
    // thread while this one keeps the window painted. The document is the worker's alone until it ends:
    // this thread only waits for it.
    HPDF_STATUS iSaved = HPDF_OK;
    if (!fnPump) {
        iSaved = HPDF_SaveToStream(h.pDoc);
    } else {
        std::future<HPDF_STATUS> Saving =
            std::async(std::launch::async, [pDoc = h.pDoc] { return HPDF_SaveToStream(pDoc); });
        bool bCancelled = false;
        iSaved =
            WaitPumping(Saving, kPumpIntervalMs, [&] { bCancelled = !fnPump(iPages, iSteps) || bCancelled; });
        if (bCancelled)
            return false;
    }
    if (iSaved != HPDF_OK)
        return Fail(QStringLiteral("PDF error 0x%1 (%2)").arg(h.iError, 4, 16, QChar('0')).arg(h.iDetail));

    QSaveFile File(sFileName);
    if (!File.open(QIODevice::WriteOnly))
        return Fail(File.errorString());
    HPDF_ResetStream(h.pDoc);
    std::vector<HPDF_BYTE> Buffer(1 << 16);
    for (;;) {
        // Not committed: the save file removes what it wrote.
        if (!Pump(2 * iPages))
            return false;
        HPDF_UINT32 iSize = HPDF_UINT32(Buffer.size());
        const HPDF_STATUS iStatus = HPDF_ReadFromStream(h.pDoc, Buffer.data(), &iSize);
        if (iSize > 0 &&
            File.write(reinterpret_cast<const char*>(Buffer.data()), qint64(iSize)) != qint64(iSize))
            return Fail(File.errorString());
        if (iStatus == HPDF_STREAM_EOF)
            break;
        if (iStatus != HPDF_OK)
            return Fail(QStringLiteral("PDF error 0x%1").arg(iStatus, 4, 16, QChar('0')));
    }
    // Committing puts the file on the disk first, which for a week's report can take longer than the window
    // may wait: a worker commits while this thread keeps the window painted. The file is the worker's alone
    // until it ends; a cancel now comes too late to matter, the report being whole.
    bool bCommitted = false;
    if (!fnPump) {
        bCommitted = File.commit();
    } else {
        std::future<bool> Committing = std::async(std::launch::async, [&File] { return File.commit(); });
        bCommitted = WaitPumping(Committing, kPumpIntervalMs, [&] { Pump(iSteps); });
    }
    if (!bCommitted)
        return Fail(File.errorString());
    return true;
}
