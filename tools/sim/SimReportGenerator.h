#pragma once

#include <QByteArray>

// The report stream of a simulated meter: one level report per call with a running timecode, values that
// move like programme loudness, and the pause flag in the frames ("01" while paused).
class TSimReportGenerator {
public:
    explicit TSimReportGenerator(int iStartSecond = 0);

    // The next level report line with its CR LF; the timecode advances one second per report.
    QByteArray NextReport();
    // The initialisation report of a text meter, with its CR LF.
    static QByteArray InitReport();

    bool Paused() const { return bPaused; }
    void SetPaused(bool bValue) { bPaused = bValue; }
    // A meter whose timecode source stopped: every report carries the same timecode.
    void SetTimecodeFrozen(bool bValue) { bFrozen = bValue; }
    // Starts the integrated loudness afresh.
    void ResetIntegration();
    // Seconds of the day of the next report.
    int CurrentSecond() const { return iSecond; }

private:
    int iSecond = 0;
    int iReportNo = 0;
    bool bPaused = false;
    bool bFrozen = false;
    double fIntegratedSum = 0;
    int iIntegratedCount = 0;
};
