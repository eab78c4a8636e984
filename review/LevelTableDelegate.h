#pragma once

#include "review/TableColors.h"

#include <QStyledItemDelegate>

struct TSettings;

// Paints the cells of the level table and of the statistics grid with the colour rules: a pale fill, a
// frame one pixel inside the cell and the text centred. The rules are read from the settings at each
// paint, so a change in the options dialog shows at the next repaint.
class TLevelTableDelegate : public QStyledItemDelegate {
public:
    // bStatistics: the statistics grid, whose value cells follow their own rules and whose labels carry their
    // text table entry in Qt::UserRole.
    TLevelTableDelegate(const int& iLNG, const TSettings& rSettings, bool bStatistics, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Fills and frames rCell one pixel inside and writes sText centred in the style's colours.
    static void PaintCell(QPainter& rPainter, const QRect& rCell, const TCellStyle& rStyle,
                          const QString& sText, QFont Font);

private:
    const int& FLanguage;
    const TSettings& FSettings;
    bool FStatistics;
};
