#pragma once

#include "app/MainRecords.h"

#include <QStringList>

// The about box's two columns of instrument lines, in a fixed-pitch font so that the padded labels line up
// at their colons.
struct TAboutInstrumentLines {
    // Instrument type and serial number.
    QStringList slLeft;
    // Software package, processor and FPGA versions.
    QStringList slRight;
};

// The lines of the meter identified last (rInfo); all empty while no meter has been identified.
TAboutInstrumentLines AboutInstrumentLines(const TUDPInstrumentInfo& rInfo);
