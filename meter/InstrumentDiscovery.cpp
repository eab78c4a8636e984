#include "meter/InstrumentDiscovery.h"

#include "meter/ComPorts.h"
#include "meter/NetworkLink.h"
#include "meter/qxMeterCOM.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QThread>
#include <algorithm>
#include <limits>
#include <memory>

namespace {

struct TDeviceFamily {
    const char* sPrefix;
    int iFirstPort;
};
// The inverse of the conventional mapping in ComPorts.
constexpr TDeviceFamily kDeviceFamilies[] = {{"/dev/ttyS", 1}, {"/dev/ttyUSB", 33}, {"/dev/ttyACM", 65}};
constexpr int kPortsPerFamily = 32;

void AppendOnce(QStringList& slNames, const QString& sName) {
    if (!sName.isEmpty() && !slNames.contains(sName))
        slNames.append(sName);
}

} // namespace

int PortNumberOfName(const QString& sName) {
    qint64 iNumber = 0;
    bool bDigits = false;
    for (const QChar c : sName) {
        if (c < u'0' || c > u'9')
            continue;
        bDigits = true;
        iNumber = iNumber * 10 + (c.unicode() - u'0');
        if (iNumber > std::numeric_limits<int>::max() - 100)
            return -1;
    }
    return bDigits ? int(iNumber) : -1;
}

QStringList SortPortNames(const QStringList& slNames) {
    QStringList slAlphabetical;
    for (const QString& sName : slNames)
        AppendOnce(slAlphabetical, sName);
    slAlphabetical.sort();
    QStringList slSorted;
    QVector<int> aNumbers;
    for (const QString& sName : slAlphabetical) {
        const int iNumber = PortNumberOfName(sName);
        if (iNumber < 0)
            continue;
        const auto it = std::upper_bound(aNumbers.begin(), aNumbers.end(), iNumber);
        const qsizetype iAt = it - aNumbers.begin();
        aNumbers.insert(iAt, iNumber);
        slSorted.insert(iAt, sName);
    }
    return slSorted;
}

QString ComNameOfDevice(const QString& sSystemLocation) {
    for (const TDeviceFamily& Family : kDeviceFamilies) {
        const QString sPrefix = QString::fromLatin1(Family.sPrefix);
        if (!sSystemLocation.startsWith(sPrefix))
            continue;
        const QString sIndex = sSystemLocation.mid(sPrefix.size());
        bool bOk = false;
        const int iIndex = sIndex.toInt(&bOk);
        // Only plain decimal indexes: "ttyS01" or "ttyS+1" are not a conventional device.
        if (!bOk || sIndex != QString::number(iIndex) || iIndex < 0 || iIndex >= kPortsPerFamily)
            return {};
        return ComPortName(Family.iFirstPort + iIndex);
    }
    return {};
}

QStringList LinkedPortNames(const QString& sDataFolder) {
    static const QRegularExpression kComName(QStringLiteral("^COM[1-9][0-9]*$"));
    const QDir Ports(sDataFolder + QStringLiteral("/ports"));
    QStringList slNames;
    // Links to devices that are gone still name a port the user set up; opening it reports the failure.
    const QStringList slEntries = Ports.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& sEntry : slEntries)
        if (kComName.match(sEntry).hasMatch() && PortNumberOfName(sEntry) > 0)
            AppendOnce(slNames, sEntry);
    return slNames;
}

QStringList SystemPortNames() {
    QStringList slNames;
    const QList<QSerialPortInfo> aPorts = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& Port : aPorts) {
#ifdef Q_OS_WIN
        AppendOnce(slNames, Port.portName());
#else
        AppendOnce(slNames, ComNameOfDevice(Port.systemLocation()));
#endif
    }
    return slNames;
}

QStringList LoadPorts(const QString& sDataFolder) {
    return SortPortNames(LinkedPortNames(sDataFolder) + SystemPortNames());
}

namespace {

// bTellMissing: a port whose device is missing is worth telling (one port probed, not a search).
TPortProbe ProbePorts(const QVector<int>& aPorts, const TTimingSettings& rTiming, const QString& sDataFolder,
                      bool bTellMissing) {
    TPortProbe rProbe;
    if (aPorts.size() == 1)
        rProbe.iPort = aPorts.front();
    TqxMeterCom Com(rTiming);
    Com.SetDataFolder(sDataFolder);
    for (const int iPort : aPorts) {
        // Leaves command mode on the previous port when it had entered it.
        Com.Close();
        Com.SetPort(iPort);
        if (!Com.Open()) {
            // A search passes over missing devices quietly; one that is there but refused is worth telling.
            const bool bTell = bTellMissing || Com.OpenFailure().Cause != TPortOpenCause::NoDevice;
            if (bTell && !rProbe.OpenFailure.Failed())
                rProbe.OpenFailure = Com.OpenFailure();
            continue;
        }
        if (Com.ConnectToMeter()) {
            rProbe.iPort = iPort;
            rProbe.bFound = true;
            rProbe.sTypeName = Com.qxMeterInfo().TypeName;
            rProbe.sIOString = Com.qxMeterInfo().IOString;
            rProbe.iSerialNo = Com.qxMeterInfo().SerialNo;
            break;
        }
    }
    Com.Close();
    return rProbe;
}

} // namespace

TPortProbe ProbePort(int iPort, const TTimingSettings& rTiming, const QString& sDataFolder) {
    return ProbePorts({iPort}, rTiming, sDataFolder, true);
}

TPortProbe FindInstrument(const QVector<int>& aPorts, const TTimingSettings& rTiming,
                          const QString& sDataFolder) {
    return ProbePorts(aPorts, rTiming, sDataFolder, false);
}

int TestNetworkLogin(TInstrumentInfo& rNetworkCFG, const TTimingSettings& rTiming, QString& sError) {
    TNetworkLink Link(rTiming);
    TTelnetError rError;
    const int iResult = Link.TelnetLogin(rNetworkCFG, rError);
    if (iResult == kLoginError)
        sError = rError.sText.isEmpty() ? rError.sName : rError.sText;
    Link.Disconnect();
    Link.ResetLogin();
    return iResult;
}

void RunOffUIThread(const std::function<void()>& fnWork) {
    std::unique_ptr<QThread> Worker(QThread::create(fnWork));
    QEventLoop Loop;
    // Queued to this thread, so the quit arrives only once the loop below runs.
    QObject::connect(Worker.get(), &QThread::finished, &Loop, &QEventLoop::quit, Qt::QueuedConnection);
    Worker->start();
    Loop.exec();
    Worker->wait();
}
