#include "review/LevelFilter.h"

#include <QLocale>
#include <cmath>

std::optional<QString> NormaliseLevelText(const QString& sText) {
    QString s = sText;
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool bOk = false;
    const double f = c.toDouble(s, &bOk);
    if (!bOk || !std::isfinite(f))
        return std::nullopt;
    return s;
}

std::optional<TSQLFilter> BuildDataFilter(const TFilterOptions& o) {
    TSQLFilter r{QStringLiteral("SELECT * FROM qxr_loudness_levels WHERE sReportId=?1"), {}};
    const auto Add = [&r](const char* sCondition, const QVariant& vValue) {
        r.sSQL += QLatin1String(sCondition) + QString::number(r.aValues.size() + 2);
        r.aValues.append(vValue);
    };
    if (o.bEnableTCStart)
        Add(" AND sTimeCode>=?", o.sTCStart);
    if (o.bEnableTCEnd)
        Add(" AND sTimeCode<=?", o.sTCEnd);
    struct TLevelCondition {
        bool bChecked;
        const char* sCondition;
        const QString& sText;
    };
    const TLevelCondition aLevels[] = {
        {o.bEnablePeakOver, " AND fInstantaneousPeak>=?", o.sPeakOver},
        {o.bEnablePeakUnder, " AND fInstantaneousPeak<=?", o.sPeakUnder},
        {o.bEnableIntOver, " AND fLoudnessInt>=?", o.sIntOver},
        {o.bEnableIntUnder, " AND fLoudnessInt<=?", o.sIntUnder},
        {o.bEnableHiOver, " AND fLoudnessHi>=?", o.sHiOver},
        {o.bEnableHiUnder, " AND fLoudnessHi<=?", o.sHiUnder},
        {o.bEnableLoOver, " AND fLoudnessLo>=?", o.sLoOver},
        {o.bEnableLoUnder, " AND fLoudnessLo<=?", o.sLoUnder},
    };
    for (const TLevelCondition& c : aLevels) {
        if (!c.bChecked)
            continue;
        const std::optional<QString> sLevel = NormaliseLevelText(c.sText);
        if (!sLevel)
            return std::nullopt;
        Add(c.sCondition, QLocale::c().toDouble(*sLevel));
    }
    return r;
}
