#include "dialogs/FormAbout.h"

#include "core/FileVersion.h"
#include "core/MainRecords.h"
#include "dialogs/AboutTexts.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

const char* const kBannerResource = ":/about/Banner.png";
const char* const kLogoResource = ":/about/Logo.png";
constexpr QRgb kLinkColor = 0x0000FF;

// The maker's lines beside the product lines.
const char* const kMakerName = "Kelmoria";
const char* const kMakerAddress1 = "Havnegade 12 & 14";
const char* const kMakerAddress2 = "DK-8000 Aarhus C, Denmark";
const char* const kMakerPhone = "Tel. +45 0000 0000, Fax +45 0000 0001";

QLabel* NewLabel(QWidget* parent, const char* sName, const QString& sText, const QRect& Geometry) {
    auto* lbl = new QLabel(sText, parent);
    lbl->setObjectName(sName);
    lbl->setGeometry(Geometry);
    lbl->setTextFormat(Qt::PlainText);
    return lbl;
}

QFrame* NewSeparator(QWidget* parent, int y) {
    auto* Line = new QFrame(parent);
    Line->setFrameShape(QFrame::HLine);
    Line->setFrameShadow(QFrame::Sunken);
    Line->setGeometry(10, y, TfrmAbout::kWidth - 20, 2);
    return Line;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("frmAbout");
    InitAboutResources();
    setWindowTitle(QStringLiteral("About..."));
    setFixedSize(kWidth, kHeight);
    setModal(true);
    // The box has its own white face with black texts, which the program's look leaves alone.
    QPalette Face = palette();
    Face.setColor(QPalette::Window, Qt::white);
    Face.setColor(QPalette::WindowText, Qt::black);
    setPalette(Face);
    setAutoFillBackground(true);

    imgBanner = NewLabel(this, "imgBanner", QString(), QRect(1, 1, 529, 98));
    imgLogo = NewLabel(this, "imgLogo", QString(), QRect(1, 1, 124, 98));

    lblAbout = NewLabel(this, "lblAbout", QStringLiteral("QX-Logging."), QRect(16, 108, 240, 22));
    QFont ProductFont = lblAbout->font();
    ProductFont.setBold(true);
    ProductFont.setPixelSize(16);
    lblAbout->setFont(ProductFont);
    lblSWVer =
        NewLabel(this, "lblSWVer", "Software Version " + GetFmtFileVersion("%d.%d"), QRect(16, 132, 240, 18));
    lblBuild =
        NewLabel(this, "lblBuild", "Build " + GetFmtFileVersion("%d.%d.%d.%d"), QRect(16, 150, 240, 18));
    // Plain-text labels show an ampersand as itself.
    lblQXR = NewLabel(this, "lblQXR", QString::fromLatin1(kMakerName), QRect(260, 108, 262, 18));
    lblQXR->setFont(ProductFont);
    lblAdr1 = NewLabel(this, "lblAdr1", QString::fromLatin1(kMakerAddress1), QRect(260, 128, 262, 18));
    lblAdr2 = NewLabel(this, "lblAdr2", QString::fromLatin1(kMakerAddress2), QRect(260, 146, 262, 18));
    lblPhone = NewLabel(this, "lblPhone", QString::fromLatin1(kMakerPhone), QRect(260, 164, 262, 18));

    NewSeparator(this, 190);
    // A fixed-pitch font, so that the padded labels line up at their colons.
    QFont Fixed(QStringLiteral("Courier New"));
    Fixed.setStyleHint(QFont::TypeWriter);
    Fixed.setPixelSize(13);
    for (int i = 0; i < 2; ++i) {
        aInstrumentLeft[i] = NewLabel(this, "lblInstrumentLeft", QString(), QRect(10, 200 + 18 * i, 362, 18));
        aInstrumentLeft[i]->setFont(Fixed);
    }
    for (int i = 0; i < 3; ++i) {
        aInstrumentRight[i] =
            NewLabel(this, "lblInstrumentRight", QString(), QRect(372, 200 + 18 * i, 154, 18));
        aInstrumentRight[i]->setFont(Fixed);
    }
    NewSeparator(this, 262);

    lblLink = NewLabel(this, "lblLink", QString::fromLatin1(kWebAddress), QRect(16, 280, 330, 20));
    lblLink->setCursor(Qt::PointingHandCursor);
    lblLink->installEventFilter(this);
    SetLinkColor(kLinkColor);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnOK->setGeometry(kWidth - 100, kHeight - 44, 84, 28);
    // OK is also the cancel button: Esc closes the box through reject.
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmAbout::SetContext(const TUDPInstrumentInfo* pInstrumentInfo) {
    FInstrumentInfo = pInstrumentInfo;
}

void TfrmAbout::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfrmAbout::FormShow() {
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        move(Screen->availableGeometry().center() - rect().center());
    // Decoded at the first showing rather than at start.
    if (imgQXRBanner.isNull()) {
        imgQXRBanner = QPixmap(QString::fromLatin1(kBannerResource));
        imgQXRLogo = QPixmap(QString::fromLatin1(kLogoResource));
    }
    imgBanner->setPixmap(imgQXRBanner);
    imgLogo->setPixmap(imgQXRLogo);
    const TAboutInstrumentLines r =
        AboutInstrumentLines(FInstrumentInfo ? *FInstrumentInfo : TUDPInstrumentInfo{});
    for (int i = 0; i < 2; ++i)
        aInstrumentLeft[i]->setText(r.slLeft.value(i));
    for (int i = 0; i < 3; ++i)
        aInstrumentRight[i]->setText(r.slRight.value(i));
}

void TfrmAbout::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QDialog::paintEvent(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblLink && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblLinkClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmAbout::SetLinkColor(QRgb clLink) {
    lblLink->setStyleSheet(QStringLiteral("color: %1;").arg(QColor(clLink).name()));
}

void TfrmAbout::lblLinkClick() {
    SetLinkColor(kVisitedLinkColor);
    // A browser that cannot be started is no error of the box's.
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWebAddress)));
}
