#pragma once

#include <QString>

// The timecode control dialog edits times hh:mm:ss:ff as three two-digit fields; frames are always 00.

// Hours, minutes and seconds of a timecode text: characters 1–2, 4–5 and 7–8 (shorter texts give
// shorter or empty parts).
struct TTimecodeFields {
    QString sHours;
    QString sMinutes;
    QString sSeconds;
};

TTimecodeFields SplitTimecode(const QString& sTimecode);

// hh:mm:ss:00 from three field texts, each the last two characters of "00" followed by the field, so an
// empty field gives "00" and "7" gives "07".
QString ComposeTimecode(const QString& sHours, const QString& sMinutes, const QString& sSeconds);
