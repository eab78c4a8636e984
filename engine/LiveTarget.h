#pragma once

#include "compliance/Verdict.h"
#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"

#include <QString>
#include <QStringView>

// The running session against its delivery target, row by row as the session stores them, so that the
// logging tab shows the verdict the stored session will get: the latest integrated loudness (in LUFS, also
// when the meter's scale is LU) against the target, and a peak over the limit from the moment one came.
class TLiveTarget {
public:
    // A new session with its meter setup and the target it is judged against; earlier rows are forgotten.
    void Start(const TLoudnessSetup& rSetup, const TLoudnessStandard& rTarget);
    // No session runs: nothing to judge.
    void Clear();
    bool IsActive() const { return bActive; }

    // One row of the running session, in recorded order.
    void AddRow(QStringView sTimecode, double fIntegrated, double fPeak);

    const TLoudnessStandard& Target() const { return rTarget; }
    const TLoudnessSetup& Setup() const { return rSetup; }
    int RowCount() const { return rLevels.iRows; }
    // The verdict of the rows so far.
    TVerdict Verdict() const;

private:
    bool bActive = false;
    TLoudnessSetup rSetup;
    TLoudnessStandard rTarget;
    TJudgedLevels rLevels;
};

// What the logging tab shows of a running session's target, in language iLNG with the given decimal
// separator.
struct TLiveTargetTexts {
    // The target's name and figures: "EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP".
    QString sTarget;
    // The verdict so far, and its name.
    TVerdictKind eKind = TVerdictKind::NotVerifiable;
    QString sVerdict;
    // The integrated loudness against the target, or why it cannot be compared; before the first row, that
    // the session waits for it.
    QString sLoudness;
    // The peak against the limit, or why the limit cannot be proven (a fail comes first).
    QString sPeak;
    // Every reason of the verdict so far, one a line.
    QString sDetail;
};

TLiveTargetTexts LiveTargetTexts(const TLiveTarget& rLive, int iLNG, QStringView sDecimalPoint);
