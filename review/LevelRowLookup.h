#pragma once

#include "store/SQLFilter.h"

#include <QString>
#include <QtGlobal>
#include <optional>

class TdbSQLite;

// A stored level row as the session database numbers it, with its timecode.
struct TStoredLevelRow {
    qint64 nId = 0;
    QString sTimecode;
};

// Finds the stored rows behind the positions of a loaded or charted list of a session's level rows, and
// back. rFilter is the statement the list was read with (empty: every row of the session), its placeholders
// numbered with the session as ?1, as BuildDataFilter writes them; such lists are
// read in recorded order (by nId), so a position names one stored row.

// The stored row at iPosition (0 the first) of the rows rFilter reads for sSessionId; nothing when there
// is no such row or the query failed.
std::optional<TStoredLevelRow> StoredRowAt(TdbSQLite& rDB, const QString& sSessionId,
                                           const TSQLFilter& rFilter, int iPosition);
// The position of stored row nId among the rows rFilter reads for sSessionId; nothing when the filter
// leaves it out, it belongs to another session or the query failed.
std::optional<int> PositionOfStoredRow(TdbSQLite& rDB, const QString& sSessionId, const TSQLFilter& rFilter,
                                       qint64 nId);
