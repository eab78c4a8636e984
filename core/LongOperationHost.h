#pragma once

#include <QString>

// What a view asks of the main window around a command: the program's message box, and the long-operation
// state (the wait window with a text entry, the main window taking no input until the operation ends).
class ILongOperationHost {
public:
    virtual ~ILongOperationHost() = default;
    // A message of the program (text, kind kMsg..., buttons kMsgBtn...); returns the button chosen.
    virtual int ShowMessageBox(const QString& sText, int iKind, int iButtons) = 0;
    // The wait window with text entry iEntry, the main window taking no input, until EndLongOperation.
    virtual void BeginLongOperation(int iEntry) = 0;
    virtual void EndLongOperation() = 0;
};
