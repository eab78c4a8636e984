#include "core/KeptCopy.h"

#include <QDateTime>
#include <QFile>

namespace {

// Far more copies than one second can make; a folder full of them is no reason to loop for ever.
constexpr int kMaxCopiesASecond = 1000;

} // namespace

QString KeepCopyBeside(const QString& sFile, const QString& sTag, QString& sError) {
    const QString sBase =
        sFile + '.' + sTag + '-' + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QFile source(sFile);
    for (int i = 1; i <= kMaxCopiesASecond; ++i) {
        const QString sCopy = i == 1 ? sBase : sBase + '-' + QString::number(i);
        if (QFile::exists(sCopy))
            continue;
        // QFile::copy never replaces an existing file: a copy made meanwhile by another run stays.
        if (source.copy(sCopy))
            return sCopy;
        if (!QFile::exists(sCopy)) {
            sError = sCopy + ": " + source.errorString();
            return {};
        }
    }
    sError = sBase + ": too many copies already";
    return {};
}
