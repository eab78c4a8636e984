#pragma once

#include <QDialog>

// Created once at start and kept for the whole run; its content comes with its own feature.
class TfrmLegalInfo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLegalInfo(QWidget* parent = nullptr);
};
