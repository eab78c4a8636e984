#pragma once

#include "core/OperationProgress.h"
#include "core/SessionTypes.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <vector>

class TLevelData;

// A gap of the session placed among a list of its level rows: it lies before row iRow (between rows
// iRow - 1 and iRow) and is gap iGap of the session's gaps.
struct TGapPlace {
    int iRow = 0;
    int iGap = 0;
    bool operator==(const TGapPlace&) const = default;
};

// A session's gaps and where they lie among the rows a table or chart shows.
struct TPlacedGaps {
    QList<TSessionGap> aGaps;
    // In the order of the rows, one at most before a row.
    std::vector<TGapPlace> aPlaces;
};

// Where the gaps lie among rRows (a session's rows in stored order): between two neighbouring rows whose
// timecodes are the gap's timecodes before and after it. Gaps are matched in the order they were written,
// each after the one before, so that a session longer than a day places a gap at its own day's pair (a gap
// out of that order at its first free pair). A gap whose pair is not among the rows (filtered out, edited
// by hand) has no place. The cost is one pass over
// the rows, a few comparisons each; none at all for a session without gaps.
std::vector<TGapPlace> PlaceGaps(const TLevelData& rRows, const QList<TSessionGap>& aGaps);
// The same into aPlaces, fnPump run every kPumpRows rows with the rows passed of all, so that a window
// keeps painting over a week of rows; false, with no places, when it cancelled.
bool PlaceGaps(const TLevelData& rRows, const QList<TSessionGap>& aGaps, const TProgressPump& fnPump,
               std::vector<TGapPlace>& aPlaces);

// The gap's length in whole seconds: from its date-times, or from its timecodes (within a day) when they
// are not valid; -1 when neither tells.
qint64 GapSeconds(const TSessionGap& rGap);
// The length as "12 s", "4 min 05 s" or "2 h 04 min 05 s"; "?" when it is not known.
QString GapLengthText(const TSessionGap& rGap);
// The level table's separator line in language iLNG: the timecodes, the length and the reason as stored.
QString GapSeparatorText(const TSessionGap& rGap, int iLNG);
// A short name of a gap: its timecodes and length, e.g. "10:00:09:00 - 10:00:21:00 (12 s)".
QString GapShortText(const TSessionGap& rGap);
// The gap's fields as the reports list them: timecode before and after, date-time before and after,
// length, reason.
QStringList GapFields(const TSessionGap& rGap);
