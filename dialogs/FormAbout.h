#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
struct TUDPInstrumentInfo;

// The about box: product, version and build, the maker and the meter identified last. Its texts are
// English whatever the interface language.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 530;
    static constexpr int kHeight = 335;
    // The maker's web address, and the colour of the link once it has been followed.
    static constexpr const char* kWebAddress = "https://kelmoria.example/qx-logging";
    static constexpr QRgb kVisitedLinkColor = 0x800080;

    explicit TfrmAbout(QWidget* parent = nullptr);

    // The main window's identification of the meter identified last; read each time the box is shown.
    void SetContext(const TUDPInstrumentInfo* pInstrumentInfo);

    QLabel* imgBanner = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblAbout = nullptr;
    QLabel* lblSWVer = nullptr;
    QLabel* lblBuild = nullptr;
    QLabel* lblQXR = nullptr;
    QLabel* lblAdr1 = nullptr;
    QLabel* lblAdr2 = nullptr;
    QLabel* lblPhone = nullptr;
    // Instrument lines: type and serial number on the left; package, processor and FPGA on the right.
    QLabel* aInstrumentLeft[2] = {};
    QLabel* aInstrumentRight[3] = {};
    QLabel* lblLink = nullptr;
    QPushButton* btnOK = nullptr;

    // The pictures the banner and the logo take each time the box is shown.
    QPixmap imgQXRBanner;
    QPixmap imgQXRLogo;

    void lblLinkClick();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void SetLinkColor(QRgb clLink);

    const TUDPInstrumentInfo* FInstrumentInfo = nullptr;
};
