#include "review/DatabaseView.h"

#include "core/AppServices.h"

#include "core/Drawing.h"
#include "core/GridLayouts.h"
#include "core/MainView.h"
#include "core/Settings.h"
#include "core/TextTable.h"
#include "dialogs/OwnerDrawnMenu.h"
#include "engine/InfoGrid.h"
#include "review/VerdictMarkGlyph.h"
#include "store/dbSQLite.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// Rows of the information grids.
constexpr int kSessionInfoRows = 10;
constexpr int kSessionInfoNotesRow = 9;
// The rows of the description a chart's snapshot keeps: title to end timecode.
constexpr int kSessionInfoDescriptionRows = 7;
constexpr int kLoudnessConfigRows = 12;
constexpr int kInstrumentRow = 1;
// The scale mode, whose name is the unit of the session's loudness values.
constexpr int kScaleModeRow = 4;
// The title, up to eight statistics the options choose, the loudness range and the verdict.
constexpr int kLoudnessMaxRows = 11;

// The list's texts: the title at size 8, the date beside it at size 6 in bold.
constexpr int kListFontSize = 8;
constexpr int kListDateFontSize = 6;
constexpr int kListRowHeight = 20;
// Wide enough for the verdict mark, a cut title and the date beside it.
constexpr int kListMinimumWidth = 276;

const QColor clListSilver = ColorValueToQColor(clSilver);
const QColor clListGrey = ColorValueToQColor(clGray);
const QColor clListNavy = ColorValueToQColor(clNavy);
const QColor clListLime = ColorValueToQColor(clLime);

QFont ListFont(const QFont& Base, int iPointSize, bool bBold) {
    QFont Font = Base;
    Font.setPointSize(iPointSize);
    Font.setBold(bBold);
    return Font;
}

// Draws text at the place AllignText gives inside rCell.
void DrawPlacedText(QPainter& p, const QFont& Font, int iHAllign, const QString& sText, const QRect& rCell) {
    p.setFont(Font);
    const QFontMetrics Metrics(Font);
    const QPoint Pos = AllignText(Metrics, iHAllign, sText, rCell, kAllignCentre);
    p.drawText(Pos.x(), Pos.y() + Metrics.ascent(), sText);
}

// Draws the session list's cells: white cells framed in silver, the focused selection in a navy tint,
// the session being recorded in a lime tint, and the date at the right of each title.
class TSessionListDelegate : public QStyledItemDelegate {
public:
    TSessionListDelegate(const QString& sCurrentSession, QObject* parent)
        : QStyledItemDelegate(parent), sCurrentSession(sCurrentSession) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
        const QString sReportId = index.siblingAtColumn(TSessionListModel::kColReportId).data().toString();
        const bool bCurrent = !sCurrentSession.isEmpty() && sReportId == sCurrentSession;
        const bool bSelectedFocused =
            opt.state.testFlag(QStyle::State_Selected) && opt.state.testFlag(QStyle::State_HasFocus);
        QColor clBrush = Qt::white;
        QColor clPen = clListSilver;
        if (bSelectedFocused && bCurrent) {
            clBrush = TintOf(clListLime, 0.9);
            clPen = TintOf(clListNavy, 0.5);
        } else if (bSelectedFocused) {
            clBrush = TintOf(clListNavy, 0.9);
            clPen = TintOf(clListNavy, 0.5);
        } else if (bCurrent) {
            clBrush = TintOf(clListLime, 0.9);
            clPen = TintOf(clListLime, 0.5);
        }
        p->save();
        p->fillRect(opt.rect, Qt::white);
        const QRect rCell = opt.rect.adjusted(1, 1, -1, -1);
        p->fillRect(rCell, clBrush);
        p->setPen(clPen);
        p->drawRect(rCell.adjusted(0, 0, -1, -1));
        p->setPen(Qt::black);
        QRect rText = rCell;
        if (index.column() == TSessionListModel::kColDisplayTitle) {
            const auto eMark = static_cast<TVerdictMark>(index.data(TSessionListModel::kMarkRole).toInt());
            const QRect rMark(rCell.left() + 1, rCell.center().y() - TSessionListModel::kMarkSize / 2,
                              TSessionListModel::kMarkSize, TSessionListModel::kMarkSize);
            PaintVerdictMark(*p, rMark, eMark);
            rText.setLeft(rCell.left() + TSessionListModel::kMarkRoom);
        }
        DrawPlacedText(*p, ListFont(opt.font, kListFontSize, false), kAllignLeft, index.data().toString(),
                       rText);
        if (index.column() == TSessionListModel::kColDisplayTitle) {
            const QString sDate = index.siblingAtColumn(TSessionListModel::kColDateTime).data().toString();
            DrawPlacedText(*p, ListFont(opt.font, kListDateFontSize, true), kAllignRight, sDate, rCell);
        }
        p->restore();
    }

private:
    const QString& sCurrentSession;
};

// The list's title row: a grey-tinted bar with the title centred.
class TSessionListHeader : public QHeaderView {
public:
    explicit TSessionListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* p, const QRect& rect, int iSection) const override {
        p->save();
        p->fillRect(rect, Qt::white);
        const QRect rCell = rect.adjusted(1, 1, -1, -1);
        p->fillRect(rCell, TintOf(clListGrey, 0.9));
        p->setPen(TintOf(clListGrey, 0.5));
        p->drawRect(rCell.adjusted(0, 0, -1, -1));
        p->setPen(Qt::black);
        const QString sTitle = model() ? model()->headerData(iSection, orientation()).toString() : QString();
        DrawPlacedText(*p, ListFont(font(), kListFontSize, false), kAllignCentre, sTitle, rCell);
        p->restore();
    }
};

// Shows a hint at the mouse in the fixed-pitch font that lines up its padded labels, when it changed.
void ShowHint(QWidget* pWidget, QString& sShown, const QString& sHint, const QPoint& GlobalPos) {
    if (sHint == sShown)
        return;
    sShown = sHint;
    if (sHint.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    const QString sHtml =
        QStringLiteral("<pre style=\"font-family:'DejaVu Sans Mono','Lucida Console',monospace;"
                       "font-size:10pt;margin:0\">") +
        sHint.toHtmlEscaped() + QStringLiteral("</pre>");
    QToolTip::showText(GlobalPos, sHtml, pWidget);
}

} // namespace

TDatabaseView::TDatabaseView(const TDatabaseViewContext& rContext, IAppServices& rServices,
                             IDatabaseViewHost& rHost, QWidget* parent)
    : QWidget(parent), Context(rContext), Services(rServices), Host(rHost),
      FBrowser(rContext.rDB, rContext.rSelectedSessionInfo, rContext.sCurrentSession,
               rServices.Settings().iLNG, [this](const QString& sText, int iKind, int iButtons) {
                   return Services.ShowMessageBox(sText, iKind, iButtons);
               }) {
    FBrowser.UseComplianceOptions(rServices.Settings().rComplianceOptions);
    CreateControls();
}

QString TDatabaseView::T(int iEntry) const {
    return GetText(iEntry, Language());
}

int TDatabaseView::Language() const {
    return Services.Settings().iLNG;
}

void TDatabaseView::CreateControls() {
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(8, 8, 8, 8);
    Layout->setSpacing(8);

    auto* Left = new QVBoxLayout;
    // One above the other: side by side their captions would widen the list beyond what it needs.
    auto* SessionButtons = new QVBoxLayout;
    btnRefreshSessions = new QPushButton(this);
    btnSortSessions = new QPushButton(this);
    SessionButtons->addWidget(btnRefreshSessions);
    SessionButtons->addWidget(btnSortSessions);
    Left->addLayout(SessionButtons);

    sgSessions = new QTableView(this);
    sgSessions->setObjectName(QStringLiteral("sgSessions"));
    sgSessions->setModel(&FBrowser.Sessions());
    sgSessions->setHorizontalHeader(new TSessionListHeader(sgSessions));
    sgSessions->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgSessions->horizontalHeader()->setSectionResizeMode(TSessionListModel::kColDisplayTitle,
                                                         QHeaderView::Stretch);
    sgSessions->horizontalHeader()->setFixedHeight(kListRowHeight);
    sgSessions->verticalHeader()->hide();
    sgSessions->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgSessions->verticalHeader()->setDefaultSectionSize(kListRowHeight);
    sgSessions->setShowGrid(false);
    sgSessions->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgSessions->setSelectionMode(QAbstractItemView::SingleSelection);
    sgSessions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSessions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgSessions->setItemDelegate(new TSessionListDelegate(Context.sCurrentSession, sgSessions));
    // Only the display title shows; the other columns carry data for whoever needs it.
    for (int iCol = TSessionListModel::kColDateTime; iCol < TSessionListModel::kColumnCount; ++iCol)
        sgSessions->setColumnHidden(iCol, true);
    sgSessions->setMinimumWidth(kListMinimumWidth);
    sgSessions->setContextMenuPolicy(Qt::CustomContextMenu);
    sgSessions->setMouseTracking(true);
    sgSessions->installEventFilter(this);
    sgSessions->viewport()->installEventFilter(this);
    Left->addWidget(sgSessions, 1);
    // The statistics stand under the list, so that at the window's least width the two grids on the
    // right keep room for their values and the level table keeps the whole width beside the list.
    sgDBLoudnessMax = new TInfoGrid(kLoudnessMaxRows, this);
    sgDBLoudnessMax->setObjectName(QStringLiteral("sgDBLoudnessMax"));
    Left->addWidget(sgDBLoudnessMax);
    Layout->addLayout(Left, 1);

    popSessions = new QMenu(this);
    popSessionRefresh = popSessions->addAction(QString(), this, &TDatabaseView::popSessionRefreshClick);
    popSessionFilter = popSessions->addAction(QString(), this, &TDatabaseView::btnSortSessionsClick);
    popSessionInfoEdit = popSessions->addAction(QString(), this, &TDatabaseView::popSessionInfoEditClick);
    popSessionDelete = popSessions->addAction(QString(), this, &TDatabaseView::popSessionDeleteClick);
    popSessionDelete->setEnabled(false);
    SetOwnerDrawnMenu(popSessions);
    actRefreshSessions = new QAction(this);
    actRefreshSessions->setShortcut(QKeySequence(Qt::Key_F5));
    // Whenever the tab is on show, wherever the focus is in the window.
    actRefreshSessions->setShortcutContext(Qt::WindowShortcut);
    connect(actRefreshSessions, &QAction::triggered, this, &TDatabaseView::RefreshSessionList);
    addAction(actRefreshSessions);
    tmrRefreshSessions = new QTimer(this);
    tmrRefreshSessions->setSingleShot(true);
    tmrRefreshSessions->setInterval(0);
    connect(tmrRefreshSessions, &QTimer::timeout, this, &TDatabaseView::RefreshSessionList);

    auto* Right = new QVBoxLayout;
    auto* Grids = new QHBoxLayout;
    sgDBSessionInfo = new TInfoGrid(kSessionInfoRows, this);
    sgDBLoudnessConfig = new TInfoGrid(kLoudnessConfigRows, this);
    sgDBSessionInfo->setObjectName(QStringLiteral("sgDBSessionInfo"));
    sgDBLoudnessConfig->setObjectName(QStringLiteral("sgDBLoudnessConfig"));
    // The session information is as tall as the configuration beside it; its notes row takes the rest.
    sgDBSessionInfo->setFixedHeight(sgDBLoudnessConfig->sizeHint().height());
    sgDBSessionInfo->SetCellAlignment(kSessionInfoNotesRow, 1, Qt::AlignTop);
    sgDBSessionInfo->installEventFilter(this);
    // A selected session's texts and names ask for their room; the two grids move only when one is chosen.
    for (TInfoGrid* Grid : {sgDBSessionInfo, sgDBLoudnessConfig})
        Grid->SetFitToValues(true);
    sgDBLoudnessConfig->setMouseTracking(true);
    sgDBLoudnessConfig->viewport()->installEventFilter(this);
    // No stretch factors: each grid gets the width it asks for, and what is left is shared equally.
    for (TInfoGrid* Grid : {sgDBSessionInfo, sgDBLoudnessConfig})
        Grids->addWidget(Grid, 0, Qt::AlignTop);
    Right->addLayout(Grids);

    auto* DataButtons = new QHBoxLayout;
    btnFilterData = new QPushButton(this);
    btnChart = new QPushButton(this);
    btnExport = new QPushButton(this);
    DataButtons->addWidget(btnFilterData);
    DataButtons->addWidget(btnChart);
    DataButtons->addWidget(btnExport);
    btnPreviousViolation = new QToolButton(this);
    btnPreviousViolation->setObjectName(QStringLiteral("btnPreviousViolation"));
    btnNextViolation = new QToolButton(this);
    btnNextViolation->setObjectName(QStringLiteral("btnNextViolation"));
    DataButtons->addWidget(btnPreviousViolation);
    DataButtons->addWidget(btnNextViolation);
    // Nothing is loaded yet.
    for (QPushButton* b : {btnFilterData, btnChart, btnExport})
        b->setEnabled(false);
    DataButtons->addStretch(1);
    Right->addLayout(DataButtons);
    auto* FilterLine = new QHBoxLayout;
    lblDataFilter = new QLabel(this);
    lblDataFilter->setObjectName(QStringLiteral("lblDataFilter"));
    btnClearDataFilter = new QPushButton(this);
    btnClearDataFilter->setObjectName(QStringLiteral("btnClearDataFilter"));
    FilterLine->addWidget(lblDataFilter, 1);
    FilterLine->addWidget(btnClearDataFilter);
    Right->addLayout(FilterLine);
    sgDBData = new QTableView(this);
    sgDBData->setObjectName(QStringLiteral("sgDBData"));
    Right->addWidget(sgDBData, 1);
    FLevelData =
        new TLevelDataView({Context.rDB, Services.Settings(), sgDBData, sgDBLoudnessMax, btnFilterData,
                            lblDataFilter, btnClearDataFilter, btnPreviousViolation, btnNextViolation},
                           *this, this);
    Layout->addLayout(Right, 3);
    // Whenever the tab is on show, as F5.
    actNextViolation = new QAction(this);
    actNextViolation->setShortcut(QKeySequence(Qt::Key_F3));
    actPreviousViolation = new QAction(this);
    actPreviousViolation->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    for (QAction* a : {actNextViolation, actPreviousViolation}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    connect(actNextViolation, &QAction::triggered, this, [this] { FLevelData->GoToViolation(true); });
    connect(actPreviousViolation, &QAction::triggered, this, [this] { FLevelData->GoToViolation(false); });
    actGoToTimecode = new QAction(this);
    actGoToTimecode->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    actGoToTimecode->setShortcutContext(Qt::WindowShortcut);
    addAction(actGoToTimecode);
    connect(actGoToTimecode, &QAction::triggered, this, [this] { FLevelData->AskGoToTimecode(); });

    connect(btnRefreshSessions, &QPushButton::clicked, this, &TDatabaseView::btnRefreshSessionsClick);
    connect(btnSortSessions, &QPushButton::clicked, this, &TDatabaseView::btnSortSessionsClick);
    connect(sgSessions->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current) {
                if (Current.isValid() && !bRestoringSelection)
                    sgSessionsSelectCell(Current.row());
            });
    connect(sgSessions, &QAbstractItemView::doubleClicked, this, &TDatabaseView::sgSessionsDblClick);
    connect(sgSessions, &QWidget::customContextMenuRequested, this, [this](const QPoint& Pos) {
        popSessionsPopup();
        popSessions->popup(sgSessions->viewport()->mapToGlobal(Pos));
    });
}

bool TDatabaseView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgSessions && event->type() == QEvent::Enter) {
        sgSessions->setFocus(Qt::MouseFocusReason);
    } else if (watched == sgSessions->viewport() && event->type() == QEvent::MouseMove) {
        const auto* Mouse = static_cast<QMouseEvent*>(event);
        UpdateSessionListHint(Mouse->position().toPoint(), Mouse->globalPosition().toPoint());
    } else if (watched == sgSessions->viewport() && event->type() == QEvent::Leave) {
        UpdateSessionListHint(QPoint(-1, -1), QPoint());
    } else if (watched == sgDBLoudnessConfig->viewport() && event->type() == QEvent::MouseMove) {
        const auto* Mouse = static_cast<QMouseEvent*>(event);
        UpdateLoudnessConfigHint(Mouse->position().toPoint(), Mouse->globalPosition().toPoint());
    } else if (watched == sgDBLoudnessConfig->viewport() && event->type() == QEvent::Leave) {
        UpdateLoudnessConfigHint(QPoint(-1, -1), QPoint());
    } else if (watched == sgDBSessionInfo && event->type() == QEvent::Resize) {
        FitSessionInfoNotesRow();
    }
    return QWidget::eventFilter(watched, event);
}

void TDatabaseView::UpdateSessionListHint(const QPoint& Pos, const QPoint& GlobalPos) {
    const QModelIndex Index = sgSessions->indexAt(Pos);
    const QString sHint = Index.isValid() ? FBrowser.SessionHint(Index.row()) : QString();
    ShowHint(sgSessions->viewport(), sSessionListHint, sHint, GlobalPos);
}

void TDatabaseView::UpdateLoudnessConfigHint(const QPoint& Pos, const QPoint& GlobalPos) {
    const QModelIndex Index = sgDBLoudnessConfig->indexAt(Pos);
    QString sHint;
    if (Index.isValid() && Index.row() == kInstrumentRow)
        sHint = InstrumentHint(sgDBLoudnessConfig->Cell(kInstrumentRow, 1), Language());
    ShowHint(sgDBLoudnessConfig->viewport(), sLoudnessConfigHint, sHint, GlobalPos);
}

void TDatabaseView::FitSessionInfoNotesRow() {
    const int iHeight = sgDBSessionInfo->height() - kSessionInfoNotesRow * sgDBSessionInfo->rowHeight(0) - 4;
    sgDBSessionInfo->setRowHeight(kSessionInfoNotesRow, std::max(sgDBSessionInfo->rowHeight(0), iHeight));
}

void TDatabaseView::DatabaseOpened() {
    // The rows and statistics read from the file before would stand beside this file's sessions.
    FLevelData->Clear();
    Services.SetMainGUI(kGUIReviewOff);
    popSessionDelete->setEnabled(false);
    const int iRow = FBrowser.RefreshKeepingSelection();
    if (iRow >= 0) {
        // Selected afresh: its level rows are loaded again from this file when the user asks.
        SelectRow(iRow);
        return;
    }
    sgSessions->clearSelection();
    ClearSessionGrids();
}

void TDatabaseView::RefreshSessionList() {
    tmrRefreshSessions->stop();
    if (!Context.rDB.Connected() && Context.rDB.DatabaseFileName().isEmpty())
        return;
    const bool bHadSelection = !FBrowser.SelectedSession().isEmpty();
    const int iRow = FBrowser.RefreshKeepingSelection();
    if (iRow < 0) {
        if (bHadSelection) {
            ClearSessionGrids();
            FLevelData->Clear();
            Services.SetMainGUI(kGUIReviewOff);
        }
        popSessionDelete->setEnabled(FBrowser.DeleteEnabled());
        return;
    }
    bRestoringSelection = true;
    sgSessions->setCurrentIndex(FBrowser.Sessions().index(iRow, TSessionListModel::kColDisplayTitle));
    bRestoringSelection = false;
    ShowSelectedSession();
}

void TDatabaseView::ScheduleSessionListRefresh() {
    tmrRefreshSessions->start();
}

std::vector<TSnapshotRow> TDatabaseView::SessionInfoSnapshotRows() const {
    std::vector<TSnapshotRow> a = SnapshotRowsOf(sgDBSessionInfo->model(), kSessionInfoDescriptionRows);
    const auto Text = [this](int iCol) {
        return sgDBSessionInfo->model()->index(kSessionInfoNotesRow, iCol).data().toString();
    };
    a.push_back({Text(0), Text(1)});
    return a;
}

void TDatabaseView::btnRefreshSessionsClick() {
    FBrowser.RefreshAllSessions();
}

void TDatabaseView::popSessionRefreshClick() {
    FBrowser.RefreshSessions(TSQLFilter());
}

void TDatabaseView::btnSortSessionsClick() {
    TSessionListFilter rFilter;
    if (!Host.AskSessionFilter(rFilter))
        return;
    FBrowser.ApplySessionFilter(rFilter);
    sgDBData->setFocus();
}

void TDatabaseView::popSessionInfoEditClick() {
    if (FBrowser.SelectedSession().isEmpty())
        return;
    TSessionTargetEdit rTarget;
    if (!FBrowser.ReadSelectedTarget(rTarget.rBefore))
        return;
    rTarget.rAfter = rTarget.rBefore;
    if (!Host.EditSelectedSessionInfo(rTarget.rAfter))
        return;
    int iRow = -1;
    if (!FBrowser.StoreEditedSession(iRow, rTarget))
        return;
    SelectRow(iRow);
    ShowSelectedSession();
    if (rTarget.Changed())
        FLevelData->JudgeAgain();
}

void TDatabaseView::popSessionDeleteClick() {
    if (!FBrowser.DeleteSelectedSession())
        return;
    ClearSessionGrids();
    // The deleted session's statistics would stay beside a session that no longer exists.
    FLevelData->Clear();
    Services.SetMainGUI(kGUIReviewOff);
    popSessionDelete->setEnabled(FBrowser.DeleteEnabled());
}

void TDatabaseView::popSessionsPopup() {
    const bool bSessions = FBrowser.HasSessions();
    popSessionInfoEdit->setEnabled(bSessions && !FBrowser.SelectedSession().isEmpty());
    popSessionDelete->setEnabled(bSessions && FBrowser.DeleteEnabled());
}

void TDatabaseView::SelectRow(int iRow) {
    if (iRow < 0) {
        sgSessions->clearSelection();
        return;
    }
    const QModelIndex Index = FBrowser.Sessions().index(iRow, TSessionListModel::kColDisplayTitle);
    if (sgSessions->currentIndex() == Index)
        sgSessionsSelectCell(iRow);
    else
        sgSessions->setCurrentIndex(Index);
}

bool TDatabaseView::SelectSession(const QString& sReportId) {
    if (sReportId.isEmpty())
        return false;
    if (FBrowser.SelectedSession() == sReportId)
        return true;
    const int iRow = FBrowser.Sessions().RowOfSession(sReportId);
    if (iRow < 0)
        return false;
    SelectRow(iRow);
    return FBrowser.SelectedSession() == sReportId;
}

void TDatabaseView::sgSessionsSelectCell(int iRow) {
    const bool bSelected = FBrowser.SelectSession(iRow);
    popSessionDelete->setEnabled(false);
    if (!bSelected)
        return;
    Services.SetMainGUI(kGUIReviewOff);
    ClearLevelData();
    ShowSelectedSession();
}

void TDatabaseView::sgSessionsDblClick() {
    if (!Context.rDB.Connected() || !FBrowser.HasSessions())
        return;
    FLevelData->LoadSelectedSession();
}

void TDatabaseView::SessionDataLoaded() {
    FBrowser.SessionDataLoaded();
    popSessionDelete->setEnabled(FBrowser.DeleteEnabled());
}

void TDatabaseView::ShowSelectedSession() {
    if (FBrowser.SelectedSession().isEmpty()) {
        ClearSessionGrids();
        return;
    }
    const TSessionInfo& r = Context.rSelectedSessionInfo;
    const QStringList slInfo = DBSessionInfoValues(r);
    for (int i = 0; i < slInfo.size(); ++i)
        sgDBSessionInfo->SetCell(i + 1, 1, slInfo[i]);
    const QStringList slConfig = LoudnessConfigValues(r, Language());
    for (int i = 0; i < slConfig.size(); ++i)
        sgDBLoudnessConfig->SetCell(i + 1, 1, slConfig[i]);
    // The instrument row shows the type name only; the whole text stays in the cell for its hint.
    sgDBLoudnessConfig->SetCellDisplay(kInstrumentRow, 1, InstrumentTypeName(slConfig[0]));
}

void TDatabaseView::ClearSessionGrids() {
    sgDBSessionInfo->ClearColumn(1, 1, kSessionInfoRows - 1);
    sgDBLoudnessConfig->ClearColumn(1, 1, kLoudnessConfigRows - 1);
}

void TDatabaseView::SetMainGUI(int iState) {
    switch (iState) {
    case kGUIReviewOff:
    case kGUIReviewOn:
        for (QPushButton* b : {btnChart, btnFilterData, btnExport, btnClearDataFilter})
            b->setEnabled(iState == kGUIReviewOn);
        break;
    case kGUINoDatabase:
        for (QPushButton* b : {btnRefreshSessions, btnSortSessions, btnFilterData, btnExport, btnChart})
            b->setEnabled(false);
        for (QWidget* w :
             std::initializer_list<QWidget*>{sgDBData, sgDBSessionInfo, sgDBLoudnessConfig, sgSessions})
            w->setEnabled(false);
        FBrowser.Sessions().Clear();
        FBrowser.ClearSelection();
        popSessionDelete->setEnabled(false);
        actRefreshSessions->setEnabled(false);
        ClearSessionGrids();
        FLevelData->Clear();
        break;
    case kGUIDatabase:
        actRefreshSessions->setEnabled(true);
        for (QPushButton* b : {btnRefreshSessions, btnSortSessions})
            b->setEnabled(true);
        for (QWidget* w :
             std::initializer_list<QWidget*>{sgDBData, sgDBSessionInfo, sgDBLoudnessConfig, sgSessions})
            w->setEnabled(true);
        // The rows and statistics of the database before would stand beside another database's sessions.
        FLevelData->Clear();
        for (QPushButton* b : {btnFilterData, btnExport, btnChart})
            b->setEnabled(false);
        break;
    default:
        break;
    }
}

void TDatabaseView::UpdateGUIStrings() {
    btnRefreshSessions->setText(T(kTxtRefreshSessions));
    btnSortSessions->setText(T(kTxtFilterSessions));
    btnFilterData->setText(T(kTxtFilterData));
    btnChart->setText(T(kTxtChartButton));
    btnExport->setText(T(kTxtExport));
    popSessionRefresh->setText(T(kTxtRefresh));
    popSessionFilter->setText(T(kTxtFilterSessionsMenu));
    popSessionInfoEdit->setText(T(kTxtEditSessionInfoMenu));
    popSessionDelete->setText(T(kTxtDeleteSession));
    FBrowser.Sessions().SetTitle(T(kTxtSessionList));
    FBrowser.Sessions().SetLanguage(Language());
    sgDBSessionInfo->setToolTip(T(kTxtSessionInfoHint));

    const auto ApplyLabels = [this](TInfoGrid* Grid, const TGridLabels& r) {
        Grid->SetTitle(T(r.iHeader));
        for (size_t i = 0; i < r.aRowLabels.size(); ++i)
            Grid->SetCell(int(i) + 1, 0, T(r.aRowLabels[i]));
        Grid->FitColumns();
    };
    ApplyLabels(sgDBSessionInfo, DBSessionInfoLabels());
    ApplyLabels(sgDBLoudnessConfig, DBLoudnessConfigLabels());
    // A long model name may end in an ellipsis: the instrument row's hint names the type whole.
    sgDBLoudnessConfig->SetValueReserve(LoudnessConfigValueSamples(Language()));
    // The configuration's names follow the language too.
    ShowSelectedSession();
    ApplyLevelDataLabels();
}

// ---- The level data side: labels and the empty state of the statistics grid and the level table. ----

void TDatabaseView::ApplyLevelDataLabels() {
    FLevelData->UpdateGUIStrings();
}

void TDatabaseView::ClearLevelData() {
    FLevelData->ClearTable();
}

QString TDatabaseView::SelectedSessionId() const {
    return FBrowser.SelectedSession();
}

QString TDatabaseView::ListRowSessionId() const {
    const QModelIndex Current = sgSessions->currentIndex();
    if (!Current.isValid())
        return {};
    return FBrowser.Sessions().index(Current.row(), TSessionListModel::kColReportId).data().toString();
}

QString TDatabaseView::RecordingSessionId() const {
    return Context.sCurrentSession;
}

QString TDatabaseView::SelectedSessionUnit() const {
    return sgDBLoudnessConfig->Cell(kScaleModeRow, 1);
}

const TSessionInfo& TDatabaseView::SelectedSession() const {
    return Context.rSelectedSessionInfo;
}

void TDatabaseView::VerdictKept(const QString& sReportId, TVerdictKind eKind) {
    FBrowser.Sessions().SetMark(sReportId, MarkOfKind(eKind));
}

void TDatabaseView::EnableSessionDelete() {
    SessionDataLoaded();
}

void TDatabaseView::SetReviewState(int iState) {
    Services.SetMainGUI(iState);
}

int TDatabaseView::ShowMessageBox(const QString& sText, int iKind, int iButtons) {
    return Services.ShowMessageBox(sText, iKind, iButtons);
}

bool TDatabaseView::AskDataFilter(const QString& sUnit) {
    return Host.AskDataFilter(sUnit);
}

void TDatabaseView::BeginLongOperation(int iEntry) {
    Services.BeginLongOperation(iEntry);
}

void TDatabaseView::EndLongOperation() {
    Services.EndLongOperation();
}

bool TDatabaseView::PumpLongOperation(qint64 iDone, qint64 iTotal) {
    return Services.PumpLongOperation(iDone, iTotal);
}
