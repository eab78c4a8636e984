#include "engine/ReportParser.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace engine {

namespace {

// Field texts longer than this are no meter value; refusing them keeps conversions cheap on hostile input.
constexpr qsizetype kMaxFieldLength = 64;

constexpr char kFieldEnd = ';';
constexpr char kLevelReportLetter = 'L';
constexpr char kSetupReportLetter = 'I';

// Frames "01" are the meter's pause flag; stored timecodes always carry frames "00".
constexpr char kPausedFrames[] = ":01";
constexpr qsizetype kFramesLength = 2;

// The line marker: the letter, possibly followed by other characters, then ";".
class TMarkerMatcher {
public:
    explicit TMarkerMatcher(char cMarker) : FMarker(cMarker) {}

    // True when c completes the marker.
    bool Step(char c) {
        if (c == FMarker) {
            FSeen = true;
        } else if (c == kFieldEnd && FSeen) {
            FSeen = false;
            return true;
        }
        return false;
    }

private:
    char FMarker;
    bool FSeen = false;
};

// Only ASCII digits count: no other byte is a digit of a meter value.
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

enum class TFieldStep { Pending, Done, Failed };

// Collects one field's bytes and converts them when its ";" arrives; the whole text must be the number.
// Reals always use ".", whatever the locale.
class TFieldCollector {
public:
    TFieldStep IntegerStep(char c, int& iValue) {
        if (c == '-' || IsAsciiDigit(c)) {
            Append(c);
            return TFieldStep::Pending;
        }
        if (c == ' ')
            return TFieldStep::Pending;
        bool ok = false;
        if (c == kFieldEnd && FLength <= kMaxFieldLength) {
            // A failed conversion leaves the field with what it had.
            int i = 0;
            const auto [pEnd, ec] = std::from_chars(FText, FText + FLength, i);
            ok = ec == std::errc() && pEnd == FText + FLength;
            if (ok)
                iValue = i;
        }
        FLength = 0;
        return ok ? TFieldStep::Done : TFieldStep::Failed;
    }

    TFieldStep RealStep(char c, double& nValue) {
        if (c == '-' || c == '.' || IsAsciiDigit(c)) {
            Append(c);
            return TFieldStep::Pending;
        }
        if (c == ' ')
            return TFieldStep::Pending;
        bool ok = false;
        if (c == kFieldEnd && FLength <= kMaxFieldLength) {
            double n = 0.0;
            const auto [pEnd, ec] = std::from_chars(FText, FText + FLength, n, std::chars_format::fixed);
            ok = ec == std::errc() && pEnd == FText + FLength && std::isfinite(n);
            if (ok)
                nValue = n;
        }
        FLength = 0;
        return ok ? TFieldStep::Done : TFieldStep::Failed;
    }

    void Clear() { FLength = 0; }

private:
    // One byte past the limit is kept, so an overlong field still fails at its ";".
    void Append(char c) {
        if (FLength <= kMaxFieldLength)
            FText[FLength++] = c;
    }

    char FText[kMaxFieldLength + 1] = {};
    qsizetype FLength = 0;
};

// The timecode field's bytes, hh:mm:ss:ff, collected like a field.
class TTimeCodeCollector {
public:
    // Digits and ":" are kept (one past the length, so a longer text fails the mask).
    bool Accepts(char c) {
        if (!IsAsciiDigit(c) && c != ':')
            return false;
        if (FLength <= kTimeCodeLength)
            FText[FLength++] = c;
        return true;
    }

    // Two digits, ":", two digits, ":", two digits, ":", two digits.
    bool MatchesMask() const {
        if (FLength != kTimeCodeLength)
            return false;
        for (qsizetype i = 0; i < FLength; ++i) {
            const bool bSeparator = (i % 3) == 2;
            if (bSeparator ? FText[i] != ':' : !IsAsciiDigit(FText[i]))
                return false;
        }
        return true;
    }

    bool Paused() const { return std::memcmp(FText + kTimeCodeLength - 3, kPausedFrames, 3) == 0; }

    // The timecode with frames "00".
    QString Stored() const {
        char s[kTimeCodeLength];
        std::memcpy(s, FText, kTimeCodeLength - kFramesLength);
        std::memset(s + kTimeCodeLength - kFramesLength, '0', kFramesLength);
        return QString::fromLatin1(s, kTimeCodeLength);
    }

    void Clear() { FLength = 0; }

private:
    char FText[kTimeCodeLength + 1] = {};
    qsizetype FLength = 0;
};

QString ComputerTimeCode(const TLocalClock& clock) {
    const QTime t = clock ? clock() : QTime::currentTime();
    if (!t.isValid())
        return {};
    return QString::asprintf("%02d:%02d:%02d:00", t.hour(), t.minute(), t.second());
}

// The level report's states, in the order of the report's fields.
enum TLevelState : int {
    kLevelMarker,
    kLevelTimeCode,
    kLevelPeakChannel,
    kLevelInstantaneousPeak,
    kLevelLoudnessHi,
    kLevelLoudnessLow,
    kLevelIntegrating,
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

void ParseLevelReport(QByteArrayView text, TLoudnessData& records, int iTimeSource,
                      const TLocalClock& clock) {
    records.clear();
    records.append(TLoudnessDataRec{});
    TLoudnessDataRec* rec = &records.last();
    TMarkerMatcher marker(kLevelReportLetter);
    TFieldCollector field;
    TTimeCodeCollector timeCode;
    int iState = kLevelMarker;
    const char* const pText = text.data();
    const qsizetype iSize = text.size();

    // A field step that fails looks at its byte again as a possible marker, so a truncated report directly
    // followed by a complete one loses only the truncated one.
    auto advanceOrResync = [&](TFieldStep step, char c) {
        if (step == TFieldStep::Done) {
            ++iState;
        } else if (step == TFieldStep::Failed) {
            iState = kLevelMarker;
            marker.Step(c);
        }
    };

    for (qsizetype iPos = 0; iPos < iSize;) {
        const char c = pText[iPos++];
        switch (iState) {
        case kLevelMarker:
            if (marker.Step(c))
                iState = kLevelTimeCode;
            break;
        case kLevelTimeCode:
            if (timeCode.Accepts(c))
                break;
            if (c == kFieldEnd && timeCode.MatchesMask()) {
                rec->bPaused = timeCode.Paused();
                rec->sTimeCode = timeCode.Stored();
                if (iTimeSource == kTimeSourceComputer) {
                    QString sComputer = ComputerTimeCode(clock);
                    if (!sComputer.isEmpty())
                        rec->sTimeCode = std::move(sComputer);
                }
                iState = kLevelPeakChannel;
            } else {
                iState = kLevelMarker;
                marker.Step(c);
            }
            timeCode.Clear();
            break;
        case kLevelPeakChannel:
            advanceOrResync(field.IntegerStep(c, rec->iPeakChannel), c);
            break;
        case kLevelInstantaneousPeak:
            advanceOrResync(field.RealStep(c, rec->nInstantaneousPeak), c);
            break;
        case kLevelLoudnessHi:
            advanceOrResync(field.RealStep(c, rec->nLoudnessHi), c);
            break;
        case kLevelLoudnessLow:
            advanceOrResync(field.RealStep(c, rec->nLoudnessLow), c);
            break;
        default: // kLevelIntegrating
            advanceOrResync(field.RealStep(c, rec->nIntegrating), c);
            if (iState == kLevelIntegrating || iState == kLevelMarker)
                break;
            // The report is complete; whatever follows begins a new record.
            rec->bValid = true;
            if (iPos >= iSize || records.size() >= kMaxRecordsPerParse)
                return;
            records.append(TLoudnessDataRec{});
            rec = &records.last();
            field.Clear();
            timeCode.Clear();
            iState = kLevelMarker;
            break;
        }
    }
    // The text ended inside a report: the current record stays, not valid.
}

void ParseLevelReport(QStringView text, TLoudnessData& records, int iTimeSource, const TLocalClock& clock) {
    ParseLevelReport(QByteArrayView(text.toLatin1()), records, iTimeSource, clock);
}
void ParseSetupReport(QByteArrayView text, TLoudnessSetup& setup) {
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
        const char c = text[iPos++];
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

void ParseSetupReport(QStringView text, TLoudnessSetup& setup) {
    ParseSetupReport(QByteArrayView(text.toLatin1()), setup);
}

} // namespace engine
