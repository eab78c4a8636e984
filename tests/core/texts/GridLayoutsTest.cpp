#include "core/GridLayouts.h"
#include "core/TextTable.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QStringList English(const std::vector<int>& aEntries) {
    QStringList sl;
    for (int i : aEntries)
        sl << GetText(i, kLanguageEnglish);
    return sl;
}

TDataOptions AllFlags(bool b) {
    TDataOptions o;
    o.bEnablePeakLevel = o.bEnablePeakLevelMin = o.bEnablePeakLevelMax = b;
    o.bEnablePeakChannel = o.bEnablePeakCount = b;
    o.bEnableShortTerm = o.bEnableShortTermMin = o.bEnableShortTermMax = b;
    o.bEnableIntegrating = o.bEnableIntegratingMin = o.bEnableIntegratingMax = b;
    return o;
}

struct TGridCase {
    const char* sName;
    TDataOptions rOptions;
    QStringList slLoudnessData;
    QStringList slLoudnessMax;
    QStringList slDBData;
};

std::vector<TGridCase> Cases() {
    TDataOptions rShortTermMaxMin = AllFlags(false);
    rShortTermMaxMin.bEnableShortTermMax = rShortTermMaxMin.bEnableShortTermMin = true;
    TDataOptions rShortTermAndMaxMin = rShortTermMaxMin;
    rShortTermAndMaxMin.bEnableShortTerm = true;
    TDataOptions rExtremesOnly = AllFlags(true);
    rExtremesOnly.bEnablePeakLevel = rExtremesOnly.bEnableShortTerm = rExtremesOnly.bEnableIntegrating =
        false;
    rExtremesOnly.bEnablePeakChannel = rExtremesOnly.bEnablePeakCount = false;
    TDataOptions rMinimaOnly = AllFlags(false);
    rMinimaOnly.bEnablePeakLevelMin = rMinimaOnly.bEnableIntegratingMin = true;

    return {
        {"all off", AllFlags(false), {"Time Code.:"}, {"Integrating.:"}, {"#", "Timecode"}},
        {"short-term off, max and min on",
         rShortTermMaxMin,
         {"Time Code.:", "Shortterm Max.:", "Shortterm Min.:"},
         {"Shortterm Max.:", "Shortterm Min.:", "Integrating.:"},
         {"#", "Timecode", "Shortterm Max.", "Shortterm Min."}},
        {"short-term on hides max and min",
         rShortTermAndMaxMin,
         {"Time Code.:", "Shortterm.:"},
         {"Shortterm.:", "Integrating.:"},
         {"#", "Timecode", "Shortterm"}},
        {"all on",
         AllFlags(true),
         {"Time Code.:", "Shortterm.:", "Integrating.:", "Peak Level.:", "Peak Channel.:", "Peak Count.:"},
         {"Peak Level.:", "Peak Count.:", "Shortterm.:", "Integrating.:"},
         {"#", "Timecode", "Peak Channel", "Peak Level", "Shortterm", "Integrating"}},
        {"extremes only",
         rExtremesOnly,
         {"Time Code.:", "Shortterm Max.:", "Shortterm Min.:", "Integrating.:", "Peak Level.:"},
         {"Peak Level Max.:", "Peak Level Min.:", "Shortterm Max.:", "Shortterm Min.:", "Integrating.:",
          "Integrating Max.:", "Integrating Min.:"},
         {"#", "Timecode", "Peak Level", "Shortterm Max.", "Shortterm Min.", "Integrating"}},
        {"a minimum alone still shows its value",
         rMinimaOnly,
         {"Time Code.:", "Integrating.:", "Peak Level.:"},
         {"Peak Level Min.:", "Integrating.:", "Integrating Min.:"},
         {"#", "Timecode", "Peak Level", "Integrating"}},
    };
}

} // namespace

TEST(GridLayouts, DataGridsFollowTheDataOptions) {
    for (const TGridCase& c : Cases()) {
        SCOPED_TRACE(c.sName);
        const TGridLabels rData = LoudnessDataLabels(c.rOptions);
        EXPECT_EQ(GetText(rData.iHeader, kLanguageEnglish), "Instrument Data");
        EXPECT_EQ(English(rData.aRowLabels), c.slLoudnessData);
        const TGridLabels rMax = DBLoudnessMaxLabels(c.rOptions);
        EXPECT_EQ(GetText(rMax.iHeader, kLanguageEnglish), "Session Statistics");
        EXPECT_EQ(English(rMax.aRowLabels), c.slLoudnessMax);
        EXPECT_EQ(English(DBDataColumnHeadings(c.rOptions)), c.slDBData);
        EXPECT_LE(rData.aRowLabels.size(), size_t{kDataGridLastRow});
        EXPECT_LE(rMax.aRowLabels.size(), size_t{kDataGridLastRow});
    }
}

TEST(GridLayouts, FixedLabelGrids) {
    struct TCase {
        const char* sName;
        TGridLabels rLabels;
        const char* sHeader;
        QStringList slRows;
    };
    const TCase aCases[] = {
        {"sgDBSessionInfo",
         DBSessionInfoLabels(),
         "Session Information",
         {"Show Title.:", "Show Number.:", "Operator Name.:", "Format.:", "    TC Start.:", "      TC End.:",
          "Recorded.:", "Analysis Date.:", "Notes.:"}},
        {"sgSessionInfo",
         SessionInfoLabels(),
         "Session Information",
         {"Show Title.:", "Show Number.:", "Operator Name.:", "Format.:", "Notes.:"}},
        {"sgDBLoudnessConfig",
         DBLoudnessConfigLabels(),
         "Loudness Configuration",
         {"Instrument Type.:", "Peak Mode.:", "Capture Mode.:", "Scale Mode.:", "Reference.:",
          "Shortterm Window.:", "Gate Level.:", "Gate Mode.:", "Reference Level.:", "Peak Level.:",
          "Filter.:"}},
        {"sgLoudnessCFG",
         LoudnessCFGLabels(),
         "Loudness Configuration",
         {"Peak Mode.:", "Capture Mode.:", "Scale Mode.:", "Reference.:", "Shortterm Window.:",
          "Gate Level.:", "Gate Mode.:", "Reference Level.:", "Peak Level.:", "Filter.:"}},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        EXPECT_EQ(GetText(c.rLabels.iHeader, kLanguageEnglish), c.sHeader);
        EXPECT_EQ(English(c.rLabels.aRowLabels), c.slRows);
    }
    // The window shows the same entries in Danish.
    EXPECT_EQ(GetText(DBSessionInfoLabels().aRowLabels.at(5), kLanguageDanish), "      TC Stop.:");
}
