// Feeds arbitrary texts to the credential decoder as they may stand in a settings file, and records built
// to pass its checksum so that the record parser behind it is reached too.
#include "FuzzCommon.h"
#include "core/Scrambler.h"

#include <QByteArray>
#include <QString>

using qxfuzz::Require;

namespace {

// The stored form of a chosen record: the running-key cipher the program writes, and a valid checksum.
QString StoredForm(const QByteArray& aBody, quint16 wSeed) {
    quint16 wSum = 0;
    for (char c : aBody)
        wSum = quint16(wSum + quint8(c));
    QByteArray aPlain = aBody + QByteArray::number(wSum ^ 0xFFFF, 16).rightJustified(4, '0').toUpper();
    quint16 wKey = wSeed;
    for (char& c : aPlain) {
        const quint8 y = quint8(c) ^ quint8(wKey >> 8);
        c = char(y);
        wKey = quint16((wKey + y) * kScrambleC1 + kScrambleC2);
    }
    return QString::fromLatin1(aPlain.toBase64());
}

void CheckDecrypt(const QString& sStored, quint16 wSeed) {
    QString sText = sStored;
    int iLogged = 0;
    const bool bOk = DecryptString(sText, wSeed, [&](const QString& sLine) {
        ++iLogged;
        Require(sLine.endsWith(u"|0"));
    });
    Require(iLogged == (sStored.size() % 4 != 0 ? 1 : 0));
    // A failure leaves the stored text as it was.
    Require(bOk || sText == sStored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qxfuzz::TInput Input(data, size);
    const quint16 wSeed = quint16(Input.Byte() << 8 | Input.Byte());
    size_t nRest = 0;
    const char* pRest = Input.Rest(nRest);
    const QByteArray aRest(pRest, qsizetype(nRest));

    // The text as it could stand in the file.
    CheckDecrypt(QString::fromUtf8(aRest), wSeed);
    CheckDecrypt(QString::fromLatin1(aRest), kScrambleSeed);

    // A record with a valid checksum: it opens when it has a value field ended by a separator.
    QString sText = StoredForm(aRest, wSeed);
    const bool bOk = DecryptString(sText, wSeed);
    Require(bOk == (aRest.count('|') >= 2));

    // Whatever the user types comes back unchanged.
    const QString sValue = QString::fromUtf8(aRest);
    QString sStored = sValue;
    Require(EncryptString(sStored, wSeed));
    Require(sStored.size() % 4 == 0);
    Require(DecryptString(sStored, wSeed) && sStored == sValue);
    return 0;
}
