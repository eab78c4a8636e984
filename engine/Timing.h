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
    // Network link: the wait after a prompt or banner and the polls of WaitForRXString.
    int iLoginWaitMs = 250;
    int iRXStringPolls = 120;
};
