#pragma once

#include "core/LoudnessStandard.h"

#include <QString>
#include <QStringView>
#include <array>

// The delivery targets the program knows, with their figures, and how they are named and shown.

// The presets in the order the options list them; Custom follows them.
const std::array<TLoudnessStandard, 5>& PresetStandards();

// The target a session is judged against for id eId: a preset's own figures, or the user's Custom figures
// from rOptions.
TLoudnessStandard StandardOf(TStandardId eId, const TComplianceOptions& rOptions);
// The program-wide default target.
TLoudnessStandard DefaultStandardOf(const TComplianceOptions& rOptions);

// The unit its loudness is given in ("LUFS" or "LKFS") and the unit of its tolerance ("LU" or "dB").
QString LoudnessUnitOf(TStandardId eId);
QString ToleranceUnitOf(TStandardId eId);

// The name in language iLNG: "EBU R128", ..., "Custom".
QString StandardName(TStandardId eId, int iLNG);
// Its figures as shown next to its name, for example "-23.0 LUFS ± 0.5 LU, max. -1.0 dBTP".
QString StandardFigures(const TLoudnessStandard& r, int iLNG, QStringView sDecimalPoint);
