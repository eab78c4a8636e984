#include "core/SettingsFile.h"
#include "core/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        sINI = dir.filePath(QStringLiteral("QXLogging.INI"));
        // Float keys follow the locale; these tests want a point.
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override { QLocale::setDefault(locSaved); }

    void WriteFile(const QByteArray& aContent) const { WriteFileAt(sINI, aContent); }
    static void WriteFileAt(const QString& sPath, const QByteArray& aContent) {
        QFile file(sPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(aContent), aContent.size());
    }
    static QByteArray FileContent(const QString& sPath) {
        QFile file(sPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The file as written, read back through the INI layer.
    TIniFile Reloaded() const {
        TIniFile ini(sINI);
        EXPECT_TRUE(ini.Load());
        return ini;
    }
    void Write(const TSettings& r) const {
        QString sError;
        ASSERT_TRUE(WriteIni(sINI, r, sError)) << qPrintable(sError);
    }

    QTemporaryDir dir;
    QString sINI;
    QLocale locSaved;
};

void ExpectSameInstrument(const TInstrumentInfo& a, const TInstrumentInfo& b) {
    EXPECT_EQ(a.iLoggingStatus, b.iLoggingStatus);
    EXPECT_EQ(a.sInstrumentName, b.sInstrumentName);
    EXPECT_EQ(a.sHostName, b.sHostName);
    EXPECT_EQ(a.iPort, b.iPort);
    EXPECT_EQ(a.sUserName, b.sUserName);
    EXPECT_EQ(a.sPassword, b.sPassword);
    EXPECT_EQ(a.bVovEzodevName, b.bVovEzodevName);
    EXPECT_EQ(a.iSerialNo, b.iSerialNo);
    EXPECT_EQ(a.bComPort, b.bComPort);
    EXPECT_EQ(a.bValid, b.bValid);
}

void ExpectSameDataOptions(const TDataOptions& a, const TDataOptions& b) {
    const bool TDataOptions::*aFlags[] = {
        &TDataOptions::bEnablePeakLevel,      &TDataOptions::bEnablePeakLevelMin,
        &TDataOptions::bEnablePeakLevelMax,   &TDataOptions::bEnablePeakChannel,
        &TDataOptions::bEnablePeakCount,      &TDataOptions::bEnableShortTerm,
        &TDataOptions::bEnableShortTermMin,   &TDataOptions::bEnableShortTermMax,
        &TDataOptions::bEnableIntegrating,    &TDataOptions::bEnableIntegratingMin,
        &TDataOptions::bEnableIntegratingMax,
    };
    for (const auto pFlag : aFlags)
        EXPECT_EQ(a.*pFlag, b.*pFlag);
}

// Every stored field; TCPaused is never stored.
void ExpectSameSettings(const TSettings& a, const TSettings& b) {
    EXPECT_EQ(a.iLNG, b.iLNG);
    EXPECT_EQ(a.sDatabaseFileName, b.sDatabaseFileName);
    EXPECT_EQ(a.slLocalDB, b.slLocalDB);
    EXPECT_EQ(a.bAskForSessionInfo, b.bAskForSessionInfo);
    EXPECT_EQ(a.bAllowSessionInfoEdit, b.bAllowSessionInfoEdit);
    ASSERT_EQ(a.aNetworkInstruments.size(), b.aNetworkInstruments.size());
    for (qsizetype i = 0; i < a.aNetworkInstruments.size(); ++i)
        ExpectSameInstrument(a.aNetworkInstruments[i], b.aNetworkInstruments[i]);
    ExpectSameInstrument(a.rActiveNetworkCFG, b.rActiveNetworkCFG);
    EXPECT_TRUE(a.rPDFOptions == b.rPDFOptions);
    EXPECT_TRUE(a.rCSVOptions == b.rCSVOptions);
    EXPECT_TRUE(a.rChartOptions == b.rChartOptions);
    EXPECT_TRUE(a.rTablePeakColorOptions == b.rTablePeakColorOptions);
    EXPECT_TRUE(a.rTableSTMaxColorOptions == b.rTableSTMaxColorOptions);
    EXPECT_TRUE(a.rTableSTMinColorOptions == b.rTableSTMinColorOptions);
    EXPECT_TRUE(a.rTableIntColorOptions == b.rTableIntColorOptions);
    TTimecodeControl tcA = a.TCCtrl, tcB = b.TCCtrl;
    tcA.TCPaused = tcB.TCPaused;
    EXPECT_TRUE(tcA == tcB);
    ExpectSameDataOptions(a.DataOptions, b.DataOptions);
    EXPECT_EQ(a.iTimesource, b.iTimesource);
    EXPECT_EQ(a.bAcceptExternalMessages, b.bAcceptExternalMessages);
    EXPECT_TRUE(a.rReconnect == b.rReconnect);
    EXPECT_TRUE(a.rWindow == b.rWindow);
    EXPECT_TRUE(a.rChartWindow == b.rChartWindow);
    EXPECT_TRUE(a.rFilterOptions == b.rFilterOptions);
    EXPECT_TRUE(a.rComplianceOptions == b.rComplianceOptions);
    EXPECT_TRUE(a.rStation == b.rStation);
}

TEST_F(SettingsFile, MissingFileGivesDefaults) {
    TSettings r;
    TSettings rExpected;
    rExpected.rPDFOptions.slUserText = DefaultPDFUserText();
    // Reading appends instruments, so one known before stays.
    TInstrumentInfo rKnown;
    rKnown.sHostName = QStringLiteral("meter-1");
    rKnown.bValid = true;
    r.aNetworkInstruments << rKnown;
    rExpected.aNetworkInstruments << rKnown;
    r.TCCtrl.TCPaused = QStringLiteral("01:02:03:04");

    ASSERT_TRUE(ReadIni(sINI, r));
    ExpectSameSettings(r, rExpected);
    EXPECT_EQ(r.TCCtrl.TCPaused, "00:00:00:00");
    EXPECT_EQ(r.rPDFOptions.slUserText.size(), 11);
    EXPECT_EQ(r.rActiveNetworkCFG.iPort, 0);
    EXPECT_EQ(r.rChartOptions.clSTMaxColor, 33023u);
    EXPECT_EQ(r.rTableSTMinColorOptions.rMin.clColor, 8388736u);
}

TEST_F(SettingsFile, EverySettingSurvivesWriteAndRead) {
    TSettings r;
    r.iLNG = 1;
    r.sDatabaseFileName = QStringLiteral("/data/Sessions.DB3");
    r.slLocalDB = {QStringLiteral("/data/alpha.DB3"), QStringLiteral("/data/Beta.DB3")};
    r.bAskForSessionInfo = false;
    r.bAllowSessionInfoEdit = true;
    TInstrumentInfo rInst;
    rInst.sInstrumentName = QStringLiteral("Studio B");
    rInst.sHostName = QStringLiteral("10.0.0.7");
    rInst.sUserName = QStringLiteral("tekniker");
    rInst.sPassword = QStringLiteral("hemmeligt");
    rInst.iPort = 2323;
    rInst.bVovEzodevName = false;
    rInst.iSerialNo = 4711;
    rInst.bValid = true;
    r.aNetworkInstruments << rInst;
    r.rActiveNetworkCFG = rInst;
    r.rActiveNetworkCFG.bComPort = true;
    r.rPDFOptions.sHeadline = QStringLiteral("%TITLE%");
    r.rPDFOptions.sHeadline1 = QStringLiteral("Second");
    r.rPDFOptions.sUserImage = QStringLiteral("/img/logo.png");
    r.rPDFOptions.slUserText = {QStringLiteral("Line 1"), QString(), QStringLiteral("Line 3")};
    r.rPDFOptions.clEvenLines = 0x00123456;
    r.rPDFOptions.clOddLines = clCream;
    r.rPDFOptions.FontNormal = {QStringLiteral("Tahoma"), 8, TFontStyle::fsItalic | TFontStyle::fsStrikeOut,
                                clNavy};
    r.rPDFOptions.FontOverload = {QStringLiteral("Courier"), 12, TFontStyle::fsUnderline, clFuchsia};
    r.rPDFOptions.bChartSessionInfo = false;
    r.rCSVOptions = {QStringLiteral("\t"), QStringLiteral("."), false, true, false};
    r.rChartOptions.fLeftAxisMin = -60.5;
    r.rChartOptions.fRightAxisMax = 3.25;
    r.rChartOptions.fCursor1 = -23;
    r.rChartOptions.fCursor2 = -1.5;
    r.rChartOptions.bLeftAxisAutoScale = false;
    r.rChartOptions.bCursor2Enable = true;
    r.rChartOptions.bCursor2Visible = true;
    r.rChartOptions.clPeakColor = clMaroon;
    r.rChartOptions.clCursor2Color = clSystemColor + 5;
    r.rChartOptions.iPeakLineWidth = 9;
    r.rChartOptions.iSTMaxLineWidth = 4;
    r.rChartOptions.iCursor2LineWidth = 3;
    r.rChartOptions.bIntEnabled = false;
    r.rChartOptions.sCursor1Name = QStringLiteral("Target");
    r.rChartOptions.bCursor2PeakAxis = true;
    r.rTablePeakColorOptions.rMax = {true, -1.0, clYellow};
    r.rTableSTMaxColorOptions.rDefault = {true, 0.0, clTeal};
    r.rTableSTMinColorOptions.rMin = {true, -70.25, clOlive};
    r.rTableIntColorOptions.rMax.fLevel = -22.5;
    r.TCCtrl = {true,
                true,
                true,
                false,
                false,
                QStringLiteral("10:00:00:00"),
                QStringLiteral("11:30:00:00"),
                QStringLiteral("00:00:00:00")};
    r.DataOptions.bEnablePeakLevel = false;
    r.DataOptions.bEnableIntegratingMax = true;
    r.iTimesource = 1;
    r.rWindow = {15, 25, 1024, 768, 1, false, 1};
    r.rChartWindow = {30, 40, 900, 500, 0, false, 0};
    r.rFilterOptions.bEnableTCEnd = true;
    r.rFilterOptions.bEnableIntUnder = true;
    r.rFilterOptions.sTCEnd = QStringLiteral("12:00:00:00");
    r.rFilterOptions.sLoUnder = QStringLiteral("-3.5");
    r.bAcceptExternalMessages = true;
    r.rComplianceOptions.eDefaultStandard = TStandardId::Custom;
    r.rComplianceOptions.rCustom = {TStandardId::Custom, -16.0, 1.5, -2.0, false};

    Write(r);
    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    ExpectSameSettings(rRead, r);

    // A fresh file gets its sections in writing order.
    const QStringList slExpected = {
        "Window",     "ChartWindow", "LocalDB",     "Configuration", "Instrument_0", "CurrentNetwork",
        "PDFOptions", "PDFUserText", "CSVOptions",  "FilterOptions", "ChartOptions", "TCOptions",
        "DBTBL_Peak", "DBTBL_STMAX", "DBTBL_STMIN", "DBTBL_INT",     "Advanced",     "Compliance",
    };
    EXPECT_EQ(Reloaded().ReadSections(), slExpected);
}

// A file as a user may have it after some years: numbered instruments with gaps, a broken instrument, a
// section of another program, values out of range.
TEST_F(SettingsFile, ReadAndWriteBackKeepsForeignPartsAndAppliesTheRules) {
    WriteFile("; written by hand\n"
              "[Configuration]\n"
              "LastDB=/data/a.DB3\n"
              "GUILanguage=2\n"
              "Remark=kept\n"
              "[Instrument_0]\n"
              "InstName=Control Room\n"
              "HostName=10.0.0.1\n"
              "Port=2023\n"
              "SerialNumber=1001\n"
              "[instrument_x]\n"
              "HostName=not-an-instrument\n"
              "[OtherTool]\n"
              "Colour=purple\n"
              "Size=3\n"
              "[Instrument_5]\n"
              "InstName=Truck\n"
              "HostName=truck.local\n"
              "VovEzodevName=0\n"
              "[Instrument_7]\n"
              "InstName=Broken\n"
              "HostName=\n"
              "[ChartOptions]\n"
              "PeakLineWidth=10\n"
              "IntLineWidth=0\n"
              "STMaxLineWidth=0\n"
              "Cursor1LineWidth=12\n"
              "[TCOptions]\n"
              "EnableAdvancedTC=0\n"
              "GlobalAutoStart=1\n"
              "[PDFOptions]\n"
              "EvenLines=clsilver\n"
              "OddLines=$00FF00FF\n"
              "FontColorNormal=12632256\n");
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.iLNG, 0);
    EXPECT_EQ(r.rChartOptions.iPeakLineWidth, 1);
    EXPECT_EQ(r.rChartOptions.iIntLineWidth, 1);
    EXPECT_EQ(r.rChartOptions.iSTMaxLineWidth, 0);
    EXPECT_EQ(r.rChartOptions.iCursor1LineWidth, 12);
    EXPECT_FALSE(r.TCCtrl.OptionEnabled);
    EXPECT_FALSE(r.TCCtrl.Enabled);
    EXPECT_EQ(r.rPDFOptions.clEvenLines, clSilver);
    EXPECT_EQ(r.rPDFOptions.clOddLines, clFuchsia);
    EXPECT_EQ(r.rPDFOptions.FontNormal.Color, clSilver);
    ASSERT_EQ(r.aNetworkInstruments.size(), 3);
    EXPECT_EQ(r.aNetworkInstruments[0].sInstrumentName, "Control Room");
    EXPECT_EQ(r.aNetworkInstruments[0].iPort, 2023);
    EXPECT_EQ(r.aNetworkInstruments[0].iSerialNo, 1001);
    EXPECT_TRUE(r.aNetworkInstruments[0].bValid);
    EXPECT_EQ(r.aNetworkInstruments[1].sInstrumentName, "Truck");
    EXPECT_EQ(r.aNetworkInstruments[1].iPort, 23);
    EXPECT_FALSE(r.aNetworkInstruments[1].bVovEzodevName);
    EXPECT_TRUE(r.aNetworkInstruments[1].bValid);
    EXPECT_FALSE(r.aNetworkInstruments[2].bValid);

    Write(r);
    const TIniFile ini = Reloaded();
    const QStringList slSections = ini.ReadSections();
    EXPECT_TRUE(slSections.contains("Instrument_0"));
    EXPECT_TRUE(slSections.contains("Instrument_1"));
    EXPECT_FALSE(slSections.contains("Instrument_5"));
    EXPECT_FALSE(slSections.contains("Instrument_2"));
    EXPECT_FALSE(slSections.contains("Instrument_7"));
    EXPECT_EQ(ini.ReadString("Instrument_0", "InstName", {}), "Control Room");
    EXPECT_EQ(ini.ReadString("Instrument_1", "InstName", {}), "Truck");
    EXPECT_EQ(ini.ReadString("Configuration", "GUILanguage", {}), "0");
    EXPECT_EQ(ini.ReadString("Configuration", "Remark", {}), "kept");
    EXPECT_EQ(ini.ReadString("ChartOptions", "PeakLineWidth", {}), "1");
    EXPECT_EQ(ini.ReadString("ChartOptions", "STMaxLineWidth", {}), "0");
    EXPECT_EQ(ini.ReadString("TCOptions", "GlobalAutoStart", {}), "0");
    EXPECT_EQ(ini.ReadString("PDFOptions", "EvenLines", {}), "clSilver");
    EXPECT_EQ(ini.ReadString("PDFOptions", "OddLines", {}), "clFuchsia");

    // The foreign sections stand as they were, in their place before the rewritten instruments.
    const QByteArray aText = FileContent(sINI);
    EXPECT_TRUE(aText.startsWith("; written by hand\n")) << aText.constData();
    EXPECT_TRUE(aText.contains("[instrument_x]\nHostName=not-an-instrument\n")) << aText.constData();
    EXPECT_TRUE(aText.contains("[OtherTool]\nColour=purple\nSize=3\n")) << aText.constData();
    EXPECT_LT(slSections.indexOf("OtherTool"), slSections.indexOf("Instrument_0"));

    TSettings rAgain;
    ASSERT_TRUE(ReadIni(sINI, rAgain));
    ASSERT_EQ(rAgain.aNetworkInstruments.size(), 2);
    EXPECT_EQ(rAgain.aNetworkInstruments[0].sHostName, "10.0.0.1");
    EXPECT_EQ(rAgain.aNetworkInstruments[1].sHostName, "truck.local");
}

// The station's section is the administrator's: read with defaults for what is missing, and left exactly as
// written (comments and all) when the window writes the settings back.
TEST_F(SettingsFile, StationSectionIsReadAndLeftAsWritten) {
    const QByteArray Station = "[Station]\n"
                               "; the control room's logger\n"
                               "titletemplate=Channel 1 %date% %time%\n"
                               "Station=\n"
                               "Operator=Night shift\n"
                               "Notes=Unattended; \"quoted\" as typed\n"
                               "RotateAt=06:00\n"
                               "RotateEveryHours=8\n";
    WriteFile("[Configuration]\nLastDB=/data/a.DB3\n" + Station);
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.rStation.sTitleTemplate, "Channel 1 %date% %time%");
    EXPECT_EQ(r.rStation.sStation, "");
    EXPECT_EQ(r.rStation.sOperatorName, "Night shift");
    EXPECT_EQ(r.rStation.sNotes, "Unattended; \"quoted\" as typed");
    EXPECT_EQ(r.rStation.sShowNumber, "");
    EXPECT_EQ(r.rStation.sFormat, "");
    EXPECT_EQ(r.rStation.sRotateAt, "06:00");
    EXPECT_EQ(r.rStation.sRotateEveryHours, "8");

    // The window changes its own settings and writes them; the station's lines come back unchanged.
    r.iLNG = 1;
    r.rStation.sTitleTemplate = QStringLiteral("changed in memory only");
    r.rStation.sRotateAt = QStringLiteral("07:00:00");
    Write(r);
    const QByteArray Written = FileContent(sINI);
    for (const QByteArray& Line : Station.split('\n'))
        EXPECT_TRUE(Written.contains(Line + '\n')) << Line.toStdString() << "\n" << Written.toStdString();
    TSettings rAgain;
    ASSERT_TRUE(ReadIni(sINI, rAgain));
    EXPECT_EQ(rAgain.rStation.sTitleTemplate, "Channel 1 %date% %time%");
    EXPECT_EQ(rAgain.rStation.sNotes, "Unattended; \"quoted\" as typed");
    EXPECT_EQ(rAgain.rStation.sRotateAt, "06:00");

    // Without the section, the defaults.
    WriteFile("[Configuration]\nLastDB=/data/a.DB3\n");
    TSettings rDefaults;
    ASSERT_TRUE(ReadIni(sINI, rDefaults));
    EXPECT_TRUE(rDefaults.rStation == TStationOptions());
    EXPECT_EQ(rDefaults.rStation.sTitleTemplate, "%station% %date%");
}

// Reconnecting: off in the window and on in the station unless the file says otherwise; the window's keys
// are written back, a stall time out of its range reads as the default.
TEST_F(SettingsFile, ReconnectKeysReadWithTheirDefaultsAndBounds) {
    const struct {
        const char* sCase;
        QByteArray File;
        bool bWindow;
        int iStallSeconds;
        bool bStation;
    } aCases[] = {
        {"missing", "", false, 10, true},
        {"set", "[Advanced]\nAutoReconnect=1\nStallSeconds=3\n[Station]\nAutoReconnect=0\n", true, 3, false},
        {"lowest", "[Advanced]\nStallSeconds=2\n", false, 2, true},
        {"too short", "[Advanced]\nStallSeconds=1\n", false, 10, true},
        {"negative", "[Advanced]\nStallSeconds=-5\n", false, 10, true},
        {"too long", "[Advanced]\nStallSeconds=3601\n", false, 10, true},
        {"not a number", "[Advanced]\nStallSeconds=ten\n", false, 10, true},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sCase);
        WriteFile("[Configuration]\nLastDB=/data/a.DB3\n" + c.File);
        TSettings r;
        ASSERT_TRUE(ReadIni(sINI, r));
        EXPECT_EQ(r.rReconnect.bEnabled, c.bWindow);
        EXPECT_EQ(r.rReconnect.iStallSeconds, c.iStallSeconds);
        EXPECT_EQ(r.rStation.bReconnect, c.bStation);
    }

    TSettings r;
    r.rReconnect.bEnabled = true;
    r.rReconnect.iStallSeconds = 45;
    Write(r);
    const QByteArray Written = FileContent(sINI);
    EXPECT_TRUE(Written.contains("AutoReconnect=1\n")) << Written.toStdString();
    EXPECT_TRUE(Written.contains("StallSeconds=45\n")) << Written.toStdString();
    TSettings rAgain;
    ASSERT_TRUE(ReadIni(sINI, rAgain));
    EXPECT_TRUE(rAgain.rReconnect == r.rReconnect);
}

TEST_F(SettingsFile, InvalidInstrumentsLeaveGapsInTheNumbers) {
    TSettings r;
    r.aNetworkInstruments.resize(3);
    r.aNetworkInstruments[0].sHostName = QStringLiteral("a");
    r.aNetworkInstruments[0].bValid = true;
    r.aNetworkInstruments[2].sHostName = QStringLiteral("c");
    r.aNetworkInstruments[2].bValid = true;
    Write(r);
    const QStringList slSections = Reloaded().ReadSections();
    EXPECT_TRUE(slSections.contains("Instrument_0"));
    EXPECT_FALSE(slSections.contains("Instrument_1"));
    EXPECT_TRUE(slSections.contains("Instrument_2"));
}

// Names match without regard to case, so an instrument written into a section that only differs in case
// from a foreign one would be lost at the next start.
TEST_F(SettingsFile, InstrumentDoesNotMergeIntoAForeignSectionOfTheSameName) {
    WriteFile("[instrument_0]\nNote=foreign\n");
    TSettings r;
    r.aNetworkInstruments.resize(1);
    r.aNetworkInstruments[0].sHostName = QStringLiteral("studio");
    r.aNetworkInstruments[0].bValid = true;
    Write(r);
    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    ASSERT_EQ(rRead.aNetworkInstruments.size(), 1);
    EXPECT_EQ(rRead.aNetworkInstruments[0].sHostName, "studio");
    EXPECT_EQ(Reloaded().ReadString("instrument_0", "Note", {}), "foreign");
}

// A hand-edited file may spell names in any case: the value must be read, and writing must update that
// key in its stored spelling instead of adding a second one that a later read may or may not see.
TEST_F(SettingsFile, NamesInAnyCaseAreReadAndWrittenBackOnce) {
    struct TCase {
        const char* pFile;
        std::function<void(const TSettings&)> Check;
        // Each must stand exactly once in the written file.
        QList<QByteArray> aOnce;
        // The program's own spelling, which must not be added.
        QList<QByteArray> aAbsent;
    };
    const TCase aCases[] = {
        {"[configuration]\nLastDB=/data/x.DB3\nGUILanguage=1\n",
         [](const TSettings& r) {
             EXPECT_EQ(r.sDatabaseFileName, "/data/x.DB3");
             EXPECT_EQ(r.iLNG, 1);
         },
         {"[configuration]\n", "LastDB=/data/x.DB3\n", "GUILanguage=1\n"},
         {"[Configuration]"}},
        {"[Configuration]\nlastdb=/data/y.DB3\nGUILANGUAGE=1\n",
         [](const TSettings& r) {
             EXPECT_EQ(r.sDatabaseFileName, "/data/y.DB3");
             EXPECT_EQ(r.iLNG, 1);
         },
         {"[Configuration]\n", "lastdb=/data/y.DB3\n", "GUILANGUAGE=1\n"},
         {"LastDB=", "GUILanguage="}},
        {"[Advanced]\nenablepeaklevel=0\n",
         [](const TSettings& r) { EXPECT_FALSE(r.DataOptions.bEnablePeakLevel); },
         {"[Advanced]\n", "enablepeaklevel=0\n"},
         {"EnablePeakLevel="}},
        {"[WINDOW]\nwidth=1000\nACTIVEPAGE=1\n",
         [](const TSettings& r) {
             EXPECT_EQ(r.rWindow.Width, 1000);
             EXPECT_EQ(r.rWindow.ActivePage, 1);
         },
         {"[WINDOW]\n", "width=1000\n", "ACTIVEPAGE=1\n"},
         {"[Window]", "ActivePage="}},
        {"[pdfoptions]\nevenlines=clRed\n[pdfusertext]\n0=Mine\n",
         [](const TSettings& r) {
             EXPECT_EQ(r.rPDFOptions.clEvenLines, clRed);
             EXPECT_EQ(r.rPDFOptions.slUserText, QStringList{"Mine"});
         },
         // The address block is erased and written anew, so it takes the program's spelling.
         {"[pdfoptions]\n", "evenlines=clRed\n", "[PDFUserText]\n0=Mine\n"},
         {"[PDFOptions]", "[pdfusertext]", "EvenLines="}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.pFile);
        WriteFile(c.pFile);
        TSettings r;
        ASSERT_TRUE(ReadIni(sINI, r));
        c.Check(r);
        Write(r);
        const QByteArray aText = FileContent(sINI);
        for (const QByteArray& a : c.aOnce)
            EXPECT_EQ(aText.count(a), 1) << a.constData() << "\n" << aText.constData();
        for (const QByteArray& a : c.aAbsent)
            EXPECT_FALSE(aText.contains(a)) << a.constData() << "\n" << aText.constData();
        TSettings rAgain;
        ASSERT_TRUE(ReadIni(sINI, rAgain));
        c.Check(rAgain);
    }
}

TEST_F(SettingsFile, ColourErrorStopsReadingAndEveryRecoveryKeepsACopyOfItsOwn) {
    const QByteArray aBad = "[Configuration]\nGUILanguage=1\n"
                            "[PDFOptions]\nHeadline=Mine\nEvenLines=notacolour\nFontSizeNormal=9\n"
                            "[CSVOptions]\nSeparationChar=,\n";
    WriteFile(aBad);
    TSettings r;
    EXPECT_FALSE(ReadIni(sINI, r));
    // Read before the bad key: new values; after it: what they held.
    EXPECT_EQ(r.iLNG, 1);
    EXPECT_EQ(r.rPDFOptions.sHeadline, "Mine");
    EXPECT_EQ(r.rPDFOptions.clEvenLines, clSilver);
    EXPECT_EQ(r.rPDFOptions.FontNormal.Size, 6);
    EXPECT_EQ(r.rCSVOptions.sCSVSeparationChar, ";");

    QString sCopy;
    QString sError;
    ASSERT_TRUE(RecoverSettingsFile(sINI, sCopy, sError)) << qPrintable(sError);
    EXPECT_FALSE(QFile::exists(sINI));
    EXPECT_TRUE(sCopy.startsWith(sINI + ".unreadable-")) << qPrintable(sCopy);
    EXPECT_EQ(FileContent(sCopy), aBad);
    TSettings rFresh;
    EXPECT_TRUE(ReadIni(sINI, rFresh));
    EXPECT_EQ(rFresh.iLNG, 0);

    // A second unreadable file, within the same second: its own copy, the first one kept.
    const QByteArray aSecondBad = "[PDFOptions]\nOddLines=nocolour\n";
    WriteFile(aSecondBad);
    TSettings rSecond;
    EXPECT_FALSE(ReadIni(sINI, rSecond));
    QString sSecondCopy;
    ASSERT_TRUE(RecoverSettingsFile(sINI, sSecondCopy, sError)) << qPrintable(sError);
    EXPECT_NE(sSecondCopy, sCopy);
    EXPECT_EQ(FileContent(sCopy), aBad);
    EXPECT_EQ(FileContent(sSecondCopy), aSecondBad);
}

TEST_F(SettingsFile, AnUnreadableFileThatCannotBeCopiedIsLeftAsItIs) {
    const QByteArray aBad = "[PDFOptions]\nEvenLines=notacolour\n";
    WriteFile(aBad);
    // A folder that takes no new file, for a privileged user too.
    ASSERT_TRUE(qxtest::SetImmutable(dir.path(), true));
    QString sCopy;
    QString sError;
    const bool bRecovered = RecoverSettingsFile(sINI, sCopy, sError);
    qxtest::SetImmutable(dir.path(), false);
    EXPECT_FALSE(bRecovered);
    EXPECT_TRUE(sCopy.isEmpty());
    EXPECT_FALSE(sError.isEmpty());
    EXPECT_EQ(FileContent(sINI), aBad);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"QXLogging.INI"});
}

TEST_F(SettingsFile, CredentialsAreStoredScrambled) {
    TSettings r;
    TInstrumentInfo rInst;
    rInst.sHostName = QStringLiteral("meter.local");
    rInst.sUserName = QStringLiteral("bruger");
    rInst.sPassword = QStringLiteral("blåbærgrød");
    rInst.bValid = true;
    r.aNetworkInstruments << rInst;
    r.rActiveNetworkCFG = rInst;
    r.rActiveNetworkCFG.sUserName = QStringLiteral("ørsted");
    Write(r);
    const QByteArray aText = FileContent(sINI);
    EXPECT_FALSE(aText.contains("bruger"));
    EXPECT_FALSE(aText.contains(QStringLiteral("blåbærgrød").toUtf8()));
    EXPECT_FALSE(aText.contains(QStringLiteral("ørsted").toUtf8()));

    TSettings rRead;
    QStringList slLog;
    ASSERT_TRUE(ReadIni(sINI, rRead, [&](const QString& s) { slLog << s; }));
    ASSERT_EQ(rRead.aNetworkInstruments.size(), 1);
    EXPECT_EQ(rRead.aNetworkInstruments[0].sUserName, "bruger");
    EXPECT_EQ(rRead.aNetworkInstruments[0].sPassword, QStringLiteral("blåbærgrød"));
    EXPECT_EQ(rRead.rActiveNetworkCFG.sUserName, QStringLiteral("ørsted"));
    EXPECT_EQ(rRead.rActiveNetworkCFG.sPassword, QStringLiteral("blåbærgrød"));
    EXPECT_TRUE(slLog.isEmpty()) << qPrintable(slLog.join('\n'));
}

TEST_F(SettingsFile, PlainStoredPasswordIsUsedAsTypedAndLogged) {
    WriteFile("[CurrentNetwork]\nHostName=h\nUserName=\nPassword=letters\nValid=1\n");
    TSettings r;
    QStringList slLog;
    ASSERT_TRUE(ReadIni(sINI, r, [&](const QString& s) { slLog << s; }));
    EXPECT_EQ(r.rActiveNetworkCFG.sPassword, "letters");
    EXPECT_EQ(r.rActiveNetworkCFG.sUserName, "");
    EXPECT_TRUE(r.rActiveNetworkCFG.bValid);
    EXPECT_EQ(slLog, QStringList{"Decrypt Error: letters|0"});
}

TEST_F(SettingsFile, MaximizedWindowAndChartTabKeepTheStoredValues) {
    WriteFile("[Window]\nX=100\nY=110\nWidth=1200\nHeight=900\nActivePage=1\n"
              "[ChartWindow]\nX=5\nY=6\nWidth=700\nHeight=400\n");
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    r.rWindow = {1, 2, 3, 4, 2, true, 2};
    r.rChartWindow = {7, 8, 9, 10, 0, true, 0};
    Write(r);
    const TIniFile ini = Reloaded();
    EXPECT_EQ(ini.ReadString("Window", "X", {}), "100");
    EXPECT_EQ(ini.ReadString("Window", "Height", {}), "900");
    EXPECT_EQ(ini.ReadString("Window", "Maximized", {}), "1");
    EXPECT_EQ(ini.ReadString("Window", "MonitorCount", {}), "2");
    EXPECT_EQ(ini.ReadString("Window", "ActivePage", {}), "1");
    EXPECT_EQ(ini.ReadString("ChartWindow", "Width", {}), "700");
    EXPECT_EQ(ini.ReadString("ChartWindow", "Maximized", {}), "1");
    EXPECT_FALSE(ini.ValueExists("ChartWindow", "MonitorCount"));
    EXPECT_FALSE(ini.ValueExists("ChartWindow", "ActivePage"));

    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    EXPECT_TRUE(rRead.rWindow == (TWindowPlacement{100, 110, 1200, 900, 2, true, 1}));
}

TEST_F(SettingsFile, ListsAreRewrittenWhole) {
    WriteFile("[LocalDB]\n0=/z/zeta.DB3\n1=/a/Alpha.DB3\n2=/b/beta.DB3\n3=/a/Alpha.DB3\n"
              "[PDFUserText]\n0=" +
              QByteArray(300, 'x') + "\n1=second\n");
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.slLocalDB, (QStringList{"/a/Alpha.DB3", "/b/beta.DB3", "/z/zeta.DB3"}));
    ASSERT_EQ(r.rPDFOptions.slUserText.size(), 2);
    EXPECT_EQ(r.rPDFOptions.slUserText[0], QString(255, QLatin1Char('x')));

    r.slLocalDB = {QStringLiteral("/only.DB3")};
    r.rPDFOptions.slUserText.clear();
    Write(r);
    const TIniFile ini = Reloaded();
    EXPECT_EQ(ini.ReadSection("LocalDB"), QStringList{"0"});
    EXPECT_EQ(ini.ReadString("LocalDB", "0", {}), "/only.DB3");
    EXPECT_FALSE(ini.SectionExists("PDFUserText"));
    // A cleared address block is the default one again at the next start.
    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    EXPECT_EQ(rRead.rPDFOptions.slUserText, DefaultPDFUserText());
}

// Values typed by the user must come back as typed and never add lines to the file.
TEST_F(SettingsFile, AwkwardTextValues) {
    TSettings r;
    r.rCSVOptions.sCSVSeparationChar = QStringLiteral(" ");
    r.rCSVOptions.sCSVDecimalChar = QStringLiteral("\"");
    r.rPDFOptions.sHeadline = QStringLiteral("\"quoted\"");
    r.rPDFOptions.sHeadline1 = QStringLiteral("  padded\t");
    r.rChartOptions.sCursor1Name = QStringLiteral("; not a comment = really");
    r.rActiveNetworkCFG.sInstrumentName = QStringLiteral("evil\r\n[Configuration]\nGUILanguage=1");
    Write(r);
    TSettings rRead;
    ASSERT_TRUE(ReadIni(sINI, rRead));
    EXPECT_EQ(rRead.rCSVOptions.sCSVSeparationChar, " ");
    EXPECT_EQ(rRead.rCSVOptions.sCSVDecimalChar, "\"");
    EXPECT_EQ(rRead.rPDFOptions.sHeadline, "\"quoted\"");
    EXPECT_EQ(rRead.rPDFOptions.sHeadline1, "  padded\t");
    EXPECT_EQ(rRead.rChartOptions.sCursor1Name, "; not a comment = really");
    EXPECT_EQ(rRead.iLNG, 0);
    EXPECT_EQ(rRead.rActiveNetworkCFG.sInstrumentName, "evil  [Configuration] GUILanguage=1");
}

// Keys the program does not know are kept: every save must give them back as they were read, however
// often the file is saved.
TEST_F(SettingsFile, KeptKeysReadBackTheSameAfterEverySave) {
    struct TCase {
        const char* sName;
        QByteArray aFile;
        const char* sSection;
        const char* sKey;
        const char* sValue;
    };
    const TCase aCases[] = {
        {"value in quotes", "[OtherTool]\nTitle=\"\"in quotes\"\"\n", "OtherTool", "Title", "\"in quotes\""},
        {"value in two pairs", "[OtherTool]\nTitle=\"\"\"x\"\"\"\n", "OtherTool", "Title", "\"\"x\"\""},
        {"blanks kept by quotes", "[OtherTool]\nPad=\" a \"\n", "OtherTool", "Pad", " a "},
        // A section line without its bracket is skipped; the keys below it stay in the section above.
        {"open section line", "[OtherTool]\nA=1\n[Broken\nB=2\n[Next]\nC=3\n", "OtherTool", "B", "2"},
        {"open section line, CR LF", "[OtherTool]\r\n  [Broken\r\nB=2\r\n", "OtherTool", "B", "2"},
    };
    for (const TCase& Case : aCases) {
        SCOPED_TRACE(Case.sName);
        WriteFile(Case.aFile);
        for (int iSave = 0; iSave < 3; ++iSave) {
            TSettings r;
            ASSERT_TRUE(ReadIni(sINI, r));
            Write(r);
            const TIniFile ini = Reloaded();
            EXPECT_EQ(ini.ReadString(Case.sSection, Case.sKey, "missing").toStdString(), Case.sValue)
                << iSave;
            for (const QString& sSection : ini.ReadSections())
                EXPECT_FALSE(sSection.contains('\n') || sSection.contains('\r')) << qPrintable(sSection);
        }
    }
}

// A value reads back as written at once, and after a save and a load.
TEST_F(SettingsFile, WrittenValuesReadBackAsWritten) {
    for (const QString& sValue :
         {QStringLiteral("\"q\""), QStringLiteral("\"\""), QStringLiteral("\"a\" \"b\""),
          QStringLiteral(" \"x\" "), QStringLiteral("\"")}) {
        TIniFile ini(sINI);
        ini.WriteString("S", "K", sValue);
        EXPECT_EQ(ini.ReadString("S", "K", {}), sValue);
        QString sError;
        ASSERT_TRUE(ini.Save(sError));
        EXPECT_EQ(Reloaded().ReadString("S", "K", {}), sValue) << qPrintable(sValue);
        // The save leaves the value in memory as it was.
        EXPECT_EQ(ini.ReadString("S", "K", {}), sValue);
    }
}

TEST_F(SettingsFile, WrongTypesGiveDefaults) {
    WriteFile("[Window]\nX=abc\nWidth=\nHeight=1e3\n"
              "[ChartOptions]\nLeftAxisMin=abc\nLeftAxisMax=\nRightAxisMin=-6,5\nPeakColor=blue\n"
              "[Advanced]\nEnablePeakLevel=yes\nEnablePeakLevelMin=$1\n"
              "[CurrentNetwork]\nPort=0x17\n");
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.rWindow.X, 10);
    EXPECT_EQ(r.rWindow.Width, 800);
    EXPECT_EQ(r.rWindow.Height, 600);
    EXPECT_EQ(r.rChartOptions.fLeftAxisMin, -80.0);
    EXPECT_EQ(r.rChartOptions.fLeftAxisMax, 0.0);
    EXPECT_EQ(r.rChartOptions.fRightAxisMin, -80.0);
    EXPECT_EQ(r.rChartOptions.clPeakColor, clBlue);
    EXPECT_TRUE(r.DataOptions.bEnablePeakLevel);
    EXPECT_TRUE(r.DataOptions.bEnablePeakLevelMin);
    EXPECT_EQ(r.rActiveNetworkCFG.iPort, 23);
}

// A delivery target read from a hand-edited file: a number that names no target, or Custom figures out of
// their ranges, must not reach the verdicts (a tolerance of 99 LU would pass every session).
TEST_F(SettingsFile, ComplianceTargetsOutOfRangeGiveTheDefaults) {
    struct TCase {
        const char* sSection;
        TStandardId eDefault;
        double fTarget;
        double fTolerance;
        double fMaxPeak;
        bool bTruePeak;
    };
    const TCase aCases[] = {
        {"DefaultStandard=2\nCustomTarget=-14\nCustomTolerance=1\nCustomMaxTruePeak=-"
         "1\nCustomRequireTruePeak=0\n",
         TStandardId::AtscA85, -14.0, 1.0, -1.0, false},
        {"DefaultStandard=6\n", TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
        {"DefaultStandard=-1\n", TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
        {"DefaultStandard=5\nCustomTolerance=99\nCustomTarget=-16\n", TStandardId::Custom, -23.0, 0.5, -1.0,
         true},
        {"CustomTarget=5\n", TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
        {"CustomMaxTruePeak=-40\nCustomTarget=-16\n", TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
        {"CustomTolerance=-0.5\n", TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
        {"CustomTarget=abc\nCustomTolerance=2\n", TStandardId::EbuR128, -23.0, 2.0, -1.0, true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sSection);
        WriteFile(QByteArray("[Compliance]\n") + c.sSection);
        TSettings r;
        ASSERT_TRUE(ReadIni(sINI, r));
        const TComplianceOptions& o = r.rComplianceOptions;
        EXPECT_EQ(o.eDefaultStandard, c.eDefault);
        EXPECT_EQ(o.rCustom.eId, TStandardId::Custom);
        EXPECT_DOUBLE_EQ(o.rCustom.fTargetLoudness, c.fTarget);
        EXPECT_DOUBLE_EQ(o.rCustom.fTolerance, c.fTolerance);
        EXPECT_DOUBLE_EQ(o.rCustom.fMaxTruePeak, c.fMaxPeak);
        EXPECT_EQ(o.rCustom.bRequireTruePeak, c.bTruePeak);
    }
}

TEST_F(SettingsFile, FloatsFollowTheLocaleOfTheSystem) {
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    TSettings r;
    r.rTablePeakColorOptions.rMax.fLevel = -6.5;
    Write(r);
    EXPECT_EQ(Reloaded().ReadString("DBTBL_Peak", "MaxLevel", {}), "-6,5");
    TSettings rComma;
    ASSERT_TRUE(ReadIni(sINI, rComma));
    EXPECT_EQ(rComma.rTablePeakColorOptions.rMax.fLevel, -6.5);

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TSettings rPoint;
    ASSERT_TRUE(ReadIni(sINI, rPoint));
    EXPECT_EQ(rPoint.rTablePeakColorOptions.rMax.fLevel, -6.0);
}

TEST_F(SettingsFile, DamagedFilesNeverCrash) {
    QRandomGenerator random(20240611);
    QByteArray aGarbage(64 * 1024, '\0');
    for (char& c : aGarbage)
        c = static_cast<char>(random.bounded(256));
    const QByteArray aHugeLine(10 * 1024 * 1024, 'x');
    const QByteArray aCases[] = {
        aGarbage,
        "[Configuration]\nLastDB=" + aHugeLine + "\nGUILanguage=1\n",
        aHugeLine,
        "[Window\nX=5\n]]]\n=7\n[\n[]\nWidth==9\n\xEF\xBB\xBF[Bad\xFF\xFE]\n",
        QByteArray("[Configuration]\0GUILanguage=1\n[Window]\nX=3\n", 44),
    };
    for (const QByteArray& aContent : aCases) {
        WriteFile(aContent);
        TSettings r;
        ReadIni(sINI, r);
        EXPECT_LE(r.sDatabaseFileName.size(), TIniFile::kMaxValueLength);
        EXPECT_TRUE(r.iLNG == 0 || r.iLNG == 1);
        Write(r);
        TSettings rAgain;
        EXPECT_TRUE(ReadIni(sINI, rAgain));
    }
    // The line after a NUL byte is still read.
    WriteFile(QByteArray("[Window]\0\nX=3\n", 15));
    TSettings r;
    ASSERT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.rWindow.X, 3);
}

TEST_F(SettingsFile, UnreadableFileReadsAsDefaultsAndIsNotReplaced) {
    // A folder where the file should be cannot be read as one.
    ASSERT_TRUE(QDir(dir.path()).mkdir("QXLogging.INI"));
    TSettings r;
    r.iLNG = 1;
    EXPECT_TRUE(ReadIni(sINI, r));
    EXPECT_EQ(r.iLNG, 0);
    QString sError;
    EXPECT_FALSE(WriteIni(sINI, r, sError));
    EXPECT_EQ(sError, "Unable to write to " + sINI);
    EXPECT_TRUE(QFileInfo(sINI).isDir());
}

TEST_F(SettingsFile, FailedWriteReportsThePathAndLeavesTheOldFileWhole) {
    // No folder to write into.
    const QString sNoFolder = dir.filePath("missing/QXLogging.INI");
    QString sError;
    EXPECT_FALSE(WriteIni(sNoFolder, TSettings(), sError));
    EXPECT_EQ(sError, "Unable to write to " + sNoFolder);

    // A disk that fills up halfway through the file: the file-size limit stops the write even for root.
    const QByteArray aOld = "[Configuration]\nGUILanguage=1\n";
    WriteFile(aOld);
    rlimit rOld{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &rOld), 0);
    rlimit rSmall = rOld;
    rSmall.rlim_cur = 512;
    const auto fnOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &rSmall), 0);
    sError.clear();
    const bool bWritten = WriteIni(sINI, TSettings(), sError);
    setrlimit(RLIMIT_FSIZE, &rOld);
    std::signal(SIGXFSZ, fnOldHandler);
    EXPECT_FALSE(bWritten);
    EXPECT_EQ(sError, "Unable to write to " + sINI);
    EXPECT_EQ(FileContent(sINI), aOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"QXLogging.INI"});
}

} // namespace
