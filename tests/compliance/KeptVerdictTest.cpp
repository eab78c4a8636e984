#include "compliance/KeptVerdict.h"
#include "compliance/Standards.h"
#include "core/TextTable.h"
#include "tests/compliance/LevelRows.h"

#include <gtest/gtest.h>

namespace {

using qxtest::LevelRows;
using qxtest::MeasuringSetup;

// A failed session with reasons that use every field: a peak with timecode and count, a deviation, a
// converted scale, filtered rows.
TVerdict FailedVerdict() {
    TLoudnessSetup rSetup = MeasuringSetup();
    rSetup.iScaleMode = kScaleModeLU;
    return JudgeSession(
        LevelRows({{"10:14:03:00", -0.3, 2.0, -1.0, 1.3}, {"10:14:04:00", -0.5, 2.0, -1.0, 1.3}}), rSetup,
        StandardOf(TStandardId::EbuR128, {}), true);
}

TEST(KeptVerdict, ReasonsSurviveTheDatabaseText) {
    const TVerdict v = FailedVerdict();
    ASSERT_EQ(v.aReasons.size(), 4u);
    std::vector<TVerdictReason> aBack;
    ASSERT_TRUE(DecodeReasons(EncodeReasons(v.aReasons), aBack));
    EXPECT_EQ(aBack, v.aReasons);

    const TKeptVerdict rKept = KeepVerdict(v, TLoudnessRange(), QStringLiteral("10:14:04:00"), 2);
    TVerdict vBack;
    ASSERT_TRUE(RestoreVerdict(rKept, vBack));
    EXPECT_EQ(vBack.eKind, TVerdictKind::Fail);
    EXPECT_EQ(vBack.aReasons, v.aReasons);
}

// The text comes from a file anyone may have edited: anything but a list of known reasons with sound values
// is refused, and a kept pass that its reasons contradict is not restored.
TEST(KeptVerdict, DamagedTextIsRefused) {
    const char* const aDamaged[] = {
        "",
        "not json",
        "{\"kind\":1}",
        "[1,2]",
        "[{\"kind\":99}]",
        "[{\"kind\":-1}]",
        "[{\"kind\":1.5}]",
        "[{\"value\":-23}]",
        "[{\"kind\":7,\"value\":\"loud\"}]",
        "[{\"kind\":10,\"timecode\":\"10:00:00:00 and a text far longer than any timecode\"}]",
        "[{\"kind\":10,\"count\":1e12}]",
        "[{\"kind\":10,\"code\":0.5}]",
    };
    for (const char* s : aDamaged) {
        SCOPED_TRACE(s);
        std::vector<TVerdictReason> a;
        EXPECT_FALSE(DecodeReasons(QString::fromUtf8(s), a));
        EXPECT_TRUE(a.empty());
    }

    TKeptVerdict rKept = KeepVerdict(FailedVerdict(), TLoudnessRange(), QString(), 2);
    rKept.eKind = TVerdictKind::Pass;
    TVerdict v;
    EXPECT_FALSE(RestoreVerdict(rKept, v));
    rKept.sReasons = QStringLiteral("[]");
    rKept.eKind = TVerdictKind::NotVerifiable;
    EXPECT_FALSE(RestoreVerdict(rKept, v));
}

TEST(KeptVerdict, MarkHoldsOnlyForTheSameTargetAndRows) {
    const TLoudnessStandard rEbu = StandardOf(TStandardId::EbuR128, {});
    const TKeptVerdict rKept =
        KeepVerdict(FailedVerdict(), TLoudnessRange(), QStringLiteral("10:14:04:00"), 2);
    EXPECT_EQ(MarkOf(&rKept, rEbu, QStringLiteral("10:14:04:00")), TVerdictMark::Fail);
    EXPECT_EQ(MarkOf(nullptr, rEbu, QStringLiteral("10:14:04:00")), TVerdictMark::NotComputed);
    EXPECT_EQ(MarkOf(&rKept, StandardOf(TStandardId::EbuR128Live, {}), QStringLiteral("10:14:04:00")),
              TVerdictMark::NotComputed);
    EXPECT_EQ(MarkOf(&rKept, rEbu, QStringLiteral("10:14:09:00")), TVerdictMark::NotComputed);
    EXPECT_EQ(VerdictMarkName(TVerdictMark::NotComputed, kLanguageEnglish), "Not yet computed");
    EXPECT_EQ(VerdictMarkName(TVerdictMark::NotVerifiable, kLanguageDanish), "Kan ikke eftervises");
}

} // namespace
