#include "dialogs/FormSessionInfo.h"

#include "core/AppServices.h"
#include "core/MessageBoxLayout.h"
#include "core/Settings.h"
#include "core/TextTable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSessionInfo::TfrmSessionInfo(QWidget* parent) : TDeferredDialog(parent) {
    setObjectName("frmSessionInfo");
    setWindowTitle(GetText(kTxtStartNewSession, kLanguageEnglish));
    setModal(true);
}

void TfrmSessionInfo::CreateControls() {
    grpSessionInfo = new QGroupBox(QStringLiteral("Session information."), this);
    auto* Form = new QFormLayout(grpSessionInfo);
    Form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const auto AddRow = [&](QLabel*& lbl, QLineEdit*& edit, const char* sName) {
        lbl = new QLabel(grpSessionInfo);
        edit = new QLineEdit(grpSessionInfo);
        edit->setObjectName(sName);
        edit->setMinimumWidth(260);
        lbl->setBuddy(edit);
        Form->addRow(lbl, edit);
    };
    AddRow(lblShowTitle, editShowTitle, "editShowTitle");
    AddRow(lblShowNumber, editShowNumber, "editShowNumber");
    AddRow(lblOperatorName, editOperatorName, "editOperatorName");
    AddRow(lblFormat, editFormat, "editFormat");
    AddRow(lblNotes, editNotes, "editNotes");
    lblTarget = new QLabel(grpSessionInfo);
    cboTarget = new QComboBox(grpSessionInfo);
    cboTarget->setObjectName("cboTarget");
    cboTarget->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblTarget->setBuddy(cboTarget);
    Form->addRow(lblTarget, cboTarget);

    btnOK = new QPushButton(this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName("btnCancel");
    connect(btnOK, &QPushButton::clicked, this, &TfrmSessionInfo::btnOKClick);
    // Cancel, Esc and the close button leave Tag as it came in.
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch();
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpSessionInfo);
    Layout->addLayout(Buttons);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmSessionInfo::SetContext(IAppServices& rServices, TSessionInfo* prSelectedSessionInfo) {
    FServices = &rServices;
    FSelectedSession = prSelectedSessionInfo;
}

int TfrmSessionInfo::Language() const {
    return FServices ? FServices->Language() : kLanguageEnglish;
}

void TfrmSessionInfo::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmSessionInfo::FormShow() {
    const int iLNG = Language();
    if (FTag < kTagEditSession) {
        setWindowTitle(GetText(kTxtStartNewSession, iLNG));
        ShowTargets(std::nullopt, rNewSessionTarget, iLNG);
    } else {
        setWindowTitle(GetText(kTxtEditSessionInfoCaption, iLNG));
        if (FSelectedSession != nullptr)
            SetEditTexts(SessionTextsOf(*FSelectedSession));
        ShowTargets(rEditedTarget, rEditedTarget, iLNG);
    }
    lblTarget->setText(GetText(kTxtTargetLabel, iLNG));
    lblShowTitle->setText(GetText(kTxtShowTitleLabel, iLNG));
    lblShowNumber->setText(GetText(kTxtShowNumberLabel, iLNG));
    lblOperatorName->setText(GetText(kTxtOperatorNameLabel, iLNG));
    lblFormat->setText(GetText(kTxtFormatLabel, iLNG));
    lblNotes->setText(GetText(kTxtNotesLabel, iLNG));
    btnOK->setText(GetText(kTxtOK, iLNG));
    btnCancel->setText(GetText(kTxtCancel, iLNG));
    if (parentWidget() != nullptr) {
        adjustSize();
        const QRect rOwner = parentWidget()->window()->frameGeometry();
        move(rOwner.center() - QPoint(width() / 2, height() / 2));
    }
    editShowTitle->setFocus();
}

void TfrmSessionInfo::ShowTargets(const std::optional<TLoudnessStandard>& rOwnTarget,
                                  const std::optional<TLoudnessStandard>& rShown, int iLNG) {
    // Without the program's services the figures are those of the defaults.
    const TComplianceOptions rOptions =
        FServices ? FServices->Settings().rComplianceOptions : TComplianceOptions();
    aTargetChoices = SessionTargetChoices(rOptions, rOwnTarget, iLNG, QLocale().decimalPoint());
    cboTarget->clear();
    for (const TTargetChoice& r : aTargetChoices)
        cboTarget->addItem(r.sCaption);
    cboTarget->setCurrentIndex(TargetChoiceIndex(aTargetChoices, rShown));
}

std::optional<TLoudnessStandard> TfrmSessionInfo::ChosenTarget() const {
    const int iChoice = cboTarget->currentIndex();
    if (iChoice < 0 || size_t(iChoice) >= aTargetChoices.size())
        return std::nullopt;
    return aTargetChoices[size_t(iChoice)].rTarget;
}

TSessionTexts TfrmSessionInfo::EditTexts() const {
    if (!ControlsBuilt())
        return {};
    return {editShowTitle->text(), editShowNumber->text(), editOperatorName->text(), editFormat->text(),
            editNotes->text()};
}

void TfrmSessionInfo::SetEditTexts(const TSessionTexts& rTexts) {
    EnsureControls();
    editShowTitle->setText(rTexts.sShowTitle);
    editShowNumber->setText(rTexts.sShowNumber);
    editOperatorName->setText(rTexts.sOperatorName);
    editFormat->setText(rTexts.sFormat);
    editNotes->setText(rTexts.sNotes);
}

bool TfrmSessionInfo::CorrectEdits(bool (*fnCorrect)(TSessionTexts&), const QString& sMessage, int iKind) {
    TSessionTexts rTexts = EditTexts();
    if (fnCorrect(rTexts))
        return true;
    SetEditTexts(rTexts);
    if (FServices != nullptr)
        FServices->ShowMessageBox(sMessage, iKind, kMsgBtnOK);
    return false;
}

bool TfrmSessionInfo::VerifyEdits() {
    return CorrectEdits(VerifySessionTexts, ForbiddenCharsMessage(Language()), kMsgError);
}

bool TfrmSessionInfo::LimitEdits() {
    return CorrectEdits(LimitSessionTexts, TextsShortenedMessage(Language()), kMsgWarning);
}

void TfrmSessionInfo::btnOKClick() {
    // Texts beyond their limits are cut and shown: the user confirms what will be stored.
    if (!LimitEdits())
        return;
    if (FTag < kTagEditSession) {
        rNewSessionTarget = ChosenTarget();
        FTag = kTagNewSessionOK;
    } else {
        VerifyEdits();
        if (FSelectedSession != nullptr)
            SetSessionTexts(*FSelectedSession, EditTexts());
        rEditedTarget = ChosenTarget();
        FTag = kTagEditSessionOK;
    }
    accept();
}

bool TfrmSessionInfo::ExecuteNewSession() {
    FTag = kTagNewSession;
    exec();
    return FTag == kTagNewSessionOK;
}

void TfrmSessionInfo::TakeSessionTexts(TSessionInfo& rSessionInfo) {
    VerifyEdits();
    LimitEdits();
    SetSessionTexts(rSessionInfo, EditTexts());
}

bool TfrmSessionInfo::ExecuteEditSession(std::optional<TLoudnessStandard>& rTarget) {
    FTag = kTagEditSession;
    rEditedTarget = rTarget;
    exec();
    const bool bChanged = FTag == kTagEditSessionOK;
    if (bChanged)
        rTarget = rEditedTarget;
    FTag = kTagNewSession;
    return bChanged;
}
