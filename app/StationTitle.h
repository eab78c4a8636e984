#pragma once

#include "core/SessionTypes.h"
#include "core/Settings.h"

#include <QDateTime>
#include <QString>

// The station's name: the one its settings give, or the computer's host name when they give none.
QString StationName(const TStationOptions& rStation);

// The title of a session the station starts at dtNow (local time): sTemplate with %station%, %date%
// (yyyy-MM-dd) and %time% (hh:mm) filled in, in any letter case; other text stays as written. The
// characters a session text must not hold are taken out and the title is cut to a session line's length;
// a template that leaves nothing gives "<station> <date>".
QString ExpandStationTitle(const QString& sTemplate, const QString& sStation, const QDateTime& dtNow);

// The session texts the station starts its next session with at dtNow: the title from the template, the
// other four texts from the settings, cleaned and cut as the session information dialog's would be.
void SetStationSessionTexts(TSessionInfo& rSession, const TStationOptions& rStation, const QDateTime& dtNow);
