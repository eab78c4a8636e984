#include "core/FileVersion.h"

#include "core/TextFormat.h"
#include "core/Version.h"

TFileVersion ProgramFileVersion() {
    return {QX_VERSION_MAJOR, QX_VERSION_MINOR, QX_VERSION_RELEASE, QX_VERSION_BUILD};
}

QString FormatFileVersion(const TFileVersion& rVersion, const QString& sFmt) {
    return FormatText(sFmt, {QString::number(rVersion.iMajor), QString::number(rVersion.iMinor),
                             QString::number(rVersion.iRelease), QString::number(rVersion.iBuild)});
}

QString GetFmtFileVersion(const QString& sFmt) {
    return FormatFileVersion(ProgramFileVersion(), sFmt);
}
