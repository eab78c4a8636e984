#pragma once

// A delivery target that a session is judged against: its integrated loudness with a tolerance, its
// highest allowed true peak, and whether the meter must have measured true peak. The settings keep the
// program-wide choice and the Custom figures; the session database keeps a session's own choice.

// The targets by a number that never changes, since settings files and databases keep it.
enum class TStandardId : int {
    EbuR128 = 0,
    EbuR128Live = 1,
    AtscA85 = 2,
    AribTrB32 = 3,
    FreeTvOp59 = 4,
    Custom = 5,
};

inline constexpr int kStandardCount = 6;

struct TLoudnessStandard {
    TStandardId eId = TStandardId::EbuR128;
    // LUFS (LKFS is the same scale).
    double fTargetLoudness = -23.0;
    // LU either side of the target (a dB of loudness is one LU).
    double fTolerance = 0.5;
    // dBTP.
    double fMaxTruePeak = -1.0;
    bool bRequireTruePeak = true;

    bool operator==(const TLoudnessStandard&) const = default;
};

// The figures a user may give a Custom target; anything outside (or not a number) is refused, so that a
// hand-edited file or database cannot make every session pass.
inline constexpr double kMinTargetLoudness = -70.0;
inline constexpr double kMaxTargetLoudness = 0.0;
inline constexpr double kMinTolerance = 0.0;
inline constexpr double kMaxTolerance = 10.0;
inline constexpr double kMinTruePeak = -30.0;
inline constexpr double kMaxTruePeak = 0.0;

// The id for a stored number; nothing valid when the number names no target.
bool StandardIdFromNumber(int iNumber, TStandardId& eId);

// True when every figure lies in its range above.
bool ValidStandardFigures(const TLoudnessStandard& r);

// The program-wide choice: which target sessions without their own are judged against, and the figures
// of the Custom target.
struct TComplianceOptions {
    TStandardId eDefaultStandard = TStandardId::EbuR128;
    TLoudnessStandard rCustom{TStandardId::Custom, -23.0, 0.5, -1.0, true};

    bool operator==(const TComplianceOptions&) const = default;
};
