#pragma once

#include "core/Settings.h"
#include "store/SQLFilter.h"

#include <QString>
#include <QStringList>
#include <optional>

// A level typed into the data filter: every "," becomes ".", and the result must read as a finite number
// with "." as decimal separator. Returns the text as the dialog keeps it ("-6,5" gives "-6.5"), or nothing
// when it is no number.
std::optional<QString> NormaliseLevelText(const QString& sText);

// True when a timecode interval runs across midnight: both ends are in force and the start lies later in
// the day than the end, as 23:59:00:00 to 00:01:00:00 does on a session that ran through midnight.
bool TimecodeRangeSpansMidnight(const TFilterOptions& rOptions);

// A run of one session's stored level rows, as a chart showed them: bounded by their row numbers in the
// session database (nId), which are exact where timecodes repeat (a week-long session) or start again at
// midnight; the timecodes of its ends and its length name it for the user.
struct TLevelRowRange {
    qint64 nFirstId = 0;
    qint64 nLastId = 0;
    QString sFirstTimecode;
    QString sLastTimecode;
    int iRows = 0;
    bool operator==(const TLevelRowRange&) const = default;
};

// The filter of the dialog's checked conditions, each one a bound value: the timecodes as texts (they
// compare as texts and have a fixed width), the levels as numbers. An interval that spans midnight takes
// the rows from its start to the end of the day and from the start of the day to its end. The statement
// reads the level rows of the session bound to ?1 in the order they were recorded. Nothing when a checked
// level does not read as a number (the dialog refuses it before, so only a hand-edited settings file gets
// here). With rRowRange only the rows of that run that meet the conditions are read.
std::optional<TSQLFilter> BuildDataFilter(const TFilterOptions& rOptions,
                                          const std::optional<TLevelRowRange>& rRowRange = std::nullopt);

// The data filter in force over a loaded table: the statement its rows were read with and the conditions
// the user checked for it (none for an unfiltered load).
struct TDataFilter {
    TDataFilter() = default;
    // A statement alone has no conditions to name (an unfiltered load, or a statement from elsewhere).
    TDataFilter(TSQLFilter rStatement, TFilterOptions rConditions = {},
                std::optional<TLevelRowRange> rRowRange = std::nullopt)
        : rStatement(std::move(rStatement)), rConditions(std::move(rConditions)),
          rRowRange(std::move(rRowRange)) {}

    TSQLFilter rStatement;
    // Every box unchecked when there are none.
    TFilterOptions rConditions;
    // The run of rows a chart showed, when the filter was taken from a chart; it is no setting of the
    // dialog and is never stored with them.
    std::optional<TLevelRowRange> rRowRange;
};

// The checked conditions of a data filter as the user reads them, in the dialog's order, in language
// iLNG: the timecode interval first, then each level bound with its column's name and unit (dBFS for
// the peak, sUnit, the session's loudness unit, for the others). A run of charted rows is named first, by
// the timecodes of its ends and its length. Empty when nothing is checked and there is no run.
QStringList DataFilterConditionTexts(const TFilterOptions& rOptions, int iLNG, const QString& sUnit,
                                     const std::optional<TLevelRowRange>& rRowRange = std::nullopt);
