#include "review/ChartTabs.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"

#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

namespace {

// The long operation lasts as long as the scope, also when it is left by an exception.
class TLongOperation {
public:
    TLongOperation(ILongOperationHost& rHost, int iEntry) : Host(rHost) { Host.BeginLongOperation(iEntry); }
    ~TLongOperation() { Host.EndLongOperation(); }
    TLongOperation(const TLongOperation&) = delete;
    TLongOperation& operator=(const TLongOperation&) = delete;

private:
    ILongOperationHost& Host;
};

} // namespace

TChartTabs::TChartTabs(QTabWidget* pPageCtrl, TChartOptions& rOptions, const int& iLNG, int& iTabId,
                       ILongOperationHost& rHost)
    : QObject(pPageCtrl), PageCtrl(pPageCtrl), rChartOptions(rOptions), FLanguage(iLNG), FTabId(iTabId),
      Host(rHost) {
    popTab = new QMenu(PageCtrl);
    SetOwnerDrawnMenu(popTab, kTabPopupExtraWidth);
    popTabClose = popTab->addAction(QString(), this, &TChartTabs::CloseActiveTab);
    PageCtrl->tabBar()->installEventFilter(this);
    UpdateGUIStrings();
}

TChartTab* TChartTabs::MakeChartTab(const TChartTabRequest& rRequest) {
    TChartTab* Tab = nullptr;
    {
        TLongOperation Loading(Host, kTxtLoadingData);
        TLevelData Rows;
        const auto Pump = [] { QCoreApplication::processEvents(); };
        const bool bLoaded = !rRequest.sSessionId.isEmpty() && rRequest.fnLoadRows &&
                             rRequest.fnLoadRows(rRequest.sSessionId, rRequest.rDataFilter, Rows, Pump);
        if (bLoaded && Rows.RowCount() > 0) {
            ++FTabId;
            Tab = new TChartTab(FTabId, rRequest.rSetup, rChartOptions, FLanguage);
            Tab->sSessionId = rRequest.sSessionId;
            Tab->rDataFilter = rRequest.rDataFilter;
            QStringList slNames;
            for (int i = 0; i < PageCtrl->count(); ++i)
                slNames << PageCtrl->widget(i)->objectName();
            Tab->setObjectName(ChartTabName(PageCtrl->count() + 1, slNames));
            const int iIndex = PageCtrl->addTab(
                Tab, ChartTabCaption(rRequest.sCaption, PageCtrl->tabBar()->fontMetrics(), kMaxCaptionWidth));
            PageCtrl->setTabToolTip(iIndex, PlainToolTip(rRequest.sCaption));
            Tab->Chart->SetRows(std::move(Rows));
        }
    }
    // Told once the wait window has gone, so that it never covers the message's button.
    if (!Tab) {
        Host.ShowMessageBox(GetText(kTxtNoValidSessionData, FLanguage), kMsgError, kMsgBtnOK);
        return nullptr;
    }
    Tab->AddExportButton();
    connect(Tab, &TChartTab::ChartExportPDF, this,
            [this, Tab](int iTag) { Q_EMIT ChartExportPDF(Tab, iTag); });
    Tab->SetSnapshot(rRequest.rSnapshot);
    Tab->SetDataFilter(rRequest.slDataFilter);
    PageCtrl->setCurrentWidget(Tab);
    Tab->setFocus();
    return Tab;
}

TChartTab* TChartTabs::ActiveChartTab() const {
    if (PageCtrl->currentIndex() < kFixedPages)
        return nullptr;
    return qobject_cast<TChartTab*>(PageCtrl->currentWidget());
}

void TChartTabs::CloseActiveTab() {
    TChartTab* Tab = ActiveChartTab();
    if (!Tab)
        return;
    PageCtrl->removeTab(PageCtrl->indexOf(Tab));
    delete Tab;
}

void TChartTabs::UpdateGUIStrings() {
    popTabClose->setText(GetText(kTxtCloseTab, FLanguage));
    for (int i = kFixedPages; i < PageCtrl->count(); ++i)
        if (auto* Tab = qobject_cast<TChartTab*>(PageCtrl->widget(i)))
            Tab->UpdateGUIStrings();
}

bool TChartTabs::eventFilter(QObject* watched, QEvent* event) {
    QTabBar* Bar = PageCtrl->tabBar();
    if (watched != Bar)
        return QObject::eventFilter(watched, event);
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    auto* Mouse = static_cast<QMouseEvent*>(event);
    if (Mouse->button() != Qt::RightButton)
        return QObject::eventFilter(watched, event);
    const int iIndex = Bar->tabAt(Mouse->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        if (iIndex >= 0)
            PageCtrl->setCurrentIndex(iIndex);
    } else if (iIndex >= 0 && iIndex == PageCtrl->currentIndex() && ActiveChartTab()) {
        popTab->popup(Mouse->globalPosition().toPoint());
    }
    return true;
}
