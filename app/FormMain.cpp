#include "app/FormMain.h"

#include "core/DataFolder.h"
#include "core/EngineCodes.h"
#include "core/GridLayouts.h"
#include "core/SettingsFile.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormLegal.h"
#include "dialogs/FormOptions.h"
#include "dialogs/FormSessionInfo.h"
#include "dialogs/FormTCControl.h"
#include "dialogs/FormWait.h"
#include "dialogs/MessageBox.h"
#include "dialogs/OwnerDrawnMenu.h"
#include "dialogs/SessionTexts.h"
#include "dialogs/WindowIcons.h"
#include "engine/InfoGrid.h"
#include "engine/LiveChart.h"
#include "export/ChartExport.h"
#include "export/LevelTableExportSource.h"
#include "meter/FormInstrumentSelect.h"
#include "review/FormChart.h"
#include "review/FormFilter.h"
#include "review/FormSortSessions.h"
#include "review/LevelTable.h"
#include "review/SessionFilter.h"
#include "store/ComplianceStore.h"
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
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Fixed widths of status bar panels 1 to 3; panel 0 takes the rest.
constexpr int kStatusPanelWidths[kPanelCount] = {0, 200, 150, 200, 0};

// How long closing while logging waits for the session's end to be stored: 501 rounds of 10 ms.
constexpr int kCloseWaitRounds = 501;
constexpr int kCloseWaitRoundMs = 10;

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

} // namespace

TfrmMain::TfrmMain(QWidget* parent, const QString& sDataFolder) : QMainWindow(parent) {
    Ctrl.sDataFolder = sDataFolder.isEmpty() ? DataFolder() : sDataFolder;
    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetWindows(const TAppWindows& rWindows) {
    Windows = rWindows;
    MessageBox->SetCoveringWindow(Windows.frmWait);
    // A database opened in the manager lists its sessions.
    if (Windows.frmDBSelect)
        connect(Windows.frmDBSelect, &TfrmDBSelect::SessionListChanged, DatabaseView,
                &TDatabaseView::DatabaseOpened, Qt::UniqueConnection);
}

void TfrmMain::FormCreate() {
    SetWindowIcons(this);
    SetOwnerDrawnMenus(menuBar());
    setWindowTitle("QX-Logging");
    MessageBox = std::make_unique<TMessageBox>(iLNG, this);
    LongOperation = new TLongOperationWindow(*this);
    Ctrl.SetView(this);

    CreateMenus();
    PageCtrl = new QTabWidget(this);
    setCentralWidget(PageCtrl);
    CreateLoggingTab();
    CreateDatabaseTab();
    // A session stored at its start or end is listed without a refresh by hand.
    connect(&Ctrl, &TMainController::SessionStored, DatabaseView, &TDatabaseView::ScheduleSessionListRefresh);
    CreateExportMenu();
    CreateStatusBar();
    ChartTabs = new TChartTabs(PageCtrl, Ctrl.Settings.rChartOptions, iLNG, iTabId, *this);
    connect(ChartTabs, &TChartTabs::ChartExportPDF, this,
            [this](TChartTab* Tab, int iTag) { ChartExportPDF(*ExportMenu, Ctrl.Settings, *Tab, iTag); });
    connect(btnChart, &QPushButton::clicked, this, &TfrmMain::btnChartClick);
    ChartTableLink = new TChartTableLink(Ctrl.SQLConnection, *DatabaseView, PageCtrl, *this, iLNG, this);
    connect(ChartTabs, &TChartTabs::FilterToRange, ChartTableLink,
            [this](TChartTab* Tab) { ChartTableLink->FilterToVisibleRows(*Tab); });
    connect(ChartTabs, &TChartTabs::PointDoubleClicked, ChartTableLink,
            [this](TChartTab* Tab, int iPoint) { ChartTableLink->ShowPointRow(*Tab, iPoint); });

    if (!Ctrl.InitialiseDataFolder(Ctrl.sDataFolder)) {
        ShowMessageBox(GetText(kTxtCouldNotBind, iLNG), kMsgError, kMsgBtnOK);
        return;
    }
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
    LoggingView = new TLiveLoggingView(Ctrl, *this, *this);
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
    DatabaseView =
        new TDatabaseView({Ctrl.SQLConnection, Ctrl.sCurrentSession, rSelectedSessionInfo}, *this, *this);
    tabDB = DatabaseView;
    PageCtrl->addTab(tabDB, QString());
    btnRefreshSessions = DatabaseView->btnRefreshSessions;
    btnSortSessions = DatabaseView->btnSortSessions;
    btnFilterData = DatabaseView->btnFilterData;
    btnChart = DatabaseView->btnChart;
    btnExport = DatabaseView->btnExport;
    sgSessions = DatabaseView->sgSessions;
    sgDBSessionInfo = DatabaseView->sgDBSessionInfo;
    sgDBLoudnessConfig = DatabaseView->sgDBLoudnessConfig;
    sgDBLoudnessMax = DatabaseView->sgDBLoudnessMax;
    sgDBData = DatabaseView->sgDBData;
}

void TfrmMain::CreateExportMenu() {
    ExportSource = std::make_unique<TLevelTableExportSource>(rSelectedSessionInfo,
                                                             DatabaseView->LevelData().LevelTable(), iLNG);
    ExportMenu = new TExportMenu(this, Ctrl.Settings, *this, *ExportSource);
    connect(btnExport, &QPushButton::clicked, this, [this] { ExportMenu->Popup(btnExport); });
}

void TfrmMain::CreateStatusBar() {
    for (int i = 0; i < kPanelCount; ++i) {
        StatusPanels[i] = new QLabel(this);
        // The rows waiting and a link being reached again share the free width.
        if (kStatusPanelWidths[i] == 0) {
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
    if (Ctrl.SQLConnection.Connected())
        DatabaseView->DatabaseOpened();
    FormResize();
    // Handled once the window is on screen, so the message has a window to stand in front of.
    QTimer::singleShot(0, this, &TfrmMain::WMCheckDatabase);
    UpdateGUIStrings();
}

bool TfrmMain::ReadIni() {
    const bool bRead = Ctrl.ReadIni();
    ApplyWindowSettings();
    // The language at start is no change to announce.
    if (iAnnouncedLanguage < 0)
        iAnnouncedLanguage = iLNG;
    return bRead;
}

void TfrmMain::ApplyWindowSettings() {
    const TSettings& r = Ctrl.Settings;
    TWindowPlacement rPlace = PlacementForMonitors(r.rWindow, int(QGuiApplication::screens().size()));
    // Stored on a larger screen, or dragged up under the screen's top: fitted so it can be reached. Before
    // the first showing the frame is not known yet; the style's title bar stands for it.
    const QScreen* pScreen = QGuiApplication::screenAt(QPoint(rPlace.X, rPlace.Y));
    if (pScreen == nullptr)
        pScreen = QGuiApplication::primaryScreen();
    const int iFrameTop = isVisible() ? geometry().top() - frameGeometry().top()
                                      : style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (pScreen != nullptr)
        rPlace = FitPlacementToScreen(rPlace, pScreen->availableGeometry(), iFrameTop);
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
    if (!Ctrl.sSettingsProblem.isEmpty())
        ShowMessageBox(FormatText(GetText(kTxtSettingsNotRead, iLNG), {Ctrl.sINI, Ctrl.sSettingsProblem}),
                       kMsgWarning, kMsgBtnOK);
    if (!Ctrl.sSettingsNotice.isEmpty())
        ShowMessageBox(Ctrl.sSettingsNotice, kMsgWarning, kMsgBtnOK);
    if (!Ctrl.bShowDBSelectWindow) {
        Ctrl.OfferRecoveredRows();
        return;
    }
    if (Ctrl.sDatabaseProblem.isEmpty())
        ShowMessageBox(GetText(kTxtSelectDatabaseFirst, iLNG), kMsgInformation, kMsgBtnOK);
    else
        ShowEntryMessage(kTxtDatabaseNotOpened, kMsgError, kMsgBtnOK, Ctrl.Settings.sDatabaseFileName,
                         Ctrl.sDatabaseProblem + QStringLiteral("\r\r") +
                             GetText(kTxtSelectDatabaseFirst, iLNG));
    if (Windows.frmDBSelect)
        Windows.frmDBSelect->exec();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize() {
    // The grids fit their value columns to their own width as they are resized.
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
    // Engine events and datagrams keep arriving while we wait, so the end of the session is stored. The
    // wait ends as soon as the session has been finished (or the connection is gone): the close command
    // that ends the connection is sent only after this wait, so waiting for it would always run out.
    QEventLoop Loop;
    QTimer Tick;
    QDeadlineTimer Deadline(kCloseWaitRounds * kCloseWaitRoundMs);
    connect(&Tick, &QTimer::timeout, &Loop, [&] {
        if (!Ctrl.bLoggingInProgress || Ctrl.bCanCloseMain || Deadline.hasExpired())
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
    const TMainController::TSavedRows rSaved = Ctrl.SaveWaitingRows();
    // The user learns where the rows went (the log holds it too when closing on a signal).
    if (!bAnswerYesToQuit && (rSaved.iSaved > 0 || rSaved.iLost > 0))
        ShowMessageBox(TMainController::SavedRowsMessage(rSaved, iLNG),
                       rSaved.iLost > 0 ? kMsgError : kMsgWarning, kMsgBtnOK);
    WriteIni();
    QApplication::restoreOverrideCursor();
}

void TfrmMain::CloseWithoutAsking() {
    bAnswerYesToQuit = true;
    // Nobody is there to answer: a question open now, and every question of the close sequence, takes
    // its unattended answer instead of holding the close up.
    MessageBox->AnswerUnattended();
    close();
}

void TfrmMain::ConnectAtStart(bool bStartLogging) {
    if (bStartLogging) {
        auto* pOnce = new QObject(this);
        connect(&Ctrl, &TMainController::EngineEventHandled, pOnce, [this, pOnce](int iCode) {
            if (iCode != kEventReady)
                return;
            pOnce->deleteLater();
            if (btnStartLog->isEnabled())
                LoggingView->btnStartLogClick();
        });
    }
    if (btnConnect->isEnabled())
        LoggingView->btnConnectClick();
}

void TfrmMain::btnStopLogClick() {
    LoggingView->btnStopLogClick();
}

void TfrmMain::btnChartClick() {
    const auto CellText = [](const QTableWidget* Grid, int iRow) {
        return Grid->model()->index(iRow, 1).data().toString();
    };
    TChartTabRequest r;
    r.sCaption = CellText(sgDBSessionInfo, 1);
    r.rSetup = {rSelectedSessionInfo.rLoudnessSetup.iScaleMode, CellText(sgDBLoudnessConfig, 4),
                rSelectedSessionInfo.rLoudnessSetup, SessionTargetOf(rSelectedSessionInfo.sReportID)};
    r.rSnapshot = MakeChartSnapshot(
        {GetText(kTxtAnalysisDateLabel, iLNG), AnalysisDateText(rSelectedSessionInfo.dtDateTime)},
        DatabaseView->SessionInfoSnapshotRows(),
        SnapshotRowsOf(sgDBLoudnessConfig->model(), kSnapshotLoudnessConfigRows),
        SnapshotRowsOf(sgDBLoudnessMax->model(), kSnapshotStatisticsRows));
    // The rows the level table shows, when they are the selected session's: its load's session through
    // its filter.
    const TLevelTable& Table = DatabaseView->LevelData().LevelTable();
    r.sSessionId = ChartableSession(Table, rSelectedSessionInfo.sReportID);
    r.rDataFilter = Table.DataFilterInForce();
    r.slDataFilter = Table.DataFilterTexts(iLNG);
    r.fnLoadRows = [this](const QString& sSessionId, const TSQLFilter& rFilter, TLevelData& rRows,
                          const TProgressPump& fnPump) {
        return LoadChartRows(Ctrl.SQLConnection, sSessionId, rFilter, rRows, fnPump);
    };
    r.fnLoadGaps = [this](const QString& sSessionId) {
        QList<TSessionGap> aGaps;
        ReadSessionGaps(Ctrl.SQLConnection, sSessionId, aGaps);
        return aGaps;
    };
    ChartTabs->MakeChartTab(r);
}

std::optional<TLoudnessStandard> TfrmMain::SessionTargetOf(const QString& sReportId) {
    TComplianceStore Compliance(Ctrl.SQLConnection);
    TLoudnessStandard rTarget;
    // A target that cannot be read is no reason to refuse the chart: it shows the default, and the log says.
    if (!Compliance.ReadTargetOf(sReportId, Ctrl.Settings.rComplianceOptions, rTarget))
        Ctrl.AddLog(-1, "The session's own target could not be read: " + Compliance.LastError() + "|3");
    return rTarget;
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
    if (!Windows.frmOptions)
        return;
    const TComplianceOptions rTargetsBefore = Ctrl.Settings.rComplianceOptions;
    Windows.frmOptions->exec();
    // The loaded session may be judged against the default target or the Custom figures just changed.
    // and the list's marks hold only for verdicts computed against the targets now in force.
    if (Ctrl.Settings.rComplianceOptions != rTargetsBefore) {
        DatabaseView->LevelData().JudgeAgain();
        DatabaseView->RefreshSessionList();
    }
}

void TfrmMain::ShowChangedSettings() {
    const bool bOffered = Ctrl.Settings.TCCtrl.OptionEnabled;
    chkAutoStart->setVisible(bOffered);
    mnuTCControl->setVisible(bOffered);
    mnuTCControl->setEnabled(bOffered);
    // A hidden check box cannot be unchecked by the user: timecode control is switched off with it.
    if (!bOffered && chkAutoStart->isChecked()) {
        chkAutoStart->setChecked(false);
        LoggingView->chkAutoStartClick();
    }
    UpdateGUIStrings();
    sgDBData->viewport()->update();
    TLiveChart* Chart = LoggingView->ChartLogging;
    if (Chart->legend->visible()) {
        LoggingView->RefreshChartLoggingSettings();
        Chart->RefreshNow();
    }
}

void TfrmMain::NotifySettingsChanged() {
    ShowChangedSettings();
    if (iAnnouncedLanguage != iLNG) {
        iAnnouncedLanguage = iLNG;
        Q_EMIT ServiceSignals.LanguageChanged(iLNG);
    }
    Q_EMIT ServiceSignals.SettingsChanged();
}

void TfrmMain::ReloadSettings() {
    ReadIni();
    // The database was opened anew: its sessions are listed again and nothing stays loaded.
    if (Ctrl.SQLConnection.Connected())
        DatabaseView->DatabaseOpened();
    NotifySettingsChanged();
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

bool TfrmMain::EditSelectedSessionInfo(std::optional<TLoudnessStandard>& rTarget) {
    return Windows.frmSessionInfo && Windows.frmSessionInfo->ExecuteEditSession(rTarget);
}

bool TfrmMain::AskSessionFilter(TSessionListFilter& rFilter) {
    if (!Windows.frmFilterSessions || !Windows.frmFilterSessions->Execute())
        return false;
    rFilter = BuildSessionListFilter(Windows.frmFilterSessions->FilterInput());
    return true;
}

bool TfrmMain::AskDataFilter(const QString& sUnit) {
    if (!Windows.frmFilter)
        return false;
    Windows.frmFilter->SetLoudnessUnit(sUnit);
    return Windows.frmFilter->Execute();
}

void TfrmMain::BeginLongOperation(int iEntry) {
    LongOperation->Begin(Windows.frmWait, iEntry);
}

void TfrmMain::EndLongOperation() {
    LongOperation->End();
}

bool TfrmMain::PumpLongOperation(qint64 iDone, qint64 iTotal) {
    return LongOperation->Pump(iDone, iTotal);
}

void TfrmMain::ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                                const QString& sDetail) {
    ShowTextMessage(iEntry, iKind, iButtons, sArg, sDetail);
}

int TfrmMain::ShowTextMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                              const QString& sDetail) {
    const QString sText = FormatText(GetText(iEntry, iLNG), {sArg});
    return ShowMessageBox(sDetail.isEmpty() ? sText : sText + QStringLiteral("\r\r") + sDetail, iKind,
                          iButtons);
}

void TfrmMain::UpdateGUIStrings() {
    const auto T = [this](int iEntry) { return GetText(iEntry, iLNG); };
    mnuFiles->setTitle(T(kTxtFileMenu));
    mnuInstrumentSelect->setText(T(kTxtManageInstrumentsMenu));
    mnuDBSelect->setText(T(kTxtManageDatabasesMenu));
    mnuExit->setText(T(kTxtExitMenu));
    mnuTools->setTitle(T(kTxtToolsMenu));
    mnuOptions->setText(T(kTxtOptionsMenu));
    mnuHelp->setTitle(T(kTxtHelpMenu));
    mnuAbout->setText(T(kTxtAboutMenu));
    mnuTCControl->setText(T(kTxtTimecodeControlMenu));
    LoggingView->UpdateGUIStrings();
    DatabaseView->UpdateGUIStrings();
    ExportMenu->UpdateGUIStrings();
    PageCtrl->setTabText(0, T(kTxtLoggingTab));
    PageCtrl->setTabText(1, T(kTxtDatabaseTab));
    if (Windows.frmChart)
        Windows.frmChart->UpdateCaption(iLNG);
    ChartTabs->UpdateGUIStrings();
}

void TfrmMain::SetMainGUI(int iState) {
    if (Windows.frmOptions)
        Windows.frmOptions->SetMainGUI(iState);
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
        DatabaseView->SetMainGUI(iState);
        break;
    case kGUINoDatabase:
        for (QPushButton* b : {btnConnect, btnStartLog, btnStopLog})
            b->setEnabled(false);
        LoggingView->SetStartButtonCaption(kTxtStartLogging);
        DatabaseView->SetMainGUI(iState);
        StatusPanels[1]->clear();
        break;
    case kGUIDatabase:
        btnConnect->setEnabled(true);
        DatabaseView->SetMainGUI(iState);
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

void TfrmMain::ClearMeterValues() {
    LoggingView->ClearMeterValues();
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
    // Taken through the dialog, so that its edits, which the next session starts from, hold the cleaned
    // texts the session gets.
    TSessionInfo rTaken;
    Windows.frmSessionInfo->TakeSessionTexts(rTaken);
    rTexts = SessionTextsOf(rTaken);
    Ctrl.SessionTargets.SetNextTarget(Windows.frmSessionInfo->NewSessionTarget());
    return true;
}

void TfrmMain::ShowWait(const QString& sText, bool bFadeIn) {
    TfrmWait* frmWait = Windows.frmWait;
    if (!frmWait)
        return;
    if (bFadeIn)
        frmWait->SetAlphaBlendValue(0);
    if (!sText.isEmpty())
        frmWait->SetWaitText(sText);
    frmWait->ShowWait();
}

void TfrmMain::SetStatusText(int iPanel, const QString& sText) {
    if (iPanel < 0 || iPanel >= kPanelCount)
        return;
    StatusPanels[iPanel]->setText(sText);
    // The panel shows the database's path shortened; the whole path is a hover away.
    if (iPanel == kPanelDatabase)
        StatusPanels[iPanel]->setToolTip(sText.isEmpty() ? QString() : Ctrl.Settings.sDatabaseFileName);
}

void TfrmMain::SetWaitTextEntry(int iEntry) {
    if (Windows.frmWait)
        Windows.frmWait->SetWaitTextEntry(iEntry);
}

void TfrmMain::CloseWaitWindow() {
    if (Windows.frmWait)
        Windows.frmWait->close();
}

bool TfrmMain::ConfirmEntry(int iEntry, const QString& sArg) {
    return MessageBox->ShowMessageBox(FormatText(GetText(iEntry, iLNG), {sArg}), kMsgConfirmation,
                                      kMsgBtnYes | kMsgBtnNo, kMsgResultNo) == kMsgResultYes;
}

void TfrmMain::CheckSessionInfoChanges(TSessionInfo& rSessionInfo) {
    const auto Cell = [this](int iRow) {
        const QTableWidgetItem* Item = sgSessionInfo->item(iRow, 1);
        return Item ? Item->text() : QString();
    };
    TSessionTexts rGrid{Cell(1), Cell(2), Cell(3), Cell(4), Cell(5)};
    // Unanswered (the program ending on a signal), the edited texts are kept: they are the user's work.
    const auto Ask = [this](const QString& sText, int iKind, int iButtons) {
        return MessageBox->ShowMessageBox(sText, iKind, iButtons, kMsgResultYes);
    };
    if (!::CheckSessionInfoChanges(rGrid, rSessionInfo, iLNG, Ask))
        return;
    const QString aCleaned[] = {rGrid.sShowTitle, rGrid.sShowNumber, rGrid.sOperatorName, rGrid.sFormat,
                                rGrid.sNotes};
    for (int iRow = 1; iRow <= 5; ++iRow)
        SetCell(sgSessionInfo, iRow, 1, aCleaned[iRow - 1]);
}
