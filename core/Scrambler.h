#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// Receives one engine-log line, its text ending in "|" and the level digit.
using TLogLine = std::function<void(const QString& sLine)>;

// The seed and the two constants of the credential scrambler. Changing any of them makes every stored
// user name and password unreadable, so they are fixed here once.
inline constexpr quint16 kScrambleSeed = 0x5A3C;
inline constexpr quint16 kScrambleC1 = 0x6B2D;
inline constexpr quint16 kScrambleC2 = 0x1F47;

// Replaces sText by its scrambled form: Base64 of a scrambled byte string that carries the value (UTF-8)
// between random padding, a time stamp and a checksum, so the same value gives a different text each time.
bool EncryptString(QString& sText, quint16 wSeed);

// Replaces sText by the value it carries. On any failure sText stays as it is and the result is false;
// a text whose length is not a multiple of four is logged as "Decrypt Error: " + sText at level 0.
bool DecryptString(QString& sText, quint16 wSeed, const TLogLine& fnLog = {});
