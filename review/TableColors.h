#pragma once

#include "core/ColorValue.h"
#include "core/Settings.h"

#include <QLocale>
#include <QString>
#include <optional>

// How the level table and the statistics grid paint a cell: the fill, the frame, the text colour and
// whether the text is bold. Colours are plain RGB values (0x00BBGGRR).
struct TTableCellStyle {
    TColorValue clBrush = clWhite;
    TColorValue clPen = clWhite;
    TColorValue clText = clBlack;
    bool bBold = false;

    bool operator==(const TTableCellStyle&) const = default;
};

// The four colour rule records of the level table, owned by the settings.
struct TTableColorRules {
    const TTableColorOptions& rPeak;
    const TTableColorOptions& rShortTermMax;
    const TTableColorOptions& rShortTermMin;
    const TTableColorOptions& rInt;
};

inline TTableColorRules TableColorRulesOf(const TSettings& rSettings) {
    return {rSettings.rTablePeakColorOptions, rSettings.rTableSTMaxColorOptions,
            rSettings.rTableSTMinColorOptions, rSettings.rTableIntColorOptions};
}

// The first of the high, low and default rules of r that holds for fValue; nothing when none does.
const TTableColorLevel* MatchingColorRule(const TTableColorOptions& r, double fValue);

// The rule record of a level column, found by its header text in the current language iLNG; nothing for
// the other columns.
const TTableColorOptions* LevelRulesOf(const QString& sHeader, int iLNG, const TTableColorRules& rRules);

// The tint of a colour: white laid over it with opacity fAlpha (0.9 a pale fill, 0.5 a frame).
TColorValue Tint(TColorValue clColor, double fAlpha);

// Where a level table cell is and how it is selected. Column 0 is the row number column.
struct TCellState {
    bool bFixed = false;
    bool bSelected = false;
    bool bFocused = false;
};

// The style of a level table cell. The rules are chosen by the column's header text in the current
// language iLNG, so a table with Danish headers colours the same columns. A level cell is read as a number
// in the given locale (the one that wrote it); a cell that does not read keeps the plain style.
TTableCellStyle LevelCellStyle(const QString& sHeader, const QString& sText, const TCellState& rState,
                               int iLNG, const TTableColorRules& rRules, const QLocale& Locale);

// The style of a value cell of the statistics grid when one of its own rules applies: the peak count in
// red when peaks occurred, the last integrated value by the integrating rules. Nothing when the grid's
// ordinary drawing applies.
std::optional<TTableCellStyle> StatisticValueStyle(int iLabel, const QString& sValue, bool bSelectedFocused,
                                                   const TTableColorOptions& rIntRules,
                                                   const QLocale& Locale);
