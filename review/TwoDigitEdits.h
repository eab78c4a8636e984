#pragma once

#include <QObject>
#include <vector>

class QLineEdit;
class QWidget;

// A two-digit numeric edit of a time: at most two characters, digits only, centred.
QLineEdit* NewTwoDigitEdit(QWidget* parent, const char* sName);

// Typing through a row of two-digit time edits (hours, minutes, seconds of a start and of a stop time):
// a digit overwrites the character after the caret and the second digit moves on to the next edit; Left
// or Up at the start of an edit goes back to the previous one, before its last character; Right or Down
// after the first character goes on to the next one. The step across iGuardedStep (between the edit
// before it and it, either way) is taken only when the edit stepped to is enabled; there is no step
// before the first edit or after the last.
class TTwoDigitEditChain : public QObject {
    Q_OBJECT
public:
    TTwoDigitEditChain(std::vector<QLineEdit*> aEdits, int iGuardedStep, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int IndexOf(const QObject* edit) const;
    // Focuses edit i with the caret at its start or before its last character.
    void FocusEdit(int i, bool bCaretAtStart);
    void StepNext(int i);
    void StepPrevious(int i);

    std::vector<QLineEdit*> aChain;
    int iGuarded;
};
