#include "dialogs/TimecodeFields.h"

namespace {

QString TwoDigits(const QString& sField) {
    return (QStringLiteral("00") + sField).right(2);
}

} // namespace

TTimecodeFields SplitTimecode(const QString& sTimecode) {
    return {sTimecode.mid(0, 2), sTimecode.mid(3, 2), sTimecode.mid(6, 2)};
}

QString ComposeTimecode(const QString& sHours, const QString& sMinutes, const QString& sSeconds) {
    return TwoDigits(sHours) + ':' + TwoDigits(sMinutes) + ':' + TwoDigits(sSeconds) + QStringLiteral(":00");
}
