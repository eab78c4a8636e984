#include "meter/MeterInfo.h"

#include "meter/MeterCommands.h"

namespace {

// Status record offsets.
constexpr int kOffSystemMode = 1;
constexpr int kOffRS232 = 7;
constexpr int kOffHWVer = 9;
constexpr int kHWVerChars = 3;
constexpr int kOffRunVerMajor = 12;
constexpr int kOffUSBSerial = 15;
constexpr int kUSBSerialChars = 12;
constexpr int kOffSerialNo = 27;
constexpr int kOffHWID = 29;
constexpr int kOffFPGAVersion = 30;
constexpr int kLineEndBytes = 2;
constexpr quint8 kChecksumMask = 0x55;

struct THWIDType {
    quint8 HWID;
    int TypeNo;
};
constexpr THWIDType kHWIDTypes[] = {{208, 21}, {209, 22}, {210, 25}, {211, 27},
                                    {220, 23}, {221, 24}, {222, 26}, {223, 28}};

// Model names of our meters by type number; 0, 12 and 13 name states rather than models.
const char* const kTypeNames[kTypeNoCount] = {
    "Unknown Instrument",
    "qxMeter PM-1",
    "qxMeter PM-2",
    "qxMeter PM-2 Stereo",
    "qxMeter PM-4",
    "qxMeter PM-4 Surround",
    "qxMeter LM-1",
    "qxMeter LM-1 Rack",
    "qxMeter LM-2",
    "qxMeter LM-2 Rack",
    "qxMeter LM-3",
    "qxMeter LM-3 Rack",
    "Not Connected",
    "Instrument in BIOS-Mode",
    "qxMeter LX Classic",
    "qxMeter LX Classic Rack",
    "qxMeter LX-2",
    "qxMeter LX-2 Rack",
    "qxMeter Reserved 18",
    "qxMeter Reserved 19",
    "qxMeter Reserved 20",
    "qxMeter Q5 Desk",
    "qxMeter Q5 Rack",
    "qxMeter Q5 Desk Surround",
    "qxMeter Q5 Rack Surround",
    "qxMeter Q7 Desk",
    "qxMeter Q7 Rack",
    "qxMeter Q7 Desk Surround",
    "qxMeter Q7 Rack Surround",
};

quint8 ByteAt(const QByteArray& Bytes, int i) {
    return quint8(Bytes.at(i));
}

// Fixed-width text from the record, one character per byte; a meter pads with NUL, which ends the text.
QString FixedText(const QByteArray& Bytes, int iOffset, int iChars) {
    QByteArray Field = Bytes.mid(iOffset, iChars);
    const qsizetype iNul = Field.indexOf('\0');
    if (iNul >= 0)
        Field.truncate(iNul);
    return QString::fromLatin1(Field);
}

} // namespace

int TypeNoFromHWID(quint8 HWID, const QString& USBSerial) {
    for (const THWIDType& Entry : kHWIDTypes)
        if (Entry.HWID == HWID)
            return Entry.TypeNo;
    if (USBSerial.startsWith(QLatin1String(kTextMeterUSBPrefix)))
        return kTypeNoTextMeter;
    return kTypeNoUnknown;
}

QString TypeNameOf(int TypeNo) {
    if (TypeNo < 0 || TypeNo >= kTypeNoCount)
        TypeNo = kTypeNoUnknown;
    return QString::fromLatin1(kTypeNames[TypeNo]);
}

QStringList TypeNames() {
    QStringList sl;
    for (const char* sName : kTypeNames)
        sl.append(QString::fromLatin1(sName));
    return sl;
}

quint8 StatusChecksum(const QByteArray& Bytes, int iCount) {
    quint32 iSum = 0;
    for (int i = 0; i < iCount && i < Bytes.size(); ++i)
        iSum += ByteAt(Bytes, i);
    return quint8((iSum & 0xFF) ^ kChecksumMask);
}

bool DecodeStatusRecord(const QByteArray& Reply, TqxMeterInfo& rInfo) {
    if (Reply.size() < qxproto::kStatusMinBytes)
        return false;
    const int N = ByteAt(Reply, 0);
    rInfo.DataCount = quint8(N);
    // The whole answer must be there: N + 2 bytes, checksum at N - 1. At least 32 bytes means N >= 30, so
    // every fixed offset below lies inside the reply.
    if (Reply.size() != N + kLineEndBytes)
        return false;
    rInfo.SystemMode = ByteAt(Reply, kOffSystemMode);
    rInfo.BLVerMajor = ByteAt(Reply, kOffSystemMode + 1);
    rInfo.BLVerMinor = ByteAt(Reply, kOffSystemMode + 2);
    rInfo.BLPrgID = ByteAt(Reply, kOffSystemMode + 3);
    rInfo.WDTCount = ByteAt(Reply, kOffSystemMode + 4);
    rInfo.USB_State = ByteAt(Reply, kOffSystemMode + 5);
    rInfo.RS232_Valid = ByteAt(Reply, kOffRS232) == 1;
    rInfo.HWVer = FixedText(Reply, kOffHWVer, kHWVerChars);
    rInfo.RunVerMajor = ByteAt(Reply, kOffRunVerMajor);
    rInfo.RunVerMinor = ByteAt(Reply, kOffRunVerMajor + 1);
    rInfo.RunPrgID = ByteAt(Reply, kOffRunVerMajor + 2);
    rInfo.USBSerial = FixedText(Reply, kOffUSBSerial, kUSBSerialChars);
    rInfo.SerialNo = ByteAt(Reply, kOffSerialNo) * 256 + ByteAt(Reply, kOffSerialNo + 1);
    rInfo.HWID = ByteAt(Reply, kOffHWID);
    rInfo.FPGAVersion = ByteAt(Reply, kOffFPGAVersion);
    rInfo.CRC = ByteAt(Reply, N - 1);
    rInfo.TypeNo = TypeNoFromHWID(rInfo.HWID, rInfo.USBSerial);
    rInfo.TypeName = TypeNameOf(rInfo.TypeNo);
    rInfo.CRCValid = StatusChecksum(Reply, N - 1) == rInfo.CRC;
    return true;
}

QString DecodeVersionLine(const QByteArray& Reply) {
    QByteArray Line = Reply;
    Line.chop(kLineEndBytes);
    return QString::fromLatin1(Line.left(kIOStringMaxChars));
}

bool DecodeFlashIdentity(const QByteArray& Reply, TqxMeterInfo& rInfo) {
    if (Reply.size() < qxproto::kFlashIdentityBytes)
        return false;
    rInfo.SPI0FlashMFG = ByteAt(Reply, 0);
    rInfo.SPI0FlashType = ByteAt(Reply, 1);
    rInfo.SPI0FlashSize = ByteAt(Reply, 2);
    for (int i = 0; i < qxproto::kFlashUIDBytes; ++i)
        rInfo.SPI0FlashUID[size_t(i)] = ByteAt(Reply, 3 + i);
    return true;
}
