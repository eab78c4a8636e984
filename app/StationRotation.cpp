#include "app/StationRotation.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace {

constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kMsPerHour = 3600 * kMsPerSecond;
constexpr qint64 kMsPerDay = 24 * kMsPerHour;

// The moment iMs (since the epoch) on the clock dtClock is read on.
QDateTime OnClockOf(qint64 iMs, const QDateTime& dtClock) {
    if (dtClock.timeSpec() == Qt::TimeZone)
        return QDateTime::fromMSecsSinceEpoch(iMs, dtClock.timeZone());
    return QDateTime::fromMSecsSinceEpoch(iMs, dtClock.timeSpec(), dtClock.offsetFromUtc());
}

qint64 OffsetMsAt(qint64 iMs, const QDateTime& dtClock) {
    return OnClockOf(iMs, dtClock).offsetFromUtc() * kMsPerSecond;
}

// The first moment at which dtClock's clock shows tTime on dDate or a later time: the time itself, the first
// of its two occurrences where the clocks are set back over it, or the end of the jump where they are set
// forward over it. A clock changes its offset at most once within a day of any moment.
QDateTime FirstMomentAt(const QDate& dDate, const QTime& tTime, const QDateTime& dtClock) {
    // The clock's reading as if it were UTC; the moment itself lies within a day of it.
    const qint64 iWall = QDateTime(dDate, tTime, Qt::UTC).toMSecsSinceEpoch();
    const qint64 iOffsetBefore = OffsetMsAt(iWall - kMsPerDay, dtClock);
    const qint64 iOffsetAfter = OffsetMsAt(iWall + kMsPerDay, dtClock);
    const qint64 iUnderBefore = iWall - iOffsetBefore;
    const qint64 iUnderAfter = iWall - iOffsetAfter;
    const bool bBefore = OffsetMsAt(iUnderBefore, dtClock) == iOffsetBefore;
    const bool bAfter = OffsetMsAt(iUnderAfter, dtClock) == iOffsetAfter;
    if (bBefore && bAfter)
        return OnClockOf(std::min(iUnderBefore, iUnderAfter), dtClock);
    if (bBefore || bAfter)
        return OnClockOf(bBefore ? iUnderBefore : iUnderAfter, dtClock);
    // Skipped: the change of offset lies between the two readings; the first moment under the new one.
    qint64 iLow = std::min(iUnderBefore, iUnderAfter);
    qint64 iHigh = std::max(iUnderBefore, iUnderAfter);
    while (iHigh - iLow > 1) {
        const qint64 iMiddle = iLow + (iHigh - iLow) / 2;
        if (OffsetMsAt(iMiddle, dtClock) == iOffsetAfter)
            iHigh = iMiddle;
        else
            iLow = iMiddle;
    }
    return OnClockOf(iHigh, dtClock);
}

std::optional<QTime> ReadTimeOfDay(const QString& sValue) {
    static const QRegularExpression rxTime(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch m = rxTime.match(sValue);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(),
                  m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<int> ReadEveryHours(const QString& sValue) {
    static const QRegularExpression rxHours(QStringLiteral("^\\d{1,3}$"));
    if (!rxHours.match(sValue).hasMatch())
        return std::nullopt;
    const int iHours = sValue.toInt();
    if (iHours > TRotationSchedule::kMaxEveryHours)
        return std::nullopt;
    return iHours;
}

} // namespace

std::optional<TRotationSchedule> TRotationSchedule::FromSettings(const TStationOptions& rStation,
                                                                 QString& sProblem) {
    QTime tAt;
    const QString sAt = rStation.sRotateAt.trimmed();
    if (!sAt.isEmpty()) {
        const std::optional<QTime> t = ReadTimeOfDay(sAt);
        if (!t) {
            sProblem = QStringLiteral("RotateAt \"%1\" is no time of day (HH:MM or HH:MM:SS)").arg(sAt);
            return std::nullopt;
        }
        tAt = *t;
    }
    int iHours = 0;
    const QString sHours = rStation.sRotateEveryHours.trimmed();
    if (!sHours.isEmpty()) {
        const std::optional<int> i = ReadEveryHours(sHours);
        if (!i) {
            sProblem = QStringLiteral("RotateEveryHours \"%1\" is no whole number of hours from 0 to %2")
                           .arg(sHours)
                           .arg(kMaxEveryHours);
            return std::nullopt;
        }
        iHours = *i;
    }
    return TRotationSchedule(tAt, iHours);
}

QDateTime TRotationSchedule::NextRotation(const QDateTime& dtSessionStart, const QDateTime& dtNow) const {
    const QDateTime dtAt = tAt.isValid() ? NextTimeOfDay(dtNow) : QDateTime();
    const QDateTime dtEvery = iEveryHours > 0 ? NextEveryHours(dtSessionStart, dtNow) : QDateTime();
    if (dtAt.isValid() && dtEvery.isValid())
        return std::min(dtAt, dtEvery);
    return dtAt.isValid() ? dtAt : dtEvery;
}

QDateTime TRotationSchedule::NextTimeOfDay(const QDateTime& dtNow) const {
    // Today's when it is still ahead, else tomorrow's; the day after covers a clock that skips a whole day.
    for (int iDay = 0; iDay <= 2; ++iDay) {
        const QDateTime dt = FirstMomentAt(dtNow.date().addDays(iDay), tAt, dtNow);
        if (dt > dtNow)
            return dt;
    }
    return {};
}

QDateTime TRotationSchedule::NextEveryHours(const QDateTime& dtSessionStart, const QDateTime& dtNow) const {
    // Counted in elapsed time, so a change of the clock's offset neither shortens nor lengthens a period.
    const qint64 iPeriod = iEveryHours * kMsPerHour;
    const qint64 iNow = dtNow.toMSecsSinceEpoch();
    const qint64 iStart = dtSessionStart.isValid() ? dtSessionStart.toMSecsSinceEpoch() : iNow;
    // A start ahead of now (the clock was set back) waits one period from the start.
    const qint64 iPeriods = iNow < iStart ? 1 : (iNow - iStart) / iPeriod + 1;
    return OnClockOf(iStart + iPeriods * iPeriod, dtNow);
}
