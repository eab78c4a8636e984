#include "compliance/Standards.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "review/LevelData.h"

namespace {

// The published figures of each preset.
constexpr std::array<TLoudnessStandard, 5> kPresets{{
    {TStandardId::EbuR128, -23.0, 0.5, -1.0, true},
    {TStandardId::EbuR128Live, -23.0, 1.0, -1.0, true},
    {TStandardId::AtscA85, -24.0, 2.0, -2.0, true},
    {TStandardId::AribTrB32, -24.0, 1.0, -1.0, true},
    {TStandardId::FreeTvOp59, -24.0, 1.0, -2.0, true},
}};

} // namespace

const std::array<TLoudnessStandard, 5>& PresetStandards() {
    return kPresets;
}

TLoudnessStandard StandardOf(TStandardId eId, const TComplianceOptions& rOptions) {
    for (const TLoudnessStandard& r : kPresets) {
        if (r.eId == eId)
            return r;
    }
    TLoudnessStandard rCustom = rOptions.rCustom;
    rCustom.eId = TStandardId::Custom;
    return ValidStandardFigures(rCustom) ? rCustom : TComplianceOptions().rCustom;
}

TLoudnessStandard DefaultStandardOf(const TComplianceOptions& rOptions) {
    return StandardOf(rOptions.eDefaultStandard, rOptions);
}

QString LoudnessUnitOf(TStandardId eId) {
    switch (eId) {
    case TStandardId::AtscA85:
    case TStandardId::AribTrB32:
    case TStandardId::FreeTvOp59:
        return QStringLiteral("LKFS");
    default:
        return QStringLiteral("LUFS");
    }
}

QString ToleranceUnitOf(TStandardId eId) {
    switch (eId) {
    case TStandardId::AtscA85:
    case TStandardId::AribTrB32:
        return QStringLiteral("dB");
    default:
        return QStringLiteral("LU");
    }
}

QString StandardName(TStandardId eId, int iLNG) {
    switch (eId) {
    case TStandardId::EbuR128:
        return GetText(kTxtStandardEbuR128, iLNG);
    case TStandardId::EbuR128Live:
        return GetText(kTxtStandardEbuR128Live, iLNG);
    case TStandardId::AtscA85:
        return GetText(kTxtStandardAtscA85, iLNG);
    case TStandardId::AribTrB32:
        return GetText(kTxtStandardAribTrB32, iLNG);
    case TStandardId::FreeTvOp59:
        return GetText(kTxtStandardFreeTvOp59, iLNG);
    case TStandardId::Custom:
        break;
    }
    return GetText(kTxtStandardCustom, iLNG);
}

QString StandardFigures(const TLoudnessStandard& r, int iLNG, QStringView sDecimalPoint) {
    return FormatText(GetText(kTxtStandardFigures, iLNG),
                      {FormatLevel(r.fTargetLoudness, sDecimalPoint), LoudnessUnitOf(r.eId),
                       FormatLevel(r.fTolerance, sDecimalPoint), ToleranceUnitOf(r.eId),
                       FormatLevel(r.fMaxTruePeak, sDecimalPoint)});
}
