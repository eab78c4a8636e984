#include "dialogs/VisualStyle.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using TStyle = TAquaLightSlateStyle;

// A main window with one of each kind of control the look draws, laid out the way the program's windows
// are, under the program's style for the time of a test.
class VisualStyle : public ::testing::Test {
protected:
    void SetUp() override {
        sOldStyle = QApplication::style()->name();
        ApplyVisualStyle();
        Tabs = new QTabWidget(&Window);
        auto* Page = new QWidget;
        Tabs->addTab(Page, "Logging");
        Tabs->addTab(new QWidget, "Database");
        auto* Layout = new QVBoxLayout(Page);
        btnEnabled = new QPushButton("Connect", Page);
        btnDisabled = new QPushButton("Stop Logging", Page);
        btnDisabled->setEnabled(false);
        Table = new QTableWidget(3, 2, Page);
        for (QWidget* w : std::initializer_list<QWidget*>{btnEnabled, btnDisabled, Table})
            Layout->addWidget(w);
        Window.setCentralWidget(Tabs);
        // Made with the window as parent and then moved into the bar, as the main window does.
        for (QLabel*& Panel : aPanels)
            Panel = new QLabel("COM3", &Window);
        Window.statusBar()->addWidget(aPanels[0], 1);
        Window.statusBar()->addPermanentWidget(aPanels[1]);
        Window.resize(600, 400);
        Window.show();
        QApplication::processEvents();
        Picture = Window.grab().toImage();
    }
    void TearDown() override { QApplication::setStyle(QStyleFactory::create(sOldStyle)); }

    // The colour at Pos of w, in the picture of the window.
    QColor At(const QWidget* w, QPoint Pos) const { return Picture.pixelColor(w->mapTo(&Window, Pos)); }

    QString sOldStyle;
    QMainWindow Window;
    QTabWidget* Tabs = nullptr;
    QPushButton* btnEnabled = nullptr;
    QPushButton* btnDisabled = nullptr;
    QTableWidget* Table = nullptr;
    QLabel* aPanels[2] = {};
    QImage Picture;
};

TEST_F(VisualStyle, DrawsTheSlateColours) {
    const QTabBar* Bar = Tabs->tabBar();
    const QRect rSelected = Bar->tabRect(0);
    const QRect rOther = Bar->tabRect(1);
    struct TCase {
        const char* sWhat;
        const QWidget* w;
        QPoint Pos;
        QColor clExpected;
    } aCases[] = {
        // Beside the tabs the window itself shows.
        {"window background", &Window, QPoint(Window.width() - 3, 1), TStyle::clBackground},
        {"selected tab", Bar, rSelected.center(), TStyle::clPane},
        {"other tab", Bar, rOther.center(), TStyle::clTab},
        {"tab border", Bar, QPoint(rOther.left(), rOther.center().y()), TStyle::clTabBorder},
        {"tab page", Tabs->currentWidget(), QPoint(2, 2), TStyle::clPane},
        {"button border", btnEnabled, QPoint(0, btnEnabled->height() / 2), TStyle::clButtonBorder},
        {"disabled button border", btnDisabled, QPoint(0, btnDisabled->height() / 2),
         TStyle::clButtonDisabledBorder},
        {"table frame", Table, QPoint(0, Table->height() / 2), TStyle::clTabBorder},
        {"table cells", Table->viewport(), QPoint(5, 5), QColor(Qt::white)},
        {"status bar", Window.statusBar(), QPoint(Window.statusBar()->width() / 2, 1), TStyle::clStatusBar},
    };
    for (const TCase& c : aCases)
        EXPECT_EQ(At(c.w, c.Pos).name().toStdString(), c.clExpected.name().toStdString()) << c.sWhat;
}

TEST_F(VisualStyle, FramesEveryStatusPanel) {
    for (const QLabel* Panel : aPanels) {
        ASSERT_EQ(Panel->parentWidget(), Window.statusBar());
        const QPoint aBorder[] = {{0, Panel->height() / 2},
                                  {Panel->width() / 2, 0},
                                  {Panel->width() - 1, Panel->height() / 2},
                                  {Panel->width() / 2, Panel->height() - 1}};
        for (const QPoint& Pos : aBorder)
            EXPECT_EQ(At(Panel, Pos).name().toStdString(), TStyle::clStatusPanelBorder.name().toStdString())
                << Pos.x() << "," << Pos.y();
    }
}

TEST_F(VisualStyle, ButtonsArePaddedAroundTheirCaption) {
    const QFontMetrics Metrics(btnEnabled->font());
    const QSize Hint = btnEnabled->sizeHint();
    EXPECT_EQ(Hint.width(), Metrics.size(Qt::TextShowMnemonic, "Connect").width() + 2 * (12 + 1));
    EXPECT_EQ(Hint.height(), std::max(Metrics.height(), 20) + 2 * (4 + 1));
}

} // namespace
