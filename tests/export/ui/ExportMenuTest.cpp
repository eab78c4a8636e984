#include "export/ExportMenu.h"
#include "app/FormMain.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "review/DatabaseView.h"
#include "store/dbSQLite.h"
#include "tests/support/ExportTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The main window as the exports see it: its messages and its long operations.
class TFakeHost : public ILongOperationHost {
public:
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) override {
        aMessages.push_back({sText, iKind, iButtons, iOpen});
        return kMsgResultOK;
    }
    void BeginLongOperation(int iEntry) override {
        aOperations.push_back(iEntry);
        ++iOpen;
    }
    void EndLongOperation() override {
        aOperations.push_back(-1);
        --iOpen;
    }
    // The user cancels at the first pump that reports iCancelAtDone or more done (-1: never).
    bool PumpLongOperation(qint64 iDone, qint64 iTotal) override {
        EXPECT_GE(iDone, 0);
        EXPECT_LE(iDone, iTotal);
        if (aDone.empty() || aDone.back() != iDone)
            aDone.push_back(iDone);
        bCancelled = bCancelled || (iCancelAtDone >= 0 && iDone >= iCancelAtDone);
        return !bCancelled;
    }
    qint64 iCancelAtDone = -1;
    bool bCancelled = false;
    // What the pumps reported, each value once.
    std::vector<qint64> aDone;
    struct TMessage {
        QString sText;
        int iKind, iButtons;
        int iOpenOperations; // long operations not ended when it was shown
    };
    int iOpen = 0;
    std::vector<TMessage> aMessages;
    // The wait entries of the operations begun, -1 for each end.
    std::vector<int> aOperations;
};

// A level table that notes the host's operations while the export reads it.
class TWatchedTable : public ITableSource {
public:
    TWatchedTable(const ITableSource& rTable, const TFakeHost& rHost) : Table(rTable), Host(rHost) {}
    int ColumnCount() const override { return Table.ColumnCount(); }
    int RowCount() const override { return Table.RowCount(); }
    QString HeaderText(int iCol) const override { return Table.HeaderText(iCol); }
    QString CellText(int iRow, int iCol) const override {
        aOperationsWhileRead = Host.aOperations;
        return Table.CellText(iRow, iCol);
    }
    const ITableSource& Table;
    const TFakeHost& Host;
    mutable std::vector<int> aOperationsWhileRead;
};

class TFakeSource : public IExportSource {
public:
    TSessionInfo ExportSession() const override { return rSession; }
    const ITableSource& ExportTable() const override { return *pTable; }
    std::vector<TStatisticsEntry> ExportStatistics() const override { return aStatistics; }
    QStringList ExportDataFilter() const override { return slDataFilter; }
    TVerdictSummary ExportVerdict() const override { return rVerdict; }
    TSessionInfo rSession = qxtest::ExportSession();
    const ITableSource* pTable = nullptr;
    std::vector<TStatisticsEntry> aStatistics{{"Peak Count.:", "3", ""}};
    QStringList slDataFilter;
    TVerdictSummary rVerdict;
};

class ExportMenuTest : public ::testing::Test {
protected:
    ExportMenuTest() {
        QLocale::setDefault(QLocale::c());
        Main.resize(400, 300);
        Main.show();
        Source.pTable = &Watched;
        Menu.SetAskSaveFileName([this](const TSaveFileRequest& r) {
            aRequests.push_back(r);
            return sAnswer;
        });
        Menu.SetOpenFile([this](const QString& sFile) { aOpened.push_back(sFile); }, 0);
    }

    qxtest::TFreshConfigHome Home;
    QWidget Main;
    TSettings Settings;
    TFakeHost Host;
    TStringTable Table = qxtest::LevelTable(45);
    TWatchedTable Watched{Table, Host};
    TFakeSource Source;
    TExportMenu Menu{&Main, Settings, Host, Source};
    QTemporaryDir Dir;
    QString sAnswer;
    std::vector<TSaveFileRequest> aRequests;
    std::vector<TFakeHost::TMessage>& aMessages = Host.aMessages;
    std::vector<QString> aOpened;
};

TEST_F(ExportMenuTest, PopupItemsInBothLanguages) {
    EXPECT_EQ(Menu.popExportPDF->text(), "Export to PDF...");
    EXPECT_EQ(Menu.popExportCSV->text(), "Export to CSV...");
    EXPECT_FALSE(Menu.popExportODS->isVisible());
    EXPECT_FALSE(Menu.popExportODS->isEnabled());
    Settings.iLNG = kLanguageDanish;
    Menu.UpdateGUIStrings();
    EXPECT_EQ(Menu.popExportPDF->text(), "Eksporter til PDF...");
    EXPECT_EQ(Menu.popExportCSV->text(), "Eksporter til CSV...");

    // Just below the button, right-aligned with it.
    QPushButton Button(&Main);
    Button.setGeometry(250, 20, 100, 30);
    Button.show();
    Menu.Popup(&Button);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Menu.popExport->isVisible(); }));
    const QRect r = Menu.popExport->geometry();
    EXPECT_EQ(r.top(), Button.mapToGlobal(QPoint(0, Button.height())).y());
    EXPECT_EQ(r.right(), Button.mapToGlobal(QPoint(Button.width() - 1, 0)).x());
    Menu.popExport->hide();
}

TEST_F(ExportMenuTest, CSVExportAsksWritesAndEnablesTheWindowAgain) {
    sAnswer = Dir.filePath("news.csv");
    Menu.popExportCSV->trigger();
    ASSERT_EQ(aRequests.size(), 1u);
    EXPECT_EQ(aRequests[0].sTitle, "Please select a filename.");
    EXPECT_EQ(aRequests[0].slFilters, (QStringList{"CSV-Files (*.CSV)", "All Files (*.*)"}));
    EXPECT_EQ(aRequests[0].sDefaultSuffix, "CSV");
    EXPECT_EQ(aRequests[0].sProposedName, "Evening News - 42");
    EXPECT_TRUE(aMessages.empty());
    // Written inside one long operation with the wait text "Creating CSV-file, please wait...".
    EXPECT_EQ(Watched.aOperationsWhileRead, std::vector<int>{276});
    EXPECT_EQ(Host.aOperations, (std::vector<int>{276, -1}));
    QFile f(sAnswer);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> aLines = f.readAll().split('\n');
    EXPECT_EQ(aLines.size(), 18 + 1 + 45 + 1);
    EXPECT_EQ(aLines[18], "#;Timecode;Peak Channel;Peak Level;Shortterm Max,;Shortterm Min,;Integrating;\r");
    // A CSV file is not opened.
    EXPECT_TRUE(aOpened.empty());
}

TEST_F(ExportMenuTest, CancelWritesNothing) {
    Source.rSession.sShowNumber.clear();
    sAnswer.clear();
    Menu.popExportCSV->trigger();
    Source.rSession.sShowTitle = "AC/DC";
    Source.rSession.sShowNumber = "7/8";
    Menu.popExportPDF->trigger();
    ASSERT_EQ(aRequests.size(), 2u);
    EXPECT_EQ(aRequests[0].sProposedName, "Evening News");
    EXPECT_EQ(aRequests[1].sProposedName, "AC-DC - 7-8");
    EXPECT_EQ(aRequests[1].slFilters, (QStringList{"PDF-Files (*.PDF)", "All Files (*.*)"}));
    EXPECT_EQ(aRequests[1].sDefaultSuffix, "PDF");
    EXPECT_TRUE(aMessages.empty());
    EXPECT_TRUE(QDir(Dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(Host.aOperations.empty());
}

TEST_F(ExportMenuTest, PDFExportWritesTheReportAndOpensIt) {
    sAnswer = Dir.filePath("news.pdf");
    Menu.popExportPDF->trigger();
    EXPECT_TRUE(aMessages.empty());
    EXPECT_EQ(Watched.aOperationsWhileRead, std::vector<int>{274});
    EXPECT_EQ(Host.aOperations, (std::vector<int>{274, -1}));
    EXPECT_TRUE(qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"}).contains("Page 2 of 2."));
    // Opened after the pause, not while the export runs.
    EXPECT_TRUE(aOpened.empty());
    ASSERT_TRUE(qxtest::WaitFor([&] { return !aOpened.empty(); }));
    EXPECT_EQ(aOpened, std::vector<QString>{sAnswer});
}

TEST_F(ExportMenuTest, BothExportsNameTheDataFilterAndTheVerdictOfTheSource) {
    Source.slDataFilter = {"Timecode from 23:59:00:00 to 00:01:00:00, across midnight"};
    Source.rVerdict = {"Pass",
                       "EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP",
                       {"Judged from the filtered rows only"},
                       "n/a (No short-term loudness passed the gates)"};
    sAnswer = Dir.filePath("filtered.csv");
    Menu.popExportCSV->trigger();
    QFile f(sAnswer);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> aLines = f.readAll().split('\n');
    ASSERT_GT(aLines.size(), 22);
    EXPECT_EQ(aLines[18], "Loudness Range.:;n/a (No short-term loudness passed the gates)\r");
    EXPECT_EQ(aLines[19], "Target.:;EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP\r");
    EXPECT_EQ(aLines[20], "Verdict.:;Pass;Judged from the filtered rows only\r");
    EXPECT_EQ(aLines[21], "Data Filter.:;Timecode from 23:59:00:00 to 00:01:00:00, across midnight\r");
    sAnswer = Dir.filePath("filtered.pdf");
    Menu.popExportPDF->trigger();
    EXPECT_TRUE(qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"})
                    .simplified()
                    .contains("Data Filter.: Timecode from 23:59:00:00 to 00:01:00:00, across midnight"));
    EXPECT_TRUE(qxtest::RunTool("pdftotext", {"-layout", sAnswer, "-"})
                    .simplified()
                    .contains("Loudness Verdict Pass"));
    EXPECT_TRUE(aMessages.empty());
}

// A cancel at any pump of an export, in any of its steps: no file is left (an earlier one of that name
// stays as it was, no partly written one lies beside it), no viewer opens, and the user is told it was
// cancelled, never that it failed or was written.
TEST_F(ExportMenuTest, ACancelledExportLeavesNoFileAndSaysSo) {
    const TStringTable Big = qxtest::LevelTable(3 * kPumpRows);
    Source.pTable = &Big;
    const QByteArray Earlier("an earlier file\r\n");
    for (QAction* pItem : {Menu.popExportCSV, Menu.popExportPDF}) {
        SCOPED_TRACE(pItem->text().toStdString());
        // Written whole, the export reports these steps done at its pumps.
        sAnswer = Dir.filePath("whole");
        Host.aDone.clear();
        Host.bCancelled = false;
        Host.iCancelAtDone = -1;
        pItem->trigger();
        ASSERT_TRUE(QFile::exists(sAnswer));
        ASSERT_TRUE(QFile::remove(sAnswer));
        const std::vector<qint64> aDone = Host.aDone;
        ASSERT_GE(aDone.size(), 3u);
        aMessages.clear();

        // From the first step to the last (for the PDF: building, drawing, compressing, writing).
        std::vector<qint64> aCancelAt;
        for (size_t i = 0; i + 1 < aDone.size(); i += std::max<size_t>(1, aDone.size() / 12))
            aCancelAt.push_back(aDone[i]);
        aCancelAt.push_back(aDone.back());
        for (const qint64 iCancelAt : aCancelAt) {
            for (const bool bEarlier : {false, true}) {
                SCOPED_TRACE(iCancelAt);
                sAnswer = Dir.filePath(QStringLiteral("cancelled-%1").arg(iCancelAt));
                if (bEarlier) {
                    QFile f(sAnswer);
                    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                    f.write(Earlier);
                }
                Host.bCancelled = false;
                Host.iCancelAtDone = iCancelAt;
                Host.aOperations.clear();
                aMessages.clear();
                pItem->trigger();
                ASSERT_EQ(aMessages.size(), 1u);
                EXPECT_EQ(aMessages[0].sText, "The export was cancelled; no file was written.");
                EXPECT_EQ(aMessages[0].iKind, kMsgInformation);
                EXPECT_EQ(aMessages[0].iOpenOperations, 0);
                EXPECT_EQ(Host.aOperations.size(), 2u);
                // Nothing beside the files the test made.
                EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), bEarlier ? 1 : 0);
                if (bEarlier) {
                    QFile f(sAnswer);
                    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                    EXPECT_EQ(f.readAll(), Earlier);
                    f.close();
                    ASSERT_TRUE(QFile::remove(sAnswer));
                } else {
                    EXPECT_FALSE(QFile::exists(sAnswer));
                }
            }
        }
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(aOpened, std::vector<QString>{Dir.filePath("whole")});
}

TEST_F(ExportMenuTest, AFileThatCannotBeWrittenIsReportedAndNotOpened) {
    QDir(Dir.path()).mkdir("in the way.pdf");
    for (QAction* pItem : {Menu.popExportPDF, Menu.popExportCSV}) {
        aMessages.clear();
        Host.aOperations.clear();
        sAnswer = Dir.filePath("in the way.pdf");
        pItem->trigger();
        ASSERT_EQ(aMessages.size(), 1u);
        EXPECT_EQ(aMessages[0].iKind, kMsgError);
        EXPECT_EQ(aMessages[0].iButtons, kMsgBtnOK);
        EXPECT_EQ(aMessages[0].sText, "Can not write the file " + sAnswer +
                                          ", please verify that the file is not writeprotected or opened by "
                                          "another process.");
        // The message comes once the operation has ended.
        EXPECT_EQ(aMessages[0].iOpenOperations, 0);
        EXPECT_EQ(Host.aOperations.size(), 2u);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(aOpened.empty());
}

// The main window exports the session loaded on its Database tab, as the tab shows it.
TEST(ExportFromMainWindow, ExportsTheLoadedSession) {
    QLocale::setDefault(QLocale::c());
    qxtest::TFreshConfigHome Home;
    QTemporaryDir Dir;
    TfrmMain frmMain;
    std::vector<QString> aMessages;
    frmMain.MessageBox->SetResponder([&](const TMessageBoxRequest& r) {
        aMessages.push_back(r.sText);
        return kMsgResultOK;
    });
    TdbSQLite& db = frmMain.Ctrl.SQLConnection;
    ASSERT_TRUE(db.CreateSQLiteDB(Dir.filePath("export.DB3")));
    ASSERT_TRUE(db.OpenSQLiteDB(Dir.filePath("export.DB3")));
    TSessionInfo s = qxtest::ExportSession();
    s.sReportVersion = "1";
    ASSERT_TRUE(db.InsertSession(s));
    ASSERT_TRUE(
        db.InsertSessionData(s.sReportID, "1", 0, 1, -23.7, -3.5, -31.0, -22.4, -80, 0, "10:00:00:00"));
    ASSERT_TRUE(
        db.InsertSessionData(s.sReportID, "1", 2, 1, -23.5, -0.5, -30.2, -20.1, -80, 0, "10:00:01:00"));
    frmMain.UpdateGUIStrings();
    frmMain.SetMainGUI(7);
    frmMain.DatabaseView->DatabaseOpened();
    frmMain.DatabaseView->sgSessionsSelectCell(0);
    frmMain.DatabaseView->sgSessionsDblClick();
    ASSERT_EQ(frmMain.DatabaseView->LevelData().LevelTable().RowCount(), 2);

    const QString sFile = Dir.filePath("loaded.csv");
    frmMain.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest&) { return sFile; });
    frmMain.ExportMenu->popExportCSV->trigger();
    QFile f(sFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> aLines = f.readAll().split('\n');
    ASSERT_GE(aLines.size(), 24);
    EXPECT_EQ(aLines[0], "Show Title.:;Evening News\r");
    EXPECT_EQ(aLines[7], "Instrument Type.:;qxMeter LM1\r");
    // The session was judged when it was loaded: a peak of -0.5 dBTP is above the default limit.
    EXPECT_EQ(aLines[19], "Target.:;EBU R128: -23.0 LUFS ± 0.5 LU, max. -1.0 dBTP\r");
    EXPECT_TRUE(aLines[20].startsWith("Verdict.:;Fail;")) << aLines[20].toStdString();
    EXPECT_TRUE(aLines[20].contains("Peak -0.5 dBTP exceeds -1.0 dBTP at 10:00:01:00"))
        << aLines[20].toStdString();
    // The columns of the default data options.
    EXPECT_EQ(aLines[21], "#;Timecode;Peak Channel;Peak Level;Shortterm;Integrating;\r");
    EXPECT_EQ(aLines[22], "1;10:00:00:00;0;-3,5;-22,4;-23,7;\r");
    EXPECT_EQ(aLines[23], "2;10:00:01:00;2;-0,5;-20,1;-23,5;\r");

    // The report takes the statistics the tab shows.
    const QString sPdf = Dir.filePath("loaded.pdf");
    frmMain.ExportMenu->SetAskSaveFileName([&](const TSaveFileRequest&) { return sPdf; });
    frmMain.ExportMenu->SetOpenFile([](const QString&) {}, 0);
    frmMain.ExportMenu->popExportPDF->trigger();
    const QString sText = qxtest::RunTool("pdftotext", {"-layout", sPdf, "-"});
    EXPECT_TRUE(sText.contains("Peak Count.")) << sText.toStdString();
    EXPECT_TRUE(sText.simplified().contains("Loudness Verdict Fail"));
    EXPECT_TRUE(sText.contains("10:00:01:00"));
    EXPECT_TRUE(aMessages.empty()) << aMessages.front().toStdString();
    EXPECT_TRUE(frmMain.isEnabled());
}

} // namespace
