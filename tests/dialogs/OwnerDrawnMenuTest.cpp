#include "dialogs/OwnerDrawnMenu.h"
#include "core/Drawing.h"
#include "dialogs/VisualStyle.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleFactory>
#include <gtest/gtest.h>

namespace {

QImage Caption(const QString& sText) {
    QImage img(200, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::black);
    DrawItemText(32, p, sText, QRect(0, 0, 200, 30));
    return img;
}

// The bounding box of the pixels darker than the background in rArea of img.
QRect InkBox(const QImage& img, const QRect& rArea, const QColor& clBackground) {
    QRect r;
    for (int y = rArea.top(); y <= rArea.bottom(); ++y) {
        for (int x = rArea.left(); x <= rArea.right(); ++x) {
            if (img.pixelColor(x, y).lightness() < clBackground.lightness() - 40)
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

// The darkest grey level in rArea.
int Darkest(const QImage& img, const QRect& rArea) {
    int iMin = 255;
    for (int y = rArea.top(); y <= rArea.bottom(); ++y) {
        for (int x = rArea.left(); x <= rArea.right(); ++x)
            iMin = std::min(iMin, qGray(img.pixel(x, y)));
    }
    return iMin;
}

TEST(DrawItemText, DrawsTheCaptionWithoutAmpersandsFromX) {
    const QImage img = Caption("&File");
    EXPECT_EQ(img, Caption("File"));
    const QRect rInk = InkBox(img, img.rect(), Qt::white);
    ASSERT_TRUE(rInk.isValid());
    EXPECT_GE(rInk.left(), 32);
    EXPECT_LE(rInk.left(), 34);
    // Vertically centred: the glyphs sit around the middle line.
    EXPECT_LT(rInk.top(), 15);
    EXPECT_GT(rInk.bottom(), 15);
}

// One menu of every kind of item, drawn by the owner-drawn style.
class OwnerDrawnMenuTest : public ::testing::Test {
protected:
    OwnerDrawnMenuTest() {
        actOpen = Menu.addAction("&Open");
        actDisabled = Menu.addAction("Disabled");
        actDisabled->setEnabled(false);
        Menu.addSeparator();
        actShortcut = Menu.addAction("Timecode");
        actShortcut->setShortcut(QKeySequence("Ctrl+T"));
        actShortcut->setShortcutVisibleInContextMenu(true);
        SetOwnerDrawnMenu(&Menu);
        Menu.resize(Menu.sizeHint());
    }

    QImage Draw() { return Menu.grab().toImage(); }
    QRect Item(QAction* p) { return Menu.actionGeometry(p); }

    QMenu Menu;
    QAction* actOpen = nullptr;
    QAction* actDisabled = nullptr;
    QAction* actShortcut = nullptr;
};

TEST_F(OwnerDrawnMenuTest, StripeItemsAndSeparator) {
    const QImage img = Draw();
    const QRect rOpen = Item(actOpen);
    const int yMid = rOpen.center().y();
    EXPECT_EQ(img.pixelColor(rOpen.left() + 10, yMid),
              ColorValueToQColor(CalcOpacity(clWhite, clSilver, 0.8)));
    EXPECT_EQ(img.pixelColor(rOpen.right() - 2, yMid), QColor(Qt::white));

    const QRect rSeparator = Item(Menu.actions().at(2));
    const int ySeparator = rSeparator.top() + rSeparator.height() / 2;
    EXPECT_EQ(img.pixelColor(rSeparator.left() + 26, ySeparator), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixelColor(rSeparator.right(), ySeparator), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixelColor(rSeparator.left() + 20, ySeparator),
              ColorValueToQColor(CalcOpacity(clWhite, clSilver, 0.8)));
    EXPECT_EQ(img.pixelColor(rSeparator.left() + 40, ySeparator - 2), QColor(Qt::white));
}

TEST_F(OwnerDrawnMenuTest, CaptionsStartAt32AndDisabledOnesAreGrey) {
    const QImage img = Draw();
    const QRect rOpen = Item(actOpen);
    const QRect rInk = InkBox(img, rOpen.adjusted(25, 1, -1, -1), Qt::white);
    ASSERT_TRUE(rInk.isValid());
    EXPECT_GE(rInk.left(), rOpen.left() + 32);
    EXPECT_LE(rInk.left(), rOpen.left() + 34);
    EXPECT_LT(Darkest(img, rOpen.adjusted(25, 1, -1, -1)), 60);

    const QRect rDisabled = Item(actDisabled).adjusted(25, 1, -1, -1);
    ASSERT_TRUE(InkBox(img, rDisabled, Qt::white).isValid());
    // Grey #808080 at its darkest, never black.
    EXPECT_GE(Darkest(img, rDisabled), 0x70);
    EXPECT_LE(Darkest(img, rDisabled), 0x90);
}

TEST_F(OwnerDrawnMenuTest, ShortcutIsRightAligned) {
    const QImage img = Draw();
    const QRect r = Item(actShortcut);
    const int iCaptionRight = r.left() + 32 + QFontMetrics(Menu.font()).horizontalAdvance("Timecode");
    const QRect rInk = InkBox(
        img, QRect(iCaptionRight + 4, r.top() + 1, r.right() - iCaptionRight - 4, r.height() - 2), Qt::white);
    ASSERT_TRUE(rInk.isValid()) << "no shortcut drawn";
    // Its box ends 3 pixels inside the item's right edge; the last glyph's ink may stop a little short.
    const int iBoxRight = r.left() + r.width() - 3;
    EXPECT_LE(rInk.right(), iBoxRight);
    EXPECT_GE(rInk.right(), iBoxRight - 4);
}

TEST_F(OwnerDrawnMenuTest, ItemUnderTheMouseIsTintedAndFramed) {
    Menu.setActiveAction(actOpen);
    const QImage img = Draw();
    const QRect r = Item(actOpen);
    EXPECT_EQ(img.pixelColor(r.left() + 10, r.center().y()),
              ColorValueToQColor(CalcOpacity(clWhite, clNavy, 0.9)));
    EXPECT_EQ(img.pixelColor(r.left(), r.center().y()),
              ColorValueToQColor(CalcOpacity(clWhite, clNavy, 0.5)));
    EXPECT_EQ(img.pixelColor(r.right() - 3, r.top()), ColorValueToQColor(CalcOpacity(clWhite, clNavy, 0.5)));

    // A disabled item under the mouse is not tinted.
    Menu.setActiveAction(actDisabled);
    const QImage imgDisabled = Draw();
    const QRect rDisabled = Item(actDisabled);
    EXPECT_EQ(imgDisabled.pixelColor(rDisabled.right() - 2, rDisabled.center().y()), QColor(Qt::white));
}

TEST_F(OwnerDrawnMenuTest, ExtraWidthIsSetPerMenu) {
    QMenu Export;
    Export.addAction("PDF");
    SetOwnerDrawnMenu(&Export);
    const int iDefault = Export.sizeHint().width();
    SetOwnerDrawnMenu(&Export, kExportPopupExtraWidth);
    EXPECT_EQ(Export.sizeHint().width() - iDefault, kExportPopupExtraWidth - kMenuExtraWidth);
    SetOwnerDrawnMenu(&Export, kChartExportPopupExtraWidth);
    EXPECT_EQ(Export.sizeHint().width() - iDefault, kChartExportPopupExtraWidth - kMenuExtraWidth);
}

} // namespace

namespace {

// The program runs under its own style, which must not take the menus' drawing over.
TEST(OwnerDrawnMenuProgramStyle, LookSurvivesTheProgramStyle) {
    const QString sOld = QApplication::style()->name();
    ApplyVisualStyle();
    {
        QMenu Menu;
        QAction* actOpen = Menu.addAction("Open");
        SetOwnerDrawnMenu(&Menu);
        Menu.resize(Menu.sizeHint());
        const QImage img = Menu.grab().toImage();
        const QRect r = Menu.actionGeometry(actOpen);
        EXPECT_EQ(img.pixelColor(r.left() + 10, r.center().y()),
                  ColorValueToQColor(CalcOpacity(clWhite, clSilver, 0.8)));
        EXPECT_EQ(img.pixelColor(r.right() - 2, r.center().y()), QColor(Qt::white));
    }
    QApplication::setStyle(QStyleFactory::create(sOld));
}

} // namespace
