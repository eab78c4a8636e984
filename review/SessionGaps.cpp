#include "review/SessionGaps.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "review/LevelData.h"
#include "review/LevelRowOrder.h"
#include "store/SessionGapStore.h"

#include <algorithm>

namespace {

constexpr qint64 kTicksPerSecond = 100;
constexpr qint64 kSecondsPerDay = 24LL * 60 * 60;

// A gap's timecode pair at one place among the rows.
struct TPairAt {
    int iGap;
    int iRow;
};

} // namespace

std::vector<TGapPlace> PlaceGaps(const TLevelData& rRows, const QList<TSessionGap>& aGaps) {
    std::vector<TGapPlace> aPlaces;
    PlaceGaps(rRows, aGaps, {}, aPlaces);
    return aPlaces;
}

bool PlaceGaps(const TLevelData& rRows, const QList<TSessionGap>& aGaps, const TProgressPump& fnPump,
               std::vector<TGapPlace>& aPlaces) {
    aPlaces.clear();
    if (aGaps.isEmpty() || rRows.RowCount() < 2)
        return true;
    // The gaps by their timecode before, so that each row costs a binary search among a few texts.
    std::vector<int> aByBefore(size_t(aGaps.size()));
    for (size_t i = 0; i < aByBefore.size(); ++i)
        aByBefore[i] = int(i);
    const auto Before = [&](int iGap) { return QStringView(aGaps[iGap].sTimeCodeBefore); };
    std::stable_sort(aByBefore.begin(), aByBefore.end(),
                     [&](int a, int b) { return Before(a).compare(Before(b)) < 0; });
    std::vector<TPairAt> aPairs;
    for (int iRow = 0; iRow + 1 < rRows.RowCount(); ++iRow) {
        if (iRow % kPumpRows == 0 && !PumpProgress(fnPump, iRow, rRows.RowCount()))
            return false;
        const QStringView sTimecode = rRows.TimecodeView(iRow);
        auto It = std::lower_bound(aByBefore.begin(), aByBefore.end(), sTimecode,
                                   [&](int iGap, QStringView s) { return Before(iGap).compare(s) < 0; });
        for (; It != aByBefore.end() && Before(*It) == sTimecode; ++It) {
            if (QStringView(aGaps[*It].sTimeCodeAfter) == rRows.TimecodeView(iRow + 1))
                aPairs.push_back({*It, iRow + 1});
        }
    }
    // Each gap takes its first free pair after the place of the gap written before it; a gap out of that
    // order (a hand-edited file) its first free pair anywhere. One gap at most stands before a row.
    const auto Taken = [&](int iRow) {
        return std::any_of(aPlaces.begin(), aPlaces.end(),
                           [iRow](const TGapPlace& r) { return r.iRow == iRow; });
    };
    const auto FirstPair = [&](int iGap, int iFrom) -> const TPairAt* {
        for (const TPairAt& r : aPairs)
            if (r.iGap == iGap && r.iRow > iFrom && !Taken(r.iRow))
                return &r;
        return nullptr;
    };
    int iAfter = 0;
    for (int iGap = 0; iGap < aGaps.size(); ++iGap) {
        if (const TPairAt* pInOrder = FirstPair(iGap, iAfter)) {
            aPlaces.push_back({pInOrder->iRow, iGap});
            iAfter = pInOrder->iRow;
        } else if (const TPairAt* pAny = FirstPair(iGap, 0)) {
            aPlaces.push_back({pAny->iRow, iGap});
        }
    }
    std::sort(aPlaces.begin(), aPlaces.end(),
              [](const TGapPlace& a, const TGapPlace& b) { return a.iRow < b.iRow; });
    return true;
}

qint64 GapSeconds(const TSessionGap& r) {
    if (r.dtBefore.isValid() && r.dtAfter.isValid() && r.dtBefore <= r.dtAfter)
        return r.dtBefore.secsTo(r.dtAfter);
    const std::optional<qint64> iBefore = TimecodeTicks(r.sTimeCodeBefore);
    const std::optional<qint64> iAfter = TimecodeTicks(r.sTimeCodeAfter);
    if (!iBefore || !iAfter)
        return -1;
    // Timecodes tell the time of day only: a gap across midnight ends on the next day.
    const qint64 iSeconds = *iAfter / kTicksPerSecond - *iBefore / kTicksPerSecond;
    return iSeconds >= 0 ? iSeconds : iSeconds + kSecondsPerDay;
}

QString GapLengthText(const TSessionGap& rGap) {
    const qint64 iSeconds = GapSeconds(rGap);
    if (iSeconds < 0)
        return QStringLiteral("?");
    const qint64 iHours = iSeconds / 3600;
    const qint64 iMinutes = iSeconds / 60 % 60;
    const qint64 iRest = iSeconds % 60;
    const auto Two = [](qint64 i) { return QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')); };
    if (iHours > 0)
        return QStringLiteral("%1 h %2 min %3 s").arg(iHours).arg(Two(iMinutes), Two(iRest));
    if (iMinutes > 0)
        return QStringLiteral("%1 min %2 s").arg(iMinutes).arg(Two(iRest));
    return QStringLiteral("%1 s").arg(iRest);
}

QString GapSeparatorText(const TSessionGap& rGap, int iLNG) {
    const QString s = FormatText(GetText(kTxtGapSeparator, iLNG),
                                 {rGap.sTimeCodeBefore, rGap.sTimeCodeAfter, GapLengthText(rGap)});
    // The reason is stored in the words of the station that logged it and shown as it is.
    const QString sReason = rGap.sReason.simplified();
    return sReason.isEmpty() ? s : s + QLatin1Char(' ') + sReason;
}

QString GapShortText(const TSessionGap& rGap) {
    return QStringLiteral("%1 - %2 (%3)").arg(rGap.sTimeCodeBefore, rGap.sTimeCodeAfter, GapLengthText(rGap));
}

QStringList GapFields(const TSessionGap& rGap) {
    return {rGap.sTimeCodeBefore,          rGap.sTimeCodeAfter, GapDateTimeText(rGap.dtBefore),
            GapDateTimeText(rGap.dtAfter), GapLengthText(rGap), rGap.sReason.simplified()};
}
