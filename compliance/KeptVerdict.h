#pragma once

#include "compliance/LoudnessRange.h"
#include "compliance/Verdict.h"

#include <QString>
#include <QtGlobal>
#include <vector>

// A session's verdict as the session database keeps it, so that a list of many sessions shows their marks
// without loading their rows. It is only good while the session's rows and target stay as they were when
// it was computed.
struct TKeptVerdict {
    TVerdictKind eKind = TVerdictKind::NotVerifiable;
    // The target it was computed against.
    TLoudnessStandard rStandard;
    // The reasons as EncodeReasons writes them; decoded only when they are shown, so that reading the
    // marks of many sessions stays cheap.
    QString sReasons;
    TLoudnessRange rRange;
    // The session's end timecode and row count when it was computed. MarkOf compares the end timecode
    // with the session's, so a session that grew since (a program that does not know these tables may have
    // added rows) shows as not yet computed; a window that loaded the rows can compare the count as well.
    QString sTimeCodeEnd;
    qint64 iLevelRows = 0;
};

// What the database keeps of a verdict and the loudness range computed from a session's rows.
TKeptVerdict KeepVerdict(const TVerdict& rVerdict, const TLoudnessRange& rRange, const QString& sTimeCodeEnd,
                         qint64 iLevelRows);
// The verdict back with its reasons; false when the kept reasons do not decode or do not give the kept
// kind (a hand-edited row must not show a pass that its reasons contradict).
bool RestoreVerdict(const TKeptVerdict& rKept, TVerdict& rVerdict);

// The mark of a session in the list.
enum class TVerdictMark { NotComputed, Pass, Fail, NotVerifiable };

// The mark a kept verdict gives a session judged against rTarget whose stored end timecode is
// sTimeCodeEnd: not computed when there is none or it was computed against other figures or other rows.
TVerdictMark MarkOf(const TKeptVerdict* pKept, const TLoudnessStandard& rTarget, const QString& sTimeCodeEnd);

// A session's mark as the session list reads it for many sessions at once: the kept verdict's mark when
// it was computed against the target the session is judged against now (else not computed), and the end
// timecode the session had then.
struct TKeptMark {
    TVerdictMark eMark = TVerdictMark::NotComputed;
    QString sTimeCodeEnd;
};
// The mark of a session whose stored end timecode is sTimeCodeEnd: not computed when there is none or the
// session's rows changed since.
TVerdictMark MarkOf(const TKeptMark* pMark, const QString& sTimeCodeEnd);
TVerdictMark MarkOfKind(TVerdictKind eKind);

// "Pass", "Fail", "Not verifiable" or "Not yet computed".
QString VerdictMarkName(TVerdictMark eMark, int iLNG);

// The reasons as the database keeps them (JSON), and back. Decoding refuses anything that is not a list of
// known reasons with sound values: the text comes from a file that anyone may have edited.
QString EncodeReasons(const std::vector<TVerdictReason>& aReasons);
bool DecodeReasons(const QString& sText, std::vector<TVerdictReason>& aReasons);
