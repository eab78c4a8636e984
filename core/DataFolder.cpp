#include "core/DataFolder.h"

#include <QStandardPaths>

QString DataFolderUnder(const QString& sConfigRoot) {
    return sConfigRoot + QStringLiteral("/Kelmoria/QXLogging");
}

QString DataFolder() {
    return DataFolderUnder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
