#include "review/LevelDataView.h"

#include "compliance/KeptVerdict.h"
#include "core/Drawing.h"
#include "core/GridLayouts.h"
#include "core/MainView.h"
#include "core/MessageBoxLayout.h"
#include "core/Settings.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "engine/InfoGrid.h"
#include "review/FormGoToTimecode.h"
#include "review/LevelFilter.h"
#include "review/LevelRowOrder.h"
#include "review/LevelTableDelegate.h"
#include "review/LevelTableHeader.h"
#include "store/ComplianceStore.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int kColumnWidth = 100;

// The statistics grid's look of a value cell with a rule of its own; the standard look otherwise.
TCellStyle InfoGridStyle(const std::optional<TTableCellStyle>& rRule) {
    if (!rRule)
        return {};
    return {ColorValueToQColor(rRule->clText), rRule->bBold, ColorValueToQColor(rRule->clBrush),
            ColorValueToQColor(rRule->clPen)};
}

// A failed session's verdict stands out in bold red; its words say the same without the colour.
TCellStyle VerdictStyle(const std::optional<TSessionJudgement>& rJudgement) {
    if (!rJudgement || rJudgement->rVerdict.eKind != TVerdictKind::Fail)
        return {};
    return {QColor(200, 0, 0), true, {}, {}};
}

} // namespace

TLevelDataView::TLevelDataView(const TContext& rContext, ILevelDataHost& rHost, QObject* parent)
    : QObject(parent), Ctx(rContext), Host(rHost) {
    QTableView* sgDBData = Ctx.sgDBData;
    sgDBData->setHorizontalHeader(new TLevelTableHeader(sgDBData));
    sgDBData->setModel(&FTable.Model());
    sgDBData->setItemDelegate(new TLevelTableDelegate(Ctx.Settings.iLNG, Ctx.Settings, sgDBData));
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
    // Sorted by a heading's click; recorded order until then and after each load or change of columns.
    sgDBData->horizontalHeader()->setSectionsClickable(true);
    sgDBData->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    sgDBData->setSortingEnabled(true);
    connect(&FTable.Model(), &QAbstractItemModel::modelReset, sgDBData,
            [sgDBData] { sgDBData->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder); });
    // A gap's separator reads across the row.
    const TLevelTableModel* Model = &FTable.Model();
    connect(Model, &QAbstractItemModel::modelReset, this, &TLevelDataView::SpanSeparators);
    connect(Model, &QAbstractItemModel::layoutChanged, this, &TLevelDataView::SpanSeparators);
    connect(Model, &QAbstractItemModel::rowsInserted, this, &TLevelDataView::SpanSeparators);
    connect(Model, &QAbstractItemModel::rowsRemoved, this, &TLevelDataView::SpanSeparators);
    sgDBData->installEventFilter(this);
    frmGoToTimecode = new TfrmGoToTimecode(sgDBData);

    connect(Ctx.sgDBLoudnessMax, &QTableWidget::cellPressed, this,
            [this](int iRow, int) { sgDBLoudnessMaxMouseDown(iRow); });
    connect(Ctx.sgDBLoudnessMax, &QTableWidget::cellDoubleClicked, this,
            [this] { sgDBLoudnessMaxDblClick(); });
    connect(Ctx.btnFilterData, &QPushButton::clicked, this, &TLevelDataView::btnFilterDataClick);
    connect(Ctx.btnClearDataFilter, &QPushButton::clicked, this, &TLevelDataView::btnClearDataFilterClick);
    connect(Ctx.btnPreviousViolation, &QAbstractButton::clicked, this, [this] { GoToViolation(false); });
    connect(Ctx.btnNextViolation, &QAbstractButton::clicked, this, [this] { GoToViolation(true); });
    EnableViolationButtons();
    Ctx.lblDataFilter->setWordWrap(true);
    ShowDataFilter();
}

int TLevelDataView::Language() const {
    return Ctx.Settings.iLNG;
}

void TLevelDataView::UpdateGUIStrings() {
    FTable.SetLayout(Ctx.Settings.DataOptions, Language(), QLocale().decimalPoint());
    Ctx.sgDBLoudnessMax->SetTitle(GetText(kTxtSessionStatistics, Language()));
    // Room for the widest level with the widest unit, as the statistics write them.
    const QString sLevel = FormatLevel(-100.0, QLocale().decimalPoint()) + QLatin1Char(' ');
    QStringList slReserve{sLevel + GetText(kTxtDBFSSuffix, Language())};
    for (const QString& sUnit : GetNameList(kScaleModeNames))
        slReserve.append(sLevel + sUnit);
    // Bold: a statistic beyond its limit is shown so.
    Ctx.sgDBLoudnessMax->SetValueReserve({}, slReserve);
    WriteStatistics();
    Ctx.sgDBLoudnessMax->FitColumns();
    Ctx.btnClearDataFilter->setText(GetText(kTxtClearDataFilter, Language()));
    Ctx.sgDBData->horizontalHeader()->setToolTip(GetText(kTxtGoToTimecodeHint, Language()));
    frmGoToTimecode->SetLanguage(Language());
    // Arrows, so that the row of buttons keeps to the window's least width; the names say what they do.
    Ctx.btnPreviousViolation->setText(QStringLiteral("\u25C0"));
    Ctx.btnPreviousViolation->setAccessibleName(GetText(kTxtPreviousViolation, Language()));
    Ctx.btnPreviousViolation->setToolTip(GetText(kTxtPreviousViolationHint, Language()));
    Ctx.btnNextViolation->setText(QStringLiteral("\u25B6"));
    Ctx.btnNextViolation->setAccessibleName(GetText(kTxtNextViolation, Language()));
    Ctx.btnNextViolation->setToolTip(GetText(kTxtNextViolationHint, Language()));
    ShowDataFilter();
}

void TLevelDataView::ClearTable() {
    FTable.ClearRows();
    ShowDataFilter();
    EnableViolationButtons();
}

void TLevelDataView::EnableViolationButtons() {
    const bool bAny = FTable.Model().Violations().Count() > 0;
    Ctx.btnPreviousViolation->setEnabled(bAny);
    Ctx.btnNextViolation->setEnabled(bAny);
}

void TLevelDataView::Clear() {
    FTable.Clear();
    sTCHighlight.clear();
    WriteStatistics();
}

bool TLevelDataView::LoadSelectedSession() {
    return LoadDataToGrid({});
}

bool TLevelDataView::LoadDataToGrid(const TDataFilter& rFilter) {
    return LoadRows(rFilter) == TLevelTable::TLoadResult::Rows;
}

TLevelTable::TLoadResult TLevelDataView::LoadRows(const TDataFilter& rFilter) {
    Host.BeginLongOperation(kTxtLoadingData);
    // A session still being recorded cannot be deleted.
    if (Host.ListRowSessionId() != Host.RecordingSessionId())
        Host.EnableSessionDelete();
    QString sError;
    TLevelTable::TLoadResult eResult = TLevelTable::TLoadResult::Failed;
    try {
        eResult = FTable.Load(Ctx.DB, Host.SelectedSessionId(), rFilter, Host.SelectedSessionUnit(),
                              Host.LongOperationPump(), sError);
    } catch (const std::exception& e) {
        sError = QString::fromUtf8(e.what());
    }
    if (eResult == TLevelTable::TLoadResult::Rows) {
        // Judged while the wait window still shows: a week of rows takes a moment.
        JudgeLoadedRows();
    }
    Host.EndLongOperation();
    switch (eResult) {
    case TLevelTable::TLoadResult::Rows:
        WriteStatistics();
        ShowDataFilter();
        Host.SetReviewState(kGUIReviewOn);
        return eResult;
    case TLevelTable::TLoadResult::NoRows:
    case TLevelTable::TLoadResult::Cancelled:
        // Rows loaded before stay usable: charts and exports keep working on them.
        Host.SetReviewState(FTable.RowCount() > 0 ? kGUIReviewOn : kGUIReviewOff);
        return eResult;
    case TLevelTable::TLoadResult::Failed:
        break;
    }
    FTable.ClearRows();
    ShowDataFilter();
    Host.SetReviewState(kGUIReviewOff);
    Host.ShowMessageBox(FormatText(GetText(kTxtExceptionRaised, Language()), {sError, TextTable().Entry(0)}),
                        kMsgError, kMsgBtnOK);
    return eResult;
}

void TLevelDataView::btnFilterDataClick() {
    if (!Host.AskDataFilter(Host.SelectedSessionUnit()))
        return;
    const TFilterOptions& rOptions = Ctx.Settings.rFilterOptions;
    const std::optional<TSQLFilter> rFilter = BuildDataFilter(rOptions);
    // A cancelled load is the user's own choice: nothing to tell.
    const TLevelTable::TLoadResult eResult =
        rFilter ? LoadRows(TDataFilter(*rFilter, rOptions)) : TLevelTable::TLoadResult::NoRows;
    if (eResult != TLevelTable::TLoadResult::Rows && eResult != TLevelTable::TLoadResult::Cancelled)
        Host.ShowMessageBox(GetText(kTxtNoMatchingData, Language()), kMsgWarning, kMsgBtnOK);
    Ctx.sgDBData->setFocus();
    // The filter can be changed after a load that found nothing.
    Ctx.btnFilterData->setEnabled(true);
}

void TLevelDataView::btnClearDataFilterClick() {
    LoadSelectedSession();
    Ctx.sgDBData->setFocus();
}

void TLevelDataView::JudgeLoadedRows() {
    const QString sSession = FTable.SessionId();
    if (sSession.isEmpty())
        return;
    TComplianceStore Store(Ctx.DB);
    TLoudnessStandard rTarget;
    // An unreadable target table judges against the default rather than not at all.
    if (!Store.ReadTargetOf(sSession, Ctx.Settings.rComplianceOptions, rTarget))
        qWarning("The session's own target could not be read: %s", qPrintable(Store.LastError()));
    const TSessionInfo& rSession = Host.SelectedSession();
    FTable.Judge(rSession.rLoudnessSetup, rTarget);
    if (FTable.Filtered() || sSession == Host.RecordingSessionId() || rSession.sReportID != sSession)
        return;
    const TSessionJudgement& rJudgement = *FTable.Judgement();
    // A database opened read-only keeps nothing; the verdict is computed again when shown.
    if (!Store.WriteKeptVerdict(sSession, KeepVerdict(rJudgement.rVerdict, rJudgement.rRange,
                                                      rSession.sTimeCodeEnd, FTable.RowCount()))) {
        qWarning("The session's verdict could not be kept: %s", qPrintable(Store.LastError()));
        return;
    }
    Host.VerdictKept(sSession, rJudgement.rVerdict.eKind);
}

void TLevelDataView::JudgeAgain() {
    if (FTable.RowCount() == 0 || FTable.SessionId().isEmpty())
        return;
    JudgeLoadedRows();
    WriteStatistics();
}

bool TLevelDataView::GoToViolation(bool bForward) {
    const TLevelTableModel& Model = FTable.Model();
    const TViolations& rViolations = Model.Violations();
    if (rViolations.Count() == 0)
        return false;
    const QModelIndex Current = Ctx.sgDBData->currentIndex();
    const int iFrom = Current.isValid() ? Current.row() : (bForward ? -1 : Model.rowCount());
    // The nearest violating view row beyond iFrom, and the one at the far end to start again from.
    int iNext = -1;
    int iAround = -1;
    for (int i = 0; i < rViolations.Count(); ++i) {
        const int iView = Model.ViewRow(rViolations.At(i).iRow);
        const bool bBeyond = bForward ? iView > iFrom : iView < iFrom;
        if (bBeyond && (iNext < 0 || (bForward ? iView < iNext : iView > iNext)))
            iNext = iView;
        if (iAround < 0 || (bForward ? iView < iAround : iView > iAround))
            iAround = iView;
    }
    ShowDataRow(Model.DataRow(iNext >= 0 ? iNext : iAround),
                Current.isValid() ? std::max(Current.column(), 1) : 1, QAbstractItemView::PositionAtCenter);
    return true;
}

void TLevelDataView::ShowDataRow(int iDataRow, int iColumn, int ePosition) {
    const QModelIndex Cell = FTable.Model().index(FTable.Model().ViewRow(iDataRow), iColumn);
    Ctx.sgDBData->setCurrentIndex(Cell);
    Ctx.sgDBData->scrollTo(Cell, QAbstractItemView::ScrollHint(ePosition));
    Ctx.sgDBData->setFocus();
}

void TLevelDataView::AskGoToTimecode() {
    if (FTable.RowCount() == 0)
        return;
    const TLevelTableModel& Model = FTable.Model();
    const QModelIndex Current = Ctx.sgDBData->currentIndex();
    const int iCurrent = Current.isValid() ? Model.DataRow(Current.row()) : -1;
    frmGoToTimecode->SetTimecode(Model.Rows().Timecode(std::max(iCurrent, 0)));
    if (frmGoToTimecode->exec() == QDialog::Accepted)
        GoToTimecode(frmGoToTimecode->Timecode());
}

bool TLevelDataView::GoToTimecode(const QString& sTimecode) {
    const int iRow = FindTimecodeRow(FTable.Model().Rows(), sTimecode);
    if (iRow < 0) {
        Host.ShowMessageBox(FormatText(GetText(kTxtNoRowAtTimecode, Language()), {sTimecode}), kMsgWarning,
                            kMsgBtnOK);
        return false;
    }
    return GoToDataRow(iRow);
}

bool TLevelDataView::GoToDataRow(int iDataRow) {
    if (iDataRow < 0 || iDataRow >= FTable.RowCount())
        return false;
    const QModelIndex Current = Ctx.sgDBData->currentIndex();
    ShowDataRow(iDataRow, Current.isValid() ? std::max(Current.column(), 1) : 1,
                QAbstractItemView::PositionAtCenter);
    return true;
}

void TLevelDataView::SpanSeparators() {
    QTableView* sgDBData = Ctx.sgDBData;
    sgDBData->clearSpans();
    const int iColumns = FTable.Model().columnCount();
    if (iColumns < 2)
        return;
    for (const int iRow : FTable.Model().SeparatorViewRows())
        sgDBData->setSpan(iRow, 0, 1, iColumns);
}

void TLevelDataView::ShowDataFilter() {
    const QStringList slConditions = FTable.DataFilterTexts(Language());
    Ctx.lblDataFilter->setText(GetText(kTxtDataFilterLabel, Language()) + QStringLiteral(" ") +
                               slConditions.join(QStringLiteral("; ")));
    Ctx.lblDataFilter->setVisible(!slConditions.isEmpty());
    Ctx.btnClearDataFilter->setVisible(!slConditions.isEmpty());
}

void TLevelDataView::WriteStatistics() {
    TInfoGrid* Grid = Ctx.sgDBLoudnessMax;
    const std::vector<TStatisticRow>& aRows = FTable.Statistics();
    for (int iRow = 1; iRow < Grid->rowCount(); ++iRow) {
        const size_t i = size_t(iRow - 1);
        const bool bUsed = i < aRows.size();
        const QString sTimecode = bUsed ? aRows[i].sTimecode : QString();
        const QString sValue = bUsed ? aRows[i].sValue : QString();
        QString sHint = bUsed ? aRows[i].sHint : QString();
        if (sHint.isEmpty() && !sTimecode.isEmpty())
            sHint = GetText(kTxtTimeCodeLabel, Language()) + sTimecode;
        Grid->SetCell(iRow, 0, bUsed ? GetText(aRows[i].iLabel, Language()) : QString());
        Grid->SetCell(iRow, 1, sValue);
        Grid->SetCellStyle(
            iRow, 1,
            bUsed && aRows[i].iLabel == kTxtVerdictLabel
                ? VerdictStyle(FTable.Judgement())
                : InfoGridStyle(bUsed ? StatisticValueStyle(aRows[i].iLabel, sValue, false,
                                                            Ctx.Settings.rTableIntColorOptions, QLocale())
                                      : std::nullopt));
        for (int iCol = 0; iCol < 2; ++iCol) {
            if (QTableWidgetItem* Item = Grid->item(iRow, iCol))
                Item->setToolTip(sHint);
        }
    }
    EnableViolationButtons();
}

void TLevelDataView::sgDBLoudnessMaxMouseDown(int iRow) {
    const std::vector<TStatisticRow>& aRows = FTable.Statistics();
    sTCHighlight =
        iRow >= 1 && size_t(iRow - 1) < aRows.size() ? aRows[size_t(iRow - 1)].sTimecode : QString();
}

void TLevelDataView::sgDBLoudnessMaxDblClick() {
    if (sTCHighlight.isEmpty())
        return;
    const TLevelTableModel& Model = FTable.Model();
    const int iColumn = int(Model.Headers().indexOf(GetText(kTxtTimecodeHeading, Language())));
    if (iColumn < 0)
        return;
    // The statistic's row in recorded order, wherever the sort shows it.
    for (int iRow = 0; iRow < Model.Rows().RowCount(); ++iRow) {
        if (Model.Rows().TimecodeView(iRow) != sTCHighlight)
            continue;
        ShowDataRow(iRow, iColumn, QAbstractItemView::PositionAtTop);
        return;
    }
}

void TLevelDataView::sgDBDataMouseEnter() {
    Ctx.sgDBData->setFocus();
    const QModelIndex Current = Ctx.sgDBData->currentIndex();
    if ((!Current.isValid() || Current.column() == 0) && FTable.RowCount() > 0)
        Ctx.sgDBData->setCurrentIndex(FTable.Model().index(0, 1));
}

bool TLevelDataView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Ctx.sgDBData && event->type() == QEvent::Enter)
        sgDBDataMouseEnter();
    return QObject::eventFilter(watched, event);
}
