#pragma once

#include "compliance/KeptVerdict.h"
#include "core/LoudnessStandard.h"

#include <QString>

class TdbSQLite;

// Judges a stored session and keeps its verdict, so that the session list shows its mark without loading
// it: the session's header (for its meter setup and end timecode) and every level row read as the level
// table reads them, the target it is judged against (its own, or the default of rOptions), the verdict and
// the loudness range computed and written to the session database. Runs on the thread that owns rDB's
// connection; reading the rows costs what loading them in the level table costs.
class TSessionJudge {
public:
    TSessionJudge(TdbSQLite& rDB, const TComplianceOptions& rOptions) : rDB(rDB), rOptions(rOptions) {}
    TSessionJudge(TdbSQLite&, const TComplianceOptions&&) = delete;

    // True when the session was judged and its verdict kept (Kept() then holds it). False, with the
    // reason in LastError(), when it is not stored, its rows could not be read or the verdict not written.
    bool JudgeAndKeep(const QString& sReportId);

    const TKeptVerdict& Kept() const { return rKept; }
    // The mark the list shows for the kept verdict.
    TVerdictMark Mark() const { return MarkOfKind(rKept.eKind); }
    const QString& LastError() const { return sLastError; }

private:
    TdbSQLite& rDB;
    const TComplianceOptions& rOptions;
    TKeptVerdict rKept;
    QString sLastError;
};
