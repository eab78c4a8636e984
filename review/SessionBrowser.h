#pragma once

#include "core/LoudnessStandard.h"
#include "core/SessionTypes.h"
#include "review/SessionFilter.h"
#include "review/SessionListModel.h"
#include "store/SQLFilter.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class TdbSQLite;

// A session's own target as the session information dialog leaves it (none: the program default); it is
// written only when it differs from the one read before.
struct TSessionTargetEdit {
    std::optional<TLoudnessStandard> rBefore;
    std::optional<TLoudnessStandard> rAfter;
    bool Changed() const { return rBefore != rAfter; }
};

// Shows a message of the program (text, kind kMsg..., buttons kMsgBtn...) and returns the button chosen.
using TShowMessageFunction = std::function<int(const QString& sText, int iKind, int iButtons)>;

// The session half of the database tab without its widgets: the session list and its filter, the
// selected session, deleting and editing a session. The tab's view shows what it holds and passes the
// user's commands on.
class TSessionBrowser {
public:
    // rSelectedSessionInfo is the main window's selected stored session; sCurrentSession the identifier of
    // the session being recorded (empty when none); iLNG the interface language. All must outlive this.
    TSessionBrowser(TdbSQLite& rDB, TSessionInfo& rSelectedSessionInfo, const QString& sCurrentSession,
                    const int& iLNG, TShowMessageFunction fnShowMessage);
    TSessionBrowser(TdbSQLite&, TSessionInfo&, const QString&, const int&&, TShowMessageFunction) = delete;

    TSessionListModel& Sessions() { return FSessions; }
    const TSessionListModel& Sessions() const { return FSessions; }

    // The targets the sessions' kept verdicts are marked against (the program's options, which must
    // outlive this); the default options until it is called.
    void UseComplianceOptions(const TComplianceOptions& rOptions) { pOptions = &rOptions; }

    // Reloads the list with rFilter (all sessions when empty), each session with its verdict mark read in
    // the same refresh; true when at least one session is listed. A failed read empties the list and tells
    // the user why; marks that cannot be read show as not yet computed, unless the filter asks for a mark.
    bool RefreshSessions(const TSessionListFilter& rFilter);
    // The refresh button: the session filter is dropped and every session listed.
    void RefreshAllSessions();
    // Makes rFilter the session filter and lists what it finds; tells the user when nothing matched.
    bool ApplySessionFilter(const TSessionListFilter& rFilter);

    // Makes list row iRow the selected session. False (and nothing selected) outside the list, without a
    // database or when the row holds no session. Deleting is disabled until the session's level data is
    // loaded again.
    bool SelectSession(int iRow);
    // Forgets the selected session (after it was deleted, or when the database went away).
    void ClearSelection();
    // Lists the sessions again with the filter in force. The selected session stays selected, its header
    // read afresh, when it is still listed; otherwise nothing is selected. Returns its row, -1 when none.
    int RefreshKeepingSelection();

    // The selected session's level data has been loaded: deleting becomes possible, unless it is the
    // session being recorded.
    void SessionDataLoaded();
    bool DeleteEnabled() const { return bDeleteEnabled; }

    // Asks before deleting the selected session with its levels; on Yes deletes it in one step and lists
    // the sessions again with the filter in force. True when the session was deleted. The session being
    // recorded is never deleted.
    bool DeleteSelectedSession();
    // The selected session's own target; none when it is judged against the program default. False when
    // it could not be read (the user is told).
    bool ReadSelectedTarget(std::optional<TLoudnessStandard>& rTarget);
    // Writes the selected session's edited header (rSelectedSessionInfo) to the database, then its own
    // target when rTarget changed it, and lists the sessions with the filter as before; iRow is then the
    // edited session's row (-1 when the filter no longer lists it, and nothing is selected). False when the
    // header's write failed; a target that could not be written is told the same way, after the header.
    bool StoreEditedSession(int& iRow, const TSessionTargetEdit& rTarget = {});

    // The hint over list row iRow (SessionListHint), with the reasons of its kept verdict, which are read
    // only for the row hinted.
    QString SessionHint(int iRow);

    // The session filter in force, empty for all sessions.
    const TSessionListFilter& SessionFilter() const { return sSessionFilter; }
    const QString& SelectedSession() const { return sSelectedSession; }
    bool HasSessions() const { return FSessions.rowCount() > 0; }

private:
    void ShowEntry(int iEntry, int iKind, const QStringList& slArgs);

    TdbSQLite& rDB;
    TSessionInfo& rSelectedSessionInfo;
    const QString& sCurrentSession;
    const int& iLNG;
    TShowMessageFunction FShowMessage;
    TSessionListModel FSessions;
    TComplianceOptions FDefaultOptions;
    const TComplianceOptions* pOptions = &FDefaultOptions;
    TSessionListFilter sSessionFilter;
    // The reasons last read for a hint, with the session, mark and language they belong to.
    QString sHintSession;
    TVerdictMark eHintMark = TVerdictMark::NotComputed;
    int iHintLNG = -1;
    QStringList slHintReasons;
    QString sSelectedSession;
    int iLastSGSessionRow = -1;
    bool bDeleteEnabled = false;
};

// The session's description as the exports print it: title, number, operator, format, start and end
// timecode, notes.
QStringList SessionInfoValues(const TSessionInfo& r);
// The values of the database tab's session information grid, rows 1 to 9: the description with, before the
// notes, when the session was recorded and when its row was last updated (the analysis date).
QStringList DBSessionInfoValues(const TSessionInfo& r);
// The values of the loudness configuration grid, rows 1 to 11, in language iLNG. Row 1 is the whole
// instrument text ("Unknown|" when the session has none); the grid shows it up to its first "|".
QStringList LoudnessConfigValues(const TSessionInfo& r, int iLNG);
// The part of an instrument text the grid shows: up to its first "|".
QString InstrumentTypeName(const QString& sInstrument);

// The hint over a list row: name, identifier, timecodes and verdict mark under labels of equal width, then
// slReasons (the kept verdict's reasons), one a line under the mark.
QString SessionListHint(const TSessionListModel& rSessions, int iRow, int iLNG,
                        const QStringList& slReasons = {});
// The hint over the instrument row of the configuration grid: the instrument text's fields under labels
// of equal width; empty when the instrument is unknown.
QString InstrumentHint(const QString& sInstrument, int iLNG);
