#include "export/ExportSources.h"

#include "review/SessionBrowser.h"

TSessionGridTexts SessionGridTexts(const TSessionInfo& rSession, int iLNG) {
    return {SessionInfoValues(rSession), LoudnessConfigValues(rSession, iLNG)};
}

QString ExportFileBaseName(const TSessionInfo& rSession) {
    QString s = rSession.sShowTitle;
    if (!rSession.sShowNumber.isEmpty())
        s += QStringLiteral(" - ") + rSession.sShowNumber;
    // A title such as "AC/DC" would otherwise point the dialog into a folder that does not exist.
    s.replace(QChar('/'), QChar('-'));
    return s;
}
