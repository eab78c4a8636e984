#pragma once

#include "core/LoudnessStandard.h"

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

// The delivery targets a user picks from, as the options and the session information dialog list them.

// A target with its figures next to its name: "EBU R128 (-23.0 LUFS ± 0.5 LU, max. -1.0 dBTP)".
QString StandardCaption(const TLoudnessStandard& r, int iLNG, QStringView sDecimalPoint);

// The targets the program-wide default may be: every preset, then Custom with the figures of rOptions.
std::vector<TLoudnessStandard> OfferedStandards(const TComplianceOptions& rOptions);

// One entry of a session's target list: the target it stands for (none: the program default) and its
// caption.
struct TTargetChoice {
    std::optional<TLoudnessStandard> rTarget;
    QString sCaption;
};

// A session's target list: the program default (named with its figures), every preset, and Custom with
// the figures of rOptions. A session's own target that none of these holds (Custom figures that have
// changed since it was chosen) follows as an entry of its own, so that keeping it is a choice.
std::vector<TTargetChoice> SessionTargetChoices(const TComplianceOptions& rOptions,
                                                const std::optional<TLoudnessStandard>& rOwnTarget, int iLNG,
                                                QStringView sDecimalPoint);

// The entry that shows rTarget: the one with the same figures, else the first of the same target, else
// the program default (0).
int TargetChoiceIndex(const std::vector<TTargetChoice>& aChoices,
                      const std::optional<TLoudnessStandard>& rTarget);
