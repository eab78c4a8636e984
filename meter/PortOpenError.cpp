#include "meter/PortOpenError.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "meter/ComPorts.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The root group: adding a user to it would hand out far more than one device.
constexpr uint kRootGroupId = 0;

QString GroupThatGrantsAccess(const QFileInfo& Device) {
    const QFile::Permissions Needed = QFile::ReadGroup | QFile::WriteGroup;
    if (!Device.exists() || (Device.permissions() & Needed) != Needed || Device.groupId() == kRootGroupId)
        return {};
    return Device.group();
}

} // namespace

TPortOpenCause PortOpenCauseOfErrno(int iErrno) {
    switch (iErrno) {
    case 0:
        return TPortOpenCause::None;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case ELOOP:
        return TPortOpenCause::NoDevice;
    case EACCES:
    case EPERM:
    case EROFS:
        return TPortOpenCause::PermissionDenied;
    case EBUSY:
        return TPortOpenCause::Busy;
    default:
        return TPortOpenCause::Other;
    }
}

TPortOpenFailure DescribePortOpenFailure(int iPort, const QString& sPath, TPortOpenCause Cause,
                                         const QString& sSystemError) {
    TPortOpenFailure r;
    r.Cause = Cause;
    r.iPort = iPort;
    r.sPath = sPath;
    r.sSystemError = sSystemError;
    const QFileInfo Path(sPath);
    r.sDevice = Path.canonicalFilePath();
    if (sPath.isEmpty())
        r.sDevice = ComPortName(iPort);
    else if (r.sDevice.isEmpty())
        r.sDevice = Path.isSymLink() ? Path.symLinkTarget() : sPath;
    if (Cause == TPortOpenCause::PermissionDenied)
        r.sGroup = GroupThatGrantsAccess(QFileInfo(r.sDevice));
    return r;
}

TPortOpenFailure DiagnosePortOpen(int iPort, const QString& sPath, bool bLibraryPermissionError,
                                  const QString& sLibraryError) {
    if (sPath.isEmpty())
        return DescribePortOpenFailure(iPort, sPath, TPortOpenCause::NoDevice, sLibraryError);
#ifdef Q_OS_UNIX
    // The library keeps errno to itself (and reports a busy port as a permission error); a direct open
    // tells them apart. Non-blocking, so a modem line cannot hold it up.
    const int fd = ::open(QFile::encodeName(sPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int iErrno = errno;
        return DescribePortOpenFailure(iPort, sPath, PortOpenCauseOfErrno(iErrno), qt_error_string(iErrno));
    }
    ::close(fd);
    // The device itself opens: what stopped the library is its lock, held by another program.
    return DescribePortOpenFailure(
        iPort, sPath, bLibraryPermissionError ? TPortOpenCause::Busy : TPortOpenCause::Other, sLibraryError);
#else
    return DescribePortOpenFailure(
        iPort, sPath, bLibraryPermissionError ? TPortOpenCause::PermissionDenied : TPortOpenCause::Other,
        sLibraryError);
#endif
}

QString PortOpenFailureText(const TPortOpenFailure& r, int iLNG) {
    switch (r.Cause) {
    case TPortOpenCause::None:
        return {};
    case TPortOpenCause::NoDevice:
        return FormatText(GetText(kTxtPortNoDevice, iLNG), {r.sDevice, r.sSystemError});
    case TPortOpenCause::PermissionDenied:
        if (!r.sGroup.isEmpty())
            return FormatText(GetText(kTxtPortPermissionGroup, iLNG), {r.sDevice, r.sGroup, r.sGroup});
        return FormatText(GetText(kTxtPortPermissionDenied, iLNG), {r.sDevice, r.sSystemError});
    case TPortOpenCause::Busy:
        return FormatText(GetText(kTxtPortBusy, iLNG), {r.sDevice, r.sSystemError});
    case TPortOpenCause::Other:
        break;
    }
    return FormatText(GetText(kTxtPortOpenFailed, iLNG), {r.sDevice, r.sSystemError});
}

QString PortOpenFailureLog(const TPortOpenFailure& r) {
    QString sWhere = r.sPath;
    if (r.sDevice != r.sPath)
        sWhere += QStringLiteral(" (") + r.sDevice + QLatin1Char(')');
    return QStringLiteral("Could not open ") + ComPortName(r.iPort) + QStringLiteral(" at ") + sWhere +
           QStringLiteral(": ") + r.sSystemError + QStringLiteral(".|4");
}
