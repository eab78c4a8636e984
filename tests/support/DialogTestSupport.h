#pragma once

#include "dialogs/MessageBox.h"
#include "tests/support/RecordingServices.h"

#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace qxtest {

// Runs fnOpen, which shows dlg modally, and once dlg is on screen runs fnDrive, which fills it in and
// closes it. A dialog still open after a guard time is closed and the result is false, so no test waits
// on a window. True when fnDrive ran and closed the dialog.
bool DriveModal(QDialog& dlg, const std::function<void()>& fnOpen, const std::function<void()>& fnDrive);

// A key as the user types it: pressed on the widget that has the window's focus, released on the widget
// that has it afterwards.
void TypeKey(QWidget& rWindow, int iKey, const QString& sText = QString());
// Every character of sText typed as above.
void TypeText(QWidget& rWindow, const QString& sText);

// The program's services over the caller's settings with the program's own message box, so that a test
// sees each message as the user would (caption, kind, buttons) through the box's responder.
class TMessageBoxServices : public TRecordingServices {
public:
    TMessageBoxServices(TSettings& rSettingsIn, const TMessageBox& rBox)
        : TRecordingServices(rSettingsIn), rMessageBox(rBox) {}
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) override {
        TRecordingServices::ShowMessageBox(sText, iKind, iButtons);
        return rMessageBox.ShowMessageBox(sText, iKind, iButtons);
    }

    const TMessageBox& rMessageBox;
};

} // namespace qxtest
