#include "engine/LiveTarget.h"

#include "compliance/Standards.h"
#include "compliance/VerdictTexts.h"
#include "core/TextTable.h"

#include <QStringList>

namespace {

// Which line of the tab a reason belongs on; the facts the tab leaves to the detail.
enum class TReasonLine { Loudness, Peak, Detail };

TReasonLine LineOf(TReasonKind eKind) {
    switch (eKind) {
    case TReasonKind::NoIntegrated:
    case TReasonKind::FilterNotK:
    case TReasonKind::UnknownScale:
    case TReasonKind::IntegratedAbove:
    case TReasonKind::IntegratedBelow:
    case TReasonKind::IntegratedWithin:
        return TReasonLine::Loudness;
    case TReasonKind::NoPeak:
    case TReasonKind::PeakNotTrue:
    case TReasonKind::SamplePeakExceeds:
    case TReasonKind::PeakExceeds:
    case TReasonKind::PeakWithin:
        return TReasonLine::Peak;
    case TReasonKind::NoRows:
    case TReasonKind::ConvertedFromLU:
    case TReasonKind::FilteredRows:
        break;
    }
    return TReasonLine::Detail;
}

} // namespace

void TLiveTarget::Start(const TLoudnessSetup& rNewSetup, const TLoudnessStandard& rNewTarget) {
    bActive = true;
    rSetup = rNewSetup;
    rTarget = rNewTarget;
    rLevels = TJudgedLevels();
}

void TLiveTarget::Clear() {
    bActive = false;
    rLevels = TJudgedLevels();
}

void TLiveTarget::AddRow(QStringView sTimecode, double fIntegrated, double fPeak) {
    if (bActive)
        rLevels.Add(fIntegrated, fPeak, sTimecode, rTarget);
}

TVerdict TLiveTarget::Verdict() const {
    return JudgeLevels(rLevels, rSetup, rTarget, false);
}

TLiveTargetTexts LiveTargetTexts(const TLiveTarget& rLive, int iLNG, QStringView sDecimalPoint) {
    TLiveTargetTexts r;
    if (!rLive.IsActive())
        return r;
    const TLoudnessStandard& rTarget = rLive.Target();
    r.sTarget =
        StandardName(rTarget.eId, iLNG) + QLatin1Char(' ') + StandardFigures(rTarget, iLNG, sDecimalPoint);
    const TVerdict v = rLive.Verdict();
    r.eKind = v.eKind;
    r.sVerdict = VerdictName(v.eKind, iLNG);
    if (rLive.RowCount() == 0) {
        r.sLoudness = GetText(kTxtLiveTargetWaiting, iLNG);
        return r;
    }
    QStringList slLoudness;
    QStringList slPeak;
    QStringList slDetail;
    for (const TVerdictReason& rReason : v.aReasons) {
        const QString sText = ReasonText(rReason, rTarget, iLNG, sDecimalPoint);
        slDetail << sText;
        switch (LineOf(rReason.eKind)) {
        case TReasonLine::Loudness:
            slLoudness << sText;
            break;
        case TReasonLine::Peak:
            slPeak << sText;
            break;
        case TReasonLine::Detail:
            break;
        }
    }
    // The first of each is the one that decides; the others are in the detail.
    r.sLoudness = slLoudness.value(0);
    r.sPeak = slPeak.value(0);
    r.sDetail = slDetail.join(QLatin1Char('\n'));
    return r;
}
