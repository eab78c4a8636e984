#include "core/Scrambler.h"

#include <QByteArray>
#include <QDateTime>
#include <QRandomGenerator>
#include <cctype>

namespace {

constexpr char kFieldSeparator = '|';
constexpr int kChecksumDigits = 4;

// Running-key stream cipher: the key follows the scrambled bytes in both directions.
QByteArray Scramble(const QByteArray& aPlain, quint16 wSeed) {
    QByteArray aOut(aPlain.size(), '\0');
    quint16 wKey = wSeed;
    for (qsizetype i = 0; i < aPlain.size(); ++i) {
        const quint8 y = static_cast<quint8>(aPlain[i]) ^ static_cast<quint8>(wKey >> 8);
        aOut[i] = static_cast<char>(y);
        wKey = static_cast<quint16>((wKey + y) * kScrambleC1 + kScrambleC2);
    }
    return aOut;
}

QByteArray Unscramble(const QByteArray& aScrambled, quint16 wSeed) {
    QByteArray aOut(aScrambled.size(), '\0');
    quint16 wKey = wSeed;
    for (qsizetype i = 0; i < aScrambled.size(); ++i) {
        const quint8 y = static_cast<quint8>(aScrambled[i]);
        aOut[i] = static_cast<char>(y ^ static_cast<quint8>(wKey >> 8));
        wKey = static_cast<quint16>((wKey + y) * kScrambleC1 + kScrambleC2);
    }
    return aOut;
}

quint16 Checksum(QByteArrayView aBytes) {
    quint16 wSum = 0;
    for (char c : aBytes)
        wSum = static_cast<quint16>(wSum + static_cast<quint8>(c));
    return wSum ^ 0xFFFF;
}

QByteArray Hex(uint nValue, int iDigits) {
    return QByteArray::number(nValue, 16).rightJustified(iDigits, '0').toUpper();
}

} // namespace

bool EncryptString(QString& sText, quint16 wSeed) {
    QRandomGenerator* pRandom = QRandomGenerator::global();
    const uint r1 = pRandom->bounded(255u);
    const uint r2 = pRandom->bounded(255u);
    QByteArray aPlain;
    aPlain += Hex(r1, 2);
    aPlain += kFieldSeparator;
    aPlain += sText.toUtf8();
    aPlain += kFieldSeparator;
    aPlain += Hex(r2, 2);
    aPlain += kFieldSeparator;
    aPlain += QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh:mm:ss:zzz")).toLatin1();
    aPlain += kFieldSeparator;
    aPlain += Hex(Checksum(aPlain), kChecksumDigits);
    sText = QString::fromLatin1(Scramble(aPlain, wSeed).toBase64());
    return true;
}

bool DecryptString(QString& sText, quint16 wSeed, const TLogLine& fnLog) {
    if (sText.size() % 4 != 0) {
        if (fnLog)
            fnLog(QStringLiteral("Decrypt Error: ") + sText + QStringLiteral("|0"));
        return false;
    }
    for (QChar c : sText) {
        if (c.unicode() > 0x7F)
            return false;
    }
    const QByteArray::FromBase64Result rDecoded =
        QByteArray::fromBase64Encoding(sText.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!rDecoded)
        return false;
    const QByteArray aPlain = Unscramble(*rDecoded, wSeed);
    if (aPlain.size() < kChecksumDigits)
        return false;
    const QByteArray aDigits = aPlain.right(kChecksumDigits);
    for (char c : aDigits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    const QByteArrayView aBody(aPlain.constData(), aPlain.size() - kChecksumDigits);
    if (aDigits.toUInt(nullptr, 16) != Checksum(aBody))
        return false;
    // The value sits between the first separator and the three that end the record (random number, time
    // stamp, checksum), so a value that itself holds "|" comes back whole.
    const qsizetype iFirst = aBody.indexOf(kFieldSeparator);
    if (iFirst < 0)
        return false;
    qsizetype iEnd = aBody.size();
    int iTrailing = 0;
    while (iTrailing < 3 && iEnd > iFirst) {
        iEnd = aBody.lastIndexOf(kFieldSeparator, iEnd - 1);
        if (iEnd <= iFirst)
            break;
        ++iTrailing;
    }
    if (iTrailing < 3) {
        // A shorter record: the value runs to the second separator.
        iEnd = aBody.indexOf(kFieldSeparator, iFirst + 1);
        if (iEnd < 0)
            return false;
    }
    sText = QString::fromUtf8(aBody.sliced(iFirst + 1, iEnd - iFirst - 1));
    return true;
}
