#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The engine log: the last 1001 lines of what the logging thread and the main window reported. Each line is
// mirrored to a size-capped file in the data folder, so that a user logging hardware has a trace to look at
// after something went wrong.
class TEngineLog {
public:
    static constexpr int kMaxLines = 1001;
    // The mirror file grows to this size, then becomes the one rotated copy (".1").
    static constexpr qint64 kMirrorLimitBytes = 2 * 1024 * 1024;

    // iThread is the sender's thread number: -1 for the main window, 0 for the logging thread.
    void AddLog(int iThread, const QString& sMessage, const QDateTime& dtNow = QDateTime::currentDateTime());

    // Empty disables the mirror.
    void SetMirrorFile(const QString& sPath) { sMirrorPath = sPath; }
    const QStringList& Lines() const { return slLog; }

    // "DD-MM-YYYY hh:nn:ss.zzz" framed by "|", after the sender's number plus one.
    static QString FormatLine(int iThread, const QString& sMessage, const QDateTime& dtNow);

private:
    void Mirror(const QString& sLine);

    QStringList slLog;
    QString sMirrorPath;
};
