#pragma once

#include "compliance/Violations.h"
#include "review/LevelData.h"
#include "review/SessionGaps.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

// The level data table sgDBData as a model: one row per level row, the columns the data options choose.
// Cell texts are made when a view asks for them, so a day-long session costs its compact rows only.
// The view's rows can be sorted by a column (sort); the data rows keep their recorded order, and the row
// number column shows a row's place in it. New rows or columns show in recorded order.
// In recorded order a separator row stands at each of the session's gaps placed among the rows: it is no
// data row (DataRow gives -1 for it), cannot be selected and is not shown in any other order. View rows
// map to data rows through the few separators: the rows are never copied.
class TLevelTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TLevelTableModel(QObject* parent = nullptr);

    // The columns as text table entries (headings of row 0) and the language and decimal separator in which
    // they and the levels are shown; the rows stay and show in the new columns.
    void SetColumns(const std::vector<int>& aHeadings, int iLNG, const QString& sDecimalPoint);
    // New rows carry no violation marks until SetViolations; rGaps: the session's gaps and their places
    // among the rows.
    void SetRows(TLevelData&& rData, TPlacedGaps&& rGaps = {});
    void Clear();
    // The rows outside the session's target, and the hint over a row with a peak above the limit and
    // over one with short-term loudness above the target.
    struct TViolationHints {
        QString sPeak;
        QString sShortTerm;
    };
    void SetViolations(const TViolations& rViolations, const TViolationHints& rHints);
    const TViolations& Violations() const { return FViolations; }
    // The TViolationFlag bits of a row, for the delegate that marks it.
    static constexpr int kViolationRole = Qt::UserRole + 1;
    // True on a gap's separator row, for the delegate and the view that spans it across the columns.
    static constexpr int kGapRole = Qt::UserRole + 2;

    const TLevelData& Rows() const { return FData; }
    // The session's gaps (all of them, placed or not) and their places among the rows.
    const TPlacedGaps& Gaps() const { return FGaps; }
    // The view rows of the separators shown now, in order.
    std::vector<int> SeparatorViewRows() const;
    // The gap whose separator is shown at a view row (an index into Gaps().aGaps); -1 for a data row.
    int GapAt(int iViewRow) const;
    // The headings as shown, column 0 first.
    const QStringList& Headers() const { return FHeaders; }
    // The heading entry of a column, 0 outside the table.
    int HeadingEntry(int iColumn) const;
    // A data row's cell text as shown: the row number, the timecode, the peak channel, a level with one
    // decimal; empty for a value that is not a number. iRow counts in recorded order, whatever the sort.
    QString CellText(int iRow, int iColumn) const;

    // The data row shown at a view row, and the view row showing a data row; -1 outside the table and for
    // a separator.
    int DataRow(int iViewRow) const;
    int ViewRow(int iDataRow) const;
    bool Sorted() const { return !aViewToData.empty(); }
    // Orders the view's rows by a column (SortedRowOrder); a column outside the table gives recorded order.
    // Rows held by persistent indexes (the current row, the selection) stay with their data.
    void sort(int iColumn, Qt::SortOrder eOrder = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int iSection, Qt::Orientation eOrientation,
                        int role = Qt::DisplayRole) const override;

private:
    // The violations' hint over a row; empty when it keeps to the target.
    QString ViolationHint(int iRow) const;

    // Both empty in recorded order; otherwise the data row of each view row and its inverse.
    void SetOrder(std::vector<int>&& aOrder);
    // The separators shown (the first iSeparatorsShown places) that stand at or before view row iViewRow.
    int SeparatorsUpTo(int iViewRow) const;
    // Shows or hides the separators one by one, so that the views keep their current row and selection.
    void ShowSeparators(bool bShow);

    TLevelData FData;
    std::vector<int> aViewToData;
    std::vector<int> aDataToView;
    TPlacedGaps FGaps;
    // All the places' separators in recorded order, none in a sorted one.
    int iSeparatorsShown = 0;
    TViolations FViolations;
    TViolationHints FHints;
    std::vector<int> FHeadings;
    QStringList FHeaders;
    QString FDecimalPoint = QStringLiteral(".");
    int FLanguage = 0;
};
