#include "tests/support/DialogTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QTimer>

namespace qxtest {

namespace {

constexpr int kPollMs = 5;
constexpr int kGuardMs = 10'000;

int KeyOf(QChar c) {
    if (c.isDigit())
        return Qt::Key_0 + c.digitValue();
    if (c.isLetter())
        return Qt::Key_A + (c.toUpper().unicode() - 'A');
    return c.unicode();
}

} // namespace

bool DriveModal(QDialog& dlg, const std::function<void()>& fnOpen, const std::function<void()>& fnDrive) {
    bool bDriven = false;
    bool bGuardClosed = false;
    QTimer tmrPoll;
    QTimer tmrGuard;
    tmrGuard.setSingleShot(true);
    QObject::connect(&tmrPoll, &QTimer::timeout, [&] {
        if (!dlg.isVisible() || QApplication::activeModalWidget() != &dlg)
            return;
        tmrPoll.stop();
        fnDrive();
        bDriven = true;
    });
    QObject::connect(&tmrGuard, &QTimer::timeout, [&] {
        if (dlg.isVisible()) {
            bGuardClosed = true;
            dlg.done(QDialog::Rejected);
        }
    });
    tmrPoll.start(kPollMs);
    tmrGuard.start(kGuardMs);
    fnOpen();
    return bDriven && !bGuardClosed && !dlg.isVisible();
}

void TypeKey(QWidget& rWindow, int iKey, const QString& sText) {
    QWidget* pTarget = rWindow.focusWidget() ? rWindow.focusWidget() : &rWindow;
    QKeyEvent Press(QEvent::KeyPress, iKey, Qt::NoModifier, sText);
    QApplication::sendEvent(pTarget, &Press);
    pTarget = rWindow.focusWidget() ? rWindow.focusWidget() : &rWindow;
    QKeyEvent Release(QEvent::KeyRelease, iKey, Qt::NoModifier, sText);
    QApplication::sendEvent(pTarget, &Release);
}

void TypeText(QWidget& rWindow, const QString& sText) {
    for (QChar c : sText)
        TypeKey(rWindow, KeyOf(c), QString(c));
}

} // namespace qxtest
