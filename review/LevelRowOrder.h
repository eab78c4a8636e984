#pragma once

#include <QStringView>
#include <Qt>
#include <optional>
#include <vector>

class TLevelData;

// The data rows of a level table in the order of one of its columns (iHeading: the column's heading
// entry): levels and the peak channel as numbers, ties and the row number and timecode columns in
// recorded order (which keeps a session across midnight in time order), values that are not a number
// last in either direction. A column without values of its own gives the recorded order.
std::vector<int> SortedRowOrder(const TLevelData& rData, int iHeading, Qt::SortOrder eOrder);

// The first data row whose timecode is sTimecode (hh:mm:ss:ff) or, when no row has it, the first row
// after that time in recorded order. A session that runs past midnight counts its days on: a time of day
// earlier than the first row's is looked for on the next day; when the session does not reach it there,
// the first row answers if the time lies nearer before the session's start than after its end. -1 when
// no row is at or after the time, or sTimecode is not a timecode.
int FindTimecodeRow(const TLevelData& rData, QStringView sTimecode);

// The time of day of hh:mm:ss:ff in hundredths of a second (frames count as hundredths: more than any frame
// rate needs); none for anything else.
std::optional<qint64> TimecodeTicks(QStringView s);
