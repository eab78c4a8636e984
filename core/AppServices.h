#pragma once

#include "core/LongOperationHost.h"
#include "core/Settings.h"

#include <QObject>
#include <QString>

// The announcements of the program's services: windows connect to them instead of being called by name.
class TAppServiceSignals : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    // The interface language has changed to iLNG (0 English, 1 Danish).
    void LanguageChanged(int iLNG);
    // The settings have been changed and applied (after the options dialog, or the defaults restored).
    void SettingsChanged();
};

// The main window's services as every other window reaches them: handed out once at start-up, so that no
// window needs the main window's fields. The main window implements it; a test stands in with a recording
// implementation.
class IAppServices : public ILongOperationHost {
public:
    // ShowMessageBox, BeginLongOperation and EndLongOperation come from ILongOperationHost.

    // A message of the text table, entry iEntry, with %s / %d filled from sArg; sDetail, when there is one,
    // follows as a paragraph of its own. Returns the button chosen.
    virtual int ShowTextMessage(int iEntry, int iKind, int iButtons, const QString& sArg = QString(),
                                const QString& sDetail = QString()) = 0;
    // The interface language: 0 English, 1 Danish.
    virtual int Language() const = 0;
    // Status bar panel 0 to 3 of the main window.
    virtual void SetStatusText(int iPanel, const QString& sText) = 0;
    // The main window's control states (TGUIState).
    virtual void SetMainGUI(int iState) = 0;
    // The wait window, without modality: with sText (the text it has when empty); bFadeIn starts it fully
    // transparent.
    virtual void ShowWait(const QString& sText, bool bFadeIn) = 0;
    virtual void CloseWaitWindow() = 0;
    // One line of the engine log, with its level suffix ("...|1").
    virtual void AddLog(const QString& sLine) = 0;
    // Every setting of the program; windows edit them in place and announce a change with
    // NotifySettingsChanged.
    virtual TSettings& Settings() = 0;
    // The settings file, and where settings, engine trace and serial port links live.
    virtual QString SettingsFile() const = 0;
    virtual QString DataFolderPath() const = 0;
    // Shows the changed settings everywhere and emits SettingsChanged (and LanguageChanged when the
    // language changed).
    virtual void NotifySettingsChanged() = 0;
    // Reads the settings file again (the defaults once it has been deleted) and announces the change.
    virtual void ReloadSettings() = 0;
    virtual TAppServiceSignals& Signals() = 0;
};
