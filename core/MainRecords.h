#pragma once

#include <QString>
#include <QStringList>

// The latest level record as the main window shows it live (the logging thread's own record type of the
// same meaning is the parser's).
struct TMainLoudnessData {
    QString sTimeCode;
    double nMeterPeakLimit = 0.0;
    double nMeterLowLimit = 0.0;
    double nLoudnessHi = 0.0;
    double nLoudnessLow = 0.0;
    double nLoudnessIntegrating = 0.0;
    double nInstantaneousPeak = 0.0;
    int iMeterTimeInterval = 0;
    int iPeakChannel = 0;
    int iPeakCount = 0;
    QStringList slViolatingRec;
};

// The meter's identification as the main window receives it from the logging thread.
struct TUDPInstrumentInfo {
    QString sTypeName;
    int iTypeNo = 0;
    int iSerialNo = 0;
    // Three fields this system leaves empty; the first integer goes into the session's instrument text.
    QString sReserved;
    int iReserved1 = 0;
    int iReserved2 = 0;
    int iSoftwarePackage = 0;
    int iRunVerMajor = 0;
    int iRunVerMinor = 0;
    int iFPGAVersion = 0;
    bool bValid = false;
};
