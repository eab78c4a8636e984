#include "engine/EngineMessages.h"

#include "core/EngineCodes.h"

#include <cmath>
#include <concepts>
#include <type_traits>

namespace {

bool IsAllowedMessageChar(char16_t c) {
    return (c >= 32 && c <= 62) || (c >= 65 && c <= 91) || c == 93 || c == 95 || (c >= 97 && c <= 125);
}

// The length byte tells the character count below 128; the receiver never reads it.
constexpr int kLongTextLengthMark = 63;
constexpr int kLengthLimit = 128;
constexpr int kHeaderSize = 3;
// Booleans travel as numbers.
constexpr int kTrue = -1;
constexpr int kFalse = 0;
// Fields read from a record's text.
constexpr int kRecordFields = 11;

// Writes "|"-ended fields; an empty optional leaves its field empty.
class TFieldWriter {
public:
    TFieldWriter& Add(const std::optional<QString>& s) {
        sText += s.value_or(QString()) + QLatin1Char('|');
        return *this;
    }
    TFieldWriter& Add(const std::optional<int>& i) {
        return Add(i ? std::optional<QString>(QString::number(*i)) : std::nullopt);
    }
    TFieldWriter& Add(const std::optional<double>& f) {
        return Add(f ? std::optional<QString>(FormatMessageReal(*f)) : std::nullopt);
    }
    TFieldWriter& Add(const std::optional<bool>& b) {
        return Add(b ? std::optional<int>(*b ? kTrue : kFalse) : std::nullopt);
    }
    QString Text() const { return sText; }

private:
    QString sText;
};

std::optional<int> ToInt(const QString& sField) {
    bool bOk = false;
    const int i = sField.toInt(&bOk);
    return bOk ? std::optional<int>(i) : std::nullopt;
}

// Reads "|"-ended fields in order; a field past the last "|" is empty.
class TFieldReader {
public:
    explicit TFieldReader(const QString& sText) : Fields(SplitMessageFields(sText, kRecordFields)) {}

    TFieldReader& Get(std::optional<QString>& s) {
        const QString& sField = Next();
        s = sField.isEmpty() ? std::nullopt : std::optional<QString>(sField);
        return *this;
    }
    TFieldReader& Get(std::optional<int>& i) {
        i = ToInt(Next());
        return *this;
    }
    TFieldReader& Get(std::optional<double>& f) {
        bool bOk = false;
        const double fValue = Next().toDouble(&bOk);
        // "nan" and "inf" read as numbers but are no level: a stored row must hold a real measurement.
        f = bOk && std::isfinite(fValue) ? std::optional<double>(fValue) : std::nullopt;
        return *this;
    }
    TFieldReader& Get(std::optional<bool>& b) {
        const std::optional<int> i = ToInt(Next());
        b = i ? std::optional<bool>(*i != kFalse) : std::nullopt;
        return *this;
    }

private:
    const QString& Next() { return Fields.at(iNext++); }

    QStringList Fields;
    int iNext = 0;
};

} // namespace

QByteArray FilterMessageText(const QString& sText) {
    QByteArray Kept;
    Kept.reserve(sText.size());
    for (QChar c : sText) {
        if (IsAllowedMessageChar(c.unicode()))
            Kept.append(char(c.unicode()));
    }
    return Kept;
}

QByteArray EncodeEngineDatagram(int iCode, const QString& sText) {
    const QByteArray Kept = FilterMessageText(sText);
    QByteArray Datagram;
    Datagram.reserve(Kept.size() + kHeaderSize + 1);
    Datagram.append(char(quint8(iCode)));
    Datagram.append(char(kThreadNumber));
    Datagram.append(char(Kept.size() < kLengthLimit ? Kept.size() : kLongTextLengthMark));
    Datagram.append(Kept);
    Datagram.append('\0');
    return Datagram;
}

std::optional<TEngineDatagram> DecodeEngineDatagram(const QByteArray& Datagram) {
    if (Datagram.size() <= 4 || Datagram.at(1) != char(kThreadNumber) || Datagram.back() != '\0')
        return std::nullopt;
    TEngineDatagram Result;
    Result.iCode = quint8(Datagram.at(0));
    // One character per byte, as the sender wrote them; bytes above 127 from a foreign sender stay
    // distinct characters instead of turning into replacement characters.
    Result.sText = QString::fromLatin1(Datagram.constData() + kHeaderSize, Datagram.size() - kHeaderSize - 1);
    return Result;
}

QStringList SplitMessageFields(const QString& sText, int iCount) {
    QStringList Fields;
    Fields.reserve(iCount);
    qsizetype iPos = 0;
    for (int i = 0; i < iCount; ++i) {
        const qsizetype iBar = iPos <= sText.size() ? sText.indexOf('|', iPos) : -1;
        if (iBar < 0) {
            Fields.append(QString());
            iPos = sText.size() + 1;
            continue;
        }
        Fields.append(sText.mid(iPos, iBar - iPos));
        iPos = iBar + 1;
    }
    return Fields;
}

QString FormatMessageReal(double fValue) {
    return QString::number(fValue, 'g', 15);
}

QString EncodeLogMessage(const TLogMessage& m) {
    return m.sLine;
}

TLogMessage DecodeLogMessage(const QString& sText) {
    return {sText};
}

QString EncodeInstrumentNameMessage(const TInstrumentNameMessage& m) {
    return m.sInstrumentName;
}

TInstrumentNameMessage DecodeInstrumentNameMessage(const QString& sText) {
    return {sText};
}

QString EncodeSerialNumberMessage(const TSerialNumberMessage& m) {
    return m.iSerialNo ? QString::number(*m.iSerialNo) : QString();
}

TSerialNumberMessage DecodeSerialNumberMessage(const QString& sText) {
    return {ToInt(sText)};
}

namespace {

// Each record's field layout, once: the encoder and the decoder both walk it.
template <typename TMessage>
concept LevelRecord = std::same_as<std::remove_const_t<TMessage>, TLevelRecordMessage>;
template <typename TMessage>
concept LoudnessSetup = std::same_as<std::remove_const_t<TMessage>, TLoudnessSetupMessage>;
template <typename TMessage>
concept InstrumentInfo = std::same_as<std::remove_const_t<TMessage>, TInstrumentInfoMessage>;

template <LevelRecord TMessage, typename TVisit> void VisitFields(TMessage& m, TVisit&& Visit) {
    Visit(m.sTimeCode);
    Visit(m.fMeterPeakLevel);
    Visit(m.fGateLevel);
    Visit(m.nLoudnessHi);
    Visit(m.nLoudnessLow);
    Visit(m.nInstantaneousPeak);
    Visit(m.iSlidingWindow);
    Visit(m.iPeakChannel);
    Visit(m.nLoudnessIntegrating);
    Visit(m.iPeakCount);
    Visit(m.bValid);
}

template <LoudnessSetup TMessage, typename TVisit> void VisitFields(TMessage& m, TVisit&& Visit) {
    Visit(m.iPeakMode);
    Visit(m.iCapture);
    Visit(m.iScaleMode);
    Visit(m.iReference);
    Visit(m.iSlidingWindow);
    Visit(m.fGateLevel);
    Visit(m.iGateMode);
    Visit(m.fReferenceLevel);
    Visit(m.fMeterPeakLevel);
    Visit(m.iFilter);
}

template <InstrumentInfo TMessage, typename TVisit> void VisitFields(TMessage& m, TVisit&& Visit) {
    Visit(m.sTypeName);
    Visit(m.iTypeNo);
    Visit(m.iSerialNo);
    Visit(m.sReserved);
    Visit(m.iReserved1);
    Visit(m.iReserved2);
    Visit(m.iSoftwarePackage);
    Visit(m.iRunVerMajor);
    Visit(m.iRunVerMinor);
    Visit(m.iFPGAVersion);
}

template <typename TMessage> QString EncodeFields(const TMessage& m) {
    TFieldWriter Writer;
    VisitFields(m, [&](const auto& Field) { Writer.Add(Field); });
    return Writer.Text();
}

template <typename TMessage> TMessage DecodeFields(const QString& sText) {
    TMessage m;
    TFieldReader Reader(sText);
    VisitFields(m, [&](auto& Field) { Reader.Get(Field); });
    return m;
}

} // namespace

QString EncodeLevelRecordMessage(const TLevelRecordMessage& m) {
    return EncodeFields(m);
}

TLevelRecordMessage DecodeLevelRecordMessage(const QString& sText) {
    return DecodeFields<TLevelRecordMessage>(sText);
}

QString EncodeLoudnessSetupMessage(const TLoudnessSetupMessage& m) {
    return EncodeFields(m);
}

TLoudnessSetupMessage DecodeLoudnessSetupMessage(const QString& sText) {
    return DecodeFields<TLoudnessSetupMessage>(sText);
}

QString EncodeInstrumentInfoMessage(const TInstrumentInfoMessage& m) {
    return EncodeFields(m);
}

TInstrumentInfoMessage DecodeInstrumentInfoMessage(const QString& sText) {
    return DecodeFields<TInstrumentInfoMessage>(sText);
}

QString EncodeTimeCodeMessage(const TTimeCodeMessage& m) {
    return m.sTimeCode + QLatin1Char('|');
}

TTimeCodeMessage DecodeTimeCodeMessage(const QString& sText) {
    return {sText.section(QLatin1Char('|'), 0, 0)};
}
