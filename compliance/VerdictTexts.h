#pragma once

#include "compliance/LoudnessRange.h"
#include "compliance/Verdict.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The verdict and the loudness range in words, in language iLNG; levels with one decimal and the given
// decimal separator, as the level table shows them.

// "Pass", "Fail" or "Not verifiable".
QString VerdictName(TVerdictKind eKind, int iLNG);
// One reason, for example "Integrated -21.7 LUFS is 1.3 LU above -23.0 ± 0.5".
QString ReasonText(const TVerdictReason& rReason, const TLoudnessStandard& rStandard, int iLNG,
                   QStringView sDecimalPoint);
// Every reason of a verdict, in its order.
QStringList ReasonTexts(const TVerdict& rVerdict, int iLNG, QStringView sDecimalPoint);

// "10.0 LU", or "n/a" when the session has no range.
QString LoudnessRangeText(const TLoudnessRange& rRange, int iLNG, QStringView sDecimalPoint);
// Why the session has no range; empty when it has one.
QString LoudnessRangeProblemText(const TLoudnessRange& rRange, int iLNG);
