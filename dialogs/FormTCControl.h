#pragma once

#include "dialogs/DeferredDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class IAppServices;
struct TTimecodeControl;

// The timecode control dialog: the start and stop timecodes of timecode-controlled logging, each with
// its switch. It edits the main window's timecode record; times are typed as three two-digit fields that
// work in overwrite mode and hand the caret on to the next field. Its Tag is -1 after Cancel.
class TfrmTCControl : public TDeferredDialog {
    Q_OBJECT
public:
    static constexpr int kTagCancelled = -1;

    explicit TfrmTCControl(QWidget* parent = nullptr);

    // The program's services: their language, and the timecode record of their settings (TCCtrl), which the
    // dialog edits.
    void SetServices(IAppServices& rServices) { FServices = &rServices; }

    int Tag() const { return FTag; }
    void SetTag(int iTag) { FTag = iTag; }

    // Opens the dialog modally from the current record. Unless cancelled, the record takes the dialog's
    // values and the result is true: the caller then tells the logging thread (engine command 112).
    bool Execute();

    // The six time edits in their chain order.
    QLineEdit* ChainEdit(int i) const { return aChain[i]; }
    static constexpr int kChainLength = 6;

    QGroupBox* grpTimeStart = nullptr;
    QCheckBox* chkEnabledStart = nullptr;
    QLabel* lblTCStart = nullptr;
    QLineEdit* editTCStartHr = nullptr;
    QLineEdit* editTCStartMin = nullptr;
    QLineEdit* editTCStartSec = nullptr;
    QLineEdit* editTCStartFrame = nullptr;
    QGroupBox* grpTimeStop = nullptr;
    QCheckBox* chkEnabledStop = nullptr;
    QLabel* lblTCEnd = nullptr;
    QLineEdit* editTCStopHr = nullptr;
    QLineEdit* editTCStopMin = nullptr;
    QLineEdit* editTCStopSec = nullptr;
    QLineEdit* editTCStopFrame = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls() override;
    QGroupBox* CreateTimeGroup(QCheckBox*& chk, QLabel*& lbl, QLineEdit*& editHr, QLineEdit*& editMin,
                               QLineEdit*& editSec, QLineEdit*& editFrame);
    void FormShow();
    void FocusFirstField();
    void chkEnabledStartClick();
    void chkEnabledStopClick();
    void btnCancelClick();
    void EnableStart(bool bOn);
    void EnableStop(bool bOn);

    void FocusEdit(QLineEdit* edit, bool bCaretAtStart);
    void FocusNext(QLineEdit* edit);
    void FocusPrevious(QLineEdit* edit);
    // Key-down rules; true when the key moved across a field border and is done.
    bool EditKeyDown(QLineEdit* edit, const QKeyEvent* event);
    void EditKeyUp(QLineEdit* edit, const QKeyEvent* event);
    int ChainIndex(const QObject* edit) const;

    int FTag = 0;
    TTimecodeControl* TCCtrl() const;

    IAppServices* FServices = nullptr;
    QLineEdit* aChain[kChainLength] = {};
};
