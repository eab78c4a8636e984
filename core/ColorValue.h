#pragma once

#include <QtGlobal>

// A colour as the settings and the grids keep it: 0x00BBGGRR (red in the low byte), or one of the special
// values for the platform's system colours (0xFF000000 + index) and for none/default.
using TColorValue = quint32;

inline constexpr TColorValue clBlack = 0x000000;
inline constexpr TColorValue clMaroon = 0x000080;
inline constexpr TColorValue clGreen = 0x008000;
inline constexpr TColorValue clOlive = 0x008080;
inline constexpr TColorValue clNavy = 0x800000;
inline constexpr TColorValue clPurple = 0x800080;
inline constexpr TColorValue clTeal = 0x808000;
inline constexpr TColorValue clGray = 0x808080;
inline constexpr TColorValue clSilver = 0xC0C0C0;
inline constexpr TColorValue clRed = 0x0000FF;
inline constexpr TColorValue clLime = 0x00FF00;
inline constexpr TColorValue clYellow = 0x00FFFF;
inline constexpr TColorValue clBlue = 0xFF0000;
inline constexpr TColorValue clFuchsia = 0xFF00FF;
inline constexpr TColorValue clAqua = 0xFFFF00;
inline constexpr TColorValue clWhite = 0xFFFFFF;
inline constexpr TColorValue clMoneyGreen = 0xC0DCC0;
inline constexpr TColorValue clSkyBlue = 0xF0CAA6;
inline constexpr TColorValue clCream = 0xF0FBFF;
inline constexpr TColorValue clMedGray = 0xA4A0A0;
inline constexpr TColorValue clNone = 0x1FFFFFFF;
inline constexpr TColorValue clDefault = 0x20000000;
// System colours are this base plus the platform's colour index.
inline constexpr TColorValue clSystemColor = 0xFF000000;
