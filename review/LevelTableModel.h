#pragma once

#include "review/LevelData.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

// The level data table sgDBData as a model: one row per level row, the columns the data options choose.
// Cell texts are made when a view asks for them, so a day-long session costs its compact rows only.
class TLevelTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TLevelTableModel(QObject* parent = nullptr);

    // The columns as text table entries (headings of row 0) and the language and decimal separator in which
    // they and the levels are shown; the rows stay and show in the new columns.
    void SetColumns(const std::vector<int>& aHeadings, int iLNG, const QString& sDecimalPoint);
    void SetRows(TLevelData&& rData);
    void Clear();

    const TLevelData& Rows() const { return FData; }
    // The headings as shown, column 0 first.
    const QStringList& Headers() const { return FHeaders; }
    // The heading entry of a column, 0 outside the table.
    int HeadingEntry(int iColumn) const;
    // A cell's text as shown: the row number, the timecode, the peak channel, a level with one decimal;
    // empty for a value that is not a number.
    QString CellText(int iRow, int iColumn) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int iSection, Qt::Orientation eOrientation,
                        int role = Qt::DisplayRole) const override;

private:
    TLevelData FData;
    std::vector<int> FHeadings;
    QStringList FHeaders;
    QString FDecimalPoint = QStringLiteral(".");
};
