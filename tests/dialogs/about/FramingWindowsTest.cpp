#include "core/MainRecords.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormLegal.h"
#include "dialogs/FormSplash.h"
#include "dialogs/MessageBox.h"
#include "dialogs/WindowIcons.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Takes the place of the system's browser: records every address it is asked to open.
class TBrowser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> aOpened;
public Q_SLOTS:
    void Open(const QUrl& Url) { aOpened.append(Url); }
};

// Whether any pixel of the widget as drawn has the colour.
bool Shows(QWidget* Widget, const QColor& Colour) {
    const QImage Image = Widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (QColor(Image.pixel(x, y)) == Colour)
                return true;
    return false;
}

QStringList Texts(QLabel* const* aLabels, int iCount) {
    QStringList sl;
    for (int i = 0; i < iCount; ++i)
        sl << aLabels[i]->text();
    return sl;
}

class AboutBoxTest : public ::testing::Test {
protected:
    AboutBoxTest() : frmAbout(&Owner) { frmAbout.SetContext(&rInstrumentInfo); }

    // Shows the box as the menu does, runs fnLook on it and closes it with OK.
    void ShowAbout(const std::function<void()>& fnLook) {
        EXPECT_TRUE(qxtest::DriveModal(
            frmAbout, [this] { frmAbout.exec(); },
            [&] {
                fnLook();
                frmAbout.btnOK->click();
            }));
    }

    QWidget Owner;
    TUDPInstrumentInfo rInstrumentInfo;
    TfrmAbout frmAbout;
};

} // namespace

TEST_F(AboutBoxTest, VersionLinesAndNoInstrumentLinesBeforeAMeterWasIdentified) {
    ShowAbout([this] {
        EXPECT_EQ(frmAbout.windowTitle(), "About...");
        EXPECT_EQ(frmAbout.size(), QSize(530, 335));
        EXPECT_EQ(frmAbout.lblAbout->text(), "QX-Logging.");
        EXPECT_EQ(frmAbout.lblSWVer->text(), "Software Version 1.0");
        EXPECT_EQ(frmAbout.lblBuild->text(), "Build 1.0.0.1");
        EXPECT_EQ(Texts(frmAbout.aInstrumentLeft, 2), (QStringList{"", ""}));
        EXPECT_EQ(Texts(frmAbout.aInstrumentRight, 3), (QStringList{"", "", ""}));
        EXPECT_FALSE(frmAbout.imgBanner->pixmap().isNull());
        EXPECT_FALSE(frmAbout.imgLogo->pixmap().isNull());
        // The ampersand of the address shows as itself.
        EXPECT_EQ(frmAbout.lblAdr1->textFormat(), Qt::PlainText);
        EXPECT_EQ(frmAbout.lblAdr1->text().count('&'), 1);
    });
}

TEST_F(AboutBoxTest, IdentifiedMeterLinesAreShownEachTimeTheBoxOpens) {
    ShowAbout([] {});
    rInstrumentInfo.sTypeName = "qxMeter Q5 Desk";
    rInstrumentInfo.iSerialNo = 12345;
    rInstrumentInfo.iSoftwarePackage = 14;
    rInstrumentInfo.iRunVerMajor = 2;
    rInstrumentInfo.iRunVerMinor = 5;
    rInstrumentInfo.iFPGAVersion = 7;
    rInstrumentInfo.bValid = true;
    ShowAbout([this] {
        EXPECT_EQ(Texts(frmAbout.aInstrumentLeft, 2),
                  (QStringList{"      Instrument Type: qxMeter Q5 Desk", "        Serial Number: 12345"}));
        EXPECT_EQ(Texts(frmAbout.aInstrumentRight, 3),
                  (QStringList{"  Package ID: 14", " MCU Version: 2,5", "FPGA Version: 7"}));
        EXPECT_TRUE(QFontInfo(frmAbout.aInstrumentLeft[0]->font()).fixedPitch());
    });
}

TEST_F(AboutBoxTest, LinkIsBlueTurnsPurpleWhenClickedAndOpensInTheBrowser) {
    TBrowser Browser;
    QDesktopServices::setUrlHandler("https", &Browser, "Open");
    ShowAbout([&] {
        EXPECT_TRUE(Shows(frmAbout.lblLink, QColor(0, 0, 0xFF)));
        EXPECT_FALSE(Shows(frmAbout.lblLink, QColor(0x80, 0, 0x80)));
        QMouseEvent Press(QEvent::MouseButtonPress, QPointF(5, 5),
                          frmAbout.lblLink->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(frmAbout.lblLink, &Press);
        EXPECT_TRUE(Shows(frmAbout.lblLink, QColor(0x80, 0, 0x80)));
        EXPECT_FALSE(Shows(frmAbout.lblLink, QColor(0, 0, 0xFF)));
    });
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(Browser.aOpened, (QList<QUrl>{QUrl(TfrmAbout::kWebAddress)}));
}

TEST(LegalWindow, ListsTheProgramsLicenceAndEveryLibraryAndFont) {
    TfrmLegalInfo frmLegalInfo;
    frmLegalInfo.EnsureControls();
    EXPECT_EQ(frmLegalInfo.windowTitle(), "Legal information.");
    EXPECT_TRUE(frmLegalInfo.reLegal->isReadOnly());
    const QString sText = frmLegalInfo.reLegal->toPlainText();
    for (const char* s : {"GNU General Public License",
                          "either version 3 of the License, or (at your option) any "
                          "later version",
                          "Qt 6", "QCustomPlot", "SQLite", "SQLiteCpp", "libtelnet", "SimpleIni", "libharu",
                          "Liberation fonts", "DejaVu fonts", "Icons and pictures", "The MIT License"})
        EXPECT_TRUE(sText.contains(QString::fromUtf8(s))) << s;
    EXPECT_TRUE(
        frmLegalInfo.reLegal->toHtml().contains("href=\"https://www.gnu.org/licenses/gpl-3.0.html\""));
}

namespace {

// A splash picture of the window's size; with a magenta frame of 20 pixels when bFrame.
QImage SplashPicture(bool bFrame) {
    QImage Image(TfrmSplash::kWidth, TfrmSplash::kHeight, QImage::Format_RGB32);
    Image.fill(bFrame ? QColor(0xFF, 0x00, 0xFF) : QColor(0x30, 0x40, 0x50));
    if (bFrame) {
        QPainter p(&Image);
        p.fillRect(Image.rect().adjusted(20, 20, -20, -20), QColor(0x30, 0x40, 0x50));
    }
    return Image;
}

} // namespace

TEST(SplashWindow, ShapeFromThePictureAndGoneOnceFaded) {
    struct TCase {
        const char* sName;
        QImage Picture;
        QRegion Shape;
    };
    const QRect Whole(0, 0, TfrmSplash::kWidth, TfrmSplash::kHeight);
    const TCase aCases[] = {
        {"without magenta", SplashPicture(false), QRegion(Whole)},
        {"magenta frame", SplashPicture(true), QRegion(Whole.adjusted(20, 20, -20, -20))},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        QPointer<TfrmSplash> frmSplash = new TfrmSplash(nullptr, c.Picture);
        int iLastProgress = 0;
        QObject::connect(frmSplash->SplashProgress, &QProgressBar::valueChanged,
                         [&](int iValue) { iLastProgress = iValue; });
        frmSplash->show();
        EXPECT_EQ(frmSplash->size(), Whole.size());
        EXPECT_EQ(frmSplash->mask(), c.Shape);
        EXPECT_EQ(frmSplash->mask().rectCount(), 1);
        EXPECT_EQ(frmSplash->lblTitle->text(), "QX-Logging");
        EXPECT_EQ(frmSplash->BuildLabel->text(), "Build.: 1.0.0.1");
        EXPECT_TRUE(qxtest::WaitFor([&] { return frmSplash.isNull(); }, 10'000))
            << "the splash destroys itself";
        EXPECT_EQ(iLastProgress, 2047);
    }
}

// A message shown at start, while the splash is the active window, must outlive the splash.
TEST(SplashWindow, AMessageShownWhileItFadesIsNotTakenAlong) {
    QWidget Owner;
    Owner.show();
    QPointer<TfrmSplash> frmSplash = new TfrmSplash(nullptr, SplashPicture(false));
    frmSplash->show();
    frmSplash->activateWindow();
    QApplication::setActiveWindow(frmSplash);
    const int iLNG = 0;
    TMessageBox MessageBox(iLNG, &Owner);
    QWidget* pBoxParent = nullptr;
    bool bSplashGoneWhileOpen = false;
    QTimer Poll;
    QObject::connect(&Poll, &QTimer::timeout, [&] {
        auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!Box)
            return;
        pBoxParent = Box->parentWidget();
        // Kept open until the splash has gone, as a user may take longer than the splash.
        if (!frmSplash.isNull())
            return;
        bSplashGoneWhileOpen = true;
        Box->buttons().first()->click();
    });
    Poll.start(20);
    EXPECT_EQ(MessageBox.ShowMessageBox("Before you can start logging ...", kMsgInformation, kMsgBtnOK),
              kMsgResultOK);
    EXPECT_EQ(pBoxParent, &Owner);
    EXPECT_TRUE(bSplashGoneWhileOpen);
}

TEST(SplashWindow, ProgramsPictureCutsAwayItsCorners) {
    TfrmSplash frmSplash;
    frmSplash.Timer1->setInterval(60'000);
    frmSplash.show();
    const QRegion Shape = frmSplash.mask();
    EXPECT_FALSE(Shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(Shape.contains(QPoint(TfrmSplash::kWidth - 1, TfrmSplash::kHeight - 1)));
    EXPECT_TRUE(Shape.contains(QPoint(TfrmSplash::kWidth / 2, TfrmSplash::kHeight / 2)));
    EXPECT_TRUE(Shape.contains(QPoint(TfrmSplash::kWidth / 2, 8)));
    frmSplash.Timer1->stop();
}

TEST(WindowIcons, SmallAndLargeIconsOrTheIconTheWindowHad) {
    QWidget Window;
    SetWindowIcons(&Window);
    const QList<QSize> aSizes = Window.windowIcon().availableSizes();
    EXPECT_TRUE(aSizes.contains(QSize(16, 16)));
    EXPECT_TRUE(aSizes.contains(QSize(32, 32)));

    const qint64 iBefore = Window.windowIcon().cacheKey();
    SetWindowIcons(&Window, ":/icons/missing16.png", ":/icons/missing32.png");
    EXPECT_EQ(Window.windowIcon().cacheKey(), iBefore);
}

#include "FramingWindowsTest.moc"
