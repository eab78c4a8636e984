#pragma once

// Every wait, tick, try and time-out of the meter links and the logging engine in one place. The defaults are
// the program's real timing; tests shorten them instead of sleeping through real time-outs.
struct TTimingSettings {
    // Pause after each engine text datagram, the only pacing between the thread and the main window.
    int iDatagramPauseMs = 25;
    // Serial channel tick: the unit of the command table's waits.
    int iTickMs = 10;
    // Logging loop poll interval and how many empty polls in a row end a run.
    int iPollMs = 100;
    int iNoDataPolls = 300;
    // Starting a text meter: the pause after each of the three stop commands, then before the start command,
    // and the polls for its initialisation report.
    int iTextStopPauseMs = 250;
    int iTextStartPauseMs = 500;
    int iInitReportPolls = 40;
    int iInitReportPollMs = 250;
    // Network link: the wait after a prompt or banner and the polls of WaitForRXString.
    int iLoginWaitMs = 250;
    int iRXStringPolls = 120;
    // Network login: how long the connection and the banner may take in all.
    int iLoginTimeoutMs = 10000;
    // Serial command channel: every wait below is counted in ticks of iTickMs, as the meter's command
    // table gives them. iComTimeoutTicks is the channel's default Timeout.
    int iComTimeoutTicks = 100;
    int iModeTries = 5;
    int iModeAckTicks = 10;
    int iAckTicks = 100;
    int iStatusTicks = 150;
    int iVersionTicks = 500;
    int iEEPROMTicks = 100;
    int iMemoryReadTicks = 10000;
    // Longest wait for written bytes to leave for the port.
    int iWriteWaitMs = 1000;
};
