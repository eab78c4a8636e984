#define SI_IMPLEMENTATION
#include "core/IniFile.h"

#include "core/IniCodecs.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <SimpleIni.h>
#include <cstring>
#include <string>
#include <vector>

struct TIniFile::TData {
    CSimpleIniA ini;

    TData() : ini(/*a_bIsUtf8=*/true, /*a_bMultiKey=*/false, /*a_bMultiLine=*/false) {
        // Quotes keep blanks at either end of a value (a blank or tab as CSV separator, say).
        ini.SetQuotes(true);
        ini.SetSpaces(false);
    }
};

namespace {

using TNames = CSimpleIniA::TNamesDepend;

std::string Utf8(const QString& s) {
    return s.toStdString();
}

QStringList InFileOrder(TNames aNames) {
    aNames.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList sl;
    for (const CSimpleIniA::Entry& rEntry : aNames)
        sl << QString::fromUtf8(rEntry.pItem);
    return sl;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A line that opens a section name without closing it is invalid, and the parser would take the keys
// after it into a section named by everything up to the next key, line breaks and all, which no later
// save reads back. Such a line becomes a comment, so it is kept and the keys stay where they stand.
QByteArray CommentOutOpenSectionLines(const QByteArray& aData) {
    QByteArray aOut;
    aOut.reserve(aData.size());
    qsizetype i = 0;
    while (i < aData.size()) {
        qsizetype iStart = i;
        while (iStart < aData.size() && (aData[iStart] == ' ' || aData[iStart] == '\t'))
            ++iStart;
        qsizetype iEnd = iStart;
        while (iEnd < aData.size() && !IsLineEnd(aData[iEnd]))
            ++iEnd;
        const QByteArrayView aLine = QByteArrayView(aData).sliced(iStart, iEnd - iStart);
        aOut.append(QByteArrayView(aData).sliced(i, iStart - i));
        if (aLine.startsWith('[') && !aLine.contains(']'))
            aOut.append(';');
        // The line and its line end byte.
        aOut.append(QByteArrayView(aData).sliced(iStart, qMin(iEnd + 1, aData.size()) - iStart));
        i = iEnd + 1;
    }
    return aOut;
}

} // namespace

TIniFile::TIniFile(const QString& sFileName) : FFileName(sFileName), FData(std::make_unique<TData>()) {}

TIniFile::~TIniFile() = default;
TIniFile::TIniFile(TIniFile&&) noexcept = default;
TIniFile& TIniFile::operator=(TIniFile&&) noexcept = default;

bool TIniFile::Load() {
    FData = std::make_unique<TData>();
    QFile file(FFileName);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray aData = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return LoadFromData(std::move(aData));
}

bool TIniFile::LoadFromData(QByteArray aData) {
    FData = std::make_unique<TData>();
    // The parser stops at a NUL byte; blanks instead keep everything after it in the file.
    aData.replace('\0', ' ');
    aData = CommentOutOpenSectionLines(aData);
    if (FData->ini.LoadData(aData.constData(), static_cast<size_t>(aData.size())) < 0) {
        FData = std::make_unique<TData>();
        return false;
    }
    return true;
}

bool TIniFile::SaveToData(QByteArray& aData) const {
    // Reading takes one pair of quotes off a value, so a value in quotes goes out in a second pair, whether
    // it was written here or read from the file and kept, and the copy in memory stays the value itself.
    struct TQuoted {
        const char* pSection;
        const char* pKey;
        std::string sValue;
    };
    std::vector<TQuoted> aQuoted;
    CSimpleIniA& ini = FData->ini;
    TNames aSections;
    ini.GetAllSections(aSections);
    for (const CSimpleIniA::Entry& rSection : aSections) {
        TNames aKeys;
        ini.GetAllKeys(rSection.pItem, aKeys);
        for (const CSimpleIniA::Entry& rKey : aKeys) {
            const char* pValue = ini.GetValue(rSection.pItem, rKey.pItem, "");
            const size_t nLength = std::strlen(pValue);
            if (nLength >= 2 && pValue[0] == '"' && pValue[nLength - 1] == '"')
                aQuoted.push_back({rSection.pItem, rKey.pItem, pValue});
        }
    }
    for (const TQuoted& rQuoted : aQuoted)
        ini.SetValue(rQuoted.pSection, rQuoted.pKey, ('"' + rQuoted.sValue + '"').c_str());
    std::string sText;
    const bool bOk = ini.Save(sText) >= 0;
    for (const TQuoted& rQuoted : aQuoted)
        ini.SetValue(rQuoted.pSection, rQuoted.pKey, rQuoted.sValue.c_str());
    if (bOk)
        aData = QByteArray::fromStdString(sText);
    return bOk;
}

bool TIniFile::Save(QString& sError) const {
    QByteArray aText;
    bool bOk = SaveToData(aText);
    if (bOk) {
        QSaveFile file(FFileName);
        const qint64 nSize = aText.size();
        // commit() alone takes a short write (a full disk) for success: flush and check the size first.
        bOk = file.open(QIODevice::WriteOnly) && file.write(aText) == nSize && file.flush() &&
              file.size() == nSize;
        if (bOk)
            bOk = file.commit();
        else
            file.cancelWriting();
    }
    if (!bOk)
        sError = QStringLiteral("Unable to write to %1").arg(FFileName);
    return bOk;
}

bool TIniFile::SectionExists(const QString& sSection) const {
    return FData->ini.SectionExists(Utf8(sSection).c_str());
}

bool TIniFile::ValueExists(const QString& sSection, const QString& sKey) const {
    return FData->ini.KeyExists(Utf8(sSection).c_str(), Utf8(sKey).c_str());
}

QStringList TIniFile::ReadSections() const {
    TNames aNames;
    FData->ini.GetAllSections(aNames);
    return InFileOrder(aNames);
}

QStringList TIniFile::ReadSection(const QString& sSection) const {
    TNames aNames;
    FData->ini.GetAllKeys(Utf8(sSection).c_str(), aNames);
    return InFileOrder(aNames);
}

QString TIniFile::ReadString(const QString& sSection, const QString& sKey, const QString& sDefault) const {
    const char* pValue = FData->ini.GetValue(Utf8(sSection).c_str(), Utf8(sKey).c_str(), nullptr);
    if (!pValue)
        return sDefault;
    QString sValue = QString::fromUtf8(pValue);
    if (sValue.size() > kMaxValueLength) {
        sValue.truncate(kMaxValueLength);
        if (sValue.back().isHighSurrogate())
            sValue.chop(1);
    }
    return sValue;
}

int TIniFile::ReadInteger(const QString& sSection, const QString& sKey, int iDefault) const {
    return IniToInteger(ReadString(sSection, sKey, QString()), iDefault);
}

bool TIniFile::ReadBool(const QString& sSection, const QString& sKey, bool bDefault) const {
    return IniToBool(ReadString(sSection, sKey, QString()), bDefault);
}

double TIniFile::ReadFloat(const QString& sSection, const QString& sKey, double fDefault) const {
    return IniToFloat(ReadString(sSection, sKey, QString()), fDefault);
}

void TIniFile::WriteString(const QString& sSection, const QString& sKey, const QString& sValue) {
    QString sSafe = sValue;
    sSafe.replace(QLatin1Char('\r'), QLatin1Char(' '));
    sSafe.replace(QLatin1Char('\n'), QLatin1Char(' '));
    sSafe.replace(QChar(u'\0'), QLatin1Char(' '));
    FData->ini.SetValue(Utf8(sSection).c_str(), Utf8(sKey).c_str(), Utf8(sSafe).c_str());
}

void TIniFile::WriteInteger(const QString& sSection, const QString& sKey, int iValue) {
    WriteString(sSection, sKey, IntegerToIni(iValue));
}

void TIniFile::WriteBool(const QString& sSection, const QString& sKey, bool bValue) {
    WriteString(sSection, sKey, BoolToIni(bValue));
}

void TIniFile::WriteFloat(const QString& sSection, const QString& sKey, double fValue) {
    WriteString(sSection, sKey, FloatToIni(fValue));
}

void TIniFile::DeleteKey(const QString& sSection, const QString& sKey) {
    FData->ini.Delete(Utf8(sSection).c_str(), Utf8(sKey).c_str());
}

void TIniFile::EraseSection(const QString& sSection) {
    FData->ini.Delete(Utf8(sSection).c_str(), nullptr);
}
