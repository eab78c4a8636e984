#include "app/MainController.h"
#include "app/ReconnectPauses.h"
#include "core/EngineCodes.h"
#include "core/TextFormat.h"
#include "core/TextTable.h"
#include "store/SessionGapStore.h"
#include "tests/support/EngineDouble.h"
#include "tests/support/TestSupport.h"

#include <QStandardPaths>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <map>
#include <vector>

TEST(ReconnectPauses, GrowToThirtySecondsStayThereAndStartOverOnceTheMeterAnswers) {
    TReconnectPauses Pauses;
    const int aExpected[] = {1, 2, 5, 10, 30, 30, 30};
    for (int i = 0; i < int(std::size(aExpected)); ++i) {
        EXPECT_EQ(Pauses.Next(), aExpected[i]) << "attempt " << i + 1;
        EXPECT_EQ(Pauses.Attempts(), i + 1);
    }
    Pauses.Reset();
    EXPECT_EQ(Pauses.Attempts(), 0);
    EXPECT_EQ(Pauses.Next(), 1);
    EXPECT_EQ(Pauses.Next(), 2);
}

namespace {

// Stands in for the main window and the logging thread: what the controller showed and commanded.
class TLinkView : public IMainView, public IEngineControl {
public:
    void SetMainGUI(int iState) override { aGUIStates.push_back(iState); }
    void ShowEntryMessage(int iEntry, int, int, const QString&, const QString&) override {
        aMessages.push_back(iEntry);
    }
    void CheckSessionInfoChanges(TSessionInfo&) override { ++iSessionsEnded; }
    void ThreadSendMessage(int iCommand) override { aCommands.push_back(iCommand); }
    void SetStatusText(int iPanel, const QString& sText) override { mStatus[iPanel] = sText; }

    std::vector<int> aGUIStates;
    std::vector<int> aCommands;
    std::vector<int> aMessages;
    std::map<int, QString> mStatus;
    int iSessionsEnded = 0;
};

const QString kSetup = QStringLiteral("1|0|1|1|2|-70|1|-18|-1|1|");

QString LevelRecord(int iSecond) {
    return QStringLiteral("10:00:%1:00|-1|-20|-23.4|-30.1|-3.2|1|2|-24|5|-1|")
        .arg(iSecond, 2, 10, QLatin1Char('0'));
}

// The window's controller logging from a network meter through the engine double, with reconnecting on.
class ReconnectFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ctrl.Initialise(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)));
        sDB = Home.Path() + "/sessions.DB3";
        ASSERT_TRUE(Ctrl.SQLConnection.CreateSQLiteDB(sDB));
        ASSERT_TRUE(Ctrl.SQLConnection.OpenSQLiteDB(sDB));
        Ctrl.SetView(&View);
        Ctrl.Settings.rActiveNetworkCFG.sHostName = "127.0.0.1";
        Ctrl.Settings.rActiveNetworkCFG.iPort = 23;
        Ctrl.Settings.rReconnect.bEnabled = true;
    }
    void TearDown() override { Ctrl.SetView(nullptr); }

    // Connected, logging, two rows stored.
    void StartLogging() {
        qxtest::ConnectEngine(Ctrl, View);
        Ctrl.HandleEngineEvent(kEventConnected);
        Ctrl.HandleEngineEvent(kEventReady);
        Ctrl.HandleLoudnessSetup(kSetup);
        Ctrl.HandleEngineEvent(kEventLoggingStarted);
        Ctrl.HandleLoudnessData(LevelRecord(1));
        Ctrl.HandleLoudnessData(LevelRecord(2));
        sSession = Ctrl.rSessionInfo.sReportID;
        ASSERT_FALSE(sSession.isEmpty());
    }

    // The network link drops as the thread reports it: the run's end, its state, the link's end.
    void LoseLink() {
        for (int iCode : {kEventLoggingEnded, kEventIdle, kEventConnectionClosed})
            Ctrl.HandleEngineEvent(iCode);
    }

    // The keeper's pause has passed and it made a new logging thread.
    bool WaitForAttempt() {
        return qxtest::WaitFor([&] { return Ctrl.LoggingThread() != nullptr; }, 15000);
    }

    int Count(const char* sSQL) const {
        SQLite::Database DB(sDB.toStdString());
        return DB.execAndGet(sSQL).getInt();
    }

    qxtest::TFreshConfigHome Home;
    // Outlives the controller, which closes its logging thread as it ends.
    TLinkView View;
    TMainController Ctrl;
    QString sDB;
    QString sSession;
};

} // namespace

// The link drops in the middle of a run: the session stays open and unjudged, a failed attempt shows no
// box, and the run resumed on the next attempt goes on in the same session, whose gap is stored once.
TEST_F(ReconnectFixture, ALostLinkResumesIntoTheSameSessionWithOneGap) {
    ASSERT_NO_FATAL_FAILURE(StartLogging());
    LoseLink();
    EXPECT_EQ(View.iSessionsEnded, 0);
    {
        // The record is up to date while the session waits.
        SQLite::Database DB(sDB.toStdString());
        EXPECT_EQ(DB.execAndGet("SELECT sTimeCodeEnd FROM qxr_sessions").getString(), "10:00:02:00");
    }
    EXPECT_TRUE(Ctrl.IsLoggingInProgress());
    EXPECT_TRUE(Ctrl.HasLoggingThread()) << "the connect button must offer to end the wait";
    EXPECT_EQ(Ctrl.LoggingThread(), nullptr);
    EXPECT_EQ(View.mStatus[kPanelLink],
              FormatText(GetText(kTxtReconnectPause, kLanguageEnglish), {"1", "1"}));

    // The first attempt: the meter does not answer.
    ASSERT_TRUE(WaitForAttempt());
    EXPECT_EQ(View.mStatus[kPanelLink], FormatText(GetText(kTxtReconnectAttempt, kLanguageEnglish), {"1"}));
    // As the thread reports a failed connect: its closing state, then its end.
    for (int iCode : {kEventNetworkNoAnswer, kEventConnectionClosed, kEventConnectionClosed})
        Ctrl.HandleEngineEvent(iCode);
    EXPECT_TRUE(View.aMessages.empty());
    EXPECT_EQ(View.iSessionsEnded, 0);
    EXPECT_TRUE(Ctrl.IsLoggingInProgress());
    EXPECT_EQ(View.mStatus[kPanelLink],
              FormatText(GetText(kTxtReconnectPause, kLanguageEnglish), {"2", "2"}));

    // The second: the meter answers, is told to start, and its setup opens no session of its own.
    ASSERT_TRUE(WaitForAttempt());
    View.aCommands.clear();
    Ctrl.HandleEngineEvent(kEventConnecting);
    Ctrl.HandleEngineEvent(kEventConnected);
    Ctrl.HandleEngineEvent(kEventReady);
    EXPECT_EQ(View.aCommands, std::vector<int>{kEngineCommandStart});
    Ctrl.HandleLoudnessSetup(kSetup);
    Ctrl.HandleEngineEvent(kEventLoggingStarted);
    Ctrl.HandleLoudnessData(LevelRecord(9));
    Ctrl.HandleLoudnessData(LevelRecord(10));
    EXPECT_EQ(Ctrl.rSessionInfo.sReportID, sSession);
    EXPECT_EQ(View.mStatus[kPanelLink], QString());

    Ctrl.ThreadSendMessage(kEngineCommandStop);
    Ctrl.HandleEngineEvent(kEventLoggingEnded);
    EXPECT_EQ(View.iSessionsEnded, 1);
    EXPECT_TRUE(View.aMessages.empty());
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_sessions"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM qxr_loudness_levels"), 4);
    SQLite::Database DB(sDB.toStdString());
    EXPECT_EQ(DB.execAndGet("SELECT sTimeCodeStart || ' ' || sTimeCodeEnd FROM qxr_sessions").getString(),
              "10:00:01:00 10:00:10:00");

    QList<TSessionGap> aGaps;
    TSessionGapStore Gaps(Ctrl.SQLConnection);
    ASSERT_TRUE(Gaps.ReadGapsOf(sSession, aGaps)) << Gaps.LastError().toStdString();
    ASSERT_EQ(aGaps.size(), 1);
    EXPECT_EQ(aGaps[0].sTimeCodeBefore, "10:00:02:00");
    EXPECT_EQ(aGaps[0].sTimeCodeAfter, "10:00:09:00");
    EXPECT_EQ(aGaps[0].sReason, "The network connection was lost.");
    EXPECT_TRUE(aGaps[0].dtBefore.isValid());
    EXPECT_LE(aGaps[0].dtBefore, aGaps[0].dtAfter);
}

// What ends a run that was not stopped: with reconnecting off, or when the meter is ready again (timecode
// control ended the run), the session ends as before; a stop asked for during the pause ends the held
// session at once and no attempt follows.
TEST_F(ReconnectFixture, TheSessionEndsWhenNoLinkWasLostOrAStopIsAsked) {
    const struct {
        const char* sCase;
        bool bReconnect;
        std::vector<int> aEvents;
        bool bDisconnect;
    } aCases[] = {
        {"reconnecting off", false, {kEventLoggingEnded, kEventIdle, kEventConnectionClosed}, false},
        {"timecode control ended the run", true, {kEventLoggingEnded, kEventReady}, false},
        {"disconnect during the pause", true, {kEventLoggingEnded, kEventConnectionClosed}, true},
    };
    for (const auto& c : aCases) {
        SCOPED_TRACE(c.sCase);
        Ctrl.Settings.rReconnect.bEnabled = c.bReconnect;
        View.iSessionsEnded = 0;
        ASSERT_NO_FATAL_FAILURE(StartLogging());
        for (int iCode : c.aEvents)
            Ctrl.HandleEngineEvent(iCode);
        if (c.bDisconnect) {
            EXPECT_EQ(View.iSessionsEnded, 0);
            View.aGUIStates.clear();
            Ctrl.DisconnectInstrument();
            // The window's connect button puts its own state first; the link's end follows.
            View.aGUIStates.push_back(kGUIConnected);
            EXPECT_TRUE(qxtest::WaitFor([&] { return View.aGUIStates.back() == kGUINoInstrument; }));
        }
        EXPECT_GE(View.iSessionsEnded, 1);
        EXPECT_FALSE(Ctrl.IsLoggingInProgress());
        EXPECT_FALSE(Ctrl.Keeper.HoldsSession());
        EXPECT_EQ(View.mStatus[kPanelLink], QString());
        if (c.aEvents.back() == kEventConnectionClosed) {
            EXPECT_FALSE(Ctrl.HasLoggingThread());
        } else {
            Ctrl.DisconnectInstrument();
            Ctrl.HandleEngineEvent(kEventConnectionClosed);
        }
    }
    // Longer than the first pause: no attempt came after the disconnect.
    EXPECT_FALSE(qxtest::WaitFor([&] { return Ctrl.LoggingThread() != nullptr; }, 1500));
    int iGaps = -1;
    ASSERT_TRUE(TSessionGapStore(Ctrl.SQLConnection)
                    .CountEndedSince(QDateTime::currentDateTime().addDays(-1), iGaps));
    EXPECT_EQ(iGaps, 0);
}
