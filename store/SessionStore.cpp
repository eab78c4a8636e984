#include "store/SessionStore.h"

#include <QDateTime>
#include <QFile>

namespace {

const char* const kRecoverySuffix = ".recovery";
// A recovery line longer than this is no write of this program.
constexpr qint64 kMaxRecoveryLine = 64 * 1024;

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
            if (!SaveLeading(w.sDatabase, sError)) {
                sReason = sError;
                Retry.start(kRetryMs);
                Notify();
                return;
            }
            continue;
        }
        if (!Write(w)) {
            sReason = rDB.LastError();
            Retry.start(kRetryMs);
            Notify();
            return;
        }
        aWaiting.removeFirst();
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

bool TSessionStore::SaveLeading(const QString& sDatabase, QString& sError) {
    const QString sFile = RecoveryFileOf(sDatabase);
    if (sFile.isEmpty()) {
        sError = QStringLiteral("There is no recovery file for writes without a database.");
        return false;
    }
    int iCount = 0;
    while (iCount < aWaiting.size() && aWaiting[iCount].sDatabase == sDatabase)
        ++iCount;
    QFile file(sFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        sError = sFile + ": " + file.errorString();
        return false;
    }
    const qint64 iSizeBefore = file.size();
    QByteArray aData;
    for (int i = 0; i < iCount; ++i)
        aData += EncodeStoreWrite(aWaiting[i]) + '\n';
    if (file.write(aData) != aData.size() || !file.flush()) {
        sError = sFile + ": " + file.errorString();
        // A partly written line would read as nothing; the writes stay waiting and are saved whole later.
        file.resize(iSizeBefore);
        return false;
    }
    file.close();
    aWaiting.remove(0, iCount);
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
        const QString sDatabase = aWaiting.first().sDatabase;
        if (!SaveLeading(sDatabase, sError))
            break;
        if (!slFiles.contains(RecoveryFileOf(sDatabase)))
            slFiles << RecoveryFileOf(sDatabase);
    }
    Notify();
    return slFiles;
}

QStringList TSessionStore::RecoveryFilesFound() const {
    QStringList slFound;
    for (const QString& sFile : {RecoveryFileOf(rDB.DatabaseFileName()), sSpareFile}) {
        if (!sFile.isEmpty() && !rDB.DatabaseFileName().isEmpty() && QFile::exists(sFile) &&
            !slFound.contains(sFile))
            slFound << sFile;
    }
    return slFound;
}

bool TSessionStore::ImportRecovery(const QString& sFile, int& iTaken, int& iSkipped, QString& sError) {
    iTaken = 0;
    iSkipped = 0;
    QFile file(sFile);
    if (!file.open(QIODevice::ReadOnly)) {
        sError = sFile + ": " + file.errorString();
        return false;
    }
    const QString sDatabase = rDB.DatabaseFileName();
    QList<TStoreWrite> aRead;
    while (!file.atEnd()) {
        const QByteArray aLine = file.readLine(kMaxRecoveryLine);
        TStoreWrite w;
        if (aLine.trimmed().isEmpty())
            continue;
        if (!aLine.endsWith('\n') && !file.atEnd()) {
            // Longer than any write: skip the rest of the line.
            while (!file.atEnd() && !file.readLine(kMaxRecoveryLine).endsWith('\n')) {
            }
            ++iSkipped;
            continue;
        }
        if (!DecodeStoreWrite(aLine, w)) {
            ++iSkipped;
            continue;
        }
        w.sDatabase = sDatabase;
        aRead.append(std::move(w));
    }
    iTaken = int(aRead.size());
    if (aRead.isEmpty()) {
        file.remove();
        return true;
    }
    aWaiting.append(aRead);
    slImported << sFile;
    Flush();
    return true;
}
