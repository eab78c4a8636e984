#include "review/TwoDigitEdits.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

constexpr int kDigits = 2;
constexpr int kEditWidth = 32;

} // namespace

QLineEdit* NewTwoDigitEdit(QWidget* parent, const char* sName) {
    auto* edit = new QLineEdit(QStringLiteral("00"), parent);
    edit->setObjectName(QLatin1String(sName));
    edit->setMaxLength(kDigits);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
    edit->setFixedWidth(kEditWidth);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}

TTwoDigitEditChain::TTwoDigitEditChain(std::vector<QLineEdit*> aEdits, int iGuardedStep, QObject* parent)
    : QObject(parent), aChain(std::move(aEdits)), iGuarded(iGuardedStep) {
    for (QLineEdit* edit : aChain)
        edit->installEventFilter(this);
}

int TTwoDigitEditChain::IndexOf(const QObject* edit) const {
    for (size_t i = 0; i < aChain.size(); ++i) {
        if (aChain[i] == edit)
            return int(i);
    }
    return -1;
}

void TTwoDigitEditChain::FocusEdit(int i, bool bCaretAtStart) {
    QLineEdit* edit = aChain[size_t(i)];
    edit->setFocus(Qt::OtherFocusReason);
    edit->deselect();
    edit->setCursorPosition(bCaretAtStart ? 0 : std::max<int>(0, int(edit->text().size()) - 1));
}

void TTwoDigitEditChain::StepNext(int i) {
    const int iNext = i + 1;
    if (iNext >= int(aChain.size()))
        return;
    if (iNext == iGuarded && !aChain[size_t(iNext)]->isEnabled())
        return;
    FocusEdit(iNext, true);
}

void TTwoDigitEditChain::StepPrevious(int i) {
    const int iPrevious = i - 1;
    if (iPrevious < 0)
        return;
    if (i == iGuarded && !aChain[size_t(iPrevious)]->isEnabled())
        return;
    FocusEdit(iPrevious, false);
}

bool TTwoDigitEditChain::eventFilter(QObject* watched, QEvent* event) {
    const int i = IndexOf(watched);
    if (i < 0 || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    QLineEdit* edit = aChain[size_t(i)];
    const auto* Key = static_cast<QKeyEvent*>(event);
    const int iCaret = edit->cursorPosition();
    const bool bNoSelection = !edit->hasSelectedText();
    switch (Key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (iCaret == 0 && bNoSelection) {
            StepPrevious(i);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (iCaret == 1 && bNoSelection) {
            StepNext(i);
            return true;
        }
        return false;
    default:
        break;
    }
    const QString sText = Key->text();
    if (sText.size() != 1 || !sText.at(0).isDigit() ||
        Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    // Overwrite: the digit replaces the character after the caret.
    if (bNoSelection && iCaret < edit->text().size())
        edit->setSelection(iCaret, 1);
    edit->insert(sText);
    if (edit->cursorPosition() >= kDigits)
        StepNext(i);
    return true;
}
