// The window-wide handlers: the tools menu, the window's created event and
// the clear link.
#pragma once

#include "runtime/sdk/routine.h"

#include <cstdint>

// Menu item 记事本: starts the system text editor without waiting.
QX_IMAGE_ROUTINE void OnRunNotepad();
// Menu item 计算器: starts the system calculator without waiting.
QX_IMAGE_ROUTINE void OnRunCalculator();
// Menu item 退出(&X): ends the program at once.
QX_IMAGE_ROUTINE void OnExit();
// Window event 0, once the main window exists: reseeds the random source.
QX_IMAGE_ROUTINE void OnWindowCreated();
// Click of the 清空 link: empties every edit box of the page on show. The
// three arguments of the click are ignored; callers pass 0, 0, 0.
QX_IMAGE_ROUTINE void OnClearPage(std::int32_t, std::int32_t, std::int32_t);
