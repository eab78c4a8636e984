#include "meter/ComPorts.h"

#include "core/DataFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

struct TDeviceRange {
    int iFirstPort;
    const char* sPrefix;
};
// Each family covers 32 consecutive port numbers.
constexpr int kPortsPerFamily = 32;
constexpr TDeviceRange kDeviceRanges[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};

} // namespace

QString ComPortName(int iPort) {
    return QStringLiteral("COM") + QString::number(iPort);
}

QString ComPortLinkPath(const QString& sDataFolder, int iPort) {
    return sDataFolder + QStringLiteral("/ports/") + ComPortName(iPort);
}

QString ConventionalComDevice(int iPort) {
    for (const TDeviceRange& Range : kDeviceRanges)
        if (iPort >= Range.iFirstPort && iPort < Range.iFirstPort + kPortsPerFamily)
            return QString::fromLatin1(Range.sPrefix) + QString::number(iPort - Range.iFirstPort);
    return {};
}

QString ResolveComPortDevice(int iPort, const QString& sDataFolder,
                             const std::function<bool(const QString&)>& fnLinkExists) {
    const QString sLink = ComPortLinkPath(sDataFolder, iPort);
    if (fnLinkExists && fnLinkExists(sLink))
        return sLink;
    return ConventionalComDevice(iPort);
}

QString ComPortDataFolder() {
    return DataFolder();
}

QString ComPortDevicePath(int iPort, const QString& sDataFolder) {
#ifdef Q_OS_WIN
    (void)sDataFolder;
    return ComPortName(iPort);
#else
    const QString sFolder = sDataFolder.isEmpty() ? ComPortDataFolder() : sDataFolder;
    return ResolveComPortDevice(iPort, sFolder, [](const QString& sPath) {
        const QFileInfo Info(sPath);
        return Info.isSymLink() || Info.exists();
    });
#endif
}
