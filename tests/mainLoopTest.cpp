// The fixed-step main loop driven by a fake counter.
#include "app/mainLoop.h"
#include "app/perfOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/input.h"
#include "core/timer.h"
#include "fakeFrame.h"
#include "fakePlatform.h"

// Runs the loop with updates and frames that take fixed counter times; the
// trace records 'U' per update, 'R' per rendered frame, 'P' per presentation.
struct LoopRun {
    int64_t updateTicks = 2;
    int64_t renderTicks = 1;
    int quitAfter = 20;
    std::function<void()> onRender;
    std::function<void(int)> onUpdate; // gets the update's number

    std::string trace;
    int updates = 0;

    void run()
    {
        fake_game.onUpdate = [this](float) {
            trace += 'U';
            if (onUpdate)
                onUpdate(updates);
            fake.counter += updateTicks;
            if (++updates == quitAfter)
                request_quit();
        };
        if (!fake_device.onRender)
            fake_device.onRender = [this](float) {
                trace += 'R';
                fake.counter += renderTicks;
                if (onRender)
                    onRender();
                return true;
            };
        fake_device.onPresent = [this] { trace += 'P'; };
        main_loop();
    }
};

static size_t longest_run(const std::string& s, char c)
{
    size_t best = 0, run = 0;
    for (char x : s) {
        run = x == c ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

// The quit request cannot be taken back, so every run of the loop happens in
// a child process; the test's checks run there and report through the exit code.
#define IN_CHILD(...)                                                                                        \
    do {                                                                                                     \
        auto body = [&] { __VA_ARGS__; };                                                                    \
        EXPECT_EXIT(                                                                                         \
            {                                                                                                \
                body();                                                                                      \
                _exit(::testing::Test::HasFailure() ? 1 : 0);                                                \
            },                                                                                               \
            ::testing::ExitedWithCode(0), "");                                                               \
    } while (0)

class MainLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake_reset();
        fake_frame_reset();
        fake.frequency = 1000;
        fake.counter = 5000;
        timer_init();
        set_update_rate(20, 5); // 50 ticks per update
    }
};

TEST_F(MainLoop, AFrequencyBelowTwentyStillGivesAPeriodOfOneTick)
{
    fake.frequency = 10;
    timer_init();
    set_update_rate(20, 5);
    EXPECT_EQ(update_period_us(), 100000); // one tick of 0.1 s
    IN_CHILD({
        LoopRun r;
        r.updateTicks = 0;
        r.quitAfter = 5;
        r.run();
        EXPECT_EQ(r.trace.substr(0, 7), "URPURPU");
    });
}

TEST_F(MainLoop, UpdateRateLimits)
{
    set_update_rate(0, -3);
    EXPECT_EQ(update_period_us(), 1000000); // one update per second
    set_update_rate(20, 5);
    EXPECT_EQ(update_period_us(), 50000);
}

TEST_F(MainLoop, IdleFastRenderingPresentsEveryFrameAndUpdatesOncePerPeriod)
{
    IN_CHILD({
        fake_game.gpuLoad = 42;
        LoopRun r;
        r.run();
        EXPECT_EQ(r.trace[0], 'U'); // one update before anything is drawn
        EXPECT_EQ(r.trace.find("RR"), std::string::npos);
        EXPECT_EQ(longest_run(r.trace, 'U'), 1u);
        const FrameStats& s = frame_stats();
        EXPECT_EQ(s.updateIndex, 20); // one entry per update
        EXPECT_EQ(s.updateUs[0], 0);
        EXPECT_EQ(s.updateUs[1], 2000); // the duration of the previous update
        EXPECT_EQ(s.frameUs[0], 1000);  // from before the frame to after its presentation
        EXPECT_EQ(s.gpuLoad[0], 42);
        // 20 updates of 50 ticks: about 48 frames between two updates.
        EXPECT_NEAR(fake_device.presents, 19 * 48, 19);
        EXPECT_EQ(s.frameIndex, fake_device.presents % FRAME_STATS_LEN);
    });
}

// Frames not yet measured count as no figure, so the overlay leaves the GPU
// load out on a machine without a source instead of showing "0%".
TEST_F(MainLoop, GpuLoadsNotYetMeasuredAreMinusOne)
{
    IN_CHILD({
        LoopRun r;
        r.quitAfter = 2;
        r.run();
        const FrameStats& s = frame_stats();
        ASSERT_GT(s.frameIndex, 0);
        ASSERT_LT(s.frameIndex, FRAME_STATS_LEN - 1);
        for (int i = 0; i < FRAME_STATS_LEN; ++i)
            EXPECT_EQ(s.gpuLoad[i], -1) << i;
        EXPECT_EQ(summarize_ring(s.gpuLoad).max, -1);
    });
}

TEST_F(MainLoop, SlowUpdatesRunAtMostSixBetweenFramesThenDropTheBacklog)
{
    IN_CHILD({
        LoopRun r;
        r.updateTicks = 120; // each update takes 2.4 periods
        r.quitAfter = 60;
        r.run();
        EXPECT_EQ(longest_run(r.trace, 'U'), 6u);
        // When the cap is exceeded one frame is drawn, the backlog dropped,
        // and one more update runs before that frame is presented.
        EXPECT_NE(r.trace.find("UUUUUURUP"), std::string::npos);
        // The game slows down instead of spiralling: far fewer updates than
        // the counter time would call for.
        int64_t elapsed = fake.counter - 5000;
        EXPECT_LT(r.updates, elapsed / 50 * 2 / 3);
        EXPECT_EQ(frame_stats().updateUs[1], 120000);
    });
}

TEST_F(MainLoop, ACounterGoingBackwardsGivesNoUpdateBurst)
{
    IN_CHILD({
        LoopRun r;
        int renders = 0;
        r.onRender = [&] {
            if (++renders == 100)
                fake.counter -= 100000;
        };
        r.quitAfter = 10;
        r.run();
        EXPECT_EQ(longest_run(r.trace, 'U'), 1u);
        EXPECT_EQ(r.updates, 10);
    });
}

TEST_F(MainLoop, FramesPerSecondChangesOncePerSecondOfCounterTime)
{
    IN_CHILD({
        LoopRun r;
        r.renderTicks = 4;
        r.quitAfter = 70; // 3.5 seconds
        std::vector<std::pair<int64_t, int>> seen;
        r.onUpdate = [&](int) { seen.push_back({fake.counter, frames_per_second()}); };
        r.run();
        std::vector<int64_t> changes; // counter times at which a new figure was seen
        for (size_t i = 0; i < seen.size(); ++i) {
            if (seen[i].first - 5000 < 1000) {
                EXPECT_EQ(seen[i].second, 0) << "before the first full second";
            }
            if (i > 0 && seen[i].second != seen[i - 1].second)
                changes.push_back(seen[i].first);
        }
        ASSERT_FALSE(changes.empty());
        for (size_t i = 1; i < changes.size(); ++i)
            EXPECT_GT(changes[i] - changes[i - 1], 900);
        EXPECT_NEAR(frames_per_second(), 240, 12);
    });
}

TEST_F(MainLoop, DeclinedFramesAreNotPresented)
{
    IN_CHILD({
        fake_device.onRender = [](float) {
            fake.counter += 1;
            return false;
        };
        LoopRun r;
        r.quitAfter = 5;
        r.run();
        EXPECT_EQ(fake_device.presents, 0);
        EXPECT_EQ(frame_stats().frameIndex, 0);
        EXPECT_EQ(r.updates, 5);
    });
}

TEST_F(MainLoop, TheLagPassedToTheFrameIsTheTimeSinceTheUpdateWasDue)
{
    IN_CHILD({
        std::vector<float> lags;
        fake_device.onRender = [&](float lag) {
            lags.push_back(lag);
            fake.counter += 10;
            return true;
        };
        LoopRun r;
        r.updateTicks = 0;
        r.quitAfter = 3;
        r.run();
        ASSERT_GE(lags.size(), 5u);
        EXPECT_FLOAT_EQ(lags[0], 0.0f);
        EXPECT_FLOAT_EQ(lags[1], 0.010f);
        EXPECT_FLOAT_EQ(lags[4], 0.040f);
        EXPECT_FLOAT_EQ(lags[5], 0.0f); // after the next update
    });
}

TEST_F(MainLoop, AQuitBeforeTheLoopEndsItAtOnce)
{
    IN_CHILD({
        request_quit();
        LoopRun r;
        r.run();
        EXPECT_EQ(r.trace, "");
    });
}

// Paused after the fifth update for a thousand frames (twenty periods of
// counter time): no update runs meanwhile, every paused frame gets the same
// lag, and the game goes on afterwards one update per period, without a burst.
TEST_F(MainLoop, APauseStopsTheUpdatesAndTheirClock)
{
    IN_CHILD({
        LoopRun r;
        int renders = 0;
        std::vector<float> pausedLags;
        fake_device.onRender = [&](float lag) {
            r.trace += paused() ? 'r' : 'R';
            if (paused())
                pausedLags.push_back(lag);
            fake.counter += 1;
            if (paused() && ++renders == 500)
                push_input_event(INPUT_KEY_DOWN, 'Q', 0, 0, 0, 0);
            if (paused() && renders == 1000) {
                EXPECT_TRUE(set_paused(false));
            }
            return true;
        };
        // The game's menu takes what was typed in each paused pass before it is dropped.
        int menuKeys = 0;
        fake_game.onPausedInput = [&] {
            InputEvent e;
            while (pop_input_event(&e))
                menuKeys += e.key == 'Q';
        };
        r.onUpdate = [&](int n) {
            if (n == 4) {
                EXPECT_TRUE(set_paused(true));
            }
        };
        r.quitAfter = 10;
        r.run();
        EXPECT_FALSE(fake_game.pausedFrames);
        size_t first = r.trace.find('r'), last = r.trace.rfind('r');
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(r.trace.substr(first, last - first + 1).find('U'), std::string::npos);
        EXPECT_EQ(longest_run(r.trace.substr(last), 'U'), 1u);
        EXPECT_EQ(r.updates, 10);
        ASSERT_EQ(pausedLags.size(), 1000u);
        EXPECT_EQ(pausedLags.front(), pausedLags.back());
        EXPECT_EQ(menuKeys, 1);
        EXPECT_GE(fake_game.pausedInputs, 1000);

        fake_game.pauseAllowed = false; // the upgrade screen
        EXPECT_FALSE(set_paused(true));
        EXPECT_FALSE(paused());
    });
}

// Paused for five seconds of counter time: the passes sleep in the event
// wait, a frame is drawn twice a second and at once when a message
// arrives (the menu's hover needs it), and a resume from the wait goes on
// at once, one update per period.
TEST_F(MainLoop, APausedLoopSleepsInTheEventWaitAndDrawsOnMessagesAndTwiceASecond)
{
    IN_CHILD({
        LoopRun r;
        std::vector<int64_t> pausedFrames;
        int64_t pausedAt = 0, movedAt = 0, resumedAt = 0;
        fake_device.onRender = [&](float) {
            r.trace += paused() ? 'r' : 'R';
            if (paused())
                pausedFrames.push_back(fake.counter);
            fake.counter += 1;
            return true;
        };
        std::vector<int64_t> updateTimes;
        r.onUpdate = [&](int n) {
            updateTimes.push_back(fake.counter);
            if (n == 4) {
                EXPECT_TRUE(set_paused(true));
                pausedAt = fake.counter;
            }
        };
        fake.onPump = [&](WindowProc proc, int wait_ms) {
            EXPECT_LE(wait_ms, 500);
            if (!paused() || wait_ms == 0)
                return false;
            int64_t due = pausedAt + (movedAt ? 5000 : 2100);
            if (fake.counter + wait_ms < due)
                return false;
            fake.counter = due; // the message ends the wait
            if (movedAt) {
                resumedAt = due;
                EXPECT_TRUE(set_paused(false));
                return true;
            }
            movedAt = due;
            WindowMessage m = {};
            m.type = WMSG_MOUSE_MOVE;
            proc(m);
            return true;
        };
        r.quitAfter = 10;
        r.run();
        // The pause's own frame, one per 500 ticks and one for the message.
        EXPECT_NEAR(static_cast<double>(pausedFrames.size()), 1 + 5000 / 500 + 1, 1);
        EXPECT_NE(std::find(pausedFrames.begin(), pausedFrames.end(), movedAt), pausedFrames.end());
        for (size_t i = 1; i < pausedFrames.size(); ++i)
            EXPECT_LE(pausedFrames[i] - pausedFrames[i - 1], 501);
        EXPECT_LT(fake.pumpWaits.size(), 20u); // asleep, not polling
        // The clock goes on from where it stood: the next update within a
        // period of the resume, and no burst.
        ASSERT_GT(resumedAt, 0);
        ASSERT_EQ(updateTimes.size(), 10u);
        EXPECT_GT(updateTimes[5], resumedAt);
        EXPECT_LE(updateTimes[5], resumedAt + 50);
        EXPECT_EQ(longest_run(r.trace.substr(r.trace.rfind('r')), 'U'), 1u);
    });
}

// Minimised, the game plays on: each update starts when it falls due (the
// event wait ends there), and frames are drawn twice a second.
TEST_F(MainLoop, MinimisedTheUpdatesKeepTheirTimeAndFramesComeTwiceASecond)
{
    IN_CHILD({
        fake.minimised = true;
        LoopRun r;
        std::vector<int64_t> updateTimes;
        r.onUpdate = [&](int) { updateTimes.push_back(fake.counter); };
        r.quitAfter = 41; // two seconds
        r.run();
        for (size_t i = 0; i < updateTimes.size(); ++i)
            EXPECT_EQ(updateTimes[i], 5000 + 50 * static_cast<int64_t>(i)) << i;
        EXPECT_NEAR(fake_device.presents, 2 * 2, 1);
        EXPECT_FALSE(fake.pumpWaits.empty());
    });
}

// A frame the GPU declines makes the loop wait in the driver, a millisecond
// at most and never past the time the next update falls due, which then
// starts on time.
TEST_F(MainLoop, WhileTheGpuIsBehindTheLoopWaitsInTheDriverWithoutDelayingUpdates)
{
    IN_CHILD({
        fake.frequency = 1000000; // microseconds
        timer_init();
        set_update_rate(20, 5);
        fake_device.onRender = [](float) { return false; };
        fake_device.onGpuWait = [](int timeout_us) {
            fake.counter += timeout_us;
            return false;
        };
        LoopRun r;
        std::vector<int64_t> updateTimes;
        r.onUpdate = [&](int) { updateTimes.push_back(fake.counter); };
        r.quitAfter = 5;
        r.run();
        for (size_t i = 0; i < updateTimes.size(); ++i)
            EXPECT_EQ(updateTimes[i], 5000 + 50000 * static_cast<int64_t>(i)) << i;
        ASSERT_FALSE(fake_device.gpuWaitsUs.empty());
        int most = *std::max_element(fake_device.gpuWaitsUs.begin(), fake_device.gpuWaitsUs.end());
        EXPECT_EQ(most, 1000);
        EXPECT_LT(fake_device.gpuWaitsUs.size(), 4u * 55); // about 50 waits per period
    });
}
