#pragma once

#include "compliance/Verdict.h"
#include "core/LongOperationHost.h"
#include "core/SessionTypes.h"
#include "review/LevelTable.h"

#include <QObject>
#include <QString>

class QAbstractButton;
class QLabel;
class QPushButton;
class QTableView;
class TInfoGrid;
class TfrmGoToTimecode;
class TdbSQLite;
struct TSettings;

// What the level data part of the Database tab needs from the session list beside it.
class ILevelDataHost : public ILongOperationHost {
public:
    // sSelectedSession: the session whose levels are loaded.
    virtual QString SelectedSessionId() const = 0;
    // The report identifier of the session list's current row.
    virtual QString ListRowSessionId() const = 0;
    // The session being recorded now (sCurrentSession), empty when none.
    virtual QString RecordingSessionId() const = 0;
    // The selected session's loudness unit: the scale mode row of the loudness configuration grid.
    virtual QString SelectedSessionUnit() const = 0;
    // The selected session's header: its loudness configuration and end timecode judge its rows.
    virtual const TSessionInfo& SelectedSession() const = 0;
    // A session's verdict was computed from all its rows and kept in the session database.
    virtual void VerdictKept(const QString& sReportId, TVerdictKind eKind) = 0;
    // Loaded levels make the session deletable (the list's Delete item).
    virtual void EnableSessionDelete() = 0;
    // The tab's button states kGUIReviewOff / kGUIReviewOn.
    virtual void SetReviewState(int iState) = 0;
    // The data filter dialog, modally, its loudness labels showing sUnit: true after OK, the settings'
    // filter options then holding what it shows.
    virtual bool AskDataFilter(const QString& sUnit) = 0;
};

// The level data table sgDBData, the statistics grid sgDBLoudnessMax and the Filter Data command of the
// Database tab, whose controls the tab lays out. It loads a session's levels into the grids and keeps the
// loaded data for the exports and the review charts (LevelTable()).
class TLevelDataView : public QObject {
    Q_OBJECT
public:
    struct TContext {
        TdbSQLite& DB;
        // Language, data options, colour rules and the filter dialog's state.
        const TSettings& Settings;
        QTableView* sgDBData;
        TInfoGrid* sgDBLoudnessMax;
        QPushButton* btnFilterData;
        // The line above the table naming the data filter in force, and the button that drops it.
        QLabel* lblDataFilter;
        QPushButton* btnClearDataFilter;
        // Step to the previous and next row outside the session's target; enabled while there is one.
        QAbstractButton* btnPreviousViolation;
        QAbstractButton* btnNextViolation;
    };

    TLevelDataView(const TContext& rContext, ILevelDataHost& rHost, QObject* parent);

    // The loaded rows, headers, statistics and the filter they were read with.
    const TLevelTable& LevelTable() const { return FTable; }
    // The filter of the last load: empty after an unfiltered load.
    const TSQLFilter& DataFilter() const { return FTable.DataFilter(); }
    // The timecode picked in the statistics grid.
    const QString& TCHighlight() const { return sTCHighlight; }

    // Lays out the headers and labels in the current language and data options; the loaded rows,
    // statistics and data filter stay and show in them.
    void UpdateGUIStrings();
    // A new session was selected: the table is emptied (the statistics stay until the next load).
    void ClearTable();
    // Another database was opened: the table, the statistics and the filter they were read with go.
    void Clear();
    // A double-click in the session list: every level row of the selected session.
    bool LoadSelectedSession();
    // Loads the selected session's levels through rFilter with the wait window showing and the main
    // window disabled; true when rows were found. When none were, or the user cancelled the load, the rows
    // shown and their filter stay.
    bool LoadDataToGrid(const TDataFilter& rFilter);
    // The same, telling how the load ended.
    TLevelTable::TLoadResult LoadRows(const TDataFilter& rFilter);
    // Asks for the data filter and loads the rows it selects; says so when none match.
    void btnFilterDataClick();
    // Drops the data filter in force: every row of the session again.
    void btnClearDataFilterClick();
    // Judges the loaded rows again against the session's target as it is now (the session's own target or
    // the program's default changed).
    void JudgeAgain();
    // Moves the table's current row to the next (or previous) row outside the target, starting again at
    // the other end; false when no loaded row violates the target.
    // Steps in the order the table shows its rows, sorted or not.
    bool GoToViolation(bool bForward);
    // Ctrl+G: asks for a timecode, starting from the current row's, and goes to it.
    void AskGoToTimecode();
    // Makes current the first row at sTimecode or after it in recorded order (FindTimecodeRow), wherever
    // the sort shows it; says so and returns false when there is none.
    bool GoToTimecode(const QString& sTimecode);
    // Makes current data row iDataRow (an index into the loaded rows in recorded order), wherever the sort
    // shows it, and scrolls it to the middle of the table; false outside the loaded rows.
    bool GoToDataRow(int iDataRow);
    TfrmGoToTimecode& GoToTimecodeDialog() { return *frmGoToTimecode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WriteStatistics();
    void EnableViolationButtons();
    // Spans each gap's separator row across the columns.
    void SpanSeparators();
    // Judges the loaded rows; a verdict from every row of a session that is not being recorded is kept,
    // so that the session list shows it without loading the rows.
    void JudgeLoadedRows();
    // The filter line: the conditions in force, hidden with its button when the rows are unfiltered.
    void ShowDataFilter();
    void sgDBLoudnessMaxMouseDown(int iRow);
    int Language() const;
    void sgDBLoudnessMaxDblClick();
    void sgDBDataMouseEnter();
    // Makes the view row of a data row current, in column iColumn, and scrolls it to ePosition.
    void ShowDataRow(int iDataRow, int iColumn, int ePosition);

    TContext Ctx;
    ILevelDataHost& Host;
    TLevelTable FTable;
    QString sTCHighlight;
    TfrmGoToTimecode* frmGoToTimecode;
};
