// Zippit.exe's entry: one copy only, settings loaded. The splash, the mascot
// window and the frame loop take over from here as they are built.
#include "mascot/product.h"
#include "mascot/random.h"
#include "settings/settings.h"

#include <windows.h>
#include <mmsystem.h>

static HANDLE InstanceMutex;  // held for the whole run so a second copy can tell

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    (void)instance;
    SeedRandom(timeGetTime());

    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kProductCaption);
    if (existing) {
        CloseHandle(existing);
        MessageBoxA(nullptr, kMsgAlreadyRunning, kProductCaption, MB_ICONWARNING);
        return 0;
    }
    InstanceMutex = CreateMutexA(nullptr, FALSE, kProductCaption);

    if (!LoadSettings()) {
        MessageBoxA(nullptr, kMsgNoSettings, kProductCaption, MB_ICONERROR);
        ReleaseMutex(InstanceMutex);
        return 0;
    }
    ReleaseMutex(InstanceMutex);
    return 0;
}
