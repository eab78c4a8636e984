#pragma once

#include <QByteArray>
#include <QtGlobal>

// Where a meter's timecode stood when its reports broke off: the second the next report would have
// carried, and when it was due.
struct TSimTimecodeMark {
    int iSecond = 0;
    qint64 iDueMs = 0;
};

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
    // The programme's timecode ran on since rMark at one second per iIntervalMs: the next report, due at
    // iDueMs, carries the second it would have had had the reports gone on (a frozen timecode stays).
    void RunOnFrom(const TSimTimecodeMark& rMark, qint64 iDueMs, int iIntervalMs);

private:
    int iSecond = 0;
    int iReportNo = 0;
    bool bPaused = false;
    bool bFrozen = false;
    double fIntegratedSum = 0;
    int iIntegratedCount = 0;
};
