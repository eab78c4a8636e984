#include "review/LevelRowOrder.h"

#include "core/TextTable.h"
#include "review/LevelData.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <utility>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using TKeyOf = double (*)(const TLevelRow&);

// The value a column sorts by; none for the columns kept in recorded order.
TKeyOf KeyOf(int iHeading) {
    switch (iHeading) {
    case kTxtPeakChannelHeading:
        return [](const TLevelRow& r) {
            return r.iPeakChannel == kNoPeakChannel ? kNaN : double(r.iPeakChannel);
        };
    case kTxtPeakLevelHeading:
        return [](const TLevelRow& r) { return r.fInstantaneousPeak; };
    case kTxtShortTermHeading:
    case kTxtShortTermMaxHeading:
        return [](const TLevelRow& r) { return r.fLoudnessHi; };
    case kTxtShortTermMinHeading:
        return [](const TLevelRow& r) { return r.fLoudnessLo; };
    case kTxtIntegratingHeading:
        return [](const TLevelRow& r) { return r.fLoudnessInt; };
    default:
        return nullptr;
    }
}

// Hundredths of a second are more than any frame rate needs: frames count as hundredths.
constexpr qint64 kTicksPerDay = 24LL * 60 * 60 * 100;

} // namespace

std::optional<qint64> TimecodeTicks(QStringView s) {
    if (s.size() != 11 || s[2] != u':' || s[5] != u':' || s[8] != u':')
        return std::nullopt;
    int aFields[4];
    for (int i = 0; i < 4; ++i) {
        const char16_t c1 = s[i * 3].unicode();
        const char16_t c2 = s[i * 3 + 1].unicode();
        if (c1 < u'0' || c1 > u'9' || c2 < u'0' || c2 > u'9')
            return std::nullopt;
        aFields[i] = (c1 - u'0') * 10 + (c2 - u'0');
    }
    if (aFields[0] > 23 || aFields[1] > 59 || aFields[2] > 59)
        return std::nullopt;
    return ((qint64(aFields[0]) * 60 + aFields[1]) * 60 + aFields[2]) * 100 + aFields[3];
}

std::vector<int> SortedRowOrder(const TLevelData& rData, int iHeading, Qt::SortOrder eOrder) {
    const int iRows = rData.RowCount();
    std::vector<int> aOrder(size_t(iRows), 0);
    const TKeyOf fnKey = KeyOf(iHeading);
    if (!fnKey) {
        std::iota(aOrder.begin(), aOrder.end(), 0);
        if (eOrder == Qt::DescendingOrder)
            std::reverse(aOrder.begin(), aOrder.end());
        return aOrder;
    }
    // Keys beside their rows, so that the sort reads neighbouring memory; the rows without a number
    // follow in recorded order.
    std::vector<std::pair<double, int>> aKeys;
    aKeys.reserve(size_t(iRows));
    std::vector<int> aNoNumber;
    for (int i = 0; i < iRows; ++i) {
        const double f = fnKey(rData.Row(i));
        if (std::isnan(f))
            aNoNumber.push_back(i);
        else
            aKeys.emplace_back(f, i);
    }
    if (eOrder == Qt::AscendingOrder)
        std::sort(aKeys.begin(), aKeys.end());
    else
        std::sort(aKeys.begin(), aKeys.end(), [](const auto& a, const auto& b) {
            return a.first > b.first || (a.first == b.first && a.second < b.second);
        });
    std::transform(aKeys.begin(), aKeys.end(), aOrder.begin(), [](const auto& k) { return k.second; });
    std::copy(aNoNumber.begin(), aNoNumber.end(), aOrder.begin() + qsizetype(aKeys.size()));
    return aOrder;
}

namespace {

// Calls fnRow(iRow, iTime) for each row with a readable timecode in recorded order, its time counted on
// across midnight (each step back in the time of day starts a new day), until fnRow returns false.
template <typename TFn> void ForEachRowTime(const TLevelData& rData, TFn fnRow) {
    qint64 iDayStart = 0;
    qint64 iPrevious = -1;
    for (int i = 0; i < rData.RowCount(); ++i) {
        const std::optional<qint64> rTicks = TimecodeTicks(rData.TimecodeView(i));
        if (!rTicks)
            continue;
        if (*rTicks < iPrevious)
            iDayStart += kTicksPerDay;
        iPrevious = *rTicks;
        if (!fnRow(i, iDayStart + *rTicks))
            return;
    }
}

} // namespace

int FindTimecodeRow(const TLevelData& rData, QStringView sTimecode) {
    const std::optional<qint64> rWanted = TimecodeTicks(sTimecode);
    if (!rWanted)
        return -1;
    std::optional<qint64> rFirst;
    qint64 iLast = 0;
    ForEachRowTime(rData, [&](int, qint64 iTime) {
        if (!rFirst)
            rFirst = iTime;
        iLast = iTime;
        return true;
    });
    if (!rFirst)
        return -1;
    qint64 iTarget = *rWanted;
    if (iTarget < *rFirst) {
        // Earlier in the day than the first row: the same time on the next day when the session reaches
        // it; otherwise the session's start when the time lies nearer before it than after its end.
        if (iTarget + kTicksPerDay <= iLast)
            iTarget += kTicksPerDay;
        else if (*rFirst - iTarget <= iTarget + kTicksPerDay - iLast)
            iTarget = *rFirst;
        else
            return -1;
    }
    int iFound = -1;
    ForEachRowTime(rData, [&](int iRow, qint64 iTime) {
        if (iTime < iTarget)
            return true;
        iFound = iRow;
        return false;
    });
    return iFound;
}
