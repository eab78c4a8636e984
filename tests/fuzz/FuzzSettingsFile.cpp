// Feeds arbitrary settings files to the settings reader, its file parser and its value codecs, and checks
// that nothing read from a file is lost or changed by writing it back: the parser gives back what it
// saved, each codec reads back what it wrote, and the settings written after a read read back the same.
#include "FuzzCommon.h"
#include "core/IniCodecs.h"
#include "core/IniFile.h"
#include "core/Scrambler.h"
#include "core/SettingsFile.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <cmath>

using qxfuzz::Require;

namespace {

// What a written value reads back as: line breaks and NUL become blanks, and a read is cut to its limit.
QString StoredForm(const QString& sValue) {
    QString s = sValue;
    for (QChar c : {QChar(u'\r'), QChar(u'\n'), QChar(u'\0')})
        s.replace(c, QLatin1Char(' '));
    return s;
}

void CheckCodecs(const QString& sValue) {
    if (const std::optional<qint32> iValue = ParseIniInteger(sValue)) {
        Require(ParseIniInteger(IntegerToIni(*iValue)) == iValue);
        Require(IniToBool(sValue, false) == (*iValue != 0));
    } else {
        Require(IniToInteger(sValue, 7) == 7 && IniToBool(sValue, true));
    }
    const double fValue = IniToFloat(sValue, -1.5);
    Require(std::isfinite(fValue));
    Require(IniToFloat(FloatToIni(fValue), 0.25) == fValue);
    if (const std::optional<TColorValue> clValue = IniToColor(sValue))
        Require(IniToColor(ColorToIni(*clValue)) == clValue);
    const TColorValue clNumber = IniToColorNumber(sValue, 0x123456);
    Require(IniToColorNumber(ColorNumberToIni(clNumber), 0) == clNumber);
}

// The parser reads back exactly what it saved: sections and keys in their order, and every value.
void CheckParserRoundTrip(const TIniFile& Loaded) {
    QByteArray aSaved;
    Require(Loaded.SaveToData(aSaved));
    TIniFile Again(QString{});
    Require(Again.LoadFromData(aSaved));
    Require(Again.ReadSections() == Loaded.ReadSections());
    TIniFile Rewritten(QString{});
    for (const QString& sSection : Loaded.ReadSections()) {
        Require(Again.ReadSection(sSection) == Loaded.ReadSection(sSection));
        for (const QString& sKey : Loaded.ReadSection(sSection)) {
            const QString sValue = Loaded.ReadString(sSection, sKey, QString());
            Require(Again.ReadString(sSection, sKey, QString()) == sValue);
            CheckCodecs(sValue);
            Rewritten.WriteString(sSection, sKey, sValue);
        }
    }
    // Values written one by one read back the same too.
    Require(Rewritten.SaveToData(aSaved));
    Require(Again.LoadFromData(aSaved));
    for (const QString& sSection : Loaded.ReadSections())
        for (const QString& sKey : Loaded.ReadSection(sSection))
            Require(Again.ReadString(sSection, sKey, QString()) ==
                    StoredForm(Loaded.ReadString(sSection, sKey, QString())));
}

// Files in memory where the system has a memory file system: every save syncs its file to disk.
QString TempPath(const char* sName) {
    static const QString sFolder =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/qxfuzz-settings-%2-%3.ini")
        .arg(sFolder)
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(sName));
}

bool Load(const QString& sPath, TIniFile& ini) {
    ini = TIniFile(sPath);
    return ini.Load();
}

// Settings written after a read read back as the same settings: writing them again gives the same file,
// but for the credentials, which are scrambled anew each time and must carry the same values.
void CheckSettingsFixpoint(const QByteArray& aFile) {
    const QString sIn = TempPath("in");
    const QString sFirst = TempPath("first");
    const QString sSecond = TempPath("second");
    for (const QString& sPath : {sIn, sFirst, sSecond})
        QFile::remove(sPath);
    QFile In(sIn);
    Require(In.open(QIODevice::WriteOnly) && In.write(aFile) == aFile.size());
    In.close();

    TSettings Read;
    const bool bRead = ReadIni(sIn, Read);
    QString sError;
    if (bRead) {
        Require(WriteIni(sFirst, Read, sError));
        TSettings ReadAgain;
        Require(ReadIni(sFirst, ReadAgain));
        Require(WriteIni(sSecond, ReadAgain, sError));
        TIniFile First{QString{}};
        TIniFile Second{QString{}};
        Require(Load(sFirst, First) && Load(sSecond, Second));
        // Instruments are numbered by their place in the list, which closes the gaps invalid ones left.
        const QStringList slFirst = First.ReadSections();
        const QStringList slSecond = Second.ReadSections();
        Require(slFirst.size() == slSecond.size());
        for (qsizetype i = 0; i < slFirst.size(); ++i) {
            const QString& sA = slFirst[i];
            const QString& sB = slSecond[i];
            const bool bInstrument = sA.startsWith(u"Instrument_") && sB.startsWith(u"Instrument_");
            Require(bInstrument || sA == sB);
            Require(First.ReadSection(sA) == Second.ReadSection(sB));
            for (const QString& sKey : First.ReadSection(sA)) {
                QString a = First.ReadString(sA, sKey, QString());
                QString b = Second.ReadString(sB, sKey, QString());
                if (a != b) {
                    Require(DecryptString(a, kScrambleSeed) && DecryptString(b, kScrambleSeed));
                    Require(a == b);
                }
            }
        }
    }
    for (const QString& sPath : {sIn, sFirst, sSecond})
        QFile::remove(sPath);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray aFile(reinterpret_cast<const char*>(data), qsizetype(size));
    // Decimal comma, apostrophe group separators or the C locale: the user's locale decides how reals read.
    static const QLocale kLocales[] = {QLocale::c(), QLocale(QLocale::Danish, QLocale::Denmark),
                                       QLocale(QLocale::German, QLocale::Switzerland)};
    QLocale::setDefault(kLocales[size % 3]);

    TIniFile Loaded{QString{}};
    if (Loaded.LoadFromData(aFile))
        CheckParserRoundTrip(Loaded);
    CheckSettingsFixpoint(aFile);
    return 0;
}
