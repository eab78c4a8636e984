#pragma once

#include "dialogs/DeferredDialog.h"

class QPushButton;
class QTextBrowser;

// The legal information window: the program's licence and the notices of the libraries and fonts it
// uses, from a rich-text document in the program's resources. Links open in the system's browser.
class TfrmLegalInfo : public TDeferredDialog {
    Q_OBJECT
public:
    explicit TfrmLegalInfo(QWidget* parent = nullptr);

    QTextBrowser* reLegal = nullptr;
    QPushButton* btnClose = nullptr;

private:
    void CreateControls() override;
};
