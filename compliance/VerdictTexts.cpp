#include "compliance/VerdictTexts.h"

#include "compliance/Standards.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "review/LevelData.h"

namespace {

// The unit of a peak as the meter measured it.
QString PeakUnitOf(int iPeakMode) {
    switch (iPeakMode) {
    case kPeakModeTruePeak:
        return QStringLiteral("dBTP");
    case kPeakModeDigital:
        return QStringLiteral("dBFS");
    default:
        return QStringLiteral("dB");
    }
}

QString PeakExceedsText(const TVerdictReason& r, int iLNG, QStringView sDecimalPoint) {
    const QStringList slArgs = {FormatLevel(r.fValue, sDecimalPoint), PeakUnitOf(r.iCode),
                                FormatLevel(r.fLimit, sDecimalPoint), r.sTimecode, QString::number(r.iCount)};
    if (r.iCount <= 0)
        return FormatText(GetText(kTxtReasonPeakExceeds, iLNG), slArgs);
    if (r.iCount == 1)
        return FormatText(GetText(kTxtReasonPeakExceedsOneMore, iLNG), slArgs);
    return FormatText(GetText(kTxtReasonPeakExceedsMore, iLNG), slArgs);
}

QString IntegratedText(int iEntry, const TVerdictReason& r, const TLoudnessStandard& rStandard, int iLNG,
                       QStringView sDecimalPoint) {
    const QString sValue = FormatLevel(r.fValue, sDecimalPoint);
    const QString sUnit = LoudnessUnitOf(rStandard.eId);
    const QString sTarget = FormatLevel(r.fLimit, sDecimalPoint);
    const QString sTolerance = FormatLevel(r.fTolerance, sDecimalPoint);
    if (iEntry == kTxtReasonIntegratedWithin)
        return FormatText(GetText(iEntry, iLNG), {sValue, sUnit, sTarget, sTolerance});
    return FormatText(GetText(iEntry, iLNG), {sValue, sUnit, FormatLevel(r.fDeviation, sDecimalPoint),
                                              ToleranceUnitOf(rStandard.eId), sTarget, sTolerance});
}

} // namespace

QString VerdictName(TVerdictKind eKind, int iLNG) {
    switch (eKind) {
    case TVerdictKind::Pass:
        return GetText(kTxtVerdictPass, iLNG);
    case TVerdictKind::Fail:
        return GetText(kTxtVerdictFail, iLNG);
    case TVerdictKind::NotVerifiable:
        break;
    }
    return GetText(kTxtVerdictNotVerifiable, iLNG);
}

QString ReasonText(const TVerdictReason& r, const TLoudnessStandard& rStandard, int iLNG,
                   QStringView sDecimalPoint) {
    switch (r.eKind) {
    case TReasonKind::NoRows:
        return GetText(kTxtReasonNoRows, iLNG);
    case TReasonKind::NoIntegrated:
        return GetText(kTxtReasonNoIntegrated, iLNG);
    case TReasonKind::NoPeak:
        return GetText(kTxtReasonNoPeak, iLNG);
    case TReasonKind::FilterNotK:
        return FormatText(GetText(kTxtReasonFilterNotK, iLNG), {FilterName(r.iCode)});
    case TReasonKind::UnknownScale:
        return FormatText(GetText(kTxtReasonUnknownScale, iLNG), {ScaleModeName(r.iCode)});
    case TReasonKind::PeakNotTrue:
        return FormatText(GetText(kTxtReasonPeakNotTrue, iLNG),
                          {PeakModeName(r.iCode), FormatLevel(r.fLimit, sDecimalPoint)});
    case TReasonKind::SamplePeakExceeds:
        return FormatText(GetText(kTxtReasonSamplePeakExceeds, iLNG), {PeakModeName(r.iCode)});
    case TReasonKind::IntegratedAbove:
        return IntegratedText(kTxtReasonIntegratedAbove, r, rStandard, iLNG, sDecimalPoint);
    case TReasonKind::IntegratedBelow:
        return IntegratedText(kTxtReasonIntegratedBelow, r, rStandard, iLNG, sDecimalPoint);
    case TReasonKind::IntegratedWithin:
        return IntegratedText(kTxtReasonIntegratedWithin, r, rStandard, iLNG, sDecimalPoint);
    case TReasonKind::PeakExceeds:
        return PeakExceedsText(r, iLNG, sDecimalPoint);
    case TReasonKind::PeakWithin:
        return FormatText(GetText(kTxtReasonPeakWithin, iLNG),
                          {FormatLevel(r.fValue, sDecimalPoint), PeakUnitOf(r.iCode),
                           FormatLevel(r.fLimit, sDecimalPoint)});
    case TReasonKind::ConvertedFromLU:
        return FormatText(GetText(kTxtReasonConvertedFromLU, iLNG), {FormatLevel(r.fValue, sDecimalPoint)});
    case TReasonKind::FilteredRows:
        return GetText(kTxtReasonFilteredRows, iLNG);
    }
    return {};
}

QStringList ReasonTexts(const TVerdict& rVerdict, int iLNG, QStringView sDecimalPoint) {
    QStringList sl;
    for (const TVerdictReason& r : rVerdict.aReasons)
        sl << ReasonText(r, rVerdict.rStandard, iLNG, sDecimalPoint);
    return sl;
}

QString LoudnessRangeText(const TLoudnessRange& rRange, int iLNG, QStringView sDecimalPoint) {
    if (!rRange.Valid())
        return GetText(kTxtRangeNotAvailable, iLNG);
    return FormatLevel(rRange.fRange, sDecimalPoint) + QStringLiteral(" LU");
}

QString LoudnessRangeProblemText(const TLoudnessRange& rRange, int iLNG) {
    switch (rRange.eProblem) {
    case TRangeProblem::None:
        return {};
    case TRangeProblem::WindowNot3Seconds:
        return FormatText(GetText(kTxtRangeWindowNot3Seconds, iLNG), {SlidingWindowName(rRange.iCode)});
    case TRangeProblem::FilterNotK:
        return FormatText(GetText(kTxtRangeFilterNotK, iLNG), {FilterName(rRange.iCode)});
    case TRangeProblem::UnknownScale:
        return FormatText(GetText(kTxtRangeUnknownScale, iLNG), {ScaleModeName(rRange.iCode)});
    case TRangeProblem::NoValues:
        break;
    }
    return GetText(kTxtRangeNoValues, iLNG);
}
