#include "dialogs/FormTCControl.h"

#include "app/Settings.h"
#include "app/TextTable.h"
#include "dialogs/TimeEditChain.h"
#include "dialogs/TimecodeFields.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTxtStartTime = 400;
constexpr int kTxtStopTime = 402;
constexpr int kTxtEnabled = 404;

} // namespace

TfrmTCControl::TfrmTCControl(QWidget* parent) : QDialog(parent) {
    setObjectName("frmTCControl");
    setWindowTitle(QStringLiteral("Timecode Control."));
    setModal(true);

    grpTimeStart = CreateTimeGroup(chkEnabledStart, lblTCStart, editTCStartHr, editTCStartMin, editTCStartSec,
                                   editTCStartFrame);
    grpTimeStop = CreateTimeGroup(chkEnabledStop, lblTCEnd, editTCStopHr, editTCStopMin, editTCStopSec,
                                  editTCStopFrame);
    grpTimeStart->setObjectName("grpTimeStart");
    grpTimeStop->setObjectName("grpTimeStop");
    chkEnabledStart->setObjectName("chkEnabledStart");
    chkEnabledStop->setObjectName("chkEnabledStop");
    editTCStartHr->setObjectName("editTCStartHr");
    editTCStartMin->setObjectName("editTCStartMin");
    editTCStartSec->setObjectName("editTCStartSec");
    editTCStopHr->setObjectName("editTCStopHr");
    editTCStopMin->setObjectName("editTCStopMin");
    editTCStopSec->setObjectName("editTCStopSec");
    connect(chkEnabledStart, &QCheckBox::clicked, this, &TfrmTCControl::chkEnabledStartClick);
    connect(chkEnabledStop, &QCheckBox::clicked, this, &TfrmTCControl::chkEnabledStopClick);

    Chain = new TTimeEditChain(
        {editTCStartHr, editTCStartMin, editTCStartSec, editTCStopHr, editTCStopMin, editTCStopSec}, this);

    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmTCControl::btnCancelClick);

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpTimeStart);
    Layout->addWidget(grpTimeStop);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

QGroupBox* TfrmTCControl::CreateTimeGroup(QCheckBox*& chk, QLabel*& lbl, QLineEdit*& editHr,
                                          QLineEdit*& editMin, QLineEdit*& editSec, QLineEdit*& editFrame) {
    auto* grp = new QGroupBox(this);
    chk = new QCheckBox(grp);
    // The separators between the four fields; the fields sit in a row behind the label's caption.
    lbl = new QLabel(QStringLiteral("Time :"), grp);
    editHr = TTimeEditChain::NewTimeEdit(grp);
    editMin = TTimeEditChain::NewTimeEdit(grp);
    editSec = TTimeEditChain::NewTimeEdit(grp);
    editFrame = TTimeEditChain::NewTimeEdit(grp);
    editFrame->setText(QStringLiteral("00"));
    editFrame->setEnabled(false);
    editFrame->setFocusPolicy(Qt::NoFocus);

    auto* Row = new QHBoxLayout;
    Row->addWidget(lbl);
    const auto Colon = [grp] { return new QLabel(QStringLiteral(":"), grp); };
    Row->addWidget(editHr);
    Row->addWidget(Colon());
    Row->addWidget(editMin);
    Row->addWidget(Colon());
    Row->addWidget(editSec);
    Row->addWidget(Colon());
    Row->addWidget(editFrame);
    Row->addStretch();
    auto* Layout = new QVBoxLayout(grp);
    Layout->addWidget(chk);
    Layout->addLayout(Row);
    return grp;
}

void TfrmTCControl::SetContext(const int* piLNG, TTimecodeControl* pTCCtrl) {
    FLanguage = piLNG;
    FTCCtrl = pTCCtrl;
}

bool TfrmTCControl::Execute() {
    if (FTCCtrl == nullptr)
        return false;
    FTag = 0;
    chkEnabledStart->setChecked(FTCCtrl->EnabledStart);
    chkEnabledStop->setChecked(FTCCtrl->EnabledStop);
    exec();
    if (FTag == kTagCancelled)
        return false;
    FTCCtrl->EnabledStart = chkEnabledStart->isChecked();
    FTCCtrl->TCStart = ComposeTimecode(editTCStartHr->text(), editTCStartMin->text(), editTCStartSec->text());
    FTCCtrl->EnabledStop = chkEnabledStop->isChecked();
    FTCCtrl->TCStop = ComposeTimecode(editTCStopHr->text(), editTCStopMin->text(), editTCStopSec->text());
    return true;
}

void TfrmTCControl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmTCControl::FormShow() {
    const int iLNG = FLanguage ? *FLanguage : kLanguageEnglish;
    grpTimeStart->setTitle(GetText(kTxtStartTime, iLNG));
    grpTimeStop->setTitle(GetText(kTxtStopTime, iLNG));
    chkEnabledStart->setText(GetText(kTxtEnabled, iLNG));
    chkEnabledStop->setText(GetText(kTxtEnabled, iLNG));
    btnOK->setText(GetText(kTxtOK, iLNG));
    btnCancel->setText(GetText(kTxtCancel, iLNG));

    if (FTCCtrl != nullptr) {
        chkEnabledStart->setChecked(FTCCtrl->EnabledStart);
        chkEnabledStop->setChecked(FTCCtrl->EnabledStop);
        const TTimecodeFields rStart = SplitTimecode(FTCCtrl->TCStart);
        editTCStartHr->setText(rStart.sHours);
        editTCStartMin->setText(rStart.sMinutes);
        editTCStartSec->setText(rStart.sSeconds);
        const TTimecodeFields rStop = SplitTimecode(FTCCtrl->TCStop);
        editTCStopHr->setText(rStop.sHours);
        editTCStopMin->setText(rStop.sMinutes);
        editTCStopSec->setText(rStop.sSeconds);
    }
    EnableStart(chkEnabledStart->isChecked());
    EnableStop(chkEnabledStop->isChecked());
}

void TfrmTCControl::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // After the dialog's own showing, which hands its first focus in like a Tab key and selects the text.
    if (visible)
        FocusFirstField();
}

void TfrmTCControl::FocusFirstField() {
    if (chkEnabledStart->isChecked())
        Chain->FocusEdit(editTCStartHr, true);
    else if (chkEnabledStop->isChecked())
        Chain->FocusEdit(editTCStopHr, true);
    else
        btnOK->setFocus();
}

void TfrmTCControl::EnableStart(bool bOn) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblTCStart, editTCStartHr, editTCStartMin, editTCStartSec})
        w->setEnabled(bOn);
}

void TfrmTCControl::EnableStop(bool bOn) {
    for (QWidget* w : std::initializer_list<QWidget*>{lblTCEnd, editTCStopHr, editTCStopMin, editTCStopSec})
        w->setEnabled(bOn);
}

void TfrmTCControl::chkEnabledStartClick() {
    EnableStart(chkEnabledStart->isChecked());
    if (chkEnabledStart->isChecked())
        Chain->FocusEdit(editTCStartHr, true);
}

void TfrmTCControl::chkEnabledStopClick() {
    EnableStop(chkEnabledStop->isChecked());
    if (chkEnabledStop->isChecked())
        Chain->FocusEdit(editTCStopHr, true);
}

void TfrmTCControl::btnCancelClick() {
    FTag = kTagCancelled;
    reject();
}

void TfrmTCControl::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button; the window's close button keeps Tag at 0 and so keeps the values.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        btnCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

QLineEdit* TfrmTCControl::ChainEdit(int i) const {
    return Chain->Edit(i);
}
