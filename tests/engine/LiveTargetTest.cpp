#include "engine/LiveTarget.h"
#include "compliance/Standards.h"
#include "core/TextTable.h"
#include "tests/compliance/LevelRows.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

// Readable texts in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using qxtest::MeasuringSetup;

constexpr int kFilterLEQM = 2;

// One report of the running session: timecode, integrated loudness and peak as the meter sends them.
struct TReport {
    const char* sTimecode;
    double fIntegrated;
    double fPeak;
};

struct TLiveCase {
    const char* sName;
    std::vector<TReport> aReports;
    std::function<void(TLoudnessSetup&)> fnSetup;
    TStandardId eTarget;
    const char* sVerdict;
    const char* sLoudness;
    const char* sPeak;
};

void Keep(TLoudnessSetup&) {}

TLiveTargetTexts RunSession(const TLiveCase& c) {
    TLoudnessSetup rSetup = MeasuringSetup();
    c.fnSetup(rSetup);
    TLiveTarget Live;
    Live.Start(rSetup, StandardOf(c.eTarget, TComplianceOptions()));
    for (const TReport& r : c.aReports)
        Live.AddRow(QString::fromLatin1(r.sTimecode), r.fIntegrated, r.fPeak);
    return LiveTargetTexts(Live, kLanguageEnglish, u".");
}

TEST(LiveTarget, TheRunningSessionAgainstItsTarget) {
    const TLiveCase aCases[] = {
        {"within the tolerance",
         {{"10:00:00:00", -22.6, -3.0}},
         Keep,
         TStandardId::EbuR128,
         "Pass",
         "Integrated -22.6 LUFS is within -23.0 ± 0.5",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"above: the latest report counts, not an earlier louder one",
         {{"10:00:00:00", -19.0, -3.0}, {"10:00:01:00", -21.7, -3.0}},
         Keep,
         TStandardId::EbuR128,
         "Fail",
         "Integrated -21.7 LUFS is 1.3 LU above -23.0 ± 0.5",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"below, against a target with a wider tolerance",
         {{"10:00:00:00", -26.5, -4.0}},
         Keep,
         TStandardId::AtscA85,
         "Fail",
         "Integrated -26.5 LKFS is 2.5 dB below -24.0 ± 2.0",
         "Peak -4.0 dBTP is within -2.0 dBTP"},
        {"a report without an integrated value keeps the last one",
         {{"10:00:00:00", -23.2, -3.0}, {"10:00:01:00", -999.0, -3.0}},
         Keep,
         TStandardId::EbuR128,
         "Pass",
         "Integrated -23.2 LUFS is within -23.0 ± 0.5",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"LU scale: values relative to the reference level are read in LUFS",
         {{"10:00:00:00", 1.3, -3.0}},
         [](TLoudnessSetup& s) { s.iScaleMode = kScaleModeLU; },
         TStandardId::EbuR128,
         "Fail",
         "Integrated -21.7 LUFS is 1.3 LU above -23.0 ± 0.5",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"LU scale with another reference level",
         {{"10:00:00:00", -5.0, -3.0}},
         [](TLoudnessSetup& s) {
             s.iScaleMode = kScaleModeLU;
             s.fReferenceLevel = -18.0;
         },
         TStandardId::EbuR128,
         "Pass",
         "Integrated -23.0 LUFS is within -23.0 ± 0.5",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"a peak over the limit stays shown after the peaks fall back",
         {{"10:14:02:00", -23.0, -3.0},
          {"10:14:03:00", -23.0, -0.3},
          {"10:14:04:00", -23.0, -0.6},
          {"10:14:05:00", -23.0, -6.0}},
         Keep,
         TStandardId::EbuR128,
         "Fail",
         "Integrated -23.0 LUFS is within -23.0 ± 0.5",
         "Peak -0.3 dBTP exceeds -1.0 dBTP at 10:14:03:00 and in 1 more second"},
        {"a filter other than K: the loudness is not compared, never a pass",
         {{"10:00:00:00", -23.0, -3.0}},
         [](TLoudnessSetup& s) { s.iFilter = kFilterLEQM; },
         TStandardId::EbuR128,
         "Not verifiable",
         "The meter's filter was LEQM, not K-Filter: its loudness cannot be compared with the target",
         "Peak -3.0 dBTP is within -1.0 dBTP"},
        {"sample peaks within a true-peak limit prove nothing",
         {{"10:00:00:00", -23.0, -3.0}},
         [](TLoudnessSetup& s) { s.iPeakMode = kPeakModeDigital; },
         TStandardId::EbuR128,
         "Not verifiable",
         "Integrated -23.0 LUFS is within -23.0 ± 0.5",
         "The meter measured peaks as Digital, not True Peak: the limit of -1.0 dBTP cannot be proven"},
        {"sample peaks over a true-peak limit prove the fail",
         {{"10:00:00:00", -23.0, -0.5}},
         [](TLoudnessSetup& s) { s.iPeakMode = kPeakModeDigital; },
         TStandardId::EbuR128,
         "Fail",
         "Integrated -23.0 LUFS is within -23.0 ± 0.5",
         "Peak -0.5 dBFS exceeds -1.0 dBTP at 10:00:00:00"},
        {"no report yet",
         {},
         Keep,
         TStandardId::EbuR128,
         "Not verifiable",
         "Waiting for the first level report",
         ""},
    };
    for (const TLiveCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const TLiveTargetTexts r = RunSession(c);
        EXPECT_EQ(r.sVerdict, QString::fromUtf8(c.sVerdict));
        EXPECT_EQ(r.sLoudness, QString::fromUtf8(c.sLoudness));
        EXPECT_EQ(r.sPeak, QString::fromUtf8(c.sPeak));
    }
}

TEST(LiveTarget, TargetNamedWithItsFiguresAndEveryReasonInTheDetail) {
    TLoudnessSetup rSetup = MeasuringSetup();
    rSetup.iScaleMode = kScaleModeLU;
    rSetup.iPeakMode = kPeakModeDigital;
    TLiveTarget Live;
    Live.Start(rSetup, StandardOf(TStandardId::EbuR128, TComplianceOptions()));
    Live.AddRow(u"10:00:00:00", 0.0, -0.5);
    const TLiveTargetTexts r = LiveTargetTexts(Live, kLanguageEnglish, u".");
    EXPECT_EQ(r.sTarget, QString::fromUtf8("EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP"));
    EXPECT_EQ(r.eKind, TVerdictKind::Fail);
    EXPECT_EQ(r.sDetail, QString::fromUtf8("Peak -0.5 dBFS exceeds -1.0 dBTP at 10:00:00:00\n"
                                           "Integrated -23.0 LUFS is within -23.0 ± 0.5\n"
                                           "The peaks are sample peaks (Digital); a true peak is at least as "
                                           "high\n"
                                           "Loudness in LU was converted to LUFS with the reference level "
                                           "-23.0 LUFS"));
}

// A new session starts from nothing: the previous session's peak over the limit must not follow it, and
// its own target replaces the previous one. Without a session nothing is shown.
TEST(LiveTarget, ANewSessionForgetsThePreviousOne) {
    TLiveTarget Live;
    EXPECT_TRUE(LiveTargetTexts(Live, kLanguageEnglish, u".").sTarget.isEmpty());
    Live.AddRow(u"09:00:00:00", -23.0, 0.0);
    EXPECT_EQ(Live.RowCount(), 0);

    Live.Start(MeasuringSetup(), StandardOf(TStandardId::EbuR128, TComplianceOptions()));
    Live.AddRow(u"10:00:00:00", -23.0, -0.2);
    EXPECT_EQ(Live.Verdict().eKind, TVerdictKind::Fail);

    TComplianceOptions rOptions;
    rOptions.rCustom = {TStandardId::Custom, -16.0, 1.0, -1.0, true};
    Live.Start(MeasuringSetup(), StandardOf(TStandardId::Custom, rOptions));
    Live.AddRow(u"11:00:00:00", -16.4, -2.0);
    const TLiveTargetTexts r = LiveTargetTexts(Live, kLanguageEnglish, u".");
    EXPECT_EQ(r.eKind, TVerdictKind::Pass);
    EXPECT_EQ(r.sTarget, QString::fromUtf8("Custom -16.0 LUFS ± 1.0 LU, max. -1.0 dBTP"));
    EXPECT_EQ(r.sPeak, QString::fromUtf8("Peak -2.0 dBTP is within -1.0 dBTP"));

    Live.Clear();
    EXPECT_TRUE(LiveTargetTexts(Live, kLanguageEnglish, u".").sTarget.isEmpty());
}

} // namespace
