#include "app/StationStatus.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

QJsonValue TimeValue(const QDateTime& dt) {
    return dt.isValid() ? QJsonValue(dt.toOffsetFromUtc(dt.offsetFromUtc()).toString(Qt::ISODate))
                        : QJsonValue(QJsonValue::Null);
}

} // namespace

QByteArray StationStatusJson(const TStationStatus& r, const QDateTime& dtNow) {
    QJsonObject o;
    o.insert(QStringLiteral("state"), r.sState);
    o.insert(QStringLiteral("session_id"), r.sSessionId);
    o.insert(QStringLiteral("session_title"), r.sSessionTitle);
    o.insert(QStringLiteral("rows_stored"), r.iRowsStored);
    o.insert(QStringLiteral("last_row_time"), TimeValue(r.dtLastRow));
    o.insert(QStringLiteral("last_timecode"),
             r.sLastTimeCode.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(r.sLastTimeCode));
    o.insert(QStringLiteral("rows_waiting"), r.iRowsWaiting);
    o.insert(QStringLiteral("gaps_today"), r.iGapsToday);
    o.insert(QStringLiteral("last_error"), r.sLastError);
    o.insert(QStringLiteral("updated"), TimeValue(dtNow));
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

TStationStatusFile::TStationStatusFile(const QString& sPathIn, std::function<TStationStatus()> fnStatusIn,
                                       QObject* parent)
    : QObject(parent), sPath(sPathIn), fnStatus(std::move(fnStatusIn)) {
    Timer.setInterval(kWriteIntervalMs);
    connect(&Timer, &QTimer::timeout, this, &TStationStatusFile::Tick);
    Timer.start();
}

void TStationStatusFile::Tick() {
    const TStationStatus rNow = fnStatus();
    if (bEverWritten && rNow == rWritten)
        return;
    QString sError;
    if (WriteNow(rNow, sError)) {
        sLastFailure.clear();
        return;
    }
    if (sError == sLastFailure)
        return;
    sLastFailure = sError;
    Q_EMIT WriteFailed(sError);
}

bool TStationStatusFile::Flush(QString& sError) {
    return WriteNow(fnStatus(), sError);
}

bool TStationStatusFile::WriteNow(const TStationStatus& rStatus, QString& sError) {
    QSaveFile File(sPath);
    if (!File.open(QIODevice::WriteOnly)) {
        sError = sPath + QStringLiteral(": ") + File.errorString();
        return false;
    }
    File.write(StationStatusJson(rStatus, QDateTime::currentDateTime()));
    if (!File.commit()) {
        sError = sPath + QStringLiteral(": ") + File.errorString();
        return false;
    }
    rWritten = rStatus;
    bEverWritten = true;
    return true;
}
