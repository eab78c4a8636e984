#pragma once

#include "core/AppServices.h"
#include "core/MainView.h"
#include "core/Settings.h"
#include "store/dbSQLite.h"

#include <QString>
#include <QStringList>
#include <functional>

// The decisions of the database manager, kept apart from its window: which files are listed, which one is
// the working database, what is asked and what is reported. The window presents the list and passes on
// the user's choices.

// One message of the database manager: a text table entry whose "%s" is filled with sText (the path of
// the file concerned), or, with iEntry below 0, sText shown as it stands (the database library's report).
struct TDBSelectMessage {
    int iEntry = -1;
    int iKind = 0;
    int iButtons = 0;
    QString sText;
    // Why the database refused the file, shown under the text: the columns its tables lack, or else the
    // database library's reason.
    QStringList slMissingColumns;
    QString sReason;
};

// Shows a message and returns the button chosen (kMsgResult...).
using TDBSelectMessageFunction = std::function<int(const TDBSelectMessage&)>;

// What an operation of the manager came to.
enum class TDBSelectOutcome {
    // Cancelled or declined, or nothing to act on.
    None,
    // Reported to the user; the list and the working database are as they were.
    Failed,
    // The file is listed; the working database stays.
    Listed,
    // The file is the working database now; the manager closes.
    Selected,
    // The entry left the list.
    Removed,
};

// True when both paths name the same file: the same file reached through another spelling (a "..", a
// symbolic link) counts as the same. Letter case counts where the file system tells it apart.
bool SameDatabaseFile(const QString& sPath1, const QString& sPath2);

class TDBSelectModel {
public:
    // rSettings holds the list (slLocalDB) and the working database's path (sDatabaseFileName); rView is
    // the program's services, whose database panel and window states follow the working database.
    TDBSelectModel(TdbSQLite& rDB, TSettings& rSettings, IAppServices& rView,
                   TDBSelectMessageFunction fnMessage);

    // Reloads the main window's session list once another database is the working one.
    void SetSessionListReload(std::function<void()> fnReload) { FSessionListReload = std::move(fnReload); }

    const QStringList& LocalDatabases() const { return rSettings.slLocalDB; }

    // Creates a database with both tables at sFileName (an empty path is a cancelled dialog). An existing
    // file is replaced only when the user agrees, since everything stored in it is lost. The new file is
    // listed and offered as the working database.
    TDBSelectOutcome CreateLocalDB(const QString& sFileName);
    // Lists an existing database file after checking that it holds both tables, and offers it as the
    // working database. A file that is already listed is not listed twice.
    TDBSelectOutcome AddLocalDB(const QString& sFileName);
    // Makes a listed file the working database when it still exists and holds both tables.
    TDBSelectOutcome OpenListedDB(const QString& sFileName);
    // Removes a listed file after asking, closing it first when it is the working database, and deletes
    // it from disk when the user confirms twice. The entry leaves the list even when the delete fails.
    TDBSelectOutcome RemoveDB(const QString& sFileName);
    // Opens sFileName as the working database and shows it on the main window; false (reported) when it
    // cannot be opened, and the previous working database stays.
    bool SelectDatabase(const QString& sFileName);

    // Lists sFileName (made absolute) in its sorted place unless the same file is listed already; true
    // when it was added.
    bool AddToList(const QString& sFileName);

private:
    int Ask(int iEntry, int iKind, int iButtons, const QString& sPath) const;
    void Tell(int iEntry, int iKind, const QString& sPath) const;
    // An error about sPath with the reason the database connection gave for refusing it.
    void TellRefused(int iEntry, const QString& sPath, const QStringList& slMissing,
                     const QString& sReason) const;
    // Offers a newly listed file as the working database.
    TDBSelectOutcome OfferForLogging(const QString& sFileName);
    // The working database is gone: the main window shows that no database is open.
    void CloseWorkingDatabase();

    TdbSQLite& rDB;
    TSettings& rSettings;
    IAppServices& rView;
    TDBSelectMessageFunction FMessage;
    std::function<void()> FSessionListReload;
};
