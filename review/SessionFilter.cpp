#include "review/SessionFilter.h"

#include "store/dbSQLite.h"

#include <QDateTime>
#include <QTime>

namespace {

const char* const kSelectFiltered = "SELECT * FROM qxr_sessions WHERE (nId>0)";
const char* const kTimeFormat = "hh:mm:ss";

void AddTextPiece(TSQLFilter& r, const char* sColumn, const QString& sTyped) {
    if (sTyped.isEmpty())
        return;
    r.sSQL += QStringLiteral(" AND (%1 like ?)").arg(QLatin1String(sColumn));
    r.aValues.append(QStringLiteral("%") + sTyped + QStringLiteral("%"));
}

} // namespace

double FilterMomentJulian(const QDate& dtDate, bool bUseTime, const QString& sTime) {
    QTime tm(0, 0, 0);
    if (bUseTime) {
        const QTime tTyped = QTime::fromString(sTime, QLatin1String(kTimeFormat));
        if (tTyped.isValid())
            tm = tTyped;
    }
    // Bound as a number, so the user's decimal separator never reaches the statement, and at full
    // precision, so an end time equal to a session's stamp lists it.
    return JulianDateOf(QDateTime(dtDate, tm));
}

TSQLFilter BuildSessionFilter(const TSessionFilterInput& r) {
    TSQLFilter rFilter{QLatin1String(kSelectFiltered), {}};
    AddTextPiece(rFilter, "sTitle", r.sShowTitle);
    AddTextPiece(rFilter, "sNo", r.sShowNumber);
    AddTextPiece(rFilter, "sOperator", r.sOperatorName);
    AddTextPiece(rFilter, "sFormat", r.sFormat);
    AddTextPiece(rFilter, "sNotes", r.sNotes);
    if (r.bDateStart) {
        rFilter.sSQL += QStringLiteral(" AND (dtDateTime>=?)");
        rFilter.aValues.append(FilterMomentJulian(r.dtStart, r.bTimeStart, r.sTCStart));
    }
    if (r.bDateEnd) {
        rFilter.sSQL += QStringLiteral(" AND (dtDateTime<=?)");
        rFilter.aValues.append(FilterMomentJulian(r.dtEnd, r.bTimeEnd, r.sTCEnd));
    }
    return rFilter;
}
