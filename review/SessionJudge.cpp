#include "review/SessionJudge.h"

#include "compliance/LoudnessRange.h"
#include "compliance/Verdict.h"
#include "review/LevelData.h"
#include "review/SessionListModel.h"
#include "store/ComplianceStore.h"
#include "store/dbSQLite.h"

#include <memory>
#include <optional>
#include <vector>

namespace {

const char* const kSelectOneSession = "SELECT * FROM %1 WHERE sReportId=?";

} // namespace

bool TSessionJudge::JudgeAndKeep(const QString& sReportId) {
    rKept = TKeptVerdict();
    sLastError.clear();
    // The header as the session list reads it: its stored setup and end timecode, which the kept verdict
    // must match for the list to show it.
    std::unique_ptr<TDBResult> Header;
    rDB.RetreiveSessionList(
        Header,
        TSQLFilter(QString::fromLatin1(kSelectOneSession).arg(QLatin1String(kSessionListView)), {sReportId}));
    if (!Header) {
        sLastError = rDB.LastError();
        return false;
    }
    std::vector<TSessionInfo> aSessions;
    if (!ReadSessionRows(*Header, aSessions, sLastError))
        return false;
    if (aSessions.size() != 1) {
        sLastError = QStringLiteral("The session %1 is not stored in the database.").arg(sReportId);
        return false;
    }
    const TSessionInfo& rSession = aSessions.front();

    TLevelData Data;
    std::unique_ptr<TDBResult> Rows;
    if (!rDB.RetreiveSessionData(sReportId, TSQLFilter(), Rows)) {
        // No result at all, or one that failed: the rows could not be read. A result without rows is a
        // session with nothing to judge, which the verdict says.
        if (!Rows || !Rows->LastError().isEmpty()) {
            sLastError = Rows ? Rows->LastError() : rDB.LastError();
            return false;
        }
    } else if (ReadLevelRows(*Rows, Data, {}, sLastError) != TReadResult::Complete) {
        return false;
    }

    TComplianceStore Store(rDB);
    TLoudnessStandard rTarget;
    if (!Store.ReadTargetOf(sReportId, rOptions, rTarget)) {
        sLastError = Store.LastError();
        return false;
    }
    const TLoudnessSetup& rSetup = rSession.rLoudnessSetup;
    const TVerdict rVerdict = JudgeSession(Data, rSetup, rTarget, false);
    const TKeptVerdict rNew =
        KeepVerdict(rVerdict, CalcLoudnessRange(Data, rSetup), rSession.sTimeCodeEnd, Data.RowCount());
    if (!Store.WriteKeptVerdict(sReportId, rNew)) {
        sLastError = Store.LastError();
        return false;
    }
    rKept = rNew;
    return true;
}
