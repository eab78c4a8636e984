#pragma once

// The memory figures of the benchmarks: what the program holds resident, as the system counts it.

#include <QFile>
#include <QList>
#include <unistd.h>

namespace qxbench {

// The program's resident memory in bytes (Linux /proc; 0 elsewhere).
inline double ResidentBytes() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> aFields = f.readAll().split(' ');
    return aFields.size() > 1 ? aFields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

// Another process's resident memory in bytes, its VmRSS line; 0 when it cannot be read.
inline double ResidentBytesOf(qint64 iPid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(iPid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& Line : f.readAll().split('\n')) {
        if (Line.startsWith("VmRSS:")) {
            const QList<QByteArray> aWords = Line.mid(6).simplified().split(' ');
            return aWords.isEmpty() ? 0 : aWords[0].toDouble() * 1024.0;
        }
    }
    return 0;
}

} // namespace qxbench
