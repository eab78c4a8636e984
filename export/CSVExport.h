#pragma once

#include "core/OperationProgress.h"
#include "core/Settings.h"
#include "export/ExportSources.h"

#include <QString>

// Writes the level table as a CSV file: the session block (labels in language iLNG, values as the grids
// show them, every line ended by CR LF) when rOptions asks for it, with the loudness range, the target
// and the verdict followed by one field per reason when the rows were judged, closed by a "Data Filter.:"
// line with one field per condition of slDataFilter when the table is filtered; then the header and every
// data row, each field followed by the separator, the decimal characters of every field replaced, the line
// ends of the options. No field is quoted, except a verdict or filter line's field that holds the separator
// or a quote: it is quoted as RFC 4180 does, so a reason stays one field. The text is encoded as the system
// encodes text (UTF-8 on Linux), without byte-order mark. The file is written through a temporary file, so a
// failed export leaves an earlier file of that name whole. False with a reason when the file could not be
// written. fnPump runs every kPumpRows data rows with the rows written of all; when it cancels, the partly
// written file is removed, nothing is left under sFileName that was not there before, and the result is
// false without a reason.
// With the session block, a session with gaps lists them after the data rows, a "Gap.:" line each (CR LF)
// with the timecodes before and after, the date-times of the last report and the next, the length and the
// reason; a session without gaps gives the file it gave before gaps were kept.
bool WriteCSVFile(const QString& sFileName, const TSessionInfo& rSession, const ITableSource& rTable,
                  const QStringList& slDataFilter, const TVerdictSummary& rVerdict,
                  const TCSVOptions& rOptions, int iLNG, QString* psError = nullptr,
                  const TProgressPump& fnPump = {}, const QList<TSessionGap>& aGaps = {});

// A field as RFC 4180 writes it: in quotes, its quotes doubled, when it holds the separator or a quote.
QString CSVQuotedField(const QString& sField, const QString& sSep);

// One data-block field: every "." and "," replaced by sDecimalChar.
QString CSVDecimalText(const QString& sCell, const QString& sDecimalChar);
