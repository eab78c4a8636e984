#include "engine/ReportParser.h"

#include <cmath>

namespace engine {

namespace {

// Field texts longer than this are no meter value; refusing them keeps conversions cheap on hostile input.
constexpr qsizetype kMaxFieldLength = 64;

constexpr QChar kFieldEnd = u';';
constexpr QChar kLevelReportLetter = u'L';
constexpr QChar kSetupReportLetter = u'I';

// Frames "01" are the meter's pause flag.
constexpr QStringView kPausedFrames = u":01";
constexpr QStringView kStoredFrames = u"00";

// The line marker: the letter, possibly followed by other characters, then ";".
class TMarkerMatcher {
public:
    explicit TMarkerMatcher(QChar cMarker) : FMarker(cMarker) {}

    // True when c completes the marker.
    bool Step(QChar c) {
        if (c == FMarker) {
            FSeen = true;
        } else if (c == kFieldEnd && FSeen) {
            FSeen = false;
            return true;
        }
        return false;
    }

private:
    QChar FMarker;
    bool FSeen = false;
};

// Only ASCII digits count: other scripts' digits pass QChar::isDigit but are no meter value.
bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

enum class TFieldStep { Pending, Done, Failed };

// Collects one field's characters and converts the text when its ";" arrives. Reals always use ".".
class TFieldCollector {
public:
    TFieldStep IntegerStep(QChar c, int& iValue) {
        if (c == u'-' || IsAsciiDigit(c)) {
            Append(c);
            return TFieldStep::Pending;
        }
        if (c == u' ')
            return TFieldStep::Pending;
        bool ok = false;
        if (c == kFieldEnd && FText.size() <= kMaxFieldLength) {
            // A failed conversion returns 0: the field keeps what it had.
            const int i = QStringView(FText).toInt(&ok, 10);
            if (ok)
                iValue = i;
        }
        FText.clear();
        return ok ? TFieldStep::Done : TFieldStep::Failed;
    }

    TFieldStep RealStep(QChar c, double& nValue) {
        if (c == u'-' || c == u'.' || IsAsciiDigit(c)) {
            Append(c);
            return TFieldStep::Pending;
        }
        if (c == u' ')
            return TFieldStep::Pending;
        bool ok = false;
        if (c == kFieldEnd && FText.size() <= kMaxFieldLength) {
            // QStringView::toDouble is locale independent: "." is the separator whatever the system says.
            const double n = QStringView(FText).toDouble(&ok);
            ok = ok && std::isfinite(n);
            if (ok)
                nValue = n;
        }
        FText.clear();
        return ok ? TFieldStep::Done : TFieldStep::Failed;
    }

    void Clear() { FText.clear(); }

private:
    // One character past the limit is kept, so an overlong field still fails at its ";".
    void Append(QChar c) {
        if (FText.size() <= kMaxFieldLength)
            FText.append(c);
    }

    QString FText;
};

// hh:mm:ss:ff: two digits, ":", two digits, ":", two digits, ":", two digits.
bool MatchesTimeCodeMask(QStringView s) {
    if (s.size() != kTimeCodeLength)
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool bSeparator = (i % 3) == 2;
        if (bSeparator ? s[i] != u':' : !IsAsciiDigit(s[i]))
            return false;
    }
    return true;
}

QString ComputerTimeCode(const TLocalClock& clock) {
    const QTime t = clock ? clock() : QTime::currentTime();
    if (!t.isValid())
        return {};
    return QString::asprintf("%02d:%02d:%02d:00", t.hour(), t.minute(), t.second());
}

// The level report's states; the numbers follow the order of the report's fields.
enum TLevelState : int {
    kLevelDone = -1,
    kLevelNewRecord = 0,
    kLevelMarker = 1,
    kLevelTimeCode = 2,
    kLevelPeakChannel = 3,
    kLevelInstantaneousPeak = 4,
    kLevelLoudnessHi = 5,
    kLevelLoudnessLow = 6,
    kLevelIntegrating = 7,
    kLevelComplete = 8,
};

} // namespace

int SlidingWindowIndex(int iSeconds) {
    switch (iSeconds) {
    case 0:
        return 0;
    case 3:
        return 1;
    case 10:
        return 2;
    case 30:
        return 3;
    default:
        return 4;
    }
}

void ParseLevelReport(QStringView text, TLoudnessData& records, int iTimeSource, const TLocalClock& clock) {
    records.clear();
    TMarkerMatcher marker(kLevelReportLetter);
    TFieldCollector field;
    QString sTimeCodeText;
    qsizetype iPos = 0;
    int iState = kLevelNewRecord;

    // A field step that fails looks at its character again as a possible marker, so a truncated report
    // directly followed by a complete one loses only the truncated one.
    auto advanceOrResync = [&](TFieldStep step, QChar c) {
        if (step == TFieldStep::Done) {
            ++iState;
        } else if (step == TFieldStep::Failed) {
            iState = kLevelMarker;
            marker.Step(c);
        }
    };

    while (iState != kLevelDone) {
        if (iState == kLevelNewRecord) {
            records.append(TLoudnessDataRec{});
            field.Clear();
            sTimeCodeText.clear();
            iState = kLevelMarker;
            continue;
        }
        if (iState == kLevelComplete) {
            records.last().bValid = true;
            const bool bMore = iPos < text.size() && records.size() < kMaxRecordsPerParse;
            iState = bMore ? kLevelNewRecord : kLevelDone;
            continue;
        }
        if (iPos >= text.size())
            break; // the text ended inside a report: the current record stays, not valid
        const QChar c = text[iPos++];
        TLoudnessDataRec& rec = records.last();

        switch (iState) {
        case kLevelMarker:
            if (marker.Step(c))
                iState = kLevelTimeCode;
            break;
        case kLevelTimeCode:
            if (IsAsciiDigit(c) || c == u':') {
                if (sTimeCodeText.size() <= kTimeCodeLength)
                    sTimeCodeText.append(c);
                break;
            }
            if (c == kFieldEnd && MatchesTimeCodeMask(sTimeCodeText)) {
                rec.bPaused = sTimeCodeText.endsWith(kPausedFrames);
                QString sTimeCode = sTimeCodeText.left(kTimeCodeLength - kStoredFrames.size());
                sTimeCode.append(kStoredFrames);
                if (iTimeSource == kTimeSourceComputer) {
                    const QString sComputer = ComputerTimeCode(clock);
                    if (!sComputer.isEmpty())
                        sTimeCode = sComputer;
                }
                rec.sTimeCode = sTimeCode.left(kTimeCodeLength);
                iState = kLevelPeakChannel;
            } else {
                iState = kLevelMarker;
                marker.Step(c);
            }
            sTimeCodeText.clear();
            break;
        case kLevelPeakChannel:
            advanceOrResync(field.IntegerStep(c, rec.iPeakChannel), c);
            break;
        case kLevelInstantaneousPeak:
            advanceOrResync(field.RealStep(c, rec.nInstantaneousPeak), c);
            break;
        case kLevelLoudnessHi:
            advanceOrResync(field.RealStep(c, rec.nLoudnessHi), c);
            break;
        case kLevelLoudnessLow:
            advanceOrResync(field.RealStep(c, rec.nLoudnessLow), c);
            break;
        case kLevelIntegrating:
            advanceOrResync(field.RealStep(c, rec.nIntegrating), c);
            break;
        default:
            iState = kLevelDone;
            break;
        }
    }
}

void ParseSetupReport(QStringView text, TLoudnessSetup& setup) {
    setup.iSlidingWindow = kValueNotReceived;
    setup.fGateLevel = kValueNotReceived;
    setup.fMeterPeakLevel = kValueNotReceived;
    setup.iGateMode = kValueNotReceived;
    setup.bValid = false;

    // States 2 to 11 are the ten fields in the order the meter sends them.
    enum : int {
        kMarker = 1,
        kPeakMode,
        kCapture,
        kScaleMode,
        kReference,
        kSlidingWindow,
        kGateLevel,
        kReferenceLevel,
        kPeakLevel,
        kUnused,
        kFilter,
        kComplete,
    };

    TMarkerMatcher marker(kSetupReportLetter);
    TFieldCollector field;
    int iState = kMarker;
    qsizetype iPos = 0;

    while (iState != kComplete && iPos < text.size()) {
        const QChar c = text[iPos++];
        if (iState == kMarker) {
            if (marker.Step(c))
                iState = kPeakMode;
            continue;
        }

        int iValue = 0;
        double nValue = 0.0;
        const bool bReal = iState == kGateLevel || iState == kReferenceLevel || iState == kPeakLevel;
        const TFieldStep step = bReal ? field.RealStep(c, nValue) : field.IntegerStep(c, iValue);
        if (step == TFieldStep::Pending)
            continue;
        if (step == TFieldStep::Failed) {
            // As for level reports: the offending character may begin the next report.
            iState = kMarker;
            marker.Step(c);
            continue;
        }

        switch (iState) {
        case kPeakMode:
            setup.iPeakMode = iValue;
            break;
        case kCapture:
            setup.iCapture = iValue;
            break;
        case kScaleMode:
            setup.iScaleMode = iValue;
            break;
        case kReference:
            setup.iReference = iValue;
            break;
        case kSlidingWindow:
            setup.iSlidingWindow = SlidingWindowIndex(iValue);
            break;
        case kGateLevel:
            setup.fGateLevel = nValue;
            break;
        case kReferenceLevel:
            // The meter sends the reference level as a code: -(code / 10 + 20) LU.
            setup.fReferenceLevel = -(nValue / 10.0 + 20.0);
            break;
        case kPeakLevel:
            // The peak level code is 6 above the level in dBFS.
            setup.fMeterPeakLevel = nValue - 6.0;
            break;
        case kFilter:
            setup.iFilter = iValue;
            break;
        default:
            break; // the unused integer: read and ignored
        }
        ++iState;
    }
    setup.bValid = iState == kComplete;
}

} // namespace engine
