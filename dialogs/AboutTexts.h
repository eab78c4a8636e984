#pragma once

#include "core/MainRecords.h"

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

// Registers the pictures and the legal document of the about box, the splash and the legal window; they
// live in the core library, whose resources are registered by hand.
void InitAboutResources();
