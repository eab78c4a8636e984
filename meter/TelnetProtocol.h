#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The text side of a network meter's terminal session: its prompts, its login banner and its lines. Pure
// functions of the received bytes (one character per byte), so every rule is testable with byte strings.

// The prompt a meter is waiting at.
enum class TLoginPrompt { None, UserName, Password };

// The prompt the text received so far ends with, in any letter case. A prompt counts only at the very end:
// text after it (even one blank) means the meter is not waiting at it.
TLoginPrompt DetectLoginPrompt(const QByteArray& sText);

// The meter answered a correct login: its banner names the unit, "UNIT NAME" in any letter case.
bool ContainsBannerMark(const QByteArray& sText);

// Once the banner mark has arrived, the banner is whole when its unit name line has ended (an LF after
// "Unit Name.: "), or at once when that label is missing.
bool IsBannerComplete(const QByteArray& sText);

// What follows the banner's unit name line (after its LF, and a CR right after that): the start of the
// meter's lines. Empty while the banner is not complete.
QByteArray BannerTail(const QByteArray& sText);

// Serial number and unit name from a login banner.
struct TTelnetBanner {
    int iSerialNo = 0;
    QString sUnitName;
};

// The serial number is made of the digits between "Number: " and "Unit Name.: " (others dropped), 0 when
// there are none, a label is missing, or the digits do not fit. The unit name runs from after
// "Unit Name.: " to the first LF (or the end of the text), without a CR before that LF.
TTelnetBanner ParseBanner(const QByteArray& sRXData);

// Assembles lines from chunks: a line ends with CR LF or LF CR. A line end split across two chunks is
// recognised when its second byte arrives. Empty lines carry nothing and are dropped.
class TLineAssembler {
public:
    // The lines completed by this chunk, without their line ends, in order.
    QList<QByteArray> Feed(const QByteArray& Chunk);
    // The start of a line still waiting for its end.
    const QByteArray& Pending() const { return sPending; }
    void Clear() { sPending.clear(); }

    // A line that grows past this without an end is noise; its start is dropped so that a meter streaming
    // without line ends cannot exhaust memory.
    static constexpr qsizetype kMaxLine = 64 * 1024;

private:
    QByteArray sPending;
};
