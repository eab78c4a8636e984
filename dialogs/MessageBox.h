#pragma once

#include "core/MessageBoxLayout.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class QMessageBox;
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
    // iButtons (kMsgBtnYes...) and returns the chosen button (kMsgResultOK...). iUnattendedResult is the
    // answer that keeps the user's work when nobody is there to answer (see AnswerUnattended); without one
    // of the box's buttons, the box's Esc answer is taken.
    int ShowMessageBox(const QString& sText, int iKind, int iButtons,
                       int iUnattendedResult = kMsgResultNone) const;

    // A window that stays on top of the others (the wait window): while a message is open it is hidden,
    // so that it never covers the message's buttons, and shown again afterwards when it was showing.
    void SetCoveringWindow(QWidget* pWindow) { FCovering = pWindow; }

    // Installs (or, with an empty function, removes) the responder that answers in place of the box.
    void SetResponder(TMessageBoxResponder fResponder) { FResponder = std::move(fResponder); }

    // Nobody will answer any more (the program ends on a termination signal): the boxes open now are
    // answered with their unattended answers, and every later message takes its answer without a box.
    void AnswerUnattended();

private:
    // A box on screen and what it answers when nobody is there.
    struct TOpenBox {
        QMessageBox* pBox;
        int iUnattendedResult;
    };

    // Shows the message, answered by the responder or by the user.
    int AskMessage(const TMessageBoxRequest& rRequest, int iUnattended) const;

    const int& FLanguage;
    QWidget* FOwner;
    QPointer<QWidget> FCovering;
    TMessageBoxResponder FResponder;
    bool FUnattended = false;
    // Boxes inside one another's event loops, innermost last.
    mutable QList<TOpenBox> FOpenBoxes;
};
