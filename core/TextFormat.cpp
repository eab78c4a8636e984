#include "core/TextFormat.h"

#include <QTextDocument>
#include <cmath>

QString FormatText(const QString& sTemplate, const QStringList& slArgs) {
    QString sOut;
    sOut.reserve(sTemplate.size());
    int iArg = 0;
    for (qsizetype i = 0; i < sTemplate.size(); ++i) {
        const QChar c = sTemplate.at(i);
        if (c == '%' && i + 1 < sTemplate.size() &&
            (sTemplate.at(i + 1) == 's' || sTemplate.at(i + 1) == 'd')) {
            if (iArg < slArgs.size())
                sOut += slArgs.at(iArg);
            ++iArg;
            ++i;
            continue;
        }
        sOut += c;
    }
    return sOut;
}

QString PlainToolTip(const QString& sText) {
    if (!Qt::mightBeRichText(sText))
        return sText;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + sText.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString LevelText(double fLevel, QStringView sDecimalPoint) {
    if (std::isnan(fLevel))
        return {};
    QString s = std::abs(fLevel) < kLevelFixedLimit ? QString::number(fLevel, 'f', 1)
                                                    : QString::number(fLevel, 'e', 1);
    if (sDecimalPoint != u".")
        s.replace(QLatin1Char('.'), sDecimalPoint.toString());
    return s;
}
