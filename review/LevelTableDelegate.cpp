#include "review/LevelTableDelegate.h"

#include "core/Drawing.h"
#include "review/LevelTableModel.h"

#include <QPainter>

TLevelTableDelegate::TLevelTableDelegate(const int& iLNG, const TSettings& rSettings, QObject* parent)
    : QStyledItemDelegate(parent), FLanguage(iLNG), FSettings(rSettings) {}

void TLevelTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index.data(TLevelTableModel::kGapRole).toBool()) {
        PaintGapSeparator(*painter, option.rect, index.data(Qt::DisplayRole).toString(), option.font);
        return;
    }
    const QString sText = index.data(Qt::DisplayRole).toString();
    const bool bSelected = option.state.testFlag(QStyle::State_Selected);
    const bool bFocused = option.state.testFlag(QStyle::State_HasFocus);
    const QString sHeader = index.model()->headerData(index.column(), Qt::Horizontal).toString();
    const TTableCellStyle rStyle = LevelCellStyle(sHeader, sText, {index.column() == 0, bSelected, bFocused},
                                                  FLanguage, TableColorRulesOf(FSettings), QLocale());
    PaintCell(*painter, option.rect, rStyle, sText, option.font);
    if (index.column() == 0)
        PaintViolationMark(*painter, option.rect,
                           quint8(index.data(TLevelTableModel::kViolationRole).toInt()));
}

void TLevelTableDelegate::PaintViolationMark(QPainter& rPainter, const QRect& rCell, quint8 iFlags) {
    if (iFlags == 0)
        return;
    // A bar at the row number's left edge: solid red for a peak above the limit, an amber outline for a
    // short-term warning alone, so the two differ in shape as well as in colour.
    const QRect rBar(rCell.left() + 2, rCell.top() + 2, 5, rCell.height() - 4);
    rPainter.save();
    if (iFlags & kViolationPeak) {
        rPainter.fillRect(rBar, QColor(200, 0, 0));
    } else {
        rPainter.setPen(QPen(QColor(230, 140, 0), 2));
        rPainter.setBrush(Qt::NoBrush);
        rPainter.drawRect(rBar.adjusted(1, 1, -1, -1));
    }
    rPainter.restore();
}

void TLevelTableDelegate::PaintGapSeparator(QPainter& rPainter, const QRect& rRow, const QString& sText,
                                            QFont Font) {
    // A pale hatched strip under an italic line: no level row looks like it, with or without colour.
    rPainter.save();
    rPainter.fillRect(rRow, QColor(0xF2, 0xF2, 0xF2));
    rPainter.fillRect(rRow.adjusted(1, 1, -1, -1), QBrush(QColor(0xD0, 0xD0, 0xD0), Qt::BDiagPattern));
    rPainter.setPen(QColor(0x80, 0x80, 0x80));
    rPainter.drawLine(rRow.topLeft(), rRow.topRight());
    rPainter.drawLine(rRow.bottomLeft(), rRow.bottomRight());
    Font.setItalic(true);
    rPainter.setFont(Font);
    rPainter.setPen(QColor(0x30, 0x30, 0x30));
    const QRect rText = rRow.adjusted(8, 0, -8, 0);
    rPainter.drawText(rText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      QFontMetrics(Font).elidedText(sText, Qt::ElideRight, rText.width()));
    rPainter.restore();
}

void TLevelTableDelegate::PaintCell(QPainter& rPainter, const QRect& rCell, const TTableCellStyle& rStyle,
                                    const QString& sText, QFont Font) {
    rPainter.save();
    rPainter.fillRect(rCell, Qt::white);
    const QRect rInner = rCell.adjusted(1, 1, -1, -1);
    rPainter.setBrush(ColorValueToQColor(rStyle.clBrush));
    rPainter.setPen(ColorValueToQColor(rStyle.clPen));
    rPainter.drawRect(rInner.adjusted(0, 0, -1, -1));
    Font.setBold(rStyle.bBold);
    rPainter.setFont(Font);
    rPainter.setPen(ColorValueToQColor(rStyle.clText));
    const QFontMetrics Metrics(Font);
    const QPoint At = AllignText(Metrics, kAllignCentre, sText, rInner, kAllignCentre);
    rPainter.drawText(QRect(At, QSize(Metrics.horizontalAdvance(sText), Metrics.height())),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, sText);
    rPainter.restore();
}
