// The mascot program's shared process-wide state.
#include "mascot/state.h"

Character RunningCharacter = {};
SysWindow* MainWindow = nullptr;
SysDC* BackBufferDC = nullptr;
SysDC* CelDC = nullptr;
