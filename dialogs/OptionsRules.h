#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>

// What the options dialog decides without a window: how typed numbers and line widths are checked, the
// order in which OK checks and applies them, and the rules of the data list.

// ShowMessageBox(text, kind, buttons) → the button chosen.
using TShowMessageBox = std::function<int(const QString&, int, int)>;

// Checks a typed number: every "," becomes "." and the text must then be a finite decimal number with "."
// as its decimal separator. On success the number is stored in fTarget at once and sText becomes the text
// with points; otherwise sErrorText is shown (error, OK) and text and target stay as they were.
bool TestFloat(QString& sText, const QString& sErrorText, double& fTarget,
               const TShowMessageBox& ShowMessageBox);

// A line width as typed: an integer from 1 to 9, or nothing.
std::optional<int> ParseLineWidth(const QString& sText);

// The numbers the options dialog checks, in the order OK checks them.
enum TOptionsNumber : int {
    kNumAxisLeftMin,
    kNumAxisLeftMax,
    kNumAxisRightMin,
    kNumAxisRightMax,
    kNumCursor1Level,
    kNumCursor2Level,
    kNumTablePeakHigh,
    kNumTablePeakLow,
    kNumTableSTMaxHigh,
    kNumTableSTMaxLow,
    kNumTableSTMinHigh,
    kNumTableSTMinLow,
    kNumTableIntHigh,
    kNumTableIntLow,
    kOptionsNumberCount
};

// The line widths, in the order OK checks them.
enum TOptionsLineWidth : int {
    kWidthCursor1,
    kWidthCursor2,
    kWidthPeak,
    kWidthIntegrating,
    kWidthSTMax,
    kOptionsLineWidthCount
};

// The figures of the Custom target, in the order OK checks them.
enum TCustomFigure : int { kFigTargetLoudness, kFigTolerance, kFigMaxTruePeak, kCustomFigureCount };

// The options dialog's values as its controls hold them: the settings with every choice, colour, flag and
// text of the dialog (the default target and the Custom target's true-peak flag among them), and the
// numbers, line widths and Custom figures as typed.
struct TOptionsTyped {
    TSettings rSettings;
    std::array<QString, kOptionsNumberCount> aNumbers;
    std::array<QString, kOptionsLineWidthCount> aLineWidths;
    std::array<QString, kCustomFigureCount> aCustomFigures;
};

// The Custom figures as typed ("," or "." as the decimal separator), checked against their ranges. At the
// first that is not a number within its range its message (naming the range) is shown (error, OK) and the
// result is false; otherwise rCustom holds the three figures and the result is true.
bool CheckCustomFigures(const std::array<QString, kCustomFigureCount>& aTyped, TLoudnessStandard& rCustom,
                        int iLNG, const TShowMessageBox& ShowMessageBox);
// A Custom figure as its edit shows it: one decimal, more only when the figure has them, so that showing
// and storing again never changes it.
QString CustomFigureText(double fFigure, QStringView sDecimalPoint);

// The setting a number or a line width is stored in.
double& NumberSetting(TSettings& rSettings, TOptionsNumber eNumber);
int& LineWidthSetting(TSettings& rSettings, TOptionsLineWidth eWidth);

// OK of the options dialog: applies the auto ranges, checks each number into its setting, applies the
// visible series, checks each line width into its setting, checks the Custom target's figures (applying the
// default target and all the Custom figures only when every one checks), then applies everything else. At the
// first value that does not check its message is shown and the result is false; what was applied before it
// stays applied, so the user sees it again after Cancel. Numbers that checked keep their text with points
// in rTyped. Settings the dialog does not show (databases, instruments, windows) are never touched.
bool ApplyOptions(TOptionsTyped& rTyped, TSettings& rSettings, const TShowMessageBox& ShowMessageBox);

// The data list: the eleven flags of TDataOptions in their declaration order.
inline constexpr int kDataListItems = 11;
using TDataList = std::array<bool, kDataListItems>;

TDataList DataListOf(const TDataOptions& rOptions);
TDataOptions DataOptionsOf(const TDataList& aList);
// Item iItem has just been clicked and now holds aList[iItem]. A level and its minimum and maximum are
// not shown together: checking the level unchecks its minimum and maximum, checking either of those
// unchecks the level.
void DataListItemClicked(TDataList& aList, int iItem);
// The list of the data list's Default button: peak level, peak channel, peak count, short-term and
// integrating.
TDataList DefaultDataList();
