// At the window's default size, in English and in Danish, both tabs show every caption, label and grid
// value whole. Each text is measured with the font it is drawn in against the room its widget or cell
// gives it; the window is filled as a session fills it, through the controller's own handlers.
#include "app/FormMain.h"
#include "core/EngineCodes.h"
#include "core/TextTable.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "dialogs/SessionTexts.h"
#include "dialogs/VisualStyle.h"
#include "engine/EngineMessages.h"
#include "engine/InfoGrid.h"
#include "engine/LiveLoggingView.h"
#include "review/SessionListModel.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// What a grid cell's text needs beside it: its indent, the frame and the white border around the cell.
constexpr int kCellTextMargin = 8;

struct TStatusCase {
    int iEvent;
    int iEntry;
};

class DefaultSizeTest : public ::testing::Test {
protected:
    // The program's own look, whose buttons and frames the layout has to make room for.
    static void SetUpTestSuite() { ApplyVisualStyle(); }

    DefaultSizeTest() {
        frmMain.MessageBox->SetResponder([](const TMessageBoxRequest&) { return kMsgResultOK; });
        Windows.frmMain = &frmMain;
        Windows.frmWait = new TfrmWait(&frmMain);
        frmMain.SetWindows(Windows);
        Windows.frmWait->SetLanguage(&frmMain.iLNG);
        Sessions.AddSession({"Evening News", "EN-2291", "M. Holm", "HD 1080i/25", "Studio 2, live",
                             QDateTime(QDate(2026, 12, 10), QTime(19, 0)),
                             "qxMeter Q5 Desk|220|10432|0|2.14|1.36|3.02|"},
                            120);
        // A title longer than the list shows: cut, with the date beside it.
        Sessions.AddSession({"Evening News with the Weather", "EN-2292", "M. Holm", "HD 1080i/25", "",
                             QDateTime(QDate(2026, 12, 28), QTime(23, 59, 58)),
                             "qxMeter Q5 Desk|220|10432|"});
        frmMain.show();
        EXPECT_TRUE(qxtest::WaitFor([&] { return frmMain.isVisible(); }));
        EXPECT_TRUE(frmMain.Ctrl.SQLConnection.OpenSQLiteDB(Sessions.Path()));
        frmMain.SetMainGUI(kGUIDatabase);
        frmMain.DatabaseView->DatabaseOpened();
        FeedSession();
    }

    void Feed(int iCode, const QString& sText) {
        frmMain.Ctrl.UDPUDPRead(EncodeEngineDatagram(iCode, sText));
    }

    // A meter with the longest model name connects and logs one record with a peak.
    void FeedSession() {
        TSettings& rSettings = frmMain.Ctrl.Settings;
        rSettings.bAskForSessionInfo = false;
        TInstrumentInfo& rActive = rSettings.rActiveNetworkCFG;
        rActive.bComPort = true;
        rActive.iPort = 3;
        rActive.bValid = true;
        TMainController& Ctrl = frmMain.Ctrl;
        Ctrl.HandleEngineEvent(kEventConnecting);
        Feed(kMessageInstrumentInfo, "qxMeter Q5 Desk Surround|26|10432||0|0|14|1|36|3|");
        Feed(kMessageInstrumentName, "qxMeter Q5 Desk Surround");
        Feed(kMessageSerialNumber, "10432");
        Ctrl.HandleEngineEvent(kEventConnected);
        Ctrl.HandleEngineEvent(kEventReady);
        SetSessionTexts(Ctrl.rSessionInfo,
                        {"Evening News", "EN-2291", "M. Holm", "HD 1080i/25", "Studio 2, live"});
        frmMain.LoggingView->btnStartLogClick();
        Ctrl.HandleEngineEvent(kEventLoggingStarted);
        // Capture "Auto Resume", window "10 Seconds": the widest names of their lists.
        Feed(kMessageLoudnessSetup, "1|1|1|1|2|-18|1|-23|-1|1|");
        Ctrl.HandleEngineEvent(kEventLogging);
        Feed(kMessageLevelRecord, "19:19:59:00|-1|-70|-23.9|-30.4|-11.2|2|2|-23.2|3|-1|");
    }

    void SetLanguage(int iLNG) {
        frmMain.iLNG = iLNG;
        frmMain.UpdateGUIStrings();
        // The session's levels and statistics, loaded again after the labels changed.
        frmMain.DatabaseView->sgSessionsSelectCell(RowOfTitle("Evening News"));
        frmMain.DatabaseView->sgSessionsDblClick();
        frmMain.resize(rDefault.Width, rDefault.Height);
        QCoreApplication::processEvents();
    }

    // Every grid, button, label and tab caption of the page: whole where it stands, and the page whole
    // in the window.
    void ExpectPageWhole(QWidget* Page) {
        SCOPED_TRACE(Page->objectName().toStdString());
        frmMain.PageCtrl->setCurrentWidget(Page);
        QCoreApplication::processEvents();
        EXPECT_EQ(frmMain.width(), rDefault.Width);
        EXPECT_EQ(frmMain.height(), rDefault.Height);
        // Nothing the page lays out reaches past its edges.
        for (QWidget* w : Page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!w->isWindow() && !w->isHidden()) {
                EXPECT_TRUE(Page->rect().contains(w->geometry())) << w->metaObject()->className();
            }
        }
        for (TInfoGrid* Grid : Page->findChildren<TInfoGrid*>())
            ExpectGridWhole(*Grid);
        if (Page == frmMain.DatabaseView)
            ExpectSessionListWhole(*frmMain.sgSessions);
        for (QAbstractButton* Button : Page->findChildren<QAbstractButton*>()) {
            if (Button->isHidden() || Button->text().isEmpty())
                continue;
            EXPECT_GE(Button->width(), Button->sizeHint().width()) << Button->text().toStdString();
        }
        for (QLabel* Label : Page->findChildren<QLabel*>()) {
            // A dialog the page owns lays out its labels when it opens.
            if (Label->text().isEmpty() || Label->wordWrap() || Label->window() != &frmMain)
                continue;
            EXPECT_LE(Label->fontMetrics().horizontalAdvance(Label->text()), Label->contentsRect().width())
                << Label->text().toStdString();
        }
        QTabBar* Tabs = frmMain.PageCtrl->tabBar();
        // A caption with the tab's frame and padding on either side.
        for (int i = 0; i < Tabs->count(); ++i)
            EXPECT_LE(Tabs->fontMetrics().horizontalAdvance(Tabs->tabText(i)) + 16, Tabs->tabRect(i).width())
                << Tabs->tabText(i).toStdString();
    }

    static void ExpectGridWhole(TInfoGrid& Grid) {
        SCOPED_TRACE(Grid.Cell(0, 0).toStdString());
        for (int iRow = 0; iRow < Grid.rowCount(); ++iRow) {
            // Row 0 is one title across both columns.
            for (int iCol = 0; iCol < (iRow == 0 ? 1 : Grid.columnCount()); ++iCol) {
                const QString sShown = Grid.ShownText(iRow, iCol);
                if (sShown.isEmpty())
                    continue;
                const QModelIndex Index = Grid.model()->index(iRow, iCol);
                const QVariant vFont = Index.data(Qt::FontRole);
                const QFont Font = vFont.canConvert<QFont>() ? vFont.value<QFont>() : Grid.font();
                const QRect rCell = Grid.visualRect(Index);
                EXPECT_LE(QFontMetrics(Font).horizontalAdvance(sShown) + kCellTextMargin, rCell.width())
                    << iRow << "," << iCol << " " << sShown.toStdString();
                EXPECT_LE(rCell.right(), Grid.viewport()->width() - 1) << iRow << "," << iCol;
            }
        }
    }

    int RowOfTitle(const QString& sTitle) const {
        const QAbstractItemModel* Model = frmMain.sgSessions->model();
        for (int iRow = 0; iRow < Model->rowCount(); ++iRow)
            if (Model->index(iRow, TSessionListModel::kColDisplayTitle).data().toString() == sTitle)
                return iRow;
        return -1;
    }

    // Each title (8 points) after its verdict mark, with its date beside it (6 points, bold), indented 5
    // from the left and 3 from the right inside the cell's frame, with a gap between them.
    static void ExpectSessionListWhole(QTableView& List) {
        QFont Title = List.font();
        Title.setPointSize(8);
        QFont Date = List.font();
        Date.setPointSize(6);
        Date.setBold(true);
        const QAbstractItemModel* Model = List.model();
        ASSERT_GT(Model->rowCount(), 0);
        for (int iRow = 0; iRow < Model->rowCount(); ++iRow) {
            const QString sTitle = Model->index(iRow, TSessionListModel::kColDisplayTitle).data().toString();
            const QString sDate = Model->index(iRow, TSessionListModel::kColDateTime).data().toString();
            const int iNeeded = 2 + TSessionListModel::kMarkRoom + 5 +
                                QFontMetrics(Title).horizontalAdvance(sTitle) + 6 +
                                QFontMetrics(Date).horizontalAdvance(sDate) + 3 + 2;
            EXPECT_LE(iNeeded,
                      List.visualRect(Model->index(iRow, TSessionListModel::kColDisplayTitle)).width())
                << sTitle.toStdString() << " " << sDate.toStdString();
        }
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TSessionDatabase Sessions;
    TfrmMain frmMain;
    TAppWindows Windows;
    const TWindowPlacement rDefault;
};

} // namespace

TEST_F(DefaultSizeTest, BothTabsShowEveryTextWholeInEitherLanguage) {
    // The instrument's states the operator sees while connecting and logging.
    const TStatusCase Statuses[] = {{kEventConnecting, kTxtConnecting},
                                    {kEventReady, kTxtReadyForLogging},
                                    {kEventLoggingStarted, kTxtLoggingStarted},
                                    {kEventLogging, kTxtLogging},
                                    {kEventConnectionClosed, kTxtDisconnected}};
    for (const int iLNG : {kLanguageEnglish, kLanguageDanish}) {
        SCOPED_TRACE(iLNG);
        SetLanguage(iLNG);
        ASSERT_FALSE(frmMain.DatabaseView->sgDBLoudnessMax->Cell(1, 1).isEmpty());
        EXPECT_LE(frmMain.minimumSizeHint().width(), rDefault.Width);
        EXPECT_LE(frmMain.minimumSizeHint().height(), rDefault.Height);
        ExpectPageWhole(frmMain.DatabaseView);
        for (const TStatusCase& c : Statuses) {
            frmMain.Ctrl.HandleEngineEvent(c.iEvent);
            QCoreApplication::processEvents();
            ASSERT_EQ(frmMain.LoggingView->sgInstrumentInfo->Cell(4, 1), GetText(c.iEntry, iLNG));
            ExpectPageWhole(frmMain.LoggingView);
        }
    }
}

// A value longer than any room the window can give (a network meter's own name, a wait for a timecode)
// ends in an ellipsis; its tooltip shows it whole, and a value that fits gets no tooltip of its own.
TEST_F(DefaultSizeTest, ATextTooLongForItsCellShowsWholeInItsTooltip) {
    SetLanguage(kLanguageEnglish);
    frmMain.PageCtrl->setCurrentWidget(frmMain.LoggingView);
    QCoreApplication::processEvents();
    TInfoGrid* Grid = frmMain.LoggingView->sgInstrumentInfo;
    const QString sLong = "Studio B <loudness> meter by the mixing desk, second floor & annex";
    Grid->SetCell(1, 1, sLong);
    const auto ToolTipAt = [&](int iRow) {
        QToolTip::hideText();
        EXPECT_TRUE(qxtest::WaitFor([] { return !QToolTip::isVisible(); }));
        const QPoint Pos = Grid->visualRect(Grid->model()->index(iRow, 1)).center();
        QHelpEvent Event(QEvent::ToolTip, Pos, Grid->viewport()->mapToGlobal(Pos));
        QCoreApplication::sendEvent(Grid->viewport(), &Event);
        return QToolTip::isVisible() ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText()
                                     : QString();
    };
    EXPECT_EQ(ToolTipAt(1), sLong);
    // The serial number fits.
    EXPECT_EQ(ToolTipAt(2), QString());
    QToolTip::hideText();
}
