#include "review/LevelDataView.h"

#include "app/Drawing.h"
#include "app/GridLayouts.h"
#include "app/MainView.h"
#include "app/MessageBox.h"
#include "app/Settings.h"
#include "app/TextFormat.h"
#include "app/TextTable.h"
#include "dialogs/FormWait.h"
#include "review/FormFilter.h"
#include "review/LevelFilter.h"
#include "review/LevelTableDelegate.h"
#include "review/LoadingState.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

namespace {

// The statistics grid: the title row and up to nine statistics; the third column holds each value's
// timecode, shown only as a hint.
constexpr int kStatisticsRows = kDataGridLastRow + 1;
constexpr int kTimecodeColumn = 2;
constexpr int kColumnWidth = 100;

QTableWidgetItem* CellOf(QTableWidget* Grid, int iRow, int iCol) {
    QTableWidgetItem* Item = Grid->item(iRow, iCol);
    if (Item == nullptr) {
        Item = new QTableWidgetItem;
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        Grid->setItem(iRow, iCol, Item);
    }
    return Item;
}

} // namespace

TLevelDataView::TLevelDataView(const TContext& rContext, ILevelDataHost& rHost, QWidget* pParent)
    : QObject(pParent), Ctx(rContext), Host(rHost) {
    sgDBData = new QTableView(pParent);
    sgDBData->setObjectName("sgDBData");
    sgDBData->setModel(&FTable.Model());
    sgDBData->setItemDelegate(new TLevelTableDelegate(Ctx.iLNG, Ctx.Settings, false, sgDBData));
    sgDBData->setSelectionMode(QAbstractItemView::SingleSelection);
    sgDBData->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgDBData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgDBData->setShowGrid(false);
    sgDBData->verticalHeader()->hide();
    // Fixed row heights: a view of 86,400 rows never measures them.
    sgDBData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgDBData->verticalHeader()->setDefaultSectionSize(sgDBData->fontMetrics().height() + 8);
    sgDBData->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sgDBData->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    sgDBData->horizontalHeader()->setHighlightSections(false);
    const QString sHeaderFill = ColorValueToQColor(Tint(clGray, 0.9)).name();
    const QString sHeaderPen = ColorValueToQColor(Tint(clGray, 0.5)).name();
    sgDBData->setStyleSheet(
        QStringLiteral("QTableView { background: white; } QHeaderView::section { background: "
                       "%1; border: 1px solid %2; padding: 2px; }")
            .arg(sHeaderFill, sHeaderPen));
    sgDBData->installEventFilter(this);

    sgDBLoudnessMax = new QTableWidget(kStatisticsRows, 3, pParent);
    sgDBLoudnessMax->setObjectName("sgDBLoudnessMax");
    sgDBLoudnessMax->setItemDelegate(new TLevelTableDelegate(Ctx.iLNG, Ctx.Settings, true, sgDBLoudnessMax));
    sgDBLoudnessMax->horizontalHeader()->hide();
    sgDBLoudnessMax->verticalHeader()->hide();
    sgDBLoudnessMax->setShowGrid(false);
    sgDBLoudnessMax->setSelectionMode(QAbstractItemView::SingleSelection);
    sgDBLoudnessMax->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgDBLoudnessMax->setColumnHidden(kTimecodeColumn, true);
    sgDBLoudnessMax->horizontalHeader()->setStretchLastSection(false);
    sgDBLoudnessMax->setColumnWidth(0, 130);
    sgDBLoudnessMax->setColumnWidth(1, 130);
    sgDBLoudnessMax->setSpan(0, 0, 1, 2);
    connect(sgDBLoudnessMax, &QTableWidget::cellPressed, this,
            [this](int iRow, int) { sgDBLoudnessMaxMouseDown(iRow); });
    connect(sgDBLoudnessMax, &QTableWidget::cellDoubleClicked, this, [this] { sgDBLoudnessMaxDblClick(); });

    if (Ctx.btnFilterData)
        connect(Ctx.btnFilterData, &QPushButton::clicked, this, &TLevelDataView::btnFilterDataClick);
}

void TLevelDataView::UpdateGUIStrings() {
    FTable.SetLayout(Ctx.Settings.DataOptions, Ctx.iLNG, QLocale().decimalPoint());
    CellOf(sgDBLoudnessMax, 0, 0)->setText(GetText(kTxtSessionStatistics, Ctx.iLNG));
    WriteStatistics();
}

void TLevelDataView::ClearTable() {
    FTable.ClearRows();
}

bool TLevelDataView::LoadSelectedSession() {
    return LoadDataToGrid({});
}

bool TLevelDataView::LoadDataToGrid(const TDataFilter& rFilter) {
    TLoadingState Loading(Ctx.MainWindow, Ctx.frmWait);
    // A session still being recorded cannot be deleted.
    if (Host.ListRowSessionId() != Host.RecordingSessionId())
        Host.EnableSessionDelete();
    QString sError;
    TLevelTable::TLoadResult eResult = TLevelTable::TLoadResult::Failed;
    try {
        eResult = FTable.Load(
            Ctx.DB, Host.SelectedSessionId(), rFilter, Host.SelectedSessionUnit(),
            [] { QCoreApplication::processEvents(); }, sError);
    } catch (const std::exception& e) {
        sError = QString::fromUtf8(e.what());
    }
    switch (eResult) {
    case TLevelTable::TLoadResult::Rows:
        WriteStatistics();
        Host.SetReviewState(kGUIReviewOn);
        return true;
    case TLevelTable::TLoadResult::NoRows:
        Host.SetReviewState(kGUIReviewOff);
        return false;
    case TLevelTable::TLoadResult::Failed:
        break;
    }
    FTable.ClearRows();
    Host.SetReviewState(kGUIReviewOff);
    Ctx.MessageBox.ShowMessageBox(
        FormatText(GetText(kTxtExceptionRaised, Ctx.iLNG), {sError, TextTable().Entry(0)}), kMsgError,
        kMsgBtnOK);
    return false;
}

void TLevelDataView::btnFilterDataClick() {
    if (Ctx.frmFilter == nullptr)
        return;
    Ctx.frmFilter->SetLoudnessUnit(Host.SelectedSessionUnit());
    if (!Ctx.frmFilter->Execute())
        return;
    const std::optional<TDataFilter> rFilter = BuildDataFilter(Ctx.Settings.rFilterOptions);
    if (!rFilter || !LoadDataToGrid(*rFilter)) {
        Ctx.MessageBox.ShowMessageBox(GetText(kTxtNoMatchingData, Ctx.iLNG), kMsgWarning, kMsgBtnOK);
    }
    sgDBData->setFocus();
    // The filter can be changed after a load that found nothing.
    if (Ctx.btnFilterData)
        Ctx.btnFilterData->setEnabled(true);
}

void TLevelDataView::WriteStatistics() {
    const std::vector<TStatisticRow>& aRows = FTable.Statistics();
    for (int iRow = 1; iRow < kStatisticsRows; ++iRow) {
        const size_t i = size_t(iRow - 1);
        const bool bUsed = i < aRows.size();
        const QString sTimecode = bUsed ? aRows[i].sTimecode : QString();
        const QString sHint = sTimecode.isEmpty()
                                  ? QString()
                                  : GetText(kTxtTimeCodeLabel, Ctx.iLNG) + QStringLiteral(" ") + sTimecode;
        QTableWidgetItem* Label = CellOf(sgDBLoudnessMax, iRow, 0);
        Label->setText(bUsed ? GetText(aRows[i].iLabel, Ctx.iLNG) : QString());
        Label->setData(Qt::UserRole, bUsed ? aRows[i].iLabel : 0);
        Label->setToolTip(sHint);
        QTableWidgetItem* Value = CellOf(sgDBLoudnessMax, iRow, 1);
        Value->setText(bUsed ? aRows[i].sValue : QString());
        Value->setToolTip(sHint);
        CellOf(sgDBLoudnessMax, iRow, kTimecodeColumn)->setText(sTimecode);
    }
}

void TLevelDataView::sgDBLoudnessMaxMouseDown(int iRow) {
    const QTableWidgetItem* Item = sgDBLoudnessMax->item(iRow, kTimecodeColumn);
    sTCHighlight = Item ? Item->text() : QString();
}

void TLevelDataView::sgDBLoudnessMaxDblClick() {
    if (sTCHighlight.isEmpty())
        return;
    const TLevelTableModel& Model = FTable.Model();
    const int iColumn = int(Model.Headers().indexOf(GetText(kTxtTimecodeHeading, Ctx.iLNG)));
    if (iColumn < 0)
        return;
    for (int iRow = 0; iRow < Model.rowCount(); ++iRow) {
        if (Model.Rows().Timecode(iRow) != sTCHighlight)
            continue;
        const QModelIndex Cell = Model.index(iRow, iColumn);
        sgDBData->setCurrentIndex(Cell);
        sgDBData->scrollTo(Cell, QAbstractItemView::PositionAtTop);
        sgDBData->setFocus();
        return;
    }
}

void TLevelDataView::sgDBDataMouseEnter() {
    sgDBData->setFocus();
    const QModelIndex Current = sgDBData->currentIndex();
    if ((!Current.isValid() || Current.column() == 0) && FTable.RowCount() > 0)
        sgDBData->setCurrentIndex(FTable.Model().index(0, 1));
}

bool TLevelDataView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgDBData && event->type() == QEvent::Enter)
        sgDBDataMouseEnter();
    return QObject::eventFilter(watched, event);
}
