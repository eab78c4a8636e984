#include "dialogs/TargetChoices.h"

#include "core/TextTable.h"

#include <gtest/gtest.h>

namespace {

const TLoudnessStandard kEbu{TStandardId::EbuR128, -23.0, 0.5, -1.0, true};
const TLoudnessStandard kCustom{TStandardId::Custom, -14.0, 1.0, -1.0, true};

TComplianceOptions Options() {
    return {TStandardId::EbuR128, kCustom};
}

} // namespace

// The session's own target is listed once: where a listed entry holds it, that entry; otherwise (figures
// that differ from today's) as an entry of its own at the end, selected.
TEST(SessionTargetChoices, TheOwnTargetIsListedOnceAndSelected) {
    struct TCase {
        const char* sName;
        std::optional<TLoudnessStandard> rOwn;
        size_t iEntries;
        int iSelected;
    };
    const TCase aCases[] = {
        {"no target of its own", std::nullopt, 7, 0},
        {"a preset", kEbu, 7, 1},
        {"the options' Custom figures", kCustom, 7, 6},
        {"Custom figures of before", TLoudnessStandard{TStandardId::Custom, -16.0, 1.0, -1.0, false}, 8, 7},
        {"a preset stored with other figures",
         TLoudnessStandard{TStandardId::AtscA85, -24.0, 3.0, -2.0, true}, 8, 7},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const std::vector<TTargetChoice> a = SessionTargetChoices(Options(), c.rOwn, kLanguageEnglish, u".");
        ASSERT_EQ(a.size(), c.iEntries);
        EXPECT_EQ(a[0].rTarget, std::nullopt);
        EXPECT_EQ(a[6].rTarget, kCustom);
        EXPECT_EQ(TargetChoiceIndex(a, c.rOwn), c.iSelected);
    }
}

// A choice made earlier is found again by its figures, else by its target (Custom figures changed since),
// else the default is shown.
TEST(TargetChoiceIndex, FiguresFirstThenTheTargetThenTheDefault) {
    const std::vector<TTargetChoice> a =
        SessionTargetChoices(Options(), std::nullopt, kLanguageEnglish, u",");
    EXPECT_EQ(a[6].sCaption, QString::fromUtf8("Custom (-14,0 LUFS ± 1,0 LU, max. -1,0 dBTP)"));
    EXPECT_EQ(a[0].sCaption,
              QString::fromUtf8("Program default (EBU R128 -23,0 LUFS ± 0,5 LU, max. -1,0 dBTP)"));
    EXPECT_EQ(TargetChoiceIndex(a, TLoudnessStandard{TStandardId::Custom, -18.0, 2.0, -3.0, true}), 6);
    EXPECT_EQ(TargetChoiceIndex(a, TLoudnessStandard{TStandardId::FreeTvOp59, -24.0, 1.0, -2.0, true}), 5);
    EXPECT_EQ(TargetChoiceIndex({}, kEbu), 0);
}
