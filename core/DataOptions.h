#pragma once

// Which rows the live data grid and the statistics show, and which columns the level table has.
struct TDataOptions {
    bool bEnablePeakLevel = true;
    bool bEnablePeakLevelMin = false;
    bool bEnablePeakLevelMax = false;
    bool bEnablePeakChannel = true;
    bool bEnablePeakCount = true;
    bool bEnableShortTerm = true;
    bool bEnableShortTermMin = false;
    bool bEnableShortTermMax = false;
    bool bEnableIntegrating = true;
    bool bEnableIntegratingMin = false;
    bool bEnableIntegratingMax = false;
};
