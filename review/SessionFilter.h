#pragma once

#include "store/SQLFilter.h"

#include <QDate>
#include <QString>

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
};

// The session list statement of a filter: every session with nId above 0, narrowed by a LIKE pattern
// "%text%" for each text that is not empty (its "%" and "_" keep their LIKE meaning; case counts for no
// letter) and by the start and end moments, which select by the session's recording start. Texts and
// moments are bound values, never part of the statement.
TSQLFilter BuildSessionFilter(const TSessionFilterInput& rInput);

// The Julian date of a filter moment, as sessions are stamped: the date with sTime (hh:mm:ss) when
// bUseTime, else at midnight; an unreadable time counts as midnight.
double FilterMomentJulian(const QDate& dtDate, bool bUseTime, const QString& sTime);
