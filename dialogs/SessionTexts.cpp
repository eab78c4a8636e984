#include "dialogs/SessionTexts.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"

TSessionTexts SessionTextsOf(const TSessionInfo& rSession) {
    return {rSession.sShowTitle, rSession.sShowNumber, rSession.sOperatorName, rSession.sFormat,
            rSession.sNotes};
}

void SetSessionTexts(TSessionInfo& rSession, const TSessionTexts& rTexts) {
    rSession.sShowTitle = rTexts.sShowTitle;
    rSession.sShowNumber = rTexts.sShowNumber;
    rSession.sOperatorName = rTexts.sOperatorName;
    rSession.sFormat = rTexts.sFormat;
    rSession.sNotes = rTexts.sNotes;
}

QStringList ForbiddenSessionChars() {
    QString sQuote = TextTable().Entry(kTxtDoubleQuote);
    // The store quotes with it whatever the table holds, so a damaged table must not let it through.
    if (sQuote.isEmpty())
        sQuote = QStringLiteral("\"");
    return {sQuote};
}

bool VerifyStringField(QString& sText) {
    bool bClean = true;
    for (const QString& sChar : ForbiddenSessionChars()) {
        if (sText.contains(sChar)) {
            sText.remove(sChar);
            bClean = false;
        }
    }
    return bClean;
}

bool VerifySessionTexts(TSessionTexts& rTexts) {
    bool bClean = true;
    for (QString* p :
         {&rTexts.sShowTitle, &rTexts.sShowNumber, &rTexts.sOperatorName, &rTexts.sFormat, &rTexts.sNotes}) {
        if (!VerifyStringField(*p))
            bClean = false;
    }
    return bClean;
}

QString ForbiddenCharsMessage(int iLNG) {
    return FormatText(GetText(kTxtForbiddenCharRemoved, iLNG), {ForbiddenSessionChars().join(QString())});
}

namespace {

// False when sText was longer than iMax and has been cut.
bool LimitText(QString& sText, int iMax) {
    if (sText.size() <= iMax)
        return true;
    int iKeep = iMax;
    if (iKeep > 0 && sText.at(iKeep - 1).isHighSurrogate())
        --iKeep;
    sText.truncate(iKeep);
    return false;
}

} // namespace

bool LimitSessionTexts(TSessionTexts& rTexts) {
    bool bWithin = true;
    for (QString* p : {&rTexts.sShowTitle, &rTexts.sShowNumber, &rTexts.sOperatorName, &rTexts.sFormat}) {
        if (!LimitText(*p, kMaxSessionLineLength))
            bWithin = false;
    }
    if (!LimitText(rTexts.sNotes, kMaxSessionNotesLength))
        bWithin = false;
    return bWithin;
}

QString TextsShortenedMessage(int iLNG) {
    return FormatText(GetText(kTxtSessionTextsShortened, iLNG),
                      {QString::number(kMaxSessionLineLength), QString::number(kMaxSessionNotesLength)});
}

void SetUnnamedTitle(QString& sTitle, int iLNG) {
    if (sTitle.isEmpty())
        sTitle = GetText(kTxtUnnamedSession, iLNG);
}

bool CheckSessionInfoChanges(TSessionTexts& rGrid, TSessionInfo& rSession, int iLNG, const TAskUser& fnAsk) {
    if (rGrid == SessionTextsOf(rSession))
        return false;
    if (!fnAsk || fnAsk(GetText(kTxtSessionInfoChanged, iLNG), kMsgConfirmation, kMsgBtnYes | kMsgBtnNo) !=
                      kMsgResultYes)
        return false;
    SetUnnamedTitle(rGrid.sShowTitle, iLNG);
    if (!VerifySessionTexts(rGrid))
        fnAsk(ForbiddenCharsMessage(iLNG), kMsgError, kMsgBtnOK);
    if (!LimitSessionTexts(rGrid))
        fnAsk(TextsShortenedMessage(iLNG), kMsgWarning, kMsgBtnOK);
    SetSessionTexts(rSession, rGrid);
    return true;
}
