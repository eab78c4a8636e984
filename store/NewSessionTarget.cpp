#include "store/NewSessionTarget.h"

#include "store/ComplianceStore.h"
#include "store/SessionStore.h"

TNewSessionTarget::TNewSessionTarget(TdbSQLite& rDBIn, TSessionStore& rStore, QObject* parent)
    : QObject(parent), rDB(rDBIn) {
    connect(&rStore, &TSessionStore::SessionWritten, this, &TNewSessionTarget::SessionWritten);
}

void TNewSessionTarget::SessionStarting(const QString& sReportId) {
    if (rNextTarget && !sReportId.isEmpty())
        aWaiting.insert(sReportId, *rNextTarget);
    rNextTarget.reset();
}

void TNewSessionTarget::SessionWritten(const QString& sReportId) {
    const auto it = aWaiting.constFind(sReportId);
    if (it == aWaiting.constEnd())
        return;
    TComplianceStore Store(rDB);
    if (!Store.WriteSessionTarget(sReportId, it.value())) {
        Q_EMIT TargetNotWritten(sReportId, Store.LastError());
        return;
    }
    aWaiting.erase(it);
}
