#include "dialogs/OptionsRules.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct TShown {
    QString sText;
    int iKind;
    int iButtons;
};

// Records every message instead of showing it.
class TMessages {
public:
    TShowMessageBox Show() {
        return [this](const QString& sText, int iKind, int iButtons) {
            aShown.push_back({sText, iKind, iButtons});
            return kMsgResultOK;
        };
    }
    std::vector<TShown> aShown;
};

// The dialog's values as the controls would hand them over: every number and line width valid.
TOptionsTyped ValidTyped(const TSettings& rSettings) {
    TOptionsTyped r{rSettings, {}, {}, {}};
    r.aCustomFigures = {"-16", "1,5", "-2.0"};
    const char* aNumbers[kOptionsNumberCount] = {"-70,5", "-1",  "-60", "0,5", "-23", "-31,5", "-3",
                                                 "-50",   "-10", "-40", "-12", "-45", "-22",   "-24"};
    for (int i = 0; i < kOptionsNumberCount; ++i)
        r.aNumbers[size_t(i)] = QString::fromLatin1(aNumbers[i]);
    const char* aWidths[kOptionsLineWidthCount] = {"2", "3", "4", "5", "6"};
    for (int i = 0; i < kOptionsLineWidthCount; ++i)
        r.aLineWidths[size_t(i)] = QString::fromLatin1(aWidths[i]);
    return r;
}

} // namespace

TEST(TestFloat, CommaOrPointIsStoredAtOnceAndShownWithAPoint) {
    struct TCase {
        const char* sTyped;
        bool bValid;
        double fStored;
        const char* sShown;
    };
    const TCase aCases[] = {
        {"-6,5", true, -6.5, "-6.5"},
        {"-6.5", true, -6.5, "-6.5"},
        {"12", true, 12.0, "12"},
        {",5", true, 0.5, ".5"},
        {" 3,0 ", true, 3.0, " 3.0 "},
        {"abc", false, 0, "abc"},
        {"", false, 0, ""},
        {"1,2,3", false, 0, "1,2,3"},
        {"-", false, 0, "-"},
        {"inf", false, 0, "inf"},
        {"nan", false, 0, "nan"},
        {"1e999", false, 0, "1e999"},
        {"6,5 dB", false, 0, "6,5 dB"},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sTyped);
        TMessages Messages;
        QString sText = QString::fromLatin1(c.sTyped);
        double fTarget = 99.0;
        EXPECT_EQ(TestFloat(sText, "bad number", fTarget, Messages.Show()), c.bValid);
        EXPECT_EQ(sText, QString::fromLatin1(c.sShown));
        if (c.bValid) {
            EXPECT_DOUBLE_EQ(fTarget, c.fStored);
            EXPECT_TRUE(Messages.aShown.empty());
        } else {
            EXPECT_EQ(fTarget, 99.0) << "a bad number leaves the setting alone";
            ASSERT_EQ(Messages.aShown.size(), 1u);
            EXPECT_EQ(Messages.aShown[0].sText, "bad number");
            EXPECT_EQ(Messages.aShown[0].iKind, kMsgError);
            EXPECT_EQ(Messages.aShown[0].iButtons, kMsgBtnOK);
        }
    }
}

TEST(ParseLineWidth, OnlyOneToNine) {
    for (const char* s : {"1", "5", "9", " 7"})
        EXPECT_TRUE(ParseLineWidth(QString::fromLatin1(s)).has_value()) << s;
    EXPECT_EQ(ParseLineWidth("9"), 9);
    for (const char* s : {"0", "10", "-1", "x", "", "2.5", "+"})
        EXPECT_FALSE(ParseLineWidth(QString::fromLatin1(s)).has_value()) << s;
}

TEST(ApplyOptions, EveryValueCheckedAppliesAllTheDialogShowsAndNothingElse) {
    TSettings rSettings;
    rSettings.sDatabaseFileName = "/data/Programmes.DB3";
    rSettings.rWindow.Width = 1234;
    rSettings.TCCtrl.Enabled = true;
    rSettings.TCCtrl.TCStart = "10:00:00:00";
    TOptionsTyped rTyped = ValidTyped(rSettings);
    TSettings& t = rTyped.rSettings;
    t.iLNG = 1;
    t.rChartOptions.bLeftAxisAutoScale = false;
    t.rChartOptions.bPeakEnabled = false;
    t.rChartOptions.clCursor2Color = clYellow;
    t.rChartOptions.sCursor1Name = "Target";
    t.rChartOptions.bCursor2PeakAxis = true;
    t.rPDFOptions.slUserText = QStringList{"Line 1", "Line 2"};
    t.rPDFOptions.FontNormal.Color = clNavy;
    t.rPDFOptions.FontOverload.Size = 30; // not the dialog's: must not be applied
    t.rCSVOptions.bCSVSessionInfo = false;
    t.rTableSTMinColorOptions.rMin = {true, 5.0, clAqua}; // its level comes from the typed number
    t.TCCtrl.OptionEnabled = false;
    t.TCCtrl.Enabled = false; // the main window's check box, not the dialog's
    t.TCCtrl.TCStart = "11:00:00:00";
    t.iTimesource = 1;
    t.DataOptions.bEnableShortTermMax = true;
    t.sDatabaseFileName = "other";
    t.rWindow.Width = 1;
    t.rComplianceOptions.eDefaultStandard = TStandardId::Custom;
    t.rComplianceOptions.rCustom.bRequireTruePeak = false;
    t.rComplianceOptions.rCustom.fTargetLoudness = -99.0; // the typed figures count, not these
    t.rReconnect = {true, 60}; // the check box is the dialog's, the stall time is not

    TMessages Messages;
    ASSERT_TRUE(ApplyOptions(rTyped, rSettings, Messages.Show()));
    EXPECT_TRUE(Messages.aShown.empty());

    const TChartOptions& c = rSettings.rChartOptions;
    EXPECT_DOUBLE_EQ(c.fLeftAxisMin, -70.5);
    EXPECT_DOUBLE_EQ(c.fRightAxisMax, 0.5);
    EXPECT_DOUBLE_EQ(c.fCursor2, -31.5);
    EXPECT_DOUBLE_EQ(rSettings.rTablePeakColorOptions.rMax.fLevel, -3.0);
    EXPECT_DOUBLE_EQ(rSettings.rTableIntColorOptions.rMin.fLevel, -24.0);
    EXPECT_EQ(rSettings.rTableSTMinColorOptions.rMin, (TTableColorLevel{true, -45.0, clAqua}));
    EXPECT_EQ(rTyped.aNumbers[kNumAxisLeftMin], "-70.5");
    EXPECT_EQ((std::vector<int>{c.iCursor1LineWidth, c.iCursor2LineWidth, c.iPeakLineWidth, c.iIntLineWidth,
                                c.iSTMaxLineWidth}),
              (std::vector<int>{2, 3, 4, 5, 6}));
    EXPECT_FALSE(c.bLeftAxisAutoScale);
    EXPECT_FALSE(c.bPeakEnabled);
    EXPECT_EQ(c.clCursor2Color, clYellow);
    EXPECT_EQ(c.sCursor1Name, "Target");
    EXPECT_FALSE(c.bCursor1PeakAxis);
    EXPECT_TRUE(c.bCursor2PeakAxis);
    EXPECT_EQ(rSettings.rPDFOptions.slUserText, (QStringList{"Line 1", "Line 2"}));
    EXPECT_EQ(rSettings.rPDFOptions.FontNormal.Color, clNavy);
    EXPECT_EQ(rSettings.rPDFOptions.FontOverload, TPDFOptions().FontOverload);
    EXPECT_FALSE(rSettings.rCSVOptions.bCSVSessionInfo);
    EXPECT_EQ(rSettings.iLNG, 1);
    EXPECT_FALSE(rSettings.TCCtrl.OptionEnabled);
    EXPECT_TRUE(rSettings.TCCtrl.Enabled);
    EXPECT_EQ(rSettings.TCCtrl.TCStart, "10:00:00:00");
    EXPECT_EQ(rSettings.iTimesource, 1);
    EXPECT_TRUE(rSettings.DataOptions.bEnableShortTermMax);
    EXPECT_EQ(rSettings.sDatabaseFileName, "/data/Programmes.DB3");
    EXPECT_EQ(rSettings.rWindow.Width, 1234);
    EXPECT_EQ(rSettings.rComplianceOptions,
              (TComplianceOptions{TStandardId::Custom, {TStandardId::Custom, -16.0, 1.5, -2.0, false}}));
    EXPECT_EQ(rSettings.rReconnect, (TReconnectOptions{true, TReconnectOptions().iStallSeconds}));
}

// A check that fails shows its own message and stops OK there: what came before it is applied, what comes
// after it is not.
TEST(ApplyOptions, FirstFailingCheckStopsWithWhatCameBeforeApplied) {
    struct TCase {
        const char* sName;
        std::function<void(TOptionsTyped&)> Spoil;
        const char* sMessage;
        // Applied before the failing check: the left axis minimum, the visible series, the cursor 1 width.
        bool bAxisApplied;
        bool bVisibleApplied;
        bool bCursor1WidthApplied;
    };
    const TCase aCases[] = {
        {"left axis minimum", [](TOptionsTyped& r) { r.aNumbers[kNumAxisLeftMin] = "low"; },
         "Please enter a valid minimum value for the left axis.", false, false, false},
        {"right axis maximum", [](TOptionsTyped& r) { r.aNumbers[kNumAxisRightMax] = ""; },
         "Please enter a valid maximum value for the right axis.", true, false, false},
        {"cursor 2 level", [](TOptionsTyped& r) { r.aNumbers[kNumCursor2Level] = "x"; },
         "Please enter a valid level for cursor 2.", true, false, false},
        {"disabled table rule",
         [](TOptionsTyped& r) {
             r.rSettings.rTableSTMaxColorOptions.rMin.bEnabled = false;
             r.aNumbers[kNumTableSTMaxLow] = "abc";
         },
         "Please enter a valid minimum value for the \"Shortterm Maximum Colour\".", true, false, false},
        {"peak table high", [](TOptionsTyped& r) { r.aNumbers[kNumTablePeakHigh] = "?"; },
         "Please enter a valid maximum value for the \"Table Peak Colour\".", true, false, false},
        {"integrating table low", [](TOptionsTyped& r) { r.aNumbers[kNumTableIntLow] = "-"; },
         "Please enter a valid minimum value for the \"Integrating Colour\".", true, false, false},
        {"cursor 1 width 0", [](TOptionsTyped& r) { r.aLineWidths[kWidthCursor1] = "0"; },
         "Please enter a valid line width between 1 and 9 for Cursor 1.", true, true, false},
        {"cursor 1 width 10", [](TOptionsTyped& r) { r.aLineWidths[kWidthCursor1] = "10"; },
         "Please enter a valid line width between 1 and 9 for Cursor 1.", true, true, false},
        {"cursor 1 width letter", [](TOptionsTyped& r) { r.aLineWidths[kWidthCursor1] = "a"; },
         "Please enter a valid line width between 1 and 9 for Cursor 1.", true, true, false},
        {"peak graph width", [](TOptionsTyped& r) { r.aLineWidths[kWidthPeak] = "0"; },
         "Please enter a valid line width between 1 and 9 for the Peak Level graph.", true, true, true},
        {"short-term graph width", [](TOptionsTyped& r) { r.aLineWidths[kWidthSTMax] = ""; },
         "Please enter a valid line width between 1 and 9 for the Shortterm graph.", true, true, true},
        {"custom target above 0 LUFS", [](TOptionsTyped& r) { r.aCustomFigures[kFigTargetLoudness] = "0,1"; },
         "Please enter a target loudness from -70.0 to 0.0 LUFS for the Custom target.", true, true, true},
        {"custom target not a number",
         [](TOptionsTyped& r) { r.aCustomFigures[kFigTargetLoudness] = "loud"; },
         "Please enter a target loudness from -70.0 to 0.0 LUFS for the Custom target.", true, true, true},
        {"negative tolerance", [](TOptionsTyped& r) { r.aCustomFigures[kFigTolerance] = "-0.5"; },
         "Please enter a tolerance from 0.0 to 10.0 LU for the Custom target.", true, true, true},
        {"tolerance not a number", [](TOptionsTyped& r) { r.aCustomFigures[kFigTolerance] = "nan"; },
         "Please enter a tolerance from 0.0 to 10.0 LU for the Custom target.", true, true, true},
        {"true peak above 0 dBTP", [](TOptionsTyped& r) { r.aCustomFigures[kFigMaxTruePeak] = "1"; },
         "Please enter a maximum true peak from -30.0 to 0.0 dBTP for the Custom target.", true, true, true},
        {"true peak below its range", [](TOptionsTyped& r) { r.aCustomFigures[kFigMaxTruePeak] = "-30.5"; },
         "Please enter a maximum true peak from -30.0 to 0.0 dBTP for the Custom target.", true, true, true},
        {"true peak empty", [](TOptionsTyped& r) { r.aCustomFigures[kFigMaxTruePeak] = ""; },
         "Please enter a maximum true peak from -30.0 to 0.0 dBTP for the Custom target.", true, true, true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TSettings rSettings;
        TOptionsTyped rTyped = ValidTyped(rSettings);
        rTyped.rSettings.iLNG = 1;
        rTyped.rSettings.rChartOptions.bLeftAxisAutoScale = false;
        rTyped.rSettings.rChartOptions.bIntEnabled = false;
        rTyped.rSettings.rChartOptions.clPeakColor = clLime;
        c.Spoil(rTyped);

        TMessages Messages;
        EXPECT_FALSE(ApplyOptions(rTyped, rSettings, Messages.Show()));
        ASSERT_EQ(Messages.aShown.size(), 1u);
        EXPECT_EQ(Messages.aShown[0].sText, QString::fromLatin1(c.sMessage));
        EXPECT_EQ(Messages.aShown[0].iKind, kMsgError);
        const TChartOptions& r = rSettings.rChartOptions;
        EXPECT_FALSE(r.bLeftAxisAutoScale) << "the auto ranges come first";
        EXPECT_EQ(r.fLeftAxisMin, c.bAxisApplied ? -70.5 : TChartOptions().fLeftAxisMin);
        EXPECT_EQ(r.bIntEnabled, !c.bVisibleApplied);
        EXPECT_EQ(r.iCursor1LineWidth, c.bCursor1WidthApplied ? 2 : 1);
        EXPECT_EQ(r.clPeakColor, TChartOptions().clPeakColor) << "colours come last";
        EXPECT_EQ(rSettings.iLNG, 0) << "the language comes last";
        EXPECT_EQ(rSettings.rComplianceOptions, TComplianceOptions())
            << "no Custom figure and no default target is stored unless all three figures check";
    }
}

TEST(ApplyOptions, MessagesSpeakTheLanguageOfTheWindowNow) {
    TSettings rSettings;
    rSettings.iLNG = 1;
    TOptionsTyped rTyped = ValidTyped(rSettings);
    rTyped.rSettings.iLNG = 0;
    rTyped.aLineWidths[kWidthIntegrating] = "0";
    TMessages Messages;
    EXPECT_FALSE(ApplyOptions(rTyped, rSettings, Messages.Show()));
    ASSERT_EQ(Messages.aShown.size(), 1u);
    EXPECT_EQ(
        Messages.aShown[0].sText,
        QString::fromUtf8("Indtast venligst en gyldig linjebredde mellem 1 og 9 for Integrating-grafen."));
    EXPECT_EQ(rSettings.iLNG, 1);
}

TEST(ApplyOptions, CustomFiguresAtTheEdgesOfTheirRangesAreTaken) {
    struct TCase {
        std::array<QString, kCustomFigureCount> aTyped;
        TLoudnessStandard rExpected;
    };
    const TCase aCases[] = {
        {{"-70", "0", "-30"}, {TStandardId::Custom, -70.0, 0.0, -30.0, true}},
        {{"0", "10", "0"}, {TStandardId::Custom, 0.0, 10.0, 0.0, true}},
        {{" -14,25 ", "1", "-1"}, {TStandardId::Custom, -14.25, 1.0, -1.0, true}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.aTyped[0].toStdString());
        TSettings rSettings;
        TOptionsTyped rTyped = ValidTyped(rSettings);
        rTyped.aCustomFigures = c.aTyped;
        TMessages Messages;
        EXPECT_TRUE(ApplyOptions(rTyped, rSettings, Messages.Show()));
        EXPECT_TRUE(Messages.aShown.empty());
        EXPECT_EQ(rSettings.rComplianceOptions.rCustom, c.rExpected);
        EXPECT_EQ(rSettings.rComplianceOptions.eDefaultStandard, TStandardId::EbuR128);
    }
}

// The edit shows what is stored and storing what it shows changes nothing.
TEST(CustomFigureText, OneDecimalOrAsManyAsTheFigureHas) {
    struct TCase {
        double fFigure;
        const char* sPoint;
        const char* sShown;
    };
    const TCase aCases[] = {
        {-23.0, ".", "-23.0"}, {-14.25, ".", "-14.25"}, {-14.25, ",", "-14,25"},
        {-16.1, ".", "-16.1"}, {-1.05, ",", "-1,05"},   {-0.0, ".", "0.0"},
    };
    for (const TCase& c : aCases) {
        const QString sShown = CustomFigureText(c.fFigure, QString::fromLatin1(c.sPoint));
        EXPECT_EQ(sShown, QString::fromLatin1(c.sShown));
        TLoudnessStandard rRead{TStandardId::Custom, -23.0, 0.5, -1.0, true};
        TMessages Messages;
        ASSERT_TRUE(CheckCustomFigures({sShown, "0.5", "-1"}, rRead, kLanguageEnglish, Messages.Show()));
        EXPECT_EQ(rRead.fTargetLoudness, c.fFigure) << sShown.toStdString();
    }
}

TEST(DataList, FlagsInDeclarationOrder) {
    TDataOptions r{};
    r.bEnablePeakLevel = false;
    r.bEnablePeakChannel = false;
    r.bEnableIntegratingMax = true;
    const TDataList a = DataListOf(r);
    EXPECT_EQ(a, (TDataList{false, false, false, false, true, true, false, false, true, false, true}));
    EXPECT_EQ(DataListOf(DataOptionsOf(a)), a);
    EXPECT_TRUE(DataOptionsOf(a).bEnableIntegratingMax);
    EXPECT_FALSE(DataOptionsOf(a).bEnablePeakChannel);
}

TEST(DataList, ALevelAndItsMinimumOrMaximumAreNeverCheckedTogether) {
    // Items: 0 peak, 1 peak min, 2 peak max, 3 channel, 4 count, 5 short-term, 6 min, 7 max, 8 integrating,
    // 9 min, 10 max. aBefore already holds the click's new state of the item.
    struct TCase {
        const char* sName;
        TDataList aBefore;
        int iClicked;
        TDataList aAfter;
    };
    const TCase aCases[] = {
        {"short-term max checked unchecks short-term",
         {1, 0, 0, 1, 1, 1, 0, 1, 1, 0, 0},
         7,
         {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0}},
        {"short-term checked unchecks its min and max",
         {1, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0},
         5,
         {1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0}},
        {"peak min checked unchecks peak only",
         {1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 0},
         1,
         {0, 1, 1, 1, 1, 1, 0, 0, 1, 0, 0}},
        {"integrating max checked", {1, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1}, 10, {1, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1}},
        {"integrating checked", {1, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1}, 8, {1, 0, 0, 1, 1, 1, 0, 0, 1, 0, 0}},
        {"unchecking changes nothing else",
         {0, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0},
         0,
         {0, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0}},
        {"channel and count stand alone",
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
         3,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"outside the list", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 11, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        TDataList a = c.aBefore;
        DataListItemClicked(a, c.iClicked);
        EXPECT_EQ(a, c.aAfter);
    }
}

TEST(DataList, DefaultIsPeakChannelCountShortTermAndIntegrating) {
    EXPECT_EQ(DefaultDataList(),
              (TDataList{true, false, false, true, true, true, false, false, true, false, false}));
}
