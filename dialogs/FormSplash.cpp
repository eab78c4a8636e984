#include "dialogs/FormSplash.h"

#include "dialogs/AboutTexts.h"

#include "core/FileVersion.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Stored as it is shown, uncompressed: the picture is on screen before anything else, and reading it
// costs a copy instead of a decompression.
const char* const kSplashPictureResource = ":/about/Splash.bmp";
constexpr int kPanelWidth = 180;
constexpr int kPanelHeight = 50;
constexpr int kPanelMargin = 24;

} // namespace

TSplashPicture MakeSplashPicture(const QImage& Picture) {
    TSplashPicture r{Picture, QRegion()};
    if (r.Picture.isNull()) {
        InitAboutResources();
        r.Picture = QImage(QString::fromLatin1(kSplashPictureResource));
    }
    // A picture that gives no shape leaves the window rectangular.
    r.Shape = RegionFromPicture(r.Picture, kSplashKeyColor, kSplashKeyColor);
    return r;
}

TfrmSplash::TfrmSplash(QWidget* parent, const QImage& Picture)
    : TfrmSplash(parent, MakeSplashPicture(Picture)) {}

// A frameless dialog-type window: a window of the splash-screen type kept the program from quitting when
// the program was asked to close while the splash was showing.
TfrmSplash::TfrmSplash(QWidget* parent, TSplashPicture rPicture)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      rSplash(std::move(rPicture)) {
    setObjectName("frmSplash");
    setWindowTitle(QStringLiteral("QX-Logging"));
    setFixedSize(kWidth, kHeight);
    // The main window keeps the keyboard while the splash fades; the splash is destroyed once closed.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);

    imgSplash = new QLabel(this);
    imgSplash->setObjectName("imgSplash");
    imgSplash->setGeometry(0, 0, kWidth, kHeight);
    imgSplash->setPixmap(QPixmap::fromImage(rSplash.Picture));

    pnlSplash = new QFrame(this);
    pnlSplash->setObjectName("pnlSplash");
    pnlSplash->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlSplash->setGeometry(kWidth - kPanelWidth - kPanelMargin, kPanelMargin, kPanelWidth, kPanelHeight);
    // The panel paints its own background rather than showing the picture through.
    pnlSplash->setAutoFillBackground(true);

    lblTitle = new QLabel(QStringLiteral("QX-Logging"), pnlSplash);
    lblTitle->setObjectName("lblTitle");
    QFont TitleFont(QStringLiteral("Courier New"));
    TitleFont.setPixelSize(17);
    TitleFont.setBold(true);
    lblTitle->setFont(TitleFont);
    BuildLabel = new QLabel(pnlSplash);
    BuildLabel->setObjectName("BuildLabel");
    SplashProgress = new QProgressBar(pnlSplash);
    SplashProgress->setObjectName("SplashProgress");
    SplashProgress->setRange(0, TSplashFade::kProgressMax);
    SplashProgress->setValue(0);
    SplashProgress->setTextVisible(false);
    SplashProgress->setFixedHeight(8);
    auto* Layout = new QVBoxLayout(pnlSplash);
    Layout->setContentsMargins(6, 2, 6, 4);
    Layout->setSpacing(1);
    Layout->addWidget(lblTitle);
    Layout->addWidget(BuildLabel);
    Layout->addWidget(SplashProgress);

    Timer1 = new QTimer(this);
    Timer1->setInterval(kTickMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmSplash::Timer1Timer);
}

void TfrmSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* Screen = QGuiApplication::primaryScreen())
        move(Screen->availableGeometry().center() - rect().center());
    if (!rSplash.Shape.isEmpty())
        setMask(rSplash.Shape);
    BuildLabel->setText("Build.: " + GetFmtFileVersion("%d.%d.%d.%d"));
    setWindowOpacity(rFade.Opacity() / double(TSplashFade::kOpaque));
    repaint();
    Timer1->start();
}

void TfrmSplash::Timer1Timer() {
    const bool bStays = rFade.Tick();
    SplashProgress->setValue(rFade.Progress());
    setWindowOpacity(rFade.Opacity() / double(TSplashFade::kOpaque));
    if (bStays)
        return;
    Timer1->stop();
    close();
}
