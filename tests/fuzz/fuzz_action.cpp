// Fuzz target: the action script. Input: the plain text of an action script,
// loaded from a module that holds 8 cels "a00".."a07", sounds "s00".."s02"
// and the cels and sounds of the small test character; loaded with sound on
// and off, and as a mouse-watching action. Each action that loads with sound
// on is then played for some frames on the simulated screen, with the
// margins of the character at the ends of their range as well, so its
// offsets and anchors go through every position sum. Then pkm check runs over
// a character that starts with the script, naming entries both ways (as
// entries, and as the files of an authoring folder): it must not crash, leak,
// or pass an action the program refuses.
#include "mascot/behaviour.h"
#include "mascot/frame.h"
#include "mascot/random.h"
#include "mascot/running_character.h"
#include "mascot/state.h"
#include "modules/action.h"
#include "platform/graphics.h"
#include "platform/portable/hooks.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/pkm/commands.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kFrames = 40;

TestCharacter MakeBase() {
    TestCharacter character = MakeTestCharacter();
    character.AddCels("a", 8);
    character.AddSounds("s", 3);
    return character;
}

void CheckAction(const Action* action) {
    FuzzCheck(action->celCount >= 1 && action->stepCount >= 1 && action->nextCount >= 1, "an action with an empty part");
    for (int32_t i = 0; i < action->stepCount; i++)
        FuzzCheck(action->steps[i].celIndex >= 0 && action->steps[i].celIndex < action->celCount, "a step's cel outside the action");
    FuzzCheck(action->loopStart >= 0 && action->loopStart < action->stepCount, "a loop starting outside the steps");
    for (int32_t i = 0; i < action->celCount; i++)
        FuzzCheck(RegionDataIsSound(action->cels[i].regionData, action->cels[i].regionSize), "a cel with unsound region data");
}

// The files a build from a folder would have made the character's entries from.
AuthorFiles FolderOf(const TestCharacter& character) {
    AuthorFiles files{"src", {}, {}};
    for (const TestEntry& entry : character.entries) {
        const std::string& name = entry.name;
        std::string stem = name.size() > 4 ? name.substr(0, name.size() - 4) : name;
        std::string suffix = name.size() > 4 ? name.substr(name.size() - 4) : "";
        files.sources[name] = name == "info.txt"      ? "src/info.txt"
                              : name == "palette.tw8" ? "src/palette.png"
                              : suffix == ".snd"      ? "src/sounds/" + stem + ".wav"
                              : suffix == ".tw8" || suffix == ".rgn" ? "src/images/" + stem + ".png"
                                                                     : "src/actions/" + name + ".txt";
    }
    return files;
}

// pkm check over the module now in use, both ways of naming entries.
void CheckAsTheToolDoes(bool actLoads) {
    static FILE* const nowhere = std::fopen("/dev/null", "w");
    static const AuthorFiles folder = FolderOf(MakeBase());
    for (const AuthorFiles* files : {static_cast<const AuthorFiles*>(nullptr), &folder}) {
        CheckResult result = CheckModule(kFuzzModulePath, "fuzz", files, nowhere);
        FuzzCheck(actLoads || result.errors > 0, "pkm check passed an action the program refuses");
        FuzzCheck(result.actions >= 1, "pkm check did not reach the start action");
    }
}

bool Held(int32_t coordinate) { return std::abs(static_cast<int64_t>(coordinate)) <= kCoordinateLimit + 4096; }

// Plays `action` (taken over) as the running character's current action.
void PlayFrames(Action* action, int32_t margin) {
    SeedRandom(1);
    if (!LoadStartingCharacter(&RunningCharacter, kFuzzModulePath)) {
        ReleaseAction(action);
        return;
    }
    ReleaseAction(RunningCharacter.currentAction);
    RunningCharacter.currentAction = action;
    RunningCharacter.marginLeft = RunningCharacter.marginRight = margin;
    SysWindow* support = SysTestCreateWindow(Rect{0, 300, 1024, 768}, "Notepad", 1);
    SysTestSetForeground(support);
    MainWindow = SysTestCreateWindow(Rect{100, 100, 164, 148}, "PK32MainWClass", 0);
    BackBufferDC = SysCreateMemoryDC();
    CelDC = SysCreateMemoryDC();
    SysBitmap* previous = SysSelectBitmap(BackBufferDC, RunningCharacter.canvas.bitmap);
    ResetFrameState();
    PendingShiftX = PendingShiftY = 0;
    for (int frame = 0; frame < kFrames; frame++) {
        SysTestSetClock(static_cast<uint32_t>(frame) * 700);
        FrameTick();
        const Rect& w = LastFrame.window;
        FuzzCheck(!LastFrame.shown || (Held(w.left) && Held(w.top) && Held(w.right) && Held(w.bottom)),
                  "a window position outside the coordinate range");
    }
    SysSelectBitmap(BackBufferDC, previous);
    SysDeleteDC(CelDC);
    SysDeleteDC(BackBufferDC);
    CelDC = BackBufferDC = nullptr;
    ReleaseCharacter(&RunningCharacter);
    MainWindow = nullptr;
    SysTestDestroyAllWindows();
    ResetFrameState();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFu) return 0;
    static const TestCharacter base = MakeBase();
    TestCharacter character = base;
    Bytes script = Scramble(Bytes(data, data + size));
    character.Put("act", script);
    character.Put("mus01", script);
    Bytes module = MakeModule(character.entries);
    FuzzUseModule(module);
    UserSettings.CharActPer = 550;

    for (int32_t sound = 0; sound <= 1; sound++) {
        UserSettings.SndUse = sound;
        for (const char* name : {"act", "mus01"}) {
            Action* action = LoadAction(kFuzzModulePath, name, UserSettings.SndUse);
            if (action) {
                CheckAction(action);
                FuzzCheck(sound == 1 || action->soundCount == 0, "sounds loaded with sound off");
            }
            if (action && sound == 1) {
                PlayFrames(action, 20);
                action = LoadAction(kFuzzModulePath, name, UserSettings.SndUse);
                PlayFrames(action, std::numeric_limits<int32_t>::min());
            } else {
                ReleaseAction(action);
            }
        }
    }

    character.PutText("info.txt", InfoText("Checked", "1,act,100,"));
    Bytes checked = MakeModule(character.entries);
    FuzzUseModule(checked);
    Action* act = LoadAction(kFuzzModulePath, "act", 1);
    ReleaseAction(act);
    CheckAsTheToolDoes(act != nullptr);
    FuzzForgetModule();
    FuzzCheckNothingLeft();
    return 0;
}
