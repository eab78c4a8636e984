#include "meter/FormAddNetworkInstrument.h"

#include "core/MessageBoxLayout.h"
#include "meter/InstrumentDiscovery.h"
#include "meter/NetworkLink.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmAddNetworkInstrument::TfrmAddNetworkInstrument(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAddNetworkInstrument");
    setWindowTitle("Add network instrument...");
    setModal(true);

    grpSession = new QGroupBox("Session information.", this);
    editInstrumentName = new QLineEdit(grpSession);
    chkVovEzodevName = new QCheckBox("Use vovezodev name.", grpSession);
    editHostName = new QLineEdit(grpSession);
    editPort = new QLineEdit(QString::number(kDefaultNetworkPort), grpSession);
    editUserName = new QLineEdit(grpSession);
    editUserName->setMaxLength(kMaxCredentialChars);
    editPassword = new QLineEdit(grpSession);
    editPassword->setMaxLength(kMaxCredentialChars);
    editPassword->setEchoMode(QLineEdit::Password);

    auto* Form = new QFormLayout(grpSession);
    Form->addRow("Instrument Name.:", editInstrumentName);
    Form->addRow(QString(), chkVovEzodevName);
    Form->addRow("Host Name.:", editHostName);
    Form->addRow("Port.:", editPort);
    Form->addRow("User Name.:", editUserName);
    Form->addRow("Password .:", editPassword);

    btnTestConn = new QPushButton("Test connection", this);
    btnOK = new QPushButton("OK", this);
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel", this);
    auto* Buttons = new QHBoxLayout;
    Buttons->addWidget(btnTestConn);
    Buttons->addStretch(1);
    Buttons->addWidget(btnOK);
    Buttons->addWidget(btnCancel);

    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(grpSession);
    Layout->addLayout(Buttons);

    connect(chkVovEzodevName, &QCheckBox::toggled, this,
            [this](bool bChecked) { editInstrumentName->setEnabled(!bChecked); });
    connect(btnOK, &QPushButton::clicked, this, &TfrmAddNetworkInstrument::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmAddNetworkInstrument::btnCancelClick);
    connect(btnTestConn, &QPushButton::clicked, this, &TfrmAddNetworkInstrument::btnTestConnClick);
    editInstrumentName->setEnabled(!chkVovEzodevName->isChecked());
}

void TfrmAddNetworkInstrument::PrepareAdd(const QString& sNewInstrumentName) {
    chkVovEzodevName->setChecked(true);
    editInstrumentName->setEnabled(false);
    editInstrumentName->setText(sNewInstrumentName);
    iTestedSerialNo = 0;
}

void TfrmAddNetworkInstrument::PrepareEdit(const TNetworkInstrumentFields& rFields) {
    editInstrumentName->setText(rFields.sInstrumentName);
    editHostName->setText(rFields.sHostName);
    editUserName->setText(rFields.sUserName);
    editPassword->setText(rFields.sPassword);
    editPort->setText(QString::number(rFields.iPort));
    chkVovEzodevName->setChecked(rFields.bUseVovEzodevName);
    editInstrumentName->setEnabled(!rFields.bUseVovEzodevName);
    iTestedSerialNo = 0;
}

TNetworkInstrumentFields TfrmAddNetworkInstrument::Fields() const {
    TNetworkInstrumentFields rFields;
    rFields.sInstrumentName = editInstrumentName->text();
    rFields.sHostName = editHostName->text();
    rFields.sUserName = editUserName->text();
    rFields.sPassword = editPassword->text();
    rFields.bUseVovEzodevName = chkVovEzodevName->isChecked();
    if (!ParseNetworkPort(editPort->text(), rFields.iPort))
        rFields.iPort = 0;
    return rFields;
}

int TfrmAddNetworkInstrument::ShowMessage(const QString& sText, int iKind) {
    return Context.pServices ? Context.pServices->ShowMessageBox(sText, iKind, kMsgBtnOK) : kMsgResultOK;
}

bool TfrmAddNetworkInstrument::CheckPort() {
    int iPort = 0;
    if (ParseNetworkPort(editPort->text(), iPort))
        return true;
    ShowMessage(QString::fromLatin1(kPortWarning), kMsgWarning);
    return false;
}

void TfrmAddNetworkInstrument::btnOKClick() {
    if (bBusy || !CheckPort())
        return;
    accept();
}

void TfrmAddNetworkInstrument::btnCancelClick() {
    if (!bBusy)
        reject();
}

void TfrmAddNetworkInstrument::btnTestConnClick() {
    if (bBusy || !CheckPort())
        return;
    // The test works on a copy of the active instrument with the dialog's connection: testing a
    // connection must not turn the instrument chosen for logging into a half-edited one.
    TInstrumentInfo rTested =
        Context.pServices ? Context.pServices->Settings().rActiveNetworkCFG : TInstrumentInfo{};
    const TNetworkInstrumentFields rFields = Fields();
    rTested.sHostName = rFields.sHostName;
    rTested.iPort = rFields.iPort;
    rTested.sUserName = rFields.sUserName;
    rTested.sPassword = rFields.sPassword;
    rTested.bComPort = false;
    rTested.bValid = false;
    int iResult = kLoginNoResponse;
    QString sError;
    const auto fnLogin = Context.TelnetLogin;
    const TTimingSettings rTiming = Context.rTiming;
    bBusy = true;
    setEnabled(false);
    if (Context.pServices)
        Context.pServices->ShowWait(QStringLiteral("Please wait..."), false);
    RunOffUIThread(
        [&] { iResult = fnLogin ? fnLogin(rTested, sError) : TestNetworkLogin(rTested, rTiming, sError); });
    if (Context.pServices)
        Context.pServices->CloseWaitWindow();
    setEnabled(true);
    bBusy = false;
    switch (iResult) {
    case kLoginOK:
        iTestedSerialNo = rTested.iSerialNo;
        if (chkVovEzodevName->isChecked())
            editInstrumentName->setText(rTested.sInstrumentName);
        ShowMessage(QStringLiteral("Test succeded!\r\rDetected a instrument with serial number: ") +
                        QString::number(rTested.iSerialNo),
                    kMsgInformation);
        break;
    case kLoginRefused:
        ShowMessage(
            QStringLiteral(
                "Incorrect instrument username or password.\r\rPlease check the connection settings."),
            kMsgError);
        break;
    case kLoginError:
        ShowMessage(sError, kMsgWarning);
        break;
    default:
        ShowMessage(QStringLiteral("The instrument is not responding to login requests.\r\rPlease check the "
                                   "connection settings."),
                    kMsgError);
        break;
    }
}

void TfrmAddNetworkInstrument::done(int iResult) {
    // A test in progress ends first; the dialog cannot go away under it.
    if (bBusy)
        return;
    if (Context.pServices)
        Context.pServices->CloseWaitWindow();
    QDialog::done(iResult);
}
