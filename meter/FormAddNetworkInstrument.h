#pragma once

#include "meter/InstrumentList.h"
#include "meter/InstrumentManagerContext.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

// The network instrument dialog: name, host, port and login of one network instrument, with a test of the
// connection. Created once at start and shown modally by the instrument manager; its result is OK only
// when it was closed with OK. Its texts are English in both languages.
class TfrmAddNetworkInstrument : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddNetworkInstrument(QWidget* parent = nullptr);

    void SetContext(const TInstrumentManagerContext& rContext) { Context = rContext; }

    // Ready for a new instrument: the name taken from the meter, the name field "New instrument", the other
    // fields as the last use left them.
    void PrepareAdd(const QString& sNewInstrumentName);
    // Filled from an existing entry.
    void PrepareEdit(const TNetworkInstrumentFields& rFields);
    // The fields as typed; the port is 0 when its text is not a valid port.
    TNetworkInstrumentFields Fields() const;
    // The serial number the last successful connection test found since the dialog was prepared; 0 when
    // none did.
    int TestedSerialNo() const { return iTestedSerialNo; }

    void btnOKClick();
    void btnCancelClick();
    void btnTestConnClick();

    QGroupBox* grpSession = nullptr;
    QLineEdit* editInstrumentName = nullptr;
    QCheckBox* chkVovEzodevName = nullptr;
    QLineEdit* editHostName = nullptr;
    QLineEdit* editPort = nullptr;
    QLineEdit* editUserName = nullptr;
    QLineEdit* editPassword = nullptr;
    QPushButton* btnTestConn = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    static constexpr const char* kPortWarning = "Please enter a valid port number between 1 and 65535.";

public Q_SLOTS:
    void done(int iResult) override;

private:
    // The port check of OK and the test: warns and returns false when the port text is not valid.
    bool CheckPort();
    int ShowMessage(const QString& sText, int iKind);

    TInstrumentManagerContext Context;
    int iTestedSerialNo = 0;
    bool bBusy = false;
};
