#pragma once

#include "core/ColorValue.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFontMetrics;

// Drawing helpers shared by every grid and menu the program paints. Pure where they can be, so that the
// numbers are checked without a screen.

// Horizontal and vertical placement codes of AllignText.
inline constexpr int kAllignLeft = 0;   // or top
inline constexpr int kAllignCentre = 1; // centred
inline constexpr int kAllignRight = 2;  // or bottom

// Packs three bytes into a colour value: R + 256 × G + 65536 × B.
TColorValue RGBToColor(quint8 R, quint8 G, quint8 B);

// A colour value as plain red, green and blue: system colours take their current value from the
// application's palette (or a fixed classic value without a GUI application); any other value keeps its
// low three bytes.
TColorValue ColorToRGB(TColorValue clColor);

// Blends clNew over clOld: each channel is fAlpha × new + (1 − fAlpha) × old, rounded to the nearest
// integer with halves to even. fAlpha outside 0 to 1 is taken as its nearest bound, so a channel never
// leaves its byte.
TColorValue CalcOpacity(TColorValue clNew, TColorValue clOld, double fAlpha);

// The point (top left of the text box) at which a text of size TextSize is drawn inside RectIn. iHAllign:
// 0 left + 5, 1 centred (rounded toward zero), 2 right − text width − 3; iVAllign: 0 top + 3, 1 centred,
// 2 bottom − text height − 3. RectIn's right and bottom are exclusive (left + width, top + height). An
// unknown code places like code 0.
QPoint AllignText(int iHAllign, QSize TextSize, const QRect& RectIn, int iVAllign);
// The same, measuring TextIn with the font metrics of the canvas that will draw it.
QPoint AllignText(const QFontMetrics& Metrics, int iHAllign, const QString& TextIn, const QRect& RectIn,
                  int iVAllign);

// Where a window of size Own sits centred over Owner (the quotients rounded toward zero).
QPoint CentreOver(const QRect& Owner, QSize Own);

// Conversions between colour values (0x00BBGGRR, system colours resolved) and Qt colours.
QColor ColorValueToQColor(TColorValue clColor);
TColorValue QColorToColorValue(const QColor& Color);

class QPainter;

// A menu caption as shown: every "&" removed.
QString MenuCaptionText(const QString& sCaption);

// Draws a menu caption from x = X with every "&" removed, on one line, vertically centred in ARect,
// without clipping.
void DrawItemText(int X, QPainter& ACanvas, const QString& Text, const QRect& ARect);
