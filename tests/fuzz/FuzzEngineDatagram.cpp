// Feeds arbitrary datagrams to the message port's decoder, the field splitter and every message's decoder
// the window uses on their text, and checks that what the sender encodes is what the window decodes.
#include "FuzzCommon.h"
#include "engine/EngineMessages.h"

#include <QByteArray>
#include <QString>
#include <cmath>
#include <initializer_list>

using qxfuzz::Require;

namespace {

void CheckDecoded(const QByteArray& Datagram) {
    const std::optional<TEngineDatagram> Decoded = DecodeEngineDatagram(Datagram);
    const bool bWellFormed = Datagram.size() > 4 && Datagram.at(1) == '\0' && Datagram.back() == '\0';
    Require(Decoded.has_value() == bWellFormed);
    if (!Decoded)
        return;
    Require(Decoded->iCode == quint8(Datagram.at(0)));
    // Every byte between the header and the final 0 is one character, whatever the length byte says.
    Require(Decoded->sText.size() == Datagram.size() - 4);
    for (qsizetype i = 0; i < Decoded->sText.size(); ++i)
        Require(Decoded->sText.at(i).unicode() == quint8(Datagram.at(i + 3)));
}

// The fields never hold the separator, and joined again they give the text up to its last used separator.
void CheckFields(const QString& sText, int iCount) {
    const QStringList Fields = SplitMessageFields(sText, iCount);
    Require(Fields.size() == qMax(iCount, 0));
    QString sJoined;
    int iBars = 0;
    for (const QString& sField : Fields) {
        Require(!sField.contains(u'|'));
        if (iBars < sText.count(u'|')) {
            sJoined += sField + u'|';
            ++iBars;
        } else {
            Require(sField.isEmpty());
        }
    }
    Require(sText.startsWith(sJoined));
}

// Whatever the text, a number the window takes from it is a measurement: never nan or inf.
void RequireFinite(std::initializer_list<std::optional<double>> aValues) {
    for (const std::optional<double>& f : aValues)
        Require(!f || std::isfinite(*f));
}

void CheckMessageDecoders(const QString& sText) {
    const TLevelRecordMessage Level = DecodeLevelRecordMessage(sText);
    RequireFinite({Level.fMeterPeakLevel, Level.fGateLevel, Level.nLoudnessHi, Level.nLoudnessLow,
                   Level.nInstantaneousPeak, Level.nLoudnessIntegrating});
    const TLoudnessSetupMessage Setup = DecodeLoudnessSetupMessage(sText);
    RequireFinite({Setup.fGateLevel, Setup.fReferenceLevel, Setup.fMeterPeakLevel});
    static_cast<void>(DecodeLogMessage(sText));
    static_cast<void>(DecodeInstrumentNameMessage(sText));
    static_cast<void>(DecodeSerialNumberMessage(sText));
    static_cast<void>(DecodeInstrumentInfoMessage(sText));
    static_cast<void>(DecodeTimeCodeMessage(sText));
}

void CheckRoundTrip(int iCode, const QString& sText) {
    const QByteArray Datagram = EncodeEngineDatagram(iCode, sText);
    const QByteArray Kept = FilterMessageText(sText);
    Require(Kept.size() <= sText.size());
    const std::optional<TEngineDatagram> Decoded = DecodeEngineDatagram(Datagram);
    // An empty text makes a 4-byte datagram, which the receiver ignores.
    Require(Decoded.has_value() == !Kept.isEmpty());
    if (!Decoded)
        return;
    Require(Decoded->iCode == quint8(iCode));
    Require(Decoded->sText == QString::fromLatin1(Kept));
    // The length byte tells the count below 128 and is 63 above.
    Require(quint8(Datagram.at(2)) == (Kept.size() < 128 ? Kept.size() : 63));
    for (QChar c : Decoded->sText)
        Require(c.unicode() >= 32 && c.unicode() <= 125 && c != u'?' && c != u'@' && c != u'\\' &&
                c != u'^' && c != u'`' && c != u'~');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray Datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    CheckDecoded(Datagram);
    if (const std::optional<TEngineDatagram> Decoded = DecodeEngineDatagram(Datagram))
        CheckMessageDecoders(Decoded->sText);

    qxfuzz::TInput Input(data, size);
    const int iCode = Input.Byte();
    const int iCount = int(Input.Byte() % 16) - 1;
    size_t nRest = 0;
    const char* pRest = Input.Rest(nRest);
    const QString sLatin1 = QString::fromLatin1(pRest, qsizetype(nRest));
    CheckFields(sLatin1, iCount);
    CheckFields(sLatin1, 10);
    CheckMessageDecoders(sLatin1);
    // Any text the thread may be handed, including characters beyond one byte.
    CheckRoundTrip(iCode, QString::fromUtf8(pRest, qsizetype(nRest)));
    CheckRoundTrip(iCode, sLatin1);
    return 0;
}
