#include "store/SessionStore.h"

#include <algorithm>

#include "core/KeptCopy.h"
#include "store/SessionGapStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace {

const char* const kRecoverySuffix = ".recovery";

} // namespace

TSessionStore::TSessionStore(TdbSQLite& rDBIn, QObject* parent) : QObject(parent), rDB(rDBIn) {
    Retry.setSingleShot(true);
    connect(&Retry, &QTimer::timeout, this, &TSessionStore::Flush);
}

void TSessionStore::InsertSession(const TSessionInfo& rSession) {
    GiveSession(TStoreWrite::InsertSession, rSession);
}

void TSessionStore::UpdateSession(const TSessionInfo& rSession) {
    GiveSession(TStoreWrite::UpdateSession, rSession);
}

void TSessionStore::GiveSession(TStoreWrite::TKind eKind, const TSessionInfo& rSession) {
    TStoreWrite w;
    w.eKind = eKind;
    w.rSession = rSession;
    w.fStamp = JulianDateOf(QDateTime::currentDateTime());
    Give(std::move(w));
}

void TSessionStore::InsertLevel(const TStoredLevel& rRow) {
    TStoreWrite w;
    w.eKind = TStoreWrite::InsertLevel;
    w.rLevel = rRow;
    if (w.rLevel.fStamp == 0.0)
        w.rLevel.fStamp = JulianDateOf(QDateTime::currentDateTime());
    w.fStamp = w.rLevel.fStamp;
    Give(std::move(w));
}

void TSessionStore::InsertGap(const TSessionGap& rGap) {
    TStoreWrite w;
    w.eKind = TStoreWrite::InsertGap;
    w.rGap = rGap;
    w.fStamp = JulianDateOf(QDateTime::currentDateTime());
    Give(std::move(w));
}

void TSessionStore::Give(TStoreWrite rWrite) {
    rWrite.sDatabase = rDB.DatabaseFileName();
    // Behind a waiting write it must wait too: rows are stored in the order they came.
    if (aWaiting.isEmpty() && Write(rWrite))
        return;
    aWaiting.append(std::move(rWrite));
    if (aWaiting.size() == 1) {
        sReason = rDB.LastError();
        Retry.start(kRetryMs);
    }
    Notify();
}

int TSessionStore::WaitingWritesOf(const QString& sReportId) const {
    return int(std::count_if(aWaiting.begin(), aWaiting.end(),
                             [&](const TStoreWrite& w) { return w.SessionId() == sReportId; }));
}

int TSessionStore::WaitingLevelsOf(const QString& sReportId) const {
    return int(std::count_if(aWaiting.begin(), aWaiting.end(), [&](const TStoreWrite& w) {
        return w.eKind == TStoreWrite::InsertLevel && w.rLevel.sReportId == sReportId;
    }));
}

bool TSessionStore::Write(const TStoreWrite& w) {
    bool bWritten = false;
    switch (w.eKind) {
    case TStoreWrite::InsertSession:
        bWritten = rDB.InsertSession(w.rSession, w.fStamp);
        break;
    case TStoreWrite::UpdateSession:
        bWritten = rDB.UpdateSession(w.rSession, w.fStamp);
        break;
    case TStoreWrite::InsertLevel:
        return rDB.InsertLevelRow(w.rLevel);
    case TStoreWrite::InsertGap:
        return TSessionGapStore(rDB).InsertGap(w.rGap);
    }
    if (bWritten)
        Q_EMIT SessionWritten(w.rSession.sReportID);
    return bWritten;
}

void TSessionStore::Flush() {
    QElapsedTimer Slice;
    Slice.start();
    while (!aWaiting.isEmpty()) {
        if (Slice.elapsed() >= kSliceMs) {
            // More waits than one slice may write: the window handles its events before the next one.
            Retry.start(0);
            Notify();
            return;
        }
        TStoreWrite& w = aWaiting.first();
        // Given while no database was open: they belong to the one opened since.
        if (w.sDatabase.isEmpty())
            w.sDatabase = rDB.DatabaseFileName();
        if (w.sDatabase != rDB.DatabaseFileName() && !w.sDatabase.isEmpty()) {
            // Another database has been chosen since: these are kept for their own file.
            QString sError;
            if (SaveLeading(w.sDatabase, sError).isEmpty()) {
                sReason = sError;
                Retry.start(kRetryMs);
                Notify();
                return;
            }
            continue;
        }
        // Out of the queue while it is written, so that whoever hears of a written session sees only the
        // writes still behind it.
        TStoreWrite rWrite = aWaiting.takeFirst();
        if (!Write(rWrite)) {
            aWaiting.prepend(std::move(rWrite));
            sReason = rDB.LastError();
            Retry.start(kRetryMs);
            Notify();
            return;
        }
    }
    // Everything imported has been written: its recovery files have served.
    for (const QString& sFile : std::as_const(slImported))
        QFile::remove(sFile);
    slImported.clear();
    sReason.clear();
    Notify();
}

void TSessionStore::Notify() {
    const int iCount = WaitingCount();
    if (iCount == iNotifiedCount && sReason == sNotifiedReason)
        return;
    iNotifiedCount = iCount;
    sNotifiedReason = sReason;
    Q_EMIT WaitingChanged(iCount, sReason);
}

QString TSessionStore::RecoveryFileOf(const QString& sDatabase) const {
    return sDatabase.isEmpty() ? sSpareFile : sDatabase + QLatin1String(kRecoverySuffix);
}

QString TSessionStore::SaveLeading(const QString& sDatabase, QString& sError) {
    int iCount = 0;
    while (iCount < aWaiting.size() && aWaiting[iCount].sDatabase == sDatabase)
        ++iCount;
    QByteArray aData;
    for (int i = 0; i < iCount; ++i)
        aData += EncodeStoreWrite(aWaiting[i]) + '\n';
    // The file beside the database first; when its folder refuses it too, the spare file of the data
    // folder, which the next start offers as well.
    QStringList slErrors;
    for (const QString& sFile : {RecoveryFileOf(sDatabase), sSpareFile}) {
        if (sFile.isEmpty())
            continue;
        QString sFileError;
        if (AppendWhole(sFile, aData, sFileError)) {
            aWaiting.remove(0, iCount);
            return sFile;
        }
        slErrors << sFileError;
    }
    sError = slErrors.isEmpty() ? QStringLiteral("There is no recovery file for writes without a database.")
                                : slErrors.join(QStringLiteral("; "));
    return {};
}

bool TSessionStore::AppendWhole(const QString& sFile, const QByteArray& aLines, QString& sError) {
    QByteArray aContent;
    QFile existing(sFile);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            sError = sFile + ": " + existing.errorString();
            return false;
        }
        aContent = existing.readAll();
        existing.close();
        // A line cut off by an older program's crash must not swallow the first new one.
        if (!aContent.isEmpty() && !aContent.endsWith('\n'))
            aContent += '\n';
    }
    aContent += aLines;
    // Written under another name and renamed when complete: a full disk or a kill leaves the earlier file
    // as it was, never an empty or partial one in its place.
    QSaveFile file(sFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(aContent) != aContent.size() || !file.commit()) {
        sError = sFile + ": " + file.errorString();
        return false;
    }
    return true;
}

QStringList TSessionStore::SaveWaiting(QString& sError) {
    Retry.stop();
    Flush();
    Retry.stop();
    // The writes of imported files still wait and are saved afresh: the old files would repeat them.
    for (const QString& sFile : std::as_const(slImported))
        QFile::remove(sFile);
    slImported.clear();
    QStringList slFiles;
    while (!aWaiting.isEmpty()) {
        const QString sFile = SaveLeading(aWaiting.first().sDatabase, sError);
        if (sFile.isEmpty())
            break;
        if (!slFiles.contains(sFile))
            slFiles << sFile;
    }
    Notify();
    return slFiles;
}

QStringList TSessionStore::RecoveryFilesFound() const {
    QStringList slFound;
    for (const QString& sFile : {RecoveryFileOf(rDB.DatabaseFileName()), sSpareFile}) {
        // Only a file: a folder in a recovery file's place is no file of this program.
        if (!sFile.isEmpty() && !rDB.DatabaseFileName().isEmpty() && QFileInfo(sFile).isFile() &&
            !slFound.contains(sFile))
            slFound << sFile;
    }
    return slFound;
}

bool TSessionStore::ImportRecovery(const QString& sFile, int& iTaken, int& iSkipped, QString& sError) {
    iTaken = 0;
    iSkipped = 0;
    sKeptCopy.clear();
    QFile file(sFile);
    if (!file.open(QIODevice::ReadOnly)) {
        sError = sFile + ": " + file.errorString();
        return false;
    }
    const QString sDatabase = rDB.DatabaseFileName();
    // Sessions whose row is stored or will be before the rows read here: a level row of any other session
    // would be stored where no session list shows it.
    QSet<QString> setSessions;
    for (const TStoreWrite& w : std::as_const(aWaiting)) {
        if (w.eKind == TStoreWrite::InsertSession)
            setSessions.insert(w.rSession.sReportID);
    }
    QSet<QString> setMissing;
    QList<TStoreWrite> aRead;
    while (!file.atEnd()) {
        // Every line is read whole, whatever its length: this program writes lines of any length.
        const QByteArray aLine = file.readLine();
        TStoreWrite w;
        if (aLine.trimmed().isEmpty())
            continue;
        if (!DecodeStoreWrite(aLine, w)) {
            ++iSkipped;
            continue;
        }
        if (w.eKind == TStoreWrite::InsertSession) {
            setSessions.insert(w.rSession.sReportID);
        } else {
            const QString& sId = w.SessionId();
            if (!setSessions.contains(sId) && !setMissing.contains(sId)) {
                bool bExists = false;
                if (!rDB.SessionExists(sId, bExists)) {
                    sError = rDB.DatabaseFileName() + ": " + rDB.LastError();
                    return false;
                }
                (bExists ? setSessions : setMissing).insert(sId);
            }
            if (setMissing.contains(sId)) {
                ++iSkipped;
                continue;
            }
        }
        w.sDatabase = sDatabase;
        aRead.append(std::move(w));
    }
    file.close();
    if (iSkipped > 0) {
        // What is not taken stays readable by hand: the file goes once its writes are stored.
        sKeptCopy = KeepCopyBeside(sFile, QStringLiteral("unread"), sError);
        if (sKeptCopy.isEmpty())
            return false;
    }
    iTaken = int(aRead.size());
    if (aRead.isEmpty()) {
        QFile::remove(sFile);
        return true;
    }
    aWaiting.append(aRead);
    slImported << sFile;
    Flush();
    return true;
}
