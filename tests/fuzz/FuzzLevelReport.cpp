// Feeds arbitrary bytes to the level report parser and, for every valid record, to the timecode step, and
// checks what every caller relies on: no crash, bounded output, well-formed timecodes, finite levels.
#include "engine/ReportParser.h"
#include "engine/TimecodeControl.h"

#include <QLocale>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool bCondition) {
    if (!bCondition)
        std::abort();
}

bool IsStoredTimeCode(const QString& s) {
    if (s.size() != engine::kTimeCodeLength || !s.endsWith(u":00"))
        return false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const bool bSeparator = (i % 3) == 2;
        if (bSeparator ? s[i] != u':' : !(s[i] >= u'0' && s[i] <= u'9'))
            return false;
    }
    return true;
}

void CheckRecords(const QString& text, const engine::TLoudnessData& records) {
    // The shortest report, "L;00:00:00:00;0;0;0;0;0;", has 24 characters.
    Require(!records.isEmpty());
    Require(records.size() <= engine::kMaxRecordsPerParse);
    Require(records.size() <= text.size() / 24 + 1);
    for (qsizetype i = 0; i < records.size(); ++i) {
        const engine::TLoudnessDataRec& rec = records[i];
        // A new record begins only after a complete report.
        Require(rec.bValid || i == records.size() - 1);
        if (!rec.bValid)
            continue;
        Require(IsStoredTimeCode(rec.sTimeCode));
        Require(std::isfinite(rec.nInstantaneousPeak) && std::isfinite(rec.nLoudnessHi) &&
                std::isfinite(rec.nLoudnessLow) && std::isfinite(rec.nIntegrating));
    }
}

// A valid record written back in the meter's form reads back as the same record.
void CheckRoundTrip(const engine::TLoudnessDataRec& rec) {
    const double nValues[] = {rec.nInstantaneousPeak, rec.nLoudnessHi, rec.nLoudnessLow, rec.nIntegrating};
    QString sReport = "L;" + rec.sTimeCode + ";" + QString::number(rec.iPeakChannel) + ";";
    for (double n : nValues) {
        const QString sField = QString::number(n, 'f', QLocale::FloatingPointShortest);
        if (sField.size() > 60)
            return; // longer than any field the parser takes
        sReport += sField + ";";
    }
    engine::TLoudnessData again;
    engine::ParseLevelReport(sReport, again);
    Require(again.size() == 1 && again[0].bValid);
    Require(again[0].sTimeCode == rec.sTimeCode && again[0].iPeakChannel == rec.iPeakChannel);
    Require(again[0].nInstantaneousPeak == rec.nInstantaneousPeak &&
            again[0].nLoudnessHi == rec.nLoudnessHi && again[0].nLoudnessLow == rec.nLoudnessLow &&
            again[0].nIntegrating == rec.nIntegrating);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Meter bytes arrive one character per byte.
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    engine::TLoudnessData records;
    engine::ParseLevelReport(QByteArrayView(data, static_cast<qsizetype>(size)), records);
    CheckRecords(text, records);
    // The text entry reads the same bytes.
    engine::TLoudnessData textRecords;
    engine::ParseLevelReport(text, textRecords);
    Require(textRecords.size() == records.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        Require(textRecords[i].bValid == records[i].bValid &&
                textRecords[i].sTimeCode == records[i].sTimeCode &&
                textRecords[i].iPeakChannel == records[i].iPeakChannel &&
                textRecords[i].nIntegrating == records[i].nIntegrating);
    for (const engine::TLoudnessDataRec& rec : records) {
        if (rec.bValid)
            CheckRoundTrip(rec);
    }

    engine::TLoudnessData computerRecords;
    engine::ParseLevelReport(text, computerRecords, engine::kTimeSourceComputer,
                             [] { return QTime(13, 4, 5); });
    CheckRecords(text, computerRecords);
    Require(computerRecords.size() == records.size());
    for (const engine::TLoudnessDataRec& rec : computerRecords)
        Require(!rec.bValid || rec.sTimeCode == u"13:04:05:00");

    // Timecode control driven by the same input: settings from the first bytes, records as timecodes.
    const auto byteAt = [&](size_t i) -> int { return i < size ? data[i] : 0; };
    const int flags = byteAt(0);
    engine::TTCControlSettings settings;
    settings.Enabled = (flags & 1) != 0;
    settings.EnabledStart = (flags & 2) != 0;
    settings.EnabledStop = (flags & 4) != 0;
    if (flags & 32) {
        // Texts straight from the input: mostly unreadable.
        settings.TCStart = text.mid(1, 11);
        settings.TCStop = text.mid(12, 11);
    } else {
        // Readable times in whole minutes, so starts, stops and rollovers are reached often.
        const auto minuteText = [](int iMinute) {
            return QString::asprintf("%02d:%02d:00:00", iMinute / 60 % 24, iMinute % 60);
        };
        settings.TCStart = minuteText((byteAt(1) << 8 | byteAt(2)) % 1440);
        settings.TCStop = minuteText((byteAt(3) << 8 | byteAt(4)) % 1440);
    }
    engine::TTimecodeControl tc;
    engine::SyncTCControl(settings, tc);
    const bool bRollover = tc.MidnightRollover;
    bool bWaiting = engine::WaitsForStartTC(tc);
    bool bPassedMidnight = false;
    const engine::TTCMeter meter{(flags & 8) ? 25 : 0, (flags & 16) ? 222 : 0, 14};
    for (const engine::TLoudnessDataRec& rec : records) {
        if (!rec.bValid)
            continue;
        const engine::TTCStepResult result = engine::TimecodeStep(tc, rec.sTimeCode, bWaiting, meter);
        int iNow = 0;
        Require(engine::TimeCodeToSeconds(rec.sTimeCode, iNow));
        Require(result.action == engine::TTCAction::StartLogging || result.resetVectors.isEmpty());
        Require(result.action != engine::TTCAction::StartLogging || (bWaiting && iNow >= tc.TCStart));
        if (!bWaiting && iNow < tc.TCStart)
            bPassedMidnight = true;
        if (result.action == engine::TTCAction::StartLogging)
            bWaiting = false;
        if (result.action == engine::TTCAction::StopLogging) {
            // A stop comes only at or after the stop time, and after midnight when the stop lies beyond it.
            Require(tc.EnabledStop && iNow >= tc.TCStop);
            Require(!bRollover || bPassedMidnight);
            break;
        }
    }
    return 0;
}
