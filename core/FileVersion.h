#pragma once

#include <QString>

// The four numbers of a program version: major, minor, release, build.
struct TFileVersion {
    int iMajor = 0;
    int iMinor = 0;
    int iRelease = 0;
    int iBuild = 0;
};

// The version of this program, set once in the build and compiled in.
TFileVersion ProgramFileVersion();

// sFmt with its "%d" placeholders filled by major, minor, release and build in this order: "%d.%d" gives
// major.minor, "%d.%d.%d.%d" all four.
QString FormatFileVersion(const TFileVersion& rVersion, const QString& sFmt);

// The program's own version in sFmt, as the about box, the splash and the PDF documents show it.
QString GetFmtFileVersion(const QString& sFmt);
