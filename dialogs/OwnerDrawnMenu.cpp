#include "dialogs/OwnerDrawnMenu.h"

#include "core/Drawing.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

// Disabled captions.
const QColor kDisabledText(0x80, 0x80, 0x80);

QColor StripeColor() {
    return ColorValueToQColor(CalcOpacity(clWhite, clSilver, 0.8));
}
QColor HotFillColor() {
    return ColorValueToQColor(CalcOpacity(clWhite, clNavy, 0.9));
}
QColor HotFrameColor() {
    return ColorValueToQColor(CalcOpacity(clWhite, clNavy, 0.5));
}

void SetMenuTree(QMenu* pMenu, int iExtraWidth) {
    SetOwnerDrawnMenu(pMenu, iExtraWidth);
    for (QAction* pAction : pMenu->actions()) {
        if (QMenu* pSub = pAction->menu())
            SetMenuTree(pSub, iExtraWidth);
    }
}

} // namespace

TOwnerDrawnMenuStyle::TOwnerDrawnMenuStyle(int iExtraWidth) : FExtraWidth(iExtraWidth) {}

void TOwnerDrawnMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                       const QWidget* widget) const {
    const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || pItem == nullptr) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect r = pItem->rect;
    const bool bEnabled = pItem->state.testFlag(State_Enabled);
    const bool bHot = bEnabled && pItem->state.testFlag(State_Selected) &&
                      pItem->menuItemType != QStyleOptionMenuItem::Separator;

    painter->save();
    if (bHot) {
        painter->fillRect(r, HotFillColor());
        painter->setPen(HotFrameColor());
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    } else {
        painter->fillRect(r, Qt::white);
        painter->fillRect(QRect(r.left(), r.top(), kStripeWidth, r.height()), StripeColor());
    }

    if (pItem->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = r.top() + r.height() / 2;
        painter->setPen(ColorValueToQColor(clSilver));
        painter->drawLine(r.left() + kSeparatorX, y, r.right(), y);
        painter->restore();
        return;
    }

    const QPoint ptIcon(r.left() + 3, r.top() + 1);
    if (!pItem->icon.isNull()) {
        const QPixmap pm =
            pItem->icon.pixmap(QSize(kIconSize, kIconSize), painter->device()->devicePixelRatioF(),
                               bEnabled ? QIcon::Normal : QIcon::Disabled);
        painter->drawPixmap(ptIcon, pm);
    } else if (pItem->checkType != QStyleOptionMenuItem::NotCheckable && pItem->checked) {
        QStyleOptionMenuItem rCheck = *pItem;
        rCheck.rect = QRect(ptIcon, QSize(kIconSize, kIconSize));
        rCheck.state = pItem->state & ~State_Selected;
        QProxyStyle::drawPrimitive(PE_IndicatorMenuCheckMark, &rCheck, painter, widget);
    }

    painter->setFont(pItem->font);
    painter->setPen(bEnabled ? QColor(Qt::black) : kDisabledText);
    const qsizetype iTab = pItem->text.indexOf(QLatin1Char('\t'));
    const QString sCaption = iTab < 0 ? pItem->text : pItem->text.left(iTab);
    DrawItemText(r.left() + kCaptionX, *painter, sCaption, r);

    QRect rRight = r;
    if (pItem->menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption rArrow = *pItem;
        rArrow.rect = QRect(r.right() - kIconSize, r.top(), kIconSize, r.height());
        rArrow.palette.setColor(QPalette::ButtonText, painter->pen().color());
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &rArrow, painter, widget);
        rRight.setRight(r.right() - kIconSize);
    }
    if (iTab >= 0) {
        const QString sShortcut = pItem->text.mid(iTab + 1);
        const QFontMetrics Metrics(pItem->font);
        const QPoint pt = AllignText(Metrics, kAllignRight, sShortcut, rRight, kAllignCentre);
        painter->drawText(QRect(pt, QSize(Metrics.horizontalAdvance(sShortcut), Metrics.height())),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, sShortcut);
    }
    painter->restore();
}

void TOwnerDrawnMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                         QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case PE_PanelMenu:
        painter->fillRect(option->rect, Qt::white);
        return;
    case PE_FrameMenu:
        painter->save();
        painter->setPen(kDisabledText);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

QSize TOwnerDrawnMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                             const QWidget* widget) const {
    const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || pItem == nullptr)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (pItem->menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(kCaptionX, kSeparatorHeight);
    // The menu passes the caption's size (without the shortcut, whose column it adds itself).
    const QFontMetrics Metrics(pItem->font);
    const qsizetype iTab = pItem->text.indexOf(QLatin1Char('\t'));
    const QString sCaption = MenuCaptionText(iTab < 0 ? pItem->text : pItem->text.left(iTab));
    int iWidth = kCaptionX + Metrics.horizontalAdvance(sCaption) + FExtraWidth;
    if (pItem->menuItemType == QStyleOptionMenuItem::SubMenu)
        iWidth += kIconSize;
    const int iHeight = std::max(Metrics.height() + 6, kIconSize + 4);
    return QSize(iWidth, iHeight);
}

int TOwnerDrawnMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                      const QWidget* widget) const {
    switch (metric) {
    case PM_MenuHMargin:
        return 0;
    case PM_MenuVMargin:
        return 2;
    case PM_MenuPanelWidth:
        return 1;
    case PM_SmallIconSize:
        return kIconSize;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void SetOwnerDrawnMenu(QMenu* pMenu, int iExtraWidth) {
    if (pMenu == nullptr)
        return;
    // A menu given the look again only changes its width.
    if (auto* pOld = pMenu->findChild<TOwnerDrawnMenuStyle*>(QString(), Qt::FindDirectChildrenOnly)) {
        pOld->SetExtraWidth(iExtraWidth);
        QEvent Changed(QEvent::StyleChange);
        QCoreApplication::sendEvent(pMenu, &Changed);
        return;
    }
    // The menu keeps a guarded pointer to its style, so the style may die with the menu.
    auto* pStyle = new TOwnerDrawnMenuStyle(iExtraWidth);
    pStyle->setParent(pMenu);
    pMenu->setStyle(pStyle);
}

void SetOwnerDrawnMenus(QMenuBar* pBar, int iExtraWidth) {
    if (pBar == nullptr)
        return;
    for (QAction* pAction : pBar->actions()) {
        if (QMenu* pMenu = pAction->menu())
            SetMenuTree(pMenu, iExtraWidth);
    }
}
