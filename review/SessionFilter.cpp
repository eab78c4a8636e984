#include "review/SessionFilter.h"

#include "store/dbSQLite.h"

#include <QDateTime>
#include <QTime>

namespace {

const char* const kSelectFiltered = "SELECT * FROM %1 WHERE (nId>0)";
const char* const kTimeFormat = "hh:mm:ss";

void AddTextPiece(TSQLFilter& r, const char* sColumn, const QString& sTyped) {
    if (sTyped.isEmpty())
        return;
    // Both sides folded, so that case counts for no letter (LIKE alone folds only A to Z); "%" and "_"
    // fold to themselves and keep their meaning.
    r.sSQL += QStringLiteral(" AND (%1(%2) like %1(?))")
                  .arg(QLatin1String(kFoldCaseFunction), QLatin1String(sColumn));
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
    TSQLFilter rFilter{QString::fromLatin1(kSelectFiltered).arg(QLatin1String(kSessionListView)), {}};
    AddTextPiece(rFilter, "sTitle", r.sShowTitle);
    AddTextPiece(rFilter, "sNo", r.sShowNumber);
    AddTextPiece(rFilter, "sOperator", r.sOperatorName);
    AddTextPiece(rFilter, "sFormat", r.sFormat);
    AddTextPiece(rFilter, "sNotes", r.sNotes);
    if (r.bDateStart) {
        rFilter.sSQL += QStringLiteral(" AND (dtRecordingStart>=?)");
        rFilter.aValues.append(FilterMomentJulian(r.dtStart, r.bTimeStart, r.sTCStart));
    }
    if (r.bDateEnd) {
        rFilter.sSQL += QStringLiteral(" AND (dtRecordingStart<=?)");
        rFilter.aValues.append(FilterMomentJulian(r.dtEnd, r.bTimeEnd, r.sTCEnd));
    }
    return rFilter;
}

TSessionListFilter BuildSessionListFilter(const TSessionFilterInput& rInput) {
    return {BuildSessionFilter(rInput), rInput.oVerdict};
}
