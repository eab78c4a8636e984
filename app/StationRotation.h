#pragma once

#include "core/Settings.h"

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// When the station ends its running session and begins the next one: at a local time of day, every so many
// hours from the session's start, or at whichever of the two comes first. Pure arithmetic on the moments it
// is given; the station owns the timer.
class TRotationSchedule {
public:
    static constexpr int kMaxEveryHours = 168;

    // The schedule of [Station] RotateAt and RotateEveryHours (empty values: none). Nothing when a value does
    // not read; sProblem then names the key and its value.
    static std::optional<TRotationSchedule> FromSettings(const TStationOptions& rStation, QString& sProblem);

    // A schedule that never rotates.
    TRotationSchedule() = default;
    // tAt invalid: no time of day; iEveryHours 0: no count of hours.
    TRotationSchedule(QTime tAt, int iEveryHours) : tAt(tAt), iEveryHours(iEveryHours) {}

    bool Rotates() const { return tAt.isValid() || iEveryHours > 0; }
    QTime At() const { return tAt; }
    int EveryHours() const { return iEveryHours; }

    // The first rotation moment strictly after dtNow for the session that began at dtSessionStart (dtNow
    // when invalid); invalid when the schedule never rotates. The time of day is read on dtNow's clock (its
    // time zone, the local one for the station): a day on which that time does not occur (the clocks jump
    // over it) rotates at the first moment after it, a day on which it occurs twice rotates at the first.
    QDateTime NextRotation(const QDateTime& dtSessionStart, const QDateTime& dtNow) const;

private:
    QDateTime NextTimeOfDay(const QDateTime& dtNow) const;
    QDateTime NextEveryHours(const QDateTime& dtSessionStart, const QDateTime& dtNow) const;

    QTime tAt;
    int iEveryHours = 0;
};
