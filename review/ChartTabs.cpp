#include "review/ChartTabs.h"

#include "core/MessageBoxLayout.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

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
    bool bCancelled = false;
    {
        TLongOperation Loading(Host, kTxtLoadingData);
        TLevelData Rows;
        const TProgressPump Pump = Loading.Pump();
        TPlacedGaps Gaps;
        if (rRequest.fnLoadGaps && !rRequest.sSessionId.isEmpty())
            Gaps.aGaps = rRequest.fnLoadGaps(rRequest.sSessionId);
        // A week's rows are searched for the gaps' places with the window painting, like the read.
        const bool bLoaded =
            !rRequest.sSessionId.isEmpty() && rRequest.fnLoadRows &&
            rRequest.fnLoadRows(rRequest.sSessionId, rRequest.rDataFilter.rStatement, Rows, Pump) &&
            PlaceGaps(Rows, Gaps.aGaps, Pump, Gaps.aPlaces);
        if (bLoaded && Rows.RowCount() > 0) {
            ++FTabId;
            Tab = new TChartTab(FTabId, rRequest.rSetup, rChartOptions, FLanguage);
            Tab->sTitle = rRequest.sCaption;
            Tab->sSessionId = rRequest.sSessionId;
            Tab->rDataFilter = rRequest.rDataFilter;
            QStringList slNames;
            for (int i = 0; i < PageCtrl->count(); ++i)
                slNames << PageCtrl->widget(i)->objectName();
            Tab->setObjectName(ChartTabName(PageCtrl->count() + 1, slNames));
            const int iIndex = PageCtrl->addTab(
                Tab, ChartTabCaption(rRequest.sCaption, PageCtrl->tabBar()->fontMetrics(), kMaxCaptionWidth));
            PageCtrl->setTabToolTip(iIndex, PlainToolTip(rRequest.sCaption));
            AddCloseButton(Tab, iIndex);
            Tab->Chart->SetRows(std::move(Rows), std::move(Gaps));
        }
        bCancelled = Loading.Cancelled();
    }
    if (!Tab && bCancelled)
        return nullptr;
    // Told once the wait window has gone, so that it never covers the message's button.
    if (!Tab) {
        Host.ShowMessageBox(GetText(kTxtNoValidSessionData, FLanguage), kMsgError, kMsgBtnOK);
        return nullptr;
    }
    Tab->AddExportButton();
    connect(Tab, &TChartTab::ChartExportPDF, this,
            [this, Tab](int iTag) { Q_EMIT ChartExportPDF(Tab, iTag); });
    connect(Tab, &TChartTab::FilterToRange, this, [this, Tab] { Q_EMIT FilterToRange(Tab); });
    connect(Tab->Chart, &TReviewChart::PointDoubleClicked, this,
            [this, Tab](int iPoint) { Q_EMIT PointDoubleClicked(Tab, iPoint); });
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
    CloseTab(ActiveChartTab());
}

void TChartTabs::CloseTab(TChartTab* Tab) {
    const int iIndex = Tab ? PageCtrl->indexOf(Tab) : -1;
    if (iIndex < kFixedPages)
        return;
    // The tab bar frees the tab's close button with the tab.
    PageCtrl->removeTab(iIndex);
    delete Tab;
}

QTabBar::ButtonPosition TChartTabs::CloseButtonSide() const {
    QTabBar* Bar = PageCtrl->tabBar();
    return QTabBar::ButtonPosition(
        Bar->style()->styleHint(QStyle::SH_TabBar_CloseButtonPosition, nullptr, Bar));
}

void TChartTabs::AddCloseButton(TChartTab* Tab, int iIndex) {
    QTabBar* Bar = PageCtrl->tabBar();
    auto* btnClose = new QToolButton(Bar);
    btnClose->setObjectName(QStringLiteral("btnCloseTab"));
    btnClose->setAutoRaise(true);
    btnClose->setFocusPolicy(Qt::NoFocus);
    btnClose->setIcon(Bar->style()->standardIcon(QStyle::SP_TabCloseButton, nullptr, Bar));
    const QSize Size(Bar->style()->pixelMetric(QStyle::PM_TabCloseIndicatorWidth, nullptr, Bar),
                     Bar->style()->pixelMetric(QStyle::PM_TabCloseIndicatorHeight, nullptr, Bar));
    btnClose->setFixedSize(Size);
    btnClose->setIconSize(Size);
    btnClose->setToolTip(GetText(kTxtCloseTab, FLanguage));
    connect(btnClose, &QToolButton::clicked, this,
            [this, Page = QPointer<TChartTab>(Tab)] { CloseTab(Page); });
    Bar->setTabButton(iIndex, CloseButtonSide(), btnClose);
}

void TChartTabs::UpdateGUIStrings() {
    popTabClose->setText(GetText(kTxtCloseTab, FLanguage));
    for (int i = kFixedPages; i < PageCtrl->count(); ++i) {
        if (auto* Tab = qobject_cast<TChartTab*>(PageCtrl->widget(i)))
            Tab->UpdateGUIStrings();
        if (QWidget* btnClose = PageCtrl->tabBar()->tabButton(i, CloseButtonSide()))
            btnClose->setToolTip(GetText(kTxtCloseTab, FLanguage));
    }
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
