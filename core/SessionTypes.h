#pragma once

#include <QDateTime>
#include <QString>

// The meter's loudness configuration of a session, as read from the meter and stored with the session.
// Index values are the meter's; their display names come from the text table's name lists.
struct TLoudnessSetup {
    int iPeakMode = 0;
    int iCapture = 0;
    int iScaleMode = 0;
    int iReference = 0;
    int iSlidingWindow = 0;
    double fGateLevel = 0.0;
    double fReferenceLevel = 0.0;
    double fMeterPeakLevel = 0.0;
    // Not stored in the database.
    double fMeterPeakBarLevel = 0.0;
    // Not stored in the database.
    int nUnknown = 0;
    int iFilter = 0;
    int iGateMode = 0;
    // The fields hold values read from the meter.
    bool bValid = false;
};

// The header of one logging session: one row of qxr_sessions.
struct TSessionInfo {
    QString sReportID;
    QString sReportVersion;
    // Julian date of the row's last update (the analysis date).
    double dtDateTime = 0.0;
    // Julian date at which the session's first level row was stored; read with the session list, never
    // written with the session row. dtDateTime when the session has no level rows.
    double dtRecordingStart = 0.0;
    QString sInstrument;
    QString sShowTitle;
    QString sShowNumber;
    QString sOperatorName;
    QString sFormat;
    QString sTimeCodeStart;
    QString sTimeCodeEnd;
    QString sNotes;
    TLoudnessSetup rLoudnessSetup;
};

// A stretch of a session the meter could not report (its link was lost or it fell silent) before logging
// resumed into the same session: the timecodes of the last row stored before and the first row stored
// after, the local date-times they arrived, and why, in words.
struct TSessionGap {
    QString sReportId;
    QString sTimeCodeBefore;
    QString sTimeCodeAfter;
    QDateTime dtBefore;
    QDateTime dtAfter;
    QString sReason;
    bool operator==(const TSessionGap&) const = default;
};

// The meter's codes of the loudness setup that judging a session depends on.
inline constexpr int kPeakModeDigital = 0;
inline constexpr int kPeakModeTruePeak = 1;
inline constexpr int kScaleModeLU = 0;
inline constexpr int kScaleModeLUFS = 1;
inline constexpr int kScaleModeLKFS = 2;
inline constexpr int kFilterKFilter = 1;
inline constexpr int kSlidingWindow3Seconds = 1;
