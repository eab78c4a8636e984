#include "export/LevelReport.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "core/Version.h"
#include "review/ChartData.h"
#include "review/SessionBrowser.h"
#include "review/SessionGaps.h"
#include "review/TableColors.h"

#include <QDateTime>
#include <QImageReader>
#include <QLocale>
#include <QPainter>
#include <charconv>
#include <chrono>
#include <future>
#include <memory>

namespace {

// Page geometry: A4 portrait, 5 mm margins.
constexpr int kPageWidthMM = 210;
constexpr int kPageHeightMM = 297;
constexpr int kMarginMM = 5;

// While the document is freed, the window is let paint at this pace.
constexpr int kFreePumpMs = 30;

constexpr int kFirstPageRows = 40;
// The most of a gap's reason the report prints on its one line.
constexpr qsizetype kGapReasonChars = 110;
constexpr int kPageRows = 50;

// The maker's lines of the footer.
const QString kMakerName = QStringLiteral("Kelmoria Instruments");
const QString kMakerStreet = QStringLiteral("Measuring Lane 1");
const QString kMakerTown = QStringLiteral("0000 Sample Town");
const QString kMakerCountry = QStringLiteral("Sampleland");
const QString kMakerWeb = QStringLiteral("www.kelmoria.example");
const QString kMakerWebLink = QStringLiteral("https://www.kelmoria.example");
const QString kMakerMail = QStringLiteral("info@kelmoria.example");
const QString kMakerMailLink = QStringLiteral("mailto:info@kelmoria.example");
const QString kBullet = QStringLiteral("l");

// The rule a data column's text colour follows: the peak channel's own, a level column's records, or none.
struct TColumnRule {
    bool bPeakChannel = false;
    const TTableColorOptions* pRules = nullptr;
};

TColumnRule ColumnRuleOf(const QString& sHeader, const TLevelReport& r) {
    if (sHeader == GetText(kTxtPeakChannelHeading, r.iLNG))
        return {true, nullptr};
    const TTableColorRules Rules{r.rTablePeakColorOptions, r.rTableSTMaxColorOptions,
                                 r.rTableSTMinColorOptions, r.rTableIntColorOptions};
    return {false, LevelRulesOf(sHeader, r.iLNG, Rules)};
}

// A level text as the table shows it: sign, digits and the system's decimal separator. Anything else goes
// through the locale's full reading; a day-long report reads some 400,000 of them.
bool ReadNumber(const QString& sText, const QLocale& Locale, double& fValue) {
    char aBuffer[32];
    const QString sDecimal = Locale.decimalPoint();
    const QChar cDecimal = sDecimal.size() == 1 ? sDecimal[0] : QChar('.');
    qsizetype n = 0;
    bool bSimple = !sText.isEmpty() && sText.size() < qsizetype(sizeof aBuffer);
    for (qsizetype i = 0; bSimple && i < sText.size(); ++i) {
        const QChar c = sText[i];
        if (c.isDigit() && c.unicode() < 0x80)
            aBuffer[n++] = char(c.unicode());
        else if (c == cDecimal)
            aBuffer[n++] = '.';
        else if (c == QChar('-') && i == 0)
            aBuffer[n++] = '-';
        else
            bSimple = false;
    }
    if (bSimple) {
        const auto [pEnd, ec] = std::from_chars(aBuffer, aBuffer + n, fValue);
        if (ec == std::errc() && pEnd == aBuffer + n)
            return true;
    }
    bool bNumber = false;
    fValue = Locale.toDouble(sText, &bNumber);
    return bNumber;
}

TColorValue CellColor(const TColumnRule& rRule, const QString& sCell, const TLevelReport& r,
                      const QLocale& Locale) {
    if (!rRule.bPeakChannel && !rRule.pRules)
        return clBlack;
    double fValue = 0;
    if (!ReadNumber(sCell, Locale, fValue))
        return clBlack;
    // The report marks a peak channel only under the peak level's high rule; the table marks every peak.
    if (rRule.bPeakChannel)
        return r.rTablePeakColorOptions.rMax.bEnabled && fValue > 0 ? clRed : clBlack;
    return LevelRuleColor(*rRule.pRules, fValue);
}

// Builds the report's tables into one document.
class TLevelReportBuilder {
public:
    TLevelReportBuilder(const TLevelReport& r)
        : R(r), F(CreatePDFFonts()), Doc(kPageWidthMM, kPageHeightMM, kMarginMM) {}

    bool Build(const QString& sFileName, const TProgressPump& fnPump, QString* psError);

private:
    QString T(int iEntry) const { return GetText(iEntry, R.iLNG); }
    void LabelRow(TPDFTable& t, int iRow, const QString& sLabel, const QString& sValue);
    std::unique_ptr<TPDFTable> SessionTable(const TSessionGridTexts& Texts);
    std::unique_ptr<TPDFTable> ConfigTable(const TSessionGridTexts& Texts);
    std::unique_ptr<TPDFTable> OverviewTable(const TSessionGridTexts& Texts, const QImage& UserPicture);
    std::unique_ptr<TPDFTable> StatisticsTable(double W);
    std::unique_ptr<TPDFTable> DataFilterTable(double W);
    std::unique_ptr<TPDFTable> VerdictTable(double W);
    std::unique_ptr<TPDFTable> DataTable(int iFirstRow, int iRows);
    std::unique_ptr<TPDFTable> GapTable(int iFirstGap, int iGaps, double W);
    std::unique_ptr<TPDFTable> PageHeaderTable(int iPage, int iPages, const QString& sSubHeadline);

    const TLevelReport& R;
    const TPDFFonts F;
    TPDFDocument Doc;
    std::vector<double> aDataWidths;
    std::vector<TColumnRule> aRules;
    QLocale Locale;
};

void TLevelReportBuilder::LabelRow(TPDFTable& t, int iRow, const QString& sLabel, const QString& sValue) {
    t.Cell(iRow, 0).AddText(0, 0, sLabel, F.Label, TPDFAlign::Right);
    t.Cell(iRow, 1).AddText(0, 0, sValue, F.Value, TPDFAlign::Left);
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::SessionTable(const TSessionGridTexts& Texts) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{70, 140});
    t->SetPaddings({3, 3, 0, 0});
    const QStringList& v = Texts.slSession;
    const std::pair<int, QString> aRows[] = {
        {kTxtShowTitleLabel, v.value(0)},
        {kTxtShowNumberLabel, v.value(1)},
        {kTxtRecordedLabel, AnalysisDateText(R.rSession.dtRecordingStart)},
        {kTxtAnalysisDateLabel, AnalysisDateText(R.rSession.dtDateTime)},
        {kTxtOperatorNameLabel, v.value(2)},
        {kTxtFormatLabel, v.value(3)},
        {kTxtTCStartAlignedLabel, v.value(4)},
        {kTxtTCEndAlignedLabel, v.value(5)},
        {kTxtNotesLabel, v.value(6)}};
    int iRow = 0;
    for (const auto& [iEntry, sValue] : aRows)
        LabelRow(*t, iRow++, T(iEntry), sValue);
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::ConfigTable(const TSessionGridTexts& Texts) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{80, 80});
    t->SetPaddings({3, 3, 0, 0});
    LabelRow(*t, 0, T(kTxtInstrumentTypeLabel), InstrumentTypeName(Texts.slConfig.value(0)));
    // The ten setup labels follow one another in the table, from the peak mode to the filter.
    for (int i = 1; i <= 10; ++i)
        LabelRow(*t, i, T(kTxtPeakModeLabel + 2 * (i - 1)), Texts.slConfig.value(i));
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::OverviewTable(const TSessionGridTexts& Texts,
                                                              const QImage& UserPicture) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{210, 160, 196});
    t->SetPaddings({3, 3, 3, 3});
    t->Cell(0, 0).SetPaddings({});
    t->Cell(0, 0).AddTable(0, 0, SessionTable(Texts));
    t->Cell(0, 1).SetPaddings({});
    t->Cell(0, 1).AddTable(0, 0, ConfigTable(Texts));
    TPDFCell& c = t->Cell(0, 2);
    c.SetPaddings({3, 3, 3, 3});
    c.AddPicture(c.Width() / 2, 0, UserPicture, c.Width() / 2);
    QString sUserText;
    for (const QString& sLine : R.rPDFOptions.slUserText)
        sUserText += sLine + QChar('\r');
    c.AddText(0, 0, sUserText, F.Value, TPDFAlign::Left);
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::StatisticsTable(double W) {
    int n = 0;
    while (n < int(R.aStatistics.size()) && !R.aStatistics[size_t(n)].sLabel.isEmpty())
        ++n;
    std::vector<double> aWidths{65};
    for (int j = 0; j < n; ++j)
        aWidths.push_back(double((int(W) - 65) / n));
    auto t = std::make_unique<TPDFTable>(Doc, aWidths);
    t->SetBorder(true);
    t->SetPaddings({3, 3, 3, 3});
    for (int iRow = 0; iRow < 3; ++iRow)
        for (int j = 0; j <= n; ++j)
            t->Cell(iRow, j).SetBackground(iRow == 0 ? R.rPDFOptions.clEvenLines : R.rPDFOptions.clOddLines);
    t->Cell(1, 0).AddText(0, 0, T(kTxtLevelLabel), F.Header, TPDFAlign::Right);
    t->Cell(2, 0).AddText(0, 0, T(kTxtTimeCodeLabel), F.Header, TPDFAlign::Right);
    for (int j = 1; j <= n; ++j) {
        const TStatisticsEntry& e = R.aStatistics[size_t(j - 1)];
        t->Cell(0, j).AddText(0, 0, e.sLabel.chopped(1), F.Header, TPDFAlign::Centre);
        t->Cell(1, j).AddText(0, 0, e.sValue, F.Value, TPDFAlign::Centre);
        t->Cell(2, j).AddText(0, 0, e.sTimeCode, F.Value, TPDFAlign::Centre);
    }
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::DataFilterTable(double W) {
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{65, W - 65});
    t->SetPaddings({3, 3, 0, 0});
    LabelRow(*t, 0, T(kTxtDataFilterLabel), R.slDataFilter.join(QStringLiteral("; ")));
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::VerdictTable(double W) {
    // One row of three cells, a line each: the labels, the verdict with its target and loudness range,
    // and the reasons beside them, so that the box takes few lines and the first page keeps its rows.
    const TVerdictSummary& v = R.rVerdict;
    const QChar cLine(u'\r');
    auto t = std::make_unique<TPDFTable>(Doc, std::vector<double>{65, 175, W - 240});
    t->SetBorder(true);
    t->SetPaddings({3, 3, 1, 1});
    t->Cell(0, 0).SetBackground(R.rPDFOptions.clEvenLines);
    t->Cell(0, 0).AddText(
        0, 0, T(kTxtVerdictBoxTitle) + cLine + T(kTxtTargetLabel) + cLine + T(kTxtLoudnessRangeLabel),
        F.Label, TPDFAlign::Right);
    TPDFCell& Values = t->Cell(0, 1);
    Values.AddText(0, 0, v.sVerdict, F.Label, TPDFAlign::Left);
    Values.AddText(0, Doc.LineHeight(F.Label), v.sTarget + cLine + v.sLoudnessRange, F.Value,
                   TPDFAlign::Left);
    t->Cell(0, 2).AddText(0, 0, v.slReasons.join(cLine), F.Value, TPDFAlign::Left);
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::DataTable(int iFirstRow, int iRows) {
    const ITableSource& Src = *R.pTable;
    auto t = std::make_unique<TPDFTable>(Doc, aDataWidths);
    t->SetBorder(true);
    t->SetPaddings({3, 3, 3, 3});
    const int iCols = t->ColumnCount();
    TPDFFont Cell = F.Value;
    Cell.bBold = true;
    for (int c = 0; c < iCols; ++c) {
        TPDFCell& h = t->Cell(0, c);
        h.SetBackground(R.rPDFOptions.clEvenLines);
        h.AddText(0, 0, Src.HeaderText(c), F.Header, TPDFAlign::Centre);
    }
    for (int i = 1; i <= iRows; ++i) {
        const int iRow = iFirstRow + i - 1;
        const TColorValue clBack = i % 2 ? R.rPDFOptions.clOddLines : R.rPDFOptions.clEvenLines;
        for (int c = 0; c < iCols; ++c) {
            TPDFCell& d = t->Cell(i, c);
            d.SetBackground(clBack);
            const QString sText = Src.CellText(iRow, c);
            Cell.clColor = CellColor(aRules[size_t(c)], sText, R, Locale);
            d.AddText(0, 0, sText, Cell, TPDFAlign::Centre);
        }
    }
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::GapTable(int iFirstGap, int iGaps, double W) {
    constexpr int kHeadings[] = {kTxtGapTimecodeBefore, kTxtGapTimecodeAfter, kTxtGapDateTimeBefore,
                                 kTxtGapDateTimeAfter,  kTxtGapLength,        kTxtGapReason};
    std::vector<double> aWidths{70, 70, 80, 80, 55};
    aWidths.push_back(std::max(60.0, W - 355));
    auto t = std::make_unique<TPDFTable>(Doc, aWidths);
    t->SetBorder(true);
    t->SetPaddings({3, 3, 3, 3});
    for (int c = 0; c < int(std::size(kHeadings)); ++c) {
        TPDFCell& h = t->Cell(0, c);
        h.SetBackground(R.rPDFOptions.clEvenLines);
        h.AddText(0, 0, T(kHeadings[c]), F.Header, TPDFAlign::Centre);
    }
    for (int i = 1; i <= iGaps; ++i) {
        const QStringList slFields = GapFields(R.aGaps[iFirstGap + i - 1]);
        const TColorValue clBack = i % 2 ? R.rPDFOptions.clOddLines : R.rPDFOptions.clEvenLines;
        for (int c = 0; c < int(std::size(kHeadings)); ++c) {
            TPDFCell& d = t->Cell(i, c);
            d.SetBackground(clBack);
            // The reason is the one field of free length: a line, cut where it would leave its cell.
            const bool bReason = c == int(std::size(kHeadings)) - 1;
            const QString sText = bReason ? slFields.value(c).left(kGapReasonChars) : slFields.value(c);
            d.AddText(0, 0, sText, F.Value, bReason ? TPDFAlign::Left : TPDFAlign::Centre);
        }
    }
    return t;
}

std::unique_ptr<TPDFTable> TLevelReportBuilder::PageHeaderTable(int iPage, int iPages,
                                                                const QString& sSubHeadline) {
    const double fTableWidth = aDataWidths.empty() ? 0 : [&] {
        double f = 0;
        for (double w : aDataWidths)
            f += w;
        return f;
    }();
    auto t =
        std::make_unique<TPDFTable>(Doc, std::vector<double>{100, std::max(0.0, fTableWidth - 200), 100});
    TPDFFont Sub = F.Header;
    Sub.bItalic = true;
    t->Cell(0, 1).AddText(0, 0, sSubHeadline, Sub, TPDFAlign::Centre);
    t->Cell(0, 2).AddText(0, 0,
                          FormatText(T(kTxtPageOf), {QString::number(iPage + 1), QString::number(iPages)}),
                          F.Header, TPDFAlign::Right);
    return t;
}

bool TLevelReportBuilder::Build(const QString& sFileName, const TProgressPump& fnPump, QString* psError) {
    const ITableSource& Src = *R.pTable;
    const TSessionInfo& s = R.rSession;
    Doc.SetProperties(PDFPropertiesOf(s));
    const double W = Doc.SectionInnerWidth();

    const int iRows = Src.RowCount();
    const int iDataPages = LevelReportPageCount(iRows);
    const int iPages = iDataPages + GapPageCount(int(R.aGaps.size()));

    const QImage Logo = MakerLogoOrIcon(R.MakerLogo);
    const QImage LogoBitmap = MakerLogoBitmap(Logo);
    const QImage UserPicture = LoadUserPicture(R.rPDFOptions.sUserImage, Logo);

    const TSessionGridTexts Texts = SessionGridTexts(s, R.iLNG);
    auto Overview = OverviewTable(Texts, UserPicture);
    auto Statistics = StatisticsTable(W);
    // A filtered report says so between the overview and the statistics, which move down to make room.
    auto Filter = R.slDataFilter.isEmpty() ? nullptr : DataFilterTable(W);
    // So does the verdict, below the filter line.
    auto Verdict = R.rVerdict.Empty() ? nullptr : VerdictTable(W);
    const double yFilter = Overview->Height() + 20;
    const double yVerdict = yFilter + (Filter ? Filter->Height() + 5 : 0);
    const double fOverviewHeight =
        Overview->Height() + (Filter ? Filter->Height() + 5 : 0) + (Verdict ? Verdict->Height() + 5 : 0);
    const double fStatisticsHeight = Statistics->Height();
    const int S = int(R.aStatistics.empty() || R.aStatistics[0].sLabel.isEmpty() ? W : Statistics->Width());

    // Data columns: the first two 65 points, the rest shared, column 1 taking what the division leaves.
    const int C = Src.ColumnCount();
    for (int c = 0; c < C; ++c)
        aDataWidths.push_back(c < 2 ? 65.0 : double(C > 2 ? (S - 130) / (C - 2) : 0));
    if (C == 1)
        aDataWidths[0] = S;
    else if (C >= 2) {
        double fSum = 0;
        for (double w : aDataWidths)
            fSum += w;
        aDataWidths[1] += S - fSum;
    }
    for (int c = 0; c < C; ++c)
        aRules.push_back(ColumnRuleOf(Src.HeaderText(c), R));

    TPDFCell& First = Doc.Section(0);
    First.AddTable(0, 15, std::move(Overview));
    if (Filter)
        First.AddTable(0, yFilter, std::move(Filter));
    if (Verdict)
        First.AddTable(0, yVerdict, std::move(Verdict));
    First.AddTable(0, fOverviewHeight + 25, std::move(Statistics));

    Doc.SetPaddings({15, 0, 15, 0});
    Doc.Header().SetPaddings({15, 10, 15, 0});
    Doc.Header().AddText(0, 0, ReplacePlaceholders(R.rPDFOptions.sHeadline, s), F.Headline,
                         TPDFAlign::Centre);
    AddPDFFooter(Doc, F, LogoBitmap, 0);

    // Two steps a page while building, then the document's steps for the pages it writes.
    const qint64 iSteps = 2 * qint64(iPages) + 2 * qint64(iPages) + 1;
    const auto Pump = [&](qint64 iDone) { return PumpProgress(fnPump, iDone, iSteps); };
    // Further pages centre their 50 rows in the height the first page's content takes.
    double yFurther = 0;
    for (int p = 0; p < iDataPages; ++p) {
        if (!Pump(p))
            return false;
        const int iFirst = p == 0 ? 0 : kFirstPageRows + kPageRows * (p - 1);
        const int iCount = std::min(p == 0 ? kFirstPageRows : kPageRows, iRows - iFirst);
        auto Data = DataTable(iFirst, std::max(iCount, 0));
        if (p == 0) {
            const double fRowHeight = Data->RowHeight(1);
            First.AddTable(0, fOverviewHeight + fStatisticsHeight + 35, std::move(Data));
            yFurther = std::max(0, int((First.ContentHeight() - kPageRows * fRowHeight) / 2));
        } else {
            Doc.Section(p).AddTable(0, yFurther, std::move(Data));
        }
    }
    // The gaps follow the level table, under their title, the same distance down as the first page's
    // overview.
    for (int p = iDataPages; p < iPages; ++p) {
        if (!Pump(p))
            return false;
        const int iFirst = kGapPageRows * (p - iDataPages);
        TPDFCell& Page = Doc.Section(p);
        Page.AddText(0, 15, T(kTxtGapsTitle), F.Label, TPDFAlign::Left);
        Page.AddTable(0, 20 + Doc.LineHeight(F.Label),
                      GapTable(iFirst, std::min(kGapPageRows, int(R.aGaps.size()) - iFirst), W));
    }
    const QString sSubHeadline = SubHeadlineText(R.rPDFOptions, s, R.iLNG);
    for (int p = 0; p < iPages; ++p) {
        if (!Pump(iPages + p))
            return false;
        Doc.Section(p).AddTable(0, 0, PageHeaderTable(p, iPages, sSubHeadline));
    }
    const qint64 iBuilt = 2 * qint64(iPages);
    const TProgressPump fnGenerate = [&](qint64 iDone, qint64 iTotal) {
        return fnPump(iBuilt + iDone, iBuilt + iTotal);
    };
    return Doc.Generate(sFileName, psError, fnPump ? fnGenerate : TProgressPump());
}

} // namespace

TPDFFonts CreatePDFFonts() {
    const QString sArial = QStringLiteral("Arial");
    TPDFFonts f;
    f.Headline = {sArial, 12, true, false, clBlack};
    f.Header = {sArial, 5, true, false, clBlack};
    f.SubHeadline = {sArial, 5, true, true, clBlack};
    f.Label = {sArial, 6, true, false, clBlack};
    f.Value = {sArial, 6, false, false, clBlack};
    f.Footer = {sArial, 4, true, false, clBlack};
    f.Bullet = {QStringLiteral("Wingdings"), 4, false, false, clBlack};
    return f;
}

int GapPageCount(int iGaps) {
    return iGaps <= 0 ? 0 : (iGaps + kGapPageRows - 1) / kGapPageRows;
}

int LevelReportPageCount(int iDataRows) {
    if (iDataRows <= kFirstPageRows)
        return 1;
    return 1 + (iDataRows - kFirstPageRows + kPageRows - 1) / kPageRows;
}

QString ReplacePlaceholders(const QString& sTemplate, const TSessionInfo& s) {
    QString r = sTemplate;
    r.replace(QStringLiteral("%TITLE%"), s.sShowTitle);
    r.replace(QStringLiteral("%NUMBER%"), s.sShowNumber);
    r.replace(QStringLiteral("%NAME%"), s.sOperatorName);
    r.replace(QStringLiteral("%FORMAT%"), s.sFormat);
    r.replace(QStringLiteral("%TCSTART%"), s.sTimeCodeStart);
    r.replace(QStringLiteral("%TCEND%"), s.sTimeCodeEnd);
    return r;
}

QString PDFCreatorText() {
    return QStringLiteral("QX-Logging v.%1.%2.%3.%4.")
        .arg(QX_VERSION_MAJOR)
        .arg(QX_VERSION_MINOR)
        .arg(QX_VERSION_RELEASE)
        .arg(QX_VERSION_BUILD);
}

QString SubHeadlineText(const TPDFOptions& rOptions, const TSessionInfo& rSession, int iLNG) {
    if (!rOptions.sHeadline1.isEmpty())
        return ReplacePlaceholders(rOptions.sHeadline1, rSession);
    return FormatText(GetText(kTxtReportCreatedWith, iLNG), {PDFCreatorText()});
}

TPDFProperties PDFPropertiesOf(const TSessionInfo& s) {
    return {s.sOperatorName, s.sShowTitle, PDFCreatorText(),
            s.sShowTitle + QStringLiteral(" - ") + s.sShowNumber, s.sNotes};
}

QImage MakerLogoOrIcon(const QImage& Logo) {
    return Logo.isNull() ? QImage(QStringLiteral(":/icons/QXR_Icon_64.png")) : Logo;
}

void AddPDFFooter(TPDFDocument& Doc, const TPDFFonts& F, const QImage& LogoBitmap, double yLogo) {
    TPDFCell& Footer = Doc.Footer();
    Footer.SetPaddings({15, 10, 15, 10});
    const double fInner = Footer.InnerWidth();

    auto First = std::make_unique<TPDFTable>(Doc, std::vector<double>{52, 5, 42, 5, 37, 5, 21});
    const QString aFirst[] = {kMakerName, kBullet, kMakerStreet, kBullet, kMakerTown, kBullet, kMakerCountry};
    for (int c = 0; c < 7; ++c) {
        const bool bBullet = c % 2 == 1;
        if (bBullet)
            First->Cell(0, c).SetPaddings({0, 1, 0, 0});
        First->Cell(0, c).AddText(0, 0, aFirst[c], bBullet ? F.Bullet : F.Footer, TPDFAlign::Centre);
    }
    auto Second = std::make_unique<TPDFTable>(Doc, std::vector<double>{160, 7, 160});
    Second->Cell(0, 0).AddText(0, 0, kMakerWeb, F.Footer, TPDFAlign::Right, kMakerWebLink);
    Second->Cell(0, 1).SetPaddings({0, 1, 0, 0});
    Second->Cell(0, 1).AddText(0, 0, kBullet, F.Bullet, TPDFAlign::Centre);
    Second->Cell(0, 2).AddText(0, 0, kMakerMail, F.Footer, TPDFAlign::Left, kMakerMailLink);

    const double fFirstWidth = First->Width(), fFirstHeight = First->Height();
    const double xFirst = (fInner - fFirstWidth) / 2, xSecond = (fInner - Second->Width()) / 2;
    Footer.AddTable(xFirst, 0, std::move(First));
    Footer.AddTable(xSecond, fFirstHeight + 3, std::move(Second));
    // The logo closes the first line at its right end.
    Footer.AddPicture(xFirst + fFirstWidth, yLogo, LogoBitmap, 25);
}

QImage MakerLogoBitmap(const QImage& Logo) {
    QImage Bitmap(225, 145, QImage::Format_RGB32);
    Bitmap.fill(Qt::white);
    if (!Logo.isNull()) {
        QPainter p(&Bitmap);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize Size = Logo.size().scaled(179, 120, Qt::KeepAspectRatio);
        p.drawImage(QRect(QPoint(0, 0), Size), Logo);
    }
    return Bitmap;
}

QImage LoadUserPicture(const QString& sFileName, const QImage& Logo) {
    if (sFileName.isEmpty())
        return Logo;
    QImageReader Reader(sFileName);
    const QByteArray Format = Reader.format();
    if (Format != "bmp" && Format != "png" && Format != "jpeg" && Format != "jpg")
        return Logo;
    const QImage Picture = Reader.read();
    return Picture.isNull() ? Logo : Picture;
}

TColorValue LevelRuleColor(const TTableColorOptions& r, double fValue) {
    const TTableColorLevel* pRule = MatchingColorRule(r, fValue);
    return pRule ? pRule->clColor : clBlack;
}

TColorValue ReportCellColor(const QString& sHeader, const QString& sCell, const TLevelReport& rReport) {
    return CellColor(ColumnRuleOf(sHeader, rReport), sCell, rReport, QLocale());
}

bool CreateLevelReportPDF(const QString& sFileName, const TLevelReport& rReport, const TProgressPump& fnPump,
                          QString* psError) {
    if (!rReport.pTable) {
        if (psError)
            *psError = QStringLiteral("no level table");
        return false;
    }
    auto Builder = std::make_unique<TLevelReportBuilder>(rReport);
    const bool bWritten = Builder->Build(sFileName, fnPump, psError);
    if (!fnPump)
        return bWritten;
    // A week of rows is some twelve thousand pages, which take longer to free than the window may wait: a
    // worker frees them while this thread keeps the window painted. Nothing else holds the document.
    std::future<void> Freeing =
        std::async(std::launch::async, [pBuilder = std::move(Builder)]() mutable { pBuilder.reset(); });
    WaitPumping(Freeing, kFreePumpMs, [&] { fnPump(1, 1); });
    return bWritten;
}
