// The mascot program's process-wide state (declared in mascot/state.h).
#include "mascot/state.h"

Settings UserSettings = {nullptr, kDefaultCharActPer, 1, 1, kDefaultHideHotKey, 0, 1, ""};
Character RunningCharacter = {};
SysWindow* MainWindow = nullptr;
SysDC* BackBufferDC = nullptr;
SysDC* CelDC = nullptr;

SysWindow* SupportWindow = nullptr;
Rect SupportRect = {0, 0, 0, 0};
Rect LastSupportRect = {0, 0, 0, 0};
uint32_t WatchedAction = 0;
uint32_t WatchSettleTime = 0;
uint32_t WatchEndTime = 0;
int32_t LastDirection = 0;

int64_t PendingShiftX = 0;
int64_t PendingShiftY = 0;
int32_t FrameSound = -1;
uint32_t FramesStopped = 0;
int32_t UserAway = 0;

FrameRecord LastFrame = {};
void (*AfterFrame)() = nullptr;
