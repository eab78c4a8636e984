#include "tools/sim/SimReportGenerator.h"

#include <QString>
#include <algorithm>

namespace {

constexpr int kSecondsPerDay = 24 * 3600;

QString TwoDigits(int iValue) {
    return QStringLiteral("%1").arg(iValue, 2, 10, QLatin1Char('0'));
}

QString Level(double fValue) {
    return QString::number(fValue, 'f', 1);
}

} // namespace

TSimReportGenerator::TSimReportGenerator(int iStartSecond)
    : iSecond(((iStartSecond % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay) {}

QByteArray TSimReportGenerator::NextReport() {
    const int k = iReportNo++;
    // Repeating patterns of different lengths give levels that wander without randomness.
    const double fHigh = -18.0 - (k % 7) * 0.5;
    const double fLow = fHigh - 6.5 - (k % 3);
    const double fPeak = -1.5 - (k % 11) * 0.7;
    const int iPeakChannel = (k % 13 == 5) ? 1 + k % 2 : 0;
    if (!bPaused) {
        fIntegratedSum += (fHigh + fLow) / 2;
        ++iIntegratedCount;
    }
    const double fIntegrated = iIntegratedCount > 0 ? fIntegratedSum / iIntegratedCount : -70.0;
    const QString sFrames = bPaused ? QStringLiteral("01") : QStringLiteral("00");
    const QString sLine =
        QStringLiteral("L;%1:%2:%3:%4;%5;%6;%7;%8;%9;\r\n")
            .arg(TwoDigits(iSecond / 3600), TwoDigits(iSecond / 60 % 60), TwoDigits(iSecond % 60), sFrames,
                 QString::number(iPeakChannel), Level(fPeak), Level(fHigh), Level(fLow), Level(fIntegrated));
    if (!bFrozen)
        iSecond = (iSecond + 1) % kSecondsPerDay;
    return sLine.toLatin1();
}

QByteArray TSimReportGenerator::InitReport() {
    return QByteArrayLiteral("I;1;0;1;0;3;-10;0;6;0;1;\r\n");
}

void TSimReportGenerator::RunOnFrom(const TSimTimecodeMark& rMark, qint64 iDueMs, int iIntervalMs) {
    if (bFrozen)
        return;
    const qint64 iPassed = iDueMs > rMark.iDueMs ? (iDueMs - rMark.iDueMs) / std::max(1, iIntervalMs) : 0;
    iSecond = int((qint64(rMark.iSecond) + iPassed) % kSecondsPerDay);
}

void TSimReportGenerator::ResetIntegration() {
    fIntegratedSum = 0;
    iIntegratedCount = 0;
}
