#include "review/TableColors.h"

#include "core/Drawing.h"
#include "core/TextTable.h"

namespace {

// Bold with a pale fill, a darker frame and the colour itself for the text.
TTableCellStyle Marked(TColorValue clColor, bool bBold) {
    return {Tint(clColor, 0.9), Tint(clColor, 0.5), clColor, bBold};
}

bool AnyRule(const TTableColorOptions& r) {
    return r.rMax.bEnabled || r.rDefault.bEnabled || r.rMin.bEnabled;
}

// The style of the rule of r that holds for fValue: the high and low limits in bold.
std::optional<TTableCellStyle> RuleStyle(const TTableColorOptions& r, double fValue) {
    const TTableColorLevel* pRule = MatchingColorRule(r, fValue);
    if (!pRule)
        return std::nullopt;
    return Marked(pRule->clColor, pRule != &r.rDefault);
}

} // namespace

const TTableColorLevel* MatchingColorRule(const TTableColorOptions& r, double fValue) {
    if (r.rMax.bEnabled && fValue >= r.rMax.fLevel)
        return &r.rMax;
    if (r.rMin.bEnabled && fValue <= r.rMin.fLevel)
        return &r.rMin;
    if (r.rDefault.bEnabled)
        return &r.rDefault;
    return nullptr;
}

const TTableColorOptions* LevelRulesOf(const QString& sHeader, int iLNG, const TTableColorRules& rRules) {
    if (sHeader == GetText(kTxtPeakLevelHeading, iLNG))
        return &rRules.rPeak;
    if (sHeader == GetText(kTxtShortTermHeading, iLNG) || sHeader == GetText(kTxtShortTermMaxHeading, iLNG))
        return &rRules.rShortTermMax;
    if (sHeader == GetText(kTxtShortTermMinHeading, iLNG))
        return &rRules.rShortTermMin;
    if (sHeader == GetText(kTxtIntegratingHeading, iLNG))
        return &rRules.rInt;
    return nullptr;
}

TColorValue Tint(TColorValue clColor, double fAlpha) {
    return CalcOpacity(clWhite, clColor, fAlpha);
}

TTableCellStyle LevelCellStyle(const QString& sHeader, const QString& sText, const TCellState& rState,
                               int iLNG, const TTableColorRules& rRules, const QLocale& Locale) {
    TTableCellStyle r;
    if (rState.bFixed)
        r = {Tint(clGray, 0.9), Tint(clGray, 0.5), clBlack, false};
    else if (rState.bSelected && rState.bFocused)
        r = {Tint(clNavy, 0.9), Tint(clNavy, 0.5), clBlack, false};
    else
        r = {clWhite, Tint(clSilver, 0.5), clBlack, false};
    if (!rState.bFixed && !sText.isEmpty() && sText != QLatin1String("0")) {
        if (sHeader == GetText(kTxtPeakChannelHeading, iLNG)) {
            // A peak occurred on that channel.
            r = Marked(clRed, true);
        } else if (const TTableColorOptions* pRules = LevelRulesOf(sHeader, iLNG, rRules);
                   pRules && AnyRule(*pRules)) {
            bool bOk = false;
            const double fValue = Locale.toDouble(sText, &bOk);
            if (bOk) {
                r = RuleStyle(*pRules, fValue)
                        .value_or(TTableCellStyle{clWhite, Tint(rState.bFocused ? clNavy : clGray, 0.5),
                                                  clBlack, false});
            }
        }
    }
    if (rState.bFocused)
        r.clPen = Tint(clNavy, 0.5);
    return r;
}

std::optional<TTableCellStyle> StatisticValueStyle(int iLabel, const QString& sValue, bool bSelectedFocused,
                                                   const TTableColorOptions& rIntRules,
                                                   const QLocale& Locale) {
    if (sValue.isEmpty() || sValue == QLatin1String("0"))
        return std::nullopt;
    if (iLabel == kTxtPeakCountLabel)
        return Marked(clRed, true);
    if (iLabel != kTxtIntegratingLabel || !AnyRule(rIntRules))
        return std::nullopt;
    // The value is the level, a blank and the unit.
    bool bOk = false;
    const double fValue = Locale.toDouble(sValue.section(QLatin1Char(' '), 0, 0), &bOk);
    if (!bOk)
        return std::nullopt;
    return RuleStyle(rIntRules, fValue)
        .value_or(TTableCellStyle{clWhite, Tint(bSelectedFocused ? clNavy : clGray, 0.5), clBlack, false});
}
