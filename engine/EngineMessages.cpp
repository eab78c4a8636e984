#include "engine/EngineMessages.h"

#include "core/EngineCodes.h"

namespace {

bool IsAllowedMessageChar(char16_t c) {
    return (c >= 32 && c <= 62) || (c >= 65 && c <= 91) || c == 93 || c == 95 || (c >= 97 && c <= 125);
}

// The length byte tells the character count below 128; the receiver never reads it.
constexpr int kLongTextLengthMark = 63;
constexpr int kLengthLimit = 128;
constexpr int kHeaderSize = 3;

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
