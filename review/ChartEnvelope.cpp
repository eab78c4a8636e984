#include "review/ChartEnvelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

std::vector<TEnvelopePoint> ChartEnvelope(const TSeriesLevels& aValues, int iFirst, int iLast, int iColumns,
                                          std::span<const int> aBreaks) {
    std::vector<TEnvelopePoint> a;
    const int iCount = int(aValues.size());
    iFirst = std::max(iFirst, 0);
    iLast = std::min(iLast, iCount - 1);
    if (iFirst > iLast)
        return a;
    // The first break at or after a row; a break before row i lies between rows i - 1 and i, where a NaN
    // half way ends the line.
    const auto BreakFrom = [&](int i) { return std::lower_bound(aBreaks.begin(), aBreaks.end(), i); };
    const auto IsBreak = [&](int i) {
        const auto It = BreakFrom(i);
        return It != aBreaks.end() && *It == i;
    };
    const auto Add = [&](int i) { a.push_back({double(i), aValues[i]}); };
    const auto AddBreak = [&](int i) { a.push_back({double(i) - 0.5, kNaN}); };
    if (iFirst > 0)
        Add(iFirst - 1);
    const long long nPoints = (long long)iLast - iFirst + 1;
    if (iColumns <= 0 || nPoints <= iColumns) {
        auto Next = BreakFrom(iFirst);
        for (int i = iFirst; i <= iLast; ++i) {
            if (Next != aBreaks.end() && *Next == i) {
                AddBreak(i);
                ++Next;
            }
            Add(i);
        }
    } else {
        a.reserve(size_t(iColumns) * 3 + 2);
        for (long long iColumn = 0; iColumn < iColumns; ++iColumn) {
            const int iBegin = iFirst + int(iColumn * nPoints / iColumns);
            const int iEnd = iFirst + int((iColumn + 1) * nPoints / iColumns);
            int iLow = -1;
            int iHigh = -1;
            int iGap = -1;
            for (int i = iBegin; i < iEnd; ++i) {
                const double f = aValues[i];
                if (std::isnan(f)) {
                    if (iGap < 0)
                        iGap = i;
                    continue;
                }
                if (iLow < 0 || f < aValues[iLow])
                    iLow = i;
                if (iHigh < 0 || f > aValues[iHigh])
                    iHigh = i;
            }
            std::array<int, 3> aPick{iLow, iHigh, iGap};
            std::sort(aPick.begin(), aPick.end());
            // A break in the run keeps its place among the picks, so no line crosses it.
            const auto Break = BreakFrom(iBegin);
            const int iBreak = Break != aBreaks.end() && *Break < iEnd ? *Break : -1;
            bool bBreakAdded = iBreak < 0;
            int iLastAdded = -1;
            for (const int i : aPick)
                if (i >= 0 && i != iLastAdded) {
                    if (!bBreakAdded && iBreak <= i) {
                        AddBreak(iBreak);
                        bBreakAdded = true;
                    }
                    Add(i);
                    iLastAdded = i;
                }
            if (!bBreakAdded)
                AddBreak(iBreak);
        }
    }
    if (iLast < iCount - 1) {
        if (IsBreak(iLast + 1))
            AddBreak(iLast + 1);
        Add(iLast + 1);
    }
    return a;
}
