#include "app/FormMain.h"
#include "core/EngineCodes.h"
#include "core/SettingsFile.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "engine/EngineControl.h"
#include "engine/InfoGrid.h"
#include "engine/LiveLoggingView.h"
#include "store/SessionStore.h"
#include "tests/support/EngineDouble.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

// A logging thread that answers the stop command as the real one does: the session ends, then the
// connection closes.
class TStoppingThread : public IEngineControl {
public:
    explicit TStoppingThread(TMainController& rCtrl) : Ctrl(rCtrl) {}
    void ThreadSendMessage(int iCommand) override {
        aCommands.push_back(iCommand);
        // As the thread does: the run ends on the stop, the connection only on the close command. The
        // controller outlives this double, so the events reach it even after the double is gone.
        TMainController* pCtrl = &Ctrl;
        if (iCommand == kEngineCommandStop)
            QTimer::singleShot(50, pCtrl, [pCtrl] { pCtrl->HandleEngineEvent(kEventLoggingEnded); });
        if (iCommand == kEngineCommandClose)
            QTimer::singleShot(50, pCtrl, [pCtrl] { pCtrl->HandleEngineEvent(kEventConnectionClosed); });
    }
    TMainController& Ctrl;
    std::vector<int> aCommands;
};

class MainWindowFixture : public ::testing::Test {
protected:
    MainWindowFixture() {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) { return Answer(r); });
    }

    int Answer(const TMessageBoxRequest& r) {
        aMessages.push_back(r.sText);
        return iAnswer;
    }

    qxtest::TFreshConfigHome Home;
    TfrmMain frmMain;
    std::vector<QString> aMessages;
    int iAnswer = kMsgResultOK;
};

} // namespace

TEST_F(MainWindowFixture, MenusShortcutsTabsAndStatusPanelsAreInPlace) {
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.mnuInstrumentSelect->shortcut(), QKeySequence("Alt+I"));
    EXPECT_EQ(frmMain.mnuDBSelect->shortcut(), QKeySequence("Alt+D"));
    EXPECT_EQ(frmMain.mnuExit->shortcut(), QKeySequence("Alt+F4"));
    EXPECT_EQ(frmMain.mnuTCControl->shortcut(), QKeySequence("Ctrl+T"));
    // Separators between Manage Databases and Exit, Options and Timecode Control, License and About.
    const auto SeparatorBefore = [](QMenu* Menu, QAction* Item) {
        const QList<QAction*> Items = Menu->actions();
        const qsizetype i = Items.indexOf(Item);
        return i > 0 && Items.at(i - 1)->isSeparator();
    };
    EXPECT_TRUE(SeparatorBefore(frmMain.mnuFiles, frmMain.mnuExit));
    EXPECT_TRUE(SeparatorBefore(frmMain.mnuTools, frmMain.mnuTCControl));
    EXPECT_TRUE(SeparatorBefore(frmMain.mnuHelp, frmMain.mnuAbout));
    EXPECT_EQ(frmMain.PageCtrl->count(), 2);
    EXPECT_EQ(frmMain.StatusPanels[1]->width(), 200);
    EXPECT_EQ(frmMain.StatusPanels[2]->width(), 150);
    EXPECT_EQ(frmMain.StatusPanels[3]->width(), 200);
    // A link being reached again is told in a panel of its own, beside the rows waiting.
    frmMain.SetStatusText(kPanelLink, "reconnecting");
    EXPECT_EQ(frmMain.StatusPanels[kPanelLink]->text(), "reconnecting");
    EXPECT_EQ(frmMain.StatusPanels[kPanelStore]->text(), "");
}

TEST_F(MainWindowFixture, SwitchingLanguageChangesMenusButtonsTabsAndGridLabels) {
    struct Case {
        int iLNG;
        const char* sFile;
        const char* sConnect;
        const char* sTab;
        const char* sTimeCode;
    };
    const Case Cases[] = {{1, "Filer", "Tilslut", "Logning", "Tidskode.:"},
                          {0, "File", "Connect", "Logging", "Time Code.:"}};
    for (const Case& c : Cases) {
        frmMain.iLNG = c.iLNG;
        frmMain.UpdateGUIStrings();
        EXPECT_EQ(frmMain.mnuFiles->title(), c.sFile);
        EXPECT_EQ(frmMain.btnConnect->text(), c.sConnect);
        EXPECT_EQ(frmMain.PageCtrl->tabText(0), c.sTab);
        EXPECT_EQ(frmMain.sgLoudnessData->item(1, 0)->text(), c.sTimeCode);
    }
}

// The window's default size must show every label of the logging tab whole, in either language.
TEST_F(MainWindowFixture, AtTheDefaultSizeEveryLabelIsWhole) {
    frmMain.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return frmMain.isVisible(); }));
    const TWindowPlacement rDefault;
    TLiveLoggingView* View = frmMain.LoggingView;
    for (const int iLNG : {kLanguageDanish, kLanguageEnglish}) {
        SCOPED_TRACE(iLNG);
        frmMain.iLNG = iLNG;
        frmMain.UpdateGUIStrings();
        frmMain.resize(rDefault.Width, rDefault.Height);
        QCoreApplication::processEvents();
        EXPECT_LE(frmMain.minimumSizeHint().width(), rDefault.Width);
        EXPECT_EQ(frmMain.width(), rDefault.Width);
        for (TInfoGrid* Grid :
             {View->sgInstrumentInfo, View->sgSessionInfo, View->sgLoudnessCFG, View->sgLoudnessData}) {
            EXPECT_GE(Grid->columnWidth(0), Grid->LabelColumnWidth()) << Grid->Cell(0, 0).toStdString();
            EXPECT_GE(Grid->columnWidth(1), 40) << Grid->Cell(0, 0).toStdString();
        }
    }
    // The database's path is shortened in the status bar, and whole in its tooltip.
    const QString sPath = "/a/rather/long/folder/name/for/the/sessions/of/the/evening/Programmes.DB3";
    frmMain.Ctrl.Settings.sDatabaseFileName = sPath;
    static_cast<IMainView&>(frmMain).SetStatusText(kPanelDatabase,
                                                   TruncateString(sPath, kDatabaseNameWidth, true));
    EXPECT_NE(frmMain.StatusPanels[kPanelDatabase]->text(), sPath);
    EXPECT_EQ(frmMain.StatusPanels[kPanelDatabase]->toolTip(), sPath);
}

TEST_F(MainWindowFixture, EveryDataOptionOffLeavesTheMinimalGrids) {
    frmMain.Ctrl.Settings.DataOptions =
        TDataOptions{false, false, false, false, false, false, false, false, false, false, false};
    frmMain.UpdateGUIStrings();
    EXPECT_EQ(frmMain.sgDBData->model()->columnCount(), 2);
    EXPECT_EQ(frmMain.sgDBData->model()->headerData(1, Qt::Horizontal).toString(), "Timecode");
    EXPECT_EQ(frmMain.sgDBLoudnessMax->item(1, 0)->text(), "Integrating.:");
    EXPECT_EQ(frmMain.sgDBLoudnessMax->item(2, 0)->text(), "Loudness Range.:");
    EXPECT_EQ(frmMain.sgDBLoudnessMax->item(3, 0)->text(), "Verdict.:");
    EXPECT_EQ(frmMain.sgDBLoudnessMax->item(4, 0)->text(), "");
    EXPECT_EQ(frmMain.sgLoudnessData->item(2, 0)->text(), "");
    EXPECT_FALSE(frmMain.btnChart->isEnabled()) << "review buttons are off until data is loaded";
}

TEST_F(MainWindowFixture, NoDatabaseStateDisablesLoggingAndReview) {
    frmMain.StatusPanels[1]->setText("db");
    frmMain.SetMainGUI(6);
    for (QPushButton* b :
         {frmMain.btnConnect, frmMain.btnStartLog, frmMain.btnStopLog, frmMain.btnRefreshSessions,
          frmMain.btnSortSessions, frmMain.btnFilterData, frmMain.btnExport, frmMain.btnChart})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_FALSE(frmMain.sgSessions->isEnabled());
    EXPECT_EQ(frmMain.sgSessions->model()->rowCount(), 0) << "no session listed under the title";
    EXPECT_TRUE(frmMain.StatusPanels[1]->text().isEmpty());
    frmMain.SetMainGUI(7);
    EXPECT_TRUE(frmMain.btnConnect->isEnabled());
    EXPECT_TRUE(frmMain.sgSessions->isEnabled());
}

TEST_F(MainWindowFixture, ClosingWhileLoggingAsksAndNoKeepsTheWindowOpen) {
    frmMain.show();
    TStoppingThread Thread(frmMain.Ctrl);
    qxtest::ConnectEngine(frmMain.Ctrl, Thread);
    frmMain.Ctrl.bLoggingInProgress = true;
    iAnswer = kMsgResultNo;
    EXPECT_FALSE(frmMain.close());
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_TRUE(aMessages[0].startsWith("A logging session is in progress."));
    EXPECT_TRUE(Thread.aCommands.empty());
    EXPECT_TRUE(frmMain.isVisible());
    // The stand-in thread ends before the window: the connection's end releases it.
    frmMain.Ctrl.bLoggingInProgress = false;
    frmMain.Ctrl.HandleEngineEvent(kEventConnectionClosed);
}

TEST_F(MainWindowFixture, ClosingWhileLoggingWithYesStopsTheSessionThenWritesTheSettings) {
    frmMain.show();
    TStoppingThread Thread(frmMain.Ctrl);
    qxtest::ConnectEngine(frmMain.Ctrl, Thread);
    frmMain.Ctrl.bLoggingInProgress = true;
    iAnswer = kMsgResultYes;
    EXPECT_TRUE(frmMain.close());
    // Stop first; the end of the session was handled while waiting, and only then is the thread told to
    // close (waiting for the connection's end before that would wait out the whole close time).
    EXPECT_EQ(Thread.aCommands, (std::vector<int>{kEngineCommandStop, kEngineCommandClose}));
    EXPECT_FALSE(frmMain.Ctrl.bLoggingInProgress);
    EXPECT_TRUE(QFileInfo::exists(frmMain.Ctrl.sINI));
    EXPECT_FALSE(frmMain.Ctrl.UDP.Active());
    // The thread reports its end after the close command, and is released then.
    EXPECT_TRUE(
        qxtest::WaitFor([&] { return frmMain.Ctrl.bCanCloseMain && !frmMain.Ctrl.HasLoggingThread(); }));
}

TEST_F(MainWindowFixture, TimecodeControlHiddenWhenTheOptionIsOff) {
    frmMain.Ctrl.Settings.TCCtrl.OptionEnabled = false;
    QDir().mkpath(frmMain.Ctrl.sDataFolder);
    QFile Ini(frmMain.Ctrl.sINI);
    ASSERT_TRUE(Ini.open(QIODevice::WriteOnly));
    Ini.write("[TCOptions]\nEnableAdvancedTC=0\nGlobalAutoStart=1\n");
    Ini.close();
    iAnswer = kMsgResultOK;
    frmMain.show();
    EXPECT_FALSE(frmMain.chkAutoStart->isVisible());
    EXPECT_FALSE(frmMain.mnuTCControl->isVisible());
    EXPECT_FALSE(frmMain.chkAutoStart->isChecked());
}

TEST_F(MainWindowFixture, FirstStartWithoutADatabaseSaysSoAndOffersTheManager) {
    frmMain.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !aMessages.empty(); }));
    EXPECT_TRUE(
        aMessages[0].startsWith("Before you can start logging you must select or create a new database."));
    EXPECT_TRUE(frmMain.Ctrl.bShowDBSelectWindow);
    EXPECT_FALSE(frmMain.btnConnect->isEnabled());
}

TEST_F(MainWindowFixture, AtStartTheUserIsToldWhyTheSettingsOrTheDatabaseCannotBeUsed) {
    // A folder where the settings file belongs, and the settings' database lacks a column: one box each,
    // naming the cause.
    const QString sDB = Home.Path() + "/old.DB3";
    {
        TdbSQLite db;
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
        SQLite::Database(sDB.toStdString(), SQLite::OPEN_READWRITE)
            .exec("ALTER TABLE qxr_sessions DROP COLUMN sTimeCodeEnd;");
    }
    ASSERT_TRUE(QDir().mkpath(frmMain.Ctrl.sINI));
    frmMain.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !aMessages.empty(); }));
    EXPECT_TRUE(aMessages[0].contains("could not be read: a folder is in its place"))
        << aMessages[0].toStdString();
    EXPECT_TRUE(aMessages[0].contains(frmMain.Ctrl.sINI));

    // The same start with readable settings that name the database.
    aMessages.clear();
    QDir(frmMain.Ctrl.sINI).removeRecursively();
    QFile Ini(frmMain.Ctrl.sINI);
    ASSERT_TRUE(Ini.open(QIODevice::WriteOnly));
    Ini.write(QStringLiteral("[Configuration]\nLastDB=%1\n").arg(sDB).toUtf8());
    Ini.close();
    TfrmMain frmNext;
    frmNext.MessageBox->SetResponder([this](const TMessageBoxRequest& r) { return Answer(r); });
    frmNext.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !aMessages.empty(); }));
    EXPECT_TRUE(aMessages[0].startsWith("The database \"" + sDB + "\" could not be opened."))
        << aMessages[0].toStdString();
    EXPECT_TRUE(aMessages[0].contains("qxr_sessions.sTimeCodeEnd"));
    EXPECT_FALSE(frmNext.btnConnect->isEnabled());
}

TEST_F(MainWindowFixture, RowsSavedByAnEarlierRunAreOfferedAndStoredOnYes) {
    const QString sDB = Home.Path() + "/sessions.DB3";
    {
        TdbSQLite db;
        ASSERT_TRUE(db.CreateSQLiteDB(sDB));
    }
    // A session and its level row: a row without its session would not be stored.
    TStoreWrite s;
    s.eKind = TStoreWrite::InsertSession;
    s.rSession.sReportID = "S1";
    TStoreWrite w;
    w.eKind = TStoreWrite::InsertLevel;
    w.rLevel.sReportId = "S1";
    w.rLevel.sTimeCode = "10:00:01:00";
    {
        QFile f(sDB + ".recovery");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(EncodeStoreWrite(s) + '\n' + EncodeStoreWrite(w) + '\n');
    }
    QDir().mkpath(frmMain.Ctrl.sDataFolder);
    QFile Ini(frmMain.Ctrl.sINI);
    ASSERT_TRUE(Ini.open(QIODevice::WriteOnly));
    Ini.write(QStringLiteral("[Configuration]\nLastDB=%1\n").arg(sDB).toUtf8());
    Ini.close();
    iAnswer = kMsgResultYes;
    frmMain.show();
    ASSERT_TRUE(qxtest::WaitFor([&] { return !QFile::exists(sDB + ".recovery"); }));
    ASSERT_EQ(aMessages.size(), 1u);
    EXPECT_TRUE(aMessages[0].contains(sDB + ".recovery")) << aMessages[0].toStdString();
    EXPECT_EQ(SQLite::Database(sDB.toStdString())
                  .execAndGet("SELECT sTimeCode FROM qxr_loudness_levels;")
                  .getString(),
              "10:00:01:00");
}
