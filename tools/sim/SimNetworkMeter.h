#pragma once

#include "tools/sim/SimReportGenerator.h"
#include "tools/sim/SimVanish.h"
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QThread;
class QTimer;
class TSimTelnetSession;

// What a network meter does with a wrong user name or password.
enum class TSimWrongLogin {
    // Says so and prompts again; the computer never sees a banner.
    KeepPrompting,
    // Shows its banner and closes the connection.
    BannerAndClose,
};

struct TSimNetworkConfig {
    // 0: the system chooses a free port.
    quint16 iPort = 0;
    QString sUserName = QStringLiteral("admin");
    QString sPassword = QStringLiteral("qxmeter");
    int iSerialNumber = 4711;
    QString sUnitName = QStringLiteral("Studio Meter");
    TSimWrongLogin eWrongLogin = TSimWrongLogin::KeepPrompting;
    // Timecode of the first report, in seconds of the day.
    int iStartSecond = 10 * 3600;
    // Time between reports; below 1000 the meter reports faster than real time.
    int iReportIntervalMs = 1000;
    // The initialisation report follows the reply to the start command after this pause.
    int iInitReportDelayMs = 200;
    // The meter drops the connection this long after a correct login; 0: never.
    int iDropAfterMs = 0;
    // Every report carries the same timecode.
    bool bFreezeTimecode = false;
    // Every report is marked paused.
    bool bPausedReports = false;
    // Going away (connections dropped, port closed) and coming back.
    TSimVanishConfig rVanish;
    // Prompts go out in two writes ("log", then "in: ") this far apart; 0: in one write.
    int iSplitPromptMs = 0;
    // Lines end LF CR instead of CR LF.
    bool bLFCR = false;
    // Reply and report lines go out in two writes, split inside the line, this far apart; 0: whole.
    int iSplitLineMs = 0;
};

// What the meter saw, for tests.
struct TSimNetworkStats {
    int iConnections = 0;
    int iLogins = 0;
    int iRefusedLogins = 0;
    // Terminal types the computer announced, one per connection that announced one.
    QStringList slTerminalTypes;
    // Command lines received after a login, in order.
    QStringList slCommands;
    // Sessions sending level reports now.
    int iReporting = 0;
};

// A network meter on 127.0.0.1: a terminal session (login and password prompts, a banner with serial number
// and unit name) and then a text-command meter (".SP15,18" starts reports with an initialisation report,
// ".SP15,19" stops them). Serves any number of connections on the thread it lives in, which needs an event
// loop. A vanished meter has dropped its connections and closed its port, so connecting is refused until
// it listens again on the same port; the programme's timecode runs on meanwhile.
class TSimNetworkMeter : public QObject {
public:
    explicit TSimNetworkMeter(const TSimNetworkConfig& rConfig, QObject* pParent = nullptr);
    ~TSimNetworkMeter() override;

    bool Listen(QString& sError);
    // The port listened on; readable from any thread.
    quint16 Port() const { return iListenPort.load(); }
    // A copy of what the meter saw; callable from any thread.
    TSimNetworkStats Stats() const;

private:
    friend class TSimTelnetSession;
    void OnNewConnection();
    void Update(const std::function<void(TSimNetworkStats&)>& fnChange);
    // A session began reporting, its first level report due at iFirstDueMs. Once the meter has vanished
    // its reports go on from the running clock.
    void ReportingStarted(TSimReportGenerator& rReports, qint64 iFirstDueMs);
    // A session sent a report; rNext is where its timecode stands now.
    void NoteReport(const TSimTimecodeMark& rNext);
    void StepVanish();
    void ListenAgain();
    void ArmVanishTimer();

    TSimNetworkConfig rConfig;
    QTcpServer* pServer;
    std::map<QTcpSocket*, std::unique_ptr<TSimTelnetSession>> Sessions;
    std::atomic<quint16> iListenPort{0};
    TSimVanishSchedule Vanish;
    QTimer* pVanishTimer;
    // The last report any session sent; set once one has.
    std::optional<TSimTimecodeMark> LastReport;
    // Where the clock stood at the last vanish; none before the first.
    std::optional<TSimTimecodeMark> TimecodeMark;
    mutable QMutex StatsMutex;
    TSimNetworkStats rStats;
};

// A network meter running on a thread of its own, so that a test can drive a blocking client on its own.
class TSimNetworkMeterThread {
public:
    explicit TSimNetworkMeterThread(const TSimNetworkConfig& rConfig);
    ~TSimNetworkMeterThread();
    TSimNetworkMeterThread(const TSimNetworkMeterThread&) = delete;
    TSimNetworkMeterThread& operator=(const TSimNetworkMeterThread&) = delete;

    bool Start(QString& sError);
    quint16 Port() const;
    TSimNetworkStats Stats() const;

private:
    std::unique_ptr<QThread> Thread;
    TSimNetworkMeter* pMeter;
};
