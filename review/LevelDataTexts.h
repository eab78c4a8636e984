#pragma once

// Text table entries of the level data table, its statistics and the data filter dialog.
enum TLevelDataText : int {
    kTxtReset = 12,
    // " dBFS": the unit of the peak statistics.
    kTxtPeakUnit = 262,
    kTxtNoMatchingData = 266,
    kTxtLoadingData = 278,
    kTxtExceptionRaised = 294,
    kTxtFilterDataCaption = 348,
    kTxtTimecodeInterval = 350,
    kTxtStart = 352,
    kTxtEnd = 354,
    kTxtLoudnessHigh = 356,
    kTxtLoudnessLow = 358,
    kTxtAbove = 360,
    kTxtBelow = 362,
    kTxtInvalidPeakLevel = 364,
    kTxtInvalidLoudnessHighLevel = 366,
    kTxtInvalidLoudnessLowLevel = 368,
    kTxtInvalidIntegratingLevel = 370,
};
