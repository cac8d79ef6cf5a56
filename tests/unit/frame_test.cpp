// Tests of the frame tick on the simulated screen: the supporting window,
// snapping and clamping, the taskbar and full-screen programs, the desktop's
// place on several monitors, and the mouse-watching direction and timers.
#include "mascot/behaviour.h"
#include "mascot/frame.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/support/mascot_fixture.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

Rect WindowRect(SysWindow* window) {
    Rect rect;
    SysWindowRect(window, &rect);
    return rect;
}

// An action of one 4x2 cel standing still, anchored at (ax, ay).
std::string StillAction(int ax, int ay) {
    return "ms,1," + std::to_string(ax) + "," + std::to_string(ay) + ",0,0,1,0,0,-1,0,0,0,100,1,stand,100,";
}

class FrameTest : public MascotTest {};

TEST_F(FrameTest, SnappingPutsTheStandingLineOnTheEdge) {
    Start(CharacterWithActions({{"tall", StillAction(0, 50)}}), "tall");
    struct Case {
        Rect support;
        int32_t top;
        int32_t onTop;
    } cases[] = {
        {{0, 200, 800, 600}, 150, 1},   // room above: on the top edge
        {{0, 50, 800, 600}, 547, 0},    // top equal to anchorY: no room, inside the bottom
        {{0, 0, 1024, 768}, 715, 0},    // maximised or desktop
    };
    for (const Case& c : cases) {
        Rect rect = {100, 10, 104, 12};
        SnapToSupport(&rect, c.support);
        EXPECT_EQ(rect.top, c.top);
        EXPECT_EQ(RunningCharacter.onWindowTop, c.onTop);
        Rect again = {100, 10, 104, 12};
        ResnapToSupport(&again, Rect{0, 400, 800, 600});
        EXPECT_EQ(again.top, c.onTop ? 350 : 547) << "the edge comes from onWindowTop";
    }
    Rect overhang = {790, 0, 810, 2};
    SnapToSupport(&overhang, Rect{0, 200, 800, 600});
    EXPECT_EQ(overhang.left, 780);
    Rect outside = {-30, 0, -10, 2};
    SnapToSupport(&outside, Rect{0, 200, 800, 600});
    EXPECT_EQ(outside.left, 0);
}

TEST_F(FrameTest, TheClampKeepsTheAnchorWithinTheMargins) {
    Start(CharacterWithActions({{"wide", StillAction(40, 2)}}), "wide");
    RunningCharacter.marginLeft = 20;
    RunningCharacter.marginRight = 30;
    SupportRect = Rect{0, 300, 1000, 768};
    struct Case {
        int32_t x, expected, hit;
    } cases[] = {{500, 500, 0}, {930, 930, 0}, {950, 930, 1}, {-20, -20, 0}, {-21, -20, 1}};
    for (const Case& c : cases) {
        RunningCharacter.edgeHit = 0;
        EXPECT_EQ(ClampHorizontal(c.x), c.expected) << c.x;
        EXPECT_EQ(RunningCharacter.edgeHit, c.hit) << c.x;
    }
    // Windows too narrow for both margins (min > max).
    RunningCharacter.edgeHit = 0;
    SupportRect = Rect{100, 300, 130, 768};  // min = 80, max = 60
    EXPECT_EQ(ClampHorizontal(70), 70) << "between max and min: both clamps, the middle";
    EXPECT_EQ(RunningCharacter.edgeHit, 1);
    EXPECT_EQ(ClampHorizontal(0), 80) << "below both: min";
    SupportRect = Rect{-101, 300, -70, 768};  // min = -121, max = -140: middle -130.5 truncates to -130
    EXPECT_EQ(ClampHorizontal(-125), -130);
}

TEST_F(FrameTest, EightDirectionsAroundTheWatchingPoint) {
    Start(CharacterWithActions({{"wide", StillAction(40, 2)}}), "wide");
    // The watching point is the window's top-left plus step 0's (dx, dy) = (0, 0).
    SysTestSetWindowRect(MainWindow, Rect{500, 400, 504, 402});
    struct Case {
        int32_t cx, cy, direction;
    } cases[] = {
        {600, 400, 2}, {500, 300, 0}, {500, 500, 4}, {400, 400, 6},
        {600, 300, 1}, {400, 500, 5}, {600, 500, 3}, {400, 300, 7},
        {500, 400, 2},  // on the point itself
        {610, 395, 2},  {600, 330, 1},  // 2.9 and 35 degrees up
    };
    for (const Case& c : cases) {
        SysTestSetCursor(c.cx, c.cy);
        EXPECT_EQ(CursorDirection(), c.direction) << c.cx << "," << c.cy;
    }
    EXPECT_EQ(AngleBetween(0, 0, 10, 0, 10, 0), 0);
    EXPECT_EQ(AngleBetween(0, 0, 10, 0, -10, 0), 180);
    EXPECT_EQ(AngleBetween(0, 0, 0, 0, 5, 5), 0) << "no direction: 0 rather than NaN";
    // Nearly parallel long vectors, where rounding pushes the cosine past 1.
    EXPECT_EQ(AngleBetween(0, 0, 2147483647, 2147483646, 2147483646, 2147483645), 0);
}

TEST_F(FrameTest, FramesFollowTheForegroundWindow) {
    Start(CharacterWithActions({{"still", StillAction(2, 2)}}), "still");
    FrameTick();
    EXPECT_EQ(SupportWindow, support_);
    Rect shown = WindowRect(MainWindow);
    EXPECT_EQ(shown.top, 298) << "standing line on the support's top edge (300)";
    EXPECT_EQ(shown.right - shown.left, 4);
    SysTestWindowView view;
    SysTestViewWindow(MainWindow, &view);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.shapeSize, 48u);

    // Minimising the foreground window moves the character to the desktop's bottom edge.
    SysTestSetMinimized(support_, 1);
    FrameTick();
    EXPECT_EQ(SupportWindow, SysDesktopWindow());
    EXPECT_EQ(WindowRect(MainWindow).top, 768 - 2 - 3);
    SysTestSetMinimized(support_, 0);

    // The taskbar hides the character and holds the step.
    SysWindow* taskbar = SysTestCreateWindow(Rect{0, 740, 1024, 768}, "Shell_TrayWnd", 1);
    SysTestSetForeground(taskbar);
    int32_t ticks = RunningCharacter.currentAction->tickCount;
    FrameTick();
    SysTestViewWindow(MainWindow, &view);
    EXPECT_FALSE(view.visible);
    EXPECT_EQ(RunningCharacter.currentAction->tickCount, ticks) << "no AdvanceStep";
    EXPECT_EQ(LastFrame.shown, 0);

    // Any other visible window brings it back on that window's top edge.
    SysWindow* other = SysTestCreateWindow(Rect{200, 500, 700, 700}, "Editor", 1);
    SysTestSetForeground(other);
    FrameTick();
    SysTestViewWindow(MainWindow, &view);
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(WindowRect(MainWindow).top, 498);

    // An invisible foreground window is never adopted; the mascot itself leaves the support as it is.
    SysWindow* hidden = SysTestCreateWindow(Rect{0, 100, 50, 200}, "Hidden", 0);
    SysTestSetForeground(hidden);
    FrameTick();
    EXPECT_EQ(SupportWindow, other);
    SysTestSetForeground(MainWindow);
    FrameTick();
    EXPECT_EQ(SupportWindow, other);

    // A supporting window that is closed with nothing else in front leaves the
    // character on the desktop, not at an empty rectangle's corner.
    SysWindow* closing = SysTestCreateWindow(Rect{300, 400, 600, 600}, "Closing", 1);
    SysTestSetForeground(closing);
    FrameTick();
    EXPECT_EQ(WindowRect(MainWindow).top, 398);
    SysTestCloseWindow(closing);
    FrameTick();
    EXPECT_EQ(SupportWindow, SysDesktopWindow());
    EXPECT_EQ(WindowRect(MainWindow).top, 768 - 2 - 3);

    // A moved supporting window snaps the character again.
    SysTestSetForeground(other);
    SysTestSetWindowRect(other, Rect{200, 450, 700, 700});
    FrameTick();
    EXPECT_EQ(WindowRect(MainWindow).top, 448);
}

TEST_F(FrameTest, AFullScreenProgramInFrontHidesTheCharacter) {
    Start(CharacterWithActions({{"still", StillAction(2, 2)}}), "still");
    // The primary monitor is the desktop (0,0,1024,768); a second stands to its right.
    Monitor monitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 740}, 96},
                          {{1024, 0, 2944, 1080}, {1024, 0, 2944, 1080}, 96}};
    SysTestSetMonitors(monitors, 2);
    struct Case {
        Rect rect;
        const char* className;
        int caption;
        int shown;
    } cases[] = {
        {{0, 0, 1024, 768}, "Game", 0, 0},
        {{-8, -8, 1032, 776}, "Game", 0, 0},           // overhanging its monitor still covers it
        {{1024, 0, 2944, 1080}, "Film", 0, 0},         // the second monitor's own rectangle
        {{0, 0, 1024, 768}, "Editor", 1, 1},           // maximised under a hidden taskbar: it keeps its title bar
        {{0, 0, 1024, 767}, "Game", 0, 1},             // one row short
        {{1024, 0, 2944, 1079}, "Film", 0, 1},
        {{0, 0, 1024, 768}, "Progman", 0, 1},          // the shell's desktop windows cover it too
        {{0, 0, 2944, 1080}, "WorkerW", 0, 1},
    };
    for (const Case& c : cases) {
        SysWindow* window = SysTestCreateWindow(c.rect, c.className, 1);
        SysTestSetCaption(window, c.caption);
        SysTestSetForeground(window);
        FrameTick();
        SysTestWindowView view;
        SysTestViewWindow(MainWindow, &view);
        EXPECT_EQ(LastFrame.shown, c.shown) << c.className << " " << c.rect.right;
        EXPECT_EQ(view.visible, c.shown) << c.className << " " << c.rect.right;
        if (!c.shown) {
            EXPECT_NE(SupportWindow, window) << "a full-screen window is never stood on";
        }
    }
    SysTestSetForeground(SysDesktopWindow());
    FrameTick();
    EXPECT_EQ(LastFrame.shown, 1) << "the desktop has no title bar and covers the screen, yet is no program";

    // The window stood on turns full-screen and back: hidden meanwhile, then on its edge again.
    SysTestSetForeground(support_);
    FrameTick();
    EXPECT_EQ(WindowRect(MainWindow).top, 298);
    SysTestSetCaption(support_, 0);
    SysTestSetWindowRect(support_, Rect{0, 0, 1024, 768});
    FrameTick();
    EXPECT_EQ(LastFrame.shown, 0);
    SysTestSetCaption(support_, 1);
    SysTestSetWindowRect(support_, Rect{0, 300, 1024, 768});
    FrameTick();
    EXPECT_EQ(LastFrame.shown, 1);
    EXPECT_EQ(WindowRect(MainWindow).top, 298);

    // Turned off, the character stands inside the full-screen window's bottom edge.
    UserSettings.HideOverFullScreen = 0;
    SysWindow* game = SysTestCreateWindow(Rect{0, 0, 1024, 768}, "Game", 1);
    SysTestSetCaption(game, 0);
    SysTestSetForeground(game);
    FrameTick();
    EXPECT_EQ(LastFrame.shown, 1);
    EXPECT_EQ(SupportWindow, game);
    EXPECT_EQ(WindowRect(MainWindow).top, 768 - 2 - 3);

    // What the system says of the user hides it over any window, unless
    // turned off too; a full-screen program it reports over the desktop does not.
    SysWindow* wallpaper = SysTestCreateWindow(Rect{0, 0, 1024, 768}, "Progman", 1);
    struct Busy {
        UserState state;
        SysWindow* front;
        int hideOverFullScreen;
        int shown;
    } busy[] = {
        {UserState::kPresenting, support_, 0, 1},          {UserState::kPresenting, support_, 1, 0},
        {UserState::kAway, wallpaper, 1, 0},               {UserState::kFullScreenProgram, support_, 1, 0},
        {UserState::kFullScreenProgram, wallpaper, 1, 1}, {UserState::kAvailable, support_, 1, 1},
    };
    for (const Busy& b : busy) {
        SysTestSetUserState(b.state);
        SysTestSetForeground(b.front);
        UserSettings.HideOverFullScreen = b.hideOverFullScreen;
        FrameTick();
        EXPECT_EQ(LastFrame.shown, b.shown) << static_cast<int>(b.state) << (b.front == wallpaper ? " desktop" : "");
    }
}

TEST_F(FrameTest, WithoutAWindowTheCharacterStandsOnItsOwnMonitorsWorkArea) {
    Start(CharacterWithActions({{"still", StillAction(2, 2)}}), "still");
    // Taskbars at the bottom of both monitors; the second is right of the primary.
    Monitor monitors[] = {{{0, 0, 1024, 768}, {0, 0, 1024, 740}, 96}, {{1024, 0, 2048, 768}, {1024, 0, 2048, 700}, 96}};
    SysTestSetMonitors(monitors, 2);
    struct Case {
        Rect support;
        bool closeIt;        // else minimised
        int32_t top;         // where the character stands afterwards
        int32_t leftAtLeast;
    } cases[] = {
        {{1100, 300, 1900, 600}, false, 700 - 2 - 3, 1024},
        {{1100, 300, 1900, 600}, true, 700 - 2 - 3, 1024},
        {{100, 300, 900, 600}, false, 740 - 2 - 3, 0},
    };
    for (const Case& c : cases) {
        SysWindow* window = SysTestCreateWindow(c.support, "Editor", 1);
        SysTestSetForeground(window);
        FrameTick();
        ASSERT_EQ(WindowRect(MainWindow).top, 298);
        if (c.closeIt)
            SysTestCloseWindow(window);
        else
            SysTestSetMinimized(window, 1);
        FrameTick();
        Rect shown = WindowRect(MainWindow);
        EXPECT_EQ(SupportWindow, SysDesktopWindow());
        EXPECT_EQ(shown.top, c.top) << c.support.left << (c.closeIt ? " closed" : " minimised");
        EXPECT_GE(shown.left, c.leftAtLeast) << "not on the other screen";
        Rect area;
        ASSERT_EQ(SupportArea(SupportWindow, &area), 1);
        EXPECT_EQ(area, SupportRect) << "the fallback a drag's end takes too";
    }
    // A window across both monitors is stood on as it is.
    SysWindow* wide = SysTestCreateWindow(Rect{900, 300, 1300, 760}, "Editor", 1);
    SysTestSetForeground(wide);
    FrameTick();
    Rect area;
    ASSERT_EQ(SupportArea(wide, &area), 1);
    EXPECT_EQ(area, (Rect{900, 300, 1300, 760}));
    SysTestCloseWindow(wide);
    EXPECT_EQ(SupportArea(wide, &area), 0);
}

TEST_F(FrameTest, EveryChangeOfCelOrPlaceReachesTheScreen) {
    // Three 4 x 2 cels of different pixels, the last two of one shape; a frame that repeats
    // what is shown may skip work, but no change may be lost on the way.
    TestCharacter character = CharacterWithActions(
        {{"two", "rs,3,0,2,0,0,6,0,5,-1,0,0,0,100,1,0,0,100,1,5,0,100,1,0,0,100,2,0,0,100,0,0,0,100,1,stand,100,"}});
    character.Put("rs00.tw8", MakeImage(4, 2, Bytes(8, 3), false));
    character.Put("rs00.rgn", MakeRegion({{0, 0, 4, 2}}));
    character.Put("rs01.tw8", MakeImage(4, 2, Bytes(8, 9), false));
    character.Put("rs01.rgn", MakeRegion({{0, 0, 2, 2}}));
    character.Put("rs02.tw8", MakeImage(4, 2, Bytes(8, 5), false));
    character.Put("rs02.rgn", MakeRegion({{0, 0, 2, 2}}));
    Start(character, "two");
    SysWindow* taskbar = SysTestCreateWindow(Rect{0, 740, 1024, 768}, "Shell_TrayWnd", 1);
    struct Case {
        const char* what;
        bool hiddenBefore;  // a frame with the taskbar in front comes first
        int cel;
        int32_t shapeRight;
        int32_t left;
    } cases[] = {
        {"first frame", false, 0, 4, 100},
        {"new cel, same place", false, 1, 2, 100},
        {"same cel, moved", false, 1, 2, 105},
        {"same cel, same place, after a hide", true, 1, 2, 105},
        {"new cel of the same shape", false, 2, 2, 105},
        {"back to the first cel", false, 0, 4, 105},
    };
    std::vector<uint8_t> pixels[3];
    for (const Case& c : cases) {
        if (c.hiddenBefore) {
            SysTestSetForeground(taskbar);
            FrameTick();
            SysTestSetForeground(support_);
        }
        FrameTick();
        SysTestWindowView view;
        SysTestViewWindow(MainWindow, &view);
        ASSERT_TRUE(view.visible) << c.what;
        ASSERT_TRUE(view.pixels && view.shape && view.shapeSize == 48u) << c.what;
        EXPECT_EQ(LastFrame.cel, c.cel) << c.what;
        int32_t shapeRight = 0;
        std::memcpy(&shapeRight, view.shape + 40, 4);
        EXPECT_EQ(shapeRight, c.shapeRight) << c.what;
        EXPECT_EQ(view.rect.left, c.left) << c.what;
        EXPECT_EQ(view.rect.top, 298) << c.what;
        std::vector<uint8_t> shown(view.pixels, view.pixels + size_t(view.pixelWidth) * view.pixelHeight * 3);
        if (pixels[c.cel].empty()) pixels[c.cel] = shown;
        EXPECT_EQ(shown, pixels[c.cel]) << c.what;
    }
    EXPECT_NE(pixels[0], pixels[1]);
    EXPECT_NE(pixels[1], pixels[2]);
}

TEST_F(FrameTest, ASwitchKeepsTheStandingPointThenResnapsOnce) {
    // stand anchors at (2, 2); "big" at (10, 20) and moves 5 right each step.
    Start(CharacterWithActions({{"big", "ms,1,10,20,0,0,1,0,0,-1,0,5,0,100,1,stand,100,"}}), "stand");
    FrameTick();
    Rect before = WindowRect(MainWindow);
    SwitchAction("big");
    PendingShiftX = 8;
    PendingShiftY = 18;
    FrameTick();
    Rect after = WindowRect(MainWindow);
    EXPECT_EQ(after.left, before.left + 5 - 8);
    EXPECT_EQ(after.top, before.top - 18) << "the anchor points of both actions meet";
    EXPECT_EQ(PendingShiftX, 0);
    FrameTick();  // tickCount 1: resnapped to the edge with the new anchor
    EXPECT_EQ(WindowRect(MainWindow).top, 300 - 20);
}

TEST_F(FrameTest, ModuleNumbersAtThe32BitEndsCannotWrapAPosition) {
    // Offsets at one end of the 32-bit range, anchors and margins at the
    // other; the switch to "musfar" makes an anchor shift of 2^32 - 1 and
    // takes the watching point from step 0's offsets.
    Start(CharacterWithActions(
              {{"far", "ms,1,-2147483648,-2147483648,0,0,2,0,1,0,0,2147483647,2147483647,100,"
                       "0,-2147483648,-2147483648,100,1,musfar,100,"},
               {"musfar", "ms,8,2147483647,2147483647,0,0,2,0,1,0,0,2147483647,-2147483648,100,0,0,0,100,1,far,100,"}}),
          "far");
    RunningCharacter.marginLeft = std::numeric_limits<int32_t>::min();
    RunningCharacter.marginRight = std::numeric_limits<int32_t>::min();
    FrameTick();
    EXPECT_EQ(WindowRect(MainWindow).top, kCoordinateLimit) << "held, not wrapped below the screen";
    for (int frame = 1; frame < 6; frame++) {
        FrameTick();
        Rect r = WindowRect(MainWindow);
        EXPECT_LE(std::abs(r.left), kCoordinateLimit) << frame;
        EXPECT_LE(std::abs(r.top), kCoordinateLimit) << frame;
    }
    EXPECT_STREQ(RunningCharacter.currentAction->name, "musfar");
    EXPECT_EQ(HoldCoordinate(-(int64_t{1} << 40)), -kCoordinateLimit);
}

TEST_F(FrameTest, AStillCursorEndsAWatchAfterTenSeconds) {
    std::string watch = "ms,8,0,0,0,0,2,0,1,0,0,0,0,0,0,0,0,500,1,stand,100,";
    Start(CharacterWithActions({{"muswatch", watch}}), "muswatch");
    SysTestSetWindowRect(MainWindow, Rect{500, 298, 504, 300});
    SysTestSetCursor(900, 298);  // right of the point: direction 2
    uint32_t now = 1000;
    int frames = 0;
    while (std::string(RunningCharacter.currentAction->name) == "muswatch" && frames < 100) {
        SysTestSetClock(now);
        FrameTick();
        EXPECT_EQ(LastFrame.step, 1);
        EXPECT_EQ(LastFrame.cel, 2) << "the cel of the cursor's direction";
        now += 500;
        frames++;
    }
    EXPECT_EQ(now - 500, 1000u + 10500u) << "the first frame after 10 seconds ends it";

    // A cursor that keeps changing direction never ends the watch.
    SwitchAction("muswatch");
    Action* fresh = LoadAction("m.Pkm", "muswatch", UserSettings.SndUse);
    ReleaseAction(RunningCharacter.currentAction);
    RunningCharacter.currentAction = fresh;  // a new instance restarts the timers
    for (int i = 0; i < 100; i++) {
        SysTestSetClock(now);
        SysTestSetCursor(i % 2 ? 900 : 100, 298);
        FrameTick();
        ASSERT_STREQ(RunningCharacter.currentAction->name, "muswatch") << "frame " << i;
        now += 500;
    }
}

TEST_F(FrameTest, ANewInstanceAtTheSameAddressStillRestartsTheWatch) {
    std::string watch = "ms,8,0,0,0,0,2,0,1,-1,0,0,0,0,0,0,0,500,1,stand,100,";
    Start(CharacterWithActions({{"muswatch", watch}}), "muswatch");
    SysTestSetClock(0);
    FrameTick();
    uint32_t end = WatchEndTime;
    // Release and reload until the new action lands where the old one was.
    uint32_t oldSerial = RunningCharacter.currentAction->serial;
    Action* old = RunningCharacter.currentAction;
    ReleaseAction(old);
    Action* fresh = LoadAction("m.Pkm", "muswatch", UserSettings.SndUse);
    RunningCharacter.currentAction = fresh;
    EXPECT_NE(fresh->serial, oldSerial);
    SysTestSetClock(60000);
    FrameTick();
    EXPECT_EQ(WatchEndTime, 70000u) << "timers restarted for the new instance (old end " << end << ")";
}

}  // namespace
