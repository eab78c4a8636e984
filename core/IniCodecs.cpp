#include "core/IniCodecs.h"

#include <QLocale>
#include <array>
#include <cmath>
#include <limits>

namespace {

struct TNamedColor {
    const char* sName;
    TColorValue clValue;
};

// Every colour that is written by name; system colours under their conventional names.
constexpr std::array<TNamedColor, 52> kNamedColors = {{
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clMoneyGreen", clMoneyGreen},
    {"clSkyBlue", clSkyBlue},
    {"clCream", clCream},
    {"clMedGray", clMedGray},
    {"clActiveBorder", clSystemColor + 10},
    {"clActiveCaption", clSystemColor + 2},
    {"clAppWorkSpace", clSystemColor + 12},
    {"clBackground", clSystemColor + 1},
    {"clBtnFace", clSystemColor + 15},
    {"clBtnHighlight", clSystemColor + 20},
    {"clBtnShadow", clSystemColor + 16},
    {"clBtnText", clSystemColor + 18},
    {"clCaptionText", clSystemColor + 9},
    {"clDefault", clDefault},
    {"clGradientActiveCaption", clSystemColor + 27},
    {"clGradientInactiveCaption", clSystemColor + 28},
    {"clGrayText", clSystemColor + 17},
    {"clHighlight", clSystemColor + 13},
    {"clHighlightText", clSystemColor + 14},
    {"clHotLight", clSystemColor + 26},
    {"clInactiveBorder", clSystemColor + 11},
    {"clInactiveCaption", clSystemColor + 3},
    {"clInactiveCaptionText", clSystemColor + 19},
    {"clInfoBk", clSystemColor + 24},
    {"clInfoText", clSystemColor + 23},
    {"clMenu", clSystemColor + 4},
    {"clMenuBar", clSystemColor + 30},
    {"clMenuHighlight", clSystemColor + 29},
    {"clMenuText", clSystemColor + 7},
    {"clNone", clNone},
    {"clScrollBar", clSystemColor + 0},
    {"cl3DDkShadow", clSystemColor + 21},
    {"cl3DLight", clSystemColor + 22},
    {"clWindow", clSystemColor + 5},
    {"clWindowFrame", clSystemColor + 6},
    {"clWindowText", clSystemColor + 8},
}};

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The locale of the user's regional settings, without group separators in either direction.
QLocale FloatLocale() {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return loc;
}

// Magnitude of an integer text without its sign, at most 64 bits; nothing on any stray character.
std::optional<quint64> ParseMagnitude(QStringView sDigits, bool bHex) {
    if (sDigits.isEmpty())
        return std::nullopt;
    const quint64 nLimit = bHex ? 0xFFFFFFFFull : 0x80000000ull;
    quint64 nValue = 0;
    for (QChar c : sDigits) {
        const int iDigit = bHex ? HexDigit(c) : (c >= u'0' && c <= u'9' ? c.unicode() - '0' : -1);
        if (iDigit < 0)
            return std::nullopt;
        nValue = nValue * (bHex ? 16 : 10) + static_cast<quint64>(iDigit);
        if (nValue > nLimit)
            return std::nullopt;
    }
    return nValue;
}

} // namespace

std::optional<qint32> ParseIniInteger(const QString& sText) {
    QStringView s = QStringView(sText).trimmed();
    bool bNegative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        bNegative = s.front() == u'-';
        s = s.mid(1);
    }
    bool bHex = false;
    if (s.startsWith(u'$')) {
        bHex = true;
        s = s.mid(1);
    } else if (s.startsWith(u"0x", Qt::CaseInsensitive)) {
        bHex = true;
        s = s.mid(2);
    }
    const std::optional<quint64> nMagnitude = ParseMagnitude(s, bHex);
    if (!nMagnitude)
        return std::nullopt;
    if (bHex) {
        // Hexadecimal is a 32-bit pattern; a sign negates the pattern's value.
        const quint32 nPattern = static_cast<quint32>(*nMagnitude);
        return static_cast<qint32>(bNegative ? 0u - nPattern : nPattern);
    }
    if (!bNegative && *nMagnitude > static_cast<quint64>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    const qint64 nValue = bNegative ? -static_cast<qint64>(*nMagnitude) : static_cast<qint64>(*nMagnitude);
    return static_cast<qint32>(nValue);
}

int IniToInteger(const QString& sText, int iDefault) {
    return ParseIniInteger(sText).value_or(iDefault);
}

QString IntegerToIni(int iValue) {
    return QString::number(iValue);
}

bool IniToBool(const QString& sText, bool bDefault) {
    return ParseIniInteger(sText).value_or(bDefault ? 1 : 0) != 0;
}

QString BoolToIni(bool bValue) {
    return bValue ? QStringLiteral("1") : QStringLiteral("0");
}

double IniToFloat(const QString& sText, double fDefault) {
    bool bOk = false;
    const double fValue = FloatLocale().toDouble(sText.trimmed(), &bOk);
    // An infinite or undefined axis level would break every chart and table rule that uses it.
    if (!bOk || !std::isfinite(fValue))
        return fDefault;
    return fValue;
}

QString FloatToIni(double fValue) {
    return FloatLocale().toString(fValue, 'g', 15);
}

std::optional<TColorValue> IniToColor(const QString& sText) {
    const QString sName = sText.trimmed();
    for (const TNamedColor& rColor : kNamedColors) {
        if (sName.compare(QLatin1String(rColor.sName), Qt::CaseInsensitive) == 0)
            return rColor.clValue;
    }
    if (const std::optional<qint32> iValue = ParseIniInteger(sName))
        return static_cast<TColorValue>(*iValue);
    return std::nullopt;
}

QString ColorToIni(TColorValue clValue) {
    for (const TNamedColor& rColor : kNamedColors) {
        if (rColor.clValue == clValue)
            return QLatin1String(rColor.sName);
    }
    return QStringLiteral("$%1").arg(clValue, 8, 16, QLatin1Char('0')).toUpper();
}

TColorValue IniToColorNumber(const QString& sText, TColorValue clDefault) {
    if (const std::optional<qint32> iValue = ParseIniInteger(sText))
        return static_cast<TColorValue>(*iValue);
    // Also take the unsigned spelling of a value with the top bit set.
    bool bOk = false;
    const quint32 nValue = sText.trimmed().toUInt(&bOk, 10);
    return bOk ? nValue : clDefault;
}

QString ColorNumberToIni(TColorValue clValue) {
    return QString::number(static_cast<qint32>(clValue));
}
