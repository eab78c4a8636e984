#pragma once

#include "compliance/SessionJudgement.h"
#include "core/SessionTypes.h"

#include <QString>
#include <QStringList>
#include <vector>

// What an export takes from the Database tab, as plain values: the texts the grids show, in the current
// language and with the current decimal separator. The level table is read row by row through a small
// interface, so a day-long table is never copied.

// The level data table as shown: its header texts and its data rows.
class ITableSource {
public:
    virtual ~ITableSource() = default;
    virtual int ColumnCount() const = 0;
    // Data rows, without the header.
    virtual int RowCount() const = 0;
    virtual QString HeaderText(int iCol) const = 0;
    virtual QString CellText(int iRow, int iCol) const = 0;
};

// A table held as texts: for tests, benchmarks and small tables.
class TStringTable : public ITableSource {
public:
    TStringTable() = default;
    TStringTable(QStringList slHeader, std::vector<QStringList> aRows)
        : slHeader(std::move(slHeader)), aRows(std::move(aRows)) {}

    int ColumnCount() const override { return int(slHeader.size()); }
    int RowCount() const override { return int(aRows.size()); }
    QString HeaderText(int iCol) const override { return slHeader.value(iCol); }
    QString CellText(int iRow, int iCol) const override { return aRows[size_t(iRow)].value(iCol); }

    QStringList slHeader;
    std::vector<QStringList> aRows;
};

// One row of the session statistics grid: its label, its value text (with unit) and its hidden timecode.
struct TStatisticsEntry {
    QString sLabel;
    QString sValue;
    QString sTimeCode;
};

// The values of the session description grid (rows 1 to 7) and of the loudness configuration grid (rows 1
// to 11), as the Database tab fills them.
struct TSessionGridTexts {
    // Show title, show number, operator name, format, timecode start, timecode end, notes.
    QStringList slSession;
    // Instrument text (all its fields), peak mode, capture mode, scale mode, reference, short-term window,
    // gate level, gate mode, reference level, peak level, filter.
    QStringList slConfig;
};

// What the exports read from the Database tab: the selected session and its grids as shown.
class IExportSource {
public:
    virtual ~IExportSource() = default;
    virtual TSessionInfo ExportSession() const = 0;
    virtual const ITableSource& ExportTable() const = 0;
    virtual std::vector<TStatisticsEntry> ExportStatistics() const = 0;
    // The conditions of the data filter the table was read through, as the user reads them; empty when
    // the table holds every row of the session.
    virtual QStringList ExportDataFilter() const = 0;
    // The verdict on the table's rows against the session's target; empty when they were not judged.
    virtual TVerdictSummary ExportVerdict() const = 0;
    // The session's gaps, all of them, in the order they were written; none for a session without any.
    virtual QList<TSessionGap> ExportGaps() const { return {}; }
};

TSessionGridTexts SessionGridTexts(const TSessionInfo& rSession, int iLNG);

// The proposed file name of an export: the show title, then " - " and the show number when there is one;
// a "/" in them becomes "-", as no file name can hold it.
QString ExportFileBaseName(const TSessionInfo& rSession);
