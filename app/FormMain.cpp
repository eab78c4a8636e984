#include "app/FormMain.h"

#include "app/EngineCodes.h"
#include "app/GridLayouts.h"
#include "app/MessageBox.h"
#include "app/OwnerDrawnMenu.h"
#include "app/SettingsFile.h"
#include "app/TextFormat.h"
#include "app/TextTable.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormLegal.h"
#include "dialogs/FormOptions.h"
#include "dialogs/FormSessionInfo.h"
#include "dialogs/FormTCControl.h"
#include "dialogs/FormWait.h"
#include "dialogs/SessionTexts.h"
#include "engine/InfoGrid.h"
#include "meter/FormInstrumentSelect.h"
#include "review/ChartTabs.h"
#include "review/FormChart.h"
#include "store/FormDBSelect.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Fixed widths of status bar panels 1 to 3; panel 0 takes the rest.
constexpr int kStatusPanelWidths[4] = {0, 200, 150, 200};

// How long closing while logging waits for the session's end to be stored: 501 rounds of 10 ms.
constexpr int kCloseWaitRounds = 501;
constexpr int kCloseWaitRoundMs = 10;

// Captions of the main window's controls.
constexpr int kTxtCouldNotBind = 246;
constexpr int kTxtSelectDatabaseFirst = 240;
constexpr int kTxtSessionInProgress = 244;
constexpr int kTxtStartLogging = 216;
constexpr int kTxtAnalysisDate = 338;

QTableWidget* NewGrid(int iRows, int iCols, QWidget* parent) {
    auto* Grid = new QTableWidget(iRows, iCols, parent);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->setDefaultSectionSize(20);
    return Grid;
}

void SetCell(QTableWidget* Grid, int iRow, int iCol, const QString& sText) {
    if (iRow >= Grid->rowCount() || iCol >= Grid->columnCount())
        return;
    QTableWidgetItem* Item = Grid->item(iRow, iCol);
    if (!Item) {
        Item = new QTableWidgetItem;
        Grid->setItem(iRow, iCol, Item);
    }
    Item->setText(sText);
}

void ClearRows(QTableWidget* Grid, int iFirstRow, int iCol) {
    for (int iRow = iFirstRow; iRow < Grid->rowCount(); ++iRow)
        SetCell(Grid, iRow, iCol, QString());
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetWindows(const TAppWindows& rWindows) {
    Windows = rWindows;
    ChartTabs->SetWaitWindow(Windows.frmWait);
}

void TfrmMain::FormCreate() {
    // Small and large icons; one that fails to load is skipped.
    QIcon Icon;
    for (const char* sIcon : {":/icons/QXR_Icon_16.png", ":/icons/QXR_Icon_32.png"}) {
        const QPixmap Pixmap(sIcon);
        if (!Pixmap.isNull())
            Icon.addPixmap(Pixmap);
    }
    setWindowIcon(Icon);
    SetOwnerDrawnMenus(menuBar());
    setWindowTitle("QX-Logging");
    MessageBox = std::make_unique<TMessageBox>(iLNG, this);
    Ctrl.SetView(this);

    CreateMenus();
    PageCtrl = new QTabWidget(this);
    setCentralWidget(PageCtrl);
    CreateLoggingTab();
    CreateDatabaseTab();
    CreateStatusBar();
    ChartTabs = new TChartTabs(PageCtrl, Ctrl.Settings.rChartOptions, iLNG, iTabId, *MessageBox, this);
    connect(btnChart, &QPushButton::clicked, this, &TfrmMain::btnChartClick);

    const QString sConfigRoot = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!Ctrl.Initialise(sConfigRoot)) {
        ShowMessageBox(GetText(kTxtCouldNotBind, iLNG), kMsgError, kMsgBtnOK);
        return;
    }
    sgDBData->setStyleSheet("QTableWidget { background: white; }");
}

void TfrmMain::CreateMenus() {
    mnuFiles = menuBar()->addMenu(QString());
    mnuInstrumentSelect = mnuFiles->addAction(QString(), this, &TfrmMain::mnuInstrumentSelectClick);
    mnuInstrumentSelect->setShortcut(QKeySequence("Alt+I"));
    mnuDBSelect = mnuFiles->addAction(QString(), this, &TfrmMain::mnuDBSelectClick);
    mnuDBSelect->setShortcut(QKeySequence("Alt+D"));
    mnuFiles->addSeparator();
    mnuExit = mnuFiles->addAction(QString(), this, &QWidget::close);
    mnuExit->setShortcut(QKeySequence("Alt+F4"));

    mnuTools = menuBar()->addMenu(QString());
    mnuOptions = mnuTools->addAction(QString(), this, &TfrmMain::mnuOptionsClick);
    mnuTools->addSeparator();
    mnuTCControl = mnuTools->addAction(QString(), this, &TfrmMain::mnuTCControlClick);
    mnuTCControl->setShortcut(QKeySequence("Ctrl+T"));

    mnuHelp = menuBar()->addMenu(QString());
    mnuLicense = mnuHelp->addAction(QStringLiteral("License..."), this, &TfrmMain::mnuLicenseClick);
    mnuHelp->addSeparator();
    mnuAbout = mnuHelp->addAction(QString(), this, &TfrmMain::mnuAboutClick);
}

void TfrmMain::CreateLoggingTab() {
    LoggingView = new TLiveLoggingView(Ctrl, *this);
    tabLogging = LoggingView;
    PageCtrl->addTab(tabLogging, QString());
    btnConnect = LoggingView->btnConnect;
    btnStartLog = LoggingView->btnStartLog;
    btnStopLog = LoggingView->btnStopLog;
    chkAutoStart = LoggingView->chkAutoStart;
    lblTimeCode = LoggingView->lblTimeCode;
    imgStat = LoggingView->imgStat;
    sgInstrumentInfo = LoggingView->sgInstrumentInfo;
    sgSessionInfo = LoggingView->sgSessionInfo;
    sgLoudnessCFG = LoggingView->sgLoudnessCFG;
    sgLoudnessData = LoggingView->sgLoudnessData;
}

void TfrmMain::CreateDatabaseTab() {
    tabDB = new QWidget;
    PageCtrl->addTab(tabDB, QString());
    auto* Layout = new QHBoxLayout(tabDB);

    auto* Left = new QVBoxLayout;
    auto* SessionButtons = new QHBoxLayout;
    btnRefreshSessions = new QPushButton(tabDB);
    btnSortSessions = new QPushButton(tabDB);
    SessionButtons->addWidget(btnRefreshSessions);
    SessionButtons->addWidget(btnSortSessions);
    Left->addLayout(SessionButtons);
    sgSessions = NewGrid(1, 7, tabDB);
    Left->addWidget(sgSessions, 1);
    Layout->addLayout(Left, 1);

    auto* Middle = new QVBoxLayout;
    sgDBSessionInfo = NewGrid(8, 2, tabDB);
    sgDBLoudnessConfig = NewGrid(12, 2, tabDB);
    sgDBLoudnessMax = NewGrid(10, 2, tabDB);
    Middle->addWidget(sgDBSessionInfo);
    Middle->addWidget(sgDBLoudnessConfig);
    Middle->addWidget(sgDBLoudnessMax);
    Layout->addLayout(Middle, 1);

    auto* Right = new QVBoxLayout;
    auto* DataButtons = new QHBoxLayout;
    btnFilterData = new QPushButton(tabDB);
    btnChart = new QPushButton(tabDB);
    btnExport = new QPushButton(tabDB);
    DataButtons->addWidget(btnFilterData);
    DataButtons->addWidget(btnChart);
    DataButtons->addWidget(btnExport);
    Right->addLayout(DataButtons);
    sgDBData = NewGrid(2, 2, tabDB);
    Right->addWidget(sgDBData, 1);
    Layout->addLayout(Right, 2);
}

void TfrmMain::CreateStatusBar() {
    for (int i = 0; i < 4; ++i) {
        StatusPanels[i] = new QLabel(this);
        if (i == 0) {
            statusBar()->addWidget(StatusPanels[i], 1);
        } else {
            StatusPanels[i]->setFixedWidth(kStatusPanelWidths[i]);
            statusBar()->addPermanentWidget(StatusPanels[i]);
        }
    }
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!bShown) {
        bShown = true;
        FormShow();
    }
}

void TfrmMain::FormShow() {
    if (!ReadIni() && Ctrl.RecoverSettings()) {
        ApplyWindowSettings();
        UpdateGUIStrings();
    }
    const TTimecodeControl& TCCtrl = Ctrl.Settings.TCCtrl;
    chkAutoStart->setVisible(TCCtrl.OptionEnabled);
    mnuTCControl->setVisible(TCCtrl.OptionEnabled);
    mnuTCControl->setEnabled(TCCtrl.OptionEnabled);
    chkAutoStart->setChecked(TCCtrl.Enabled);
    FormResize();
    // Handled once the window is on screen, so the message has a window to stand in front of.
    QTimer::singleShot(0, this, &TfrmMain::WMCheckDatabase);
    UpdateGUIStrings();
}

bool TfrmMain::ReadIni() {
    const bool bRead = Ctrl.ReadIni();
    ApplyWindowSettings();
    return bRead;
}

void TfrmMain::ApplyWindowSettings() {
    const TSettings& r = Ctrl.Settings;
    const TWindowPlacement rPlace = PlacementForMonitors(r.rWindow, int(QGuiApplication::screens().size()));
    setGeometry(rPlace.X, rPlace.Y, rPlace.Width, rPlace.Height);
    if (rPlace.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    if (rPlace.ActivePage >= 0 && rPlace.ActivePage < PageCtrl->count())
        PageCtrl->setCurrentIndex(rPlace.ActivePage);
    chkAutoStart->setChecked(r.TCCtrl.Enabled);
    if (Windows.frmChart)
        Windows.frmChart->ApplyPlacement(r.rChartWindow);
}

void TfrmMain::WriteIni() {
    TWindowPlacement& rPlace = Ctrl.Settings.rWindow;
    rPlace.MonitorCount = int(QGuiApplication::screens().size());
    rPlace.Maximized = isMaximized();
    if (!rPlace.Maximized) {
        const QRect rGeometry = geometry();
        rPlace.X = rGeometry.x();
        rPlace.Y = rGeometry.y();
        rPlace.Width = rGeometry.width();
        rPlace.Height = rGeometry.height();
    }
    rPlace.ActivePage = PageCtrl->currentIndex();
    if (Windows.frmChart)
        Windows.frmChart->StorePlacement(Ctrl.Settings.rChartWindow);
    Ctrl.Settings.TCCtrl.Enabled = chkAutoStart->isChecked();

    QString sError;
    if (Ctrl.WriteIni(sError))
        return;
    Ctrl.AddLog(-1, sError + "|4");
    // Closing on a termination signal has nobody to answer a box: the log holds the failure.
    if (!bAnswerYesToQuit)
        ShowMessageBox(sError, kMsgError, kMsgBtnOK);
}

void TfrmMain::WMCheckDatabase() {
    if (!Ctrl.bShowDBSelectWindow)
        return;
    ShowMessageBox(GetText(kTxtSelectDatabaseFirst, iLNG), kMsgInformation, kMsgBtnOK);
    if (Windows.frmDBSelect)
        Windows.frmDBSelect->exec();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize() {
    if (!sgSessions)
        return;
    sgSessions->setColumnWidth(1, 0);
    for (QTableWidget* Grid : {sgDBSessionInfo, sgDBLoudnessMax})
        Grid->setColumnWidth(1, std::max(0, Grid->viewport()->width() - Grid->columnWidth(0) - 4));
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (bClosing) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    bClosing = true;
    FormClose();
    event->accept();
    // The program ends with its main window, whatever other window is still open.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

bool TfrmMain::FormCloseQuery() {
    if (!Ctrl.bLoggingInProgress)
        return true;
    if (!bAnswerYesToQuit && ShowMessageBox(GetText(kTxtSessionInProgress, iLNG), kMsgConfirmation,
                                            kMsgBtnYes | kMsgBtnNo) != kMsgResultYes)
        return false;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    btnStopLogClick();
    Ctrl.bCanCloseMain = false;
    // Engine events and datagrams keep arriving while we wait, so the end of the session is stored.
    QEventLoop Loop;
    QTimer Tick;
    QDeadlineTimer Deadline(kCloseWaitRounds * kCloseWaitRoundMs);
    connect(&Tick, &QTimer::timeout, &Loop, [&] {
        if (Ctrl.bCanCloseMain || Deadline.hasExpired())
            Loop.quit();
    });
    Tick.start(kCloseWaitRoundMs);
    Loop.exec();
    QApplication::restoreOverrideCursor();
    return true;
}

void TfrmMain::FormClose() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Ctrl.ThreadSendMessage(kEngineCommandClose);
    Ctrl.UDP.Deactivate();
    WriteIni();
    QApplication::restoreOverrideCursor();
}

void TfrmMain::CloseWithoutAsking() {
    bAnswerYesToQuit = true;
    close();
}

void TfrmMain::btnStopLogClick() {
    LoggingView->btnStopLogClick();
}

void TfrmMain::btnChartClick() {
    const auto CellText = [](const QTableWidget* Grid, int iRow, int iCol) {
        const QTableWidgetItem* Item = Grid->item(iRow, iCol);
        return Item ? Item->text() : QString();
    };
    TChartTabRequest r;
    r.sCaption = CellText(sgDBSessionInfo, 1, 1);
    r.rSetup = {rSelectedSessionInfo.rLoudnessSetup.iScaleMode, CellText(sgDBLoudnessConfig, 4, 1)};
    r.rSnapshot = MakeChartSnapshot(
        {GetText(kTxtAnalysisDate, iLNG), AnalysisDateText(rSelectedSessionInfo.dtDateTime)},
        SnapshotRowsOf(sgDBSessionInfo->model(), kSnapshotSessionInfoRows),
        SnapshotRowsOf(sgDBLoudnessConfig->model(), kSnapshotLoudnessConfigRows),
        SnapshotRowsOf(sgDBLoudnessMax->model(), kSnapshotStatisticsRows));
    const QString sSession = rSelectedSessionInfo.sReportID;
    r.fnLoadRows = [this, sSession](TLevelData& rRows, const std::function<void()>& fnPump) {
        return !sSession.isEmpty() &&
               LoadChartRows(Ctrl.SQLConnection, sSession, TDataFilter(), rRows, fnPump);
    };
    ChartTabs->MakeChartTab(r);
}

void TfrmMain::mnuInstrumentSelectClick() {
    if (Windows.frmInstrumentSelect)
        Windows.frmInstrumentSelect->exec();
    UpdateSGInstrumentInfo();
}

void TfrmMain::mnuDBSelectClick() {
    if (Windows.frmDBSelect)
        Windows.frmDBSelect->exec();
}

void TfrmMain::mnuOptionsClick() {
    if (Windows.frmOptions)
        Windows.frmOptions->exec();
}

void TfrmMain::mnuTCControlClick() {
    if (Windows.frmTCControl && Windows.frmTCControl->Execute())
        Ctrl.ThreadSendMessage(kEngineCommandTCChanged);
}

void TfrmMain::mnuLicenseClick() {
    if (Windows.frmLegalInfo)
        Windows.frmLegalInfo->exec();
}

void TfrmMain::mnuAboutClick() {
    if (Windows.frmAbout)
        Windows.frmAbout->exec();
}

int TfrmMain::ShowMessageBox(const QString& sText, int iKind, int iButtons) {
    return MessageBox->ShowMessageBox(sText, iKind, iButtons);
}

void TfrmMain::ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg) {
    ShowMessageBox(FormatText(GetText(iEntry, iLNG), {sArg}), iKind, iButtons);
}

void TfrmMain::UpdateGUIStrings() {
    const auto T = [this](int iEntry) { return GetText(iEntry, iLNG); };
    mnuFiles->setTitle(T(178));
    mnuInstrumentSelect->setText(T(180));
    mnuDBSelect->setText(T(182));
    mnuExit->setText(T(184));
    mnuTools->setTitle(T(186));
    mnuOptions->setText(T(188));
    mnuHelp->setTitle(T(190));
    mnuAbout->setText(T(192));
    mnuTCControl->setText(T(416));
    LoggingView->UpdateGUIStrings();
    btnRefreshSessions->setText(T(224));
    btnSortSessions->setText(T(226));
    btnFilterData->setText(T(228));
    btnChart->setText(T(230));
    btnExport->setText(T(232));
    PageCtrl->setTabText(0, T(234));
    PageCtrl->setTabText(1, T(236));
    if (Windows.frmChart)
        Windows.frmChart->UpdateCaption(iLNG);
    ChartTabs->UpdateGUIStrings();
    ApplyGridLabels();
}

void TfrmMain::ApplyGridLabels() {
    const TDataOptions& rOptions = Ctrl.Settings.DataOptions;
    const auto Apply = [this](QTableWidget* Grid, const TGridLabels& r, int iClearToRow) {
        const int iRows = std::max<int>(int(r.aRowLabels.size()), iClearToRow) + 1;
        if (Grid->rowCount() < iRows)
            Grid->setRowCount(iRows);
        SetCell(Grid, 0, 0, GetText(r.iHeader, iLNG));
        if (Grid->columnSpan(0, 0) < 2 && Grid->columnCount() > 1)
            Grid->setSpan(0, 0, 1, 2);
        for (int iRow = 1; iRow < iRows; ++iRow) {
            const size_t i = size_t(iRow - 1);
            SetCell(Grid, iRow, 0, i < r.aRowLabels.size() ? GetText(r.aRowLabels[i], iLNG) : QString());
        }
    };
    const auto WidenValueColumn = [](QTableWidget* Grid) {
        Grid->setColumnWidth(1, std::max(0, Grid->viewport()->width() - Grid->columnWidth(0) - 4));
    };

    SetCell(sgSessions, 0, 0, GetText(kTxtSessionList, iLNG));
    for (int iCol = 1; iCol <= 6 && iCol < sgSessions->columnCount(); ++iCol)
        sgSessions->setColumnWidth(iCol, 0);

    Apply(sgDBSessionInfo, DBSessionInfoLabels(), 0);
    // The notes row takes the rest of the grid.
    sgDBSessionInfo->setRowHeight(
        7, std::max(sgDBSessionInfo->rowHeight(0),
                    sgDBSessionInfo->viewport()->height() - 7 * sgDBSessionInfo->rowHeight(0) - 4));
    Apply(sgDBLoudnessConfig, DBLoudnessConfigLabels(), 0);
    WidenValueColumn(sgDBLoudnessConfig);

    Apply(sgDBLoudnessMax, DBLoudnessMaxLabels(rOptions), kDataGridLastRow);
    ClearRows(sgDBLoudnessMax, 1, 1);

    const std::vector<int> aHeadings = DBDataColumnHeadings(rOptions);
    sgDBData->setColumnCount(int(aHeadings.size()));
    for (int iCol = 0; iCol < int(aHeadings.size()); ++iCol)
        SetCell(sgDBData, 0, iCol, GetText(aHeadings[size_t(iCol)], iLNG));
    SetMainGUI(kGUIReviewOff);
    sgDBData->setRowCount(2);
    for (int iCol = 0; iCol < sgDBData->columnCount(); ++iCol)
        SetCell(sgDBData, 1, iCol, QString());
}

void TfrmMain::SetMainGUI(int iState) {
    switch (iState) {
    case kGUINoInstrument:
        LoggingView->SetMainGUI(iState);
        mnuDBSelect->setEnabled(true);
        mnuInstrumentSelect->setEnabled(true);
        break;
    case kGUIConnecting:
    case kGUIConnected:
        LoggingView->SetMainGUI(iState);
        mnuDBSelect->setEnabled(false);
        mnuInstrumentSelect->setEnabled(false);
        break;
    case kGUILogging:
        LoggingView->SetMainGUI(iState);
        break;
    case kGUIReviewOff:
    case kGUIReviewOn:
        for (QPushButton* b : {btnChart, btnFilterData, btnExport})
            b->setEnabled(iState == kGUIReviewOn);
        break;
    case kGUINoDatabase:
        for (QPushButton* b : {btnConnect, btnStartLog, btnStopLog, btnRefreshSessions, btnSortSessions,
                               btnFilterData, btnExport, btnChart})
            b->setEnabled(false);
        LoggingView->SetStartButtonCaption(kTxtStartLogging);
        for (QTableWidget* g : {sgDBData, sgDBSessionInfo, sgDBLoudnessConfig, sgSessions})
            g->setEnabled(false);
        sgSessions->setRowCount(1);
        SetCell(sgSessions, 0, 0, QString());
        SetCell(sgSessions, 0, 1, QString());
        sgDBData->setRowCount(2);
        for (int iCol = 0; iCol < sgDBData->columnCount(); ++iCol)
            SetCell(sgDBData, 1, iCol, QString());
        StatusPanels[1]->clear();
        ClearRows(sgDBSessionInfo, 1, 1);
        ClearRows(sgDBLoudnessConfig, 1, 1);
        break;
    case kGUIDatabase:
        for (QPushButton* b :
             {btnConnect, btnRefreshSessions, btnSortSessions, btnFilterData, btnExport, btnChart})
            b->setEnabled(true);
        for (QTableWidget* g : {sgDBData, sgDBSessionInfo, sgDBLoudnessConfig, sgSessions})
            g->setEnabled(true);
        break;
    default:
        break;
    }
}

void TfrmMain::UpdateSGInstrumentInfo() {
    LoggingView->UpdateSGInstrumentInfo();
}

void TfrmMain::UpdateSGLoudnessSetup() {
    LoggingView->UpdateSGLoudnessSetup();
}

void TfrmMain::UpdateSGLoudnessData() {
    LoggingView->UpdateSGLoudnessData();
}

void TfrmMain::ShowSessionStarted() {
    LoggingView->ShowSessionStarted();
}

void TfrmMain::ShowTimeCode(const QString& sTimeCode) {
    LoggingView->ShowTimeCode(sTimeCode);
}

void TfrmMain::SetBlinking(bool bOn) {
    LoggingView->SetBlinking(bOn);
}

void TfrmMain::SetStatusPicture(TStatusPicture ePicture) {
    LoggingView->SetStatusPicture(ePicture);
}

void TfrmMain::SetStartButtonCaption(int iEntry) {
    LoggingView->SetStartButtonCaption(iEntry);
}

bool TfrmMain::IsPauseAvailable() const {
    return LoggingView->IsPauseAvailable();
}

void TfrmMain::ShowInstrumentManager() {
    if (Windows.frmInstrumentSelect)
        Windows.frmInstrumentSelect->exec();
}

bool TfrmMain::AskNewSessionInfo(TSessionTexts& rTexts) {
    if (!Windows.frmSessionInfo) {
        rTexts = SessionTextsOf(Ctrl.rSessionInfo);
        return true;
    }
    if (!Windows.frmSessionInfo->ExecuteNewSession())
        return false;
    rTexts = Windows.frmSessionInfo->EditTexts();
    return true;
}

void TfrmMain::ShowWaitWindow() {
    if (!Windows.frmWait)
        return;
    // Fades in from transparent while the connection is made elsewhere.
    Windows.frmWait->SetAlphaBlendValue(0);
    Windows.frmWait->ShowWait();
}

void TfrmMain::SetStatusText(int iPanel, const QString& sText) {
    if (iPanel >= 0 && iPanel < 4)
        StatusPanels[iPanel]->setText(sText);
}

void TfrmMain::SetWaitTextEntry(int iEntry) {
    if (Windows.frmWait)
        Windows.frmWait->SetWaitTextEntry(iEntry);
}

void TfrmMain::CloseWaitWindow() {
    if (Windows.frmWait)
        Windows.frmWait->close();
}

void TfrmMain::CheckSessionInfoChanges(TSessionInfo& rSessionInfo) {
    const auto Cell = [this](int iRow) {
        const QTableWidgetItem* Item = sgSessionInfo->item(iRow, 1);
        return Item ? Item->text() : QString();
    };
    TSessionTexts rGrid{Cell(1), Cell(2), Cell(3), Cell(4), Cell(5)};
    const auto Ask = [this](const QString& sText, int iKind, int iButtons) {
        return ShowMessageBox(sText, iKind, iButtons);
    };
    if (!::CheckSessionInfoChanges(rGrid, rSessionInfo, iLNG, Ask))
        return;
    const QString aCleaned[] = {rGrid.sShowTitle, rGrid.sShowNumber, rGrid.sOperatorName, rGrid.sFormat,
                                rGrid.sNotes};
    for (int iRow = 1; iRow <= 5; ++iRow)
        SetCell(sgSessionInfo, iRow, 1, aCleaned[iRow - 1]);
}
