#include "core/TextTable.h"

#include <QFile>
#include <QtGlobal>
#include <algorithm>

// The resource lives in the static core library; registering it here keeps the linker from dropping it.
// Must stand outside any namespace.
static void InitTextTableResource() {
    Q_INIT_RESOURCE(resources);
}

namespace {

const char* const kTextTableResource = ":/TextTable.tsv";

QString Unescape(const QString& sField) {
    QString sOut;
    sOut.reserve(sField.size());
    for (qsizetype i = 0; i < sField.size(); ++i) {
        const QChar c = sField.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= sField.size()) {
            sOut.append(c);
            continue;
        }
        const QChar cNext = sField.at(i + 1);
        if (cNext == QLatin1Char('r'))
            sOut.append(QLatin1Char('\r'));
        else if (cNext == QLatin1Char('t'))
            sOut.append(QLatin1Char('\t'));
        else if (cNext == QLatin1Char('\\'))
            sOut.append(QLatin1Char('\\'));
        else {
            // Not an escape we write: keep both characters as they stand.
            sOut.append(c);
            sOut.append(cNext);
        }
        ++i;
    }
    return sOut;
}

QByteArray ReadTextTableResource() {
    InitTextTableResource();
    QFile file(QString::fromLatin1(kTextTableResource));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Interface text table resource %s could not be read", kTextTableResource);
        return {};
    }
    return file.readAll();
}

} // namespace

TTextTable::TTextTable(const QByteArray& utf8Data) : aEntries(kTextTableEntries) {
    const QStringList slLines = QString::fromUtf8(utf8Data).split(QLatin1Char('\n'));
    for (QString sLine : slLines) {
        if (sLine.endsWith(QLatin1Char('\r')))
            sLine.chop(1);
        if (sLine.isEmpty() || sLine.startsWith(QLatin1Char('#')))
            continue;
        const QStringList slFields = sLine.split(QLatin1Char('\t'));
        if (slFields.size() < 2)
            continue;
        bool bOk = false;
        const int iFirst = slFields.at(0).toInt(&bOk);
        if (!bOk || iFirst < 0 || iFirst >= kTextTableEntries)
            continue;
        for (qsizetype i = 1; i < slFields.size(); ++i) {
            const qsizetype iEntry = iFirst + i - 1;
            if (iEntry >= kTextTableEntries)
                break;
            aEntries[static_cast<size_t>(iEntry)] = Unescape(slFields.at(i));
        }
    }
}

QString TTextTable::Entry(int iEntry) const {
    if (iEntry < 0 || iEntry >= kTextTableEntries)
        return {};
    return aEntries[static_cast<size_t>(iEntry)];
}

QString TTextTable::GetText(int iEntry, int iLNG) const {
    const int iOffset = iLNG == kLanguageDanish ? kLanguageDanish : kLanguageEnglish;
    if (iEntry < 0 || iEntry > kTextTableEntries - 1 - iOffset)
        return {};
    return Entry(iEntry + iOffset);
}

const TTextTable& TextTable() {
    static const TTextTable rTable(ReadTextTableResource());
    return rTable;
}

QString GetText(int iEntry, int iLNG) {
    return TextTable().GetText(iEntry, iLNG);
}

QStringList GetNameList(TNameList rList) {
    QStringList slNames;
    for (int i = 0; i <= rList.iHigh; ++i)
        slNames.append(TextTable().Entry(rList.iFirst + i));
    return slNames;
}

QString GetStrArray(int index, const QStringList& names, int high) {
    if (names.isEmpty())
        return {};
    // A high that names no valid code leaves only the list's last name.
    const int iLast = static_cast<int>(names.size()) - 1;
    if (high < 0)
        return names.at(iLast);
    const int iHigh = std::min(high, iLast);
    return (index >= 0 && index <= iHigh) ? names.at(index) : names.at(iHigh);
}

namespace {
QString NameOf(int iCode, TNameList rList) {
    return GetStrArray(iCode, GetNameList(rList), rList.iHigh);
}
} // namespace

QString PeakModeName(int iPeakMode) {
    return NameOf(iPeakMode, kPeakModeNames);
}
QString CaptureModeName(int iCapture) {
    return NameOf(iCapture, kCaptureModeNames);
}
QString ScaleModeName(int iScaleMode) {
    return NameOf(iScaleMode, kScaleModeNames);
}
QString ReferenceName(int iReference) {
    return NameOf(iReference, kReferenceNames);
}
QString FilterName(int iFilter) {
    return NameOf(iFilter, kFilterNames);
}
QString GateModeName(int iGateMode) {
    return NameOf(iGateMode, kGateModeNames);
}
QString SlidingWindowName(int iSlidingWindow) {
    return NameOf(iSlidingWindow, kSlidingWindowNames);
}
