#include "compliance/Verdict.h"
#include "compliance/Standards.h"
#include "compliance/VerdictTexts.h"
#include "core/TextTable.h"
#include "tests/compliance/LevelRows.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using qxtest::LevelRows;
using qxtest::MeasuringSetup;
using qxtest::TRow;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TLoudnessStandard Preset(TStandardId eId) {
    return StandardOf(eId, TComplianceOptions());
}

// A programme a little under its target, peaks up to -1.0 (the EBU limit, allowed), ending at -22.6.
const std::vector<TRow> kWithinRows = {
    {"10:14:00:00", -3.0, -22.0, -25.0, -23.4},
    {"10:14:01:00", -1.0, -21.0, -24.0, -23.0},
    {"10:14:02:00", -2.0, -22.5, -24.5, -22.6},
};

struct TVerdictCase {
    const char* sName;
    std::vector<TRow> aRows;
    std::function<void(TLoudnessSetup&)> fnSetup;
    TLoudnessStandard rStandard;
    bool bFiltered;
    TVerdictKind eExpected;
    QStringList slReasons;
};

void Keep(TLoudnessSetup&) {}

std::vector<TVerdictCase> VerdictCases() {
    const TLoudnessStandard rEbu = Preset(TStandardId::EbuR128);
    const TLoudnessStandard rAtsc = Preset(TStandardId::AtscA85);
    return {
        {"pass: integrated within, peak at the limit",
         kWithinRows,
         Keep,
         rEbu,
         false,
         TVerdictKind::Pass,
         {"Integrated -22.6 LUFS is within -23.0 ± 0.5", "Peak -1.0 dBTP is within -1.0 dBTP"}},
        {"fail: too loud; the last integrated value counts, not the highest",
         {{"10:00:00:00", -3.0, -20.0, -22.0, -20.0}, {"10:00:01:00", -3.0, -20.0, -22.0, -21.7}},
         Keep,
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Integrated -21.7 LUFS is 1.3 LU above -23.0 ± 0.5", "Peak -3.0 dBTP is within -1.0 dBTP"}},
        {"fail: too quiet",
         {{"10:00:00:00", -6.0, -23.0, -26.0, -24.0}},
         Keep,
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Integrated -24.0 LUFS is 1.0 LU below -23.0 ± 0.5", "Peak -6.0 dBTP is within -1.0 dBTP"}},
        {"fail: peak over the limit, the first of the highest and the rows over it counted",
         {{"10:14:01:00", -0.8, -22.0, -25.0, -23.0},
          {"10:14:03:00", -0.3, -22.0, -25.0, -23.0},
          {"10:14:04:00", -0.3, -22.0, -25.0, -23.0},
          {"10:14:05:00", -1.0, -22.0, -25.0, -23.0},
          {"10:14:06:00", -0.9, -22.0, -25.0, -23.0}},
         Keep,
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Peak -0.3 dBTP exceeds -1.0 dBTP at 10:14:03:00 and in 3 more seconds",
          "Integrated -23.0 LUFS is within -23.0 ± 0.5"}},
        {"fail: one row over the limit besides the highest",
         {{"10:14:01:00", -0.5, -22.0, -25.0, -23.0}, {"10:14:02:00", -0.2, -22.0, -25.0, -23.0}},
         Keep,
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Peak -0.2 dBTP exceeds -1.0 dBTP at 10:14:02:00 and in 1 more second",
          "Integrated -23.0 LUFS is within -23.0 ± 0.5"}},
        {"fail: both, in the units of an LKFS target with a tolerance in dB",
         {{"10:00:00:00", 0.0, -20.0, -22.0, -21.0}},
         Keep,
         rAtsc,
         false,
         TVerdictKind::Fail,
         {"Integrated -21.0 LKFS is 3.0 dB above -24.0 ± 2.0",
          "Peak 0.0 dBTP exceeds -2.0 dBTP at 10:00:00:00"}},
        {"LU scale: loudness relative to the reference level is converted, peaks are not",
         {{"10:00:00:00", -0.5, 2.0, -1.0, 0.5}, {"10:00:01:00", -1.5, 2.0, -1.0, 1.3}},
         [](TLoudnessSetup& s) { s.iScaleMode = kScaleModeLU; },
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Integrated -21.7 LUFS is 1.3 LU above -23.0 ± 0.5",
          "Peak -0.5 dBTP exceeds -1.0 dBTP at 10:00:00:00",
          "Loudness in LU was converted to LUFS with the reference level -23.0 LUFS"}},
        {"LU scale: a converted value at the edge of the tolerance passes",
         {{"10:00:00:00", -2.0, 0.0, -1.0, 0.6}},
         [](TLoudnessSetup& s) {
             s.iScaleMode = kScaleModeLU;
             s.fReferenceLevel = -23.1;
         },
         rEbu,
         false,
         TVerdictKind::Pass,
         {"Integrated -22.5 LUFS is within -23.0 ± 0.5", "Peak -2.0 dBTP is within -1.0 dBTP",
          "Loudness in LU was converted to LUFS with the reference level -23.1 LUFS"}},
        {"a value at the edge of a Custom tolerance passes, although -23.8 + 0.4 is a hair below -23.4 in "
         "binary",
         {{"10:00:00:00", -2.0, -23.0, -25.0, -23.4}},
         Keep,
         TLoudnessStandard{TStandardId::Custom, -23.8, 0.4, -1.0, true},
         false,
         TVerdictKind::Pass,
         {"Integrated -23.4 LUFS is within -23.8 ± 0.4", "Peak -2.0 dBTP is within -1.0 dBTP"}},
        {"sample peak within a true-peak limit proves nothing",
         kWithinRows,
         [](TLoudnessSetup& s) { s.iPeakMode = kPeakModeDigital; },
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"The meter measured peaks as Digital, not True Peak: the limit of -1.0 dBTP cannot be proven",
          "Integrated -22.6 LUFS is within -23.0 ± 0.5"}},
        {"sample peak over a true-peak limit proves a fail",
         {{"10:00:07:00", -0.4, -22.0, -25.0, -23.0}},
         [](TLoudnessSetup& s) { s.iPeakMode = kPeakModeDigital; },
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Peak -0.4 dBFS exceeds -1.0 dBTP at 10:00:07:00", "Integrated -23.0 LUFS is within -23.0 ± 0.5",
          "The peaks are sample peaks (Digital); a true peak is at least as high"}},
        {"sample peak against a target that does not ask for true peak",
         kWithinRows,
         [](TLoudnessSetup& s) { s.iPeakMode = kPeakModeDigital; },
         TLoudnessStandard{TStandardId::Custom, -23.0, 0.5, -1.0, false},
         false,
         TVerdictKind::Pass,
         {"Integrated -22.6 LUFS is within -23.0 ± 0.5", "Peak -1.0 dBFS is within -1.0 dBTP"}},
        {"a peak mode the meter does not define proves nothing, even over the limit",
         {{"10:00:00:00", 0.0, -22.0, -25.0, -23.0}},
         [](TLoudnessSetup& s) { s.iPeakMode = 7; },
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"The meter measured peaks as Unknown, not True Peak: the limit of -1.0 dBTP cannot be proven",
          "Integrated -23.0 LUFS is within -23.0 ± 0.5"}},
        {"LEQM filter: the loudness is no LUFS, the peaks still count",
         kWithinRows,
         [](TLoudnessSetup& s) { s.iFilter = 2; },
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"The meter's filter was LEQM, not K-Filter: its loudness cannot be compared with the target",
          "Peak -1.0 dBTP is within -1.0 dBTP"}},
        {"filter OFF with a peak over the limit still fails",
         {{"10:00:00:00", -0.5, -22.0, -25.0, -23.0}},
         [](TLoudnessSetup& s) { s.iFilter = 0; },
         rEbu,
         false,
         TVerdictKind::Fail,
         {"Peak -0.5 dBTP exceeds -1.0 dBTP at 10:00:00:00",
          "The meter's filter was OFF, not K-Filter: its loudness cannot be compared with the target"}},
        {"a scale code the meter does not define",
         kWithinRows,
         [](TLoudnessSetup& s) { s.iScaleMode = 9; },
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"The meter's scale was Unknown: the unit of its loudness is not known",
          "Peak -1.0 dBTP is within -1.0 dBTP"}},
        {"no rows",
         {},
         Keep,
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"No level rows: there is nothing to judge"}},
        {"no rows left by the filter",
         {},
         Keep,
         rEbu,
         true,
         TVerdictKind::NotVerifiable,
         {"No level rows: there is nothing to judge", "Judged from the filtered rows only"}},
        {"filtered rows say so",
         kWithinRows,
         Keep,
         rEbu,
         true,
         TVerdictKind::Pass,
         {"Integrated -22.6 LUFS is within -23.0 ± 0.5", "Peak -1.0 dBTP is within -1.0 dBTP",
          "Judged from the filtered rows only"}},
        {"values the meter did not send are passed over: the last integrated value it sent counts",
         {{"10:00:00:00", -2.0, -22.0, -25.0, -22.8},
          {"10:00:01:00", -999.0, -999.0, -999.0, -999.0},
          {"10:00:02:00", kNaN, kNaN, kNaN, kNaN}},
         Keep,
         rEbu,
         false,
         TVerdictKind::Pass,
         {"Integrated -22.8 LUFS is within -23.0 ± 0.5", "Peak -2.0 dBTP is within -1.0 dBTP"}},
        {"nothing sent at all",
         {{"10:00:00:00", -999.0, -999.0, -999.0, -999.0}, {"10:00:01:00", kNaN, kNaN, kNaN, kNaN}},
         Keep,
         rEbu,
         false,
         TVerdictKind::NotVerifiable,
         {"No integrated loudness was recorded", "No peak level was recorded"}},
    };
}

TEST(Verdict, TableOfCases) {
    for (const TVerdictCase& c : VerdictCases()) {
        SCOPED_TRACE(c.sName);
        TLoudnessSetup rSetup = MeasuringSetup();
        c.fnSetup(rSetup);
        const TVerdict v = JudgeSession(LevelRows(c.aRows), rSetup, c.rStandard, c.bFiltered);
        EXPECT_EQ(VerdictName(v.eKind, kLanguageEnglish), VerdictName(c.eExpected, kLanguageEnglish));
        EXPECT_EQ(ReasonTexts(v, kLanguageEnglish, u"."), c.slReasons);
        EXPECT_TRUE(v.rStandard == c.rStandard);
    }
}

// A running session keeps its rows summed one at a time; every case must come to the verdict, reasons and
// timecodes that judging the loaded rows gives.
TEST(Verdict, RowsSummedOneAtATimeJudgeAsTheLoadedRows) {
    for (const TVerdictCase& c : VerdictCases()) {
        SCOPED_TRACE(c.sName);
        TLoudnessSetup rSetup = MeasuringSetup();
        c.fnSetup(rSetup);
        TJudgedLevels rLevels;
        for (const TRow& r : c.aRows)
            rLevels.Add(r.fInt, r.fPeak, QString::fromLatin1(r.sTimecode), c.rStandard);
        const TVerdict v = JudgeLevels(rLevels, rSetup, c.rStandard, c.bFiltered);
        const TVerdict vLoaded = JudgeSession(LevelRows(c.aRows), rSetup, c.rStandard, c.bFiltered);
        EXPECT_EQ(v.eKind, vLoaded.eKind);
        EXPECT_EQ(v.aReasons, vLoaded.aReasons);
    }
}

TEST(Verdict, DanishTextsWithTheLocalesDecimalComma) {
    const TVerdict v = JudgeSession(
        LevelRows({{"10:14:03:00", -0.3, -20.0, -22.0, -21.7}, {"10:14:04:00", -0.5, -20.0, -22.0, -21.7}}),
        MeasuringSetup(), Preset(TStandardId::EbuR128), false);
    EXPECT_EQ(VerdictName(v.eKind, kLanguageDanish), "Ikke bestået");
    EXPECT_EQ(ReasonTexts(v, kLanguageDanish, u","),
              QStringList({"Integreret -21,7 LUFS er 1,3 LU over -23,0 ± 0,5",
                           "Peak -0,3 dBTP overskrider -1,0 dBTP ved 10:14:03:00 og i 1 sekund mere"}));
}

TEST(Standards, PresetsWithTheirFiguresAndTheCustomTarget) {
    struct TCase {
        TStandardId eId;
        const char* sName;
        const char* sFigures;
    };
    const TCase aCases[] = {
        {TStandardId::EbuR128, "EBU R128", "-23.0 LUFS ± 0.5 LU, max. -1.0 dBTP"},
        {TStandardId::EbuR128Live, "EBU R128 live", "-23.0 LUFS ± 1.0 LU, max. -1.0 dBTP"},
        {TStandardId::AtscA85, "ATSC A/85", "-24.0 LKFS ± 2.0 dB, max. -2.0 dBTP"},
        {TStandardId::AribTrB32, "ARIB TR-B32", "-24.0 LKFS ± 1.0 dB, max. -1.0 dBTP"},
        {TStandardId::FreeTvOp59, "Free TV OP-59", "-24.0 LKFS ± 1.0 LU, max. -2.0 dBTP"},
        {TStandardId::Custom, "Custom", "-16.0 LUFS ± 1.0 LU, max. -1.0 dBTP"},
    };
    TComplianceOptions rOptions;
    rOptions.rCustom = {TStandardId::Custom, -16.0, 1.0, -1.0, true};
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TLoudnessStandard r = StandardOf(c.eId, rOptions);
        EXPECT_EQ(r.eId, c.eId);
        EXPECT_EQ(StandardName(c.eId, kLanguageEnglish), c.sName);
        EXPECT_EQ(StandardFigures(r, kLanguageEnglish, u"."), c.sFigures);
    }
    // The default is EBU R128 with its narrow tolerance; Custom figures out of range fall back to it.
    EXPECT_TRUE(DefaultStandardOf(TComplianceOptions()) == Preset(TStandardId::EbuR128));
    rOptions.rCustom.fTolerance = 25.0;
    EXPECT_EQ(StandardOf(TStandardId::Custom, rOptions).fTolerance, 0.5);
    EXPECT_EQ(StandardName(TStandardId::Custom, kLanguageDanish), "Brugerdefineret");
}

} // namespace
