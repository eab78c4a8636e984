#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the timecode (hh:mm:ss:ff) of the level row to go to, in four two-digit fields.
class TfrmGoToTimecode : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGoToTimecode(QWidget* parent);

    void SetLanguage(int iLNG);
    // Fills the fields from a timecode text; a text too short leaves its missing fields "00".
    void SetTimecode(const QString& sTimecode);
    // The fields as hh:mm:ss:ff, each padded to two digits.
    QString Timecode() const;

    QLabel* lblTimecode;
    QLineEdit* editHr;
    QLineEdit* editMin;
    QLineEdit* editSec;
    QLineEdit* editFrame;
    QPushButton* btnOK;
    QPushButton* btnCancel;
};
