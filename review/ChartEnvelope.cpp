#include "review/ChartEnvelope.h"

#include <algorithm>
#include <array>
#include <cmath>

std::vector<TEnvelopePoint> ChartEnvelope(const TSeriesLevels& aValues, int iFirst, int iLast, int iColumns) {
    std::vector<TEnvelopePoint> a;
    const int iCount = int(aValues.size());
    iFirst = std::max(iFirst, 0);
    iLast = std::min(iLast, iCount - 1);
    if (iFirst > iLast)
        return a;
    const auto Add = [&](int i) { a.push_back({double(i), aValues[i]}); };
    if (iFirst > 0)
        Add(iFirst - 1);
    const long long nPoints = (long long)iLast - iFirst + 1;
    if (iColumns <= 0 || nPoints <= iColumns) {
        for (int i = iFirst; i <= iLast; ++i)
            Add(i);
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
            int iLastAdded = -1;
            for (const int i : aPick)
                if (i >= 0 && i != iLastAdded) {
                    Add(i);
                    iLastAdded = i;
                }
        }
    }
    if (iLast < iCount - 1)
        Add(iLast + 1);
    return a;
}
