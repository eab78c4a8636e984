#include "tests/compliance/LevelRows.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace qxtest {

namespace {

constexpr int kStepsPerSecond = 10;
constexpr int kWindowSteps = 3 * kStepsPerSecond;

double Tenth(double f) {
    return std::round(f * 10.0) / 10.0;
}

QString TimecodeOf(int iSecond) {
    return QStringLiteral("10:%1:%2:00")
        .arg(iSecond / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(iSecond % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TLevelData LevelRows(const std::vector<TRow>& aRows) {
    TLevelData d;
    for (const TRow& r : aRows) {
        TLevelRow row{};
        row.fInstantaneousPeak = r.fPeak;
        row.fLoudnessHi = r.fHi;
        row.fLoudnessLo = r.fLo;
        row.fLoudnessInt = r.fInt;
        row.iPeakChannel = 1;
        d.Append(row, QString::fromLatin1(r.sTimecode));
    }
    return d;
}

TLoudnessSetup MeasuringSetup() {
    TLoudnessSetup s;
    s.iPeakMode = kPeakModeTruePeak;
    s.iScaleMode = kScaleModeLUFS;
    s.iSlidingWindow = kSlidingWindow3Seconds;
    s.iFilter = kFilterKFilter;
    s.fReferenceLevel = -23.0;
    s.fMeterPeakLevel = -1.0;
    s.bValid = true;
    return s;
}

TLevelData SteppedToneReports(std::initializer_list<std::pair<double, int>> aSegments, double fOffset) {
    std::vector<double> aPower;
    for (const auto& [fLevel, iSeconds] : aSegments)
        aPower.insert(aPower.end(), size_t(iSeconds * kStepsPerSecond), std::pow(10.0, fLevel / 10.0));
    TLevelData d;
    const int iSeconds = int(aPower.size()) / kStepsPerSecond;
    for (int iSecond = 0; iSecond < iSeconds; ++iSecond) {
        double fHi = -1000.0;
        double fLo = 1000.0;
        for (int iStep = iSecond * kStepsPerSecond + 1; iStep <= (iSecond + 1) * kStepsPerSecond; ++iStep) {
            // The window holds silence before the tone began.
            double fSum = 0.0;
            for (int i = std::max(0, iStep - kWindowSteps); i < iStep; ++i)
                fSum += aPower[size_t(i)];
            const double fShortTerm = 10.0 * std::log10(fSum / kWindowSteps);
            fHi = std::max(fHi, fShortTerm);
            fLo = std::min(fLo, fShortTerm);
        }
        TLevelRow row{};
        row.fInstantaneousPeak = -20.0;
        row.fLoudnessHi = Tenth(fHi + fOffset);
        row.fLoudnessLo = Tenth(fLo + fOffset);
        row.fLoudnessInt = -23.0 + fOffset;
        row.iPeakChannel = 0;
        d.Append(row, TimecodeOf(iSecond));
    }
    return d;
}

} // namespace qxtest
