#pragma once

#include "dialogs/SessionTexts.h"

#include "core/LoudnessStandard.h"
#include "dialogs/DeferredDialog.h"
#include "dialogs/TargetChoices.h"

#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class IAppServices;

// The session information dialog: the five texts of a new session, or of a stored session being edited.
// Created once at start; its edits keep their texts between showings, so a new session starts with the
// texts of the previous one. Its Tag carries the mode in and the result out (the kTag* values).
class TfrmSessionInfo : public TDeferredDialog {
    Q_OBJECT
public:
    static constexpr int kTagNewSession = 0;
    static constexpr int kTagNewSessionOK = 1;
    static constexpr int kTagEditSession = 2;
    static constexpr int kTagEditSessionOK = 3;

    explicit TfrmSessionInfo(QWidget* parent = nullptr);

    // What the dialog works with: the program's services (language, message box) and the main window's
    // selected stored session (rSelectedSessionInfo), which edit mode shows and changes.
    void SetContext(IAppServices& rServices, TSessionInfo* prSelectedSessionInfo);

    int Tag() const { return FTag; }
    void SetTag(int iTag) { FTag = iTag; }

    // New session: shows the dialog modally with Tag 0; true when confirmed (Tag 1).
    bool ExecuteNewSession();
    // The dialog's texts for a new session, cleaned of forbidden characters (one message when any were
    // there; the edits then show the cleaned texts) and cut to their limits, copied into rSessionInfo.
    void TakeSessionTexts(TSessionInfo& rSessionInfo);
    // The target chosen at the last OK for a new session: none for the program default. A Custom choice
    // holds the Custom figures of that moment.
    const std::optional<TLoudnessStandard>& NewSessionTarget() const { return rNewSessionTarget; }
    // Edit a stored session: shows the dialog modally with Tag 2 filled from the selected session and its
    // own target rTarget (none: the program default); on OK the cleaned texts are in it and rTarget is the
    // target chosen. OK with a text beyond its limit cuts it, says so and keeps the dialog open and the
    // result is true (Tag 3). Tag is 0 again afterwards.
    bool ExecuteEditSession(std::optional<TLoudnessStandard>& rTarget);

    // The texts of the five edits as they stand.
    TSessionTexts EditTexts() const;
    void SetEditTexts(const TSessionTexts& rTexts);

    QGroupBox* grpSessionInfo = nullptr;
    QLabel* lblShowTitle = nullptr;
    QLabel* lblShowNumber = nullptr;
    QLabel* lblOperatorName = nullptr;
    QLabel* lblFormat = nullptr;
    QLabel* lblNotes = nullptr;
    QLineEdit* editShowTitle = nullptr;
    QLineEdit* editShowNumber = nullptr;
    QLineEdit* editOperatorName = nullptr;
    QLineEdit* editFormat = nullptr;
    QLineEdit* editNotes = nullptr;
    // The delivery target the session is judged against: the program default, a preset or Custom.
    QLabel* lblTarget = nullptr;
    QComboBox* cboTarget = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls() override;
    void FormShow();
    void btnOKClick();
    // Applies fnCorrect to the five edits; false (and the edits corrected, sMessage shown as a message of
    // kind iKind) when it changed any.
    bool CorrectEdits(bool (*fnCorrect)(TSessionTexts&), const QString& sMessage, int iKind);
    // Cleans the five edits; false (and the edits cleaned, the message shown) when any lost a character.
    bool VerifyEdits();
    // Cuts the edits to their limits; false (and the edits cut, the message shown) when any was too long.
    bool LimitEdits();
    int Language() const;
    // Lists the targets in language iLNG, with rOwnTarget among them, and selects rShown.
    void ShowTargets(const std::optional<TLoudnessStandard>& rOwnTarget,
                     const std::optional<TLoudnessStandard>& rShown, int iLNG);
    std::optional<TLoudnessStandard> ChosenTarget() const;

    int FTag = kTagNewSession;
    IAppServices* FServices = nullptr;
    TSessionInfo* FSelectedSession = nullptr;
    std::vector<TTargetChoice> aTargetChoices;
    std::optional<TLoudnessStandard> rNewSessionTarget;
    // In edit mode: the stored session's own target while the dialog shows, the chosen one after OK.
    std::optional<TLoudnessStandard> rEditedTarget;
};
