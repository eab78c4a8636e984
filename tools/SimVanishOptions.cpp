#include "tools/SimVanishOptions.h"

namespace {

// A day: the longest stretch a rehearsal needs.
constexpr qint64 kMaxMs = 24 * 3600 * 1000;

bool ParseMs(const QString& sText, qint64 iMin, qint64& iValue) {
    bool bOk = false;
    const qint64 i = sText.toLongLong(&bOk);
    if (!bOk || i < iMin || i > kMaxMs)
        return false;
    iValue = i;
    return true;
}

} // namespace

TSimVanishOptions::TSimVanishOptions()
    : optAfter(QStringLiteral("vanish-after-ms"),
               QStringLiteral("Vanish after reporting this long (counted from the start of logging)."),
               QStringLiteral("MS")),
      optFor(QStringLiteral("vanish-for-ms"),
             QStringLiteral("Stay away this long, then come back as after a power-up; the timecode runs on "
                            "meanwhile."),
             QStringLiteral("MS")),
      optEvery(QStringLiteral("vanish-every-ms"),
               QStringLiteral("Vanish again after every stretch of reporting this long since coming back."),
               QStringLiteral("MS")) {}

void TSimVanishOptions::AddTo(QCommandLineParser& rParser) const {
    rParser.addOptions({optAfter, optFor, optEvery});
}

bool TSimVanishOptions::Read(const QCommandLineParser& rParser, TSimVanishConfig& rConfig,
                             QString& sError) const {
    const struct {
        const QCommandLineOption& rOption;
        qint64 iMin;
        qint64& rValue;
    } aOptions[] = {
        {optAfter, 0, rConfig.iAfterMs},
        {optFor, 1, rConfig.iForMs},
        {optEvery, 1, rConfig.iEveryMs},
    };
    for (const auto& o : aOptions) {
        if (rParser.isSet(o.rOption) && !ParseMs(rParser.value(o.rOption), o.iMin, o.rValue)) {
            sError = QStringLiteral("--%1 is %2 to %3")
                         .arg(o.rOption.names().constFirst())
                         .arg(o.iMin)
                         .arg(kMaxMs);
            return false;
        }
    }
    if (rParser.isSet(optAfter) != rParser.isSet(optFor)) {
        sError = QStringLiteral("--vanish-after-ms and --vanish-for-ms go together");
        return false;
    }
    if (rParser.isSet(optEvery) && !rParser.isSet(optAfter)) {
        sError = QStringLiteral("--vanish-every-ms needs --vanish-after-ms and --vanish-for-ms");
        return false;
    }
    return true;
}
