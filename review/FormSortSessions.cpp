#include "review/FormSortSessions.h"

#include "core/AppServices.h"
#include "core/Drawing.h"
#include "core/MessageBoxLayout.h"
#include "core/TextTable.h"
#include "review/TwoDigitEdits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>

namespace {

// Place of the stop hours in the chain of time edits: the step to them from the start seconds (and back)
// is taken only when the edit stepped to is enabled.
constexpr int kFirstStopEdit = 3;
const char* const kEndOfDayHours = "23";
const char* const kEndOfDayMinutes = "59";
const char* const kEndOfDaySeconds = "59";
const char* const kMidnightField = "00";
const char* const kTimeFormat = "hh:mm:ss";

// The verdict choices in their order; the first lists any mark.
constexpr int kAnyVerdictItem = 0;
const std::pair<TVerdictMark, int> kVerdictItems[] = {{TVerdictMark::Pass, kTxtVerdictPass},
                                                      {TVerdictMark::Fail, kTxtVerdictFail},
                                                      {TVerdictMark::NotVerifiable, kTxtVerdictNotVerifiable},
                                                      {TVerdictMark::NotComputed, kTxtVerdictNotComputed}};

QLabel* Separator(QWidget* parent) {
    return new QLabel(QStringLiteral(":"), parent);
}

} // namespace

TfrmFilterSessions::TfrmFilterSessions(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmFilterSessions");
    setWindowTitle(GetText(kTxtFilterSessionsCaption, kLanguageEnglish));
    setModal(true);
}

void TfrmFilterSessions::CreateControls() {
    grpSessionInfo = new QGroupBox(this);
    auto* Form = new QFormLayout(grpSessionInfo);
    Form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const auto AddRow = [&](QLabel*& lbl, QLineEdit*& edit, const char* sName) {
        lbl = new QLabel(grpSessionInfo);
        edit = new QLineEdit(grpSessionInfo);
        edit->setObjectName(QLatin1String(sName));
        edit->setMinimumWidth(260);
        lbl->setBuddy(edit);
        Form->addRow(lbl, edit);
    };
    AddRow(lblShowTitle, editShowTitle, "editShowTitle");
    AddRow(lblShowNumber, editShowNumber, "editShowNumber");
    AddRow(lblOperatorName, editOperatorName, "editOperatorName");
    AddRow(lblFormat, editFormat, "editFormat");
    AddRow(lblNotes, editNotes, "editNotes");
    lblVerdict = new QLabel(grpSessionInfo);
    cmbVerdict = new QComboBox(grpSessionInfo);
    cmbVerdict->setObjectName(QStringLiteral("cmbVerdict"));
    cmbVerdict->addItem(QString());
    for (const auto& [eMark, iEntry] : kVerdictItems)
        cmbVerdict->addItem(QString(), int(eMark));
    lblVerdict->setBuddy(cmbVerdict);
    Form->addRow(lblVerdict, cmbVerdict);

    grpDateStart = CreateDateGroup(chkDateStart, dtStart, chkTimeStart, lblTCStart, editTCStartHr,
                                   editTCStartMin, editTCStartSec, true);
    grpDateEnd = CreateDateGroup(chkDateEnd, dtEnd, chkTimeEnd, lblTCEnd, editTCStopHr, editTCStopMin,
                                 editTCStopSec, false);
    const QDateTime dtNow = QDateTime::currentDateTime();
    dtStart->setDateTime(dtNow);
    dtEnd->setDateTime(dtNow.addDays(1));
    new TTwoDigitEditChain(
        {editTCStartHr, editTCStartMin, editTCStartSec, editTCStopHr, editTCStopMin, editTCStopSec},
        kFirstStopEdit, this);

    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    btnReset = new QPushButton(this);
    btnReset->setObjectName("btnReset");
    btnReset->setAutoDefault(false);

    auto* Dates = new QHBoxLayout;
    Dates->addWidget(grpDateStart);
    Dates->addWidget(grpDateEnd);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(btnReset);
    Buttons->addStretch();
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpSessionInfo);
    Layout->addLayout(Dates);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(chkDateStart, &QCheckBox::clicked, this, &TfrmFilterSessions::chkDateStartClick);
    connect(chkDateEnd, &QCheckBox::clicked, this, &TfrmFilterSessions::chkDateEndClick);
    connect(chkTimeStart, &QCheckBox::clicked, this, &TfrmFilterSessions::chkTimeStartClick);
    connect(chkTimeEnd, &QCheckBox::clicked, this, &TfrmFilterSessions::chkTimeEndClick);
    connect(dtStart, &QDateTimeEdit::dateTimeChanged, this, &TfrmFilterSessions::dtStartChange);
    connect(dtEnd, &QDateTimeEdit::dateTimeChanged, this, &TfrmFilterSessions::EndDateRule);
    connect(dtStart, &QDateTimeEdit::editingFinished, this, &TfrmFilterSessions::EndDateRule);
    connect(dtEnd, &QDateTimeEdit::editingFinished, this, &TfrmFilterSessions::EndDateRule);
    connect(btnOK, &QPushButton::clicked, this, &TfrmFilterSessions::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmFilterSessions::btnCancelClick);
    connect(btnReset, &QPushButton::clicked, this, &TfrmFilterSessions::btnResetClick);
    // Esc and the close button are Cancel.
    connect(this, &QDialog::rejected, this, [this] { FTag = kTagCancelled; });
}

QGroupBox* TfrmFilterSessions::CreateDateGroup(QCheckBox*& chkDate, QDateTimeEdit*& dtDate,
                                               QCheckBox*& chkTime, QLabel*& lblTC, QLineEdit*& editHr,
                                               QLineEdit*& editMin, QLineEdit*& editSec, bool bStart) {
    auto* Group = new QGroupBox(this);
    Group->setObjectName(bStart ? "grpDateStart" : "grpDateEnd");
    chkDate = new QCheckBox(Group);
    chkDate->setObjectName(bStart ? "chkDateStart" : "chkDateEnd");
    dtDate = new QDateTimeEdit(Group);
    dtDate->setObjectName(bStart ? "dtStart" : "dtEnd");
    dtDate->setCalendarPopup(true);
    dtDate->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    dtDate->setEnabled(false);
    chkTime = new QCheckBox(Group);
    chkTime->setObjectName(bStart ? "chkTimeStart" : "chkTimeEnd");
    chkTime->setEnabled(false);
    editHr = NewTwoDigitEdit(Group, bStart ? "editTCStartHr" : "editTCStopHr");
    editMin = NewTwoDigitEdit(Group, bStart ? "editTCStartMin" : "editTCStopMin");
    editSec = NewTwoDigitEdit(Group, bStart ? "editTCStartSec" : "editTCStopSec");
    lblTC = new QLabel(Group);
    lblTC->setObjectName(bStart ? "lblTCStart" : "lblTCEnd");
    auto* TimeRow = new QHBoxLayout(lblTC);
    TimeRow->setContentsMargins(0, 0, 0, 0);
    TimeRow->addWidget(editHr);
    TimeRow->addWidget(Separator(lblTC));
    TimeRow->addWidget(editMin);
    TimeRow->addWidget(Separator(lblTC));
    TimeRow->addWidget(editSec);
    TimeRow->addStretch();
    // A label does not take its size from a layout: it is given the room its edits need.
    lblTC->setMinimumSize(TimeRow->sizeHint());
    for (QWidget* w : std::initializer_list<QWidget*>{lblTC, editHr, editMin, editSec})
        w->setEnabled(false);

    auto* Layout = new QVBoxLayout(Group);
    auto* DateRow = new QHBoxLayout;
    DateRow->addWidget(chkDate);
    DateRow->addWidget(dtDate, 1);
    auto* TimeLine = new QHBoxLayout;
    TimeLine->addWidget(chkTime);
    TimeLine->addWidget(lblTC, 1);
    Layout->addLayout(DateRow);
    Layout->addLayout(TimeLine);
    return Group;
}

int TfrmFilterSessions::Language() const {
    return FServices ? FServices->Language() : kLanguageEnglish;
}

void TfrmFilterSessions::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmFilterSessions::FormShow() {
    const auto T = [this](int iEntry) { return GetText(iEntry, Language()); };
    setWindowTitle(T(kTxtFilterSessionsCaption));
    grpSessionInfo->setTitle(T(kTxtSessionInformationGroup));
    lblShowTitle->setText(T(kTxtShowTitleLabel));
    lblShowNumber->setText(T(kTxtShowNumberLabel));
    lblOperatorName->setText(T(kTxtOperatorNameLabel));
    lblFormat->setText(T(kTxtFormatLabel));
    lblNotes->setText(T(kTxtNotesLabel));
    lblVerdict->setText(T(kTxtVerdictLabel));
    cmbVerdict->setItemText(kAnyVerdictItem, T(kTxtAnyVerdict));
    for (int i = 0; i < int(std::size(kVerdictItems)); ++i)
        cmbVerdict->setItemText(i + 1, T(kVerdictItems[i].second));
    grpDateStart->setTitle(T(kTxtStartDate));
    grpDateEnd->setTitle(T(kTxtEndDate));
    chkDateStart->setText(T(kTxtDate));
    chkDateEnd->setText(T(kTxtDate));
    chkTimeStart->setText(T(kTxtTime));
    chkTimeEnd->setText(T(kTxtTime));
    btnOK->setText(T(kTxtOK));
    btnCancel->setText(T(kTxtCancel));
    btnReset->setText(T(kTxtReset));
    if (parentWidget() != nullptr) {
        adjustSize();
        move(CentreOver(parentWidget()->window()->frameGeometry(), size()));
    }
}

bool TfrmFilterSessions::Execute() {
    FTag = kTagCancelled;
    exec();
    return FTag == kTagOK;
}

TSessionFilterInput TfrmFilterSessions::FilterInput() const {
    TSessionFilterInput r;
    if (!ControlsBuilt())
        return r;
    r.sShowTitle = editShowTitle->text();
    r.sShowNumber = editShowNumber->text();
    r.sOperatorName = editOperatorName->text();
    r.sFormat = editFormat->text();
    r.sNotes = editNotes->text();
    r.bDateStart = chkDateStart->isChecked();
    r.dtStart = dtStart->date();
    r.bTimeStart = chkTimeStart->isChecked();
    r.sTCStart = sTCStart;
    r.bDateEnd = chkDateEnd->isChecked();
    r.dtEnd = dtEnd->date();
    r.bTimeEnd = chkTimeEnd->isChecked();
    r.sTCEnd = sTCEnd;
    if (cmbVerdict->currentIndex() > kAnyVerdictItem)
        r.oVerdict = static_cast<TVerdictMark>(cmbVerdict->currentData().toInt());
    return r;
}

void TfrmFilterSessions::EnableStartTime(bool bOn) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblTCStart, editTCStartHr, editTCStartMin, editTCStartSec})
        w->setEnabled(bOn);
}

void TfrmFilterSessions::EnableStopTime(bool bOn) {
    for (QWidget* w : std::initializer_list<QWidget*>{lblTCEnd, editTCStopHr, editTCStopMin, editTCStopSec})
        w->setEnabled(bOn);
}

void TfrmFilterSessions::chkDateStartClick() {
    const bool bOn = chkDateStart->isChecked();
    dtStart->setEnabled(bOn);
    chkTimeStart->setEnabled(bOn);
    if (!bOn) {
        chkTimeStart->setChecked(false);
        chkTimeStartClick();
    }
    EndDateRule();
}

void TfrmFilterSessions::chkDateEndClick() {
    const bool bOn = chkDateEnd->isChecked();
    dtEnd->setEnabled(bOn);
    chkTimeEnd->setEnabled(bOn);
    if (!bOn) {
        chkTimeEnd->setChecked(false);
        chkTimeEndClick();
    }
    if (dtEnd->date() <= dtStart->date())
        EndDateRule();
    const bool bTime = chkTimeEnd->isChecked();
    lblTCEnd->setEnabled(bTime);
    editTCStopHr->setEnabled(bTime);
    editTCStopMin->setEnabled(bTime);
    editTCStopSec->setEnabled(bTime && bOn);
}

void TfrmFilterSessions::chkTimeStartClick() {
    const bool bOn = chkTimeStart->isChecked();
    EnableStartTime(bOn);
    if (bOn && isVisible()) {
        editTCStartHr->setFocus(Qt::OtherFocusReason);
        editTCStartHr->deselect();
        editTCStartHr->setCursorPosition(0);
    }
}

void TfrmFilterSessions::chkTimeEndClick() {
    const bool bOn = chkTimeEnd->isChecked();
    EnableStopTime(bOn);
    if (bOn && isVisible()) {
        editTCStopHr->setFocus(Qt::OtherFocusReason);
        editTCStopHr->deselect();
        editTCStopHr->setCursorPosition(0);
    }
}

void TfrmFilterSessions::dtStartChange() {
    if (dtStart->dateTime() >= dtEnd->dateTime())
        dtEnd->setDate(dtStart->date());
}

void TfrmFilterSessions::EndDateRule() {
    if (dtStart->dateTime() < dtEnd->dateTime() || !chkDateStart->isChecked())
        return;
    dtEnd->setDate(dtStart->date());
    chkTimeEnd->setChecked(chkDateEnd->isChecked());
    EnableStopTime(chkTimeEnd->isChecked());
    editTCStopHr->setText(QLatin1String(kEndOfDayHours));
    editTCStopMin->setText(QLatin1String(kEndOfDayMinutes));
    editTCStopSec->setText(QLatin1String(kEndOfDaySeconds));
}

QString TfrmFilterSessions::ValidTime(const QLineEdit* editHr, const QLineEdit* editMin,
                                      const QLineEdit* editSec) {
    const QString sJoined =
        editHr->text() + QLatin1Char(':') + editMin->text() + QLatin1Char(':') + editSec->text();
    // One digit is as good as two: "7:5:0" is 07:05:00.
    const QTime tm = QTime::fromString(sJoined, QStringLiteral("H:m:s"));
    return tm.isValid() ? tm.toString(QLatin1String(kTimeFormat)) : QString();
}

void TfrmFilterSessions::btnOKClick() {
    const QString sStart = ValidTime(editTCStartHr, editTCStartMin, editTCStartSec);
    const QString sEnd = ValidTime(editTCStopHr, editTCStopMin, editTCStopSec);
    for (const auto& [sTime, iEntry] :
         {std::pair{sStart, int(kTxtInvalidStartTime)}, std::pair{sEnd, int(kTxtInvalidEndTime)}}) {
        if (sTime.isEmpty()) {
            if (FServices != nullptr)
                FServices->ShowMessageBox(GetText(iEntry, Language()), kMsgError, kMsgBtnOK);
            return;
        }
    }
    sTCStart = sStart;
    sTCEnd = sEnd;
    FTag = kTagOK;
    accept();
}

void TfrmFilterSessions::btnCancelClick() {
    FTag = kTagCancelled;
    reject();
}

void TfrmFilterSessions::btnResetClick() {
    for (QLineEdit* edit : {editShowTitle, editShowNumber, editOperatorName, editFormat, editNotes})
        edit->clear();
    cmbVerdict->setCurrentIndex(kAnyVerdictItem);
    for (QCheckBox* chk : {chkDateStart, chkDateEnd, chkTimeStart, chkTimeEnd})
        chk->setChecked(false);
    for (QLineEdit* edit :
         {editTCStartHr, editTCStartMin, editTCStartSec, editTCStopHr, editTCStopMin, editTCStopSec}) {
        edit->setEnabled(false);
        edit->setText(QLatin1String(kMidnightField));
    }
    lblTCStart->setEnabled(false);
    lblTCEnd->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{chkTimeStart, chkTimeEnd, dtStart, dtEnd})
        w->setEnabled(false);
    const QDate dtToday = QDate::currentDate();
    dtStart->setDate(dtToday);
    dtEnd->setDate(dtToday);
    FTag = kTagCancelled;
}
