#include "review/ChartTabs.h"
#include "app/FormMain.h"
#include "core/Drawing.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "review/FormChart.h"
#include "review/FormFilter.h"
#include "review/LevelFilter.h"
#include "store/ComplianceStore.h"
#include "tests/review/charts/ChartWindows.h"
#include "tests/support/ExportTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const char* const kIdA = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const char* const kIdEmpty = "F0E1D2C3-B4A5-9687-7869-5A4B3C2D1E0F";
constexpr int kRowsA = 40;
constexpr int kScaleLUFS = 1;

QString TimeCode(int i) {
    return QString::asprintf("10:%02d:%02d:00", i / 60, i % 60);
}
double PeakOf(int i) {
    return -10.0 + (i % 7);
}
double IntOf(int i) {
    return -30.0 + i * 0.1;
}
double STMaxOf(int i) {
    return -25.0 + (i % 5);
}

std::vector<QString> TimeCodes(const TReviewChart* Chart) {
    std::vector<QString> a;
    for (int i = 0; i < Chart->PointCount(); ++i)
        a.push_back(Chart->PointLabel(i));
    return a;
}

// The program's main window on a database with session A (40 level rows) and a session without rows, as
// the user reaches it: the database opened, its sessions listed.
class ChartTabsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TdbSQLite DB;
        const QString sFile = Home.Path() + "/review.DB3";
        ASSERT_TRUE(DB.CreateSQLiteDB(sFile));
        ASSERT_TRUE(DB.OpenSQLiteDB(sFile));
        TSessionInfo r;
        r.sReportID = kIdA;
        r.sShowTitle = "Evening & News";
        r.sNotes = QString("Notes of ") + kIdA;
        r.rLoudnessSetup.iScaleMode = kScaleLUFS;
        ASSERT_TRUE(DB.InsertSession(r));
        for (int i = 0; i < kRowsA; ++i)
            ASSERT_TRUE(DB.InsertSessionData(kIdA, "1", 0, 1, IntOf(i), PeakOf(i), -40, STMaxOf(i), 0, 0,
                                             TimeCode(i)));
        TSessionInfo rEmpty;
        rEmpty.sReportID = kIdEmpty;
        rEmpty.sShowTitle = "Empty";
        ASSERT_TRUE(DB.InsertSession(rEmpty));
        DB.CloseSQLiteDB();

        ASSERT_TRUE(Main.Ctrl.SQLConnection.OpenSQLiteDB(sFile));
        Main.SetMainGUI(kGUIDatabase);
        Main.DatabaseView->DatabaseOpened();
        // The row's stamp as the session list's update left it.
        ASSERT_TRUE(SelectSession(kIdA));
        dtAnalysis = Main.rSelectedSessionInfo.dtDateTime;
        ASSERT_TRUE(LoadSession(kIdA));
        ASSERT_EQ(Main.DatabaseView->LevelData().LevelTable().RowCount(), kRowsA);
    }

    // Selects a listed session and double-clicks it, which loads its level rows.
    bool LoadSession(const QString& sId) {
        if (!SelectSession(sId))
            return false;
        Main.DatabaseView->sgSessionsDblClick();
        return true;
    }

    bool SelectSession(const QString& sId) { return Windows.SelectSession(sId); }

    // The Chart button as the user presses it. It is enabled only after a load found rows; the other
    // cases press it all the same, to show that the command holds up on its own.
    TChartTab* MakeChart() {
        Main.btnChart->setEnabled(true);
        Main.btnChart->click();
        return qobject_cast<TChartTab*>(Main.PageCtrl->currentWidget());
    }

    void RightClickTab(int iIndex) {
        QTabBar* Bar = Main.PageCtrl->tabBar();
        Click(Bar, QRectF(Bar->tabRect(iIndex)).center(), Qt::RightButton);
    }

    // A click of the left button on a legend entry, as the user makes it.
    static void ClickLegendOf(TReviewChart* Chart, int iSeries) {
        Chart->replot(QCustomPlot::rpImmediateRefresh);
        QCPPlottableLegendItem* Item = Chart->legend->itemWithPlottable(Chart->graph(iSeries));
        ASSERT_NE(Item, nullptr);
        ASSERT_FALSE(Item->rect().isEmpty()) << "the legend must have been laid out";
        Click(Chart, QRectF(Item->rect()).center(), Qt::LeftButton);
    }

    static void Click(QWidget* Target, QPointF Pos, Qt::MouseButton Button) {
        QMouseEvent Press(QEvent::MouseButtonPress, Pos, Target->mapToGlobal(Pos), Button, Button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &Press);
        QMouseEvent Release(QEvent::MouseButtonRelease, Pos, Target->mapToGlobal(Pos), Button, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(Target, &Release);
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TChartWindows Windows;
    TfrmMain& Main = Windows.Main;
    TfrmWait& Wait = Windows.Wait;
    TfrmChart& Chart = Windows.Chart;
    TChartOptions& rOptions = Main.Ctrl.Settings.rChartOptions;
    double dtAnalysis = 0;
    std::vector<QString>& aMessages = Windows.aMessages;
    const bool& bWaitVisibleAtMessage = Windows.bWaitVisibleAtMessage;
};

TEST_F(ChartTabsFixture, TheFirstChartTabIsTheThirdPageWithTheSessionsPointsAndSnapshot) {
    ASSERT_TRUE(Main.btnChart->isEnabled());
    TChartTab* Tab = MakeChart();
    ASSERT_NE(Tab, nullptr);
    EXPECT_EQ(Main.PageCtrl->indexOf(Tab), 2);
    EXPECT_EQ(Tab->objectName(), "tsChart3");
    EXPECT_EQ(Tab->Tag, 1);
    EXPECT_EQ(Main.iTabId, 1);
    EXPECT_EQ(Tab->btnChartExport->property("Tag").toInt(), 1);
    // The title is shown as typed, its "&" no shortcut mark.
    EXPECT_EQ(Main.PageCtrl->tabText(2), "Evening && News");
    EXPECT_TRUE(aMessages.empty());
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(Wait.isVisible());

    TReviewChart* c = Tab->Chart;
    EXPECT_EQ(Tab->children().indexOf(c), 0) << "the chart is the tab's first child";
    ASSERT_EQ(c->graphCount(), 3);
    ASSERT_EQ(c->PointCount(), kRowsA);
    const double aExpected[3] = {PeakOf(17), IntOf(17), STMaxOf(17)};
    for (int iSeries = 0; iSeries < 3; ++iSeries) {
        ASSERT_EQ(c->graph(iSeries)->dataCount(), kRowsA);
        EXPECT_DOUBLE_EQ(c->graph(iSeries)->data()->at(17)->key, 17.0);
        EXPECT_DOUBLE_EQ(c->graph(iSeries)->data()->at(17)->value, aExpected[iSeries]) << iSeries;
    }
    EXPECT_EQ(c->PointLabel(17), TimeCode(17));
    // Bottom labels come from the ticker, one per visible tick: each names its row.
    c->replot(QCustomPlot::rpImmediateRefresh);
    const QVector<double> aTicks = c->xAxis->tickVector();
    const QVector<QString> aLabels = c->xAxis->tickVectorLabels();
    ASSERT_GE(aTicks.size(), 2);
    ASSERT_EQ(aLabels.size(), aTicks.size());
    EXPECT_LT(aTicks.size(), kRowsA);
    for (int i = 0; i < aTicks.size(); ++i)
        EXPECT_EQ(aLabels[i], TimeCode(int(aTicks[i])));
    EXPECT_DOUBLE_EQ(c->xAxis->tickLabelRotation(), 90);

    EXPECT_EQ(c->graph(0)->name(), "Peak Level ( dBFS ).");
    EXPECT_EQ(c->graph(1)->name(), "Integrating ( LUFS ).");
    EXPECT_EQ(c->graph(2)->name(), "Shortterm ( LUFS ).");
    EXPECT_EQ(c->graph(1)->property("Tag").toInt(), kScaleLUFS);
    EXPECT_EQ(c->graph(0)->valueAxis(), c->yAxis2);
    EXPECT_EQ(c->graph(2)->valueAxis(), c->yAxis);
    EXPECT_EQ(c->yAxis->label(), "Integrating / Shortterm Max.\nLUFS");
    EXPECT_EQ(c->yAxis2->label(), "Peak Level\ndBFS");
    EXPECT_TRUE(c->yAxis->labelFont().bold());
    EXPECT_EQ(c->yAxis->labelFont().pointSize(), 10);
    EXPECT_EQ(c->graph(0)->pen().color(), ColorValueToQColor(rOptions.clPeakColor));
    EXPECT_EQ(c->graph(2)->pen().color(), ColorValueToQColor(rOptions.clSTMaxColor));

    // The snapshot: analysis date, session information, configuration, statistics.
    ASSERT_EQ(Tab->SGData->rowCount(), kChartSnapshotRows);
    EXPECT_FALSE(Tab->SGData->isVisible());
    EXPECT_EQ(Tab->SnapshotRow(0).sLabel, "Analysis Date.:");
    EXPECT_EQ(Tab->SnapshotRow(0).sValue, AnalysisDateText(dtAnalysis));
    EXPECT_FALSE(Tab->SnapshotRow(0).sValue.isEmpty());
    EXPECT_EQ(Tab->SnapshotRow(2), (TSnapshotRow{"Show Title.:", "Evening & News"}));
    EXPECT_EQ(Tab->SnapshotRow(8).sValue, QString("Notes of ") + kIdA);
    EXPECT_EQ(Tab->SnapshotRow(13).sValue, "LUFS");
    // The highest peak, as the statistics grid shows it.
    EXPECT_EQ(Tab->SnapshotRow(22).sValue, "-4.0  dBFS");
}

TEST_F(ChartTabsFixture, CursorSeriesFollowTheLevelSeriesInOrder) {
    struct TCase {
        bool bCursor1;
        bool bCursor2;
        int iSeries;
    } aCases[] = {{false, false, 3}, {true, false, 4}, {false, true, 4}, {true, true, 5}};
    rOptions.fCursor1 = -23;
    rOptions.fCursor2 = -31;
    rOptions.clCursor2Color = clPurple;
    rOptions.iCursor2LineWidth = 3;
    rOptions.sCursor2Name = "Target";
    rOptions.bCursor1Visible = true;
    rOptions.bCursor2Visible = false;
    for (const TCase& t : aCases) {
        SCOPED_TRACE(testing::Message() << t.bCursor1 << t.bCursor2);
        rOptions.bCursor1Enable = t.bCursor1;
        rOptions.bCursor2Enable = t.bCursor2;
        TReviewChart* c = MakeChart()->Chart;
        ASSERT_EQ(c->graphCount(), t.iSeries);
        if (t.bCursor1) {
            EXPECT_EQ(c->graph(3)->name(), "Cursor 1.");
            EXPECT_TRUE(c->graph(3)->visible());
            EXPECT_DOUBLE_EQ(c->graph(3)->data()->at(kRowsA - 1)->value, -23);
        }
        if (t.bCursor2) {
            QCPGraph* Cursor2 = c->graph(t.iSeries - 1);
            EXPECT_EQ(t.iSeries - 1, t.bCursor1 ? 4 : 3);
            EXPECT_EQ(Cursor2->name(), "Target");
            EXPECT_FALSE(Cursor2->visible());
            EXPECT_EQ(Cursor2->pen().color(), ColorValueToQColor(clPurple));
            EXPECT_EQ(Cursor2->pen().width(), 3);
            EXPECT_EQ(Cursor2->valueAxis(), c->yAxis);
            ASSERT_EQ(Cursor2->dataCount(), kRowsA);
            EXPECT_DOUBLE_EQ(Cursor2->data()->at(0)->value, -31);
        }
    }
}

TEST_F(ChartTabsFixture, LegendChecksRelayTheAxesAndCarryOverToTheNextChart) {
    rOptions.bRightAxisAutoScale = false;
    rOptions.fRightAxisMin = -60;
    rOptions.fRightAxisMax = 3;
    TReviewChart* c = MakeChart()->Chart;
    c->resize(1000, 600);

    // Unchecking every series hides both level axes.
    for (int iSeries : {0, 1, 2})
        ClickLegendOf(c, iSeries);
    EXPECT_FALSE(c->yAxis->visible());
    EXPECT_FALSE(c->yAxis2->visible());
    EXPECT_FALSE(rOptions.bPeakEnabled || rOptions.bIntEnabled || rOptions.bSTMaxEnabled);

    // The peak alone moves to the left axis with the right axis's range and title.
    ClickLegendOf(c, 0);
    EXPECT_TRUE(c->graph(0)->visible());
    EXPECT_EQ(c->graph(0)->valueAxis(), c->yAxis);
    EXPECT_TRUE(c->yAxis->visible());
    EXPECT_FALSE(c->yAxis2->visible());
    EXPECT_EQ(c->yAxis->label(), "Peak Level\ndBFS");
    EXPECT_DOUBLE_EQ(c->yAxis->range().lower, -60);
    EXPECT_DOUBLE_EQ(c->yAxis->range().upper, 3);
    EXPECT_EQ(c->yAxis->labelColor(), ColorValueToQColor(rOptions.clPeakColor));
    EXPECT_TRUE(rOptions.bPeakEnabled);
    EXPECT_FALSE(rOptions.bIntEnabled);

    // The next chart starts with the choice recorded.
    TReviewChart* Next = MakeChart()->Chart;
    EXPECT_TRUE(Next->graph(0)->visible());
    EXPECT_FALSE(Next->graph(1)->visible());
    EXPECT_FALSE(Next->graph(2)->visible());
    EXPECT_EQ(Next->graph(0)->valueAxis(), Next->yAxis);
}

TEST_F(ChartTabsFixture, AnAutomaticAxisFollowsTheShownSeries) {
    TReviewChart* c = MakeChart()->Chart;
    c->resize(1000, 600);
    c->replot(QCustomPlot::rpImmediateRefresh);
    c->RefreshNow();
    // Integrating -30 to -26.1, short-term -25 to -21, on the left: all of it inside, a little to spare.
    EXPECT_LT(c->yAxis->range().lower, -30);
    EXPECT_GT(c->yAxis->range().lower, -31);
    EXPECT_GT(c->yAxis->range().upper, -21);
    EXPECT_LT(c->yAxis->range().upper, -20);
    c->ClickLegend(2);
    EXPECT_LT(c->yAxis->range().upper, -25);
}

TEST_F(ChartTabsFixture, ASessionWithoutRowsIsToldAndGetsNoTab) {
    ASSERT_TRUE(LoadSession(kIdEmpty));
    EXPECT_FALSE(Main.btnChart->isEnabled());
    EXPECT_EQ(MakeChart(), nullptr);
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0], GetText(280, kLanguageEnglish));
    EXPECT_FALSE(bWaitVisibleAtMessage);
    EXPECT_EQ(Main.PageCtrl->count(), TChartTabs::kFixedPages);
    EXPECT_EQ(Main.iTabId, 0);
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(Wait.isVisible());
}

// The chart is captioned with the selected session's title and snapshot: its rows must be that session's.
// Whatever emptied the table since its load (another selection, the database opened anew), the Chart
// command charts nothing rather than the rows of the last load under another session's name.
TEST_F(ChartTabsFixture, AChartNeverShowsRowsOfAnotherSessionThanItsCaptionNames) {
    struct TCase {
        const char* sWhat;
        std::function<void()> fnAfterLoad;
    };
    const TCase aCases[] = {
        {"another session selected", [this] { ASSERT_TRUE(SelectSession(kIdEmpty)); }},
        {"the database opened anew, the charted session selected again",
         [this] {
             ASSERT_TRUE(Main.Ctrl.SQLConnection.OpenSQLiteDB(Main.Ctrl.SQLConnection.DatabaseFileName()));
             Main.DatabaseView->DatabaseOpened();
             Main.SetMainGUI(kGUIDatabase);
             ASSERT_TRUE(SelectSession(kIdA));
         }},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWhat);
        ASSERT_TRUE(LoadSession(kIdA));
        ASSERT_EQ(Main.DatabaseView->LevelData().LevelTable().RowCount(), kRowsA);
        aMessages.clear();
        c.fnAfterLoad();
        EXPECT_FALSE(Main.btnChart->isEnabled());
        const int iPages = Main.PageCtrl->count();
        EXPECT_EQ(MakeChart(), nullptr);
        EXPECT_EQ(Main.PageCtrl->count(), iPages);
        ASSERT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(aMessages[0], GetText(280, kLanguageEnglish));
        EXPECT_FALSE(bWaitVisibleAtMessage);
        EXPECT_TRUE(Main.isEnabled());
    }
    // Loaded again, the session charts as before, and its tab knows what it holds.
    ASSERT_TRUE(LoadSession(kIdA));
    TChartTab* Tab = MakeChart();
    ASSERT_NE(Tab, nullptr);
    EXPECT_EQ(Tab->sSessionId, kIdA);
    EXPECT_TRUE(Tab->rDataFilter.rStatement.IsEmpty());
    EXPECT_EQ(Tab->Chart->PointCount(), kRowsA);
}

// A stored title is whatever the file holds: a megabyte of it, with line breaks and markup, must not push
// the other tabs out of sight, nor be read as markup in the tooltip that shows it whole.
TEST_F(ChartTabsFixture, AHugeTitleIsCutInTheTabAndShownWholeInItsTooltip) {
    const QString sTitle = "<b>Line one</b>\nR&D " + QString(1 << 20, QLatin1Char('x'));
    TSessionInfo r;
    r.sReportID = "11111111-2222-3333-4444-555555555555";
    r.sShowTitle = sTitle;
    r.rLoudnessSetup.iScaleMode = kScaleLUFS;
    ASSERT_TRUE(Main.Ctrl.SQLConnection.InsertSession(r));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(Main.Ctrl.SQLConnection.InsertSessionData(r.sReportID, "1", 0, 1, IntOf(i), PeakOf(i),
                                                              -40, STMaxOf(i), 0, 0, TimeCode(i)));
    Main.DatabaseView->btnRefreshSessionsClick();
    ASSERT_TRUE(LoadSession(r.sReportID));
    ASSERT_EQ(Main.rSelectedSessionInfo.sShowTitle, sTitle);
    TChartTab* Tab = MakeChart();
    ASSERT_NE(Tab, nullptr);
    const int iIndex = Main.PageCtrl->indexOf(Tab);
    QTabBar* Bar = Main.PageCtrl->tabBar();
    const QString sCaption = Bar->tabText(iIndex);
    EXPECT_TRUE(sCaption.startsWith("<b>Line one</b> R&&D x")) << sCaption.toStdString();
    EXPECT_TRUE(sCaption.endsWith(QChar(0x2026))) << sCaption.toStdString();
    EXPECT_LE(Bar->fontMetrics().horizontalAdvance(QString(sCaption).replace("&&", "&")),
              TChartTabs::kMaxCaptionWidth);
    // The fixed tabs and the chart tab all fit in the bar.
    EXPECT_LE(Bar->tabRect(iIndex).right(), Bar->width());
    EXPECT_EQ(Main.PageCtrl->tabText(1), "Database");
    const QString sToolTip = Main.PageCtrl->tabToolTip(iIndex);
    EXPECT_TRUE(sToolTip.contains(sTitle.toHtmlEscaped())) << sToolTip.left(80).toStdString();
    EXPECT_FALSE(sToolTip.contains("<b>"));
    EXPECT_EQ(Tab->Chart->PointCount(), 3);
}

TEST_F(ChartTabsFixture, TheTabPopupClosesChartTabsOnlyAndNamesStayUnique) {
    TChartTab* First = MakeChart();
    TChartTab* Second = MakeChart();
    EXPECT_EQ(Second->objectName(), "tsChart4");
    EXPECT_EQ(Second->Tag, 2);

    // The fixed pages have no popup.
    RightClickTab(1);
    EXPECT_EQ(Main.PageCtrl->currentIndex(), 1);
    EXPECT_FALSE(Main.ChartTabs->popTab->isVisible());
    Main.ChartTabs->popTabClose->trigger();
    EXPECT_EQ(Main.PageCtrl->count(), 4);

    // A right click activates the first chart tab and offers "Close Tab".
    RightClickTab(2);
    EXPECT_EQ(Main.PageCtrl->currentWidget(), First);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Main.ChartTabs->popTab->isVisible(); }));
    EXPECT_EQ(Main.ChartTabs->popTabClose->text(), "Close Tab");
    Main.ChartTabs->popTabClose->trigger();
    Main.ChartTabs->popTab->hide();
    ASSERT_EQ(Main.PageCtrl->count(), 3);
    EXPECT_EQ(Main.PageCtrl->widget(2), Second);
    EXPECT_EQ(Second->Chart->PointCount(), kRowsA);
    EXPECT_EQ(Second->SnapshotRow(2).sValue, "Evening & News");

    // The page count would repeat the name of the tab still open.
    TChartTab* Third = MakeChart();
    EXPECT_EQ(Main.PageCtrl->count(), 4);
    EXPECT_NE(Third->objectName(), Second->objectName());
    EXPECT_EQ(Third->Tag, 3);
}

TEST_F(ChartTabsFixture, TheSnapshotStaysWithItsTabWhenAnotherSessionIsSelected) {
    TChartTab* Tab = MakeChart();
    ASSERT_TRUE(SelectSession(kIdEmpty));
    ASSERT_EQ(Main.sgDBSessionInfo->model()->index(1, 1).data().toString(), "Empty");
    EXPECT_EQ(Tab->SnapshotRow(2).sValue, "Evening & News");
    EXPECT_EQ(Tab->SnapshotRow(8).sValue, QString("Notes of ") + kIdA);
}

TEST_F(ChartTabsFixture, TheCopyItemPutsTheChartsPictureOnTheClipboard) {
    TChartTab* Tab = MakeChart();
    ASSERT_TRUE(qxtest::WaitFor([&] { return Tab->Chart->width() > 200; }));
    QGuiApplication::clipboard()->clear();
    Tab->btnChartExport->click();
    EXPECT_TRUE(qxtest::WaitFor([&] { return Tab->popExportChart->isVisible(); }));
    EXPECT_TRUE(Tab->popExportToPDF->isEnabled());
    EXPECT_TRUE(Tab->popExportToPDFFullPage->isEnabled());
    EXPECT_EQ(Tab->popCopyChartClipBrd->text(), "Copy chart to clipboard.");
    Tab->popCopyChartClipBrd->trigger();
    Tab->popExportChart->hide();
    const QImage Picture = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(Picture.isNull());
    EXPECT_EQ(Picture.size(), Tab->Chart->size());
    // The picture shows the chart: its frame at the edge and the gradient's light end at the bottom.
    EXPECT_EQ(Picture.pixelColor(0, Picture.height() / 2), ColorValueToQColor(clSystemColor + 3));
    EXPECT_GT(qGray(Picture.pixel(Picture.width() / 2, Picture.height() - 3)), 0xF0);
}

TEST_F(ChartTabsFixture, TheExportButtonStandsAboveThePlotAtTheTabsTopRight) {
    TChartTab* Tab = MakeChart();
    ASSERT_TRUE(qxtest::WaitFor([&] { return Tab->Chart->width() > 200; }));
    Tab->Chart->replot(QCustomPlot::rpImmediateRefresh);
    const QRect r = Tab->btnChartExport->geometry();
    EXPECT_EQ(r.size(), QSize(120, 33));
    EXPECT_EQ(r.top(), 8);
    EXPECT_EQ(Tab->width() - r.right() - 1, 8);
    EXPECT_EQ(Tab->btnChartExport->text(), "Export");
    // The button covers no part of the plot, nor of the chart.
    const QRect rOnChart(Tab->Chart->mapFrom(Tab->btnChartExport->parentWidget(), r.topLeft()), r.size());
    EXPECT_FALSE(rOnChart.intersects(Tab->Chart->axisRect()->rect()));
    EXPECT_FALSE(r.intersects(Tab->Chart->geometry()));
    EXPECT_EQ(Tab->Chart->geometry().left(), 8);
    EXPECT_EQ(Tab->Chart->geometry().top(), r.bottom() + 1 + 8);
    EXPECT_EQ(Tab->height() - Tab->Chart->geometry().bottom() - 1, 8);
}

// Each chart tab has a close button that closes that tab as its popup's "Close Tab" does; the fixed pages
// have none.
TEST_F(ChartTabsFixture, AChartTabsCloseButtonClosesThatTabOnly) {
    TChartTab* First = MakeChart();
    TChartTab* Second = MakeChart();
    QTabBar* Bar = Main.PageCtrl->tabBar();
    ASSERT_EQ(Main.PageCtrl->count(), 4);
    for (int i = 0; i < TChartTabs::kFixedPages; ++i) {
        EXPECT_EQ(Bar->tabButton(i, QTabBar::LeftSide), nullptr) << i;
        EXPECT_EQ(Bar->tabButton(i, QTabBar::RightSide), nullptr) << i;
    }
    const auto CloseButtonOf = [&](int iIndex) -> QWidget* {
        QWidget* btn = Bar->tabButton(iIndex, QTabBar::RightSide);
        return btn ? btn : Bar->tabButton(iIndex, QTabBar::LeftSide);
    };
    QWidget* btnFirst = CloseButtonOf(2);
    QWidget* btnSecond = CloseButtonOf(3);
    ASSERT_NE(btnFirst, nullptr);
    ASSERT_NE(btnSecond, nullptr);
    EXPECT_NE(btnFirst, btnSecond);
    EXPECT_EQ(btnFirst->toolTip(), "Close Tab");
    ASSERT_TRUE(qxtest::WaitFor([&] { return btnFirst->isVisible(); }));
    // The button sits on its own tab.
    EXPECT_TRUE(Bar->tabRect(2).contains(btnFirst->geometry().center()));

    // The second tab is active; the first one's button closes the first.
    ASSERT_EQ(Main.PageCtrl->currentWidget(), Second);
    QPointer<TChartTab> FirstAlive(First);
    Click(btnFirst, QRectF(btnFirst->rect()).center(), Qt::LeftButton);
    EXPECT_TRUE(FirstAlive.isNull());
    ASSERT_EQ(Main.PageCtrl->count(), 3);
    EXPECT_EQ(Main.PageCtrl->widget(2), Second);
    EXPECT_EQ(Second->Chart->PointCount(), kRowsA);
    EXPECT_EQ(Second->SnapshotRow(2).sValue, "Evening & News");
    EXPECT_EQ(CloseButtonOf(2), btnSecond);

    // In Danish the button names the same command.
    Main.iLNG = kLanguageDanish;
    Main.UpdateGUIStrings();
    EXPECT_EQ(btnSecond->toolTip(), GetText(238, kLanguageDanish));
    Click(btnSecond, QRectF(btnSecond->rect()).center(), Qt::LeftButton);
    EXPECT_EQ(Main.PageCtrl->count(), TChartTabs::kFixedPages);
    EXPECT_TRUE(Main.isEnabled());
}

TEST_F(ChartTabsFixture, TheChartWindowKeepsItsCaptionAndPlace) {
    Chart.sCaption = "Evening";
    Main.iLNG = kLanguageDanish;
    Main.UpdateGUIStrings();
    EXPECT_EQ(Chart.windowTitle(), "Diagram - Evening");

    TWindowPlacement rPlace{30, 40, 700, 500, 0, false, 0};
    Chart.ApplyPlacement(rPlace);
    TWindowPlacement rStored;
    Chart.StorePlacement(rStored);
    EXPECT_EQ(rStored.X, 30);
    EXPECT_EQ(rStored.Width, 700);
    EXPECT_FALSE(rStored.Maximized);
    // Maximized: only the flag is stored, the normal bounds stay as they were.
    Chart.ApplyPlacement({30, 40, 700, 500, 0, true, 0});
    TWindowPlacement rMax{1, 2, 3, 4, 0, false, 0};
    Chart.StorePlacement(rMax);
    EXPECT_TRUE(rMax.Maximized);
    EXPECT_EQ(rMax.X, 1);
    EXPECT_EQ(rMax.Height, 4);
}

TEST_F(ChartTabsFixture, AChartShowsTheRowsOfTheLastLoadFilteredOrNot) {
    // Peaks above -8 from 10:00:02:00 on: some of the rows, not all.
    TFilterOptions rFilter;
    rFilter.bEnableTCStart = true;
    rFilter.sTCStart = TimeCode(2);
    rFilter.bEnablePeakOver = true;
    rFilter.sPeakOver = "-8";
    const std::optional<TSQLFilter> Filter = BuildDataFilter(rFilter);
    ASSERT_TRUE(Filter.has_value());
    ASSERT_TRUE(Main.DatabaseView->LevelData().LoadDataToGrid(*Filter));
    const TLevelTable& Table = Main.DatabaseView->LevelData().LevelTable();
    const int iFiltered = Table.RowCount();
    ASSERT_GT(iFiltered, 0);
    ASSERT_LT(iFiltered, kRowsA);
    TChartTab* Filtered = MakeChart();
    std::vector<QString> aTable;
    for (int i = 0; i < iFiltered; ++i)
        aTable.push_back(Table.Model().Rows().Timecode(i));
    EXPECT_EQ(TimeCodes(Filtered->Chart), aTable);
    EXPECT_EQ(TimeCodes(Filtered->Chart).front(), TimeCode(2));

    // A double-click loads every row again; the earlier chart keeps what it showed.
    ASSERT_TRUE(LoadSession(kIdA));
    TChartTab* All = MakeChart();
    EXPECT_EQ(All->Chart->PointCount(), kRowsA);
    EXPECT_EQ(Filtered->Chart->PointCount(), iFiltered);
    EXPECT_TRUE(aMessages.empty());
}

} // namespace

namespace {

// What a chart shows, value by value: every series with its points, pen, axis and visibility, the axes'
// ranges, titles and visibility, and the legend's entries.
struct TChartState {
    struct TSeries {
        bool bVisible;
        QCPAxis* ValueAxis;
        QPen Pen;
        QString sName;
        std::vector<std::pair<double, double>> aPoints;
        bool operator==(const TSeries&) const = default;
    };
    struct TAxis {
        double fLower, fUpper;
        bool bVisible;
        QString sLabel;
        double fRotation;
        bool operator==(const TAxis&) const = default;
    };
    std::vector<TSeries> aSeries;
    std::vector<TAxis> aAxes;
    int iLegendItems;
    bool operator==(const TChartState&) const = default;
};

TChartState StateOf(TReviewChart* c) {
    TChartState s;
    for (int i = 0; i < c->graphCount(); ++i) {
        QCPGraph* g = c->graph(i);
        TChartState::TSeries r{g->visible(), g->valueAxis(), g->pen(), g->name(), {}};
        for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
            r.aPoints.emplace_back(it->key, it->value);
        s.aSeries.push_back(r);
    }
    for (QCPAxis* a : {c->xAxis, c->yAxis, c->yAxis2})
        s.aAxes.push_back(
            {a->range().lower, a->range().upper, a->visible(), a->label(), a->tickLabelRotation()});
    s.iLegendItems = c->legend->itemCount();
    return s;
}

// Pixels near colour cl (smoothed lines blend into the background) in the chart's upper part, above the
// legend.
int PixelsOf(const QImage& Picture, const QColor& cl) {
    int n = 0;
    for (int y = 0; y < Picture.height() * 2 / 3; ++y)
        for (int x = 0; x < Picture.width(); ++x) {
            const QColor p = Picture.pixelColor(x, y);
            n += std::abs(p.red() - cl.red()) + std::abs(p.green() - cl.green()) +
                     std::abs(p.blue() - cl.blue()) <
                 120;
        }
    return n;
}

} // namespace

TEST_F(ChartTabsFixture, ThePDFPictureKeepsTheChartOnScreenAsItWas) {
    rOptions.bCursor1Enable = true;
    rOptions.fCursor1 = -23;
    rOptions.clCursor1Color = clPurple;
    rOptions.bCursor1Visible = true;
    rOptions.bRightAxisAutoScale = false;
    rOptions.fRightAxisMin = -50;
    rOptions.fRightAxisMax = 5;
    TChartTab* Tab = MakeChart();
    TReviewChart* c = Tab->Chart;
    ASSERT_TRUE(qxtest::WaitFor([&] { return c->width() > 200; }));
    // The user hides the short-term series.
    ClickLegendOf(c, TReviewChart::kSeriesSTMax);
    ASSERT_FALSE(c->graph(TReviewChart::kSeriesSTMax)->visible());

    const TChartState Before = StateOf(c);
    const QImage ScreenBefore = c->ChartPicture();
    const QImage Picture = c->PDFPicture(QSize(1450, 850));
    EXPECT_EQ(StateOf(c), Before);
    c->replot(QCustomPlot::rpImmediateRefresh);
    EXPECT_EQ(StateOf(c), Before);
    EXPECT_EQ(c->ChartPicture(), ScreenBefore);

    if (qEnvironmentVariableIsSet("QX_SAVE_PICTURE"))
        Picture.save(qEnvironmentVariable("QX_SAVE_PICTURE"));
    ASSERT_EQ(Picture.size(), QSize(1450, 850));
    EXPECT_EQ(Picture.format(), QImage::Format_RGB888);
    // A black frame, a white background.
    for (const QPoint p : {QPoint(0, 0), QPoint(1449, 425), QPoint(725, 849), QPoint(0, 849)})
        EXPECT_EQ(Picture.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    EXPECT_EQ(Picture.pixelColor(3, 3), QColor(Qt::white));
    // Shown series are drawn, the hidden one is not.
    EXPECT_GT(PixelsOf(Picture, ColorValueToQColor(rOptions.clPeakColor)), 100);
    EXPECT_GT(PixelsOf(Picture, ColorValueToQColor(clPurple)), 100);
    EXPECT_EQ(PixelsOf(Picture, ColorValueToQColor(rOptions.clSTMaxColor)), 0);
}

TEST_F(ChartTabsFixture, ThePDFItemsWriteTheTabsSessionAndOpenTheFile) {
    QTemporaryDir Dir;
    QString sAnswer;
    std::vector<TSaveFileRequest> aRequests;
    std::vector<QString> aOpened;
    Main.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest& r) {
        aRequests.push_back(r);
        return sAnswer;
    });
    Main.ExportMenu->SetOpenFile([&](const QString& sFile) { aOpened.push_back(sFile); }, 10);
    Main.Ctrl.Settings.rPDFOptions.sHeadline = "%TITLE% headline";
    rOptions.bCursor2Enable = true;
    TChartTab* Tab = MakeChart();
    ASSERT_TRUE(qxtest::WaitFor([&] { return Tab->Chart->width() > 200; }));
    const TChartState Before = StateOf(Tab->Chart);
    // Another session is selected: the documents still describe the tab's.
    ASSERT_TRUE(SelectSession(kIdEmpty));

    struct TCase {
        QAction* Item;
        bool bSessionInfo;
        bool bNotes;  // only the side panel prints the notes
        bool bTables; // the full page leaves its table out when the option is off
    };
    for (const TCase& c : {TCase{Tab->popExportToPDF, false, true, true},
                           TCase{Tab->popExportToPDFFullPage, true, false, true},
                           TCase{Tab->popExportToPDFFullPage, false, false, false}}) {
        SCOPED_TRACE(c.Item->text().toStdString() + (c.bSessionInfo ? " with" : " without"));
        Main.Ctrl.Settings.rPDFOptions.bChartSessionInfo = c.bSessionInfo;
        sAnswer = Dir.filePath(QString("chart%1.pdf").arg(aRequests.size()));
        c.Item->trigger();
        ASSERT_FALSE(aRequests.empty());
        EXPECT_EQ(aRequests.back().sProposedName, "Evening & News");
        EXPECT_EQ(aRequests.back().sTitle, "Please select a filename.");
        EXPECT_EQ(aRequests.back().sDefaultSuffix, "PDF");
        ASSERT_TRUE(QFile::exists(sAnswer));
        EXPECT_TRUE(qxtest::WaitFor([&] { return !aOpened.empty() && aOpened.back() == sAnswer; }));
        EXPECT_TRUE(Main.isEnabled());
        EXPECT_FALSE(Wait.isVisible());
        EXPECT_TRUE(aMessages.empty());
        const QString sText = qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"});
        EXPECT_TRUE(sText.contains("Evening & News headline")) << sText.toStdString();
        // The notes run past the page edge beyond their first words.
        EXPECT_EQ(sText.contains("Notes of 0A1B"), c.bNotes);
        EXPECT_EQ(sText.contains("Show Title.:"), c.bTables);
        EXPECT_EQ(sText.contains("Empty"), false);
        EXPECT_TRUE(qxtest::RunTool("pdfinfo", {sAnswer}).contains("Evening & News"));
        EXPECT_EQ(StateOf(Tab->Chart), Before);
    }
}

TEST_F(ChartTabsFixture, APDFThatCannotBeWrittenIsToldAndNotOpened) {
    QTemporaryDir Dir;
    std::vector<QString> aOpened;
    int iAsked = 0;
    QString sAnswer = Dir.filePath("no-such-folder/chart.pdf");
    Main.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest&) {
        ++iAsked;
        return sAnswer;
    });
    Main.ExportMenu->SetOpenFile([&](const QString& sFile) { aOpened.push_back(sFile); }, 10);
    TChartTab* Tab = MakeChart();
    const TChartState Before = StateOf(Tab->Chart);
    Tab->popExportToPDFFullPage->trigger();
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_EQ(aMessages[0], "File Access Denied, please select another filename.");
    EXPECT_TRUE(Main.isEnabled());
    EXPECT_FALSE(Wait.isVisible());
    EXPECT_EQ(StateOf(Tab->Chart), Before);

    // Cancelling the dialog writes nothing and says nothing.
    sAnswer.clear();
    Tab->popExportToPDF->trigger();
    EXPECT_EQ(iAsked, 2);
    EXPECT_EQ(aMessages.size(), 1u);
    qxtest::WaitFor([] { return false; }, 50);
    EXPECT_TRUE(aOpened.empty());
}

namespace {

// Pixels of the target band's pale green in a picture: greener than they are red or blue, and light.
int BandPixelsOf(const QImage& Picture) {
    int n = 0;
    for (int y = 0; y < Picture.height(); ++y)
        for (int x = 0; x < Picture.width(); ++x) {
            const QColor p = Picture.pixelColor(x, y);
            n += p.red() >= 180 && p.green() - p.red() >= 15 && p.green() - p.blue() >= 10;
        }
    return n;
}

TEST_F(ChartTabsFixture, TheTargetBandAndThePeakLimitStandInTheChartsUnits) {
    constexpr int kFilterLEQM = 2;
    constexpr int kScaleLU = 0;
    struct TCase {
        const char* sName;
        const char* sId;
        int iScaleMode;
        int iFilter;
        double fReferenceLevel;
        // The session's own target; none: the program's default (EBU R128).
        std::optional<TLoudnessStandard> rOwn;
        bool bBand;
        double fLow, fHigh, fLimit;
        QStringList slLegend;
        const char* sPDFLine;
    };
    const TLoudnessStandard rStreaming{TStandardId::Custom, -16.0, 1.0, -2.0, true};
    const TCase aCases[] = {
        {"LUFS, the default target",
         "11111111-0000-0000-0000-000000000001",
         kScaleLUFS,
         kFilterKFilter,
         -23.0,
         std::nullopt,
         true,
         -23.5,
         -22.5,
         -1.0,
         {"EBU R128 target -23.0 ± 0.5 ( LUFS ).", "Max. true peak -1.0 ( dBTP )."},
         "Target.: EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP"},
        {"LU: the band moves to the reference level, the peak limit stays in dBTP",
         "11111111-0000-0000-0000-000000000002",
         kScaleLU,
         kFilterKFilter,
         -23.0,
         rStreaming,
         true,
         6.0,
         8.0,
         -2.0,
         {"Custom target 7.0 ± 1.0 ( LU ).", "Max. true peak -2.0 ( dBTP )."},
         "Target.: Custom -16.0 LUFS ± 1.0 LU, max. -2.0 dBTP"},
        {"LU with another reference level",
         "11111111-0000-0000-0000-000000000003",
         kScaleLU,
         kFilterKFilter,
         -18.0,
         std::nullopt,
         true,
         -5.5,
         -4.5,
         -1.0,
         {"EBU R128 target -5.0 ± 0.5 ( LU ).", "Max. true peak -1.0 ( dBTP )."},
         "Target.: EBU R128 -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP"},
        {"not K-Filter: no band, and the legend says why",
         "11111111-0000-0000-0000-000000000004",
         kScaleLUFS,
         kFilterLEQM,
         -23.0,
         std::nullopt,
         false,
         0,
         0,
         -1.0,
         {"No target band: filter LEQM, not K-Filter", "Max. true peak -1.0 ( dBTP )."},
         "No target band: filter LEQM, not K-Filter"},
    };
    TdbSQLite& DB = Main.Ctrl.SQLConnection;
    TComplianceStore Compliance(DB);
    for (const TCase& c : aCases) {
        TSessionInfo r;
        r.sReportID = c.sId;
        r.sShowTitle = c.sName;
        r.rLoudnessSetup.iScaleMode = c.iScaleMode;
        r.rLoudnessSetup.iFilter = c.iFilter;
        r.rLoudnessSetup.iPeakMode = kPeakModeTruePeak;
        r.rLoudnessSetup.fReferenceLevel = c.fReferenceLevel;
        ASSERT_TRUE(DB.InsertSession(r));
        for (int i = 0; i < kRowsA; ++i)
            ASSERT_TRUE(DB.InsertSessionData(c.sId, "1", 0, 1, IntOf(i), PeakOf(i), -40, STMaxOf(i), 0, 0,
                                             TimeCode(i)));
        if (c.rOwn) {
            ASSERT_TRUE(Compliance.WriteSessionTarget(c.sId, *c.rOwn)) << qPrintable(Compliance.LastError());
        }
    }
    Main.DatabaseView->DatabaseOpened();

    QTemporaryDir Dir;
    QString sAnswer;
    Main.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest&) { return sAnswer; });
    Main.ExportMenu->SetOpenFile([](const QString&) {}, 10);
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        ASSERT_TRUE(LoadSession(c.sId));
        TChartTab* Tab = MakeChart();
        ASSERT_NE(Tab, nullptr);
        TReviewChart* Chart = Tab->Chart;
        EXPECT_EQ(Chart->TargetLegendTexts(), c.slLegend);
        ASSERT_NE(Chart->PeakLimitLine, nullptr);
        EXPECT_DOUBLE_EQ(Chart->PeakLimitLine->point1->coords().y(), c.fLimit);
        EXPECT_DOUBLE_EQ(Chart->PeakLimitLine->point2->coords().y(), c.fLimit);
        EXPECT_EQ(Chart->PeakLimitLine->point1->valueAxis(), Chart->yAxis2);
        ASSERT_EQ(Chart->TargetBand != nullptr, c.bBand);
        if (c.bBand) {
            EXPECT_DOUBLE_EQ(Chart->TargetBand->topLeft->coords().y(), c.fHigh);
            EXPECT_DOUBLE_EQ(Chart->TargetBand->bottomRight->coords().y(), c.fLow);
            EXPECT_EQ(Chart->TargetBand->topLeft->valueAxis(), Chart->yAxis);
            EXPECT_TRUE(Chart->TargetBand->visible());
        }

        // The printed chart shows the band (the integrated curve, green itself, hidden) and the document
        // names the target in words.
        ASSERT_TRUE(qxtest::WaitFor([&] { return Chart->width() > 200; }));
        ClickLegendOf(Chart, TReviewChart::kSeriesIntegrating);
        const QImage Picture = Chart->PDFPicture(QSize(1450, 850));
        if (c.bBand) {
            EXPECT_GT(BandPixelsOf(Picture), 10000);
        } else {
            EXPECT_EQ(BandPixelsOf(Picture), 0);
        }
        sAnswer = Dir.filePath(QString(c.sId) + ".pdf");
        Tab->popExportToPDF->trigger();
        const QString sText = qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"});
        EXPECT_TRUE(sText.contains(QString::fromUtf8(c.sPDFLine))) << sText.toStdString();
        ClickLegendOf(Chart, TReviewChart::kSeriesIntegrating);

        // With no loudness series shown the peak takes the left axis: the band goes, the line follows the
        // peak series; the line goes with the peak series.
        ClickLegendOf(Chart, TReviewChart::kSeriesIntegrating);
        ClickLegendOf(Chart, TReviewChart::kSeriesSTMax);
        EXPECT_EQ(Chart->PeakLimitLine->point1->valueAxis(), Chart->yAxis);
        EXPECT_TRUE(Chart->PeakLimitLine->visible());
        if (c.bBand) {
            EXPECT_FALSE(Chart->TargetBand->visible());
        }
        ClickLegendOf(Chart, TReviewChart::kSeriesPeak);
        EXPECT_FALSE(Chart->PeakLimitLine->visible());
        for (int iSeries :
             {TReviewChart::kSeriesPeak, TReviewChart::kSeriesIntegrating, TReviewChart::kSeriesSTMax})
            ClickLegendOf(Chart, iSeries);
        EXPECT_EQ(Chart->PeakLimitLine->point1->valueAxis(), Chart->yAxis2);
        EXPECT_TRUE(Chart->PeakLimitLine->visible());
        if (c.bBand) {
            EXPECT_TRUE(Chart->TargetBand->visible());
        }
    }
}

} // namespace
