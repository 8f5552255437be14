// The handlers of the tools menu and of the window's created event.
#pragma once

#include "runtime/sdk/routine.h"

// Menu item 记事本: starts the system text editor without waiting.
QX_IMAGE_ROUTINE void OnRunNotepad();
// Menu item 计算器: starts the system calculator without waiting.
QX_IMAGE_ROUTINE void OnRunCalculator();
// Menu item 退出(&X): ends the program at once.
QX_IMAGE_ROUTINE void OnExit();
// Window event 0, once the main window exists: reseeds the random source.
QX_IMAGE_ROUTINE void OnWindowCreated();
