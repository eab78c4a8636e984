#include "core/Drawing.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace {

// A system colour index of the platform, the palette entry that plays its part here, and the classic
// value used when no GUI application is running.
struct TSystemColor {
    int iIndex;
    QPalette::ColorGroup eGroup;
    QPalette::ColorRole eRole;
    TColorValue clClassic;
};

// clBtnFace, clWindow and friends: the indexes the program's settings may hold.
constexpr TSystemColor kSystemColors[] = {
    {0, QPalette::Active, QPalette::Window, 0xC8D0D4},           // scroll bar
    {1, QPalette::Active, QPalette::Window, 0xA56E3A},           // background (desktop)
    {2, QPalette::Active, QPalette::Highlight, 0x6A240A},        // active caption
    {3, QPalette::Inactive, QPalette::Highlight, 0x808080},      // inactive caption
    {4, QPalette::Active, QPalette::Base, 0xC8D0D4},             // menu
    {5, QPalette::Active, QPalette::Base, 0xFFFFFF},             // window
    {6, QPalette::Active, QPalette::Shadow, 0x000000},           // window frame
    {7, QPalette::Active, QPalette::Text, 0x000000},             // menu text
    {8, QPalette::Active, QPalette::WindowText, 0x000000},       // window text
    {9, QPalette::Active, QPalette::HighlightedText, 0xFFFFFF},  // caption text
    {10, QPalette::Active, QPalette::Midlight, 0xC8D0D4},        // active border
    {11, QPalette::Inactive, QPalette::Midlight, 0xC8D0D4},      // inactive border
    {12, QPalette::Active, QPalette::Mid, 0x808080},             // application workspace
    {13, QPalette::Active, QPalette::Highlight, 0x6A240A},       // highlight
    {14, QPalette::Active, QPalette::HighlightedText, 0xFFFFFF}, // highlight text
    {15, QPalette::Active, QPalette::Button, 0xC8D0D4},          // button face
    {16, QPalette::Active, QPalette::Dark, 0x808080},            // button shadow
    {17, QPalette::Disabled, QPalette::Text, 0x808080},          // grey text
    {18, QPalette::Active, QPalette::ButtonText, 0x000000},      // button text
    {19, QPalette::Inactive, QPalette::WindowText, 0xC8D0D4},    // inactive caption text
    {20, QPalette::Active, QPalette::Light, 0xFFFFFF},           // button highlight
    {21, QPalette::Active, QPalette::Shadow, 0x404040},          // 3D dark shadow
    {22, QPalette::Active, QPalette::Midlight, 0xC8D0D4},        // 3D light
    {23, QPalette::Active, QPalette::ToolTipText, 0x000000},     // info text
    {24, QPalette::Active, QPalette::ToolTipBase, 0xE1FFFF},     // info background
    {26, QPalette::Active, QPalette::Link, 0x800000},            // hot light
    {27, QPalette::Active, QPalette::Highlight, 0xF0CAA6},       // gradient active caption
    {28, QPalette::Inactive, QPalette::Highlight, 0xC0C0C0},     // gradient inactive caption
    {29, QPalette::Active, QPalette::Highlight, 0x6A240A},       // menu highlight
    {30, QPalette::Active, QPalette::Window, 0xC8D0D4},          // menu bar
};

TColorValue ColorValueOf(const QColor& Color) {
    return RGBToColor(static_cast<quint8>(Color.red()), static_cast<quint8>(Color.green()),
                      static_cast<quint8>(Color.blue()));
}

int RedOf(TColorValue cl) {
    return static_cast<int>(cl & 0xFF);
}
int GreenOf(TColorValue cl) {
    return static_cast<int>((cl >> 8) & 0xFF);
}
int BlueOf(TColorValue cl) {
    return static_cast<int>((cl >> 16) & 0xFF);
}

quint8 BlendChannel(int iNew, int iOld, double fAlpha) {
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double fValue = std::nearbyint(fAlpha * iNew + (1.0 - fAlpha) * iOld);
    return static_cast<quint8>(std::clamp(fValue, 0.0, 255.0));
}

int Placed(int iCode, int iStart, int iExtent, int iTextExtent, int iNearMargin, int iFarMargin) {
    switch (iCode) {
    case kAllignCentre:
        // Integer division truncates toward zero, as the placement asks.
        return iStart + (iExtent - iTextExtent) / 2;
    case kAllignRight:
        return iStart + iExtent - iTextExtent - iFarMargin;
    default:
        return iStart + iNearMargin;
    }
}

} // namespace

TColorValue RGBToColor(quint8 R, quint8 G, quint8 B) {
    return static_cast<TColorValue>(R) + 256u * G + 65536u * B;
}

TColorValue ColorToRGB(TColorValue clColor) {
    if ((clColor & 0xFF000000u) != clSystemColor)
        return clColor & 0x00FFFFFFu;
    const int iIndex = static_cast<int>(clColor & 0xFFu);
    const auto* pEnd = std::end(kSystemColors);
    const auto* p = std::find_if(std::begin(kSystemColors), pEnd,
                                 [iIndex](const TSystemColor& r) { return r.iIndex == iIndex; });
    if (p == pEnd)
        return clBlack;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return p->clClassic;
    return ColorValueOf(QGuiApplication::palette().color(p->eGroup, p->eRole));
}

TColorValue CalcOpacity(TColorValue clNew, TColorValue clOld, double fAlpha) {
    if (std::isnan(fAlpha))
        fAlpha = 0.0;
    fAlpha = std::clamp(fAlpha, 0.0, 1.0);
    const TColorValue clN = ColorToRGB(clNew);
    const TColorValue clO = ColorToRGB(clOld);
    return RGBToColor(BlendChannel(RedOf(clN), RedOf(clO), fAlpha),
                      BlendChannel(GreenOf(clN), GreenOf(clO), fAlpha),
                      BlendChannel(BlueOf(clN), BlueOf(clO), fAlpha));
}

QPoint AllignText(int iHAllign, QSize TextSize, const QRect& RectIn, int iVAllign) {
    return QPoint(Placed(iHAllign, RectIn.left(), RectIn.width(), TextSize.width(), 5, 3),
                  Placed(iVAllign, RectIn.top(), RectIn.height(), TextSize.height(), 3, 3));
}

QPoint AllignText(const QFontMetrics& Metrics, int iHAllign, const QString& TextIn, const QRect& RectIn,
                  int iVAllign) {
    return AllignText(iHAllign, QSize(Metrics.horizontalAdvance(TextIn), Metrics.height()), RectIn, iVAllign);
}

QPoint CentreOver(const QRect& Owner, QSize Own) {
    return QPoint(Owner.left() + (Owner.width() - Own.width()) / 2,
                  Owner.top() + (Owner.height() - Own.height()) / 2);
}

QColor ColorValueToQColor(TColorValue clColor) {
    const TColorValue cl = ColorToRGB(clColor);
    return QColor(RedOf(cl), GreenOf(cl), BlueOf(cl));
}

TColorValue QColorToColorValue(const QColor& Color) {
    return ColorValueOf(Color.toRgb());
}

QString MenuCaptionText(const QString& sCaption) {
    QString s = sCaption;
    s.remove(QLatin1Char('&'));
    return s;
}

void DrawItemText(int X, QPainter& ACanvas, const QString& Text, const QRect& ARect) {
    // A rectangle that starts at X and is wide enough for any caption; no clipping anyway.
    const QRect rText(X, ARect.top(), std::max(ARect.right() - X, 1), ARect.height());
    ACanvas.drawText(rText, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     MenuCaptionText(Text));
}
