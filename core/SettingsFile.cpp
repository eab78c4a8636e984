#include "core/SettingsFile.h"

#include "core/KeptCopy.h"

#include "core/IniCodecs.h"
#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

const QString kInstrumentPrefix = QStringLiteral("Instrument_");
constexpr int kMaxUserTextLength = 255;
constexpr int kMinLineWidth = 1;
constexpr int kMaxLineWidth = 9;
constexpr int kDefaultInstrumentPort = 23;
const QString kZeroTimecode = QStringLiteral("00:00:00:00");

// The four table colour sections with their records, in file order.
struct TTableSection {
    const char* sName;
    TTableColorOptions TSettings::*pOptions;
};
constexpr TTableSection kTableSections[] = {
    {"DBTBL_Peak", &TSettings::rTablePeakColorOptions},
    {"DBTBL_STMAX", &TSettings::rTableSTMaxColorOptions},
    {"DBTBL_STMIN", &TSettings::rTableSTMinColorOptions},
    {"DBTBL_INT", &TSettings::rTableIntColorOptions},
};

// The data-selection flags under their keys, in file order.
struct TDataFlag {
    const char* sKey;
    bool TDataOptions::*pFlag;
};
constexpr TDataFlag kDataFlags[] = {
    {"EnablePeakLevel", &TDataOptions::bEnablePeakLevel},
    {"EnablePeakLevelMin", &TDataOptions::bEnablePeakLevelMin},
    {"EnablePeakLevelMax", &TDataOptions::bEnablePeakLevelMax},
    {"EnablePeakChannel", &TDataOptions::bEnablePeakChannel},
    {"EnablePeakCount", &TDataOptions::bEnablePeakCount},
    {"EnableShortTerm", &TDataOptions::bEnableShortTerm},
    {"EnableShortTermMin", &TDataOptions::bEnableShortTermMin},
    {"EnableShortTermMax", &TDataOptions::bEnableShortTermMax},
    {"EnableIntegrating", &TDataOptions::bEnableIntegrating},
    {"EnableIntegratingMin", &TDataOptions::bEnableIntegratingMin},
    {"EnableIntegratingMax", &TDataOptions::bEnableIntegratingMax},
};

// The data filter dialog's flags and texts under their keys, in file order.
struct TFilterFlag {
    const char* sKey;
    bool TFilterOptions::*pFlag;
};
constexpr TFilterFlag kFilterFlags[] = {
    {"EnableTCStart", &TFilterOptions::bEnableTCStart},
    {"EnableTCEnd", &TFilterOptions::bEnableTCEnd},
    {"EnablePeakOver", &TFilterOptions::bEnablePeakOver},
    {"EnablePeakUnder", &TFilterOptions::bEnablePeakUnder},
    {"EnableHiOver", &TFilterOptions::bEnableHiOver},
    {"EnableHiUnder", &TFilterOptions::bEnableHiUnder},
    {"EnableLoOver", &TFilterOptions::bEnableLoOver},
    {"EnableLoUnder", &TFilterOptions::bEnableLoUnder},
    {"EnableIntOver", &TFilterOptions::bEnableIntOver},
    {"EnableIntUnder", &TFilterOptions::bEnableIntUnder},
};
struct TFilterText {
    const char* sKey;
    QString TFilterOptions::*pText;
};
constexpr TFilterText kFilterTexts[] = {
    {"TCStart", &TFilterOptions::sTCStart},   {"TCEnd", &TFilterOptions::sTCEnd},
    {"PeakOver", &TFilterOptions::sPeakOver}, {"PeakUnder", &TFilterOptions::sPeakUnder},
    {"HiOver", &TFilterOptions::sHiOver},     {"HiUnder", &TFilterOptions::sHiUnder},
    {"LoOver", &TFilterOptions::sLoOver},     {"LoUnder", &TFilterOptions::sLoUnder},
    {"IntOver", &TFilterOptions::sIntOver},   {"IntUnder", &TFilterOptions::sIntUnder},
};

QString S(const char* s) {
    return QString::fromLatin1(s);
}

// Reads the settings in file order from one loaded file; Read returns false at the first colour error.
class TSettingsReader {
public:
    TSettingsReader(const TIniFile& ini, TSettings& r, const TLogLine& fnLog)
        : ini(ini), r(r), fnLog(fnLog) {}

    bool Read() {
        ReadWindows();
        ReadLocalDB();
        ReadConfiguration();
        ReadInstruments();
        ReadCurrentNetwork();
        if (!ReadPDFOptions())
            return false;
        ReadCSVOptions();
        ReadFilterOptions();
        ReadChartOptions();
        ReadTCOptions();
        ReadTableColors();
        ApplyLineWidthBounds();
        ReadAdvanced();
        ReadCompliance();
        ReadStation();
        return true;
    }

private:
    const TIniFile& ini;
    TSettings& r;
    const TLogLine& fnLog;
    const TSettings d;

    QString Scrambled(const QString& sSection, const QString& sKey) const {
        QString sValue = ini.ReadString(sSection, sKey, QString());
        // A value that does not decode is used as it stands.
        DecryptString(sValue, kScrambleSeed, fnLog);
        return sValue;
    }

    // A colour-name key; nothing when the value is no colour.
    std::optional<TColorValue> Color(const QString& sSection, const QString& sKey,
                                     TColorValue clDefault) const {
        return IniToColor(ini.ReadString(sSection, sKey, ColorToIni(clDefault)));
    }

    TColorValue ColorNumber(const QString& sSection, const QString& sKey, TColorValue clDefault) const {
        return IniToColorNumber(ini.ReadString(sSection, sKey, QString()), clDefault);
    }

    void ReadPlacement(const QString& sSection, TWindowPlacement& rPlace, bool bMainWindow) {
        const TWindowPlacement def;
        rPlace.X = ini.ReadInteger(sSection, S("X"), def.X);
        rPlace.Y = ini.ReadInteger(sSection, S("Y"), def.Y);
        rPlace.Width = ini.ReadInteger(sSection, S("Width"), def.Width);
        rPlace.Height = ini.ReadInteger(sSection, S("Height"), def.Height);
        if (bMainWindow)
            rPlace.MonitorCount = ini.ReadInteger(sSection, S("MonitorCount"), def.MonitorCount);
        rPlace.Maximized = ini.ReadBool(sSection, S("Maximized"), def.Maximized);
        if (bMainWindow)
            rPlace.ActivePage = ini.ReadInteger(sSection, S("ActivePage"), def.ActivePage);
    }

    void ReadWindows() {
        ReadPlacement(S("Window"), r.rWindow, true);
        ReadPlacement(S("ChartWindow"), r.rChartWindow, false);
    }

    void ReadLocalDB() {
        const QString sSection = S("LocalDB");
        QStringList sl;
        for (const QString& sKey : ini.ReadSection(sSection))
            sl << ini.ReadString(sSection, sKey, QString());
        std::stable_sort(sl.begin(), sl.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
        sl.removeDuplicates();
        r.slLocalDB = sl;
    }

    void ReadStation() {
        const QString sSection = S("Station");
        TStationOptions& rStation = r.rStation;
        const TStationOptions& def = d.rStation;
        rStation.sTitleTemplate = ini.ReadString(sSection, S("TitleTemplate"), def.sTitleTemplate);
        rStation.sStation = ini.ReadString(sSection, S("Station"), def.sStation);
        rStation.sShowNumber = ini.ReadString(sSection, S("ShowNumber"), def.sShowNumber);
        rStation.sOperatorName = ini.ReadString(sSection, S("Operator"), def.sOperatorName);
        rStation.sFormat = ini.ReadString(sSection, S("Format"), def.sFormat);
        rStation.sNotes = ini.ReadString(sSection, S("Notes"), def.sNotes);
        rStation.sRotateAt = ini.ReadString(sSection, S("RotateAt"), def.sRotateAt);
        rStation.sRotateEveryHours = ini.ReadString(sSection, S("RotateEveryHours"), def.sRotateEveryHours);
        rStation.bReconnect = ini.ReadBool(sSection, S("AutoReconnect"), def.bReconnect);
    }

    void ReadConfiguration() {
        const QString sSection = S("Configuration");
        r.sDatabaseFileName = ini.ReadString(sSection, S("LastDB"), d.sDatabaseFileName);
        r.iLNG = ini.ReadInteger(sSection, S("GUILanguage"), d.iLNG);
        if (r.iLNG < 0 || r.iLNG > 1)
            r.iLNG = 0;
        r.bAskForSessionInfo = ini.ReadBool(sSection, S("AskSessionInfo"), d.bAskForSessionInfo);
        r.bAllowSessionInfoEdit = ini.ReadBool(sSection, S("AllowSessionInfoEdit"), d.bAllowSessionInfoEdit);
    }

    void ReadInstruments() {
        for (const QString& sSection : ini.ReadSections()) {
            if (!sSection.startsWith(kInstrumentPrefix, Qt::CaseSensitive))
                continue;
            TInstrumentInfo rInst;
            rInst.sInstrumentName = ini.ReadString(sSection, S("InstName"), QString());
            rInst.sHostName = ini.ReadString(sSection, S("HostName"), QString());
            rInst.sUserName = Scrambled(sSection, S("UserName"));
            rInst.sPassword = Scrambled(sSection, S("Password"));
            rInst.iPort = ini.ReadInteger(sSection, S("Port"), kDefaultInstrumentPort);
            rInst.bVovEzodevName = ini.ReadBool(sSection, S("VovEzodevName"), true);
            rInst.iSerialNo = ini.ReadInteger(sSection, S("SerialNumber"), 0);
            rInst.bValid = !rInst.sHostName.isEmpty();
            r.aNetworkInstruments.append(rInst);
        }
    }

    void ReadCurrentNetwork() {
        const QString sSection = S("CurrentNetwork");
        TInstrumentInfo& rInst = r.rActiveNetworkCFG;
        rInst.sInstrumentName = ini.ReadString(sSection, S("InstName"), QString());
        rInst.sHostName = ini.ReadString(sSection, S("HostName"), QString());
        rInst.sUserName = Scrambled(sSection, S("UserName"));
        rInst.sPassword = Scrambled(sSection, S("Password"));
        rInst.iPort = ini.ReadInteger(sSection, S("Port"), 0);
        rInst.iSerialNo = ini.ReadInteger(sSection, S("SerialNo"), 0);
        rInst.bVovEzodevName = ini.ReadBool(sSection, S("VovEzodevName"), true);
        rInst.bComPort = ini.ReadBool(sSection, S("SerialPort"), false);
        rInst.bValid = ini.ReadBool(sSection, S("Valid"), false);
        rInst.iLoggingStatus = 0;
    }

    bool ReadFont(const QString& sSuffix, TFontRec& rFont, const TFontRec& rDefault) {
        const QString sSection = S("PDFOptions");
        const std::optional<TColorValue> clColor = Color(sSection, S("FontColor") + sSuffix, rDefault.Color);
        if (!clColor)
            return false;
        rFont.Color = *clColor;
        rFont.Size = ini.ReadInteger(sSection, S("FontSize") + sSuffix, rDefault.Size);
        rFont.Name = ini.ReadString(sSection, S("FontName") + sSuffix, rDefault.Name);
        TFontStyles style;
        style.setFlag(TFontStyle::fsBold, ini.ReadBool(sSection, S("FontStyleBold") + sSuffix,
                                                       rDefault.Style.testFlag(TFontStyle::fsBold)));
        style.setFlag(TFontStyle::fsItalic, ini.ReadBool(sSection, S("FontStyleItalic") + sSuffix,
                                                         rDefault.Style.testFlag(TFontStyle::fsItalic)));
        style.setFlag(TFontStyle::fsUnderline,
                      ini.ReadBool(sSection, S("FontStyleUnderline") + sSuffix,
                                   rDefault.Style.testFlag(TFontStyle::fsUnderline)));
        style.setFlag(TFontStyle::fsStrikeOut,
                      ini.ReadBool(sSection, S("FontStyleStrikeout") + sSuffix,
                                   rDefault.Style.testFlag(TFontStyle::fsStrikeOut)));
        rFont.Style = style;
        return true;
    }

    bool ReadPDFOptions() {
        const QString sSection = S("PDFOptions");
        TPDFOptions& rPDF = r.rPDFOptions;
        rPDF.sHeadline = ini.ReadString(sSection, S("Headline"), d.rPDFOptions.sHeadline);
        rPDF.sHeadline1 = ini.ReadString(sSection, S("Headline1"), d.rPDFOptions.sHeadline1);
        rPDF.sUserImage = ini.ReadString(sSection, S("UserImage"), d.rPDFOptions.sUserImage);
        rPDF.bChartSessionInfo =
            ini.ReadBool(sSection, S("ChartSessionInfo"), d.rPDFOptions.bChartSessionInfo);

        const QString sTextSection = S("PDFUserText");
        QStringList sl;
        for (const QString& sKey : ini.ReadSection(sTextSection))
            sl << ini.ReadString(sTextSection, sKey, QString()).left(kMaxUserTextLength);
        rPDF.slUserText = sl.isEmpty() ? DefaultPDFUserText() : sl;

        std::optional<TColorValue> clColor = Color(sSection, S("EvenLines"), d.rPDFOptions.clEvenLines);
        if (!clColor)
            return false;
        rPDF.clEvenLines = *clColor;
        clColor = Color(sSection, S("OddLines"), d.rPDFOptions.clOddLines);
        if (!clColor)
            return false;
        rPDF.clOddLines = *clColor;
        return ReadFont(S("Normal"), rPDF.FontNormal, d.rPDFOptions.FontNormal) &&
               ReadFont(S("Overload"), rPDF.FontOverload, d.rPDFOptions.FontOverload);
    }

    void ReadCSVOptions() {
        const QString sSection = S("CSVOptions");
        TCSVOptions& rCSV = r.rCSVOptions;
        rCSV.sCSVSeparationChar =
            ini.ReadString(sSection, S("SeparationChar"), d.rCSVOptions.sCSVSeparationChar);
        rCSV.sCSVDecimalChar = ini.ReadString(sSection, S("DecimalChar"), d.rCSVOptions.sCSVDecimalChar);
        rCSV.bCSVLF = ini.ReadBool(sSection, S("LF"), d.rCSVOptions.bCSVLF);
        rCSV.bCSVCR = ini.ReadBool(sSection, S("CR"), d.rCSVOptions.bCSVCR);
        rCSV.bCSVSessionInfo = ini.ReadBool(sSection, S("SessionInfo"), d.rCSVOptions.bCSVSessionInfo);
    }

    void ReadFilterOptions() {
        const QString sSection = S("FilterOptions");
        for (const TFilterFlag& rFlag : kFilterFlags)
            r.rFilterOptions.*rFlag.pFlag =
                ini.ReadBool(sSection, S(rFlag.sKey), d.rFilterOptions.*rFlag.pFlag);
        for (const TFilterText& rText : kFilterTexts)
            r.rFilterOptions.*rText.pText =
                ini.ReadString(sSection, S(rText.sKey), d.rFilterOptions.*rText.pText);
    }

    void ReadCursor(int iCursor, bool& bEnable, bool& bVisible, double& fLevel, int& iLineWidth,
                    TColorValue& clColor, QString& sName, const TChartOptions& def) {
        const QString sSection = S("ChartOptions");
        const QString sPrefix = QStringLiteral("Cursor%1").arg(iCursor);
        const bool bFirst = iCursor == 1;
        bEnable =
            ini.ReadBool(sSection, sPrefix + S("Enabled"), bFirst ? def.bCursor1Enable : def.bCursor2Enable);
        bVisible = ini.ReadBool(sSection, sPrefix + S("Visible"),
                                bFirst ? def.bCursor1Visible : def.bCursor2Visible);
        fLevel = ini.ReadFloat(sSection, sPrefix + S("Level"), bFirst ? def.fCursor1 : def.fCursor2);
        iLineWidth = ini.ReadInteger(sSection, sPrefix + S("LineWidth"),
                                     bFirst ? def.iCursor1LineWidth : def.iCursor2LineWidth);
        clColor =
            ColorNumber(sSection, sPrefix + S("Color"), bFirst ? def.clCursor1Color : def.clCursor2Color);
        sName = ini.ReadString(sSection, sPrefix + S("Name"), bFirst ? def.sCursor1Name : def.sCursor2Name);
    }

    void ReadChartOptions() {
        const QString sSection = S("ChartOptions");
        TChartOptions& c = r.rChartOptions;
        const TChartOptions& def = d.rChartOptions;
        c.bLeftAxisAutoScale = ini.ReadBool(sSection, S("LeftAxisAutoScale"), def.bLeftAxisAutoScale);
        c.bRightAxisAutoScale = ini.ReadBool(sSection, S("RightAxisAutoScale"), def.bRightAxisAutoScale);
        c.fLeftAxisMin = ini.ReadFloat(sSection, S("LeftAxisMin"), def.fLeftAxisMin);
        c.fLeftAxisMax = ini.ReadFloat(sSection, S("LeftAxisMax"), def.fLeftAxisMax);
        c.fRightAxisMin = ini.ReadFloat(sSection, S("RightAxisMin"), def.fRightAxisMin);
        c.fRightAxisMax = ini.ReadFloat(sSection, S("RightAxisMax"), def.fRightAxisMax);
        c.bPeakEnabled = ini.ReadBool(sSection, S("PeakEnabled"), def.bPeakEnabled);
        c.bSTMaxEnabled = ini.ReadBool(sSection, S("STMaxEnabled"), def.bSTMaxEnabled);
        c.bIntEnabled = ini.ReadBool(sSection, S("IntEnabled"), def.bIntEnabled);
        c.iPeakLineWidth = ini.ReadInteger(sSection, S("PeakLineWidth"), def.iPeakLineWidth);
        c.iIntLineWidth = ini.ReadInteger(sSection, S("IntLineWidth"), def.iIntLineWidth);
        c.iSTMaxLineWidth = ini.ReadInteger(sSection, S("STMaxLineWidth"), def.iSTMaxLineWidth);
        c.clPeakColor = ColorNumber(sSection, S("PeakColor"), def.clPeakColor);
        c.clIntColor = ColorNumber(sSection, S("IntColor"), def.clIntColor);
        c.clSTMaxColor = ColorNumber(sSection, S("STMaxColor"), def.clSTMaxColor);
        ReadCursor(1, c.bCursor1Enable, c.bCursor1Visible, c.fCursor1, c.iCursor1LineWidth, c.clCursor1Color,
                   c.sCursor1Name, def);
        ReadCursor(2, c.bCursor2Enable, c.bCursor2Visible, c.fCursor2, c.iCursor2LineWidth, c.clCursor2Color,
                   c.sCursor2Name, def);
        c.bCursor1PeakAxis = ini.ReadBool(sSection, S("Cursor1PeakAxis"), def.bCursor1PeakAxis);
        c.bCursor2PeakAxis = ini.ReadBool(sSection, S("Cursor2PeakAxis"), def.bCursor2PeakAxis);
    }

    void ReadTCOptions() {
        const QString sSection = S("TCOptions");
        TTimecodeControl& tc = r.TCCtrl;
        const TTimecodeControl& def = d.TCCtrl;
        tc.OptionEnabled = ini.ReadBool(sSection, S("EnableAdvancedTC"), def.OptionEnabled);
        // Timecode control that is not offered cannot be switched on.
        tc.Enabled = tc.OptionEnabled && ini.ReadBool(sSection, S("GlobalAutoStart"), def.Enabled);
        tc.EnabledStart = ini.ReadBool(sSection, S("AutoStart"), def.EnabledStart);
        tc.EnabledStop = ini.ReadBool(sSection, S("AutoStop"), def.EnabledStop);
        tc.TCStart = ini.ReadString(sSection, S("TCAutoStart"), def.TCStart);
        tc.TCStop = ini.ReadString(sSection, S("TCAutoStop"), def.TCStop);
        tc.SyncRTC = ini.ReadBool(sSection, S("SyncRTC"), def.SyncRTC);
        tc.TCPaused = kZeroTimecode;
    }

    void ReadTableColors() {
        const TTableColorOptions def;
        for (const TTableSection& rTable : kTableSections) {
            const QString sSection = S(rTable.sName);
            TTableColorOptions& t = r.*rTable.pOptions;
            t.rMax.bEnabled = ini.ReadBool(sSection, S("MaxEnabled"), def.rMax.bEnabled);
            t.rMax.fLevel = ini.ReadFloat(sSection, S("MaxLevel"), def.rMax.fLevel);
            t.rMax.clColor = ColorNumber(sSection, S("MaxCL"), def.rMax.clColor);
            t.rDefault.bEnabled = ini.ReadBool(sSection, S("DefaultEnabled"), def.rDefault.bEnabled);
            t.rDefault.clColor = ColorNumber(sSection, S("DefaultCL"), def.rDefault.clColor);
            t.rMin.bEnabled = ini.ReadBool(sSection, S("MinEnabled"), def.rMin.bEnabled);
            t.rMin.fLevel = ini.ReadFloat(sSection, S("MinLevelL"), def.rMin.fLevel);
            t.rMin.clColor = ColorNumber(sSection, S("MinCL"), def.rMin.clColor);
        }
    }

    void ApplyLineWidthBounds() {
        // Only the peak and integrating pens are kept in range; the others are taken as stored.
        TChartOptions& c = r.rChartOptions;
        if (c.iPeakLineWidth < kMinLineWidth || c.iPeakLineWidth > kMaxLineWidth)
            c.iPeakLineWidth = kMinLineWidth;
        if (c.iIntLineWidth < kMinLineWidth || c.iIntLineWidth > kMaxLineWidth)
            c.iIntLineWidth = kMinLineWidth;
    }

    void ReadAdvanced() {
        const QString sSection = S("Advanced");
        r.iTimesource = ini.ReadInteger(sSection, S("TimeSource"), d.iTimesource);
        r.bAcceptExternalMessages =
            ini.ReadBool(sSection, S("AcceptExternalMessages"), d.bAcceptExternalMessages);
        r.rReconnect.bEnabled = ini.ReadBool(sSection, S("AutoReconnect"), d.rReconnect.bEnabled);
        // A stall time out of its range would end every quiet moment of a run, or never notice a lost link.
        const int iStall = ini.ReadInteger(sSection, S("StallSeconds"), d.rReconnect.iStallSeconds);
        r.rReconnect.iStallSeconds =
            iStall >= TReconnectOptions::kMinStallSeconds && iStall <= TReconnectOptions::kMaxStallSeconds
                ? iStall
                : d.rReconnect.iStallSeconds;
        for (const TDataFlag& rFlag : kDataFlags)
            r.DataOptions.*rFlag.pFlag = ini.ReadBool(sSection, S(rFlag.sKey), d.DataOptions.*rFlag.pFlag);
    }

    // A number that names no target, or Custom figures out of their ranges, give the defaults: a hand-edited
    // file must not make every session pass.
    void ReadCompliance() {
        const QString sSection = S("Compliance");
        TComplianceOptions& c = r.rComplianceOptions;
        const TComplianceOptions& def = d.rComplianceOptions;
        if (!StandardIdFromNumber(ini.ReadInteger(sSection, S("DefaultStandard"), int(def.eDefaultStandard)),
                                  c.eDefaultStandard))
            c.eDefaultStandard = def.eDefaultStandard;
        TLoudnessStandard rCustom = def.rCustom;
        rCustom.fTargetLoudness = ini.ReadFloat(sSection, S("CustomTarget"), def.rCustom.fTargetLoudness);
        rCustom.fTolerance = ini.ReadFloat(sSection, S("CustomTolerance"), def.rCustom.fTolerance);
        rCustom.fMaxTruePeak = ini.ReadFloat(sSection, S("CustomMaxTruePeak"), def.rCustom.fMaxTruePeak);
        rCustom.bRequireTruePeak =
            ini.ReadBool(sSection, S("CustomRequireTruePeak"), def.rCustom.bRequireTruePeak);
        c.rCustom = ValidStandardFigures(rCustom) ? rCustom : def.rCustom;
    }
};

// Writes the settings in file order into one loaded file.
class TSettingsWriter {
public:
    TSettingsWriter(TIniFile& ini, const TSettings& r) : ini(ini), r(r) {}

    void Write() {
        WriteWindows();
        WriteLocalDB();
        EraseInstruments();
        WriteConfiguration();
        WriteInstruments();
        WriteCurrentNetwork();
        WritePDFOptions();
        WriteCSVOptions();
        WriteFilterOptions();
        WriteChartOptions();
        WriteTCOptions();
        WriteTableColors();
        WriteAdvanced();
        WriteCompliance();
    }

private:
    TIniFile& ini;
    const TSettings& r;

    void WriteScrambled(const QString& sSection, const QString& sKey, const QString& sValue) {
        QString sText = sValue;
        EncryptString(sText, kScrambleSeed);
        ini.WriteString(sSection, sKey, sText);
    }

    void WritePlacement(const QString& sSection, const TWindowPlacement& rPlace, bool bMainWindow) {
        if (bMainWindow)
            ini.WriteInteger(sSection, S("MonitorCount"), rPlace.MonitorCount);
        // While maximized the file keeps the normal-state bounds it already holds.
        if (rPlace.Maximized) {
            ini.WriteBool(sSection, S("Maximized"), true);
        } else {
            ini.WriteInteger(sSection, S("X"), rPlace.X);
            ini.WriteInteger(sSection, S("Y"), rPlace.Y);
            ini.WriteInteger(sSection, S("Width"), rPlace.Width);
            ini.WriteInteger(sSection, S("Height"), rPlace.Height);
            ini.WriteBool(sSection, S("Maximized"), false);
        }
        // A chart tab is not there at the next start: the stored page stays.
        if (bMainWindow && rPlace.ActivePage >= 0 && rPlace.ActivePage <= 1)
            ini.WriteInteger(sSection, S("ActivePage"), rPlace.ActivePage);
    }

    void WriteWindows() {
        WritePlacement(S("Window"), r.rWindow, true);
        WritePlacement(S("ChartWindow"), r.rChartWindow, false);
    }

    void WriteLocalDB() {
        const QString sSection = S("LocalDB");
        for (const QString& sKey : ini.ReadSection(sSection))
            ini.DeleteKey(sSection, sKey);
        for (qsizetype i = 0; i < r.slLocalDB.size(); ++i)
            ini.WriteString(sSection, QString::number(i), r.slLocalDB.at(i));
    }

    void EraseInstruments() {
        for (const QString& sSection : ini.ReadSections()) {
            if (sSection.startsWith(kInstrumentPrefix, Qt::CaseSensitive))
                ini.EraseSection(sSection);
        }
    }

    void WriteConfiguration() {
        const QString sSection = S("Configuration");
        ini.WriteString(sSection, S("LastDB"), r.sDatabaseFileName);
        ini.WriteInteger(sSection, S("GUILanguage"), r.iLNG);
        ini.WriteBool(sSection, S("AskSessionInfo"), r.bAskForSessionInfo);
        ini.WriteBool(sSection, S("AllowSessionInfoEdit"), r.bAllowSessionInfoEdit);
    }

    void WriteInstruments() {
        qsizetype iNext = 0;
        for (qsizetype i = 0; i < r.aNetworkInstruments.size(); ++i) {
            const TInstrumentInfo& rInst = r.aNetworkInstruments.at(i);
            if (!rInst.bValid)
                continue;
            // Names match without regard to case: a section that differs from ours only in case (and so
            // is no instrument) would swallow this instrument, so the number moves past it.
            qsizetype iNumber = std::max(i, iNext);
            while (ini.SectionExists(kInstrumentPrefix + QString::number(iNumber)))
                ++iNumber;
            iNext = iNumber + 1;
            const QString sSection = kInstrumentPrefix + QString::number(iNumber);
            ini.WriteString(sSection, S("InstName"), rInst.sInstrumentName);
            ini.WriteString(sSection, S("HostName"), rInst.sHostName);
            WriteScrambled(sSection, S("UserName"), rInst.sUserName);
            WriteScrambled(sSection, S("Password"), rInst.sPassword);
            ini.WriteInteger(sSection, S("Port"), rInst.iPort);
            ini.WriteBool(sSection, S("VovEzodevName"), rInst.bVovEzodevName);
            ini.WriteInteger(sSection, S("SerialNumber"), rInst.iSerialNo);
        }
    }

    void WriteCurrentNetwork() {
        const QString sSection = S("CurrentNetwork");
        const TInstrumentInfo& rInst = r.rActiveNetworkCFG;
        ini.WriteString(sSection, S("InstName"), rInst.sInstrumentName);
        ini.WriteString(sSection, S("HostName"), rInst.sHostName);
        WriteScrambled(sSection, S("UserName"), rInst.sUserName);
        WriteScrambled(sSection, S("Password"), rInst.sPassword);
        ini.WriteInteger(sSection, S("Port"), rInst.iPort);
        ini.WriteInteger(sSection, S("SerialNo"), rInst.iSerialNo);
        ini.WriteBool(sSection, S("VovEzodevName"), rInst.bVovEzodevName);
        ini.WriteBool(sSection, S("SerialPort"), rInst.bComPort);
        ini.WriteBool(sSection, S("Valid"), rInst.bValid);
    }

    void WriteFont(const QString& sSuffix, const TFontRec& rFont) {
        const QString sSection = S("PDFOptions");
        ini.WriteString(sSection, S("FontColor") + sSuffix, ColorToIni(rFont.Color));
        ini.WriteInteger(sSection, S("FontSize") + sSuffix, rFont.Size);
        ini.WriteString(sSection, S("FontName") + sSuffix, rFont.Name);
        ini.WriteBool(sSection, S("FontStyleBold") + sSuffix, rFont.Style.testFlag(TFontStyle::fsBold));
        ini.WriteBool(sSection, S("FontStyleItalic") + sSuffix, rFont.Style.testFlag(TFontStyle::fsItalic));
        ini.WriteBool(sSection, S("FontStyleUnderline") + sSuffix,
                      rFont.Style.testFlag(TFontStyle::fsUnderline));
        ini.WriteBool(sSection, S("FontStyleStrikeout") + sSuffix,
                      rFont.Style.testFlag(TFontStyle::fsStrikeOut));
    }

    void WritePDFOptions() {
        const QString sSection = S("PDFOptions");
        const TPDFOptions& rPDF = r.rPDFOptions;
        ini.WriteString(sSection, S("Headline"), rPDF.sHeadline);
        ini.WriteString(sSection, S("Headline1"), rPDF.sHeadline1);
        ini.WriteString(sSection, S("UserImage"), rPDF.sUserImage);
        const QString sTextSection = S("PDFUserText");
        ini.EraseSection(sTextSection);
        for (qsizetype i = 0; i < rPDF.slUserText.size(); ++i)
            ini.WriteString(sTextSection, QString::number(i), rPDF.slUserText.at(i));
        ini.WriteString(sSection, S("EvenLines"), ColorToIni(rPDF.clEvenLines));
        ini.WriteString(sSection, S("OddLines"), ColorToIni(rPDF.clOddLines));
        WriteFont(S("Normal"), rPDF.FontNormal);
        WriteFont(S("Overload"), rPDF.FontOverload);
        ini.WriteBool(sSection, S("ChartSessionInfo"), rPDF.bChartSessionInfo);
    }

    void WriteCSVOptions() {
        const QString sSection = S("CSVOptions");
        const TCSVOptions& rCSV = r.rCSVOptions;
        ini.WriteString(sSection, S("SeparationChar"), rCSV.sCSVSeparationChar);
        ini.WriteString(sSection, S("DecimalChar"), rCSV.sCSVDecimalChar);
        ini.WriteBool(sSection, S("LF"), rCSV.bCSVLF);
        ini.WriteBool(sSection, S("CR"), rCSV.bCSVCR);
        ini.WriteBool(sSection, S("SessionInfo"), rCSV.bCSVSessionInfo);
    }

    void WriteFilterOptions() {
        const QString sSection = S("FilterOptions");
        for (const TFilterFlag& rFlag : kFilterFlags)
            ini.WriteBool(sSection, S(rFlag.sKey), r.rFilterOptions.*rFlag.pFlag);
        for (const TFilterText& rText : kFilterTexts)
            ini.WriteString(sSection, S(rText.sKey), r.rFilterOptions.*rText.pText);
    }

    void WriteCursor(int iCursor, bool bEnable, bool bVisible, double fLevel, int iLineWidth,
                     TColorValue clColor, const QString& sName) {
        const QString sSection = S("ChartOptions");
        const QString sPrefix = QStringLiteral("Cursor%1").arg(iCursor);
        ini.WriteBool(sSection, sPrefix + S("Enabled"), bEnable);
        ini.WriteBool(sSection, sPrefix + S("Visible"), bVisible);
        ini.WriteFloat(sSection, sPrefix + S("Level"), fLevel);
        ini.WriteInteger(sSection, sPrefix + S("LineWidth"), iLineWidth);
        ini.WriteString(sSection, sPrefix + S("Color"), ColorNumberToIni(clColor));
        ini.WriteString(sSection, sPrefix + S("Name"), sName);
    }

    void WriteChartOptions() {
        const QString sSection = S("ChartOptions");
        const TChartOptions& c = r.rChartOptions;
        ini.WriteBool(sSection, S("LeftAxisAutoScale"), c.bLeftAxisAutoScale);
        ini.WriteBool(sSection, S("RightAxisAutoScale"), c.bRightAxisAutoScale);
        ini.WriteFloat(sSection, S("LeftAxisMin"), c.fLeftAxisMin);
        ini.WriteFloat(sSection, S("LeftAxisMax"), c.fLeftAxisMax);
        ini.WriteFloat(sSection, S("RightAxisMin"), c.fRightAxisMin);
        ini.WriteFloat(sSection, S("RightAxisMax"), c.fRightAxisMax);
        ini.WriteBool(sSection, S("PeakEnabled"), c.bPeakEnabled);
        ini.WriteBool(sSection, S("IntEnabled"), c.bIntEnabled);
        ini.WriteBool(sSection, S("STMaxEnabled"), c.bSTMaxEnabled);
        ini.WriteInteger(sSection, S("PeakLineWidth"), c.iPeakLineWidth);
        ini.WriteInteger(sSection, S("IntLineWidth"), c.iIntLineWidth);
        ini.WriteInteger(sSection, S("STMaxLineWidth"), c.iSTMaxLineWidth);
        ini.WriteString(sSection, S("PeakColor"), ColorNumberToIni(c.clPeakColor));
        ini.WriteString(sSection, S("IntColor"), ColorNumberToIni(c.clIntColor));
        ini.WriteString(sSection, S("STMaxColor"), ColorNumberToIni(c.clSTMaxColor));
        WriteCursor(1, c.bCursor1Enable, c.bCursor1Visible, c.fCursor1, c.iCursor1LineWidth, c.clCursor1Color,
                    c.sCursor1Name);
        WriteCursor(2, c.bCursor2Enable, c.bCursor2Visible, c.fCursor2, c.iCursor2LineWidth, c.clCursor2Color,
                    c.sCursor2Name);
        ini.WriteBool(sSection, S("Cursor1PeakAxis"), c.bCursor1PeakAxis);
        ini.WriteBool(sSection, S("Cursor2PeakAxis"), c.bCursor2PeakAxis);
    }

    void WriteTCOptions() {
        const QString sSection = S("TCOptions");
        const TTimecodeControl& tc = r.TCCtrl;
        ini.WriteBool(sSection, S("EnableAdvancedTC"), tc.OptionEnabled);
        ini.WriteBool(sSection, S("GlobalAutoStart"), tc.Enabled);
        ini.WriteBool(sSection, S("AutoStart"), tc.EnabledStart);
        ini.WriteBool(sSection, S("AutoStop"), tc.EnabledStop);
        ini.WriteString(sSection, S("TCAutoStart"), tc.TCStart);
        ini.WriteString(sSection, S("TCAutoStop"), tc.TCStop);
        ini.WriteBool(sSection, S("SyncRTC"), tc.SyncRTC);
    }

    void WriteTableColors() {
        for (const TTableSection& rTable : kTableSections) {
            const QString sSection = S(rTable.sName);
            const TTableColorOptions& t = r.*rTable.pOptions;
            ini.WriteBool(sSection, S("MaxEnabled"), t.rMax.bEnabled);
            ini.WriteFloat(sSection, S("MaxLevel"), t.rMax.fLevel);
            ini.WriteString(sSection, S("MaxCL"), ColorNumberToIni(t.rMax.clColor));
            ini.WriteBool(sSection, S("DefaultEnabled"), t.rDefault.bEnabled);
            ini.WriteString(sSection, S("DefaultCL"), ColorNumberToIni(t.rDefault.clColor));
            ini.WriteBool(sSection, S("MinEnabled"), t.rMin.bEnabled);
            ini.WriteFloat(sSection, S("MinLevelL"), t.rMin.fLevel);
            ini.WriteString(sSection, S("MinCL"), ColorNumberToIni(t.rMin.clColor));
        }
    }

    void WriteAdvanced() {
        const QString sSection = S("Advanced");
        ini.WriteInteger(sSection, S("TimeSource"), r.iTimesource);
        ini.WriteBool(sSection, S("AcceptExternalMessages"), r.bAcceptExternalMessages);
        ini.WriteBool(sSection, S("AutoReconnect"), r.rReconnect.bEnabled);
        ini.WriteInteger(sSection, S("StallSeconds"), r.rReconnect.iStallSeconds);
        for (const TDataFlag& rFlag : kDataFlags)
            ini.WriteBool(sSection, S(rFlag.sKey), r.DataOptions.*rFlag.pFlag);
    }

    void WriteCompliance() {
        const QString sSection = S("Compliance");
        const TComplianceOptions& c = r.rComplianceOptions;
        ini.WriteInteger(sSection, S("DefaultStandard"), int(c.eDefaultStandard));
        ini.WriteFloat(sSection, S("CustomTarget"), c.rCustom.fTargetLoudness);
        ini.WriteFloat(sSection, S("CustomTolerance"), c.rCustom.fTolerance);
        ini.WriteFloat(sSection, S("CustomMaxTruePeak"), c.rCustom.fMaxTruePeak);
        ini.WriteBool(sSection, S("CustomRequireTruePeak"), c.rCustom.bRequireTruePeak);
    }
};

} // namespace

bool ReadIni(const QString& sINI, TSettings& r, const TLogLine& fnLog) {
    TIniFile ini(sINI);
    // A file that cannot be read gives the defaults, like a missing one; writing will not replace it.
    ini.Load();
    return TSettingsReader(ini, r, fnLog).Read();
}

bool WriteIni(const QString& sINI, const TSettings& r, QString& sError) {
    TIniFile ini(sINI);
    // Unknown keys and stored geometry come from the file as it stands; one that exists but cannot be read
    // is not replaced.
    if (!ini.Load()) {
        sError = QStringLiteral("Unable to write to %1").arg(sINI);
        return false;
    }
    TSettingsWriter(ini, r).Write();
    return ini.Save(sError);
}

QString SettingsFileProblem(const QString& sINI) {
    const QFileInfo info(sINI);
    if (!info.exists())
        return {};
    if (info.isDir())
        return QStringLiteral("a folder is in its place");
    QFile file(sINI);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return {};
}

bool RecoverSettingsFile(const QString& sINI, QString& sCopy, QString& sError) {
    // The user's settings are not thrown away unseen: without a copy the file stays.
    sCopy = KeepCopyBeside(sINI, QStringLiteral("unreadable"), sError);
    if (sCopy.isEmpty())
        return false;
    QFile file(sINI);
    if (!file.remove()) {
        sError = sINI + ": " + file.errorString();
        return false;
    }
    return true;
}

QStringList DefaultPDFUserText() {
    return {
        QStringLiteral("Kelmoria Audio Instruments"),
        QStringLiteral("Measuring Lane 1"),
        QStringLiteral("0000 Sample Town"),
        QStringLiteral("Sampleland"),
        QString(),
        QStringLiteral("Phone: +00 00 00 00 00"),
        QStringLiteral("Fax: +00 00 00 00 01"),
        QString(),
        QString(),
        QStringLiteral("Kelmoria Audio Instruments"),
        QStringLiteral("Loudness you can prove."),
    };
}

TWindowPlacement PlacementForMonitors(const TWindowPlacement& rStored, int iMonitorsNow) {
    TWindowPlacement rPlace = rStored;
    if (rStored.MonitorCount > 0 && rStored.MonitorCount != iMonitorsNow) {
        const TWindowPlacement def;
        rPlace.X = def.X;
        rPlace.Y = def.Y;
        rPlace.Width = def.Width;
        rPlace.Height = def.Height;
    }
    return rPlace;
}

TWindowPlacement FitPlacementToScreen(const TWindowPlacement& rPlace, const QRect& rAvailable,
                                      int iFrameTop) {
    TWindowPlacement rFit = rPlace;
    if (!rAvailable.isValid())
        return rFit;
    const int iTop = rAvailable.top() + std::clamp(iFrameTop, 0, rAvailable.height() / 2);
    rFit.Width = std::clamp(rPlace.Width, 1, rAvailable.width());
    rFit.Height = std::clamp(rPlace.Height, 1, rAvailable.bottom() + 1 - iTop);
    rFit.X = std::clamp(rPlace.X, rAvailable.left(), rAvailable.right() + 1 - rFit.Width);
    rFit.Y = std::clamp(rPlace.Y, iTop, rAvailable.bottom() + 1 - rFit.Height);
    return rFit;
}

QString TruncateString(const QString& sIn, int iLength, bool bFileMode) {
    const int iKeep = std::max(iLength, 0);
    if (sIn.size() <= iKeep)
        return sIn;
    if (!bFileMode)
        return sIn.left(iKeep) + QStringLiteral("...");
    const QString sSep = QDir::separator();
    const qsizetype iLastSep = std::max(sIn.lastIndexOf(QLatin1Char('/')), sIn.lastIndexOf(sSep));
    return sIn.left(6) + QStringLiteral("...") + sSep + QStringLiteral("...") + sSep + sIn.mid(iLastSep + 1);
}
