#include "dialogs/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace {

QMessageBox::Icon IconOf(int iKind) {
    switch (iKind) {
    case kMsgWarning:
        return QMessageBox::Warning;
    case kMsgError:
        return QMessageBox::Critical;
    case kMsgInformation:
        return QMessageBox::Information;
    case kMsgConfirmation:
        return QMessageBox::Question;
    default:
        return QMessageBox::NoIcon;
    }
}

// Message texts separate lines with carriage returns; the label breaks lines at line feeds.
QString DisplayText(QString sText) {
    sText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    sText.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return sText;
}

// The answer a box of layout rLayout takes when nobody is there: iPreferred when the box has that button,
// else its Esc answer.
int UnattendedResult(const TMessageBoxLayout& rLayout, int iPreferred) {
    for (const TMessageBoxButton& rButton : rLayout.aButtons)
        if (rButton.iResult == iPreferred)
            return iPreferred;
    return rLayout.iEscapeResult;
}

} // namespace

TMessageBox::TMessageBox(const int& iLNG, QWidget* pOwner) : FLanguage(iLNG), FOwner(pOwner) {}

void TMessageBox::AnswerUnattended() {
    FUnattended = true;
    for (const TOpenBox& rOpen : FOpenBoxes)
        rOpen.pBox->done(rOpen.iUnattendedResult);
}

int TMessageBox::ShowMessageBox(const QString& sText, int iKind, int iButtons, int iUnattendedResult) const {
    TMessageBoxRequest rRequest{sText, iKind, MessageBoxLayout(iKind, iButtons, FLanguage)};
    const int iUnattended = UnattendedResult(rRequest.rLayout, iUnattendedResult);
    if (FUnattended)
        return iUnattended;
    const bool bUncover = FCovering && FCovering->isVisible();
    if (bUncover)
        FCovering->hide();
    const int iResult = AskMessage(rRequest, iUnattended);
    if (bUncover && FCovering)
        FCovering->show();
    return iResult;
}

int TMessageBox::AskMessage(const TMessageBoxRequest& rRequest, int iUnattended) const {
    if (FResponder)
        return FResponder(rRequest);

    const TMessageBoxLayout& rLayout = rRequest.rLayout;
    QWidget* pParent = QApplication::activeWindow();
    // A window that destroys itself when closed (the splash, once faded) would take the box with it.
    if (pParent == nullptr || pParent->testAttribute(Qt::WA_DeleteOnClose))
        pParent = FOwner;
    QMessageBox box(IconOf(rRequest.iKind), rLayout.sCaption, DisplayText(rRequest.sText),
                    QMessageBox::NoButton, pParent);
    // Texts carry file names and meter replies: never read them as markup.
    box.setTextFormat(Qt::PlainText);

    std::vector<std::pair<QAbstractButton*, int>> aButtons;
    for (const TMessageBoxButton& rButton : rLayout.aButtons) {
        // One role for all keeps them in the given order whatever the platform's button order is.
        QPushButton* pButton = box.addButton(rButton.sText, QMessageBox::ActionRole);
        aButtons.emplace_back(pButton, rButton.iResult);
        if (rButton.iResult == rLayout.iDefaultResult)
            box.setDefaultButton(pButton);
        if (rButton.iResult == rLayout.iEscapeResult)
            box.setEscapeButton(pButton);
    }
    FOpenBoxes.append({&box, iUnattended});
    const int iDone = box.exec();
    FOpenBoxes.removeIf([&box](const TOpenBox& r) { return r.pBox == &box; });
    // Answered by AnswerUnattended, not by a button.
    if (FUnattended && box.clickedButton() == nullptr)
        return iDone;

    const QAbstractButton* pClicked = box.clickedButton();
    for (const auto& [pButton, iResult] : aButtons) {
        if (pButton == pClicked)
            return iResult;
    }
    return rLayout.iEscapeResult;
}
