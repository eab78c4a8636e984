#include "engine/TimecodeControl.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using engine::TTCAction;
using engine::TTCControlSettings;
using engine::TTimecodeControl;

constexpr TTCAction kNone = TTCAction::None;
constexpr TTCAction kStart = TTCAction::StartLogging;
constexpr TTCAction kStop = TTCAction::StopLogging;
constexpr TTCAction kWait = TTCAction::WaitingForStop;

const char* ActionName(TTCAction action) {
    switch (action) {
    case TTCAction::None:
        return "none";
    case TTCAction::StartLogging:
        return "start";
    case TTCAction::StopLogging:
        return "stop";
    case TTCAction::WaitingForStop:
        return "wait";
    }
    return "?";
}

std::string Names(const QList<TTCAction>& actions) {
    std::string s;
    for (TTCAction action : actions)
        s += std::string(ActionName(action)) + " ";
    return s;
}

struct TTimeCodeCase {
    const char* sText;
    bool bOk;
    int iSeconds;
};

TEST(TimeCodeToSeconds, ConvertsHoursMinutesSecondsOnly) {
    const TTimeCodeCase cases[] = {
        {"10:21:07:00", true, 37267},
        {"23:59:59:24", true, 86399},
        {"00:00:00:00", true, 0},
        {"10:21:07", true, 37267},    // frames are not needed
        {"10-21-07;xx", true, 37267}, // separators are not looked at
        {"99:99:99:00", true, 99 * 3600 + 99 * 60 + 99},
        {"1:21:07:00", false, 0},
        {"10:21:0", false, 0},
        {"", false, 0},
        {"ab:cd:ef:00", false, 0},
        {"+1:00:00:00", false, 0},
        {"-1:00:00:00", false, 0},
        {" 1:00:00:00", false, 0},
    };
    for (const TTimeCodeCase& c : cases) {
        SCOPED_TRACE(c.sText);
        int iSeconds = -5;
        EXPECT_EQ(engine::TimeCodeToSeconds(QString::fromLatin1(c.sText), iSeconds), c.bOk);
        EXPECT_EQ(iSeconds, c.bOk ? c.iSeconds : -5); // untouched on failure
    }
}

TTCControlSettings Settings(bool bStart, const char* sStart, bool bStop, const char* sStop,
                            bool bEnabled = true) {
    TTCControlSettings settings;
    settings.OptionEnabled = true;
    settings.Enabled = bEnabled;
    settings.EnabledStart = bStart;
    settings.EnabledStop = bStop;
    settings.TCStart = QString::fromLatin1(sStart);
    settings.TCStop = QString::fromLatin1(sStop);
    return settings;
}

// The logging thread's use of the step, reduced to its states: it waits for the start timecode after a
// start when the start condition is on, runs the step for each valid record, and ends the run at a stop.
QList<TTCAction> RunRecords(TTimecodeControl& tc, const QStringList& timecodes) {
    QList<TTCAction> actions;
    bool bWaitingForStart = engine::WaitsForStartTC(tc);
    const engine::TTCMeter meter{25, 222, 14};
    for (const QString& sTimeCode : timecodes) {
        const engine::TTCStepResult result = engine::TimecodeStep(tc, sTimeCode, bWaitingForStart, meter);
        actions.append(result.action);
        if (result.action == kStart)
            bWaitingForStart = false;
        if (result.action == kStop)
            break;
    }
    return actions;
}

struct TStepCase {
    const char* sName;
    TTCControlSettings settings;
    QStringList timecodes;
    QList<TTCAction> expected;
};

void PrintTo(const TStepCase& c, std::ostream* os) {
    *os << c.sName;
}

class TimecodeStep : public testing::TestWithParam<TStepCase> {};

TEST_P(TimecodeStep, GivesTheActionsOfTheRun) {
    TTimecodeControl tc;
    engine::SyncTCControl(GetParam().settings, tc);
    const QList<TTCAction> actions = RunRecords(tc, GetParam().timecodes);
    EXPECT_EQ(Names(actions), Names(GetParam().expected));
}

const TStepCase kStepCases[] = {
    {"StartThenStopTheSameDay",
     Settings(true, "10:00:00:00", true, "10:30:00:00"),
     {"09:59:50:00", "09:59:59:00", "10:00:00:00", "10:00:01:00", "10:29:59:00", "10:30:00:00",
      "10:30:01:00"},
     {kNone, kNone, kStart, kWait, kWait, kStop}},
    {"StartTimecodeAlreadyPassed",
     Settings(true, "10:00:00:00", false, "00:00:00:00"),
     {"10:05:00:00", "10:05:01:00"},
     {kStart, kNone}},
    {"StopAfterMidnight",
     Settings(true, "23:00:00:00", true, "01:00:00:00"),
     {"22:59:59:00", "23:00:00:00", "23:30:00:00", "23:59:59:00", "00:00:00:00", "00:30:00:00", "00:59:59:00",
      "01:00:00:00"},
     {kNone, kStart, kWait, kWait, kNone, kWait, kWait, kStop}},
    {"StopTenSecondsAfterMidnight",
     Settings(true, "23:59:50:00", true, "00:00:10:00"),
     {"23:59:49:00", "23:59:50:00", "23:59:55:00", "00:00:01:00", "00:00:09:00", "00:00:10:00"},
     {kNone, kStart, kWait, kNone, kWait, kStop}},
    // Equal times mean 24 hours later; a second report within the start second must not end the run.
    {"StopEqualToStartRunsADay",
     Settings(true, "10:00:00:00", true, "10:00:00:00"),
     {"10:00:00:00", "10:00:00:00", "10:00:01:00", "23:59:59:00", "00:00:00:00", "09:59:59:00",
      "10:00:00:00"},
     {kStart, kWait, kWait, kWait, kNone, kWait, kStop}},
    {"AutoStopOnlyAlreadyPastTheStop",
     Settings(false, "00:00:00:00", true, "10:00:00:00"),
     {"11:00:00:00"},
     {kStop}},
    {"AutoStopOnlyBeforeTheStop",
     Settings(false, "12:00:00:00", true, "10:00:00:00"),
     {"09:59:58:00", "09:59:59:00", "10:00:00:00"},
     {kWait, kWait, kStop}},
    {"NeitherStartNorStop",
     Settings(false, "10:00:00:00", false, "10:30:00:00"),
     {"09:00:00:00", "10:00:00:00", "11:00:00:00"},
     {kNone, kNone, kNone}},
    {"ControlSwitchedOff",
     Settings(true, "10:00:00:00", true, "10:30:00:00", false),
     {"10:00:00:00", "11:00:00:00"},
     {kNone, kNone}},
    {"UnreadableRecordTimecode",
     Settings(true, "10:00:00:00", true, "10:30:00:00"),
     {"1x:00:00:00", "", "10:00:00:00"},
     {kNone, kNone, kStart}},
    // Without a readable stop time the run must not end at its first record.
    {"UnreadableStopTimeNeverStops",
     Settings(false, "10:00:00:00", true, "ab:cd:ef:gh"),
     {"00:00:01:00", "12:00:00:00"},
     {kNone, kNone}},
};

INSTANTIATE_TEST_SUITE_P(Cases, TimecodeStep, testing::ValuesIn(kStepCases),
                         [](const testing::TestParamInfo<TStepCase>& info) { return info.param.sName; });

struct TVectorCase {
    const char* sName;
    engine::TTCMeter meter;
    QList<int> expected;
};

TEST(TimecodeStepVectors, ResetTheMeasurementOfNewMetersOnly) {
    const TVectorCase cases[] = {
        {"TextMeter", {0, 0, 0}, {}},
        {"TypeBelowNewMeters", {17, 222, 20}, {}},
        {"VectorStartMeter", {18, 210, 14}, {14, 15, 13}},
        {"VectorStartMeterOlderSoftware", {25, 223, 13}, {62}},
        {"OtherHardware", {25, 100, 20}, {62}},
    };
    for (const TVectorCase& c : cases) {
        SCOPED_TRACE(c.sName);
        TTimecodeControl tc;
        engine::SyncTCControl(Settings(true, "10:00:00:00", false, ""), tc);
        const engine::TTCStepResult result = engine::TimecodeStep(tc, u"10:00:00:00", true, c.meter);
        EXPECT_EQ(result.action, kStart);
        EXPECT_EQ(result.resetVectors, c.expected);
    }
}

TEST(SyncTCControl, CopiesAndComputesTheRollover) {
    TTimecodeControl tc;
    tc.SyncRTC = true;
    tc.CheckRollover = true;
    engine::SyncTCControl(Settings(true, "23:00:00:00", true, "01:00:00:00"), tc);
    EXPECT_TRUE(tc.Enabled && tc.EnabledStart && tc.EnabledStop);
    EXPECT_EQ(tc.TCStart, 23 * 3600);
    EXPECT_EQ(tc.TCStop, 3600);
    EXPECT_TRUE(tc.MidnightRollover);
    EXPECT_FALSE(tc.CheckRollover);
    EXPECT_TRUE(tc.SyncRTC); // taken once when the thread is created, not here

    // Without an auto start the stop is taken the same day.
    engine::SyncTCControl(Settings(false, "23:00:00:00", true, "01:00:00:00"), tc);
    EXPECT_FALSE(tc.MidnightRollover);

    // Texts that do not convert keep the earlier times.
    engine::SyncTCControl(Settings(true, "bad", true, "10:00:00:00"), tc);
    EXPECT_EQ(tc.TCStart, 23 * 3600);
    EXPECT_EQ(tc.TCStop, 10 * 3600);
    EXPECT_TRUE(tc.MidnightRollover);
    engine::SyncTCControl(Settings(true, "09:00:00:00", true, "bad"), tc);
    EXPECT_EQ(tc.TCStop, 10 * 3600);
    EXPECT_FALSE(tc.MidnightRollover);
}

TEST(SyncTCControl, RefreshRecomputesAClearedRollover) {
    TTimecodeControl tc;
    const TTCControlSettings settings = Settings(true, "23:00:00:00", true, "01:00:00:00");
    engine::SyncTCControl(settings, tc);
    RunRecords(tc, {"23:00:00:00", "00:00:01:00"});
    EXPECT_FALSE(tc.MidnightRollover);
    engine::SyncTCControl(settings, tc);
    EXPECT_TRUE(tc.MidnightRollover);
}

struct TChangeCase {
    const char* sName;
    bool bWaitingForStart;
    TTCControlSettings settings;
    bool bLeaveWaiting;
};

// Command 112 while waiting for the start timecode: switching control or its start off starts logging at
// once, and the next records are forwarded without a measurement reset.
TEST(TCControlChanged, LeavesWaitingForStartWhenStartIsOff) {
    const TChangeCase cases[] = {
        {"ControlSwitchedOff", true, Settings(true, "10:00:00:00", true, "11:00:00:00", false), true},
        {"StartSwitchedOff", true, Settings(false, "10:00:00:00", true, "11:00:00:00"), true},
        {"StillWaiting", true, Settings(true, "10:00:00:00", true, "11:00:00:00"), false},
        {"NotWaiting", false, Settings(false, "10:00:00:00", false, "11:00:00:00", false), false},
    };
    for (const TChangeCase& c : cases) {
        SCOPED_TRACE(c.sName);
        TTimecodeControl tc;
        engine::SyncTCControl(Settings(true, "10:00:00:00", true, "11:00:00:00"), tc);
        EXPECT_EQ(engine::TCControlChanged(c.settings, tc, c.bWaitingForStart), c.bLeaveWaiting);
        EXPECT_EQ(tc.Enabled, c.settings.Enabled);
        EXPECT_EQ(tc.EnabledStart, c.settings.EnabledStart);
    }
}

TEST(TCControlChanged, RecordsAfterLeavingWaitCarryNoReset) {
    TTimecodeControl tc;
    engine::SyncTCControl(Settings(true, "10:00:00:00", true, "11:00:00:00"), tc);
    ASSERT_TRUE(engine::WaitsForStartTC(tc));
    const engine::TTCMeter meter{25, 222, 14};
    EXPECT_EQ(engine::TimecodeStep(tc, u"09:00:00:00", true, meter).action, kNone);

    ASSERT_TRUE(engine::TCControlChanged(Settings(false, "10:00:00:00", true, "11:00:00:00"), tc, true));
    // Now logging (state 8): the start time no longer matters, the stop still does.
    const engine::TTCStepResult result = engine::TimecodeStep(tc, u"10:00:00:00", false, meter);
    EXPECT_EQ(result.action, kWait);
    EXPECT_TRUE(result.resetVectors.isEmpty());
    EXPECT_EQ(engine::TimecodeStep(tc, u"11:00:00:00", false, meter).action, kStop);
}

TEST(ShouldSetMeterClock, OnlySerialVectorStartMetersWithSyncOn) {
    struct {
        bool bSyncRTC;
        bool bComPort;
        int iHWID;
        bool bSet;
    } const cases[] = {
        {true, true, 210, true},   {true, true, 211, true},  {true, true, 222, true},
        {true, true, 223, true},   {true, true, 212, false}, {true, false, 222, false},
        {false, true, 222, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iHWID);
        TTimecodeControl tc;
        tc.SyncRTC = c.bSyncRTC;
        EXPECT_EQ(engine::ShouldSetMeterClock(tc, c.bComPort, c.iHWID), c.bSet);
    }
}

} // namespace
