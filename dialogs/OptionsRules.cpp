#include "dialogs/OptionsRules.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"

#include <QLocale>
#include <cmath>

namespace {

inline constexpr int kMinLineWidth = 1;
inline constexpr int kMaxLineWidth = 9;

// The message of a value that does not check: a text table entry and the name it is filled with.
struct TCheckMessage {
    int iEntry;
    const char* sArg;
};

// Indexed by TOptionsNumber.
constexpr TCheckMessage kNumberMessages[kOptionsNumberCount] = {
    {kTxtLeftAxisMinInvalid, ""},
    {kTxtLeftAxisMaxInvalid, ""},
    {kTxtRightAxisMinInvalid, ""},
    {kTxtRightAxisMaxInvalid, ""},
    {kTxtCursorLevelInvalid, "1"},
    {kTxtCursorLevelInvalid, "2"},
    {kTxtTableColorMaxInvalid, "Table Peak Colour"},
    {kTxtTableColorMinInvalid, "Table Peak Colour"},
    {kTxtTableColorMaxInvalid, "Shortterm Maximum Colour"},
    {kTxtTableColorMinInvalid, "Shortterm Maximum Colour"},
    {kTxtTableColorMaxInvalid, "Shortterm Minimum Colour"},
    {kTxtTableColorMinInvalid, "Shortterm Minimum Colour"},
    {kTxtTableColorMaxInvalid, "Integrating Colour"},
    {kTxtTableColorMinInvalid, "Integrating Colour"},
};

// Indexed by TOptionsLineWidth.
constexpr TCheckMessage kLineWidthMessages[kOptionsLineWidthCount] = {
    {kTxtCursorLineWidthInvalid, "1"},         {kTxtCursorLineWidthInvalid, "2"},
    {kTxtGraphLineWidthInvalid, "Peak Level"}, {kTxtGraphLineWidthInvalid, "Integrating"},
    {kTxtGraphLineWidthInvalid, "Shortterm"},
};

QString MessageText(const TCheckMessage& r, int iLNG) {
    return FormatText(GetText(r.iEntry, iLNG), {QString::fromLatin1(r.sArg)});
}

// The rule's flag and colour; its level is a checked number.
void ApplyColorRule(const TTableColorOptions& rFrom, TTableColorOptions& rTo) {
    for (auto pRule : {&TTableColorOptions::rMax, &TTableColorOptions::rDefault, &TTableColorOptions::rMin}) {
        (rTo.*pRule).bEnabled = (rFrom.*pRule).bEnabled;
        (rTo.*pRule).clColor = (rFrom.*pRule).clColor;
    }
}

// Everything OK applies once every number and line width has checked.
void ApplyTheRest(const TSettings& rFrom, TSettings& rTo) {
    const TChartOptions& c = rFrom.rChartOptions;
    TChartOptions& rChart = rTo.rChartOptions;
    rChart.clPeakColor = c.clPeakColor;
    rChart.clIntColor = c.clIntColor;
    rChart.clSTMaxColor = c.clSTMaxColor;
    rChart.bCursor1Enable = c.bCursor1Enable;
    rChart.bCursor1Visible = c.bCursor1Visible;
    rChart.bCursor2Enable = c.bCursor2Enable;
    rChart.bCursor2Visible = c.bCursor2Visible;
    rChart.clCursor1Color = c.clCursor1Color;
    rChart.clCursor2Color = c.clCursor2Color;
    rChart.sCursor1Name = c.sCursor1Name;
    rChart.sCursor2Name = c.sCursor2Name;
    rChart.bCursor1PeakAxis = c.bCursor1PeakAxis;
    rChart.bCursor2PeakAxis = c.bCursor2PeakAxis;

    const TPDFOptions& p = rFrom.rPDFOptions;
    TPDFOptions& rPDF = rTo.rPDFOptions;
    rPDF.sHeadline = p.sHeadline;
    rPDF.sHeadline1 = p.sHeadline1;
    rPDF.sUserImage = p.sUserImage;
    rPDF.slUserText = p.slUserText;
    rPDF.clEvenLines = p.clEvenLines;
    rPDF.clOddLines = p.clOddLines;
    rPDF.FontNormal = p.FontNormal;
    rPDF.bChartSessionInfo = p.bChartSessionInfo;

    rTo.rCSVOptions = rFrom.rCSVOptions;
    ApplyColorRule(rFrom.rTablePeakColorOptions, rTo.rTablePeakColorOptions);
    ApplyColorRule(rFrom.rTableSTMaxColorOptions, rTo.rTableSTMaxColorOptions);
    ApplyColorRule(rFrom.rTableSTMinColorOptions, rTo.rTableSTMinColorOptions);
    ApplyColorRule(rFrom.rTableIntColorOptions, rTo.rTableIntColorOptions);
    rTo.iLNG = rFrom.iLNG;
    rTo.bAskForSessionInfo = rFrom.bAskForSessionInfo;
    rTo.bAllowSessionInfoEdit = rFrom.bAllowSessionInfoEdit;
    rTo.rReconnect.bEnabled = rFrom.rReconnect.bEnabled;
    rTo.TCCtrl.OptionEnabled = rFrom.TCCtrl.OptionEnabled;
    rTo.TCCtrl.SyncRTC = rFrom.TCCtrl.SyncRTC;
    rTo.iTimesource = rFrom.iTimesource;
    rTo.DataOptions = rFrom.DataOptions;
}

// The minimum and maximum items that go with a level item of the data list, by their indexes.
struct TDataListGroup {
    int iLevel;
    int iMin;
    int iMax;
};
constexpr TDataListGroup kDataListGroups[] = {{0, 1, 2}, {5, 6, 7}, {8, 9, 10}};

} // namespace

bool TestFloat(QString& sText, const QString& sErrorText, double& fTarget,
               const TShowMessageBox& ShowMessageBox) {
    QString sPoints = sText;
    sPoints.replace(QLatin1Char(','), QLatin1Char('.'));
    bool bOk = false;
    const double f = QLocale::c().toDouble(sPoints, &bOk);
    if (!bOk || !std::isfinite(f)) {
        ShowMessageBox(sErrorText, kMsgError, kMsgBtnOK);
        return false;
    }
    sText = sPoints;
    fTarget = f;
    return true;
}

std::optional<int> ParseLineWidth(const QString& sText) {
    bool bOk = false;
    const int i = sText.trimmed().toInt(&bOk);
    if (!bOk || i < kMinLineWidth || i > kMaxLineWidth)
        return std::nullopt;
    return i;
}

double& NumberSetting(TSettings& r, TOptionsNumber eNumber) {
    TChartOptions& c = r.rChartOptions;
    switch (eNumber) {
    case kNumAxisLeftMin:
        return c.fLeftAxisMin;
    case kNumAxisLeftMax:
        return c.fLeftAxisMax;
    case kNumAxisRightMin:
        return c.fRightAxisMin;
    case kNumAxisRightMax:
        return c.fRightAxisMax;
    case kNumCursor1Level:
        return c.fCursor1;
    case kNumCursor2Level:
        return c.fCursor2;
    case kNumTablePeakHigh:
        return r.rTablePeakColorOptions.rMax.fLevel;
    case kNumTablePeakLow:
        return r.rTablePeakColorOptions.rMin.fLevel;
    case kNumTableSTMaxHigh:
        return r.rTableSTMaxColorOptions.rMax.fLevel;
    case kNumTableSTMaxLow:
        return r.rTableSTMaxColorOptions.rMin.fLevel;
    case kNumTableSTMinHigh:
        return r.rTableSTMinColorOptions.rMax.fLevel;
    case kNumTableSTMinLow:
        return r.rTableSTMinColorOptions.rMin.fLevel;
    case kNumTableIntHigh:
        return r.rTableIntColorOptions.rMax.fLevel;
    case kNumTableIntLow:
    case kOptionsNumberCount:
        break;
    }
    return r.rTableIntColorOptions.rMin.fLevel;
}

int& LineWidthSetting(TSettings& r, TOptionsLineWidth eWidth) {
    TChartOptions& c = r.rChartOptions;
    switch (eWidth) {
    case kWidthCursor1:
        return c.iCursor1LineWidth;
    case kWidthCursor2:
        return c.iCursor2LineWidth;
    case kWidthPeak:
        return c.iPeakLineWidth;
    case kWidthIntegrating:
        return c.iIntLineWidth;
    case kWidthSTMax:
    case kOptionsLineWidthCount:
        break;
    }
    return c.iSTMaxLineWidth;
}

bool ApplyOptions(TOptionsTyped& rTyped, TSettings& rSettings, const TShowMessageBox& ShowMessageBox) {
    const TChartOptions& rTypedChart = rTyped.rSettings.rChartOptions;
    TChartOptions& rChart = rSettings.rChartOptions;
    rChart.bLeftAxisAutoScale = rTypedChart.bLeftAxisAutoScale;
    rChart.bRightAxisAutoScale = rTypedChart.bRightAxisAutoScale;

    // Messages in the language the window speaks now; a new language applies only once all is checked.
    const int iLNG = rSettings.iLNG;
    for (int i = 0; i < kOptionsNumberCount; ++i) {
        const auto eNumber = static_cast<TOptionsNumber>(i);
        if (!TestFloat(rTyped.aNumbers[size_t(i)], MessageText(kNumberMessages[i], iLNG),
                       NumberSetting(rSettings, eNumber), ShowMessageBox))
            return false;
    }

    rChart.bPeakEnabled = rTypedChart.bPeakEnabled;
    rChart.bIntEnabled = rTypedChart.bIntEnabled;
    rChart.bSTMaxEnabled = rTypedChart.bSTMaxEnabled;

    for (int i = 0; i < kOptionsLineWidthCount; ++i) {
        const std::optional<int> iWidth = ParseLineWidth(rTyped.aLineWidths[size_t(i)]);
        if (!iWidth) {
            ShowMessageBox(MessageText(kLineWidthMessages[i], iLNG), kMsgError, kMsgBtnOK);
            return false;
        }
        LineWidthSetting(rSettings, static_cast<TOptionsLineWidth>(i)) = *iWidth;
    }

    TComplianceOptions rCompliance = rTyped.rSettings.rComplianceOptions;
    if (!CheckCustomFigures(rTyped.aCustomFigures, rCompliance.rCustom, iLNG, ShowMessageBox))
        return false;
    rCompliance.rCustom.eId = TStandardId::Custom;
    rSettings.rComplianceOptions = rCompliance;

    ApplyTheRest(rTyped.rSettings, rSettings);
    return true;
}

bool CheckCustomFigures(const std::array<QString, kCustomFigureCount>& aTyped, TLoudnessStandard& rCustom,
                        int iLNG, const TShowMessageBox& ShowMessageBox) {
    struct TFigureRule {
        double TLoudnessStandard::*pFigure;
        double fMin;
        double fMax;
        int iMessage;
    };
    // Indexed by TCustomFigure.
    constexpr TFigureRule kRules[kCustomFigureCount] = {
        {&TLoudnessStandard::fTargetLoudness, kMinTargetLoudness, kMaxTargetLoudness,
         kTxtTargetLoudnessInvalid},
        {&TLoudnessStandard::fTolerance, kMinTolerance, kMaxTolerance, kTxtTargetToleranceInvalid},
        {&TLoudnessStandard::fMaxTruePeak, kMinTruePeak, kMaxTruePeak, kTxtTargetTruePeakInvalid},
    };
    TLoudnessStandard rChecked = rCustom;
    const QString sDecimalPoint = QLocale().decimalPoint();
    for (int i = 0; i < kCustomFigureCount; ++i) {
        const TFigureRule& rRule = kRules[i];
        QString sPoints = aTyped[size_t(i)].trimmed();
        sPoints.replace(QLatin1Char(','), QLatin1Char('.'));
        bool bOk = false;
        const double f = QLocale::c().toDouble(sPoints, &bOk);
        // NaN fails both comparisons and is refused with the rest.
        if (!bOk || !(f >= rRule.fMin && f <= rRule.fMax)) {
            ShowMessageBox(
                FormatText(GetText(rRule.iMessage, iLNG), {CustomFigureText(rRule.fMin, sDecimalPoint),
                                                           CustomFigureText(rRule.fMax, sDecimalPoint)}),
                kMsgError, kMsgBtnOK);
            return false;
        }
        rChecked.*rRule.pFigure = f;
    }
    rCustom = rChecked;
    return true;
}

QString CustomFigureText(double fFigure, QStringView sDecimalPoint) {
    QString sText = QString::number(fFigure, 'f', 1);
    if (sText.toDouble() != fFigure)
        sText = QString::number(fFigure, 'g', QLocale::FloatingPointShortest);
    // "-0.0" would read as a figure below zero.
    if (sText.startsWith(QLatin1Char('-')) && sText.toDouble() == 0.0)
        sText.remove(0, 1);
    sText.replace(QLatin1Char('.'), sDecimalPoint.toString());
    return sText;
}

TDataList DataListOf(const TDataOptions& r) {
    return {r.bEnablePeakLevel,   r.bEnablePeakLevelMin,   r.bEnablePeakLevelMax,  r.bEnablePeakChannel,
            r.bEnablePeakCount,   r.bEnableShortTerm,      r.bEnableShortTermMin,  r.bEnableShortTermMax,
            r.bEnableIntegrating, r.bEnableIntegratingMin, r.bEnableIntegratingMax};
}

TDataOptions DataOptionsOf(const TDataList& a) {
    return {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10]};
}

void DataListItemClicked(TDataList& aList, int iItem) {
    if (iItem < 0 || iItem >= kDataListItems || !aList[size_t(iItem)])
        return;
    for (const TDataListGroup& g : kDataListGroups) {
        if (iItem == g.iLevel) {
            aList[size_t(g.iMin)] = false;
            aList[size_t(g.iMax)] = false;
        } else if (iItem == g.iMin || iItem == g.iMax) {
            aList[size_t(g.iLevel)] = false;
        }
    }
}

TDataList DefaultDataList() {
    return DataListOf(TDataOptions{});
}
