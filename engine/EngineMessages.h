#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The text messages the logging thread sends the main window as loopback datagrams: code, thread number,
// length, text, 0. The port accepts datagrams from any local process, so decoding trusts nothing.

// A decoded engine datagram.
struct TEngineDatagram {
    int iCode = 0;
    QString sText;
};

// The text as it travels: only the characters the receiving side can take, one byte each. Line breaks,
// "?", "@", "\", "^", "`", "~" and everything above "}" are dropped.
QByteArray FilterMessageText(const QString& sText);

// One datagram: code, thread number 0, kept length (63 when 128 or more), the kept text, 0.
QByteArray EncodeEngineDatagram(int iCode, const QString& sText);

// The datagram's code and text, or nothing when it must be ignored: 4 bytes or less, a thread number
// other than 0, or no final 0.
std::optional<TEngineDatagram> DecodeEngineDatagram(const QByteArray& Datagram);

// The first iCount fields of a "|"-ended field list; fields past the last "|" are empty.
QStringList SplitMessageFields(const QString& sText, int iCount = 10);

// Numbers inside messages always use "." whatever the user's locale; reals in general format with up to
// 15 significant digits.
QString FormatMessageReal(double fValue);
