#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Fills the "%s" and "%d" placeholders of a text table entry, in order, with the given values. A missing
// value leaves its placeholder empty, so a text never shows a raw placeholder.
QString FormatText(const QString& sTemplate, const QStringList& slArgs);

// A tooltip that shows sText as it is: text the user or a stored file supplied is never read as markup.
QString PlainToolTip(const QString& sText);

// Levels below this size show in fixed point. A meter's levels lie within about -999 to +30 dB; anything
// beyond is no level a meter measured (a damaged row, a hand-edited file) and must not fill a cell with
// hundreds of digits.
inline constexpr double kLevelFixedLimit = 999.95;

// A level as the grids show it: fixed point with one decimal, the given decimal separator and no thousands
// separator; beyond kLevelFixedLimit in exponent form with one decimal ("-1.2e+04", "1.0e+308"), an
// infinity as "inf" or "-inf"; empty when not a number. Never longer than nine characters.
QString LevelText(double fLevel, QStringView sDecimalPoint);
