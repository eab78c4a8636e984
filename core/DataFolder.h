#pragma once

#include <QString>

// The program's per-user data folder (settings, engine trace, serial port links) under a configuration root.
QString DataFolderUnder(const QString& sConfigRoot);
// This user's data folder: the configuration folder of the system (XDG_CONFIG_HOME) + Kelmoria/QXLogging.
QString DataFolder();
