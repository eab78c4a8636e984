#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// What the station tells a monitoring system about itself.
struct TStationStatus {
    // starting, connecting, waiting (connected, the session not begun), logging, stopping, stopped, failed.
    QString sState = QStringLiteral("starting");
    QString sSessionId;
    QString sSessionTitle;
    // Level rows of the running (or last) session written to the database.
    int iRowsStored = 0;
    // When the last level row arrived (local time) and its timecode; invalid and empty before the first.
    QDateTime dtLastRow;
    QString sLastTimeCode;
    // Writes the database has not taken yet.
    int iRowsWaiting = 0;
    // Seconds the meter could not report today.
    int iGapsToday = 0;
    QString sLastError;

    bool operator==(const TStationStatus&) const = default;
};

// The status as a JSON object, with the time it was written (dtNow): keys state, session_id,
// session_title, rows_stored, last_row_time and last_timecode (null before the first row), rows_waiting,
// gaps_today, last_error, updated. Times are ISO 8601 local times with their offset from UTC.
QByteArray StationStatusJson(const TStationStatus& rStatus, const QDateTime& dtNow);

// Keeps the status file of the data folder up to date: once a second a timer asks fnStatus for the status
// and writes it when it differs from the one last written, so however often rows arrive the file is
// written at most once a second; whole or not at all, so that a reader never sees half a file.
class TStationStatusFile : public QObject {
    Q_OBJECT
public:
    static constexpr int kWriteIntervalMs = 1000;

    TStationStatusFile(const QString& sPath, std::function<TStationStatus()> fnStatus,
                       QObject* parent = nullptr);

    // Writes the status now, changed or not (the station's last word as it ends); false when the file
    // could not be written, sError says why.
    bool Flush(QString& sError);
    const QString& Path() const { return sPath; }

Q_SIGNALS:
    // A write failed; reported once for each new reason.
    void WriteFailed(const QString& sError);

private:
    void Tick();
    bool WriteNow(const TStationStatus& rStatus, QString& sError);

    QString sPath;
    std::function<TStationStatus()> fnStatus;
    TStationStatus rWritten;
    bool bEverWritten = false;
    QString sLastFailure;
    QTimer Timer;
};
