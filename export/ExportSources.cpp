#include "export/ExportSources.h"

#include "app/TextTable.h"

#include <QLocale>

namespace {

// The unknown instrument as the session grid shows it.
constexpr int kTxtUnknownInstrument = 90;
constexpr int kTxtDBFSSuffix = 262;

// The shortest text that reads back as the same number, with the system's decimal separator.
QString GeneralText(double f) {
    return QLocale().toString(f, 'g', QLocale::FloatingPointShortest);
}

} // namespace

TSessionGridTexts SessionGridTexts(const TSessionInfo& s, int iLNG) {
    const TLoudnessSetup& c = s.rLoudnessSetup;
    const QString sScale = ScaleModeName(c.iScaleMode);
    const QString sDBFS = GetText(kTxtDBFSSuffix, iLNG);
    return {
        {s.sShowTitle, s.sShowNumber, s.sOperatorName, s.sFormat, s.sTimeCodeStart, s.sTimeCodeEnd, s.sNotes},
        {
            s.sInstrument.isEmpty() ? GetText(kTxtUnknownInstrument, iLNG) + QChar('|') : s.sInstrument,
            PeakModeName(c.iPeakMode),
            CaptureModeName(c.iCapture),
            sScale,
            ReferenceName(c.iReference),
            SlidingWindowName(c.iSlidingWindow),
            GeneralText(c.fGateLevel) + QChar(' ') + sScale,
            GateModeName(c.iGateMode),
            GeneralText(c.fReferenceLevel) + sDBFS,
            GeneralText(c.fMeterPeakLevel) + sDBFS,
            FilterName(c.iFilter),
        }};
}

QString InstrumentTypeName(const QString& sInstrumentText) {
    const qsizetype i = sInstrumentText.indexOf(QChar('|'));
    return i < 0 ? QString() : sInstrumentText.left(i);
}

QString ExportFileBaseName(const TSessionInfo& rSession) {
    QString s = rSession.sShowTitle;
    if (!rSession.sShowNumber.isEmpty())
        s += QStringLiteral(" - ") + rSession.sShowNumber;
    // A title such as "AC/DC" would otherwise point the dialog into a folder that does not exist.
    s.replace(QChar('/'), QChar('-'));
    return s;
}
