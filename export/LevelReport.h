#pragma once

#include "core/Settings.h"
#include "export/ExportSources.h"
#include "export/PDFDocument.h"

#include <QImage>
#include <QString>
#include <functional>

// The PDF level report of one session: headline, description, loudness configuration, the user's picture
// and address, the statistics and the whole level table, 40 rows on the first page and 50 on each further
// one, every page numbered and closed by the maker's footer.

// The seven fonts of the documents, all black.
struct TPDFFonts {
    TPDFFont Headline; // Arial 12 bold
    TPDFFont Header;   // Arial 5 bold: sub-headline (italic while it is added), page number, header cells
    TPDFFont Label;    // Arial 6 bold: labels of the information tables
    TPDFFont Value;    // Arial 6: their values, the address block, statistics values, data cells
    TPDFFont Footer;   // Arial 4 bold
    TPDFFont Bullet;   // Wingdings 4: the footer's bullets, drawn as the text "l"
    TPDFFont SubHeadline;
};
TPDFFonts CreatePDFFonts();

// What the report prints: the session, the level table and statistics as the Database tab shows them, and
// the settings that shape it.
struct TLevelReport {
    TSessionInfo rSession;
    const ITableSource* pTable = nullptr;
    std::vector<TStatisticsEntry> aStatistics;
    // The conditions of the data filter the table was read through; empty when it holds every row. A
    // filtered report names them in a "Data Filter.:" line above the statistics.
    QStringList slDataFilter;
    // The verdict on the table's rows; when there is one, a box above the statistics gives it with the
    // target and every reason.
    TVerdictSummary rVerdict;
    // The session's gaps; a session with gaps lists them on pages of their own after the level table
    // (kGapPageRows a page), under the title "Gaps". A session without them gives the report it gave before
    // gaps were kept.
    QList<TSessionGap> aGaps;
    TPDFOptions rPDFOptions;
    TTableColorOptions rTablePeakColorOptions;
    TTableColorOptions rTableSTMaxColorOptions;
    TTableColorOptions rTableSTMinColorOptions;
    TTableColorOptions rTableIntColorOptions;
    int iLNG = 0;
    // The maker's logo; the program's icon when null.
    QImage MakerLogo;
};

// Builds the report and writes it to sFileName (through a temporary file). False with a reason when it
// could not be written. fnPump runs for every page while the pages are built and written, with the
// steps done of all (two a page while building, then the document's own steps, then all done while the
// document is freed); when it cancels, no file is written (an earlier one of that name stays whole) and
// the result is false without a reason.
bool CreateLevelReportPDF(const QString& sFileName, const TLevelReport& rReport,
                          const TProgressPump& fnPump = {}, QString* psError = nullptr);

// Pages of a report of iDataRows rows: one up to 40 rows, one more for each further 50 or part of them.
int LevelReportPageCount(int iDataRows);
// Gaps listed on one page of the report, and the pages that list iGaps gaps (none for none).
inline constexpr int kGapPageRows = 50;
int GapPageCount(int iGaps);

// A headline template with "%TITLE%", "%NUMBER%", "%NAME%", "%FORMAT%", "%TCSTART%" and "%TCEND%"
// replaced in this order, every occurrence, upper case only.
QString ReplacePlaceholders(const QString& sTemplate, const TSessionInfo& rSession);

// "QX-Logging v.1.0.0.1.": the program and its four version numbers, the documents' creator.
QString PDFCreatorText();

// The sub-headline: the template filled in, or "Level Report created with <creator>" when it is empty.
QString SubHeadlineText(const TPDFOptions& rOptions, const TSessionInfo& rSession, int iLNG);

// The document properties of a session: author, title, creator, subject and keywords.
TPDFProperties PDFPropertiesOf(const TSessionInfo& rSession);

// The footer every document ends its pages with: the maker's address lines in two centred tables, the
// logo bitmap 25 points wide at the first line's right end, yLogo points down.
void AddPDFFooter(TPDFDocument& Doc, const TPDFFonts& F, const QImage& LogoBitmap, double yLogo);

// The maker's logo given, or the program's icon when it is null.
QImage MakerLogoOrIcon(const QImage& Logo);

// The maker's logo as the footer draws it: scaled into the top-left 179 × 120 pixels of a white 225 × 145
// picture.
QImage MakerLogoBitmap(const QImage& Logo);
// The user's picture (BMP, PNG or JPEG); Logo when the file cannot be read as one of them.
QImage LoadUserPicture(const QString& sFileName, const QImage& Logo);

// The colour of a level text by one column's rules: the high rule when enabled and reached, else the low
// rule, else the default colour when enabled, else black.
TColorValue LevelRuleColor(const TTableColorOptions& rRules, double fValue);

// The text colour of a data cell in the report, by its column's header text in language iLNG; black for
// a text that does not read as a number. A peak channel prints red only above 0 and only while the peak
// rule's high limit is enabled.
TColorValue ReportCellColor(const QString& sHeader, const QString& sCell, const TLevelReport& rReport);
