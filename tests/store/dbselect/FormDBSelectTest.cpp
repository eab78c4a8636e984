#include "store/FormDBSelect.h"

#include "app/FormMain.h"
#include "core/SettingsFile.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/MessageBox.h"
#include "store/dbSQLite.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <SQLiteCpp/SQLiteCpp.h>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Entries of the manager's messages.
constexpr int kCreated = 296;
constexpr int kCouldNotCreate = 298;
constexpr int kNotADatabase = 300;
constexpr int kAskRemove = 302;
constexpr int kAskDelete = 304;
constexpr int kAskDeleteIrreversible = 306;
constexpr int kFileMissing = 310;
constexpr int kSelected = 312;
constexpr int kUseForLogging = 322;

QString Msg(int iEntry, const QString& sPath) {
    return FormatText(GetText(iEntry, kLanguageEnglish), {sPath});
}

QByteArray ReadAll(const QString& sPath) {
    QFile f(sPath);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& sPath, const QByteArray& data) {
    QFile f(sPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The titles of the sessions stored in a database file, read through a connection of its own.
QStringList SessionTitles(const QString& sPath) {
    TdbSQLite db;
    QStringList sl;
    if (!db.OpenSQLiteDB(sPath))
        return {QStringLiteral("<cannot open>")};
    std::unique_ptr<TDBResult> pResult;
    db.RetreiveSessionList(pResult, QStringLiteral("SELECT sTitle FROM qxr_sessions;"));
    while (pResult && !pResult->Eof()) {
        sl << pResult->AsString(0);
        pResult->Next();
    }
    return sl;
}

// The main window and the manager as the program has them, with the file dialogs and the message boxes
// answered by the test: Answer() queues the buttons chosen, Asked holds every text shown, in order. A
// question with no queued answer gets No, a message with only OK gets OK.
class DBSelectWindow : public ::testing::Test {
protected:
    DBSelectWindow() {
        frmMain.MessageBox->SetResponder([this](const TMessageBoxRequest& r) {
            Asked << r.sText;
            DatabaseWhenAsked << frmMain.Ctrl.Settings.sDatabaseFileName;
            if (!aAnswers.empty()) {
                const int iAnswer = aAnswers.front();
                aAnswers.pop_front();
                return iAnswer;
            }
            return r.rLayout.aButtons.size() == 1 ? r.rLayout.aButtons.front().iResult : kMsgResultNo;
        });
        frmDBSelect.SetFileDialogs([this](QWidget*) { return sChosen; },
                                   [this](QWidget*) { return sChosen; });
        // The list is read from the window's tree, which the window builds when it is first shown.
        frmDBSelect.EnsureControls();
    }

    QString PathOf(const QString& sName) const { return Dir.filePath(sName); }

    void Answer(std::initializer_list<int> aResults) { aAnswers.insert(aAnswers.end(), aResults); }

    // A valid database file, made without the manager.
    QString MakeDatabase(const QString& sName) {
        const QString sPath = PathOf(sName);
        TdbSQLite db;
        EXPECT_TRUE(db.CreateSQLiteDB(sPath)) << db.LastError().toStdString();
        return sPath;
    }

    // Lists a database file through "Connect to local database...", declining to use it.
    void AddListed(const QString& sPath) {
        sChosen = sPath;
        Answer({kMsgResultNo});
        frmDBSelect.popOpenLocalDBClick();
    }

    // Lists the file and makes it the working database.
    void UseDatabase(const QString& sPath) {
        sChosen = sPath;
        Answer({kMsgResultYes});
        frmDBSelect.popOpenLocalDBClick();
        ASSERT_EQ(frmMain.Ctrl.Settings.sDatabaseFileName, sPath);
    }

    QTreeWidgetItem* Root() const { return frmDBSelect.treeDB->topLevelItem(0); }

    QTreeWidgetItem* NodeOf(const QString& sPath) const {
        for (int i = 0; Root() && i < Root()->childCount(); ++i) {
            if (Root()->child(i)->text(0) == sPath)
                return Root()->child(i);
        }
        return nullptr;
    }

    QStringList TreeFiles() const {
        QStringList sl;
        for (int i = 0; Root() && i < Root()->childCount(); ++i)
            sl << Root()->child(i)->text(0);
        return sl;
    }

    // Shows the manager without blocking, so the test can press the mouse in its tree.
    void ShowManager() {
        frmDBSelect.show();
        ASSERT_TRUE(qxtest::WaitFor([this] { return frmDBSelect.isVisible(); }));
    }

    void SendMouse(QEvent::Type eType, const QPoint& pos, Qt::MouseButton eButton) {
        QWidget* pViewport = frmDBSelect.treeDB->viewport();
        QMouseEvent event(eType, pos, pViewport->mapToGlobal(pos), eButton,
                          eType == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(eButton),
                          Qt::NoModifier);
        QApplication::sendEvent(pViewport, &event);
    }

    QPoint CentreOf(QTreeWidgetItem* pNode) const {
        return frmDBSelect.treeDB->visualItemRect(pNode).center();
    }

    void Click(const QPoint& pos, Qt::MouseButton eButton = Qt::LeftButton) {
        SendMouse(QEvent::MouseButtonPress, pos, eButton);
        SendMouse(QEvent::MouseButtonRelease, pos, eButton);
    }

    void DoubleClick(QTreeWidgetItem* pNode) {
        const QPoint pos = CentreOf(pNode);
        Click(pos);
        SendMouse(QEvent::MouseButtonDblClick, pos, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, pos, Qt::LeftButton);
    }

    // A point in the tree below its last node.
    QPoint BelowLastNode() const {
        QTreeWidgetItem* pLast = Root()->childCount() > 0 ? Root()->child(Root()->childCount() - 1) : Root();
        const QRect r = frmDBSelect.treeDB->visualItemRect(pLast);
        return QPoint(r.center().x(), r.bottom() + 3 * r.height());
    }

    bool DatabaseControlsEnabled() const {
        return frmMain.btnConnect->isEnabled() && frmMain.btnRefreshSessions->isEnabled() &&
               frmMain.sgSessions->isEnabled();
    }

    bool NoDatabaseState() const {
        return !frmMain.btnConnect->isEnabled() && !frmMain.btnStartLog->isEnabled() &&
               !frmMain.btnRefreshSessions->isEnabled() && !frmMain.btnSortSessions->isEnabled() &&
               !frmMain.sgSessions->isEnabled() && frmMain.StatusPanels[1]->text().isEmpty();
    }

    qxtest::TFreshConfigHome Home;
    QTemporaryDir Dir;
    TfrmMain frmMain;
    TfrmDBSelect frmDBSelect{frmMain, frmMain.Ctrl.SQLConnection, &frmMain};
    QString sChosen;
    QStringList Asked;
    // The working database the settings named when each text was shown.
    QStringList DatabaseWhenAsked;
    std::deque<int> aAnswers;
};

TEST_F(DBSelectWindow, CreatingInANewFileGivesAValidDatabaseThatIsListed) {
    sChosen = PathOf("new.DB3");
    Answer({kMsgResultOK, kMsgResultNo});
    frmDBSelect.popNewLocalDBClick();

    EXPECT_EQ(Asked, QStringList({Msg(kCreated, sChosen), Msg(kUseForLogging, sChosen)}));
    TdbSQLite db;
    EXPECT_TRUE(db.VerifySQLiteDB(sChosen)) << db.LastError().toStdString();
    EXPECT_EQ(frmMain.Ctrl.Settings.slLocalDB, QStringList{sChosen});
    EXPECT_EQ(TreeFiles(), QStringList{sChosen});
    // Declining to use it keeps the working database as it was.
    EXPECT_TRUE(frmMain.Ctrl.Settings.sDatabaseFileName.isEmpty());
}

TEST_F(DBSelectWindow, CreatingOverAnExistingFileAsksFirst) {
    const QByteArray sPrecious("a user's file that must survive a No");
    struct TCase {
        int iAnswer;
        bool bReplaced;
    };
    for (const TCase& c : {TCase{kMsgResultNo, false}, TCase{kMsgResultYes, true}}) {
        SCOPED_TRACE(c.iAnswer);
        sChosen = PathOf(QStringLiteral("existing-%1.DB3").arg(c.iAnswer));
        WriteFile(sChosen, sPrecious);
        Asked.clear();
        Answer({c.iAnswer});
        frmDBSelect.popNewLocalDBClick();

        ASSERT_FALSE(Asked.isEmpty());
        EXPECT_EQ(Asked.front(), Msg(kTxtReplaceDatabaseFile, sChosen));
        if (c.bReplaced) {
            EXPECT_TRUE(TdbSQLite().VerifySQLiteDB(sChosen));
            EXPECT_TRUE(frmMain.Ctrl.Settings.slLocalDB.contains(sChosen));
        } else {
            EXPECT_EQ(Asked.size(), 1);
            EXPECT_EQ(ReadAll(sChosen), sPrecious);
            EXPECT_FALSE(frmMain.Ctrl.Settings.slLocalDB.contains(sChosen));
        }
    }
}

TEST_F(DBSelectWindow, CreateThatFailsIsReportedAndNotListed) {
    sChosen = PathOf("no-such-folder/new.DB3");
    frmDBSelect.popNewLocalDBClick();

    ASSERT_FALSE(Asked.isEmpty());
    EXPECT_EQ(Asked.back(), Msg(kCouldNotCreate, sChosen));
    EXPECT_TRUE(frmMain.Ctrl.Settings.slLocalDB.isEmpty());
}

TEST_F(DBSelectWindow, CreatingAndUsingMakesItTheWorkingDatabase) {
    sChosen = PathOf("used.DB3");
    int iReloads = 0;
    QObject::connect(&frmDBSelect, &TfrmDBSelect::SessionListChanged, [&iReloads] { ++iReloads; });
    Answer({kMsgResultOK, kMsgResultYes});
    frmDBSelect.popNewLocalDBClick();

    EXPECT_EQ(Asked,
              QStringList({Msg(kCreated, sChosen), Msg(kUseForLogging, sChosen), Msg(kSelected, sChosen)}));
    EXPECT_EQ(frmMain.Ctrl.Settings.sDatabaseFileName, sChosen);
    EXPECT_EQ(frmMain.StatusPanels[1]->text(), TruncateString(sChosen, 30, true));
    EXPECT_TRUE(DatabaseControlsEnabled());
    EXPECT_EQ(iReloads, 1);
    EXPECT_EQ(frmDBSelect.result(), QDialog::Accepted);
}

TEST_F(DBSelectWindow, TheSameFileAddedTwiceIsListedOnce) {
    const QString sPath = MakeDatabase("twice.DB3");
    const QString sOther = MakeDatabase("Another.DB3");
    ASSERT_TRUE(QFile::link(sPath, PathOf("link-to-twice.DB3")));
    // The same file spelled as it was chosen, through "..", and through a symbolic link.
    for (const QString& sSpelling : {sPath, Dir.path() + "/sub/../twice.DB3", PathOf("link-to-twice.DB3")}) {
        SCOPED_TRACE(sSpelling.toStdString());
        AddListed(sSpelling);
    }
    AddListed(sOther);

    EXPECT_EQ(frmMain.Ctrl.Settings.slLocalDB, QStringList({sOther, sPath}));
    EXPECT_EQ(TreeFiles(), QStringList({sOther, sPath}));
}

TEST_F(DBSelectWindow, AFileThatIsNoDatabaseIsRefused) {
    const auto Text = [](const QByteArray& data) {
        return [data](const QString& sPath) { WriteFile(sPath, data); };
    };
    // The message says why, under the manager's own text.
    struct TCase {
        const char* sName;
        std::function<void(const QString&)> fnMake;
        const char* sReason;
    };
    const TCase aCases[] = {
        {"notes.txt", Text("Broadcast log, not a database.\n"), "does not hold the session tables"},
        {"empty.DB3", Text(""), "does not hold the session tables"},
        {"sessions-only.DB3",
         [](const QString& sPath) {
             SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
             db.exec("CREATE TABLE qxr_sessions (nId INTEGER PRIMARY KEY ASC,sReportId TEXT);");
         },
         "does not hold the session tables"},
        {"column-renamed.DB3",
         [](const QString& sPath) {
             TdbSQLite Maker;
             ASSERT_TRUE(Maker.CreateSQLiteDB(sPath));
             Maker.CloseSQLiteDB();
             SQLite::Database db(sPath.toStdString(), SQLite::OPEN_READWRITE);
             db.exec("ALTER TABLE qxr_loudness_levels RENAME COLUMN fLoudnessInt TO fOther;");
         },
         "lacks these tables or columns: qxr_loudness_levels.fLoudnessInt"},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        sChosen = PathOf(c.sName);
        c.fnMake(sChosen);
        Asked.clear();
        frmDBSelect.popOpenLocalDBClick();
        ASSERT_EQ(Asked.size(), 1);
        EXPECT_TRUE(Asked[0].startsWith(Msg(kNotADatabase, sChosen) + "\r\r")) << Asked[0].toStdString();
        EXPECT_TRUE(Asked[0].contains(QLatin1String(c.sReason))) << Asked[0].toStdString();
    }
    EXPECT_TRUE(frmMain.Ctrl.Settings.slLocalDB.isEmpty());
    EXPECT_TRUE(TreeFiles().isEmpty());
}

TEST_F(DBSelectWindow, RemovingTheDatabaseInUseAndKeepingTheFile) {
    const QString sPath = MakeDatabase("in-use.DB3");
    UseDatabase(sPath);
    ASSERT_TRUE(DatabaseControlsEnabled());
    ShowManager();

    Click(CentreOf(NodeOf(sPath)));
    ASSERT_EQ(frmDBSelect.SelectedNode, NodeOf(sPath));
    Asked.clear();
    Answer({kMsgResultYes, kMsgResultNo});
    frmDBSelect.popRemoveDBClick();

    EXPECT_EQ(Asked, QStringList({Msg(kAskRemove, sPath), Msg(kAskDelete, sPath)}));
    EXPECT_TRUE(QFile::exists(sPath));
    EXPECT_TRUE(TdbSQLite().VerifySQLiteDB(sPath));
    EXPECT_TRUE(frmMain.Ctrl.Settings.slLocalDB.isEmpty());
    EXPECT_TRUE(TreeFiles().isEmpty());
    EXPECT_EQ(frmDBSelect.SelectedNode, nullptr);
    EXPECT_TRUE(frmMain.Ctrl.Settings.sDatabaseFileName.isEmpty());
    EXPECT_TRUE(NoDatabaseState());
    // Nothing is written to the removed file any more.
    EXPECT_FALSE(frmMain.Ctrl.SQLConnection.InsertSession(TSessionInfo{}));
}

TEST_F(DBSelectWindow, RemovingAsksTwiceBeforeDeletingFromDisk) {
    struct TCase {
        const char* sName;
        std::initializer_list<int> aAnswers;
        std::vector<int> aExpectedEntries;
        bool bListed;
        bool bDeleted;
    };
    const TCase aCases[] = {
        {"kept-listed.DB3", {kMsgResultNo}, {kAskRemove}, true, false},
        {"kept.DB3", {kMsgResultYes, kMsgResultNo}, {kAskRemove, kAskDelete}, false, false},
        {"kept-at-warning.DB3",
         {kMsgResultYes, kMsgResultYes, kMsgResultNo},
         {kAskRemove, kAskDelete, kAskDeleteIrreversible},
         false,
         false},
        {"deleted.DB3",
         {kMsgResultYes, kMsgResultYes, kMsgResultYes},
         {kAskRemove, kAskDelete, kAskDeleteIrreversible},
         false,
         true},
    };
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        const QString sPath = MakeDatabase(c.sName);
        UseDatabase(sPath);
        frmDBSelect.RefreshDBTree(true);
        ShowManager();
        Click(CentreOf(NodeOf(sPath)));
        Asked.clear();
        Answer(c.aAnswers);
        frmDBSelect.popRemoveDBClick();

        QStringList slExpected;
        for (int iEntry : c.aExpectedEntries)
            slExpected << Msg(iEntry, sPath);
        EXPECT_EQ(Asked, slExpected);
        EXPECT_EQ(frmMain.Ctrl.Settings.slLocalDB.contains(sPath), c.bListed);
        EXPECT_EQ(NodeOf(sPath) != nullptr, c.bListed);
        EXPECT_EQ(QFile::exists(sPath), !c.bDeleted);
    }
}

TEST_F(DBSelectWindow, RemoveActsOnlyOnADatabaseNode) {
    const QString sPath = MakeDatabase("stays.DB3");
    AddListed(sPath);
    ShowManager();
    for (const QPoint& pos : {CentreOf(Root()), BelowLastNode()}) {
        Click(pos);
        Asked.clear();
        frmDBSelect.popRemoveDBClick();
        EXPECT_TRUE(Asked.isEmpty());
        EXPECT_EQ(frmMain.Ctrl.Settings.slLocalDB, QStringList{sPath});
    }
}

TEST_F(DBSelectWindow, DoubleClickSelectsTheFileForTheSessionsThatFollow) {
    const QString sFirst = MakeDatabase("first.DB3");
    const QString sSecond = MakeDatabase("second.DB3");
    UseDatabase(sFirst);
    AddListed(sSecond);
    ShowManager();
    int iReloads = 0;
    QObject::connect(&frmDBSelect, &TfrmDBSelect::SessionListChanged, [&iReloads] { ++iReloads; });
    Asked.clear();
    DoubleClick(NodeOf(sSecond));

    EXPECT_EQ(Asked, QStringList{Msg(kSelected, sSecond)});
    EXPECT_EQ(frmMain.Ctrl.Settings.sDatabaseFileName, sSecond);
    EXPECT_EQ(frmMain.StatusPanels[1]->text(), TruncateString(sSecond, 30, true));
    EXPECT_EQ(iReloads, 1);
    EXPECT_FALSE(frmDBSelect.isVisible());

    TSessionInfo rSession;
    rSession.sReportID = QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E");
    rSession.sReportVersion = QStringLiteral("1");
    rSession.sShowTitle = QStringLiteral("Evening news");
    ASSERT_TRUE(frmMain.Ctrl.SQLConnection.InsertSession(rSession));
    EXPECT_EQ(SessionTitles(sSecond), QStringList{"Evening news"});
    EXPECT_TRUE(SessionTitles(sFirst).isEmpty());
}

// The announcement of a new database comes once the program works with it: a program ended while the
// message is open (a shutdown answers it unattended) keeps the database the user chose, not the old one.
TEST_F(DBSelectWindow, TheNewDatabaseIsTheWorkingOneWhenItIsAnnounced) {
    const QString sOld = MakeDatabase("old.DB3");
    const QString sNew = MakeDatabase("new.DB3");
    UseDatabase(sOld);
    ShowManager();
    Asked.clear();
    DatabaseWhenAsked.clear();
    frmDBSelect.SelectDatabase(sNew);

    ASSERT_EQ(Asked.size(), 1);
    EXPECT_EQ(Asked[0], Msg(kSelected, sNew));
    EXPECT_EQ(DatabaseWhenAsked[0].toStdString(), sNew.toStdString());
    EXPECT_EQ(frmMain.Ctrl.Settings.sDatabaseFileName, sNew);
}

// A file that cannot be opened must not leave the program without the database it was working with.
TEST_F(DBSelectWindow, SelectingAFileThatCannotBeOpenedKeepsTheWorkingDatabase) {
    const QString sWorking = MakeDatabase("working.DB3");
    UseDatabase(sWorking);
    const QString sText = PathOf("notes.txt");
    WriteFile(sText, "not a database");
    ShowManager();
    Asked.clear();
    frmDBSelect.SelectDatabase(sText);

    ASSERT_EQ(Asked.size(), 1);
    EXPECT_TRUE(Asked[0].startsWith(Msg(kNotADatabase, sText) + "\r\r")) << Asked[0].toStdString();
    EXPECT_TRUE(Asked[0].contains(QLatin1String("not a database"))) << Asked[0].toStdString();
    EXPECT_EQ(frmMain.Ctrl.Settings.sDatabaseFileName, sWorking);
    EXPECT_EQ(frmMain.StatusPanels[1]->text(), TruncateString(sWorking, 30, true));
    EXPECT_TRUE(frmDBSelect.isVisible());
    TSessionInfo rSession;
    rSession.sReportID = QStringLiteral("5C60F693-BEF5-E011-A485-80EE7300C695");
    rSession.sShowTitle = QStringLiteral("Still stored");
    ASSERT_TRUE(frmMain.Ctrl.SQLConnection.InsertSession(rSession));
    EXPECT_EQ(SessionTitles(sWorking), QStringList{"Still stored"});
}

TEST_F(DBSelectWindow, DoubleClickOnTheRootOrAMissingFile) {
    const QString sPath = MakeDatabase("vanishing.DB3");
    AddListed(sPath);
    ShowManager();
    Asked.clear();
    DoubleClick(Root());
    EXPECT_TRUE(Asked.isEmpty());
    EXPECT_TRUE(Root()->isExpanded());

    ASSERT_TRUE(QFile::remove(sPath));
    DoubleClick(NodeOf(sPath));
    EXPECT_EQ(Asked, QStringList{Msg(kFileMissing, sPath)});
    EXPECT_EQ(frmMain.Ctrl.Settings.slLocalDB, QStringList{sPath});
    EXPECT_TRUE(frmMain.Ctrl.Settings.sDatabaseFileName.isEmpty());
    EXPECT_TRUE(frmDBSelect.isVisible());
}

TEST_F(DBSelectWindow, PopupRules) {
    const QString sPath = MakeDatabase("listed.DB3");
    AddListed(sPath);
    ShowManager();
    EXPECT_EQ(Root()->text(0), GetText(316, kLanguageEnglish));
    EXPECT_FALSE(frmDBSelect.popConnectRemoteDB->isVisible());

    struct TCase {
        const char* sWhere;
        QPoint pos;
        bool bMenu;
        bool bRemoveEnabled;
    };
    const TCase aCases[] = {
        {"root", CentreOf(Root()), true, false},
        {"database", CentreOf(NodeOf(sPath)), true, true},
        {"below the last node", BelowLastNode(), false, false},
    };
    QWidget* pViewport = frmDBSelect.treeDB->viewport();
    for (const TCase& c : aCases) {
        SCOPED_TRACE(c.sWhere);
        Click(c.pos, Qt::RightButton);
        QContextMenuEvent event(QContextMenuEvent::Mouse, c.pos, pViewport->mapToGlobal(c.pos));
        QApplication::sendEvent(pViewport, &event);
        EXPECT_EQ(frmDBSelect.popDB->isVisible(), c.bMenu);
        if (c.bMenu) {
            EXPECT_EQ(frmDBSelect.treeDB->currentItem(), frmDBSelect.treeDB->itemAt(c.pos));
            EXPECT_EQ(frmDBSelect.popRemoveDB->isEnabled(), c.bRemoveEnabled);
        }
        frmDBSelect.popDB->hide();
    }
}

TEST_F(DBSelectWindow, PopupIsDrawnInTheProgramsMenuStyle) {
    ShowManager();
    ASSERT_TRUE(frmDBSelect.PreparePopup(CentreOf(Root())));
    frmDBSelect.popDB->popup(frmDBSelect.mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(qxtest::WaitFor([this] { return frmDBSelect.popDB->isVisible(); }));
    const QImage img = frmDBSelect.popDB->grab().toImage();
    const QRect rFirst = frmDBSelect.popDB->actionGeometry(frmDBSelect.popNewLocalDB);
    EXPECT_GE(rFirst.width(), 100);
    // The icon stripe: 80 % white over silver.
    EXPECT_EQ(img.pixelColor(rFirst.left() + 1, rFirst.bottom() - 1), QColor(242, 242, 242));
    EXPECT_EQ(img.pixelColor(rFirst.right() - 1, rFirst.bottom() - 1), QColor(Qt::white));
    QAction* pSeparator = nullptr;
    for (QAction* p : frmDBSelect.popDB->actions()) {
        if (p->isSeparator())
            pSeparator = p;
    }
    ASSERT_NE(pSeparator, nullptr);
    const QRect rSeparator = frmDBSelect.popDB->actionGeometry(pSeparator);
    const int y = rSeparator.top() + rSeparator.height() / 2;
    EXPECT_EQ(img.pixelColor(rSeparator.left() + 30, y), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(img.pixelColor(rSeparator.left() + 20, y), QColor(242, 242, 242));
    frmDBSelect.popDB->hide();
}

} // namespace
