#pragma once

#include "core/Settings.h"

class TChartTab;
class TExportMenu;

// The handler of a chart tab's two PDF items: asks for the file name (proposing the tab's session), writes
// the side-panel document (iTag 0) or the full page (iTag 1) from the tab's chart and snapshot with the wait
// window shown, says "File Access Denied, please select another filename." when it could not be written and
// opens the written file after the pause. The chart on screen is left as it was.
void ChartExportPDF(TExportMenu& rExport, const TSettings& rSettings, TChartTab& Tab, int iTag);
