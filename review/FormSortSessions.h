#pragma once

#include "dialogs/DeferredDialog.h"
#include "review/SessionFilter.h"

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class IAppServices;

// The session filter dialog: texts to look for in a session's title, number, operator, format and notes,
// the verdict mark a session must have, and a range of dates (with times when wanted). Created once and kept,
// so what the user entered is there again at the next opening. Its Tag is 1 after OK, 0 after Cancel or
// Reset.
class TfrmFilterSessions : public TDeferredDialog {
    Q_OBJECT
public:
    static constexpr int kTagCancelled = 0;
    static constexpr int kTagOK = 1;

    explicit TfrmFilterSessions(QWidget* parent = nullptr);

    // The program's services (language, message box), which must outlive the dialog.
    void SetServices(IAppServices& rServices) { FServices = &rServices; }

    int Tag() const { return FTag; }
    // Shows the dialog modally; true when it closed with OK.
    bool Execute();
    // What the dialog holds, as accepted by the last OK.
    TSessionFilterInput FilterInput() const;

    // Start and end times (hh:mm:ss) accepted by the last OK.
    QString sTCStart = QStringLiteral("00:00:00");
    QString sTCEnd = QStringLiteral("00:00:00");

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
    // Any mark, or one of pass, fail, not verifiable, not yet computed.
    QLabel* lblVerdict = nullptr;
    QComboBox* cmbVerdict = nullptr;
    QGroupBox* grpDateStart = nullptr;
    QGroupBox* grpDateEnd = nullptr;
    QCheckBox* chkDateStart = nullptr;
    QCheckBox* chkDateEnd = nullptr;
    QDateTimeEdit* dtStart = nullptr;
    QDateTimeEdit* dtEnd = nullptr;
    QCheckBox* chkTimeStart = nullptr;
    QCheckBox* chkTimeEnd = nullptr;
    QLabel* lblTCStart = nullptr;
    QLabel* lblTCEnd = nullptr;
    QLineEdit* editTCStartHr = nullptr;
    QLineEdit* editTCStartMin = nullptr;
    QLineEdit* editTCStartSec = nullptr;
    QLineEdit* editTCStopHr = nullptr;
    QLineEdit* editTCStopMin = nullptr;
    QLineEdit* editTCStopSec = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnReset = nullptr;

    void chkDateStartClick();
    void chkDateEndClick();
    void chkTimeStartClick();
    void chkTimeEndClick();
    void dtStartChange();
    // A one-day range (the start not before the end) runs to the end of that day.
    void EndDateRule();
    void btnOKClick();
    void btnCancelClick();
    void btnResetClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls() override;
    void FormShow();
    QGroupBox* CreateDateGroup(QCheckBox*& chkDate, QDateTimeEdit*& dtDate, QCheckBox*& chkTime,
                               QLabel*& lblTC, QLineEdit*& editHr, QLineEdit*& editMin, QLineEdit*& editSec,
                               bool bStart);
    void EnableStartTime(bool bOn);
    void EnableStopTime(bool bOn);
    // The time of three edits joined with ":", as hh:mm:ss; empty when it is no time of day.
    static QString ValidTime(const QLineEdit* editHr, const QLineEdit* editMin, const QLineEdit* editSec);
    int Language() const;

    int FTag = kTagCancelled;
    IAppServices* FServices = nullptr;
};
