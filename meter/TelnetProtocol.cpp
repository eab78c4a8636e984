#include "meter/TelnetProtocol.h"

#include <limits>

namespace {

const QByteArray kUserNamePrompt = QByteArrayLiteral("LOGIN: ");
const QByteArray kPasswordPrompt = QByteArrayLiteral("PASSWORD: ");
const QByteArray kBannerMark = QByteArrayLiteral("UNIT NAME");
const QByteArray kSerialLabel = QByteArrayLiteral("Number: ");
const QByteArray kUnitNameLabel = QByteArrayLiteral("Unit Name.: ");

constexpr char kCR = '\r';
constexpr char kLF = '\n';

bool EndsWithUpper(const QByteArray& sText, const QByteArray& sSuffix) {
    if (sText.size() < sSuffix.size())
        return false;
    return sText.right(sSuffix.size()).toUpper() == sSuffix;
}

bool IsLineEndByte(char c) {
    return c == kCR || c == kLF;
}

} // namespace

TLoginPrompt DetectLoginPrompt(const QByteArray& sText) {
    if (EndsWithUpper(sText, kUserNamePrompt))
        return TLoginPrompt::UserName;
    if (EndsWithUpper(sText, kPasswordPrompt))
        return TLoginPrompt::Password;
    return TLoginPrompt::None;
}

bool ContainsBannerMark(const QByteArray& sText) {
    return sText.toUpper().contains(kBannerMark);
}

bool IsBannerComplete(const QByteArray& sText) {
    if (!ContainsBannerMark(sText))
        return false;
    const qsizetype iLabel = sText.indexOf(kUnitNameLabel);
    return iLabel < 0 || sText.indexOf(kLF, iLabel + kUnitNameLabel.size()) >= 0;
}

QByteArray BannerTail(const QByteArray& sText) {
    const qsizetype iLabel = sText.indexOf(kUnitNameLabel);
    if (iLabel < 0)
        return {};
    qsizetype iEnd = sText.indexOf(kLF, iLabel + kUnitNameLabel.size());
    if (iEnd < 0)
        return {};
    ++iEnd;
    if (iEnd < sText.size() && sText.at(iEnd) == kCR)
        ++iEnd;
    return sText.mid(iEnd);
}

TTelnetBanner ParseBanner(const QByteArray& sRXData) {
    TTelnetBanner Banner;
    const qsizetype a = sRXData.indexOf(kSerialLabel);
    const qsizetype b = sRXData.indexOf(kUnitNameLabel);
    if (a >= 0 && b > a) {
        qint64 iValue = 0;
        bool bAny = false;
        for (qsizetype i = a + kSerialLabel.size(); i < b; ++i) {
            const char c = sRXData.at(i);
            if (c < '0' || c > '9')
                continue;
            bAny = true;
            iValue = iValue * 10 + (c - '0');
            // A number that does not fit is not this meter's serial number.
            if (iValue > std::numeric_limits<int>::max()) {
                bAny = false;
                break;
            }
        }
        Banner.iSerialNo = bAny ? int(iValue) : 0;
    }
    if (b >= 0) {
        const qsizetype iStart = b + kUnitNameLabel.size();
        qsizetype iEnd = sRXData.indexOf(kLF, iStart);
        if (iEnd < 0)
            iEnd = sRXData.size();
        // A banner whose lines end CR LF leaves a CR before the LF; it is no part of the name.
        if (iEnd > iStart && sRXData.at(iEnd - 1) == kCR)
            --iEnd;
        Banner.sUnitName = QString::fromLatin1(sRXData.mid(iStart, iEnd - iStart));
    }
    return Banner;
}

QList<QByteArray> TLineAssembler::Feed(const QByteArray& Chunk) {
    QList<QByteArray> Lines;
    sPending.append(Chunk);
    qsizetype iLineStart = 0;
    qsizetype i = 0;
    while (i < sPending.size()) {
        const char c = sPending.at(i);
        if (!IsLineEndByte(c)) {
            ++i;
            continue;
        }
        // The line end's second byte has not arrived yet.
        if (i + 1 >= sPending.size())
            break;
        const char cNext = sPending.at(i + 1);
        if (IsLineEndByte(cNext) && cNext != c) {
            if (i > iLineStart)
                Lines.append(sPending.mid(iLineStart, i - iLineStart));
            i += 2;
            iLineStart = i;
        } else {
            // A lone CR or LF inside a line stays part of it.
            ++i;
        }
    }
    sPending.remove(0, iLineStart);
    if (sPending.size() > kMaxLine)
        sPending.remove(0, sPending.size() - kMaxLine);
    return Lines;
}
