#pragma once

#include "dialogs/SessionTexts.h"

#include "core/MainView.h"
#include "engine/LoggingControl.h"

#include <QColor>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class TInfoGrid;
class TLiveChart;
class TLiveTargetPanel;
class IAppServices;

// The windows the logging tab's commands open, which the main window owns.
class ILiveLoggingHost {
public:
    virtual ~ILiveLoggingHost() = default;
    // The instrument manager, modally.
    virtual void ShowInstrumentManager() = 0;
    // The session information dialog for a new session, modally: true when the user confirmed, with the
    // texts typed (possibly holding characters a session text must not hold).
    virtual bool AskNewSessionInfo(TSessionTexts& rTexts) = 0;
};

// The logging tab: the operator's console during a session. Buttons that connect, start, pause, resume and
// stop; the running timecode with a status picture; four grids with the session, the instrument and its
// status, the meter's loudness configuration and the latest levels; and the live chart. It shows the
// logging side's state and hands the user's commands to it; settings, language, message box, status bar
// and window states come from the program's services.
class TLiveLoggingView : public QWidget {
    Q_OBJECT
public:
    TLiveLoggingView(ILoggingControl& rControl, IAppServices& rServices, ILiveLoggingHost& rHost,
                     QWidget* parent = nullptr);

    QPushButton* btnConnect = nullptr;
    QPushButton* btnStartLog = nullptr;
    QPushButton* btnStopLog = nullptr;
    QCheckBox* chkAutoStart = nullptr;
    QLabel* lblTimeCode = nullptr;
    QLabel* imgStat = nullptr;
    QTimer* tmrBlink = nullptr;
    TInfoGrid* sgSessionInfo = nullptr;
    TInfoGrid* sgInstrumentInfo = nullptr;
    TInfoGrid* sgLoudnessCFG = nullptr;
    TInfoGrid* sgLoudnessData = nullptr;
    // The running session against its delivery target.
    TLiveTargetPanel* pnlLiveTarget = nullptr;
    TLiveChart* ChartLogging = nullptr;

    static constexpr int kBlinkIntervalMs = 500;

    void btnConnectClick();
    void btnStartLogClick();
    void btnStopLogClick();
    void chkAutoStartClick();
    void tmrBlinkTimer();

    // Whether the connected meter can pause, from its identification.
    bool IsPauseAvailable() const;
    // The tab's part of the main window's states 0 to 3; other states leave the tab alone.
    void SetMainGUI(int iState);
    // Captions and grid labels in the current language, the values shown again.
    void UpdateGUIStrings();
    void ApplyGridLabels();

    void UpdateSGSessionInfo();
    void UpdateSGInstrumentInfo();
    void UpdateSGLoudnessSetup();
    // Shows the latest level record in the grid, adds it to the chart and shows its timecode.
    void UpdateSGLoudnessData();
    // Shows the latest level record's values in the grid only (after a change of labels).
    void ShowLoudnessValues();
    void ShowSessionStarted();
    // Shows the running session against its target, as the rows stored so far judge it.
    void ShowLiveTarget();
    void ShowTimeCode(const QString& sTimeCode);
    // Another meter connects: the previous meter's values, configuration, session texts and chart go.
    void ClearMeterValues();
    void SetBlinking(bool bOn);
    void SetStatusPicture(IMainView::TStatusPicture ePicture);
    void SetStartButtonCaption(int iEntry);
    void RefreshChartLoggingSettings();
    // The legend rule applied to the live chart, after a click on series iSeries shows or hides it.
    void ChartLoggingClickLegend(int iSeries);

    // Which status picture imgStat shows now.
    IMainView::TStatusPicture StatusPicture() const { return eStatusPicture; }

private:
    void CreateControls();
    QString T(int iEntry) const;
    void SetConnectButton(bool bConnected);
    void SetStartButtonPause(bool bPause);
    void FitButtonWidths();

    ILoggingControl& Control;
    IAppServices& Services;
    ILiveLoggingHost& Host;
    IMainView::TStatusPicture eStatusPicture = IMainView::StatusStopped;
    // Text table entry of the start button's caption: start, pause or resume.
    int iStartCaption = 216;
};

// The colour of the instrument grid's status text, by its content in language iLNG.
QColor InstrumentStatusColor(const QString& sText, int iLNG);
