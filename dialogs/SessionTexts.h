#pragma once

#include "core/SessionTypes.h"

#include <QString>
#include <QStringList>
#include <functional>

// The five texts a user gives a logging session, and the rules they follow: the session store writes
// them between double quotes, so that character is taken out before they get there.

struct TSessionTexts {
    QString sShowTitle;
    QString sShowNumber;
    QString sOperatorName;
    QString sFormat;
    QString sNotes;

    bool operator==(const TSessionTexts&) const = default;
};

TSessionTexts SessionTextsOf(const TSessionInfo& rSession);
void SetSessionTexts(TSessionInfo& rSession, const TSessionTexts& rTexts);

// The characters session texts must not hold: the double quote of the text table.
QStringList ForbiddenSessionChars();

// Removes every occurrence of every forbidden character from sText; false when any was there.
bool VerifyStringField(QString& sText);
// VerifyStringField on all five texts; false when any of them lost a character.
bool VerifySessionTexts(TSessionTexts& rTexts);

// The one message telling that forbidden characters were removed, in language iLNG.
QString ForbiddenCharsMessage(int iLNG);

// The longest texts a session keeps, in characters: the notes may run to a paragraph, the other four are
// one line each. A longer text is cut with a message, never silently by an edit's own limit.
inline constexpr int kMaxSessionLineLength = 255;
inline constexpr int kMaxSessionNotesLength = 4000;

// Cuts every text beyond its limit (never between the two halves of a surrogate pair); false when any was
// cut.
bool LimitSessionTexts(TSessionTexts& rTexts);
// The one message telling that texts were cut to their limits, in language iLNG.
QString TextsShortenedMessage(int iLNG);

// An empty title becomes "Unnamed session." in language iLNG.
void SetUnnamedTitle(QString& sTitle, int iLNG);

// Shows a message (text, kind, buttons) and returns the chosen button, as the message box does.
using TAskUser = std::function<int(const QString& sText, int iKind, int iButtons)>;

// The end-of-session check. rGrid holds the texts of the live session grid, rSession the running
// session. When they differ the user is asked whether to keep the grid's texts; on Yes an empty title
// becomes "Unnamed session.", the forbidden characters are removed (one message when any were), rGrid
// texts beyond their limits are cut (one message when any were), rGrid holds the cleaned texts to put back
// into the grid and rSession receives them. True when rSession changed.
bool CheckSessionInfoChanges(TSessionTexts& rGrid, TSessionInfo& rSession, int iLNG, const TAskUser& fnAsk);
