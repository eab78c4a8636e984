#include "review/LevelRowLookup.h"

#include "core/Settings.h"
#include "review/LevelFilter.h"
#include "store/dbSQLite.h"

#include <limits>
#include <memory>

namespace {

// The statement that reads the list's rows, as a sub-query, with the number of the next free placeholder:
// the session is ?1 and the filter's values follow.
struct TRowsQuery {
    QString sRows;
    QVariantList aValues;
    QString NextPlaceholder() const { return QStringLiteral("?") + QString::number(aValues.size() + 2); }
};

TRowsQuery RowsQuery(const TSQLFilter& rFilter) {
    // Every row of the session: the statement of a filter without conditions.
    const TSQLFilter rRows =
        rFilter.IsEmpty() ? BuildDataFilter(TFilterOptions()).value_or(TSQLFilter()) : rFilter;
    QString sRows = rRows.sSQL.trimmed();
    while (sRows.endsWith(QLatin1Char(';')))
        sRows.chop(1);
    return {QStringLiteral("(") + sRows + QStringLiteral(")"), rRows.aValues};
}

} // namespace

std::optional<TStoredLevelRow> StoredRowAt(TdbSQLite& rDB, const QString& sSessionId,
                                           const TSQLFilter& rFilter, int iPosition) {
    if (iPosition < 0)
        return std::nullopt;
    const TRowsQuery q = RowsQuery(rFilter);
    const TSQLFilter rQuery(QStringLiteral("SELECT nId, sTimeCode FROM ") + q.sRows +
                                QStringLiteral(" ORDER BY nId LIMIT 1 OFFSET ") + q.NextPlaceholder(),
                            q.aValues + QVariantList{iPosition});
    std::unique_ptr<TDBResult> Result;
    if (!rDB.RetreiveSessionData(sSessionId, rQuery, Result) || !Result || Result->Eof())
        return std::nullopt;
    return TStoredLevelRow{Result->AsInteger(0), Result->AsString(1)};
}

std::optional<int> PositionOfStoredRow(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter,
                                       qint64 nId) {
    const TRowsQuery q = RowsQuery(rFilter);
    const QString sId = q.NextPlaceholder();
    const TSQLFilter rQuery(QStringLiteral("SELECT (SELECT count(*) FROM %1 WHERE nId<%2), "
                                           "EXISTS (SELECT 1 FROM %1 WHERE nId=%2)")
                                .arg(q.sRows, sId),
                            q.aValues + QVariantList{nId});
    std::unique_ptr<TDBResult> Result;
    if (!rDB.RetreiveSessionData(sSessionId, rQuery, Result) || !Result || Result->Eof() ||
        Result->AsInteger(1) == 0)
        return std::nullopt;
    const qint64 iPosition = Result->AsInteger(0);
    if (iPosition > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(iPosition);
}
