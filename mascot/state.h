// The mascot program's process-wide state that several parts share: the
// running character, the mascot window and its two memory drawing contexts.
#pragma once

#include "modules/character.h"
#include "platform/graphics.h"
#include "platform/window.h"

extern Character RunningCharacter;  // the one character being played
extern SysWindow* MainWindow;       // the mascot window
extern SysDC* BackBufferDC;         // holds the running character's canvas; every frame is composed here
extern SysDC* CelDC;                // a cel's bitmap is selected here only to be copied to the canvas
