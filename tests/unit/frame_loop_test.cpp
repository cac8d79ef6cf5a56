// Tests of the frame loop against the portable clock and message queue:
// pacing by each step's duration, messages first (also those arriving
// during a wait), no catching up, stopped frames, and a clock that wraps.
#include "mascot/frame.h"
#include "mascot/frame_loop.h"
#include "platform/clock.h"
#include "platform/portable/hooks.h"
#include "tests/support/mascot_fixture.h"

#include <vector>

namespace {

std::vector<uint32_t> g_frameTimes;   // clock reading at each frame's start
std::vector<int> g_events;            // frames (as -1) and messages (their number) in order
int g_framesWanted = 0;               // frames before the loop is told to quit

void RecordFrame() {
    g_frameTimes.push_back(LastFrame.time);
    g_events.push_back(-1);
    if (static_cast<int>(g_frameTimes.size()) == g_framesWanted) SysTestPostQuit(7);
}

void RecordMessage(void* context) { g_events.push_back(static_cast<int>(reinterpret_cast<intptr_t>(context))); }

class FrameLoopTest : public MascotTest {
protected:
    void Run(int frames) {
        g_frameTimes.clear();
        g_events.clear();
        g_framesWanted = frames;
        AfterFrame = RecordFrame;
        EXPECT_EQ(RunFrameLoop(), 7) << "the quit message's parameter";
    }
};

TEST_F(FrameLoopTest, EachStepStaysForItsOwnDuration) {
    // Steps of 100, 250 and 0 ms, looping for ever.
    Start(CharacterWithActions({{"paced", "ms,3,0,0,0,0,3,0,2,-1,0,0,0,100,1,0,0,250,2,0,0,0,1,stand,100,"}}), "paced");
    SysTestSetClock(5000);
    Run(7);
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{5000, 5100, 5350, 5350, 5450, 5700, 5700}));
    EXPECT_EQ(SysTestWaitCount(), 4) << "one wait per frame, none for a zero duration";
}

TEST_F(FrameLoopTest, MessagesComeFirstEvenBetweenBackToBackFrames) {
    Start(CharacterWithActions({{"rapid", "ms,1,0,0,0,0,1,0,0,-1,0,0,0,0,1,stand,100,"}}), "rapid");
    SysTestPostMessage(RecordMessage, reinterpret_cast<void*>(1));
    SysTestPostMessage(RecordMessage, reinterpret_cast<void*>(2));
    struct Poster {
        static void AfterFirst() {
            RecordFrame();
            if (g_frameTimes.size() == 1) SysTestPostMessage(RecordMessage, reinterpret_cast<void*>(3));
        }
    };
    g_frameTimes.clear();
    g_events.clear();
    g_framesWanted = 3;
    AfterFrame = Poster::AfterFirst;
    EXPECT_EQ(RunFrameLoop(), 7);
    EXPECT_EQ(g_events, (std::vector<int>{1, 2, -1, 3, -1, -1}));
    EXPECT_EQ(SysTestWaitCount(), 0);
}

TEST_F(FrameLoopTest, AMessageDuringAWaitIsHandledAtOnceAndTheFrameKeepsItsMoment) {
    // One step of 2200 ms; messages arrive 1500 ms and 2199 ms into the first
    // wait, and one at the very moment the second frame is due.
    Start(CharacterWithActions({{"slow", "ms,1,0,0,0,0,1,0,0,-1,0,0,0,2200,1,stand,100,"}}), "slow");
    SysTestSetClock(1000);
    static std::vector<uint32_t> handledAt;
    handledAt.clear();
    struct Stamp {
        static void At(void*) {
            handledAt.push_back(SysNow());
            g_events.push_back(0);
        }
    };
    SysTestPostMessageAt(2500, Stamp::At, nullptr);
    SysTestPostMessageAt(3199, Stamp::At, nullptr);
    SysTestPostMessageAt(3200, Stamp::At, nullptr);
    Run(3);
    EXPECT_EQ(handledAt, (std::vector<uint32_t>{2500, 3199, 3200}));
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{1000, 3200, 5400}));
    EXPECT_EQ(g_events.size(), 6u) << "the message due with the frame comes first";
    EXPECT_EQ(g_events[3], 0);
    EXPECT_EQ(g_events[4], -1);
    EXPECT_EQ(SysTestWaitCount(), 4) << "three waits up to the second frame (no spinning), one to the third";
    EXPECT_EQ(SysTestWaitedTotal(), 4400u);
}

TEST_F(FrameLoopTest, ALateFrameIsNotCaughtUp) {
    Start(CharacterWithActions({{"paced", "ms,1,0,0,0,0,1,0,0,-1,0,0,0,100,1,stand,100,"}}), "paced");
    struct Late {
        static void Delay(void*) { SysTestSetClock(SysNow() + 400); }  // a message that takes 400 ms
    };
    struct Poster {
        static void AfterFrame() {
            RecordFrame();
            if (g_frameTimes.size() == 1) SysTestPostMessage(Late::Delay, nullptr);
        }
    };
    g_frameTimes.clear();
    g_events.clear();
    g_framesWanted = 3;
    AfterFrame = Poster::AfterFrame;
    RunFrameLoop();
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{0, 400, 500})) << "100 ms after the late frame's own start";
}

TEST_F(FrameLoopTest, StoppedFramesWaitForMessagesAloneAndGoOnAtOnce) {
    // Steps of 100 ms. The hide key at 250 ms and again ten minutes later;
    // then the session locked and the display off, overlapping.
    Start(CharacterWithActions({{"paced", "ms,1,0,0,0,0,1,0,0,-1,0,0,0,100,1,stand,100,"}}), "paced");
    static std::vector<int> hiddenAndSilent;
    hiddenAndSilent.clear();
    struct Stops {
        static uint32_t Reason(void* context) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(context)); }
        static void Stop(void* context) { StopFrames(Reason(context), 1); }
        static void Go(void* context) {
            hiddenAndSilent.push_back(!SysIsVisible(MainWindow) && SysTestSoundStops() > 0);
            StopFrames(Reason(context), 0);
        }
    };
    auto at = [](uint32_t time, void (*handler)(void*), uint32_t reason) {
        SysTestPostMessageAt(time, handler, reinterpret_cast<void*>(static_cast<uintptr_t>(reason)));
    };
    at(250, Stops::Stop, kStoppedByHotKey);
    at(600250, Stops::Go, kStoppedByHotKey);
    at(600420, Stops::Stop, kStoppedByLock);
    at(600430, Stops::Stop, kStoppedByDisplay);
    at(900000, Stops::Go, kStoppedByLock);  // the display is still off
    at(1200000, Stops::Go, kStoppedByDisplay);
    Run(7);
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{0, 100, 200, 600250, 600350, 1200000, 1200100}));
    EXPECT_EQ(hiddenAndSilent, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(SysTestWaitCount(), 10) << "while stopped, one wait per message and none besides";
}

TEST_F(FrameLoopTest, AWrappingClockNeitherSkipsNorStallsTheWait) {
    EXPECT_EQ(FrameWait(100, 0xFFFFFF9Cu), 200);   // due just after the wrap
    EXPECT_EQ(FrameWait(0xFFFFFF9Cu, 100), -200);  // overdue across the wrap
    EXPECT_EQ(FrameWait(5, 5), 0);

    Start(CharacterWithActions({{"paced", "ms,1,0,0,0,0,1,0,0,-1,0,0,0,300,1,stand,100,"}}), "paced");
    SysTestSetClock(0xFFFFFF00u);
    Run(3);
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{0xFFFFFF00u, 0x2Cu, 0x158u}));
    EXPECT_EQ(SysTestWaitedTotal(), 600u);
}

}  // namespace
