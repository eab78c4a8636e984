#pragma once

#include "core/LoudnessStandard.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <optional>

class TdbSQLite;
class TSessionStore;

// The delivery target chosen for the session about to start. Its row reaches the database through the
// session store, at once or after waiting for a lock; the target is written as the session's own once the
// row is there, on the same (main) thread and connection. A session left at the program default gets
// nothing written.
class TNewSessionTarget : public QObject {
    Q_OBJECT
public:
    TNewSessionTarget(TdbSQLite& rDB, TSessionStore& rStore, QObject* parent = nullptr);

    // The target of the next session to start: none for the program default.
    void SetNextTarget(const std::optional<TLoudnessStandard>& rTarget) { rNextTarget = rTarget; }
    const std::optional<TLoudnessStandard>& NextTarget() const { return rNextTarget; }
    // Session sReportId starts, before its row is given to the store: it takes the next target, and the
    // session after it gets the program default unless a target is chosen again.
    void SessionStarting(const QString& sReportId);
    // Targets whose session row has not been written yet.
    int WaitingCount() const { return int(aWaiting.size()); }

Q_SIGNALS:
    // The session's row was written but its target could not be; it is tried again at the row's next write.
    void TargetNotWritten(const QString& sReportId, const QString& sReason);

private:
    void SessionWritten(const QString& sReportId);

    TdbSQLite& rDB;
    std::optional<TLoudnessStandard> rNextTarget;
    QHash<QString, TLoudnessStandard> aWaiting;
};
