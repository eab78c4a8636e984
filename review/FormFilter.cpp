#include "review/FormFilter.h"

#include "core/AppServices.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "dialogs/TimecodeFields.h"
#include "review/LevelFilter.h"
#include "review/TwoDigitEdits.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kPeakUnit = "dBFS.";

QLineEdit* NewLevelEdit(QWidget* parent, const char* sName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(sName);
    edit->setFixedWidth(64);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

} // namespace

TfrmFilter::TfrmFilter(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmFilter");
    setWindowTitle(QStringLiteral("Filter Data."));
    setModal(true);
}

void TfrmFilter::CreateControls() {
    grpTC = new QGroupBox(this);
    grpTC->setObjectName("grpTC");
    auto* TimeLayout = new QVBoxLayout(grpTC);
    TimeLayout->addWidget(CreateTimeRow(chkTCStart, lblTCStart, editTCStartHr, editTCStartMin, editTCStartSec,
                                        editTCStartFrame));
    TimeLayout->addWidget(
        CreateTimeRow(chkTCEnd, lblTCEnd, editTCStopHr, editTCStopMin, editTCStopSec, editTCStopFrame));
    chkTCStart->setObjectName("chkTCStart");
    chkTCEnd->setObjectName("chkTCEnd");
    editTCStartHr->setObjectName("editTCStartHr");
    editTCStartMin->setObjectName("editTCStartMin");
    editTCStartSec->setObjectName("editTCStartSec");
    editTCStartFrame->setObjectName("editTCStartFrame");
    editTCStopHr->setObjectName("editTCStopHr");
    editTCStopMin->setObjectName("editTCStopMin");
    editTCStopSec->setObjectName("editTCStopSec");
    editTCStopFrame->setObjectName("editTCStopFrame");
    // The step from the start seconds to the stop hours is taken only when the stop is switched on.
    new TTwoDigitEditChain(
        {editTCStartHr, editTCStartMin, editTCStartSec, editTCStopHr, editTCStopMin, editTCStopSec}, 3, this);
    const auto FocusHours = [](QLineEdit* edit) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->deselect();
        edit->setCursorPosition(0);
    };
    connect(chkTCStart, &QCheckBox::clicked, this, [this, FocusHours] {
        EnableTimes();
        if (chkTCStart->isChecked())
            FocusHours(editTCStartHr);
    });
    connect(chkTCEnd, &QCheckBox::clicked, this, [this, FocusHours] {
        EnableTimes();
        if (chkTCEnd->isChecked())
            FocusHours(editTCStopHr);
    });

    grpPeakLevel = CreateLevelGroup("grpPeakLevel", chkPeakOver, editPeakOver, lblPeakA, chkPeakUnder,
                                    editPeakUnder, lblPeakB);
    grpLoudHi = CreateLevelGroup("grpLoudHi", chkLoudHiOver, editLoudHiOver, lblLoudHiA, chkLoudHiUnder,
                                 editLoudHiUnder, lblLoudHiB);
    grpLoudLo = CreateLevelGroup("grpLoudLo", chkLoudLoOver, editLoudLoOver, lblLoudLoA, chkLoudLoUnder,
                                 editLoudLoUnder, lblLoudLoB);
    grpInt = CreateLevelGroup("grpInt", chkIntOver, editIntOver, lblIntA, chkIntUnder, editIntUnder, lblIntB);
    lblPeakA->setText(kPeakUnit);
    lblPeakB->setText(kPeakUnit);
    // The order in which OK checks the limits.
    aLimits = {
        {chkPeakOver, editPeakOver, &TFilterOptions::bEnablePeakOver, &TFilterOptions::sPeakOver,
         kTxtInvalidPeakLevel},
        {chkPeakUnder, editPeakUnder, &TFilterOptions::bEnablePeakUnder, &TFilterOptions::sPeakUnder,
         kTxtInvalidPeakLevel},
        {chkLoudHiOver, editLoudHiOver, &TFilterOptions::bEnableHiOver, &TFilterOptions::sHiOver,
         kTxtInvalidLoudnessHighLevel},
        {chkLoudHiUnder, editLoudHiUnder, &TFilterOptions::bEnableHiUnder, &TFilterOptions::sHiUnder,
         kTxtInvalidLoudnessHighLevel},
        {chkLoudLoOver, editLoudLoOver, &TFilterOptions::bEnableLoOver, &TFilterOptions::sLoOver,
         kTxtInvalidLoudnessLowLevel},
        {chkLoudLoUnder, editLoudLoUnder, &TFilterOptions::bEnableLoUnder, &TFilterOptions::sLoUnder,
         kTxtInvalidLoudnessLowLevel},
        {chkIntOver, editIntOver, &TFilterOptions::bEnableIntOver, &TFilterOptions::sIntOver,
         kTxtInvalidIntegratingLevel},
        {chkIntUnder, editIntUnder, &TFilterOptions::bEnableIntUnder, &TFilterOptions::sIntUnder,
         kTxtInvalidIntegratingLevel},
    };
    for (const TLevelLimit& l : aLimits) {
        connect(l.chk, &QCheckBox::toggled, l.edit, &QLineEdit::setEnabled);
        connect(l.chk, &QCheckBox::clicked, this, [l](bool bChecked) {
            if (!bChecked)
                return;
            l.edit->setFocus(Qt::OtherFocusReason);
            l.edit->selectAll();
        });
    }

    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    btnReset = new QPushButton(this);
    btnReset->setObjectName("btnReset");
    btnReset->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, &TfrmFilter::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFilter::btnCancelClick);
    connect(btnReset, &QPushButton::clicked, this, &TfrmFilter::btnResetClick);

    auto* Levels = new QGridLayout;
    Levels->addWidget(grpPeakLevel, 0, 0);
    Levels->addWidget(grpLoudHi, 0, 1);
    Levels->addWidget(grpInt, 1, 0);
    Levels->addWidget(grpLoudLo, 1, 1);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(btnReset);
    Buttons->addStretch();
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpTC);
    Layout->addLayout(Levels);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TfrmFilter::CreateTimeRow(QCheckBox*& chk, QLabel*& lbl, QLineEdit*& editHr, QLineEdit*& editMin,
                                   QLineEdit*& editSec, QLineEdit*& editFrame) {
    auto* Row = new QWidget(grpTC);
    chk = new QCheckBox(Row);
    chk->setMinimumWidth(80);
    editHr = NewTwoDigitEdit(Row, "");
    editMin = NewTwoDigitEdit(Row, "");
    editSec = NewTwoDigitEdit(Row, "");
    editFrame = NewTwoDigitEdit(Row, "");
    // Frames are not filtered.
    editFrame->setText(QStringLiteral("00"));
    editFrame->setEnabled(false);
    editFrame->setFocusPolicy(Qt::NoFocus);
    // The label holds the fields and their ":" separators, so enabling it enables them all.
    lbl = new QLabel(Row);
    auto* Layout = new QHBoxLayout(Row);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->addWidget(chk);
    auto* Fields = new QHBoxLayout(lbl);
    Fields->setContentsMargins(0, 0, 0, 0);
    Fields->setSizeConstraint(QLayout::SetMinimumSize);
    const auto Colon = [lbl] { return new QLabel(QStringLiteral(":"), lbl); };
    Fields->addWidget(editHr);
    Fields->addWidget(Colon());
    Fields->addWidget(editMin);
    Fields->addWidget(Colon());
    Fields->addWidget(editSec);
    Fields->addWidget(Colon());
    Fields->addWidget(editFrame);
    Layout->addWidget(lbl);
    Layout->addStretch();
    return Row;
}

QGroupBox* TfrmFilter::CreateLevelGroup(const char* sName, QCheckBox*& chkOver, QLineEdit*& editOver,
                                        QLabel*& lblA, QCheckBox*& chkUnder, QLineEdit*& editUnder,
                                        QLabel*& lblB) {
    auto* grp = new QGroupBox(this);
    grp->setObjectName(sName);
    const QString sGroup = QString::fromLatin1(sName).mid(3);
    chkOver = new QCheckBox(grp);
    chkOver->setObjectName("chk" + sGroup + "Over");
    chkUnder = new QCheckBox(grp);
    chkUnder->setObjectName("chk" + sGroup + "Under");
    editOver = NewLevelEdit(grp, "");
    editOver->setObjectName("edit" + sGroup + "Over");
    editUnder = NewLevelEdit(grp, "");
    editUnder->setObjectName("edit" + sGroup + "Under");
    lblA = new QLabel(grp);
    lblB = new QLabel(grp);
    auto* Layout = new QGridLayout(grp);
    Layout->addWidget(chkOver, 0, 0);
    Layout->addWidget(editOver, 0, 1);
    Layout->addWidget(lblA, 0, 2);
    Layout->addWidget(chkUnder, 1, 0);
    Layout->addWidget(editUnder, 1, 1);
    Layout->addWidget(lblB, 1, 2);
    return grp;
}

int TfrmFilter::Language() const {
    return FServices ? FServices->Language() : kLanguageEnglish;
}

TFilterOptions* TfrmFilter::Options() const {
    return FServices ? &FServices->Settings().rFilterOptions : nullptr;
}

void TfrmFilter::SetLoudnessUnit(const QString& sUnit) {
    EnsureControls();
    for (QLabel* lbl : {lblLoudHiA, lblLoudHiB, lblLoudLoA, lblLoudLoB, lblIntA, lblIntB})
        lbl->setText(sUnit);
}

bool TfrmFilter::Execute() {
    FTag = 0;
    exec();
    return FTag == kTagOK;
}

void TfrmFilter::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmFilter::hideEvent(QHideEvent* event) {
    SaveState();
    QDialog::hideEvent(event);
}

void TfrmFilter::FormShow() {
    const int iLNG = Language();
    setWindowTitle(GetText(kTxtFilterDataCaption, iLNG));
    grpTC->setTitle(GetText(kTxtTimecodeInterval, iLNG));
    chkTCStart->setText(GetText(kTxtStart, iLNG));
    chkTCEnd->setText(GetText(kTxtEnd, iLNG));
    grpPeakLevel->setTitle(GetText(kTxtPeakLevelLabel, iLNG));
    grpLoudHi->setTitle(GetText(kTxtLoudnessHigh, iLNG));
    grpLoudLo->setTitle(GetText(kTxtLoudnessLow, iLNG));
    grpInt->setTitle(GetText(kTxtIntegratingLabel, iLNG));
    for (const TLevelLimit& l : aLimits) {
        const bool bOver = l.chk->objectName().endsWith(QLatin1String("Over"));
        l.chk->setText(GetText(bOver ? kTxtAbove : kTxtBelow, iLNG));
    }
    btnOK->setText(GetText(kTxtOK, iLNG));
    btnCancel->setText(GetText(kTxtCancel, iLNG));
    btnReset->setText(GetText(kTxtReset, iLNG));

    if (TFilterOptions* pOptions = Options()) {
        chkTCStart->setChecked(pOptions->bEnableTCStart);
        chkTCEnd->setChecked(pOptions->bEnableTCEnd);
        const TTimecodeFields rStart = SplitTimecode(pOptions->sTCStart);
        editTCStartHr->setText(rStart.sHours);
        editTCStartMin->setText(rStart.sMinutes);
        editTCStartSec->setText(rStart.sSeconds);
        const TTimecodeFields rEnd = SplitTimecode(pOptions->sTCEnd);
        editTCStopHr->setText(rEnd.sHours);
        editTCStopMin->setText(rEnd.sMinutes);
        editTCStopSec->setText(rEnd.sSeconds);
        for (const TLevelLimit& l : aLimits) {
            l.chk->setChecked(pOptions->*l.pEnabled);
            l.edit->setText(pOptions->*l.pText);
        }
    }
    EnableTimes();
    for (const TLevelLimit& l : aLimits)
        l.edit->setEnabled(l.chk->isChecked());
}

// The switches and level texts are kept at every closing, so the dialog reopens as it was left; the
// timecodes only change with OK.
void TfrmFilter::SaveState() {
    TFilterOptions* pOptions = Options();
    if (pOptions == nullptr)
        return;
    pOptions->bEnableTCStart = chkTCStart->isChecked();
    pOptions->bEnableTCEnd = chkTCEnd->isChecked();
    for (const TLevelLimit& l : aLimits) {
        pOptions->*l.pEnabled = l.chk->isChecked();
        pOptions->*l.pText = l.edit->text();
    }
}

void TfrmFilter::EnableTimes() {
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblTCStart, editTCStartHr, editTCStartMin, editTCStartSec})
        w->setEnabled(chkTCStart->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{lblTCEnd, editTCStopHr, editTCStopMin, editTCStopSec})
        w->setEnabled(chkTCEnd->isChecked());
    // The frame edits stay disabled inside the enabled labels.
    editTCStartFrame->setEnabled(false);
    editTCStopFrame->setEnabled(false);
}

int TfrmFilter::ShowMessage(int iEntry) const {
    const int iLNG = Language();
    return FServices ? FServices->ShowMessageBox(GetText(iEntry, iLNG), kMsgError, kMsgBtnOK) : kMsgResultOK;
}

void TfrmFilter::btnOKClick() {
    for (const TLevelLimit& l : aLimits) {
        if (!l.chk->isChecked())
            continue;
        const std::optional<QString> sLevel = NormaliseLevelText(l.edit->text());
        if (!sLevel) {
            ShowMessage(l.iInvalidMessage);
            l.edit->setFocus(Qt::OtherFocusReason);
            l.edit->selectAll();
            return;
        }
        l.edit->setText(*sLevel);
    }
    // The time edits are taken as they stand.
    const auto Join = [](const QLineEdit* h, const QLineEdit* m, const QLineEdit* s) {
        return h->text() + ":" + m->text() + ":" + s->text() + ":00";
    };
    if (TFilterOptions* pOptions = Options()) {
        pOptions->sTCStart = Join(editTCStartHr, editTCStartMin, editTCStartSec);
        pOptions->sTCEnd = Join(editTCStopHr, editTCStopMin, editTCStopSec);
    }
    FTag = kTagOK;
    accept();
}

void TfrmFilter::btnCancelClick() {
    FTag = 0;
    reject();
}

void TfrmFilter::btnResetClick() {
    chkTCStart->setChecked(false);
    chkTCEnd->setChecked(false);
    for (QLineEdit* edit : {editTCStartHr, editTCStartMin, editTCStartSec, editTCStartFrame, editTCStopHr,
                            editTCStopMin, editTCStopSec, editTCStopFrame})
        edit->setText(QStringLiteral("00"));
    EnableTimes();
    for (const TLevelLimit& l : aLimits) {
        l.chk->setChecked(false);
        const bool bOver = l.chk->objectName().endsWith(QLatin1String("Over"));
        l.edit->setText(bOver ? QStringLiteral("-80.0") : QStringLiteral("0.0"));
    }
}
