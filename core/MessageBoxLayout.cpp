#include "core/MessageBoxLayout.h"

#include "core/TextTable.h"

#include <algorithm>

namespace {

int CaptionEntry(int iKind) {
    switch (iKind) {
    case kMsgWarning:
        return kTxtWarning;
    case kMsgError:
        return kTxtError;
    case kMsgInformation:
        return kTxtInformation;
    case kMsgConfirmation:
        return kTxtConfirm;
    default:
        return -1;
    }
}

bool HasResult(const TMessageBoxLayout& rLayout, int iResult) {
    return std::any_of(rLayout.aButtons.begin(), rLayout.aButtons.end(),
                       [iResult](const TMessageBoxButton& rButton) { return rButton.iResult == iResult; });
}

} // namespace

TMessageBoxLayout MessageBoxLayout(int iKind, int iButtons, int iLNG) {
    struct TButtonDef {
        int iBit;
        int iEntry;
        int iResult;
    };
    static constexpr TButtonDef aOrder[] = {
        {kMsgBtnYes, kTxtYes, kMsgResultYes},
        {kMsgBtnNo, kTxtNo, kMsgResultNo},
        {kMsgBtnOK, kTxtOK, kMsgResultOK},
        {kMsgBtnCancel, kTxtCancel, kMsgResultCancel},
    };
    const int iKnownButtons = kMsgBtnYes | kMsgBtnNo | kMsgBtnOK | kMsgBtnCancel;
    if ((iButtons & iKnownButtons) == 0)
        iButtons = kMsgBtnOK;

    TMessageBoxLayout rLayout;
    const int iCaption = CaptionEntry(iKind);
    if (iCaption >= 0)
        rLayout.sCaption = GetText(iCaption, iLNG);
    for (const TButtonDef& rDef : aOrder) {
        if (iButtons & rDef.iBit)
            rLayout.aButtons.push_back({GetText(rDef.iEntry, iLNG), rDef.iResult});
    }

    if (HasResult(rLayout, kMsgResultOK))
        rLayout.iDefaultResult = kMsgResultOK;
    else if (HasResult(rLayout, kMsgResultYes))
        rLayout.iDefaultResult = kMsgResultYes;

    if (HasResult(rLayout, kMsgResultCancel))
        rLayout.iEscapeResult = kMsgResultCancel;
    else if (HasResult(rLayout, kMsgResultNo))
        rLayout.iEscapeResult = kMsgResultNo;
    else if (HasResult(rLayout, kMsgResultOK))
        rLayout.iEscapeResult = kMsgResultOK;
    else
        rLayout.iEscapeResult = rLayout.aButtons.front().iResult;
    return rLayout;
}
