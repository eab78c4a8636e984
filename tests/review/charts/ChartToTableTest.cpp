#include "core/TextTable.h"
#include "review/ChartTableLink.h"
#include "review/LevelFilter.h"
#include "tests/review/charts/ChartWindows.h"
#include "tests/support/ExportTestSupport.h"
#include "tests/support/SessionDatabase.h"
#include "tests/support/TestSupport.h"

#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// A night's programme across midnight: 23:59:30:00 to 00:00:29:00.
constexpr int kNightRows = 60;
// A week of the same 20 timecodes a day, 10:00:00:00 to 10:00:19:00.
constexpr int kWeekDayRows = 20;
constexpr int kWeekRows = 7 * kWeekDayRows;

QString NightTimecode(int i) {
    const int s = (86400 - 30 + i) % 86400;
    return QString::asprintf("%02d:%02d:%02d:00", s / 3600, s / 60 % 60, s % 60);
}
QString WeekTimecode(int i) {
    return QString::asprintf("10:00:%02d:00", i % kWeekDayRows);
}
// Levels that differ from row to row, so that sorting by them mixes the rows.
double PeakOf(int i) {
    return -20.0 + (i * 7 % 13);
}

// The program's main window on a database with the two sessions, their rows stored interleaved as two
// meters logging at once store them: a session's rows do not have consecutive row numbers.
class ChartToTableFixture : public ::testing::Test {
protected:
    void SetUp() override {
        const QDateTime dtStamp(QDate(2026, 3, 1), QTime(23, 0));
        sNight = Store.AddSession({"Night News", "7", "Op", "HD", "", dtStamp, "", {}});
        sWeek = Store.AddSession({"Week Loop", "8", "Op", "HD", "", dtStamp, "", {}});
        for (int i = 0; i < kWeekRows; ++i) {
            if (i < kNightRows) {
                ASSERT_TRUE(Store.Db.InsertSessionData(sNight, "1", 0, 1, -23, PeakOf(i), -30, -20, 0, 0,
                                                       NightTimecode(i)));
            }
            ASSERT_TRUE(Store.Db.InsertSessionData(sWeek, "1", 0, 1, -23, PeakOf(i), -30, -20, 0, 0,
                                                   WeekTimecode(i)));
        }
        ASSERT_TRUE(Main.Ctrl.SQLConnection.OpenSQLiteDB(Store.Path()));
        Main.SetMainGUI(kGUIDatabase);
        Main.DatabaseView->DatabaseOpened();
    }

    bool SelectSession(const QString& sId) { return Windows.SelectSession(sId); }

    // Selects a session and double-clicks it in the list: all its rows.
    bool LoadSession(const QString& sId) {
        if (!SelectSession(sId))
            return false;
        Main.DatabaseView->sgSessionsDblClick();
        return Table().SessionId() == sId;
    }

    // Loads the selected session's rows whose peak is at or above fPeak, as the filter dialog does.
    bool LoadPeakAtOrAbove(double fPeak) {
        TFilterOptions o;
        o.bEnablePeakOver = true;
        o.sPeakOver = QString::number(fPeak, 'f', 1);
        return Main.DatabaseView->LevelData().LoadDataToGrid(TDataFilter(*BuildDataFilter(o), o));
    }

    // A chart of the level table's rows, on screen.
    TChartTab* MakeChart() {
        Main.btnChart->click();
        auto* Tab = qobject_cast<TChartTab*>(Main.PageCtrl->currentWidget());
        if (Tab)
            qxtest::WaitFor([Tab] { return Tab->Chart->width() > 200; });
        return Tab;
    }

    const TLevelTable& Table() { return Main.DatabaseView->LevelData().LevelTable(); }

    // The data row (recorded order) of the table's current row.
    int CurrentDataRow() {
        const QModelIndex Current = Main.sgDBData->currentIndex();
        return Current.isValid() ? Table().Model().DataRow(Current.row()) : -1;
    }

    qxtest::TFreshConfigHome Home;
    qxtest::TChartWindows Windows;
    TfrmMain& Main = Windows.Main;
    std::vector<QString>& aMessages = Windows.aMessages;
    qxtest::TSessionDatabase Store;
    QString sNight;
    QString sWeek;
};

TEST_F(ChartToTableFixture, FilterToRangeLoadsExactlyTheRowsTheChartShows) {
    struct TCase {
        const char* sName;
        bool bNight;
        // The chart is made of the rows with a peak at or above this level when it is above -100.
        double fChartPeakFilter;
        // The visible rows; a negative first row leaves the whole session in view.
        int iFrom;
        int iTo;
        // The table shows the other session when the button is pressed.
        bool bOtherSessionShown;
    };
    const TCase aCases[] = {
        {"across midnight", true, -100, 20, 39, false},
        {"repeated timecodes", false, -100, 25, 84, false},
        {"whole week", false, -100, -1, -1, false},
        {"another session shown", true, -100, 5, 44, true},
        {"chart of filtered rows", false, -14, 12, 40, false},
    };
    QTemporaryDir CSVDir;
    int iCSV = 0;
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sSession = c.bNight ? sNight : sWeek;
        ASSERT_TRUE(LoadSession(sSession));
        if (c.fChartPeakFilter > -100) {
            ASSERT_TRUE(LoadPeakAtOrAbove(c.fChartPeakFilter));
        }
        TChartTab* Tab = MakeChart();
        ASSERT_NE(Tab, nullptr);
        TReviewChart* Chart = Tab->Chart;
        if (c.iFrom >= 0)
            Chart->ZoomTo(c.iFrom, c.iTo);
        const int iFirst = Chart->TimeAxis().FirstVisibleRow();
        const int iLast = Chart->TimeAxis().LastVisibleRow();
        ASSERT_EQ(iFirst, std::max(c.iFrom, 0));
        ASSERT_EQ(iLast, c.iFrom >= 0 ? c.iTo : Chart->PointCount() - 1);
        if (c.bOtherSessionShown) {
            ASSERT_TRUE(LoadSession(c.bNight ? sWeek : sNight));
        }

        Tab->btnFilterToRange->click();

        EXPECT_TRUE(aMessages.empty()) << aMessages.front().toStdString();
        EXPECT_EQ(Main.PageCtrl->currentWidget(), Main.tabDB);
        EXPECT_EQ(Main.rSelectedSessionInfo.sReportID, sSession);
        ASSERT_EQ(Table().SessionId(), sSession);
        // The table holds the chart's visible rows, one for one.
        const int iRows = iLast - iFirst + 1;
        ASSERT_EQ(Table().RowCount(), iRows);
        for (int i = 0; i < iRows; ++i)
            ASSERT_EQ(Table().Model().Rows().Timecode(i), Chart->PointLabel(iFirst + i)) << i;
        // The filter names the run, and the chart's own condition with it.
        const QString sRun = QString("Charted rows from %1 to %2 (%3 rows)")
                                 .arg(Chart->PointLabel(iFirst), Chart->PointLabel(iLast))
                                 .arg(iRows);
        const QStringList slTexts = Table().DataFilterTexts(kLanguageEnglish);
        ASSERT_FALSE(slTexts.isEmpty());
        EXPECT_EQ(slTexts.front(), sRun);
        EXPECT_EQ(slTexts.size(), c.fChartPeakFilter > -100 ? 2 : 1);
        // The CSV file names it on its filter line.
        const QString sCSV = CSVDir.filePath(QString("range%1.csv").arg(++iCSV));
        Main.ExportMenu->SetAskSaveFileName([&sCSV](const TSaveFileRequest&) { return sCSV; });
        Main.ExportMenu->popExportCSV->trigger();
        QFile CSV(sCSV);
        ASSERT_TRUE(CSV.open(QIODevice::ReadOnly));
        const QStringList slLines = QString::fromUtf8(CSV.readAll()).split(QRegularExpression("\r?\n"));
        const auto FilterLine = std::find_if(slLines.begin(), slLines.end(), [](const QString& sLine) {
            return sLine.contains("Data Filter.:");
        });
        ASSERT_NE(FilterLine, slLines.end());
        EXPECT_TRUE(FilterLine->contains(sRun)) << FilterLine->toStdString();
        auto* lblDataFilter = Main.DatabaseView->lblDataFilter;
        EXPECT_TRUE(lblDataFilter->isVisibleTo(Main.DatabaseView));
        EXPECT_TRUE(lblDataFilter->text().contains(sRun)) << lblDataFilter->text().toStdString();
        // The chart stays as the user left it.
        EXPECT_EQ(Chart->TimeAxis().FirstVisibleRow(), iFirst);
        EXPECT_EQ(Chart->TimeAxis().LastVisibleRow(), iLast);
        aMessages.clear();
    }
}

TEST_F(ChartToTableFixture, ADoubleClickedPointBecomesTheTablesCurrentRowWhereverTheSortShowsIt) {
    enum class TTableState { ChartRows, SortedByPeak, OtherSession, FilterWithoutTheRow, RunWithTheRow };
    struct TCase {
        const char* sName;
        bool bNight;
        int iPoint;
        TTableState eState;
        // The row's place among the rows the table shows afterwards, in recorded order.
        int iDataRow;
        // The table shows the chart's rows afterwards, not a filter of them.
        bool bChartRows;
    };
    const TCase aCases[] = {
        {"the chart's rows", true, 33, TTableState::ChartRows, 33, true},
        {"sorted by peak", false, 97, TTableState::SortedByPeak, 97, true},
        {"another session shown", true, 41, TTableState::OtherSession, 41, true},
        {"a filter without the row", false, 64, TTableState::FilterWithoutTheRow, 64, true},
        {"a run of charted rows with the row", false, 64, TTableState::RunWithTheRow, 64 - 50, false},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sSession = c.bNight ? sNight : sWeek;
        ASSERT_TRUE(LoadSession(sSession));
        TChartTab* Tab = MakeChart();
        ASSERT_NE(Tab, nullptr);
        switch (c.eState) {
        case TTableState::ChartRows:
            break;
        case TTableState::SortedByPeak: {
            const int iColumn = int(Table().Headers().indexOf("Peak Level"));
            ASSERT_GE(iColumn, 0);
            Main.sgDBData->sortByColumn(iColumn, Qt::DescendingOrder);
            ASSERT_NE(Table().Model().ViewRow(c.iPoint), c.iPoint) << "the sort must move the row";
            break;
        }
        case TTableState::OtherSession:
            ASSERT_TRUE(LoadSession(c.bNight ? sWeek : sNight));
            break;
        case TTableState::FilterWithoutTheRow:
            ASSERT_LT(PeakOf(c.iPoint), -8.0);
            ASSERT_TRUE(LoadPeakAtOrAbove(-8.0));
            break;
        case TTableState::RunWithTheRow:
            Tab->Chart->ZoomTo(50, 80);
            Tab->btnFilterToRange->click();
            ASSERT_EQ(Table().RowCount(), 31);
            break;
        }
        Main.PageCtrl->setCurrentWidget(Tab);

        Q_EMIT Tab->Chart->PointDoubleClicked(c.iPoint);

        EXPECT_TRUE(aMessages.empty()) << aMessages.front().toStdString();
        EXPECT_EQ(Main.PageCtrl->currentWidget(), Main.tabDB);
        ASSERT_EQ(Table().SessionId(), sSession);
        EXPECT_EQ(Table().Filtered(), !c.bChartRows);
        EXPECT_EQ(CurrentDataRow(), c.iDataRow);
        EXPECT_EQ(Table().Model().Rows().Timecode(CurrentDataRow()), Tab->Chart->PointLabel(c.iPoint));
        // Scrolled into view.
        const QModelIndex Current = Main.sgDBData->currentIndex();
        EXPECT_TRUE(Main.sgDBData->viewport()->rect().intersects(Main.sgDBData->visualRect(Current)));
        aMessages.clear();
    }
}

TEST_F(ChartToTableFixture, AChartWhoseRowsAreNotAtHandIsToldAndTheTableStaysAsItWas) {
    struct TCase {
        const char* sName;
        // What happens to the database between making the chart and using it.
        std::function<void()> fnChange;
        int iEntry;
    };
    // Another database: one without the chart's session, and one whose session has the chart's session's
    // identifier (a copy of a file, edited) but other rows.
    const qxtest::TStoredSession rElsewhere{
        "Elsewhere", "1", "Op", "HD", "", QDateTime(QDate(2026, 3, 2), QTime(9, 0)), "", {}};
    qxtest::TSessionDatabase Other;
    for (int i = 0; i < 3; ++i)
        Other.AddSession(rElsewhere, 5);
    ASSERT_TRUE(Other.Db.DeleteSessionData(sNight));
    ASSERT_TRUE(Other.Db.DeleteSessionData(sWeek));
    qxtest::TSessionDatabase SameId;
    ASSERT_EQ(SameId.AddSession(rElsewhere, 50), sNight);
    const auto Open = [this](const QString& sPath) {
        ASSERT_TRUE(Main.Ctrl.SQLConnection.OpenSQLiteDB(sPath));
        Main.DatabaseView->DatabaseOpened();
    };
    const TCase aCases[] = {
        {"another database opened", [&] { Open(Other.Path()); }, kTxtChartSessionNotListed},
        {"another database with the session's identifier", [&] { Open(SameId.Path()); },
         kTxtChartRowsChanged},
        // A hand-edited file: the session's first row is gone, so every later row has moved up a place.
        {"a row of the session deleted",
         [this] {
             SQLite::Database db(Store.Path().toStdString(), SQLite::OPEN_READWRITE);
             SQLite::Statement drop(db, "DELETE FROM qxr_loudness_levels WHERE nId=(SELECT min(nId) FROM "
                                        "qxr_loudness_levels WHERE sReportId=?)");
             drop.bind(1, sNight.toStdString());
             drop.exec();
         },
         kTxtChartRowsChanged},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        ASSERT_TRUE(Main.Ctrl.SQLConnection.OpenSQLiteDB(Store.Path()));
        Main.DatabaseView->DatabaseOpened();
        ASSERT_TRUE(LoadSession(sNight));
        TChartTab* Tab = MakeChart();
        ASSERT_NE(Tab, nullptr);
        Tab->Chart->ZoomTo(10, 30);
        c.fnChange();
        const QString sShownSession = Table().SessionId();
        const int iShownRows = Table().RowCount();
        Main.PageCtrl->setCurrentWidget(Tab);

        for (const auto& fnUse :
             std::vector<std::function<void()>>{[Tab] { Tab->btnFilterToRange->click(); },
                                                [Tab] { Q_EMIT Tab->Chart->PointDoubleClicked(20); }}) {
            aMessages.clear();
            fnUse();
            ASSERT_EQ(aMessages.size(), 1u);
            EXPECT_EQ(aMessages[0], GetText(c.iEntry, kLanguageEnglish));
            EXPECT_EQ(Main.PageCtrl->currentWidget(), Tab);
            EXPECT_EQ(Table().SessionId(), sShownSession);
            EXPECT_EQ(Table().RowCount(), iShownRows);
            EXPECT_FALSE(Table().Filtered());
        }
        aMessages.clear();
    }
}

// Dark pixels (the title's black text) in the middle half of rows iTop to iBottom.
int DarkPixelsInMiddle(const QImage& Picture, int iTop, int iBottom) {
    int n = 0;
    for (int y = iTop; y < std::min(iBottom, Picture.height()); ++y)
        for (int x = Picture.width() / 4; x < Picture.width() * 3 / 4; ++x)
            n += qGray(Picture.pixel(x, y)) < 80;
    return n;
}

// The legend's check boxes: squares framed in their dark grey, found by their upright edges of 9 pixels
// or more of that colour.
int CheckBoxEdges(const QImage& Picture) {
    const QRgb clFrame = qRgb(0x40, 0x40, 0x40);
    int n = 0;
    for (int x = 0; x < Picture.width(); ++x) {
        int iRun = 0;
        for (int y = 0; y < Picture.height(); ++y) {
            iRun = Picture.pixel(x, y) == clFrame ? iRun + 1 : 0;
            n += iRun == 9;
        }
    }
    return n;
}

TEST_F(ChartToTableFixture, PicturesOfAZoomedChartShowTheTitleAndTheRowsInView) {
    ASSERT_TRUE(LoadSession(sNight));
    TChartTab* Tab = MakeChart();
    ASSERT_NE(Tab, nullptr);
    TReviewChart* Chart = Tab->Chart;
    Chart->ZoomTo(20, 39);
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    const QCPRange Range = Chart->xAxis->range();
    QStringList slInView;
    for (int i = 20; i <= 39; ++i)
        slInView << Chart->PointLabel(i);
    // The labels the last drawing put on the bottom axis are all of rows in view.
    const auto ExpectLabelsInView = [&] {
        const QVector<QString> aLabels = Chart->xAxis->tickVectorLabels();
        EXPECT_FALSE(aLabels.isEmpty());
        for (const QString& sLabel : aLabels)
            EXPECT_TRUE(sLabel.isEmpty() || slInView.contains(sLabel)) << sLabel.toStdString();
    };
    // The chart's pictures without a title, and the screen's own look with check boxes in the legend.
    const QImage Untitled = Chart->ChartPicture();
    const QImage UntitledPrinted = Chart->PDFPicture(QSize(1450, 850));
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    const QImage Screen = Chart->toPixmap(Chart->width(), Chart->height()).toImage();
    ASSERT_GT(CheckBoxEdges(Screen), 0);

    QGuiApplication::clipboard()->clear();
    Tab->popCopyChartClipBrd->trigger();
    ExpectLabelsInView();
    const QImage Copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(Copied.size(), Chart->size());
    EXPECT_EQ(CheckBoxEdges(Copied), 0);
    const int iTitleBand = QFontMetrics(Chart->font()).height() * 2;
    if (qEnvironmentVariableIsSet("QX_SAVE_PICTURE")) {
        Copied.save(qEnvironmentVariable("QX_SAVE_PICTURE") + "-copied.png");
        Untitled.save(qEnvironmentVariable("QX_SAVE_PICTURE") + "-untitled.png");
    }
    EXPECT_GT(DarkPixelsInMiddle(Copied, 0, iTitleBand), 40);
    EXPECT_EQ(DarkPixelsInMiddle(Untitled, 0, iTitleBand), 0);

    const QImage Printed = Tab->PDFPicture(QSize(1450, 850));
    ExpectLabelsInView();
    EXPECT_EQ(CheckBoxEdges(Printed), 0);
    EXPECT_GT(DarkPixelsInMiddle(Printed, 1, iTitleBand), 40);
    EXPECT_EQ(DarkPixelsInMiddle(UntitledPrinted, 1, iTitleBand), 0);

    // The chart on screen is as it was: zoomed, without a title, with its check boxes.
    Chart->replot(QCustomPlot::rpImmediateRefresh);
    EXPECT_EQ(Chart->xAxis->range(), Range);
    EXPECT_EQ(Chart->TimeAxis().FirstVisibleRow(), 20);
    EXPECT_EQ(Chart->TimeAxis().LastVisibleRow(), 39);
    const QImage After = Chart->toPixmap(Chart->width(), Chart->height()).toImage();
    if (qEnvironmentVariableIsSet("QX_SAVE_PICTURE")) {
        Screen.save(qEnvironmentVariable("QX_SAVE_PICTURE") + "-screen.png");
        After.save(qEnvironmentVariable("QX_SAVE_PICTURE") + "-after.png");
    }
    EXPECT_EQ(After, Screen);
}

TEST_F(ChartToTableFixture, TheChartPDFOfAZoomedChartNamesTheTitleAndTheTimecodesInView) {
    QTemporaryDir Dir;
    QString sAnswer;
    Main.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest&) { return sAnswer; });
    Main.ExportMenu->SetOpenFile([](const QString&) {}, 10);
    // A headline without the title: the title comes from the chart.
    Main.Ctrl.Settings.rPDFOptions.sHeadline = "No. %NUMBER%";
    ASSERT_TRUE(LoadSession(sNight));
    TChartTab* Tab = MakeChart();
    ASSERT_NE(Tab, nullptr);
    struct TCase {
        const char* sName;
        int iFrom;
        int iTo;
        QAction* Item;
        const char* sShown;
    };
    const TCase aCases[] = {
        {"side panel, zoomed", 20, 39, Tab->popExportToPDF,
         "Shown.: Night News, timecodes 23:59:50:00 to 00:00:09:00"},
        {"full page, zoomed", 0, 29, Tab->popExportToPDFFullPage,
         "Shown.: Night News, timecodes 23:59:30:00 to 23:59:59:00"},
        {"whole session", -1, -1, Tab->popExportToPDF, nullptr},
    };
    int iFile = 0;
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        if (c.iFrom >= 0)
            Tab->Chart->ZoomTo(c.iFrom, c.iTo);
        else
            Tab->Chart->ShowWholeSession();
        sAnswer = Dir.filePath(QString("chart%1.pdf").arg(++iFile));
        c.Item->trigger();
        ASSERT_TRUE(QFile::exists(sAnswer));
        const QString sText = qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"});
        ASSERT_FALSE(sText.isEmpty());
        EXPECT_TRUE(sText.contains("No. 7")) << sText.toStdString();
        EXPECT_EQ(sText.contains("Shown.:"), c.sShown != nullptr) << sText.toStdString();
        EXPECT_TRUE(!c.sShown || sText.contains(c.sShown)) << sText.toStdString();
        EXPECT_TRUE(aMessages.empty());
    }
}

} // namespace
