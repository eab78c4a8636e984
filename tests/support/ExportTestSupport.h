#pragma once

#include "export/ExportSources.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace qxtest {

// The session every export test starts from: texts with the separator, a Danish letter and every
// loudness setting named.
inline TSessionInfo ExportSession() {
    TSessionInfo s;
    s.sReportID = QStringLiteral("0F8C3E0A-7A4B-4C31-9C55-1D2E3F405162");
    s.dtDateTime = 2461042.0; // 1 January 2026, noon
    s.sInstrument = QStringLiteral("qxMeter LM1|7|12345|0|2.1|1.4|3|");
    s.sShowTitle = QStringLiteral("Evening News");
    s.sShowNumber = QStringLiteral("42");
    s.sOperatorName = QStringLiteral("Anna Ø. Hansen");
    s.sFormat = QStringLiteral("HD");
    s.sTimeCodeStart = QStringLiteral("10:00:00:00");
    s.sTimeCodeEnd = QStringLiteral("10:00:02:00");
    s.sNotes = QStringLiteral("Live; studio 2");
    TLoudnessSetup& c = s.rLoudnessSetup;
    c.iPeakMode = 1;
    c.iCapture = 0;
    c.iScaleMode = 1;
    c.iReference = 1;
    c.iSlidingWindow = 1;
    c.fGateLevel = -70.5;
    c.iGateMode = 0;
    c.fReferenceLevel = -18;
    c.fMeterPeakLevel = -1;
    c.iFilter = 1;
    c.bValid = true;
    return s;
}

inline QStringList EnglishHeadings() {
    return {QStringLiteral("#"),          QStringLiteral("Timecode"),       QStringLiteral("Peak Channel"),
            QStringLiteral("Peak Level"), QStringLiteral("Shortterm Max."), QStringLiteral("Shortterm Min."),
            QStringLiteral("Integrating")};
}

inline QStringList DanishHeadings() {
    return {QStringLiteral("#"),           QStringLiteral("Tidskode"),       QStringLiteral("Peak Kanal"),
            QStringLiteral("Peak Niveau"), QStringLiteral("Shortterm Max."), QStringLiteral("Shortterm Min."),
            QStringLiteral("Integrating")};
}

// A level table of iRows rows, one per second from 10:00:00:00, with levels that change per row.
inline TStringTable LevelTable(int iRows, const QStringList& slHeadings = EnglishHeadings()) {
    TStringTable t;
    t.slHeader = slHeadings;
    for (int i = 0; i < iRows; ++i) {
        const int s = i % 60, m = (i / 60) % 60, h = 10 + i / 3600;
        auto Level = [](double f) { return QString::number(f, 'f', 1); };
        t.aRows.push_back({QString::number(i + 1),
                           QStringLiteral("%1:%2:%3:00")
                               .arg(h % 24, 2, 10, QChar('0'))
                               .arg(m, 2, 10, QChar('0'))
                               .arg(s, 2, 10, QChar('0')),
                           QString::number(i % 7 == 3 ? 2 : 0), Level(-3.0 - (i % 30) * 0.5),
                           Level(-20.0 - (i % 11) * 0.3), Level(-30.0 - (i % 13) * 0.2),
                           Level(-23.0 - (i % 5) * 0.1)});
    }
    return t;
}

// Runs a program and returns what it printed; empty when it failed.
inline QString RunTool(const QString& sProgram, const QStringList& slArgs) {
    QProcess p;
    p.start(sProgram, slArgs);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A field of pdfinfo's report on a PDF file; "<missing>" when it has none.
inline QString PDFInfoField(const QString& sFile, const QString& sField) {
    const QString sInfo = RunTool("pdfinfo", {sFile});
    const QRegularExpressionMatch m =
        QRegularExpression("^" + sField + ":\\s*(.*)$", QRegularExpression::MultilineOption).match(sInfo);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("<missing>");
}

} // namespace qxtest
