#pragma once

#include "core/SessionTypes.h"
#include "store/StoreWrite.h"
#include "store/dbSQLite.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// The logging path's writes to the session database, in the order they were given. A write the database
// refuses (read-only file or folder, full disk, a lock held elsewhere, a table that lacks a column) is
// kept, with every later one behind it, and retried by a timer that runs only while writes wait; each
// attempt waits at most the connection's short busy time-out, and a long backlog is written in short
// slices, so the window stays responsive. What still waits when the program closes goes to a recovery file
// beside its database (or, when that folder refuses it too, to the spare file of the data folder), which a
// later start imports.
class TSessionStore : public QObject {
    Q_OBJECT
public:
    // Retry period while writes wait, and the longest a slice of waiting writes may take.
    static constexpr int kRetryMs = 500;
    static constexpr int kSliceMs = 25;

    explicit TSessionStore(TdbSQLite& rDB, QObject* parent = nullptr);

    void InsertSession(const TSessionInfo& rSession);
    void UpdateSession(const TSessionInfo& rSession);
    void InsertLevel(const TStoredLevel& rRow);
    // A gap of a session that resumed, written in its place among the session's rows.
    void InsertGap(const TSessionGap& rGap);

    int WaitingCount() const { return int(aWaiting.size()); }
    // The writes of session sReportId (its record and its level rows) still waiting.
    int WaitingWritesOf(const QString& sReportId) const;
    // The level rows of session sReportId still waiting.
    int WaitingLevelsOf(const QString& sReportId) const;
    // The database's reason for the last refusal while writes wait.
    QString WaitingReason() const { return sReason; }
    bool RetryRunning() const { return Retry.isActive(); }

    // Tries the waiting writes once more, then saves the rest in the recovery files of their databases (the
    // spare file for those that cannot be written). Returns the files written; sError says why the writes
    // still waiting could not be saved.
    QStringList SaveWaiting(QString& sError);
    // The recovery file beside sDatabase; for writes given while no database was open, the spare file.
    QString RecoveryFileOf(const QString& sDatabase) const;
    void SetSpareRecoveryFile(const QString& sFile) { sSpareFile = sFile; }
    // The recovery files that a start may import into the working database: its own and the spare one.
    QStringList RecoveryFilesFound() const;
    // Queues the writes of a recovery file, in their order, behind what waits; they go to the working
    // database. The file is removed once they have all been written (or saved again at close), so a crash
    // in between loses none. iTaken counts the writes taken; iSkipped the lines that did not read as one
    // and the rows of sessions neither stored nor in the file, which would be stored where no session
    // shows them. When any line is skipped, a copy of the file is kept first (KeptCopy()); without that
    // copy nothing is taken.
    bool ImportRecovery(const QString& sFile, int& iTaken, int& iSkipped, QString& sError);
    // The copy the last import kept of a file with skipped lines; empty when it skipped none.
    QString KeptCopy() const { return sKeptCopy; }

Q_SIGNALS:
    // The number of waiting writes or the reason changed; iWaiting 0: everything has been written.
    void WaitingChanged(int iWaiting, const QString& sReason);
    // A session row has been inserted or updated in the database, at once or after waiting.
    void SessionWritten(const QString& sReportId);

private:
    void GiveSession(TStoreWrite::TKind eKind, const TSessionInfo& rSession);
    void Give(TStoreWrite rWrite);
    bool Write(const TStoreWrite& rWrite);
    // Writes waiting writes in order for at most one slice; stops at the first refusal.
    void Flush();
    void Notify();
    // Appends the leading waiting writes of sDatabase to its recovery file, or to the spare file when that
    // cannot be written, and takes them off the queue. Returns the file written; empty when neither could
    // be (sError says why, the writes stay waiting).
    QString SaveLeading(const QString& sDatabase, QString& sError);
    // Replaces sFile by its content followed by aLines, in one step.
    static bool AppendWhole(const QString& sFile, const QByteArray& aLines, QString& sError);

    TdbSQLite& rDB;
    QList<TStoreWrite> aWaiting;
    QString sReason;
    QTimer Retry;
    QString sSpareFile;
    // Recovery files imported whose writes still wait.
    QStringList slImported;
    QString sKeptCopy;
    int iNotifiedCount = 0;
    QString sNotifiedReason;
};
