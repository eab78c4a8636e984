#pragma once

#include <QDialog>

// A dialog that builds its controls when it is first shown, or when EnsureControls asks for them first.
// The program creates its dialogs at start and most runs open few of them, so start-up leaves the building
// to the first opening.
class TDeferredDialog : public QDialog {
public:
    using QDialog::QDialog;

    // The controls exist from the first opening, or from this call on.
    void EnsureControls() {
        if (bControlsBuilt)
            return;
        bControlsBuilt = true;
        CreateControls();
    }

    void setVisible(bool bVisible) override {
        if (bVisible)
            EnsureControls();
        QDialog::setVisible(bVisible);
    }

protected:
    bool ControlsBuilt() const { return bControlsBuilt; }

private:
    virtual void CreateControls() = 0;

    bool bControlsBuilt = false;
};
