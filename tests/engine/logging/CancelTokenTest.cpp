#include "core/CancelToken.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace {

// Far longer than any test may take: a sleep that runs its full time shows as a hang, caught by the bound.
constexpr int kLongMs = 600000;
constexpr auto kBound = std::chrono::seconds(20);

TEST(CancelToken, CancelEndsASleepOnAnotherThreadAtOnce) {
    TCancelToken Token;
    std::promise<void> Asleep;
    auto Sleeper = std::async(std::launch::async, [&] {
        Asleep.set_value();
        return Token.SleepFor(kLongMs);
    });
    Asleep.get_future().wait();
    Token.Cancel();
    ASSERT_EQ(Sleeper.wait_for(kBound), std::future_status::ready);
    EXPECT_FALSE(Sleeper.get());
    EXPECT_TRUE(Token.Cancelled());
    // Once cancelled, a sleep does not even begin.
    EXPECT_FALSE(Token.SleepFor(kLongMs));
}

TEST(CancelToken, ReopenedTokenLetsWaitsRunUntilItsDeadlineOnly) {
    TCancelToken Token;
    Token.Cancel();
    Token.Reopen(50);
    EXPECT_FALSE(Token.Cancelled());
    auto Sleeper = std::async(std::launch::async, [&] { return Token.SleepFor(kLongMs); });
    ASSERT_EQ(Sleeper.wait_for(kBound), std::future_status::ready);
    EXPECT_FALSE(Sleeper.get()) << "the deadline ends the sleep as a cancel would";
    EXPECT_TRUE(Token.Cancelled());
}

TEST(CancelToken, SlicesOfBlockingWaits) {
    TCancelToken Token;
    EXPECT_EQ(CancelSliceMs(nullptr, 1000), 1000) << "no token: the whole wait";
    EXPECT_EQ(CancelSliceMs(&Token, 1000), TCancelToken::kSliceMs);
    EXPECT_EQ(CancelSliceMs(&Token, 20), 20);
    EXPECT_TRUE(Token.SleepFor(1)) << "an uncancelled sleep runs its time";
    Token.Cancel();
    EXPECT_EQ(CancelSliceMs(&Token, 1000), 0);
    EXPECT_TRUE(IsCancelled(&Token));
    EXPECT_FALSE(IsCancelled(nullptr));
}

} // namespace
