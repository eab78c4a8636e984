#pragma once

#include "app/AppWindows.h"
#include "app/MainController.h"
#include "core/AppServices.h"
#include "core/MainView.h"
#include "dialogs/LongOperationWindow.h"
#include "engine/LiveLoggingView.h"
#include "export/ExportMenu.h"
#include "review/ChartTableLink.h"
#include "review/ChartTabs.h"
#include "review/DatabaseView.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableView;
class QTableWidget;
class TMessageBox;
class TLevelTableExportSource;

// The main window: the logging and database tabs, the main menu and the status bar. The program-wide state
// lives in its controller `Ctrl`; the window presents it and delegates every decision. It is the program's
// services (IAppServices) for every other window.
class TfrmMain : public QMainWindow,
                 public IAppServices,
                 public IMainView,
                 public ILiveLoggingHost,
                 public IDatabaseViewHost {
    Q_OBJECT
public:
    // sDataFolder: where settings, engine trace and port links live; empty for the user's own data folder.
    explicit TfrmMain(QWidget* parent = nullptr, const QString& sDataFolder = QString());
    ~TfrmMain() override;

    // The other windows, known once they are all created.
    void SetWindows(const TAppWindows& rWindows);

    // Closes as the user's close would, answering Yes to the question about a running session and every
    // later question with its unattended answer: a logout or a kill must never lose the session or the
    // settings, nor wait for a person.
    void CloseWithoutAsking();
    // Presses Connect, and with bStartLogging also Start once the meter is ready (the first time only):
    // an unattended station's start.
    void ConnectAtStart(bool bStartLogging);

    void UpdateGUIStrings();
    // Reads the settings and applies those the window shows: placement, page, timecode control.
    bool ReadIni();
    // Puts the window's placement into the settings and writes them; a failure reaches the user.
    void WriteIni();
    void SetMainGUI(int iState) override;
    // Shows what the options dialog may have changed: timecode control offered or not, the language, the
    // level table's colours and columns, the live chart's pens and axes.
    void ShowChangedSettings();

    // IAppServices
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) override;
    int ShowTextMessage(int iEntry, int iKind, int iButtons, const QString& sArg = QString(),
                        const QString& sDetail = QString()) override;
    int Language() const override { return iLNG; }
    void SetStatusText(int iPanel, const QString& sText) override;
    void ShowWait(const QString& sText, bool bFadeIn) override;
    void CloseWaitWindow() override;
    void AddLog(const QString& sLine) override { Ctrl.AddLog(-1, sLine); }
    TSettings& Settings() override { return Ctrl.Settings; }
    QString SettingsFile() const override { return Ctrl.sINI; }
    QString DataFolderPath() const override { return Ctrl.sDataFolder; }
    void NotifySettingsChanged() override;
    void ReloadSettings() override;
    TAppServiceSignals& Signals() override { return ServiceSignals; }
    void BeginLongOperation(int iEntry) override;
    void EndLongOperation() override;
    bool PumpLongOperation(qint64 iDone, qint64 iTotal) override;

    TMainController Ctrl;
    // The interface language: 0 English, 1 Danish (held with the settings).
    int& iLNG = Ctrl.Settings.iLNG;
    std::unique_ptr<TMessageBox> MessageBox;
    TAppWindows Windows;
    // The stored session selected on the database tab.
    TSessionInfo rSelectedSessionInfo;
    // Counter of the review chart tabs.
    int iTabId = 0;
    TChartTabs* ChartTabs = nullptr;
    // From a chart tab to the level table: "Filter to this range" and a double-clicked point.
    TChartTableLink* ChartTableLink = nullptr;

    // Main menu.
    QMenu* mnuFiles = nullptr;
    QAction* mnuInstrumentSelect = nullptr;
    QAction* mnuDBSelect = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuTCControl = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuLicense = nullptr;
    QAction* mnuAbout = nullptr;

    QTabWidget* PageCtrl = nullptr;
    QWidget* tabLogging = nullptr;
    QWidget* tabDB = nullptr;

    // Logging tab; the controls are the view's.
    TLiveLoggingView* LoggingView = nullptr;
    QPushButton* btnConnect = nullptr;
    QPushButton* btnStartLog = nullptr;
    QPushButton* btnStopLog = nullptr;
    QCheckBox* chkAutoStart = nullptr;
    QLabel* lblTimeCode = nullptr;
    QLabel* imgStat = nullptr;
    QTableWidget* sgInstrumentInfo = nullptr;
    QTableWidget* sgSessionInfo = nullptr;
    QTableWidget* sgLoudnessCFG = nullptr;
    QTableWidget* sgLoudnessData = nullptr;

    // Database tab; the controls are the view's.
    TDatabaseView* DatabaseView = nullptr;
    QPushButton* btnRefreshSessions = nullptr;
    QPushButton* btnSortSessions = nullptr;
    QPushButton* btnFilterData = nullptr;
    QPushButton* btnChart = nullptr;
    QPushButton* btnExport = nullptr;
    QTableView* sgSessions = nullptr;
    QTableWidget* sgDBSessionInfo = nullptr;
    QTableWidget* sgDBLoudnessConfig = nullptr;
    QTableWidget* sgDBLoudnessMax = nullptr;
    QTableView* sgDBData = nullptr;
    // The Export button's popup and the exports behind it, reading the loaded session and level table.
    std::unique_ptr<TLevelTableExportSource> ExportSource;
    TExportMenu* ExportMenu = nullptr;
    // The wait window, progress and Cancel of the long operations.
    TLongOperationWindow* LongOperation = nullptr;

    // Status bar panels 0 to 3.
    QLabel* StatusPanels[kPanelCount] = {};

    // Private message posted by FormShow and handled once the window is on screen.
    static constexpr int kCheckDatabaseMessage = 1324;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void WMCheckDatabase();
    void FormResize();
    bool FormCloseQuery();
    void FormClose();

    void CreateMenus();
    void CreateLoggingTab();
    void CreateDatabaseTab();
    void CreateExportMenu();
    void CreateStatusBar();
    void ApplyWindowSettings();

    void mnuInstrumentSelectClick();
    void mnuDBSelectClick();
    void mnuOptionsClick();
    void mnuTCControlClick();
    void mnuLicenseClick();
    void mnuAboutClick();
    void btnStopLogClick();
    void btnChartClick();
    // The target a session is judged against: its own, or the program's default.
    std::optional<TLoudnessStandard> SessionTargetOf(const QString& sReportId);

    // IMainView
    void UpdateSGInstrumentInfo() override;
    void UpdateSGLoudnessSetup() override;
    void UpdateSGLoudnessData() override;
    void ShowSessionStarted() override;
    void ShowTimeCode(const QString& sTimeCode) override;
    void ClearMeterValues() override;
    void SetBlinking(bool bOn) override;
    void SetStatusPicture(TStatusPicture ePicture) override;
    void SetStartButtonCaption(int iEntry) override;
    bool IsPauseAvailable() const override;
    void SetWaitTextEntry(int iEntry) override;
    void CheckSessionInfoChanges(TSessionInfo& rSessionInfo) override;
    bool ConfirmEntry(int iEntry, const QString& sArg) override;

    // ILiveLoggingHost
    void ShowInstrumentManager() override;
    bool AskNewSessionInfo(TSessionTexts& rTexts) override;
    void ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                          const QString& sDetail) override;

    // IDatabaseViewHost
    bool EditSelectedSessionInfo(std::optional<TLoudnessStandard>& rTarget) override;
    bool AskSessionFilter(TSessionListFilter& rFilter) override;
    bool AskDataFilter(const QString& sUnit) override;

    TAppServiceSignals ServiceSignals;
    // The language the last settings change announced.
    int iAnnouncedLanguage = -1;
    bool bShown = false;
    bool bAnswerYesToQuit = false;
    bool bClosing = false;
};
