#pragma once

#include "core/ColorValue.h"
#include "core/DataOptions.h"
#include "core/InstrumentInfo.h"
#include "core/LoudnessStandard.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <QVector>

// The program's settings as the main window holds them between reading the settings file at start and
// writing it at close. The dialogs edit these records directly.

enum class TFontStyle : unsigned {
    fsBold = 0x1,
    fsItalic = 0x2,
    fsUnderline = 0x4,
    fsStrikeOut = 0x8,
};
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

struct TFontRec {
    QString Name = QStringLiteral("Arial");
    int Size = 6;
    TFontStyles Style;
    TColorValue Color = clBlack;

    bool operator==(const TFontRec&) const = default;
};

// PDF level report and chart documents.
struct TPDFOptions {
    // Headline template; the placeholders are filled from the session.
    QString sHeadline = QStringLiteral("%TITLE% - %NUMBER% - %FORMAT%");
    QString sHeadline1;
    // Path of the logo picture.
    QString sUserImage;
    // Lines of the user's address block.
    QStringList slUserText;
    // Table row backgrounds.
    TColorValue clEvenLines = clSilver;
    TColorValue clOddLines = clWhite;
    // Table text and the text of values over the limit; edited and stored, not used by the documents.
    TFontRec FontNormal;
    TFontRec FontOverload{QStringLiteral("Arial"), 10, TFontStyle::fsBold, clRed};
    // Include the session information in a full-page chart document.
    bool bChartSessionInfo = true;

    bool operator==(const TPDFOptions&) const = default;
};

struct TCSVOptions {
    QString sCSVSeparationChar = QStringLiteral(";");
    QString sCSVDecimalChar = QStringLiteral(",");
    // Line end characters.
    bool bCSVLF = true;
    bool bCSVCR = true;
    // Include the session information block.
    bool bCSVSessionInfo = true;

    bool operator==(const TCSVOptions&) const = default;
};

// Review and live charts: axis ranges and cursor levels in the units of the level axes, series pens.
struct TChartOptions {
    double fLeftAxisMin = -80.0;
    double fLeftAxisMax = 0.0;
    double fRightAxisMin = -80.0;
    double fRightAxisMax = 0.0;
    double fCursor1 = 0.0;
    double fCursor2 = -60.0;
    bool bLeftAxisAutoScale = true;
    bool bRightAxisAutoScale = true;
    bool bCursor1Enable = false;
    bool bCursor1Visible = false;
    bool bCursor2Enable = false;
    bool bCursor2Visible = false;
    TColorValue clPeakColor = clBlue;
    TColorValue clIntColor = clGreen;
    TColorValue clSTMaxColor = 0x0080FF; // orange
    TColorValue clCursor1Color = clRed;
    TColorValue clCursor2Color = clGreen;
    // Pen widths, 1 to 9.
    int iPeakLineWidth = 1;
    int iIntLineWidth = 1;
    int iSTMaxLineWidth = 1;
    int iCursor1LineWidth = 1;
    int iCursor2LineWidth = 1;
    // Series shown.
    bool bPeakEnabled = true;
    bool bIntEnabled = true;
    bool bSTMaxEnabled = true;
    QString sCursor1Name = QStringLiteral("Cursor 1.");
    QString sCursor2Name = QStringLiteral("Cursor 2.");
    // A cursor's level is a peak level (dBFS), drawn against the peak axis; otherwise a loudness level.
    bool bCursor1PeakAxis = false;
    bool bCursor2PeakAxis = false;

    bool operator==(const TChartOptions&) const = default;
};

// One colour rule of a level table column.
struct TTableColorLevel {
    bool bEnabled = false;
    // Threshold level; not used by the default rule.
    double fLevel = 0.0;
    TColorValue clColor = clBlack;

    bool operator==(const TTableColorLevel&) const = default;
};

// The high rule, the default colour and the low rule of one column of the level data table.
struct TTableColorOptions {
    TTableColorLevel rMax{false, -6.0, clRed};
    TTableColorLevel rDefault{false, 0.0, clGreen};
    TTableColorLevel rMin{false, -80.0, clPurple};

    bool operator==(const TTableColorOptions&) const = default;
};

// Timecode control as the main window and its dialog hold it: times as texts hh:mm:ss:ff.
struct TTimecodeControl {
    // Timecode control is offered at all.
    bool OptionEnabled = true;
    // Timecode control switched on (the main window's auto-start check box).
    bool Enabled = false;
    bool EnabledStart = false;
    bool EnabledStop = false;
    // Set the meter's clock to the computer's clock when connecting.
    bool SyncRTC = true;
    QString TCStart = QStringLiteral("00:00:00:00");
    QString TCStop = QStringLiteral("00:00:00:00");
    // Never stored.
    QString TCPaused = QStringLiteral("00:00:00:00");

    bool operator==(const TTimecodeControl&) const = default;
};

// Position and size of a window. MonitorCount and ActivePage belong to the main window only.
struct TWindowPlacement {
    int X = 10;
    int Y = 10;
    int Width = 800;
    int Height = 600;
    // Monitors attached when the file was written; 0 when unknown. The caller sets the number attached now
    // before writing.
    int MonitorCount = 0;
    bool Maximized = false;
    // Page of the main window's page control: 0 logging, 1 database; a higher index (a chart tab) is
    // never written.
    int ActivePage = 0;

    bool operator==(const TWindowPlacement&) const = default;
};

// The stored states of the data filter dialog's controls; the level texts are checked when the filter is
// applied.
struct TFilterOptions {
    bool bEnableTCStart = false;
    bool bEnableTCEnd = false;
    bool bEnablePeakOver = false;
    bool bEnablePeakUnder = false;
    bool bEnableHiOver = false;
    bool bEnableHiUnder = false;
    bool bEnableLoOver = false;
    bool bEnableLoUnder = false;
    bool bEnableIntOver = false;
    bool bEnableIntUnder = false;
    QString sTCStart = QStringLiteral("00:00:00:00");
    QString sTCEnd = QStringLiteral("00:00:00:00");
    QString sPeakOver = QStringLiteral("-80.0");
    QString sPeakUnder = QStringLiteral("0.0");
    QString sHiOver = QStringLiteral("-80.0");
    QString sHiUnder = QStringLiteral("0.0");
    QString sLoOver = QStringLiteral("-80.0");
    QString sLoUnder = QStringLiteral("0.0");
    QString sIntOver = QStringLiteral("-80.0");
    QString sIntUnder = QStringLiteral("0.0");

    bool operator==(const TFilterOptions&) const = default;
};

// The station without windows (section Station): how its sessions are titled and described. The window
// neither shows nor writes these; the settings file keeps them as they were written.
struct TStationOptions {
    // The session title; %station%, %date% (yyyy-MM-dd) and %time% (hh:mm, 24 hours) are filled in at the
    // start of the session from the station's name and the local clock.
    QString sTitleTemplate = QStringLiteral("%station% %date%");
    // The station's name; empty for the computer's host name.
    QString sStation;
    QString sShowNumber;
    QString sOperatorName;
    QString sFormat;
    QString sNotes;
    // When the running session ends and the next begins, as written: a local time of day (HH:MM or
    // HH:MM:SS) and a count of whole hours from the session's start; empty for never. The station reads
    // them (see app/StationRotation.h) and refuses to run on a value that does not read.
    QString sRotateAt;
    QString sRotateEveryHours;
    // A lost link keeps the session open and the station connects again (key AutoReconnect); off, a lost
    // link ends the station with a failure.
    bool bReconnect = true;

    bool operator==(const TStationOptions&) const = default;
};

// What the window does when the meter's link is lost while it logs (section Advanced): reconnect into the
// same session, and how long the meter may stay silent before its link counts as lost.
struct TReconnectOptions {
    static constexpr int kMinStallSeconds = 2;
    static constexpr int kMaxStallSeconds = 3600;
    bool bEnabled = false;
    int iStallSeconds = 10;

    bool operator==(const TReconnectOptions&) const = default;
};

// Every setting of the settings file.
struct TSettings {
    // Interface language: 0 English, 1 Danish.
    int iLNG = 0;
    // The working session database.
    QString sDatabaseFileName;
    // Known local database files, sorted without regard to case.
    QStringList slLocalDB;
    // Ask for the session information when logging starts; allow editing it while logging.
    bool bAskForSessionInfo = true;
    bool bAllowSessionInfoEdit = false;
    QVector<TInstrumentInfo> aNetworkInstruments;
    // The instrument selected for logging.
    TInstrumentInfo rActiveNetworkCFG;
    TPDFOptions rPDFOptions;
    TCSVOptions rCSVOptions;
    TChartOptions rChartOptions;
    TTableColorOptions rTablePeakColorOptions;
    TTableColorOptions rTableSTMaxColorOptions;
    TTableColorOptions rTableSTMinColorOptions;
    TTableColorOptions rTableIntColorOptions;
    TTimecodeControl TCCtrl;
    TDataOptions DataOptions;
    // 0 instrument time, 1 local computer time.
    int iTimesource = 0;
    // The message port also hears programs other than the logging thread (the engine's text messages as an
    // interface for other tools); off, their datagrams are dropped and counted in the engine log.
    bool bAcceptExternalMessages = false;
    TReconnectOptions rReconnect;
    TWindowPlacement rWindow;
    TWindowPlacement rChartWindow;
    TFilterOptions rFilterOptions;
    // The target sessions are judged against when they have none of their own, and the Custom figures.
    TComplianceOptions rComplianceOptions;
    TStationOptions rStation;
};
