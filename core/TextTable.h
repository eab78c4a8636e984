#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The interface text table: English texts at even entries, their Danish twins at the next entry, a text
// shown as entry + iLNG; beside the pairs a special character and the untranslated names of the meter's
// loudness settings.

// Entries 0 to 699 (numbers without a text read as empty).
inline constexpr int kTextTableEntries = 700;

// The language index iLNG.
inline constexpr int kLanguageEnglish = 0;
inline constexpr int kLanguageDanish = 1;

// Entries this code refers to by name; a text is named by the even entry of its pair.
enum TTextEntry : int {
    kTxtOK = 4,
    kTxtCancel = 6,
    kTxtYes = 8,
    kTxtNo = 10,
    kTxtInformation = 14,
    kTxtWarning = 16,
    kTxtError = 18,
    kTxtConfirm = 20,
    kTxtInstrumentTypeLabel = 78,
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
    kTxtTimeCodeLabel = 164,
    kTxtShortTermMaxLabel = 166,
    kTxtShortTermMinLabel = 168,
    kTxtShortTermLabel = 170,
    kTxtIntegratingLabel = 172,
    kTxtPeakChannelLabel = 174,
    kTxtPeakCountLabel = 176,
    kTxtTCStartAlignedLabel = 254,
    kTxtTCEndAlignedLabel = 256,
    kTxtShowTitleLabel = 334,
    kTxtShowNumberLabel = 336,
    kTxtOperatorNameLabel = 340,
    kTxtFormatLabel = 342,
    kTxtNotesLabel = 344,
    // Not a pair: the double quote that session texts must not hold.
    kTxtDoubleQuote = 418,
    // Asked before a new database replaces an existing file.
    kTxtReplaceDatabaseFile = 446,
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
    // Store faults: rows waiting, a database or settings file that cannot be used, recovered rows.
    kTxtRowsWaiting = 600,
    kTxtDatabaseNotOpened = 602,
    kTxtTablesLackColumns = 604,
    kTxtSettingsNotRead = 606,
    kTxtImportRecoveredRows = 608,
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
