#pragma once

#include <QString>
#include <vector>

// What a message box shows and answers, decided without a window so that it can be checked alone.

// Kinds of message: they choose the caption and the icon.
inline constexpr int kMsgWarning = 0;
inline constexpr int kMsgError = 1;
inline constexpr int kMsgInformation = 2;
inline constexpr int kMsgConfirmation = 3;

// Button bits of the button set.
inline constexpr int kMsgBtnYes = 1;
inline constexpr int kMsgBtnNo = 2;
inline constexpr int kMsgBtnOK = 4;
inline constexpr int kMsgBtnCancel = 8;

// Results: the button the user chose.
inline constexpr int kMsgResultNone = 0;
inline constexpr int kMsgResultOK = 1;
inline constexpr int kMsgResultCancel = 2;
inline constexpr int kMsgResultYes = 6;
inline constexpr int kMsgResultNo = 7;

struct TMessageBoxButton {
    QString sText;
    int iResult = kMsgResultNone;
};

struct TMessageBoxLayout {
    // Empty for an unknown kind.
    QString sCaption;
    // In their order on the box: Yes, No, OK, Cancel.
    std::vector<TMessageBoxButton> aButtons;
    // What Enter chooses: OK, else Yes, else kMsgResultNone (the focused button answers).
    int iDefaultResult = kMsgResultNone;
    // What Esc and closing the box choose: Cancel, else No, else OK, else the only button.
    int iEscapeResult = kMsgResultNone;
};

// The caption, buttons and keys of a box of kind iKind with button set iButtons in language iLNG. A set
// without any known button gets OK, so that no box is left without a way out.
TMessageBoxLayout MessageBoxLayout(int iKind, int iButtons, int iLNG);
