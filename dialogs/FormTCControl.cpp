#include "dialogs/FormTCControl.h"

#include "core/AppServices.h"
#include "core/TextTable.h"
#include "dialogs/TimecodeFields.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// Index of the step from the start fields to the stop fields in the chain.
constexpr int kFirstStopField = 3;

bool IsArrowKey(int iKey) {
    return iKey == Qt::Key_Left || iKey == Qt::Key_Right || iKey == Qt::Key_Up || iKey == Qt::Key_Down;
}

// Keys that never move the caret on to another field: Tab and the modifier keys alone.
bool IsNeutralKey(int iKey) {
    return iKey == Qt::Key_Tab || iKey == Qt::Key_Backtab || iKey == Qt::Key_Shift ||
           iKey == Qt::Key_Control || iKey == Qt::Key_Alt || iKey == Qt::Key_Meta || iKey == Qt::Key_AltGr;
}

QLineEdit* NewTimeEdit(QWidget* parent, const char* sName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(sName);
    edit->setMaxLength(2);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
    edit->setFixedWidth(32);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

} // namespace

TfrmTCControl::TfrmTCControl(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmTCControl");
    setWindowTitle(QStringLiteral("Timecode Control."));
    setModal(true);
}

void TfrmTCControl::CreateControls() {
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

    QLineEdit* const aEdits[kChainLength] = {editTCStartHr, editTCStartMin, editTCStartSec,
                                             editTCStopHr,  editTCStopMin,  editTCStopSec};
    for (int i = 0; i < kChainLength; ++i) {
        aChain[i] = aEdits[i];
        aChain[i]->installEventFilter(this);
    }

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
    editHr = NewTimeEdit(grp, "");
    editMin = NewTimeEdit(grp, "");
    editSec = NewTimeEdit(grp, "");
    editFrame = NewTimeEdit(grp, "");
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

TTimecodeControl* TfrmTCControl::TCCtrl() const {
    return FServices ? &FServices->Settings().TCCtrl : nullptr;
}

bool TfrmTCControl::Execute() {
    TTimecodeControl* pTC = TCCtrl();
    if (pTC == nullptr)
        return false;
    FTag = 0;
    EnsureControls();
    chkEnabledStart->setChecked(pTC->EnabledStart);
    chkEnabledStop->setChecked(pTC->EnabledStop);
    exec();
    if (FTag == kTagCancelled)
        return false;
    pTC->EnabledStart = chkEnabledStart->isChecked();
    pTC->TCStart = ComposeTimecode(editTCStartHr->text(), editTCStartMin->text(), editTCStartSec->text());
    pTC->EnabledStop = chkEnabledStop->isChecked();
    pTC->TCStop = ComposeTimecode(editTCStopHr->text(), editTCStopMin->text(), editTCStopSec->text());
    return true;
}

void TfrmTCControl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmTCControl::FormShow() {
    const int iLNG = FServices ? FServices->Language() : kLanguageEnglish;
    grpTimeStart->setTitle(GetText(kTxtStartTime, iLNG));
    grpTimeStop->setTitle(GetText(kTxtStopTime, iLNG));
    chkEnabledStart->setText(GetText(kTxtEnabled, iLNG));
    chkEnabledStop->setText(GetText(kTxtEnabled, iLNG));
    btnOK->setText(GetText(kTxtOK, iLNG));
    btnCancel->setText(GetText(kTxtCancel, iLNG));

    if (const TTimecodeControl* pTC = TCCtrl()) {
        chkEnabledStart->setChecked(pTC->EnabledStart);
        chkEnabledStop->setChecked(pTC->EnabledStop);
        const TTimecodeFields rStart = SplitTimecode(pTC->TCStart);
        editTCStartHr->setText(rStart.sHours);
        editTCStartMin->setText(rStart.sMinutes);
        editTCStartSec->setText(rStart.sSeconds);
        const TTimecodeFields rStop = SplitTimecode(pTC->TCStop);
        editTCStopHr->setText(rStop.sHours);
        editTCStopMin->setText(rStop.sMinutes);
        editTCStopSec->setText(rStop.sSeconds);
    }
    EnableStart(chkEnabledStart->isChecked());
    EnableStop(chkEnabledStop->isChecked());
}

void TfrmTCControl::setVisible(bool visible) {
    TDeferredDialog::setVisible(visible);
    // After the dialog's own showing, which hands its first focus in like a Tab key and selects the text.
    if (visible)
        FocusFirstField();
}

void TfrmTCControl::FocusFirstField() {
    if (chkEnabledStart->isChecked())
        FocusEdit(editTCStartHr, true);
    else if (chkEnabledStop->isChecked())
        FocusEdit(editTCStopHr, true);
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
        FocusEdit(editTCStartHr, true);
}

void TfrmTCControl::chkEnabledStopClick() {
    EnableStop(chkEnabledStop->isChecked());
    if (chkEnabledStop->isChecked())
        FocusEdit(editTCStopHr, true);
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

void TfrmTCControl::FocusEdit(QLineEdit* edit, bool bCaretAtStart) {
    if (!isVisible())
        return;
    edit->setFocus(Qt::OtherFocusReason);
    edit->deselect();
    edit->setCursorPosition(bCaretAtStart ? 0 : std::max<int>(0, static_cast<int>(edit->text().size()) - 1));
}

void TfrmTCControl::FocusNext(QLineEdit* edit) {
    const int i = ChainIndex(edit);
    if (i < 0 || i + 1 >= kChainLength)
        return;
    if (i + 1 == kFirstStopField && !aChain[i + 1]->isEnabled())
        return;
    FocusEdit(aChain[i + 1], true);
}

void TfrmTCControl::FocusPrevious(QLineEdit* edit) {
    const int i = ChainIndex(edit);
    if (i <= 0)
        return;
    if (i == kFirstStopField && !aChain[i - 1]->isEnabled())
        return;
    FocusEdit(aChain[i - 1], false);
}

int TfrmTCControl::ChainIndex(const QObject* edit) const {
    for (int i = 0; i < kChainLength; ++i) {
        if (aChain[i] == edit)
            return i;
    }
    return -1;
}

bool TfrmTCControl::EditKeyDown(QLineEdit* edit, const QKeyEvent* event) {
    const int iKey = event->key();
    const int iCaret = edit->cursorPosition();
    const bool bNoSelection = !edit->hasSelectedText();
    if (iKey == Qt::Key_Backspace)
        return false;
    if ((iKey == Qt::Key_Left || iKey == Qt::Key_Up) && iCaret == 0 && bNoSelection) {
        FocusPrevious(edit);
        return true;
    }
    if ((iKey == Qt::Key_Right || iKey == Qt::Key_Down) && iCaret == 1 && bNoSelection) {
        FocusNext(edit);
        return true;
    }
    if (IsArrowKey(iKey) || IsNeutralKey(iKey))
        return false;
    if (iCaret == 1)
        FocusNext(edit);
    return false;
}

void TfrmTCControl::EditKeyUp(QLineEdit* edit, const QKeyEvent* event) {
    const int iKey = event->key();
    if (IsArrowKey(iKey) || IsNeutralKey(iKey))
        return;
    if (edit->cursorPosition() == 2)
        FocusNext(edit);
}

bool TfrmTCControl::eventFilter(QObject* watched, QEvent* event) {
    const int i = ChainIndex(watched);
    if (i < 0 || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QDialog::eventFilter(watched, event);
    QLineEdit* edit = aChain[i];
    const auto* KeyEvent = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        EditKeyUp(edit, KeyEvent);
        return false;
    }
    if (EditKeyDown(edit, KeyEvent))
        return true;
    // Overwrite mode: a digit replaces the character after the caret. The key's character goes into this
    // field even when its key-down has just moved the focus on.
    const QString sText = KeyEvent->text();
    if (sText.size() == 1 && sText.at(0).isDigit() && edit->cursorPosition() < edit->text().size())
        edit->setSelection(edit->cursorPosition(), 1);
    return false;
}
