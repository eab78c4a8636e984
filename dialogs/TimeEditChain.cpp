#include "dialogs/TimeEditChain.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

// Index of the step from the start fields to the stop fields in the chain.
constexpr int kFirstStopField = 3;

bool IsArrowKey(int iKey) {
    return iKey == Qt::Key_Left || iKey == Qt::Key_Right || iKey == Qt::Key_Up || iKey == Qt::Key_Down;
}

// Keys that never move the caret on to another field: Tab and the modifier keys alone.
bool IsNeutralKey(int iKey) {
    return iKey == Qt::Key_Tab || iKey == Qt::Key_Backtab || iKey == Qt::Key_Shift ||
           iKey == Qt::Key_Control || iKey == Qt::Key_Alt || iKey == Qt::Key_Meta || iKey == Qt::Key_AltGr;
}

} // namespace

TTimeEditChain::TTimeEditChain(const std::array<QLineEdit*, kLength>& aEdits, QWidget* pDialog)
    : QObject(pDialog), FEdits(aEdits), FDialog(pDialog) {
    for (QLineEdit* edit : FEdits)
        edit->installEventFilter(this);
}

QLineEdit* TTimeEditChain::NewTimeEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(2);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
    edit->setFixedWidth(32);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

void TTimeEditChain::FocusEdit(QLineEdit* edit, bool bCaretAtStart) const {
    if (!FDialog->isVisible())
        return;
    edit->setFocus(Qt::OtherFocusReason);
    edit->deselect();
    edit->setCursorPosition(bCaretAtStart ? 0 : std::max<int>(0, static_cast<int>(edit->text().size()) - 1));
}

void TTimeEditChain::FocusNext(QLineEdit* edit) const {
    const int i = ChainIndex(edit);
    if (i < 0 || i + 1 >= kLength)
        return;
    if (i + 1 == kFirstStopField && !FEdits[size_t(i + 1)]->isEnabled())
        return;
    FocusEdit(FEdits[size_t(i + 1)], true);
}

void TTimeEditChain::FocusPrevious(QLineEdit* edit) const {
    const int i = ChainIndex(edit);
    if (i <= 0)
        return;
    if (i == kFirstStopField && !FEdits[size_t(i - 1)]->isEnabled())
        return;
    FocusEdit(FEdits[size_t(i - 1)], false);
}

int TTimeEditChain::ChainIndex(const QObject* edit) const {
    for (int i = 0; i < kLength; ++i) {
        if (FEdits[size_t(i)] == edit)
            return i;
    }
    return -1;
}

bool TTimeEditChain::EditKeyDown(QLineEdit* edit, const QKeyEvent* event) const {
    const int iKey = event->key();
    const int iCaret = edit->cursorPosition();
    const bool bNoSelection = !edit->hasSelectedText();
    if (iKey == Qt::Key_Backspace)
        return false;
    if ((iKey == Qt::Key_Left || iKey == Qt::Key_Up) && iCaret == 0 && bNoSelection) {
        FocusPrevious(edit);
        return true;
    }
    if ((iKey == Qt::Key_Right || iKey == Qt::Key_Down) && iCaret == 1 && bNoSelection) {
        FocusNext(edit);
        return true;
    }
    if (IsArrowKey(iKey) || IsNeutralKey(iKey))
        return false;
    if (iCaret == 1)
        FocusNext(edit);
    return false;
}

void TTimeEditChain::EditKeyUp(QLineEdit* edit, const QKeyEvent* event) const {
    const int iKey = event->key();
    if (IsArrowKey(iKey) || IsNeutralKey(iKey))
        return;
    if (edit->cursorPosition() == 2)
        FocusNext(edit);
}

bool TTimeEditChain::eventFilter(QObject* watched, QEvent* event) {
    const int i = ChainIndex(watched);
    if (i < 0 || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QObject::eventFilter(watched, event);
    QLineEdit* edit = FEdits[size_t(i)];
    const auto* KeyEvent = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyRelease) {
        EditKeyUp(edit, KeyEvent);
        return false;
    }
    if (EditKeyDown(edit, KeyEvent))
        return true;
    // Overwrite mode: a digit replaces the character after the caret. The key's character goes into this
    // field even when its key-down has just moved the focus on.
    const QString sText = KeyEvent->text();
    if (sText.size() == 1 && sText.at(0).isDigit() && edit->cursorPosition() < edit->text().size())
        edit->setSelection(edit->cursorPosition(), 1);
    return false;
}
