#pragma once

#include "dialogs/DeferredDialog.h"

#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class IAppServices;
struct TFilterOptions;

// The data filter dialog: a timecode interval and, for the peak level and the three loudness values, an
// Above and a Below limit, each with its switch. Created once at start; its state lives in the settings'
// filter options, so it survives between openings and across runs. OK checks every switched-on level and
// stays open with the group's message when one is no number.
class TfrmFilter : public TDeferredDialog {
    Q_OBJECT
public:
    static constexpr int kTagOK = 1;

    explicit TfrmFilter(QWidget* parent = nullptr);

    // The program's services: their language and message box, and the filter options of their settings,
    // which the dialog edits.
    void SetServices(IAppServices& rServices) { FServices = &rServices; }
    // The unit of the loudness groups: the selected session's scale, set before each opening.
    void SetLoudnessUnit(const QString& sUnit);

    int Tag() const { return FTag; }
    // Opens the dialog modally; true when it closed with OK, the options then holding what it shows.
    bool Execute();

    QGroupBox* grpTC = nullptr;
    QCheckBox* chkTCStart = nullptr;
    QCheckBox* chkTCEnd = nullptr;
    QLabel* lblTCStart = nullptr;
    QLabel* lblTCEnd = nullptr;
    QLineEdit* editTCStartHr = nullptr;
    QLineEdit* editTCStartMin = nullptr;
    QLineEdit* editTCStartSec = nullptr;
    QLineEdit* editTCStartFrame = nullptr;
    QLineEdit* editTCStopHr = nullptr;
    QLineEdit* editTCStopMin = nullptr;
    QLineEdit* editTCStopSec = nullptr;
    QLineEdit* editTCStopFrame = nullptr;
    QGroupBox* grpPeakLevel = nullptr;
    QCheckBox* chkPeakOver = nullptr;
    QCheckBox* chkPeakUnder = nullptr;
    QLineEdit* editPeakOver = nullptr;
    QLineEdit* editPeakUnder = nullptr;
    QLabel* lblPeakA = nullptr;
    QLabel* lblPeakB = nullptr;
    QGroupBox* grpLoudHi = nullptr;
    QCheckBox* chkLoudHiOver = nullptr;
    QCheckBox* chkLoudHiUnder = nullptr;
    QLineEdit* editLoudHiOver = nullptr;
    QLineEdit* editLoudHiUnder = nullptr;
    QLabel* lblLoudHiA = nullptr;
    QLabel* lblLoudHiB = nullptr;
    QGroupBox* grpLoudLo = nullptr;
    QCheckBox* chkLoudLoOver = nullptr;
    QCheckBox* chkLoudLoUnder = nullptr;
    QLineEdit* editLoudLoOver = nullptr;
    QLineEdit* editLoudLoUnder = nullptr;
    QLabel* lblLoudLoA = nullptr;
    QLabel* lblLoudLoB = nullptr;
    QGroupBox* grpInt = nullptr;
    QCheckBox* chkIntOver = nullptr;
    QCheckBox* chkIntUnder = nullptr;
    QLineEdit* editIntOver = nullptr;
    QLineEdit* editIntUnder = nullptr;
    QLabel* lblIntA = nullptr;
    QLabel* lblIntB = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnReset = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // One Above/Below pair of a level group.
    struct TLevelLimit {
        QCheckBox* chk;
        QLineEdit* edit;
        bool TFilterOptions::*pEnabled;
        QString TFilterOptions::*pText;
        // The group's message for a text that is no number.
        int iInvalidMessage;
    };

    QGroupBox* CreateLevelGroup(const char* sName, QCheckBox*& chkOver, QLineEdit*& editOver, QLabel*& lblA,
                                QCheckBox*& chkUnder, QLineEdit*& editUnder, QLabel*& lblB);
    QWidget* CreateTimeRow(QCheckBox*& chk, QLabel*& lbl, QLineEdit*& editHr, QLineEdit*& editMin,
                           QLineEdit*& editSec, QLineEdit*& editFrame);
    void CreateControls() override;
    void FormShow();
    void SaveState();
    void EnableTimes();
    void btnOKClick();
    void btnCancelClick();
    void btnResetClick();
    int ShowMessage(int iEntry) const;

    int FTag = 0;
    int Language() const;
    TFilterOptions* Options() const;

    IAppServices* FServices = nullptr;
    std::vector<TLevelLimit> aLimits;
};
