#include "review/LevelTableHeader.h"

#include "core/Drawing.h"
#include "review/TableColors.h"

#include <QPainter>
#include <QStyleOptionHeader>

TLevelTableHeader::TLevelTableHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

QColor TLevelTableHeader::FillColor() {
    return ColorValueToQColor(Tint(clGray, 0.9));
}

QColor TLevelTableHeader::FrameColor() {
    return ColorValueToQColor(Tint(clGray, 0.5));
}

void TLevelTableHeader::paintSection(QPainter* p, const QRect& rect, int iSection) const {
    if (!rect.isValid())
        return;
    p->save();
    p->fillRect(rect, FillColor());
    p->setPen(FrameColor());
    p->drawRect(rect.adjusted(0, 0, -1, -1));
    QStyleOptionHeader Title;
    initStyleOption(&Title);
    initStyleOptionForIndex(&Title, iSection);
    constexpr int iInset = kBorder + kPadding;
    Title.rect = rect.adjusted(iInset, iInset, -iInset, -iInset);
    style()->drawControl(QStyle::CE_HeaderLabel, &Title, p, this);
    // The column the rows are sorted by shows the direction at its right edge.
    if (isSortIndicatorShown() && sortIndicatorSection() == iSection) {
        const int iArrow = Title.rect.height() / 2;
        Title.rect = QRect(Title.rect.right() - iArrow, Title.rect.center().y() - iArrow / 2, iArrow, iArrow);
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &Title, p, this);
    }
    p->restore();
}

QSize TLevelTableHeader::sectionSizeFromContents(int iSection) const {
    // The title with, on each side, the style's margin around header texts, the space and the frame.
    const QString sTitle = model() ? model()->headerData(iSection, orientation()).toString() : QString();
    const QFontMetrics Metrics(font());
    const int iInsets =
        2 * (kBorder + kPadding + style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this));
    return QSize(Metrics.horizontalAdvance(sTitle) + iInsets, Metrics.height() + iInsets);
}
