#include "export/CSVExport.h"

#include "core/TextTable.h"
#include "review/SessionBrowser.h"
#include "review/SessionGaps.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace {

// The session block: label entries beside the grid values they name.
constexpr int kSessionLabels[] = {kTxtShowTitleLabel, kTxtShowNumberLabel, kTxtOperatorNameLabel,
                                  kTxtFormatLabel,    kTxtTCStartLabel,    kTxtTCEndLabel,
                                  kTxtNotesLabel};
constexpr int kConfigLabels[] = {kTxtInstrumentTypeLabel, kTxtPeakModeLabel,  kTxtCaptureModeLabel,
                                 kTxtScaleModeLabel,      kTxtReferenceLabel, kTxtShortTermWindowLabel,
                                 kTxtGateLevelLabel,      kTxtGateModeLabel,  kTxtReferenceLevelLabel,
                                 kTxtPeakLevelLabel,      kTxtFilterLabel};

} // namespace

QString CSVDecimalText(const QString& sCell, const QString& sDecimalChar) {
    if (!sCell.contains(QChar('.')) && !sCell.contains(QChar(',')))
        return sCell;
    QString s;
    s.reserve(sCell.size() + sDecimalChar.size());
    for (const QChar c : sCell) {
        if (c == QChar('.') || c == QChar(','))
            s += sDecimalChar;
        else
            s += c;
    }
    return s;
}

QString CSVQuotedField(const QString& sField, const QString& sSep) {
    const QChar cQuote(u'"');
    if ((sSep.isEmpty() || !sField.contains(sSep)) && !sField.contains(cQuote))
        return sField;
    QString s = sField;
    s.replace(cQuote, QStringLiteral("\"\""));
    return cQuote + s + cQuote;
}

bool WriteCSVFile(const QString& sFileName, const TSessionInfo& rSession, const ITableSource& rTable,
                  const QStringList& slDataFilter, const TVerdictSummary& rVerdict,
                  const TCSVOptions& rOptions, int iLNG, QString* psError, const TProgressPump& fnPump,
                  const QList<TSessionGap>& aGaps) {
    QSaveFile File(sFileName);
    QStringEncoder Encode(QStringConverter::System);
    bool bWritten = File.open(QIODevice::WriteOnly);
    auto Write = [&](const QString& sLine) {
        if (!bWritten)
            return;
        const QByteArray Bytes = Encode.encode(sLine);
        bWritten = File.write(Bytes) == Bytes.size();
    };

    const QString sSep = rOptions.sCSVSeparationChar;
    const QString sCRLF = QStringLiteral("\r\n");
    // The lines after the grids' hold texts the program makes, which may hold the separator.
    const auto Line = [&](int iLabel, const QStringList& slFields) {
        QStringList sl{GetText(iLabel, iLNG)};
        for (const QString& sField : slFields)
            sl << CSVQuotedField(sField, sSep);
        Write(sl.join(sSep) + sCRLF);
    };
    if (rOptions.bCSVSessionInfo) {
        const TSessionGridTexts Texts = SessionGridTexts(rSession, iLNG);
        for (int i = 0; i < 7; ++i)
            Write(GetText(kSessionLabels[i], iLNG) + sSep + Texts.slSession.value(i) + sCRLF);
        for (int i = 0; i < 11; ++i) {
            const QString sValue =
                i == 0 ? InstrumentTypeName(Texts.slConfig.value(0)) : Texts.slConfig.value(i);
            Write(GetText(kConfigLabels[i], iLNG) + sSep + sValue + sCRLF);
        }
        if (!rVerdict.Empty()) {
            Line(kTxtLoudnessRangeLabel, {rVerdict.sLoudnessRange});
            Line(kTxtTargetLabel, {rVerdict.sTarget});
            Line(kTxtVerdictLabel, QStringList{rVerdict.sVerdict} + rVerdict.slReasons);
        }
        // A filtered table says so, each condition a field of its own.
        if (!slDataFilter.isEmpty())
            Line(kTxtDataFilterLabel, slDataFilter);
    }

    const QString sEnd = QString(rOptions.bCSVCR ? QStringLiteral("\r") : QString()) +
                         QString(rOptions.bCSVLF ? QStringLiteral("\n") : QString());
    const int iCols = rTable.ColumnCount();
    const int iRows = rTable.RowCount();
    QString sLine;
    for (int iRow = -1; iRow < iRows && bWritten; ++iRow) {
        // Not committed: the save file removes what it wrote.
        if (iRow % kPumpRows == 0 && !PumpProgress(fnPump, iRow, iRows))
            return false;
        sLine.clear();
        for (int iCol = 0; iCol < iCols; ++iCol) {
            sLine += CSVDecimalText(iRow < 0 ? rTable.HeaderText(iCol) : rTable.CellText(iRow, iCol),
                                    rOptions.sCSVDecimalChar);
            sLine += sSep;
        }
        sLine += sEnd;
        Write(sLine);
    }

    // The session's gaps close the file, in the session block's style: they describe the rows above.
    if (rOptions.bCSVSessionInfo && !aGaps.isEmpty()) {
        // Rows written without line ends leave the last one open: the gaps start a line of their own.
        if (!sEnd.endsWith(QLatin1Char('\n')) && !sEnd.endsWith(QLatin1Char('\r')))
            Write(sCRLF);
        for (const TSessionGap& rGap : aGaps)
            Line(kTxtGapLabel, GapFields(rGap));
    }

    if (bWritten)
        bWritten = File.commit();
    if (!bWritten && psError)
        *psError = File.errorString();
    return bWritten;
}
