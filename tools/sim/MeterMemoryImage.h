#pragma once

#include "core/SessionTypes.h"
#include "tools/sim/SimMemoryImage.h"

// How the simulated memory-pool meter lays out its memory. The defaults give a meter with eleven presets
// whose power-up preset 0 carries the loudness setup in module 5.
struct TMeterMemoryImageOptions {
    // Address of the main pool table, published at the meter's fixed pool address location.
    quint32 iMainPoolAddr = 0x00018000;
    // Where the RAM tables and the flash data of the presets are placed.
    quint32 iRamBase = 0x00020000;
    quint32 iFlashBase = 0x00100000;
    // Screen the meter shows, at its fixed screen number location.
    quint16 iScreenNo = 1;
    // RAM address of the loudness logging buffer (record 1 of the logging directory).
    quint32 lLoggingDataAddress = 0x00040000;
    // Module of each preset that holds the loudness configuration: 5, or 6 for the meters and software
    // packages that keep it there. The other of the two holds a different configuration.
    int iLoudnessModule = 5;
    // Preset active after power-up; only its loudness module carries the setup, the others differ from it.
    // A number at or above iPresetCount names a preset the meter does not have.
    quint8 iPowerupPreset = 0;
    // 1 to 64 presets of 7 to 64 modules each.
    int iPresetCount = 11;
    int iModuleCount = 8;
    // Entries of the global memory arrays (at least 2: entry 1 is the power-up configuration).
    int iGlobalArrayCount = 4;
    // The display record.
    quint16 iDisplayXlo = 0;
    quint16 iDisplayYlo = 0;
    quint16 iDisplayXSize = 320;
    quint16 iDisplayYSize = 240;
    quint16 iDisplayActive = 0;
    quint32 lDisplayAddress = 0x00050000;
};

// Lays out a consistent memory image of a memory-pool meter whose power-up preset measures with Setup: the
// pool table, global arrays, power-up configuration, preset directory, module tables, preset flash data,
// logging directory, display record and screen number. Levels are stored as tenths of a decibel below zero
// and must lie between -25.5 and 0 dB; codes between 0 and 255 (values outside are clamped).
TSimMemoryImage BuildMeterMemoryImage(const TLoudnessSetup& Setup,
                                      const TMeterMemoryImageOptions& Options = {});
