#include "export/ChartPDF.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "export/LevelReport.h"
#include "export/PDFDocument.h"
#include "review/SessionBrowser.h"

namespace {

// A4 landscape, 5 mm margins.
constexpr int kPageWidthMM = 297;
constexpr int kPageHeightMM = 210;
constexpr int kMarginMM = 5;

constexpr double kSidePanelWidth = 180;
// The gaps the header line names at most.
constexpr qsizetype kGapsNamed = 6;
// Snapshot rows of the session table, in print order, and of the four pairs of the full page's table.
constexpr int aSessionRows[] = {kSnapShowTitle, kSnapShowNumber, kSnapOperatorName, kSnapAnalysisDate,
                                kSnapFormat,    kSnapTCStart,    kSnapTCEnd,        kSnapNotes};
constexpr int aFullPageSessionRows[] = {kSnapShowTitle, kSnapShowNumber, kSnapOperatorName, kSnapAnalysisDate,
                                        kSnapFormat,    kSnapTCStart,    kSnapTCEnd};

TSnapshotRow RowOf(const TChartSnapshot& a, int iRow) {
    return iRow >= 0 && iRow < int(a.size()) ? a[size_t(iRow)] : TSnapshotRow();
}

// The printed value of a snapshot row: the instrument row names the instrument type only.
QString ValueOf(const TChartSnapshot& a, int iRow) {
    const QString s = RowOf(a, iRow).sValue;
    return iRow == kSnapInstrumentType ? InstrumentTypeName(s) : s;
}

class TChartDocumentBuilder {
public:
    explicit TChartDocumentBuilder(const TChartDocument& r)
        : R(r), F(CreatePDFFonts()), Doc(kPageWidthMM, kPageHeightMM, kMarginMM),
          Session(ChartSessionInfo(r.aSnapshot)), Logo(MakerLogoOrIcon(r.MakerLogo)) {}

    bool SidePanel(const QString& sFileName, QString* psError, const TProgressPump& fnPump);
    bool FullPage(const QString& sFileName, QString* psError, const TProgressPump& fnPump);

private:
    QString T(int iEntry) const { return GetText(iEntry, R.iLNG); }
    // Properties, paddings, headline and sub-headline; returns the width the section's content may fill.
    double BeginFrame(const TPDFPaddings& rSectionPaddings);
    bool Finish(const QString& sFileName, QString* psError, const TProgressPump& fnPump);
    void PairRow(TPDFTable& t, int iRow, int iCol, int iSnapshotRow, const TPDFFont& Label,
                 const TPDFFont& Value);
    std::unique_ptr<TPDFTable> PairTable(const std::vector<int>& aRows);
    std::unique_ptr<TPDFTable> SidePanelTable();
    std::unique_ptr<TPDFTable> InformationTable(double W);

    const TChartDocument& R;
    const TPDFFonts F;
    TPDFDocument Doc;
    const TSessionInfo Session;
    const QImage Logo;
};

double TChartDocumentBuilder::BeginFrame(const TPDFPaddings& rSectionPaddings) {
    Doc.SetProperties(PDFPropertiesOf(Session));
    Doc.SetPaddings({15, 0, 15, 0});
    TPDFCell& Header = Doc.Header();
    Header.SetPaddings({15, 10, 15, 0});
    Header.AddText(0, 0, ReplacePlaceholders(R.rPDFOptions.sHeadline, Session), F.Headline,
                   TPDFAlign::Centre);
    Header.AddParagraphBreak(F.Headline);
    Header.AddText(0, 0, SubHeadlineText(R.rPDFOptions, Session, R.iLNG), F.SubHeadline, TPDFAlign::Centre);
    if (!R.slDataFilter.isEmpty()) {
        Header.AddParagraphBreak(F.SubHeadline);
        Header.AddText(
            0, 0, T(kTxtDataFilterLabel) + QStringLiteral(" ") + R.slDataFilter.join(QStringLiteral("; ")),
            F.Label, TPDFAlign::Centre);
    }
    if (!R.sTarget.isEmpty()) {
        Header.AddParagraphBreak(F.SubHeadline);
        Header.AddText(0, 0, T(kTxtTargetLabel) + QStringLiteral(" ") + R.sTarget, F.Label,
                       TPDFAlign::Centre);
    }
    if (!R.sShownRange.isEmpty()) {
        Header.AddParagraphBreak(F.SubHeadline);
        Header.AddText(0, 0, R.sShownRange, F.Label, TPDFAlign::Centre);
    }
    if (!R.slGaps.isEmpty()) {
        Header.AddParagraphBreak(F.SubHeadline);
        // One line: a chart of many gaps names the first ones and says that more follow.
        QStringList slNamed = R.slGaps.mid(0, kGapsNamed);
        if (R.slGaps.size() > kGapsNamed)
            slNamed << QStringLiteral("+%1").arg(R.slGaps.size() - kGapsNamed);
        Header.AddText(0, 0, FormatText(T(kTxtChartGapsShown), {slNamed.join(QStringLiteral("; "))}), F.Label,
                       TPDFAlign::Centre);
    }
    TPDFCell& Section = Doc.Section(0);
    Section.SetPaddings(rSectionPaddings);
    // The section's paddings inset its content; the page's width less the margins would push the chart's
    // right edge off the sheet.
    return Section.InnerWidth();
}

bool TChartDocumentBuilder::Finish(const QString& sFileName, QString* psError, const TProgressPump& fnPump) {
    AddPDFFooter(Doc, F, MakerLogoBitmap(Logo), 1);
    return Doc.Generate(sFileName, psError, fnPump);
}

void TChartDocumentBuilder::PairRow(TPDFTable& t, int iRow, int iCol, int iSnapshotRow, const TPDFFont& Label,
                                    const TPDFFont& Value) {
    t.Cell(iRow, iCol).AddText(0, 0, RowOf(R.aSnapshot, iSnapshotRow).sLabel, Label, TPDFAlign::Right);
    t.Cell(iRow, iCol + 1).AddText(0, 0, ValueOf(R.aSnapshot, iSnapshotRow), Value, TPDFAlign::Left);
}

std::unique_ptr<TPDFTable> TChartDocumentBuilder::PairTable(const std::vector<int>& aRows) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{85, 95});
    t->SetPaddings({5, 0, 0, 0});
    int iRow = 0;
    for (int iSnapshotRow : aRows)
        PairRow(*t, iRow++, 0, iSnapshotRow, F.Label, F.Value);
    return t;
}

std::unique_ptr<TPDFTable> TChartDocumentBuilder::SidePanelTable() {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{kSidePanelWidth});
    TPDFCell& User = t->Cell(0, 0);
    User.SetPaddings({3, 3, 0, 0});
    const double fHalf = User.Width() / 2;
    User.AddPicture(fHalf, 0, LoadUserPicture(R.rPDFOptions.sUserImage, Logo), fHalf);
    QString sUserText;
    for (const QString& sLine : R.rPDFOptions.slUserText)
        sUserText += sLine + QChar('\r');
    User.AddText(0, 0, sUserText, F.Value, TPDFAlign::Left);

    std::vector<int> aConfigRows;
    for (int iRow = kSnapInstrumentType; iRow <= kSnapPeakLevel; ++iRow)
        aConfigRows.push_back(iRow);
    const std::pair<int, std::vector<int>> aBlocks[] = {
        {kTxtSessionInformation, std::vector<int>(std::begin(aSessionRows), std::end(aSessionRows))},
        {kTxtLoudnessConfiguration, aConfigRows},
        {kTxtSessionStatistics, ChartStatisticsRows(R.aSnapshot)}};
    int iRow = 1;
    for (const auto& [iTitle, aRows] : aBlocks) {
        TPDFCell& Title = t->Cell(iRow++, 0);
        Title.SetPaddings({0, 8, 0, 0});
        Title.AddText(0, 0, T(iTitle), F.Label, TPDFAlign::Centre);
        t->Cell(iRow++, 0).AddTable(0, 0, PairTable(aRows));
    }
    return t;
}

std::unique_ptr<TPDFTable> TChartDocumentBuilder::InformationTable(double W) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{70, W - 490, 80, 60, 80, 60, 80, 60});
    t->SetPaddings({5, 0, 0, 0});
    TPDFFont Label = F.Label, Value = F.Value;
    Label.iSize = Value.iSize = 4;
    int iRow = 0;
    for (int iSnapshotRow : aFullPageSessionRows)
        PairRow(*t, iRow++, 0, iSnapshotRow, Label, Value);
    for (int i = 0; i < 5; ++i) {
        PairRow(*t, i, 2, kSnapInstrumentType + i, Label, Value);
        PairRow(*t, i, 4, kSnapInstrumentType + 5 + i, Label, Value);
    }
    for (int i = 0; i < kChartStatisticsRows; ++i)
        PairRow(*t, i, 6, kSnapStatisticsTitle + i, Label, Value);
    return t;
}

bool TChartDocumentBuilder::SidePanel(const QString& sFileName, QString* psError,
                                      const TProgressPump& fnPump) {
    const double W = BeginFrame({15, 2, 15, 2});
    TPDFCell& Section = Doc.Section(0);
    auto Columns =
        std::make_unique<TPDFTable>(Doc, std::vector<double>{W - kSidePanelWidth, kSidePanelWidth});
    // Row 0 stays empty, as the earlier documents have it.
    Columns->Cell(1, 0).AddPicture(0, 0, R.ChartPicture, W - kSidePanelWidth);
    Columns->Cell(1, 1).AddTable(0, 0, SidePanelTable());
    Section.AddTable(0, Section.ContentHeight(), std::move(Columns));
    return Finish(sFileName, psError, fnPump);
}

bool TChartDocumentBuilder::FullPage(const QString& sFileName, QString* psError,
                                     const TProgressPump& fnPump) {
    const double W = BeginFrame({15, 2, 15, 0});
    TPDFCell& Section = Doc.Section(0);
    const bool bInfo = R.rPDFOptions.bChartSessionInfo;
    Section.AddPicture(0, bInfo ? 0 : 25, R.ChartPicture, W);
    if (bInfo)
        Section.AddTable(0, Section.ContentHeight(), InformationTable(W));
    return Finish(sFileName, psError, fnPump);
}

} // namespace

TSessionInfo ChartSessionInfo(const TChartSnapshot& a) {
    TSessionInfo s;
    s.sShowTitle = ValueOf(a, kSnapShowTitle);
    s.sShowNumber = ValueOf(a, kSnapShowNumber);
    s.sOperatorName = ValueOf(a, kSnapOperatorName);
    s.sFormat = ValueOf(a, kSnapFormat);
    s.sTimeCodeStart = ValueOf(a, kSnapTCStart);
    s.sTimeCodeEnd = ValueOf(a, kSnapTCEnd);
    s.sNotes = ValueOf(a, kSnapNotes);
    return s;
}

std::vector<int> ChartStatisticsRows(const TChartSnapshot& a) {
    std::vector<int> aRows;
    for (int i = 0; i < kChartStatisticsRows; ++i) {
        aRows.push_back(kSnapStatisticsTitle + i);
        if (RowOf(a, kSnapStatisticsTitle + i).sLabel.isEmpty())
            break;
    }
    return aRows;
}

bool CreateChartPDF(const QString& sFileName, const TChartDocument& rDocument, QString* psError,
                    const TProgressPump& fnPump) {
    return TChartDocumentBuilder(rDocument).SidePanel(sFileName, psError, fnPump);
}

bool CreateChartPDFFullPage(const QString& sFileName, const TChartDocument& rDocument, QString* psError,
                            const TProgressPump& fnPump) {
    return TChartDocumentBuilder(rDocument).FullPage(sFileName, psError, fnPump);
}
