#pragma once

#include "review/TableColors.h"

#include <QStyledItemDelegate>

struct TSettings;

// Paints the cells of the level table with the colour rules: a pale fill, a frame one pixel inside the cell
// and the text centred. The rules are read from the settings at each paint, so a change in the options
// dialog shows at the next repaint.
class TLevelTableDelegate : public QStyledItemDelegate {
public:
    TLevelTableDelegate(const int& iLNG, const TSettings& rSettings, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Fills and frames rCell one pixel inside and writes sText centred in the style's colours.
    static void PaintCell(QPainter& rPainter, const QRect& rCell, const TTableCellStyle& rStyle,
                          const QString& sText, QFont Font);
    // Paints a gap's separator row: its text on a pale strip across rRow.
    static void PaintGapSeparator(QPainter& rPainter, const QRect& rRow, const QString& sText, QFont Font);
    // Marks a row number cell whose row lies outside the target (iFlags: TViolationFlag bits).
    static void PaintViolationMark(QPainter& rPainter, const QRect& rCell, quint8 iFlags);

private:
    const int& FLanguage;
    const TSettings& FSettings;
};
