#pragma once

#include "core/SessionTypes.h"

#include <QString>

// The main window's control states (SetMainGUI).
enum TGUIState : int {
    kGUINoInstrument = 0,
    kGUIConnecting = 1,
    kGUIConnected = 2,
    kGUILogging = 3,
    kGUIReviewOff = 4,
    kGUIReviewOn = 5,
    kGUINoDatabase = 6,
    kGUIDatabase = 7,
};

// Status bar panels that show rows waiting for the database, the working database, the active instrument's
// serial number and host name, a lost link being reached again, and how many characters of the database's
// path fit.
inline constexpr int kPanelStore = 0;
inline constexpr int kPanelDatabase = 1;
inline constexpr int kPanelSerialNo = 2;
inline constexpr int kPanelHostName = 3;
inline constexpr int kPanelLink = 4;
inline constexpr int kPanelCount = 5;
inline constexpr int kDatabaseNameWidth = 30;

// What the main window's controller asks of the window. The window presents; the controller owns the state
// and decides. A test can stand in for the window with a recording view.
class IMainView {
public:
    enum TStatusPicture { StatusPlaying, StatusPaused, StatusStopped };

    virtual ~IMainView() = default;
    virtual void UpdateSGInstrumentInfo() {}
    virtual void UpdateSGLoudnessSetup() {}
    virtual void UpdateSGLoudnessData() {}
    // A stored session has begun: session grids and the timecode shown, live chart cleared.
    virtual void ShowSessionStarted() {}
    virtual void ShowTimeCode(const QString& sTimeCode) { (void)sTimeCode; }
    // Another meter than the last one is connecting: the measured values, loudness configuration, session
    // texts and chart of the previous one are cleared from the screen.
    virtual void ClearMeterValues() {}
    virtual void SetMainGUI(int iState) { (void)iState; }
    // Status bar panel 0 to kPanelCount - 1.
    virtual void SetStatusText(int iPanel, const QString& sText) { (void)iPanel, (void)sText; }
    // The wait window's text: a text table entry.
    virtual void SetWaitTextEntry(int iEntry) { (void)iEntry; }
    virtual void CloseWaitWindow() {}
    virtual void SetBlinking(bool bOn) { (void)bOn; }
    virtual void SetStatusPicture(TStatusPicture ePicture) { (void)ePicture; }
    virtual void SetStartButtonCaption(int iEntry) { (void)iEntry; }
    virtual bool IsPauseAvailable() const { return false; }
    // A message of the text table, entry iEntry, with %s / %d filled from sArg; sDetail, when there is one,
    // follows as a paragraph of its own.
    virtual void ShowEntryMessage(int iEntry, int iKind, int iButtons, const QString& sArg,
                                  const QString& sDetail = QString()) {
        (void)iEntry, (void)iKind, (void)iButtons, (void)sArg, (void)sDetail;
    }
    // A question of the text table, entry iEntry with %s filled from sArg, answered Yes or No; true for Yes.
    virtual bool ConfirmEntry(int iEntry, const QString& sArg) {
        (void)iEntry, (void)sArg;
        return false;
    }
    // Offers to keep the session texts edited in the live grid; may change rSessionInfo.
    virtual void CheckSessionInfoChanges(TSessionInfo& rSessionInfo) { (void)rSessionInfo; }
};
