#pragma once

#include <QMainWindow>

// The main window: owner of the program-wide state, the logging and database tabs.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
};
