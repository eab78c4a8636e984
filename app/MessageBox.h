#pragma once

#include "app/MessageBoxLayout.h"

#include <QString>
#include <functional>

class QWidget;

// One message as the box would show it.
struct TMessageBoxRequest {
    QString sText;
    int iKind = kMsgWarning;
    TMessageBoxLayout rLayout;
};

// Answers a message instead of the user; tests install one so that no modal box waits for a person.
using TMessageBoxResponder = std::function<int(const TMessageBoxRequest&)>;

// The one way the program shows a message. The main window owns it and hands it to every window; it
// reads the main window's language each time, so a language change applies to the next message.
class TMessageBox {
public:
    TMessageBox(const int& iLNG, QWidget* pOwner);
    // The language must outlive the box: a temporary would leave it reading freed memory.
    TMessageBox(const int&& iLNG, QWidget* pOwner) = delete;

    // Shows text modally as a box of kind iKind (kMsgWarning...) with the buttons of the bit set
    // iButtons (kMsgBtnYes...) and returns the chosen button (kMsgResultOK...).
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) const;

    // Installs (or, with an empty function, removes) the responder that answers in place of the box.
    void SetResponder(TMessageBoxResponder fResponder) { FResponder = std::move(fResponder); }

private:
    const int& FLanguage;
    QWidget* FOwner;
    TMessageBoxResponder FResponder;
};
