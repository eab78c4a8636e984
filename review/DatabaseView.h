#pragma once

#include "review/ChartData.h"
#include "review/LevelDataView.h"
#include "review/SessionBrowser.h"

#include <QWidget>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;
class QToolButton;
class TInfoGrid;
class TdbSQLite;
struct TSettings;

class IAppServices;

// The dialogs the database tab's commands open, which the main window owns.
class IDatabaseViewHost {
public:
    virtual ~IDatabaseViewHost() = default;
    // The session information dialog in edit mode over the selected session and its own target rTarget
    // (none: the program default), modally: true when the user accepted (the edited texts are then in the
    // selected session's header, and rTarget is the target chosen).
    virtual bool EditSelectedSessionInfo(std::optional<TLoudnessStandard>& rTarget) = 0;
    // The session filter dialog, modally: true after OK, with the filter it describes.
    virtual bool AskSessionFilter(TSessionListFilter& rFilter) = 0;
    // The data filter dialog, modally, its loudness labels showing sUnit: true after OK.
    virtual bool AskDataFilter(const QString& sUnit) = 0;
};

// What the database tab works with, owned by the main window.
struct TDatabaseViewContext {
    TdbSQLite& rDB;
    // The identifier of the session being recorded, empty when none.
    const QString& sCurrentSession;
    // The selected stored session's header, which the review, chart and export windows read.
    TSessionInfo& rSelectedSessionInfo;
};

// The database tab: the session list with its refresh and filter buttons and its popup, the selected
// session's description and loudness configuration, and (filled by the level data side) the session
// statistics and the level data table with their buttons. It shows what the session browser holds and
// hands the user's commands to it.
class TDatabaseView : public QWidget, private ILevelDataHost {
    Q_OBJECT
public:
    // The language, the data columns, the colour rules, the window states, the message box and the long
    // operations come from the program's services.
    TDatabaseView(const TDatabaseViewContext& rContext, IAppServices& rServices, IDatabaseViewHost& rHost,
                  QWidget* parent = nullptr);

    QPushButton* btnRefreshSessions = nullptr;
    QPushButton* btnSortSessions = nullptr;
    QTableView* sgSessions = nullptr;
    QMenu* popSessions = nullptr;
    QAction* actRefreshSessions = nullptr;
    QAction* popSessionRefresh = nullptr;
    QAction* popSessionFilter = nullptr;
    QAction* popSessionInfoEdit = nullptr;
    QAction* popSessionDelete = nullptr;
    TInfoGrid* sgDBSessionInfo = nullptr;
    TInfoGrid* sgDBLoudnessConfig = nullptr;

    // The level data side of the tab: the statistics grid, the level table and their buttons. Laid out
    // here; their content and commands belong to the level data view.
    TInfoGrid* sgDBLoudnessMax = nullptr;
    QTableView* sgDBData = nullptr;
    QPushButton* btnFilterData = nullptr;
    QPushButton* btnChart = nullptr;
    QPushButton* btnExport = nullptr;
    // Above the level table while a data filter is in force: its conditions, and the button that drops it.
    QLabel* lblDataFilter = nullptr;
    QPushButton* btnClearDataFilter = nullptr;
    // Step through the level rows outside the session's target; F3 and Shift+F3 do the same.
    QToolButton* btnPreviousViolation = nullptr;
    QToolButton* btnNextViolation = nullptr;
    QAction* actNextViolation = nullptr;
    QAction* actPreviousViolation = nullptr;
    // Ctrl+G: go to a timecode in the level table.
    QAction* actGoToTimecode = nullptr;

    TSessionBrowser& Browser() { return FBrowser; }
    // The level data side: the loaded levels, statistics and data filter, for the exports and charts.
    TLevelDataView& LevelData() { return *FLevelData; }

    // A database was opened or chosen: its sessions listed with the filter in force, the selected session
    // selected again when the file holds it; the level rows and statistics read from the file before are
    // put away and the level data's commands stay off until a session's rows are loaded.
    void DatabaseOpened();
    // Lists the sessions again with the filter in force, keeping the selected session (by its identifier)
    // and, when it is still listed, its loaded level rows; F5 does the same.
    void RefreshSessionList();
    // RefreshSessionList once the events being handled are done, however many sessions were stored meanwhile.
    void ScheduleSessionListRefresh();
    // The session information grid as a chart's snapshot keeps it: its title row, the description rows and
    // the notes, without the dates.
    std::vector<TSnapshotRow> SessionInfoSnapshotRows() const;

    void btnRefreshSessionsClick();
    void btnSortSessionsClick();
    void popSessionRefreshClick();
    void popSessionInfoEditClick();
    void popSessionDeleteClick();
    // Sets the popup items' enabled states, as just before it opens.
    void popSessionsPopup();
    // Makes the listed session sReportId the selected one, as a click on its row does; false when the list
    // does not hold it (another database, or the session filter leaves it out).
    bool SelectSession(const QString& sReportId);
    // List row iRow became the selected row.
    void sgSessionsSelectCell(int iRow);
    void sgSessionsDblClick();

    // The level data side calls this once the selected session's level rows are loaded: deleting the
    // session becomes possible, unless it is the one being recorded.
    void SessionDataLoaded();

    // The tab's part of the main window's states 4 to 7; other states leave the tab alone. Opening a
    // database (state 7) leaves no level data loaded: Filter Data, Chart and Export wait for a load.
    void SetMainGUI(int iState);
    // Captions, grid labels and the popup in the current language.
    void UpdateGUIStrings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QString T(int iEntry) const;
    int Language() const;
    // Makes row iRow the list's current row, which selects its session; -1 leaves no row selected.
    void SelectRow(int iRow);
    // Shows the selected session (or empty values when none) in the two information grids.
    void ShowSelectedSession();
    void ClearSessionGrids();
    void UpdateSessionListHint(const QPoint& Pos, const QPoint& GlobalPos);
    void UpdateLoudnessConfigHint(const QPoint& Pos, const QPoint& GlobalPos);
    void FitSessionInfoNotesRow();

    // The level data side's share of the labels and of the empty state.
    void ApplyLevelDataLabels();
    void ClearLevelData();

    // ILevelDataHost
    QString SelectedSessionId() const override;
    QString ListRowSessionId() const override;
    QString RecordingSessionId() const override;
    QString SelectedSessionUnit() const override;
    const TSessionInfo& SelectedSession() const override;
    void VerdictKept(const QString& sReportId, TVerdictKind eKind) override;
    void EnableSessionDelete() override;
    void SetReviewState(int iState) override;
    int ShowMessageBox(const QString& sText, int iKind, int iButtons) override;
    bool AskDataFilter(const QString& sUnit) override;
    void BeginLongOperation(int iEntry) override;
    void EndLongOperation() override;
    bool PumpLongOperation(qint64 iDone, qint64 iTotal) override;

    TDatabaseViewContext Context;
    IAppServices& Services;
    IDatabaseViewHost& Host;
    TSessionBrowser FBrowser;
    TLevelDataView* FLevelData = nullptr;
    QTimer* tmrRefreshSessions = nullptr;
    // The list's current row is being put back after a refresh: no new selection.
    bool bRestoringSelection = false;
    QString sSessionListHint;
    QString sLoudnessConfigHint;
};
