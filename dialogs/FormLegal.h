#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// The legal information window: the program's licence and the notices of the libraries and fonts it
// uses, from a rich-text document in the program's resources. Links open in the system's browser.
class TfrmLegalInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLegalInfo(QWidget* parent = nullptr);

    QTextBrowser* reLegal = nullptr;
    QPushButton* btnClose = nullptr;
};
