#pragma once

#include "compliance/KeptVerdict.h"
#include "store/SQLFilter.h"

#include <QDate>
#include <QString>
#include <optional>

// What the session filter dialog was left holding after OK: the five texts as typed, and for each end
// of the date range whether it counts, its date and, when its time box is checked, its time (hh:mm:ss).
struct TSessionFilterInput {
    QString sShowTitle;
    QString sShowNumber;
    QString sOperatorName;
    QString sFormat;
    QString sNotes;
    bool bDateStart = false;
    QDate dtStart;
    bool bTimeStart = false;
    QString sTCStart;
    bool bDateEnd = false;
    QDate dtEnd;
    bool bTimeEnd = false;
    QString sTCEnd;
    // The verdict mark a session must have; none: any.
    std::optional<TVerdictMark> oVerdict;
};

// The session filter in force: the list statement over the session's own fields and the verdict mark a
// listed session must have. The marks come from a table of their own, so they narrow the list after it
// and the marks were read, and the statement stays as the session fields ask.
struct TSessionListFilter {
    TSessionListFilter() = default;
    TSessionListFilter(TSQLFilter rSQL, std::optional<TVerdictMark> oMarkOnly = std::nullopt)
        : rStatement(std::move(rSQL)), oMark(oMarkOnly) {}

    TSQLFilter rStatement;
    std::optional<TVerdictMark> oMark;

    bool IsEmpty() const { return rStatement.IsEmpty() && !oMark; }
    bool operator==(const TSessionListFilter&) const = default;
};

// The session list statement of a filter: every session with nId above 0, narrowed by a LIKE pattern
// "%text%" for each text that is not empty (its "%" and "_" keep their LIKE meaning; case counts for no
// letter) and by the start and end moments, which select by the session's recording start. Texts and
// moments are bound values, never part of the statement.
TSQLFilter BuildSessionFilter(const TSessionFilterInput& rInput);
// The whole session filter of the dialog's input: its statement and its verdict mark.
TSessionListFilter BuildSessionListFilter(const TSessionFilterInput& rInput);

// The Julian date of a filter moment, as sessions are stamped: the date with sTime (hh:mm:ss) when
// bUseTime, else at midnight; an unreadable time counts as midnight.
double FilterMomentJulian(const QDate& dtDate, bool bUseTime, const QString& sTime);
