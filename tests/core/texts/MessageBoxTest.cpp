#include "dialogs/MessageBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// What the real box showed when the key was pressed.
struct TSeenBox {
    bool bSeen = false;
    bool bForcedClosed = false;
    QString sCaption;
    QString sText;
    QMessageBox::Icon eIcon = QMessageBox::NoIcon;
    Qt::TextFormat eFormat = Qt::AutoText;
    QStringList slButtons; // left to right
};

// Shows a message on the real modal box and, once it is on screen, presses iKey on the widget that has
// the focus, as a user would. A box the key does not close is closed after a generous guard time and
// reported, so no test waits on a window.
int ShowAndPress(const TMessageBox& rBox, const QString& sText, int iKind, int iButtons, int iKey,
                 TSeenBox& rSeen) {
    QTimer tmrPoll;
    QTimer tmrGuard;
    tmrGuard.setSingleShot(true);
    QObject::connect(&tmrPoll, &QTimer::timeout, [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (pBox == nullptr || !pBox->isVisible())
            return;
        tmrPoll.stop();
        rSeen.bSeen = true;
        rSeen.sCaption = pBox->windowTitle();
        rSeen.sText = pBox->text();
        rSeen.eIcon = pBox->icon();
        rSeen.eFormat = pBox->textFormat();
        QList<QPushButton*> aButtons;
        for (QPushButton* p : pBox->findChildren<QPushButton*>()) {
            if (p->isVisible())
                aButtons << p;
        }
        std::sort(aButtons.begin(), aButtons.end(), [pBox](QPushButton* a, QPushButton* b) {
            return a->mapTo(pBox, QPoint(0, 0)).x() < b->mapTo(pBox, QPoint(0, 0)).x();
        });
        for (QPushButton* p : aButtons)
            rSeen.slButtons << p->text();
        QWidget* pTarget = pBox->focusWidget() != nullptr ? pBox->focusWidget() : pBox;
        QKeyEvent press(QEvent::KeyPress, iKey, Qt::NoModifier);
        QApplication::sendEvent(pTarget, &press);
        QKeyEvent release(QEvent::KeyRelease, iKey, Qt::NoModifier);
        if (QApplication::activeModalWidget() == pBox)
            QApplication::sendEvent(pTarget, &release);
        tmrGuard.start(10'000);
    });
    QObject::connect(&tmrGuard, &QTimer::timeout, [&] {
        if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            rSeen.bForcedClosed = true;
            pBox->done(0);
        }
    });
    tmrPoll.start(5);
    return rBox.ShowMessageBox(sText, iKind, iButtons);
}

struct TKeyCase {
    const char* sName;
    int iLNG;
    int iKind;
    int iButtons;
    int iKey;
    const char* sCaption;
    QMessageBox::Icon eIcon;
    QStringList slButtons;
    int iResult;
};

} // namespace

TEST(ShowMessageBox, RealBoxAnswersEnterAndEsc) {
    const TKeyCase aCases[] = {
        {"confirm, Esc is No", 0, 3, 3, Qt::Key_Escape, "Confirm", QMessageBox::Question, {"Yes", "No"}, 7},
        {"confirm, Enter is Yes",
         0,
         3,
         3,
         Qt::Key_Return,
         "Confirm",
         QMessageBox::Question,
         {"Yes", "No"},
         6},
        {"Danish confirm, Esc", 1, 3, 3, Qt::Key_Escape, "Bekræft", QMessageBox::Question, {"Ja", "Nej"}, 7},
        {"Danish confirm, Enter", 1, 3, 3, Qt::Key_Enter, "Bekræft", QMessageBox::Question, {"Ja", "Nej"}, 6},
        {"information, Enter", 0, 2, 4, Qt::Key_Return, "Information", QMessageBox::Information, {"OK"}, 1},
        {"information, Esc", 0, 2, 4, Qt::Key_Escape, "Information", QMessageBox::Information, {"OK"}, 1},
        {"all four, Esc is Cancel", 0, 0, 15, Qt::Key_Escape, "Warning", QMessageBox::Warning,
         QStringList{"Yes", "No", "OK", "Cancel"}, 2},
        {"all four, Enter is OK", 1, 1, 15, Qt::Key_Return, "Fejl", QMessageBox::Critical,
         QStringList{"Ja", "Nej", "OK", "Annuller"}, 1},
        {"yes/no/cancel, Esc is Cancel", 0, 3, 11, Qt::Key_Escape, "Confirm", QMessageBox::Question,
         QStringList{"Yes", "No", "Cancel"}, 2},
    };
    int iLNG = 0;
    const TMessageBox rBox(iLNG, nullptr);
    for (const TKeyCase& c : aCases) {
        SCOPED_TRACE(c.sName);
        iLNG = c.iLNG;
        TSeenBox rSeen;
        const int iResult = ShowAndPress(rBox, QStringLiteral("Line one\r\rLine <b>two</b>"), c.iKind,
                                         c.iButtons, c.iKey, rSeen);
        ASSERT_TRUE(rSeen.bSeen);
        EXPECT_FALSE(rSeen.bForcedClosed) << "the key did not close the box";
        EXPECT_EQ(rSeen.sCaption, QString::fromUtf8(c.sCaption));
        EXPECT_EQ(rSeen.eIcon, c.eIcon);
        EXPECT_EQ(rSeen.slButtons, c.slButtons);
        EXPECT_EQ(rSeen.sText, QStringLiteral("Line one\n\nLine <b>two</b>"));
        EXPECT_EQ(rSeen.eFormat, Qt::PlainText);
        EXPECT_EQ(iResult, c.iResult);
    }
}

TEST(ShowMessageBox, ResponderAnswersInsteadOfTheBox) {
    int iLNG = 1;
    TMessageBox rBox(iLNG, nullptr);
    std::vector<TMessageBoxRequest> aSeen;
    bool bBoxShown = false;
    rBox.SetResponder([&](const TMessageBoxRequest& r) {
        aSeen.push_back(r);
        bBoxShown = bBoxShown || QApplication::activeModalWidget() != nullptr;
        return r.rLayout.iEscapeResult;
    });
    EXPECT_EQ(rBox.ShowMessageBox(QStringLiteral("Delete?\r\rSure?"), kMsgConfirmation, 3), kMsgResultNo);
    iLNG = 0;
    EXPECT_EQ(rBox.ShowMessageBox(QStringLiteral("Saved."), kMsgInformation, 4), kMsgResultOK);
    EXPECT_FALSE(bBoxShown);
    ASSERT_EQ(aSeen.size(), 2u);
    EXPECT_EQ(aSeen[0].sText, QStringLiteral("Delete?\r\rSure?"));
    EXPECT_EQ(aSeen[0].iKind, kMsgConfirmation);
    EXPECT_EQ(aSeen[0].rLayout.sCaption, QString::fromUtf8("Bekræft"));
    ASSERT_EQ(aSeen[0].rLayout.aButtons.size(), 2u);
    EXPECT_EQ(aSeen[0].rLayout.aButtons[0].sText, "Ja");
    EXPECT_EQ(aSeen[0].rLayout.aButtons[1].sText, "Nej");
    // The language is read at each message, not when the box object was made.
    EXPECT_EQ(aSeen[1].rLayout.sCaption, "Information");
    ASSERT_EQ(aSeen[1].rLayout.aButtons.size(), 1u);
    EXPECT_EQ(aSeen[1].rLayout.aButtons[0].sText, "OK");
}

// Nobody will answer (the program ends on a signal): a box already on screen and every later message take
// the answer that keeps the user's work where the caller names one, else the non-destructive Esc answer,
// and no box waits.
TEST(ShowMessageBox, UnattendedAnswersWithoutABox) {
    int iLNG = 0;
    TMessageBox rBox(iLNG, nullptr);
    int iOpenAnswer = kMsgResultNone;
    QTimer tmrPoll;
    QObject::connect(&tmrPoll, &QTimer::timeout, [&] {
        if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) == nullptr)
            return;
        tmrPoll.stop();
        rBox.AnswerUnattended();
    });
    tmrPoll.start(10);
    QTimer tmrGuard;
    tmrGuard.setSingleShot(true);
    QObject::connect(&tmrGuard, &QTimer::timeout, [] {
        if (QWidget* pModal = QApplication::activeModalWidget())
            pModal->close();
    });
    tmrGuard.start(10000);
    iOpenAnswer = rBox.ShowMessageBox(QStringLiteral("Keep the edited texts?"), kMsgConfirmation,
                                      kMsgBtnYes | kMsgBtnNo, kMsgResultYes);
    EXPECT_TRUE(tmrGuard.isActive()) << "the open box was not answered";
    EXPECT_EQ(iOpenAnswer, kMsgResultYes);

    bool bAsked = false;
    rBox.SetResponder([&](const TMessageBoxRequest&) {
        bAsked = true;
        return kMsgResultCancel;
    });
    const struct {
        int iKind;
        int iButtons;
        int iPreferred;
        int iExpected;
    } aCases[] = {
        {kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, kMsgResultYes, kMsgResultYes},
        {kMsgConfirmation, kMsgBtnYes | kMsgBtnNo, kMsgResultNone, kMsgResultNo},
        {kMsgConfirmation, kMsgBtnYes | kMsgBtnNo | kMsgBtnCancel, kMsgResultNone, kMsgResultCancel},
        {kMsgError, kMsgBtnOK, kMsgResultYes, kMsgResultOK},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(rBox.ShowMessageBox(QStringLiteral("Later"), c.iKind, c.iButtons, c.iPreferred),
                  c.iExpected)
            << c.iButtons << " " << c.iPreferred;
    EXPECT_FALSE(bAsked);
}
