#include "review/ChartTab.h"

#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TChartTab::TChartTab(int iTag, const TReviewChartSetup& rSetup, TChartOptions& rOptions, const int& iLNG,
                     QWidget* parent)
    : QWidget(parent), Tag(iTag), FLanguage(iLNG) {
    // The chart is the tab's first child: the exports find it there.
    Chart = new TReviewChart(rSetup, rOptions, iLNG, this);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    Layout->setSpacing(kMargin);
    Layout->addWidget(Chart);
    SGData = new QTableWidget(kChartSnapshotRows, 2, this);
    SGData->hide();
}

void TChartTab::AddExportButton() {
    if (btnChartExport)
        return;
    btnChartExport = new QPushButton(this);
    btnChartExport->setProperty("Tag", Tag);
    btnChartExport->setFixedSize(kExportButtonWidth, kExportButtonHeight);
    // A row of its own above the chart, at the right.
    auto* Row = new QHBoxLayout;
    Row->addStretch();
    Row->addWidget(btnChartExport);
    static_cast<QVBoxLayout*>(layout())->insertLayout(0, Row);
    popExportChart = new QMenu(this);
    SetOwnerDrawnMenu(popExportChart, kChartExportPopupExtraWidth);
    popExportToPDF = popExportChart->addAction(QString());
    popExportToPDF->setData(0);
    popExportToPDFFullPage = popExportChart->addAction(QString());
    popExportToPDFFullPage->setData(1);
    for (QAction* Item : {popExportToPDF, popExportToPDFFullPage})
        connect(Item, &QAction::triggered, this,
                [this, Item] { Q_EMIT ChartExportPDF(Item->data().toInt()); });
    popCopyChartClipBrd = popExportChart->addAction(QString(), this, &TChartTab::CopyChartToClipboard);
    connect(btnChartExport, &QPushButton::clicked, this, &TChartTab::ChartExportPDFMenu);
    btnChartExport->show();
    UpdateGUIStrings();
}

void TChartTab::SetSnapshot(const TChartSnapshot& rSnapshot) {
    for (int iRow = 0; iRow < kChartSnapshotRows; ++iRow) {
        const TSnapshotRow r = iRow < int(rSnapshot.size()) ? rSnapshot[size_t(iRow)] : TSnapshotRow();
        SGData->setItem(iRow, 0, new QTableWidgetItem(r.sLabel));
        SGData->setItem(iRow, 1, new QTableWidgetItem(r.sValue));
    }
}

TSnapshotRow TChartTab::SnapshotRow(int iRow) const {
    if (iRow < 0 || iRow >= SGData->rowCount())
        return {};
    const auto Text = [this, iRow](int iCol) {
        const QTableWidgetItem* Item = SGData->item(iRow, iCol);
        return Item ? Item->text() : QString();
    };
    return {Text(0), Text(1)};
}

TChartSnapshot TChartTab::Snapshot() const {
    TChartSnapshot a;
    for (int iRow = 0; iRow < SGData->rowCount(); ++iRow)
        a.push_back(SnapshotRow(iRow));
    return a;
}

void TChartTab::UpdateGUIStrings() {
    if (!btnChartExport)
        return;
    btnChartExport->setText(GetText(kTxtExport, FLanguage));
    popExportToPDF->setText(GetText(kTxtExportToPDF, FLanguage));
    popExportToPDFFullPage->setText(GetText(kTxtExportToPDFFullPage, FLanguage));
    popCopyChartClipBrd->setText(GetText(kTxtCopyChartClipBrd, FLanguage));
}

void TChartTab::ChartExportPDFMenu() {
    // Just below the button, right-aligned with it.
    const QSize MenuSize = popExportChart->sizeHint();
    const QPoint At(btnChartExport->width() - MenuSize.width(), btnChartExport->height());
    popExportChart->popup(btnChartExport->mapToGlobal(At));
}

void TChartTab::CopyChartToClipboard() {
    QGuiApplication::clipboard()->setImage(Chart->ChartPicture());
}
