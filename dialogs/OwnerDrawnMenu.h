#pragma once

#include <QProxyStyle>

class QMenu;
class QMenuBar;

// How much wider than its caption a menu item is measured, per menu.
inline constexpr int kMenuExtraWidth = 16;
inline constexpr int kExportPopupExtraWidth = 120;
inline constexpr int kChartExportPopupExtraWidth = 200;
inline constexpr int kTabPopupExtraWidth = 75;

// The one look of the program's menus: a tinted icon stripe on the left, white items, a navy tint under
// the mouse, grey captions for disabled items, silver separators and right-aligned shortcuts. Only menu
// items are drawn here; everything else goes to the application's style.
class TOwnerDrawnMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit TOwnerDrawnMenuStyle(int iExtraWidth = kMenuExtraWidth);

    int ExtraWidth() const { return FExtraWidth; }
    void SetExtraWidth(int iExtraWidth) { FExtraWidth = iExtraWidth; }

    // Geometry of an item, in pixels from the item's left edge.
    static constexpr int kStripeWidth = 24;
    static constexpr int kCaptionX = 32;
    static constexpr int kSeparatorX = 26;
    static constexpr int kSeparatorHeight = 7;
    static constexpr int kIconSize = 16;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

private:
    int FExtraWidth;
};

// Gives pMenu the owner-drawn look, its items iExtraWidth wider than their captions. The style belongs to
// the menu.
void SetOwnerDrawnMenu(QMenu* pMenu, int iExtraWidth = kMenuExtraWidth);
// The same for every menu of a menu bar and their submenus.
void SetOwnerDrawnMenus(QMenuBar* pBar, int iExtraWidth = kMenuExtraWidth);
