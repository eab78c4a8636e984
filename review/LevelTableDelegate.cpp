#include "review/LevelTableDelegate.h"

#include "app/Drawing.h"

#include <QPainter>

TLevelTableDelegate::TLevelTableDelegate(const int& iLNG, const TSettings& rSettings, bool bStatistics,
                                         QObject* parent)
    : QStyledItemDelegate(parent), FLanguage(iLNG), FSettings(rSettings), FStatistics(bStatistics) {}

void TLevelTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QString sText = index.data(Qt::DisplayRole).toString();
    const bool bSelected = option.state.testFlag(QStyle::State_Selected);
    const bool bFocused = option.state.testFlag(QStyle::State_HasFocus);
    TCellStyle rStyle;
    if (FStatistics) {
        const bool bFixed = index.column() == 0 || index.row() == 0;
        rStyle = LevelCellStyle(QString(), sText, {bFixed, bSelected, bFocused}, FLanguage,
                                TableColorRulesOf(FSettings), QLocale());
        if (!bFixed) {
            const int iLabel = index.siblingAtColumn(0).data(Qt::UserRole).toInt();
            if (const auto rRule = StatisticValueStyle(iLabel, sText, bSelected && bFocused,
                                                       FSettings.rTableIntColorOptions, QLocale()))
                rStyle = *rRule;
        }
    } else {
        const QString sHeader = index.model()->headerData(index.column(), Qt::Horizontal).toString();
        rStyle = LevelCellStyle(sHeader, sText, {index.column() == 0, bSelected, bFocused}, FLanguage,
                                TableColorRulesOf(FSettings), QLocale());
    }
    PaintCell(*painter, option.rect, rStyle, sText, option.font);
}

void TLevelTableDelegate::PaintCell(QPainter& rPainter, const QRect& rCell, const TCellStyle& rStyle,
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
