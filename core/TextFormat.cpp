#include "core/TextFormat.h"

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
