#pragma once

#include "core/AppServices.h"

#include <QStringList>
#include <map>
#include <vector>

namespace qxtest {

// The program's services without a main window: records the messages, window states, status texts and
// log lines asked for, and answers every message box with iAnswer. The settings are the caller's.
class TRecordingServices : public IAppServices {
public:
    explicit TRecordingServices(TSettings& rSettingsIn) : rSettings(rSettingsIn) {}

    int ShowMessageBox(const QString& sText, int iKind, int) override {
        slMessages << sText;
        aKinds.push_back(iKind);
        return iAnswer;
    }
    int ShowTextMessage(int iEntry, int iKind, int iButtons, const QString& sArg, const QString&) override {
        aEntries.push_back(iEntry);
        return ShowMessageBox(sArg, iKind, iButtons);
    }
    void BeginLongOperation(int iEntry) override { aLongOperations.push_back(iEntry); }
    void EndLongOperation() override { aLongOperations.push_back(-1); }
    int Language() const override { return rSettings.iLNG; }
    void SetStatusText(int iPanel, const QString& sText) override { mStatus[iPanel] = sText; }
    void SetMainGUI(int iState) override { aStates.push_back(iState); }
    void ShowWait(const QString& sText, bool) override {
        slWaitTexts << sText;
        bWaitShown = true;
    }
    void CloseWaitWindow() override { bWaitShown = false; }
    void AddLog(const QString& sLine) override { slLog << sLine; }
    TSettings& Settings() override { return rSettings; }
    QString SettingsFile() const override { return {}; }
    QString DataFolderPath() const override { return {}; }
    void NotifySettingsChanged() override { Q_EMIT Announcer.SettingsChanged(); }
    void ReloadSettings() override { NotifySettingsChanged(); }
    TAppServiceSignals& Signals() override { return Announcer; }

    TSettings& rSettings;
    int iAnswer = 1;
    QStringList slMessages;
    std::vector<int> aKinds;
    std::vector<int> aEntries;
    std::vector<int> aStates;
    std::vector<int> aLongOperations;
    std::map<int, QString> mStatus;
    QStringList slLog;
    QStringList slWaitTexts;
    bool bWaitShown = false;
    TAppServiceSignals Announcer;
};

} // namespace qxtest
