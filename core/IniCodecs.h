#pragma once

#include "core/ColorValue.h"

#include <QString>
#include <optional>

// Value codecs of the settings file. Pure functions over the texts as they stand in the file, so every rule
// can be checked with a string.

// An integer as the file holds it: decimal with an optional sign, or hexadecimal after "0x" or "$" (at
// most 32 bits, so "$FFFFFFFF" is -1). Nothing when the text is not such an integer or does not fit.
std::optional<qint32> ParseIniInteger(const QString& sText);

// Integer key: the default when the text does not parse.
int IniToInteger(const QString& sText, int iDefault);
QString IntegerToIni(int iValue);

// Boolean key: read by the integer rule, any non-zero value is true; written as "1" or "0".
bool IniToBool(const QString& sText, bool bDefault);
QString BoolToIni(bool bValue);

// Float key in the decimal notation of the default locale (QLocale()): general format with up to 15
// significant digits, no group separators. Empty, unparsable or non-finite text reads as the default.
double IniToFloat(const QString& sText, double fDefault);
QString FloatToIni(double fValue);

// Colour-name key: a named colour ("clSilver", any letter case) or an integer by the integer rule.
// Nothing when the text is neither: the caller treats that as an error in the file.
std::optional<TColorValue> IniToColor(const QString& sText);
// The colour's name when it has one, otherwise "$" and eight upper-case hexadecimal digits.
QString ColorToIni(TColorValue clValue);

// Colour-number key: the 32-bit value as a signed decimal integer; read back as an integer (signed or
// unsigned 32-bit), the default when it does not parse.
TColorValue IniToColorNumber(const QString& sText, TColorValue clDefault);
QString ColorNumberToIni(TColorValue clValue);
