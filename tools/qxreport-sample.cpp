// Writes the PDF level report of a sample session of two and a half minutes, as the Database tab would
// export it, for the documentation's pictures of a report (scripts/screenshot.sh).
//
// Usage: qxreport-sample <report.pdf> [language 0|1]

#include "core/TextTable.h"
#include "export/LevelReport.h"

#include <QCoreApplication>
#include <QLocale>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kRows = 150;

QString Level(double f) {
    return QLocale().toString(std::round(f * 10) / 10, 'f', 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication App(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: qxreport-sample <report.pdf> [language 0|1]\n");
        return 2;
    }
    const int iLNG = argc > 2 && QByteArray(argv[2]) == "1" ? kLanguageDanish : kLanguageEnglish;

    TLevelReport r;
    r.iLNG = iLNG;
    TSessionInfo& s = r.rSession;
    s.dtDateTime = 2461042.3;
    s.sInstrument = QStringLiteral("qxMeter LM1|7|12345|0|2.1|1.4|3|");
    s.sShowTitle = QStringLiteral("Evening News");
    s.sShowNumber = QStringLiteral("2041");
    s.sOperatorName = QStringLiteral("Søren Ærø");
    s.sFormat = QStringLiteral("HD 5.1");
    s.sTimeCodeStart = QStringLiteral("19:00:00:00");
    s.sTimeCodeEnd = QStringLiteral("19:02:29:00");
    s.sNotes = QStringLiteral("Live from studio 2\rPromo at 19:01:30");
    TLoudnessSetup& c = s.rLoudnessSetup;
    c.iPeakMode = 1;
    c.iScaleMode = 1;
    c.iReference = 1;
    c.iSlidingWindow = 1;
    c.fGateLevel = -70;
    c.fReferenceLevel = -18;
    c.fMeterPeakLevel = -1;
    c.iFilter = 1;
    c.bValid = true;

    TStringTable Table;
    for (int e : {138, 140, 142, 144, 146, 148, 152})
        Table.slHeader.append(GetText(e, iLNG));
    double fPeakMax = -100, fInt = 0;
    int iPeakRow = 0, iPeaks = 0;
    for (int i = 0; i < kRows; ++i) {
        const double t = i;
        const double fShort =
            -24 + 4 * std::sin(t / 17.0) + 2 * std::sin(t / 5.3) + (i > 25 && i < 50 ? 7 : 0);
        const double fPeak = std::min(0.0, fShort + 14 + 3 * std::sin(t / 2.1));
        const int iChannel = fPeak > -3.0 ? 1 + i % 2 : 0;
        fInt = -23 + 0.8 * std::sin(t / 40.0);
        if (fPeak > fPeakMax)
            fPeakMax = fPeak, iPeakRow = i;
        iPeaks += iChannel > 0;
        Table.aRows.push_back({QString::number(i + 1), QString::asprintf("19:%02d:%02d:00", i / 60, i % 60),
                               QString::number(iChannel), Level(fPeak), Level(fShort + 1.5),
                               Level(fShort - 6), Level(fInt)});
    }
    r.pTable = &Table;
    r.aStatistics = {
        {GetText(154, iLNG), Level(fPeakMax) + QStringLiteral("  dBFS"), Table.aRows[size_t(iPeakRow)][1]},
        {GetText(176, iLNG), QString::number(iPeaks), QString()},
        {GetText(172, iLNG), Level(fInt) + QStringLiteral("  LUFS"), Table.aRows.back()[1]},
    };
    r.rPDFOptions.slUserText = {QStringLiteral("Studio North Broadcasting"),
                                QStringLiteral("Broadcast Street 7"), QStringLiteral("0000 Sample Town"),
                                QString(), QStringLiteral("Master control")};
    r.rPDFOptions.clEvenLines = 0xF0E8E0; // a pale slate
    r.rTablePeakColorOptions.rMax = {true, -3.0, clRed};
    r.rTableSTMaxColorOptions.rMax = {true, -18.0, 0x0080FF};
    r.rTableIntColorOptions = {{true, -22.5, clRed}, {true, 0, clGreen}, {true, -23.5, clPurple}};

    QString sError;
    if (!CreateLevelReportPDF(QString::fromLocal8Bit(argv[1]), r, {}, &sError)) {
        std::fprintf(stderr, "%s\n", qPrintable(sError));
        return 1;
    }
    return 0;
}
