#include "dialogs/TargetChoices.h"

#include "compliance/Standards.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"

QString StandardCaption(const TLoudnessStandard& r, int iLNG, QStringView sDecimalPoint) {
    return StandardName(r.eId, iLNG) + QStringLiteral(" (") + StandardFigures(r, iLNG, sDecimalPoint) +
           QLatin1Char(')');
}

std::vector<TLoudnessStandard> OfferedStandards(const TComplianceOptions& rOptions) {
    std::vector<TLoudnessStandard> a(PresetStandards().begin(), PresetStandards().end());
    a.push_back(StandardOf(TStandardId::Custom, rOptions));
    return a;
}

std::vector<TTargetChoice> SessionTargetChoices(const TComplianceOptions& rOptions,
                                                const std::optional<TLoudnessStandard>& rOwnTarget, int iLNG,
                                                QStringView sDecimalPoint) {
    const TLoudnessStandard rDefault = DefaultStandardOf(rOptions);
    std::vector<TTargetChoice> a;
    a.push_back({std::nullopt, FormatText(GetText(kTxtTargetProgramDefault, iLNG),
                                          {StandardName(rDefault.eId, iLNG),
                                           StandardFigures(rDefault, iLNG, sDecimalPoint)})});
    bool bOwnListed = !rOwnTarget.has_value();
    for (const TLoudnessStandard& r : OfferedStandards(rOptions)) {
        a.push_back({r, StandardCaption(r, iLNG, sDecimalPoint)});
        bOwnListed = bOwnListed || r == *rOwnTarget;
    }
    if (!bOwnListed)
        a.push_back({rOwnTarget, StandardCaption(*rOwnTarget, iLNG, sDecimalPoint)});
    return a;
}

int TargetChoiceIndex(const std::vector<TTargetChoice>& aChoices,
                      const std::optional<TLoudnessStandard>& rTarget) {
    if (!rTarget)
        return 0;
    for (size_t i = 0; i < aChoices.size(); ++i) {
        if (aChoices[i].rTarget == rTarget)
            return int(i);
    }
    for (size_t i = 0; i < aChoices.size(); ++i) {
        if (aChoices[i].rTarget && aChoices[i].rTarget->eId == rTarget->eId)
            return int(i);
    }
    return 0;
}
