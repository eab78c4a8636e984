#include "engine/ReportParser.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

using engine::TLoudnessData;
using engine::TLoudnessDataRec;

constexpr int kNone = engine::kValueNotReceived;
const QString kExample = QStringLiteral("L;10:21:07:00;2;-3.5;-22.4;-31.0;-23.7;");

TLoudnessDataRec Valid(const char* sTimeCode, int iPeak, double nPeak, double nHi, double nLow, double nInt,
                       bool bPaused = false) {
    return {QString::fromLatin1(sTimeCode), iPeak, nPeak, nHi, nLow, nInt, bPaused, true};
}

TLoudnessDataRec ExampleRecord(const char* sTimeCode = "10:21:07:00", bool bPaused = false) {
    return Valid(sTimeCode, 2, -3.5, -22.4, -31.0, -23.7, bPaused);
}

// A record as it stands before any field was read.
const TLoudnessDataRec kEmpty{};

void ExpectRecords(const TLoudnessData& actual, const QList<TLoudnessDataRec>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "record " << i);
        EXPECT_EQ(actual[i].sTimeCode, expected[i].sTimeCode);
        EXPECT_EQ(actual[i].iPeakChannel, expected[i].iPeakChannel);
        EXPECT_DOUBLE_EQ(actual[i].nInstantaneousPeak, expected[i].nInstantaneousPeak);
        EXPECT_DOUBLE_EQ(actual[i].nLoudnessHi, expected[i].nLoudnessHi);
        EXPECT_DOUBLE_EQ(actual[i].nLoudnessLow, expected[i].nLoudnessLow);
        EXPECT_DOUBLE_EQ(actual[i].nIntegrating, expected[i].nIntegrating);
        EXPECT_EQ(actual[i].bPaused, expected[i].bPaused);
        EXPECT_EQ(actual[i].bValid, expected[i].bValid);
    }
}

struct TLevelCase {
    const char* sName;
    QString sText;
    QList<TLoudnessDataRec> expected;
};

void PrintTo(const TLevelCase& c, std::ostream* os) {
    *os << c.sName;
}

class LevelReport : public testing::TestWithParam<TLevelCase> {};

TEST_P(LevelReport, GivesTheRecordsOfTheText) {
    TLoudnessData records{ExampleRecord("01:02:03:00")}; // left over from an earlier call: must go
    engine::ParseLevelReport(GetParam().sText, records);
    ExpectRecords(records, GetParam().expected);
}

// A record that lost its way keeps what it had read before the fault.
TLoudnessDataRec Partial(const char* sTimeCode, int iPeak = kNone, double nPeak = kNone) {
    TLoudnessDataRec rec;
    rec.sTimeCode = QString::fromLatin1(sTimeCode);
    rec.iPeakChannel = iPeak;
    rec.nInstantaneousPeak = nPeak;
    return rec;
}

const TLevelCase kLevelCases[] = {
    {"EmptyText", "", {kEmpty}},
    {"Example", kExample, {ExampleRecord()}},
    {"LineEndAfterReport", kExample + "\r\n", {ExampleRecord(), kEmpty}},
    {"FramesZeroOneMarkPaused",
     "L;10:21:07:01;2;-3.5;-22.4;-31.0;-23.7;",
     {ExampleRecord("10:21:07:00", true)}},
    {"OtherFramesRunAndAreStoredAsZero",
     "L;10:21:07:17;2;-3.5;-22.4;-31.0;-23.7;",
     {ExampleRecord("10:21:07:00", false)}},
    {"FramesTenAreNotPaused", "L;10:21:07:10;2;-3.5;-22.4;-31.0;-23.7;", {ExampleRecord()}},
    {"TwoReportsJoined",
     kExample + "L;10:21:08:00;0;-4.25;-21;-30.5;-23.6;",
     {ExampleRecord(), Valid("10:21:08:00", 0, -4.25, -21, -30.5, -23.6)}},
    {"TwoLinesWithInnerLineEnd",
     kExample + "\r\nL;10:21:08:00;1;-1;-2;-3;-4;",
     {ExampleRecord(), Valid("10:21:08:00", 1, -1, -2, -3, -4)}},
    {"NoiseAroundTheMarker", "X#L#X;10:21:07:00;2;-3.5;-22.4;-31.0;-23.7;", {ExampleRecord()}},
    {"SemicolonBeforeTheMarkerIgnored", ";;X;" + kExample, {ExampleRecord()}},
    {"TenCharacterTimecodeSkipsTheReport", "L;10:21:7:00;2;-3.5;-22.4;-31.0;-23.7;", {kEmpty}},
    {"TwelveCharacterTimecodeSkipsTheReport", "L;10:21:07:000;2;-3.5;-22.4;-31.0;-23.7;", {kEmpty}},
    {"LetterInTimecodeSkipsTheReport", "L;10:2A:07:00;2;-3.5;-22.4;-31.0;-23.7;", {kEmpty}},
    {"MisplacedColonsSkipTheReport", "L;1:021:07:00;2;-3.5;-22.4;-31.0;-23.7;", {kEmpty}},
    {"BlankInsideAValueIsSkipped", "L;10:21:07:00; 2 ;- 3.5;-22 .4;-31.0 ;-23.7;", {ExampleRecord()}},
    {"PlusSignResynchronises", "L;10:21:07:00;2;+3.5;-22.4;-31.0;-23.7;", {Partial("10:21:07:00", 2)}},
    {"CommaIsNoDecimalSeparator", "L;10:21:07:00;2;-3,5;-22.4;-31.0;-23.7;", {Partial("10:21:07:00", 2)}},
    {"ExponentResynchronises", "L;10:21:07:00;2;-3.5;-2e1;-31.0;-23.7;", {Partial("10:21:07:00", 2, -3.5)}},
    {"LoneMinusFails", "L;10:21:07:00;-;-3.5;-22.4;-31.0;-23.7;", {Partial("10:21:07:00")}},
    {"EmptyFieldFails", "L;10:21:07:00;2;;-22.4;-31.0;-23.7;", {Partial("10:21:07:00", 2)}},
    {"MinusInsideIntegerFails", "L;10:21:07:00;1-2;-3.5;-22.4;-31.0;-23.7;", {Partial("10:21:07:00")}},
    {"IntegerOverflowFails", "L;10:21:07:00;99999999999;-3.5;-22.4;-31.0;-23.7;", {Partial("10:21:07:00")}},
    {"TwoDecimalPointsFail", "L;10:21:07:00;2;-3.5.1;-22.4;-31.0;-23.7;", {Partial("10:21:07:00", 2)}},
    {"TextEndsInsideAReport", "L;10:21:07:00;2;-3.5;-22", {Partial("10:21:07:00", 2, -3.5)}},
    // The next marker goes on filling the same record, so the complete report's values replace the
    // partial one's.
    {"ResynchronisedRecordIsFilledByTheNextReport",
     "L;10:21:07:00;2;+1;L;10:21:09:00;3;-1;-2;-3;-4;",
     {Valid("10:21:09:00", 3, -1, -2, -3, -4)}},
    // A truncated report directly followed by a complete one: the letter that ends the broken field begins
    // the next report, so the complete report is not lost.
    {"TruncatedReportFollowedByACompleteOne",
     "L;10:21:07:00;2;-3.5;-22.4L;10:21:08:00;1;-1;-2;-3;-4;",
     {Valid("10:21:08:00", 1, -1, -2, -3, -4)}},
    {"TruncatedTimecodeFollowedByACompleteReport", "L;10:2" + kExample, {ExampleRecord()}},
    {"InitialisationReportIsNoLevelReport", "I;1;0;1;0;3;-10;0;6;0;1;", {kEmpty}},
    {"ReportAfterInitialisationReport", "I;1;0;1;0;3;-10;0;6;0;1;" + kExample, {ExampleRecord()}},
    {"NonAsciiDigitsAreNoDigits",
     QString::fromUtf8("L;10:21:07:00;\u0662;-3.5;-22.4;-31.0;-23.7;"),
     {Partial("10:21:07:00")}},
};

INSTANTIATE_TEST_SUITE_P(Cases, LevelReport, testing::ValuesIn(kLevelCases),
                         [](const testing::TestParamInfo<TLevelCase>& info) { return info.param.sName; });

TEST(LevelReportTimeSource, ComputerClockReplacesTheMeterTimecode) {
    int iCalls = 0;
    const engine::TLocalClock clock = [&iCalls] {
        ++iCalls;
        return QTime(14, 5, 9, 870);
    };
    TLoudnessData records;
    engine::ParseLevelReport(
        u"L;10:21:07:01;2;-3.5;-22.4;-31.0;-23.7;L;23:59:59:17;2;-3.5;-22.4;-31.0;-23.7;", records,
        engine::kTimeSourceComputer, clock);
    // The pause flag still comes from the meter's frames.
    ExpectRecords(records, {ExampleRecord("14:05:09:00", true), ExampleRecord("14:05:09:00", false)});
    EXPECT_EQ(iCalls, 2);
}

TEST(LevelReportTimeSource, MeterTimecodeWhenTheSourceIsTheMeter) {
    TLoudnessData records;
    engine::ParseLevelReport(kExample, records, engine::kTimeSourceMeter, [] { return QTime(14, 5, 9); });
    ExpectRecords(records, {ExampleRecord()});
}

TEST(LevelReportTimeSource, ComputerSourceWithoutAClockUsesTheLocalTime) {
    TLoudnessData records;
    const QTime before = QTime::currentTime();
    engine::ParseLevelReport(kExample, records, engine::kTimeSourceComputer);
    const QTime after = QTime::currentTime();
    ASSERT_EQ(records.size(), 1);
    const QString sBefore = before.toString("hh:mm:ss") + ":00";
    const QString sAfter = after.toString("hh:mm:ss") + ":00";
    EXPECT_TRUE(records[0].sTimeCode == sBefore || records[0].sTimeCode == sAfter)
        << records[0].sTimeCode.toStdString();
}

// Real values never follow the user's locale: a decimal comma locale must not change what is read.
TEST(LevelReportLocale, DecimalCommaLocaleStillReadsPoints) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    TLoudnessData records;
    engine::ParseLevelReport(kExample, records);
    QLocale::setDefault(previous);
    ExpectRecords(records, {ExampleRecord()});
}

TEST(LevelReportLimits, RecordsPerCallAreCapped) {
    QString sText;
    for (int i = 0; i < engine::kMaxRecordsPerParse + 5; ++i)
        sText += kExample;
    TLoudnessData records;
    engine::ParseLevelReport(sText, records);
    ASSERT_EQ(records.size(), engine::kMaxRecordsPerParse);
    EXPECT_TRUE(records.last().bValid);
}

TEST(LevelReportLimits, HugeHostileInputsEndWithOneInvalidRecord) {
    const QString sHuge(1 << 20, u'7');
    const QString sInputs[] = {
        QString(1 << 20, u'L'),
        "L;" + QString(1 << 20, u':') + ";",
        "L;10:21:07:00;" + sHuge + ";",
        "L;10:21:07:00;2;-" + sHuge + ".5;",
        "L;10:21:07:00;2;" + QString(1 << 20, u' ') + "-3.5;",
    };
    for (const QString& sText : sInputs) {
        TLoudnessData records;
        engine::ParseLevelReport(sText, records);
        ASSERT_EQ(records.size(), 1);
        EXPECT_FALSE(records[0].bValid);
    }
}

// A field longer than any meter value is refused, also when a valid number would come out of it.
TEST(LevelReportLimits, OverlongFieldIsRefused) {
    TLoudnessData records;
    engine::ParseLevelReport("L;10:21:07:00;" + QString(100, u'0') + "2;-3.5;-22.4;-31.0;-23.7;", records);
    ExpectRecords(records, {Partial("10:21:07:00")});
    engine::ParseLevelReport("L;10:21:07:00;" + QString(40, u'0') + "2;-3.5;-22.4;-31.0;-23.7;", records);
    ExpectRecords(records, {ExampleRecord()});
}

struct TSetupCase {
    const char* sName;
    QString sText;
    TLoudnessSetup expected;
};

// Fields a report leaves alone hold these, so a test sees which fields were written.
TLoudnessSetup Before() {
    TLoudnessSetup setup;
    setup.iPeakMode = 11;
    setup.iCapture = 12;
    setup.iScaleMode = 13;
    setup.iReference = 14;
    setup.iSlidingWindow = 15;
    setup.fGateLevel = 16.5;
    setup.fReferenceLevel = 17.5;
    setup.fMeterPeakLevel = 18.5;
    setup.fMeterPeakBarLevel = 19.5;
    setup.nUnknown = 20;
    setup.iFilter = 21;
    setup.iGateMode = 22;
    setup.bValid = true;
    return setup;
}

TLoudnessSetup Setup(int iPeakMode, int iCapture, int iScaleMode, int iReference, int iWindow, double fGate,
                     double fReference, double fPeak, int iFilter, bool bValid = true) {
    TLoudnessSetup setup = Before();
    setup.iPeakMode = iPeakMode;
    setup.iCapture = iCapture;
    setup.iScaleMode = iScaleMode;
    setup.iReference = iReference;
    setup.iSlidingWindow = iWindow;
    setup.fGateLevel = fGate;
    setup.fReferenceLevel = fReference;
    setup.fMeterPeakLevel = fPeak;
    setup.iFilter = iFilter;
    setup.iGateMode = kNone;
    setup.bValid = bValid;
    return setup;
}

// Not received: the fields the parser resets first, the others as they were.
TLoudnessSetup NotReceived() {
    TLoudnessSetup setup = Before();
    return Setup(setup.iPeakMode, setup.iCapture, setup.iScaleMode, setup.iReference, kNone, kNone,
                 setup.fReferenceLevel, kNone, setup.iFilter, false);
}

TLoudnessSetup TruncatedAfterScale() {
    TLoudnessSetup setup = NotReceived();
    setup.iPeakMode = 1;
    setup.iCapture = 0;
    setup.iScaleMode = 1;
    return setup;
}

void PrintTo(const TSetupCase& c, std::ostream* os) {
    *os << c.sName;
}

class SetupReport : public testing::TestWithParam<TSetupCase> {};

TEST_P(SetupReport, FillsTheSetup) {
    TLoudnessSetup setup = Before();
    engine::ParseSetupReport(GetParam().sText, setup);
    const TLoudnessSetup& e = GetParam().expected;
    EXPECT_EQ(setup.iPeakMode, e.iPeakMode);
    EXPECT_EQ(setup.iCapture, e.iCapture);
    EXPECT_EQ(setup.iScaleMode, e.iScaleMode);
    EXPECT_EQ(setup.iReference, e.iReference);
    EXPECT_EQ(setup.iSlidingWindow, e.iSlidingWindow);
    EXPECT_DOUBLE_EQ(setup.fGateLevel, e.fGateLevel);
    EXPECT_DOUBLE_EQ(setup.fReferenceLevel, e.fReferenceLevel);
    EXPECT_DOUBLE_EQ(setup.fMeterPeakLevel, e.fMeterPeakLevel);
    EXPECT_DOUBLE_EQ(setup.fMeterPeakBarLevel, e.fMeterPeakBarLevel);
    EXPECT_EQ(setup.nUnknown, e.nUnknown);
    EXPECT_EQ(setup.iFilter, e.iFilter);
    EXPECT_EQ(setup.iGateMode, e.iGateMode);
    EXPECT_EQ(setup.bValid, e.bValid);
}

const TSetupCase kSetupCases[] = {
    {"Example", "I;1;0;1;0;3;-10;0;6;0;1;", Setup(1, 0, 1, 0, 1, -10, -20, 0, 1)},
    {"WindowOfFiveSeconds", "I;1;0;1;0;5;-10;0;6;0;1;", Setup(1, 0, 1, 0, 4, -10, -20, 0, 1)},
    {"WindowOfZeroSeconds", "I;1;0;1;0;0;-10;0;6;0;1;", Setup(1, 0, 1, 0, 0, -10, -20, 0, 1)},
    {"WindowOfTenSeconds", "I;1;0;1;0;10;-10;0;6;0;1;", Setup(1, 0, 1, 0, 2, -10, -20, 0, 1)},
    {"WindowOfThirtySeconds", "I;1;0;1;0;30;-10;0;6;0;1;", Setup(1, 0, 1, 0, 3, -10, -20, 0, 1)},
    {"ReferenceAndPeakCodesConverted", "I;2;1;0;3;3;-70.5;180;12.5;7;0;",
     Setup(2, 1, 0, 3, 1, -70.5, -38, 6.5, 0)},
    {"NoiseAndALevelReportBefore", kExample + "\r\nX#I#;1;0;1;0;3;-10;0;6;0;1;",
     Setup(1, 0, 1, 0, 1, -10, -20, 0, 1)},
    {"BlanksInsideFields", "I; 1;0;1;0;3;- 10;0;6 ;0;1;", Setup(1, 0, 1, 0, 1, -10, -20, 0, 1)},
    {"EmptyText", "", NotReceived()},
    {"NoMarker", "1;0;1;0;3;-10;0;6;0;1;", NotReceived()},
    {"TextEndsAfterThreeFields", "I;1;0;1;", TruncatedAfterScale()},
    {"UnusedFieldMustStillBeANumber", "I;1;0;1;0;3;-10;0;6;x;1;",
     Setup(1, 0, 1, 0, 1, -10, -20, 0, 21, false)},
    {"ResynchronisesOnTheNextMarker", "I;1;0;-;0;3;-10;0;6;0;1;I;2;1;1;1;10;-8;-5;3.5;9;0;",
     Setup(2, 1, 1, 1, 2, -8, -19.5, -2.5, 0)},
    {"TruncatedReportFollowedByACompleteOne", "I;9;9;9I;1;0;1;0;3;-10;0;6;0;1;",
     Setup(1, 0, 1, 0, 1, -10, -20, 0, 1)},
    {"OnlyTheFirstReportCounts", "I;1;0;1;0;3;-10;0;6;0;1;I;2;1;1;1;10;-8;-5;3.5;9;0;",
     Setup(1, 0, 1, 0, 1, -10, -20, 0, 1)},
    {"RealInIntegerFieldResynchronises", "I;1.5;0;1;0;3;-10;0;6;0;1;", NotReceived()},
    {"CommaInRealResynchronises", "I;1;0;1;0;3;-10,5;0;6;0;1;",
     Setup(1, 0, 1, 0, 1, kNone, 17.5, kNone, 21, false)},
};

INSTANTIATE_TEST_SUITE_P(Cases, SetupReport, testing::ValuesIn(kSetupCases),
                         [](const testing::TestParamInfo<TSetupCase>& info) { return info.param.sName; });

TEST(SetupReportLimits, HugeHostileInputIsNotValid) {
    TLoudnessSetup setup;
    engine::ParseSetupReport("I;" + QString(1 << 20, u'1') + ";", setup);
    EXPECT_FALSE(setup.bValid);
    engine::ParseSetupReport(QString(1 << 20, u'I'), setup);
    EXPECT_FALSE(setup.bValid);
}

} // namespace
