#include "app/StationTitle.h"

#include "dialogs/SessionTexts.h"

#include <QRegularExpression>
#include <QSysInfo>

QString StationName(const TStationOptions& rStation) {
    const QString sName = rStation.sStation.trimmed();
    return sName.isEmpty() ? QSysInfo::machineHostName() : sName;
}

namespace {

// One pass over the template, so that a station name holding a placeholder is taken as it is.
QString Filled(const QString& sTemplate, const QString& sStation, const QDateTime& dtNow) {
    static const QRegularExpression rxPlaceholder(QStringLiteral("%(station|date|time)%"),
                                                  QRegularExpression::CaseInsensitiveOption);
    QString sOut;
    qsizetype iFrom = 0;
    for (QRegularExpressionMatchIterator It = rxPlaceholder.globalMatch(sTemplate); It.hasNext();) {
        const QRegularExpressionMatch m = It.next();
        sOut += sTemplate.mid(iFrom, m.capturedStart() - iFrom);
        const QString sName = m.captured(1).toLower();
        if (sName == QLatin1String("station"))
            sOut += sStation;
        else if (sName == QLatin1String("date"))
            sOut += dtNow.toString(QStringLiteral("yyyy-MM-dd"));
        else
            sOut += dtNow.toString(QStringLiteral("HH:mm"));
        iFrom = m.capturedEnd();
    }
    return sOut + sTemplate.mid(iFrom);
}

} // namespace

QString ExpandStationTitle(const QString& sTemplate, const QString& sStation, const QDateTime& dtNow) {
    QString sTitle = Filled(sTemplate, sStation, dtNow);
    VerifyStringField(sTitle);
    sTitle = sTitle.trimmed();
    if (sTitle.isEmpty()) {
        sTitle = sStation + QLatin1Char(' ') + dtNow.toString(QStringLiteral("yyyy-MM-dd"));
        VerifyStringField(sTitle);
        sTitle = sTitle.trimmed();
    }
    TSessionTexts rTexts;
    rTexts.sShowTitle = sTitle;
    LimitSessionTexts(rTexts);
    return rTexts.sShowTitle;
}

void SetStationSessionTexts(TSessionInfo& rSession, const TStationOptions& rStation, const QDateTime& dtNow) {
    TSessionTexts rTexts;
    rTexts.sShowTitle = ExpandStationTitle(rStation.sTitleTemplate, StationName(rStation), dtNow);
    rTexts.sShowNumber = rStation.sShowNumber;
    rTexts.sOperatorName = rStation.sOperatorName;
    rTexts.sFormat = rStation.sFormat;
    rTexts.sNotes = rStation.sNotes;
    VerifySessionTexts(rTexts);
    LimitSessionTexts(rTexts);
    SetSessionTexts(rSession, rTexts);
}
