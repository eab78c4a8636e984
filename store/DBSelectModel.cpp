#include "store/DBSelectModel.h"

#include "core/MessageBoxLayout.h"
#include "core/SettingsFile.h"
#include "core/TextTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

QString AbsolutePath(const QString& sPath) {
    return QDir::cleanPath(QFileInfo(sPath).absoluteFilePath());
}

} // namespace

bool SameDatabaseFile(const QString& sPath1, const QString& sPath2) {
    if (sPath1.isEmpty() || sPath2.isEmpty())
        return false;
    const QString sCanonical1 = QFileInfo(sPath1).canonicalFilePath();
    const QString sCanonical2 = QFileInfo(sPath2).canonicalFilePath();
    if (!sCanonical1.isEmpty() && !sCanonical2.isEmpty())
        return sCanonical1.compare(sCanonical2, kPathCase) == 0;
    // A missing file has no canonical path: compare the spelled paths.
    return AbsolutePath(sPath1).compare(AbsolutePath(sPath2), kPathCase) == 0;
}

TDBSelectModel::TDBSelectModel(TdbSQLite& rDB, TSettings& rSettings, IAppServices& rView,
                               TDBSelectMessageFunction fnMessage)
    : rDB(rDB), rSettings(rSettings), rView(rView), FMessage(std::move(fnMessage)) {}

int TDBSelectModel::Ask(int iEntry, int iKind, int iButtons, const QString& sPath) const {
    return FMessage ? FMessage(TDBSelectMessage{iEntry, iKind, iButtons, sPath, {}, {}}) : kMsgResultNone;
}

void TDBSelectModel::Tell(int iEntry, int iKind, const QString& sPath) const {
    Ask(iEntry, iKind, kMsgBtnOK, sPath);
}

void TDBSelectModel::TellRefused(int iEntry, const QString& sPath, const QStringList& slMissing,
                                 const QString& sReason) const {
    if (FMessage)
        FMessage(TDBSelectMessage{iEntry, kMsgError, kMsgBtnOK, sPath, slMissing, sReason});
}

bool TDBSelectModel::AddToList(const QString& sFileName) {
    QStringList& sl = rSettings.slLocalDB;
    if (std::any_of(sl.cbegin(), sl.cend(), [&](const QString& s) { return SameDatabaseFile(s, sFileName); }))
        return false;
    const QString sPath = AbsolutePath(sFileName);
    // The list stays sorted without regard to case, as the settings file reads it.
    const auto it = std::upper_bound(sl.begin(), sl.end(), sPath, [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    sl.insert(it, sPath);
    return true;
}

TDBSelectOutcome TDBSelectModel::CreateLocalDB(const QString& sFileName) {
    if (sFileName.isEmpty())
        return TDBSelectOutcome::None;
    const QString sPath = AbsolutePath(sFileName);
    if (QFileInfo::exists(sPath) &&
        Ask(kTxtReplaceDatabaseFile, kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, sPath) != kMsgResultYes)
        return TDBSelectOutcome::None;

    if (!rDB.CreateSQLiteDB(sPath)) {
        if (!rDB.LastError().isEmpty())
            Ask(-1, kMsgError, kMsgBtnOK, rDB.LastError());
        Tell(kTxtCouldNotCreate, kMsgError, sPath);
        return TDBSelectOutcome::Failed;
    }
    // The working database itself was replaced: the session list must not show what is gone.
    if (SameDatabaseFile(sPath, rSettings.sDatabaseFileName) && FSessionListReload)
        FSessionListReload();
    AddToList(sPath);
    Tell(kTxtDatabaseCreated, kMsgInformation, sPath);
    return OfferForLogging(sPath);
}

TDBSelectOutcome TDBSelectModel::AddLocalDB(const QString& sFileName) {
    if (sFileName.isEmpty())
        return TDBSelectOutcome::None;
    const QString sPath = AbsolutePath(sFileName);
    if (!rDB.VerifySQLiteDB(sPath)) {
        TellRefused(kTxtNotADatabase, sPath, rDB.MissingColumns(), rDB.LastError());
        return TDBSelectOutcome::Failed;
    }
    AddToList(sPath);
    return OfferForLogging(sPath);
}

TDBSelectOutcome TDBSelectModel::OfferForLogging(const QString& sFileName) {
    if (Ask(kTxtUseForLogging, kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, sFileName) == kMsgResultYes &&
        SelectDatabase(sFileName))
        return TDBSelectOutcome::Selected;
    return TDBSelectOutcome::Listed;
}

TDBSelectOutcome TDBSelectModel::OpenListedDB(const QString& sFileName) {
    if (!QFileInfo(sFileName).isFile()) {
        Tell(kTxtFileMissing, kMsgError, sFileName);
        return TDBSelectOutcome::Failed;
    }
    if (!rDB.VerifySQLiteDB(sFileName)) {
        TellRefused(kTxtNoValidDatabase, sFileName, rDB.MissingColumns(), rDB.LastError());
        return TDBSelectOutcome::Failed;
    }
    return SelectDatabase(sFileName) ? TDBSelectOutcome::Selected : TDBSelectOutcome::Failed;
}

bool TDBSelectModel::SelectDatabase(const QString& sFileName) {
    if (!rDB.OpenSQLiteDB(sFileName)) {
        // Taken before the working database is opened again, which sets them anew.
        const QStringList slMissing = rDB.MissingColumns();
        const QString sReason = rDB.LastError();
        // Back to the database the program was working with, so nothing is stored in a file nobody chose.
        const QString& sPrevious = rSettings.sDatabaseFileName;
        if (sPrevious.isEmpty() || !rDB.OpenSQLiteDB(sPrevious))
            rDB.CloseSQLiteDB();
        TellRefused(kTxtNotADatabase, sFileName, slMissing, sReason);
        return false;
    }
    rSettings.sDatabaseFileName = sFileName;
    rView.SetStatusText(kPanelDatabase, TruncateString(sFileName, kDatabaseNameWidth, true));
    if (FSessionListReload)
        FSessionListReload();
    rView.SetMainGUI(kGUIDatabase);
    // Told once the program works with it: whatever happens while the message is open (the program ended
    // by a shutdown, rows stored) already sees the database the user chose.
    Tell(kTxtDatabaseSelected, kMsgInformation, sFileName);
    return true;
}

void TDBSelectModel::CloseWorkingDatabase() {
    rDB.CloseSQLiteDB();
    rSettings.sDatabaseFileName.clear();
    rView.SetStatusText(kPanelDatabase, QString());
    rView.SetMainGUI(kGUINoDatabase);
}

TDBSelectOutcome TDBSelectModel::RemoveDB(const QString& sFileName) {
    if (Ask(kTxtAskRemove, kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, sFileName) != kMsgResultYes)
        return TDBSelectOutcome::None;
    // Closed before anything else, so that its file can be deleted and nothing is written to it any more.
    if (SameDatabaseFile(sFileName, rSettings.sDatabaseFileName))
        CloseWorkingDatabase();

    if (Ask(kTxtAskDelete, kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, sFileName) == kMsgResultYes &&
        Ask(kTxtAskDeleteIrreversible, kMsgWarning, kMsgBtnYes | kMsgBtnNo, sFileName) == kMsgResultYes) {
        // A file already gone needs no deleting.
        if (QFileInfo::exists(sFileName) && !QFile::remove(sFileName))
            Tell(kTxtCouldNotDelete, kMsgError, sFileName);
    }

    QStringList& sl = rSettings.slLocalDB;
    const auto it = std::find_if(sl.begin(), sl.end(),
                                 [&](const QString& s) { return s.compare(sFileName, kPathCase) == 0; });
    if (it != sl.end())
        sl.erase(it);
    return TDBSelectOutcome::Removed;
}
