#include "review/ChartTab.h"

#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>
#include <vector>

namespace {

constexpr int kTitlePointSize = 12;

// While it lives, the chart carries sTitle in a row of its own above the plot; once it is gone the chart's
// layout and axes are as they were. The axes are kept because an automatic level axis keeps its ends a
// number of pixels inside the plot, and a picture lays the plot out at its own height.
class TPictureTitle {
public:
    TPictureTitle(QCustomPlot& rChart, const QString& sTitle) : Chart(rChart) {
        for (QCPAxis* Axis : Chart.axisRect()->axes())
            aRanges.push_back({Axis, Axis->range()});
        if (sTitle.trimmed().isEmpty())
            return;
        QFont Font = Chart.font();
        Font.setPointSize(kTitlePointSize);
        Font.setBold(true);
        // One line, however the title was typed.
        const QString sLine = sTitle.simplified();
        Chart.plotLayout()->insertRow(0);
        Chart.plotLayout()->setRowStretchFactor(0, 0.001);
        Title = new QCPTextElement(&Chart, sLine, Font);
        Title->setTextColor(Qt::black);
        Chart.plotLayout()->addElement(0, 0, Title);
    }
    ~TPictureTitle() {
        if (Title) {
            Chart.plotLayout()->remove(Title);
            Chart.plotLayout()->simplify();
        }
        for (const auto& [Axis, Range] : aRanges)
            Axis->setRange(Range);
    }
    TPictureTitle(const TPictureTitle&) = delete;
    TPictureTitle& operator=(const TPictureTitle&) = delete;

private:
    QCustomPlot& Chart;
    QCPTextElement* Title = nullptr;
    std::vector<std::pair<QCPAxis*, QCPRange>> aRanges;
};

} // namespace

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
    btnFilterToRange = new QPushButton(this);
    btnFilterToRange->setObjectName(QStringLiteral("btnFilterToRange"));
    btnFilterToRange->setFixedHeight(kExportButtonHeight);
    connect(btnFilterToRange, &QPushButton::clicked, this, &TChartTab::FilterToRange);
    // A row of its own above the chart, at the right.
    auto* Row = new QHBoxLayout;
    Row->setSpacing(kMargin);
    Row->addStretch();
    Row->addWidget(btnFilterToRange);
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
    btnFilterToRange->setText(GetText(kTxtFilterToRange, FLanguage));
    btnFilterToRange->setToolTip(GetText(kTxtFilterToRangeHint, FLanguage));
}

void TChartTab::ChartExportPDFMenu() {
    // Just below the button, right-aligned with it.
    const QSize MenuSize = popExportChart->sizeHint();
    const QPoint At(btnChartExport->width() - MenuSize.width(), btnChartExport->height());
    popExportChart->popup(btnChartExport->mapToGlobal(At));
}

void TChartTab::CopyChartToClipboard() {
    QGuiApplication::clipboard()->setImage(ChartPicture());
}

QImage TChartTab::ChartPicture() {
    const TPictureTitle Title(*Chart, sTitle);
    return Chart->ChartPicture();
}

QImage TChartTab::PDFPicture(const QSize& Size) {
    const TPictureTitle Title(*Chart, sTitle);
    return Chart->PDFPicture(Size);
}

QString TChartTab::ShownRangeText() const {
    const TChartTimeAxis& Axis = Chart->TimeAxis();
    if (Chart->PointCount() == 0 || Axis.IsWhole())
        return {};
    return FormatText(GetText(kTxtChartShownRange, FLanguage),
                      {sTitle.simplified(), Chart->PointLabel(Axis.FirstVisibleRow()),
                       Chart->PointLabel(Axis.LastVisibleRow())});
}

QStringList TChartTab::GapsShownTexts() const {
    QStringList sl;
    for (const TSessionGap& r : Chart->GapsShown())
        sl << GapShortText(r);
    return sl;
}
