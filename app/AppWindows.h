#pragma once

class TfrmMain;
class TfrmSplash;
class TfrmTCControl;
class TfrmDBSelect;
class TfrmSessionInfo;
class TfrmInstrumentSelect;
class TfrmAddNetworkInstrument;
class TfrmWait;
class TfrmChart;
class TfrmFilter;
class TfrmOptions;
class TfrmAbout;
class TfrmLegalInfo;
class TfrmFilterSessions;

// Every window of the program, each created once at start and kept for the whole run. The main window
// reaches the others through this table.
struct TAppWindows {
    TfrmMain* frmMain = nullptr;
    // Destroys itself once it has faded out at start: not to be used afterwards.
    TfrmSplash* frmSplash = nullptr;
    TfrmTCControl* frmTCControl = nullptr;
    TfrmDBSelect* frmDBSelect = nullptr;
    TfrmSessionInfo* frmSessionInfo = nullptr;
    TfrmInstrumentSelect* frmInstrumentSelect = nullptr;
    TfrmAddNetworkInstrument* frmAddNetworkInstrument = nullptr;
    TfrmWait* frmWait = nullptr;
    TfrmChart* frmChart = nullptr;
    TfrmFilter* frmFilter = nullptr;
    TfrmOptions* frmOptions = nullptr;
    TfrmAbout* frmAbout = nullptr;
    TfrmLegalInfo* frmLegalInfo = nullptr;
    TfrmFilterSessions* frmFilterSessions = nullptr;
};
