#pragma once

#include <QObject>
#include <array>

class QLineEdit;
class QKeyEvent;
class QWidget;

// Six two-digit time edits (hours, minutes and seconds of a start and of a stop time) typed as one field:
// a digit overwrites the character after the caret, a full field hands the caret to the next one, and the
// arrow keys step across the field borders. The step between the start seconds and the stop hours (either
// way) is taken only when the edit stepped to is enabled; there is no step before the first or after the
// last edit.
class TTimeEditChain : public QObject {
public:
    static constexpr int kLength = 6;

    // pDialog is the window of the edits: the caret moves only while it shows.
    TTimeEditChain(const std::array<QLineEdit*, kLength>& aEdits, QWidget* pDialog);

    // A two-digit numeric edit: at most 2 characters, digits only.
    static QLineEdit* NewTimeEdit(QWidget* parent);

    QLineEdit* Edit(int i) const { return FEdits[size_t(i)]; }
    // Focuses edit with the caret at its start, or before its last character.
    void FocusEdit(QLineEdit* edit, bool bCaretAtStart) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FocusNext(QLineEdit* edit) const;
    void FocusPrevious(QLineEdit* edit) const;
    // Key-down rules; true when the key moved across a field border and is done.
    bool EditKeyDown(QLineEdit* edit, const QKeyEvent* event) const;
    void EditKeyUp(QLineEdit* edit, const QKeyEvent* event) const;
    int ChainIndex(const QObject* edit) const;

    std::array<QLineEdit*, kLength> FEdits;
    QWidget* FDialog;
};
