#include "core/EngineLog.h"

#include <QFile>
#include <QFileInfo>

QString TEngineLog::FormatLine(int iThread, const QString& sMessage, const QDateTime& dtNow) {
    return QString::number(iThread + 1) + '|' + dtNow.toString("dd-MM-yyyy hh:mm:ss.zzz") + '|' + sMessage;
}

void TEngineLog::AddLog(int iThread, const QString& sMessage, const QDateTime& dtNow) {
    if (slLog.size() > kMaxLines - 1)
        slLog.removeFirst();
    const QString sLine = FormatLine(iThread, sMessage, dtNow);
    slLog.append(sLine);
    Mirror(sLine);
}

void TEngineLog::Mirror(const QString& sLine) {
    if (sMirrorPath.isEmpty())
        return;
    if (QFileInfo(sMirrorPath).size() >= kMirrorLimitBytes) {
        const QString sRotated = sMirrorPath + ".1";
        QFile::remove(sRotated);
        QFile::rename(sMirrorPath, sRotated);
    }
    // A log that cannot be written must never stop logging: failures here are ignored.
    QFile File(sMirrorPath);
    if (File.open(QIODevice::Append | QIODevice::Text))
        File.write((sLine + '\n').toUtf8());
}
