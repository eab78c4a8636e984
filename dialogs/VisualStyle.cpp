#include "dialogs/VisualStyle.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStatusBar>
#include <QStyleOption>
#include <QTabBar>
#include <QTableView>

namespace {

// Push buttons: padding around the caption, least caption height, corner radius, border width.
constexpr int kButtonPadX = 12;
constexpr int kButtonPadY = 4;
constexpr int kButtonMinContentHeight = 20;
constexpr qreal kButtonRadius = 3;
constexpr int kBorder = 1;
// Tabs: padding around the caption and the gap to the next tab.
constexpr int kTabPadX = 14;
constexpr int kTabPadY = 4;
constexpr int kTabGap = 2;
// Status bar panels: space between the frame and the text.
constexpr int kStatusPanelIndent = 7;

template <typename T> bool Is(const QWidget* w) {
    return qobject_cast<const T*>(w) != nullptr;
}

bool IsWindowBackground(const QWidget* w) {
    return Is<QMainWindow>(w) || Is<QDialog>(w);
}

bool IsStatusPanel(const QWidget* w) {
    return Is<QLabel>(w) && Is<QStatusBar>(w->parentWidget());
}

bool IsTopTab(const QStyleOption* option) {
    const auto* pTab = qstyleoption_cast<const QStyleOptionTab*>(option);
    return pTab && (pTab->shape == QTabBar::RoundedNorth || pTab->shape == QTabBar::TriangularNorth);
}

// A one-pixel border just inside r.
void DrawBorder(QPainter* p, const QRect& r, const QColor& clBorder) {
    p->save();
    p->setPen(clBorder);
    p->setBrush(Qt::NoBrush);
    p->drawRect(r.adjusted(0, 0, -1, -1));
    p->restore();
}

void DrawButtonPanel(QPainter* p, const QStyleOption* option) {
    const bool bEnabled = option->state.testFlag(QStyle::State_Enabled);
    const bool bPressed = bEnabled && option->state.testAnyFlags(QStyle::State_Sunken | QStyle::State_On);
    const bool bHot =
        bEnabled && option->state.testAnyFlags(QStyle::State_MouseOver | QStyle::State_HasFocus);
    const QRectF r = QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath Shape;
    Shape.addRoundedRect(r, kButtonRadius, kButtonRadius);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    if (bPressed) {
        p->setBrush(TAquaLightSlateStyle::clButtonPressed);
    } else {
        QLinearGradient Fill(r.topLeft(), r.bottomLeft());
        Fill.setColorAt(0, TAquaLightSlateStyle::clButtonTop);
        Fill.setColorAt(1, TAquaLightSlateStyle::clButtonBottom);
        p->setBrush(Fill);
    }
    p->setPen(QPen(!bEnabled ? TAquaLightSlateStyle::clButtonDisabledBorder
                   : bHot    ? TAquaLightSlateStyle::clButtonHotBorder
                             : TAquaLightSlateStyle::clButtonBorder,
                   kBorder));
    p->drawPath(Shape);
    p->restore();
}

void DrawTopTab(QPainter* p, const QStyleOptionTab* pTab) {
    const bool bSelected = pTab->state.testFlag(QStyle::State_Selected);
    const QRect r = pTab->rect.adjusted(0, 0, -kTabGap, 0);
    p->fillRect(r, bSelected ? TAquaLightSlateStyle::clPane : TAquaLightSlateStyle::clTab);
    DrawBorder(p, r, TAquaLightSlateStyle::clTabBorder);
    // The selected tab's lower edge takes its page's colour.
    if (bSelected) {
        p->save();
        p->setPen(TAquaLightSlateStyle::clPane);
        p->drawLine(r.left() + kBorder, r.bottom(), r.right() - kBorder, r.bottom());
        p->restore();
    }
}

} // namespace

void TAquaLightSlateStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (IsWindowBackground(widget) || Is<QStatusBar>(widget)) {
        widget->setAttribute(Qt::WA_StyledBackground);
    } else if (Is<QPushButton>(widget)) {
        widget->setAttribute(Qt::WA_Hover);
    } else if (Is<QTableView>(widget)) {
        QPalette Palette = widget->palette();
        Palette.setColor(QPalette::Base, Qt::white);
        Palette.setColor(QPalette::Highlight, clSelection);
        Palette.setColor(QPalette::HighlightedText, Qt::black);
        widget->setPalette(Palette);
    } else if (IsStatusPanel(widget)) {
        auto* pPanel = static_cast<QLabel*>(widget);
        pPanel->setFrameShape(QFrame::Box);
        pPanel->setLineWidth(kBorder);
        // Inside the frame, unlike contents margins, which would move the frame in with the text.
        pPanel->setIndent(kStatusPanelIndent);
    }
}

void TAquaLightSlateStyle::unpolish(QWidget* widget) {
    if (IsWindowBackground(widget) || Is<QStatusBar>(widget)) {
        widget->setAttribute(Qt::WA_StyledBackground, false);
    } else if (Is<QPushButton>(widget)) {
        widget->setAttribute(Qt::WA_Hover, false);
    } else if (IsStatusPanel(widget)) {
        auto* pPanel = static_cast<QLabel*>(widget);
        pPanel->setFrameShape(QFrame::NoFrame);
        pPanel->setIndent(-1);
    }
    QProxyStyle::unpolish(widget);
}

void TAquaLightSlateStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                         QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case PE_Widget:
        // A window that fills its own background keeps it.
        if (IsWindowBackground(widget) && !widget->autoFillBackground()) {
            painter->fillRect(option->rect, clBackground);
            return;
        }
        if (Is<QStatusBar>(widget)) {
            painter->fillRect(option->rect, clStatusBar);
            return;
        }
        break;
    case PE_PanelButtonCommand:
        if (Is<QPushButton>(widget)) {
            DrawButtonPanel(painter, option);
            return;
        }
        break;
    case PE_FrameFocusRect:
        // A push button shows the keyboard focus in its border.
        if (Is<QPushButton>(widget))
            return;
        break;
    case PE_FrameTabWidget:
        painter->fillRect(option->rect, clPane);
        DrawBorder(painter, option->rect, clTabBorder);
        return;
    case PE_FrameTabBarBase:
        return;
    case PE_FrameStatusBarItem:
        // The panels draw their own frames.
        return;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TAquaLightSlateStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                       const QWidget* widget) const {
    switch (element) {
    case CE_PushButtonLabel:
        if (Is<QPushButton>(widget) && !option->state.testFlag(State_Enabled)) {
            if (const auto* pButton = qstyleoption_cast<const QStyleOptionButton*>(option)) {
                QStyleOptionButton Greyed = *pButton;
                Greyed.palette.setColor(QPalette::Disabled, QPalette::ButtonText, clButtonDisabledText);
                QProxyStyle::drawControl(element, &Greyed, painter, widget);
                return;
            }
        }
        break;
    case CE_TabBarTabShape:
        if (IsTopTab(option)) {
            DrawTopTab(painter, static_cast<const QStyleOptionTab*>(option));
            return;
        }
        break;
    case CE_TabBarTabLabel:
        if (IsTopTab(option)) {
            QStyleOptionTab Label = *static_cast<const QStyleOptionTab*>(option);
            Label.rect.adjust(0, 0, -kTabGap, 0);
            QProxyStyle::drawControl(element, &Label, painter, widget);
            return;
        }
        break;
    case CE_MenuBarEmptyArea:
        painter->fillRect(option->rect, clBackground);
        return;
    case CE_MenuBarItem:
        // Flat on the bar's colour: the base style's shadow line under each item is left out.
        if (const auto* pItem = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem Item = *pItem;
            Item.palette.setColor(QPalette::Window, clBackground);
            painter->save();
            painter->setClipRect(option->rect.adjusted(0, 0, 0, -1));
            QProxyStyle::drawControl(element, &Item, painter, widget);
            painter->restore();
        }
        painter->fillRect(QRect(option->rect.left(), option->rect.bottom(), option->rect.width(), 1),
                          clBackground);
        return;
    case CE_ShapedFrame:
        if (Is<QTableView>(widget)) {
            DrawBorder(painter, option->rect, clTabBorder);
            return;
        }
        if (IsStatusPanel(widget)) {
            DrawBorder(painter, option->rect, clStatusPanelBorder);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize TAquaLightSlateStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                             const QWidget* widget) const {
    if (type == CT_PushButton && Is<QPushButton>(widget))
        return QSize(size.width() + 2 * (kButtonPadX + kBorder),
                     std::max(size.height(), kButtonMinContentHeight) + 2 * (kButtonPadY + kBorder));
    if (type == CT_TabBarTab && IsTopTab(option))
        return QSize(size.width() + 2 * (kTabPadX + kBorder) + kTabGap,
                     size.height() + 2 * (kTabPadY + kBorder));
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

QRect TAquaLightSlateStyle::subElementRect(SubElement element, const QStyleOption* option,
                                           const QWidget* widget) const {
    // A tab's page lies just inside the pane's border.
    if (element == SE_TabWidgetTabContents)
        return QProxyStyle::subElementRect(SE_TabWidgetTabPane, option, widget)
            .adjusted(kBorder, kBorder, -kBorder, -kBorder);
    return QProxyStyle::subElementRect(element, option, widget);
}

int TAquaLightSlateStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                      const QWidget* widget) const {
    switch (metric) {
    // The tab's padding is in its size.
    case PM_TabBarTabHSpace:
    case PM_TabBarTabVSpace:
        return 0;
    case PM_TabBarBaseOverlap:
        return 0;
    // Captions stay in place: pressed buttons and tabs that are not selected do not shift them.
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
    case PM_TabBarTabShiftHorizontal:
    case PM_TabBarTabShiftVertical:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int TAquaLightSlateStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                    QStyleHintReturn* returnData) const {
    if (hint == SH_Table_GridLineColor)
        return int(clGridLine.rgba());
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void ApplyVisualStyle() {
    QApplication::setStyle(new TAquaLightSlateStyle);
}
