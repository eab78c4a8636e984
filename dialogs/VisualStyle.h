#pragma once

#include <QColor>
#include <QProxyStyle>

// "Aqua Light Slate", the program's light slate look, drawn by a style rather than a style sheet: a sheet
// set on the application makes every widget of every window go through the sheet machinery when it is
// polished, which alone cost start-up about as much as building the main window's logging tab.
//
// What it draws beyond the base style:
// - main windows and dialogs on a light slate background, the menu bar flat on the same colour;
// - push buttons with a light vertical gradient, a rounded slate border (darker blue under the mouse or
//   with the keyboard focus), a flat darker fill while pressed, and greyed text and border when disabled;
// - tabs in slate tints on a framed pane, the selected tab open towards its page;
// - tables on white with slate grid lines, border and selection;
// - the status bar in a slate tint, its text panels framed.
class TAquaLightSlateStyle : public QProxyStyle {
    Q_OBJECT
public:
    static inline const QColor clBackground{0xee, 0xf1, 0xf5};
    static inline const QColor clPane{0xf7, 0xf9, 0xfb};
    static inline const QColor clTab{0xdd, 0xe3, 0xea};
    static inline const QColor clTabBorder{0x9a, 0xa7, 0xb8};
    static inline const QColor clButtonTop{0xfb, 0xfc, 0xfd};
    static inline const QColor clButtonBottom{0xdf, 0xe5, 0xec};
    static inline const QColor clButtonBorder{0x8c, 0x9b, 0xb0};
    static inline const QColor clButtonHotBorder{0x3d, 0x6a, 0xa2};
    static inline const QColor clButtonPressed{0xcf, 0xd8, 0xe3};
    static inline const QColor clButtonDisabledText{0x8a, 0x8f, 0x96};
    static inline const QColor clButtonDisabledBorder{0xc2, 0xca, 0xd4};
    static inline const QColor clGridLine{0xc9, 0xd1, 0xdb};
    static inline const QColor clSelection{0xc5, 0xd6, 0xea};
    static inline const QColor clStatusBar{0xdd, 0xe3, 0xea};
    static inline const QColor clStatusPanelBorder{0xb7, 0xc1, 0xcd};

    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// Gives the whole program the look, once the application exists; the application owns the style.
void ApplyVisualStyle();
