// The level report parser against a naive split-and-convert parser of the same text, and its throughput as
// a multiple of what a 9600-baud line can deliver. The text is the simulated meter's report stream, handed
// over in the logging thread's form (the receive buffer's text) in buffers of a burst's size.

#include "bench/BenchTable.h"
#include "engine/ReportParser.h"
#include "tools/sim/SimReportGenerator.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kBuffers = 100;
constexpr int kReportsPerBuffer = 1000;
// 9600 baud with start and stop bits: ten bits a byte.
constexpr double kLineRateBytesPerSecond = 9600.0 / 10.0;

// What a first attempt would write: lines, fields, Qt's conversions.
int NaiveParse(const QString& sText, engine::TLoudnessData& records) {
    records.clear();
    int iValid = 0;
    for (const QString& sLine : sText.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const QStringList f = sLine.split(u';');
        engine::TLoudnessDataRec rec;
        if (f.size() >= 7 && f[0] == u"L" && f[1].size() == engine::kTimeCodeLength) {
            rec.bPaused = f[1].endsWith(u":01");
            rec.sTimeCode = f[1].left(9) + QStringLiteral("00");
            bool ok[5] = {};
            rec.iPeakChannel = f[2].toInt(&ok[0]);
            rec.nInstantaneousPeak = f[3].toDouble(&ok[1]);
            rec.nLoudnessHi = f[4].toDouble(&ok[2]);
            rec.nLoudnessLow = f[5].toDouble(&ok[3]);
            rec.nIntegrating = f[6].toDouble(&ok[4]);
            rec.bValid = ok[0] && ok[1] && ok[2] && ok[3] && ok[4];
        }
        iValid += rec.bValid;
        records.append(rec);
    }
    return iValid;
}

int ProgramParse(const QString& sText, engine::TLoudnessData& records) {
    engine::ParseLevelReport(sText, records);
    int iValid = 0;
    for (const engine::TLoudnessDataRec& r : records)
        iValid += r.bValid;
    return iValid;
}

} // namespace

int main() {
    TSimReportGenerator Generator;
    QList<QString> aBuffers;
    qsizetype iBytes = 0;
    for (int b = 0; b < kBuffers; ++b) {
        QByteArray Bytes;
        for (int i = 0; i < kReportsPerBuffer; ++i)
            Bytes += Generator.NextReport();
        iBytes += Bytes.size();
        aBuffers.append(QString::fromLatin1(Bytes));
    }

    engine::TLoudnessData records;
    int iProgramValid = 0;
    int iNaiveValid = 0;
    const auto fnProgram = [&] {
        iProgramValid = 0;
        for (const QString& s : aBuffers)
            iProgramValid += ProgramParse(s, records);
    };
    const auto fnReference = [&] {
        iNaiveValid = 0;
        for (const QString& s : aBuffers)
            iNaiveValid += NaiveParse(s, records);
    };
    const qxbench::TPairedTimes t = qxbench::MeasurePaired(fnProgram, fnReference, 15);
    if (iProgramValid != kBuffers * kReportsPerBuffer || iNaiveValid != iProgramValid) {
        std::fprintf(stderr, "parsers disagree: %d and %d valid records\n", iProgramValid, iNaiveValid);
        return 1;
    }
    qxbench::PrintRow(qxbench::RatioRow("report parser vs split-and-convert (s)", t, "<=1"));

    std::vector<double> aLineRates;
    for (double fSeconds : t.aProgram)
        aLineRates.push_back(double(iBytes) / fSeconds / kLineRateBytesPerSecond);
    qxbench::PrintRow(qxbench::ValueRow("report parser (x 9600-baud line rate)", aLineRates, ">=100000"));
    return 0;
}
