#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The interface text table: English texts at even entries, their Danish twins at the next entry, a text
// shown as entry + iLNG; beside the pairs a special character and the untranslated names of the meter's
// loudness settings.

// Entries 0 to 1999 (numbers without a text read as empty).
inline constexpr int kTextTableEntries = 2000;

// The language index iLNG.
inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageDanish = 1;

// Every entry this code refers to, by name and in number order; a text is named by the even entry of its
// pair. Code names an entry only here: a new text is appended to the table after the highest entry in use,
// below kTextTableEntries, and named in this list, so that texts added side by side never collide.
enum TTextEntry : int {
    // The company name, the language names, dialog buttons and message captions.
    kTxtCompanyName = 0,
    kTxtLanguageNames = 2,
    kTxtOK = 4,
    kTxtCancel = 6,
    kTxtYes = 8,
    kTxtNo = 10,
    kTxtReset = 12,
    kTxtInformation = 14,
    kTxtWarning = 16,
    kTxtError = 18,
    kTxtConfirm = 20,
    kTxtClose = 22,
    // The instrument manager: searching, its lists and buttons, connection tests.
    kTxtPleaseWait = 24,
    kTxtSearching = 26,
    kTxtNoInstrumentFound = 28,
    kTxtNoInstrumentOnPort = 30,
    kTxtNoLoggingSupport = 32,
    kTxtDetectedOnPort = 36,
    kTxtLocalInstruments = 38,
    kTxtNetworkInstruments = 40,
    kTxtNewInstrument = 42,
    kTxtNewInstrumentSelected = 44,
    kTxtAvailableInstruments = 46,
    kTxtSelectInstrument = 48,
    kTxtFindInstrument = 50,
    kTxtTestConnection = 52,
    kTxtAddNetwork = 54,
    kTxtEditNetwork = 56,
    kTxtRemoveNetwork = 58,
    kTxtCouldNotConnect = 60,
    kTxtNotResponding = 62,
    kTxtLoginRefused = 64,
    kTxtTestSucceeded = 66,
    // The logging tab: states, instrument grid labels; the session list's aligned hints.
    kTxtConnecting = 68,
    kTxtLogging = 70,
    kTxtDisconnected = 72,
    kTxtReadyForLogging = 74,
    kTxtLoggingStarted = 76,
    kTxtInstrumentTypeLabel = 78,
    kTxtInstrumentNameLabel = 80,
    kTxtHostNameLabel = 82,
    kTxtSerialNumberLabel = 84,
    kTxtPortLabel = 86,
    kTxtStatusLabel = 88,
    kTxtUnknown = 90,
    kTxtHintInstrumentType = 92,
    kTxtHintHardwareId = 94,
    kTxtHintSerialNumber = 96,
    kTxtHintSoftwarePackage = 98,
    kTxtHintFPGAVersion = 100,
    kTxtHintMCUVersion = 102,
    // Grid titles and labels: loudness configuration, level headings, statistics.
    kTxtInstrumentInformation = 106,
    kTxtInstrumentData = 108,
    kTxtSessionList = 110,
    kTxtSessionInformation = 112,
    kTxtLoudnessConfiguration = 114,
    kTxtSessionStatistics = 116,
    kTxtPeakModeLabel = 118,
    kTxtCaptureModeLabel = 120,
    kTxtScaleModeLabel = 122,
    kTxtReferenceLabel = 124,
    kTxtShortTermWindowLabel = 126,
    kTxtGateLevelLabel = 128,
    kTxtGateModeLabel = 130,
    kTxtReferenceLevelLabel = 132,
    kTxtPeakLevelLabel = 134,
    kTxtFilterLabel = 136,
    kTxtRowNumberHeading = 138,
    kTxtTimecodeHeading = 140,
    kTxtPeakChannelHeading = 142,
    kTxtPeakLevelHeading = 144,
    kTxtShortTermMaxHeading = 146,
    kTxtShortTermMinHeading = 148,
    kTxtShortTermHeading = 150,
    kTxtIntegratingHeading = 152,
    kTxtPeakLevelMaxLabel = 154,
    kTxtPeakLevelMinLabel = 156,
    kTxtIntegratingMaxLabel = 158,
    kTxtIntegratingMinLabel = 160,
    kTxtLevelLabel = 162,
    kTxtTimeCodeLabel = 164,
    kTxtShortTermMaxLabel = 166,
    kTxtShortTermMinLabel = 168,
    kTxtShortTermLabel = 170,
    kTxtIntegratingLabel = 172,
    kTxtPeakChannelLabel = 174,
    kTxtPeakCountLabel = 176,
    // Menus, the database tab's menus and buttons, the logging buttons and the tabs.
    kTxtFileMenu = 178,
    kTxtManageInstrumentsMenu = 180,
    kTxtManageDatabasesMenu = 182,
    kTxtExitMenu = 184,
    kTxtToolsMenu = 186,
    kTxtOptionsMenu = 188,
    kTxtHelpMenu = 190,
    kTxtAboutMenu = 192,
    kTxtRefresh = 194,
    kTxtDeleteSession = 196,
    kTxtFilterSessionsMenu = 198,
    kTxtEditSessionInfoMenu = 200,
    kTxtExportToPDF = 202,
    kTxtExportToPDFFullPage = 204,
    kTxtExportToODS = 206,
    kTxtExportToCSV = 208,
    kTxtCopyChartClipBrd = 210,
    kTxtConnect = 212,
    kTxtDisconnect = 214,
    kTxtStartLogging = 216,
    kTxtResumeLogging = 218,
    kTxtPauseLogging = 220,
    kTxtStopLogging = 222,
    kTxtRefreshSessions = 224,
    kTxtFilterSessions = 226,
    kTxtFilterData = 228,
    kTxtChartButton = 230,
    kTxtExport = 232,
    kTxtLoggingTab = 234,
    kTxtDatabaseTab = 236,
    // Chart tabs, start-up questions, session hints, units, file dialogs and waits.
    kTxtCloseTab = 238,
    kTxtSelectDatabaseFirst = 240,
    kTxtSelectInstrumentFirst = 242,
    kTxtSessionInProgress = 244,
    kTxtCouldNotBind = 246,
    kTxtAskDeleteSession = 248,
    kTxtHintSessionName = 250,
    kTxtHintSessionId = 252,
    kTxtTCStartAlignedLabel = 254,
    kTxtTCEndAlignedLabel = 256,
    kTxtTCStartLabel = 258,
    kTxtTCEndLabel = 260,
    kTxtDBFSSuffix = 262,
    kTxtDBFS = 264,
    kTxtNoMatchingData = 266,
    kTxtSelectFileName = 268,
    kTxtPDFFilter = 270,
    kTxtCSVFilter = 272,
    kTxtCreatingPDF = 274,
    kTxtCreatingCSV = 276,
    kTxtLoadingData = 278,
    kTxtNoValidSessionData = 280,
    // Sessions, connections and the database manager.
    kTxtUnnamedSession = 282,
    kTxtConnectedToInstrument = 286,
    kTxtCouldNotOpenCOM = 288,
    kTxtSessionInfoChanged = 290,
    kTxtExitSetupMenu = 292,
    kTxtExceptionRaised = 294,
    kTxtDatabaseCreated = 296,
    kTxtCouldNotCreate = 298,
    kTxtNotADatabase = 300,
    kTxtAskRemove = 302,
    kTxtAskDelete = 304,
    kTxtAskDeleteIrreversible = 306,
    kTxtCouldNotDelete = 308,
    kTxtFileMissing = 310,
    kTxtDatabaseSelected = 312,
    kTxtNoValidDatabase = 314,
    kTxtLocalDatabases = 316,
    kTxtManageDatabasesCaption = 318,
    kTxtAvailableDatabases = 320,
    kTxtUseForLogging = 322,
    kTxtNewLocalDB = 324,
    kTxtOpenLocalDB = 326,
    kTxtConnectRemoteDB = 328,
    kTxtRemoveDB = 330,
    // Session information, the data filter, the session filter, the report, timecode control.
    kTxtStartNewSession = 332,
    kTxtShowTitleLabel = 334,
    kTxtShowNumberLabel = 336,
    kTxtAnalysisDateLabel = 338,
    kTxtOperatorNameLabel = 340,
    kTxtFormatLabel = 342,
    kTxtNotesLabel = 344,
    kTxtForbiddenCharRemoved = 346,
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
    kTxtChartCaption = 372,
    kTxtEditSessionInfoCaption = 376,
    kTxtFilterSessionsCaption = 378,
    kTxtSessionInformationGroup = 380,
    kTxtStartDate = 382,
    kTxtEndDate = 384,
    kTxtTime = 386,
    kTxtDate = 388,
    kTxtInvalidStartTime = 390,
    kTxtInvalidEndTime = 392,
    kTxtReportCreatedWith = 394,
    kTxtCannotWriteFile = 396,
    kTxtPageOf = 398,
    kTxtStartTime = 400,
    kTxtStopTime = 402,
    kTxtEnabled = 404,
    kTxtAutostartWaiting = 406,
    kTxtPausedAt = 408,
    kTxtPausedWaitingForTC = 410,
    kTxtAutostopWaiting = 412,
    kTxtTimecodeControlled = 414,
    kTxtTimecodeControlMenu = 416,
    // Not a pair: the double quote that session texts must not hold.
    kTxtDoubleQuote = 418,
    // Asked before a new database replaces an existing file; the session list's hint.
    kTxtReplaceDatabaseFile = 446,
    kTxtSessionInfoHint = 460,
    // The options dialog's checks of typed numbers and line widths, and its question before the defaults.
    kTxtLeftAxisMinInvalid = 520,
    kTxtLeftAxisMaxInvalid = 522,
    kTxtRightAxisMinInvalid = 524,
    kTxtRightAxisMaxInvalid = 526,
    kTxtCursorLevelInvalid = 528,
    kTxtTableColorMaxInvalid = 530,
    kTxtTableColorMinInvalid = 532,
    kTxtCursorLineWidthInvalid = 534,
    kTxtGraphLineWidthInvalid = 536,
    kTxtRestoreDefaultSettings = 538,
    // Why a COM port could not be opened; export file access.
    kTxtPortPermissionGroup = 550,
    kTxtPortPermissionDenied = 552,
    kTxtPortNoDevice = 554,
    kTxtPortBusy = 556,
    kTxtPortOpenFailed = 558,
    kTxtFileAccessDenied = 580,
    // Store faults: rows waiting, a database or settings file that cannot be used, recovered rows.
    kTxtRowsWaiting = 600,
    kTxtDatabaseNotOpened = 602,
    kTxtTablesLackColumns = 604,
    kTxtSettingsNotRead = 606,
    kTxtImportRecoveredRows = 608,
    // When a session was recorded: the stamp of its first level row.
    kTxtRecordedLabel = 610,
    // The data filter in force, on the Database tab and in the exports.
    kTxtDataFilterLabel = 640,
    kTxtClearDataFilter = 642,
    kTxtFilterTimecodeRange = 644,
    kTxtFilterTimecodeAcrossMidnight = 646,
    kTxtFilterTimecodeFrom = 648,
    kTxtFilterTimecodeUpTo = 650,
    kTxtFilterAtOrAbove = 652,
    kTxtFilterAtOrBelow = 654,
    // Session texts cut to their limits, where the rows went at close, an unreadable settings file.
    kTxtSessionTextsShortened = 700,
    kTxtRowsSavedAtClose = 702,
    kTxtRowsNotSavedAtClose = 704,
    kTxtSettingsCopyKept = 706,
    kTxtSettingsNotCopied = 708,
    // Judging sessions against a delivery target: verdicts and their reasons, the targets, the loudness
    // range.
    kTxtVerdictPass = 750,
    kTxtVerdictFail = 752,
    kTxtVerdictNotVerifiable = 754,
    kTxtVerdictNotComputed = 756,
    kTxtStandardEbuR128 = 758,
    kTxtStandardEbuR128Live = 760,
    kTxtStandardAtscA85 = 762,
    kTxtStandardAribTrB32 = 764,
    kTxtStandardFreeTvOp59 = 766,
    kTxtStandardCustom = 768,
    kTxtStandardFigures = 770,
    kTxtReasonIntegratedAbove = 772,
    kTxtReasonIntegratedBelow = 774,
    kTxtReasonIntegratedWithin = 776,
    kTxtReasonPeakExceeds = 778,
    kTxtReasonPeakExceedsOneMore = 780,
    kTxtReasonPeakExceedsMore = 782,
    kTxtReasonPeakWithin = 784,
    kTxtReasonNoRows = 786,
    kTxtReasonNoIntegrated = 788,
    kTxtReasonNoPeak = 790,
    kTxtReasonFilterNotK = 792,
    kTxtReasonPeakNotTrue = 794,
    kTxtReasonUnknownScale = 796,
    kTxtReasonConvertedFromLU = 798,
    kTxtReasonFilteredRows = 800,
    kTxtReasonSamplePeakExceeds = 802,
    kTxtRangeNotAvailable = 804,
    kTxtRangeWindowNot3Seconds = 806,
    kTxtRangeNoValues = 808,
    kTxtRangeFilterNotK = 810,
    kTxtRangeUnknownScale = 812,
    kTxtLoudnessRangeLabel = 814,
    kTxtVerdictLabel = 816,
    // Choosing the delivery target: the options' page and the session information dialog.
    kTxtTargetsNode = 820,
    kTxtTargetDefaultGroup = 822,
    kTxtTargetDefaultLabel = 824,
    kTxtTargetCustomGroup = 826,
    kTxtTargetLoudnessLabel = 828,
    kTxtTargetToleranceLabel = 830,
    kTxtTargetTruePeakLabel = 832,
    kTxtTargetRequireTruePeak = 834,
    kTxtTargetLoudnessInvalid = 836,
    kTxtTargetToleranceInvalid = 838,
    kTxtTargetTruePeakInvalid = 840,
    kTxtTargetProgramDefault = 842,
    kTxtTargetLabel = 844,
    kTxtUnitLUFS = 846,
    kTxtUnitLU = 848,
    kTxtUnitDBTP = 850,
    kTxtTargetCustomHint = 852,
    // The session list's verdict mark: its hint label and the session filter's choice of any mark.
    kTxtHintVerdictLabel = 860,
    kTxtAnyVerdict = 862,
    // The running session against its target on the logging tab, and the target in the review chart.
    kTxtLiveSoFarLabel = 902,
    kTxtLiveTargetWaiting = 904,
    kTxtChartTargetBand = 906,
    kTxtChartPeakLimit = 908,
    kTxtChartNoTargetBand = 910,
    // Violations in the level table and the verdict's target.
    kTxtPreviousViolation = 942,
    kTxtNextViolation = 944,
    kTxtViolationPeakHint = 946,
    kTxtViolationShortTermHint = 948,
    kTxtPreviousViolationHint = 950,
    kTxtNextViolationHint = 952,
    kTxtVerdictBoxTitle = 954,
    // Going to a timecode in the level table (Ctrl+G).
    kTxtGoToTimecode = 960,
    kTxtGoToTimecodeLabel = 962,
    kTxtNoRowAtTimecode = 964,
    kTxtGoToTimecodeHint = 966,
    // A chart cursor drawn against the peak axis.
    kTxtCursorOnPeakAxis = 980,
    // From a chart to the level table: the rows the chart shows as the data filter, a point's row.
    kTxtFilterToRange = 628,
    kTxtFilterToRangeHint = 630,
    kTxtFilterChartedRows = 632,
    kTxtChartSessionNotListed = 634,
    kTxtChartRowsChanged = 636,
    // The part of the session a chart's PDF shows, under its headline.
    kTxtChartShownRange = 638,
    // How the mouse and keys read a review chart.
    kTxtChartMouseHint = 612,
    // A long operation the user cancelled.
    kTxtExportCancelled = 670,
    // Reconnecting to a meter whose link was lost while logging: the option, and the status line while
    // the session is held open.
    kTxtReconnectAutomatically = 656,
    kTxtReconnectPause = 658,
    kTxtReconnectAttempt = 660,
    // A session's gaps: the level table's separator, the reports' list and its headings, the chart PDF's
    // line.
    kTxtGapSeparator = 672,
    kTxtGapsTitle = 674,
    kTxtGapLabel = 676,
    kTxtGapTimecodeBefore = 678,
    kTxtGapTimecodeAfter = 680,
    kTxtGapDateTimeBefore = 682,
    kTxtGapDateTimeAfter = 684,
    kTxtGapLength = 686,
    kTxtGapReason = 688,
    kTxtChartGapsShown = 690,
};

// A list of names looked up by a loudness-setup code: entries iFirst to iFirst + iHigh, the last one
// being "Unknown".
struct TNameList {
    int iFirst;
    int iHigh;
};

inline constexpr TNameList kPeakModeNames{419, 2};
inline constexpr TNameList kCaptureModeNames{422, 3};
inline constexpr TNameList kScaleModeNames{426, 3};
inline constexpr TNameList kReferenceNames{430, 2};
inline constexpr TNameList kFilterNames{433, 3};
inline constexpr TNameList kGateModeNames{437, 2};
inline constexpr TNameList kSlidingWindowNames{440, 4};

// The table's entries, read once from the table's data text and never changed afterwards.
class TTextTable {
public:
    // Reads lines "<entry>\t<text>[\t<text of the next entry>...]"; "#" starts a comment line. Lines
    // that do not parse and entries outside the table are skipped, so bad data leaves empty texts.
    explicit TTextTable(const QByteArray& utf8Data);

    // Entry iEntry itself; empty outside the table.
    QString Entry(int iEntry) const;
    // The text of pair iEntry in language iLNG: entry iEntry + iLNG. A language index other than
    // Danish reads as English, so a bad index never shifts to a neighbouring text.
    QString GetText(int iEntry, int iLNG) const;

private:
    std::vector<QString> aEntries;
};

// The program's table, loaded from its resource at first use.
const TTextTable& TextTable();

// Text iEntry of the program's table in language iLNG; empty outside the table.
QString GetText(int iEntry, int iLNG);

// The names of a list in order, value 0 first.
QStringList GetNameList(TNameList rList);

// The display name of a code: names[index] when 0 <= index <= high, else names[high] (the "Unknown"
// name). A high beyond the list reads as its last name; an empty list gives an empty text.
QString GetStrArray(int index, const QStringList& names, int high);

QString PeakModeName(int iPeakMode);
QString CaptureModeName(int iCapture);
QString ScaleModeName(int iScaleMode);
QString ReferenceName(int iReference);
QString FilterName(int iFilter);
QString GateModeName(int iGateMode);
QString SlidingWindowName(int iSlidingWindow);
