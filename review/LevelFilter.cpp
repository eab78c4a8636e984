#include "review/LevelFilter.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"

#include <QLocale>
#include <cmath>

namespace {

// A level condition of the dialog: its check box, the comparison it adds, its text, and how it is named.
struct TLevelCondition {
    bool bChecked;
    const char* sCondition;
    const QString& sText;
    int iColumn;
    bool bAbove;
    bool bPeak;
};

// In the dialog's order: peak, Loudness High, Loudness Low, Integrating, each Above then Below. The
// names are the level table's headers of the columns they narrow.
std::vector<TLevelCondition> LevelConditions(const TFilterOptions& o) {
    return {
        {o.bEnablePeakOver, " AND fInstantaneousPeak>=", o.sPeakOver, kTxtPeakLevelHeading, true, true},
        {o.bEnablePeakUnder, " AND fInstantaneousPeak<=", o.sPeakUnder, kTxtPeakLevelHeading, false, true},
        {o.bEnableHiOver, " AND fLoudnessHi>=", o.sHiOver, kTxtShortTermMaxHeading, true, false},
        {o.bEnableHiUnder, " AND fLoudnessHi<=", o.sHiUnder, kTxtShortTermMaxHeading, false, false},
        {o.bEnableLoOver, " AND fLoudnessLo>=", o.sLoOver, kTxtShortTermMinHeading, true, false},
        {o.bEnableLoUnder, " AND fLoudnessLo<=", o.sLoUnder, kTxtShortTermMinHeading, false, false},
        {o.bEnableIntOver, " AND fLoudnessInt>=", o.sIntOver, kTxtIntegratingHeading, true, false},
        {o.bEnableIntUnder, " AND fLoudnessInt<=", o.sIntUnder, kTxtIntegratingHeading, false, false},
    };
}

} // namespace

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

bool TimecodeRangeSpansMidnight(const TFilterOptions& o) {
    return o.bEnableTCStart && o.bEnableTCEnd && o.sTCStart > o.sTCEnd;
}

std::optional<TSQLFilter> BuildDataFilter(const TFilterOptions& o,
                                          const std::optional<TLevelRowRange>& rRowRange) {
    TSQLFilter r{QStringLiteral("SELECT * FROM qxr_loudness_levels WHERE sReportId=?1"), {}};
    const auto Placeholder = [&r](const QVariant& vValue) {
        r.aValues.append(vValue);
        return QStringLiteral("?") + QString::number(r.aValues.size() + 1);
    };
    const auto Add = [&](const char* sCondition, const QVariant& vValue) {
        r.sSQL += QLatin1String(sCondition) + Placeholder(vValue);
    };
    if (TimecodeRangeSpansMidnight(o)) {
        const QString sStart = Placeholder(o.sTCStart);
        r.sSQL += QStringLiteral(" AND (sTimeCode>=%1 OR sTimeCode<=%2)").arg(sStart, Placeholder(o.sTCEnd));
    } else {
        if (o.bEnableTCStart)
            Add(" AND sTimeCode>=", o.sTCStart);
        if (o.bEnableTCEnd)
            Add(" AND sTimeCode<=", o.sTCEnd);
    }
    for (const TLevelCondition& c : LevelConditions(o)) {
        if (!c.bChecked)
            continue;
        const std::optional<QString> sLevel = NormaliseLevelText(c.sText);
        if (!sLevel)
            return std::nullopt;
        Add(c.sCondition, QLocale::c().toDouble(*sLevel));
    }
    if (rRowRange) {
        Add(" AND nId>=", rRowRange->nFirstId);
        Add(" AND nId<=", rRowRange->nLastId);
    }
    // The rows as they were recorded: a day that ran through midnight keeps its evening before its morning.
    r.sSQL += QStringLiteral(" ORDER BY nId");
    return r;
}

QStringList DataFilterConditionTexts(const TFilterOptions& o, int iLNG, const QString& sUnit,
                                     const std::optional<TLevelRowRange>& rRowRange) {
    QStringList sl;
    if (rRowRange) {
        sl << FormatText(
            GetText(kTxtFilterChartedRows, iLNG),
            {rRowRange->sFirstTimecode, rRowRange->sLastTimecode, QString::number(rRowRange->iRows)});
    }
    if (o.bEnableTCStart && o.bEnableTCEnd) {
        const int iEntry =
            TimecodeRangeSpansMidnight(o) ? kTxtFilterTimecodeAcrossMidnight : kTxtFilterTimecodeRange;
        sl << FormatText(GetText(iEntry, iLNG), {o.sTCStart, o.sTCEnd});
    } else if (o.bEnableTCStart) {
        sl << FormatText(GetText(kTxtFilterTimecodeFrom, iLNG), {o.sTCStart});
    } else if (o.bEnableTCEnd) {
        sl << FormatText(GetText(kTxtFilterTimecodeUpTo, iLNG), {o.sTCEnd});
    }
    for (const TLevelCondition& c : LevelConditions(o)) {
        if (!c.bChecked)
            continue;
        const QString sLevel = NormaliseLevelText(c.sText).value_or(c.sText);
        const QString sUnitText = c.bPeak ? GetText(kTxtDBFSSuffix, iLNG) : QStringLiteral(" ") + sUnit;
        sl << FormatText(GetText(c.bAbove ? kTxtFilterAtOrAbove : kTxtFilterAtOrBelow, iLNG),
                         {GetText(c.iColumn, iLNG), sLevel + sUnitText});
    }
    return sl;
}
