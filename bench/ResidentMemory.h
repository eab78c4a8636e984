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

} // namespace qxbench
