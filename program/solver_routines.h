// The handlers of the three equation pages.
#pragma once

#include "runtime/sdk/routine.h"

// Click of 求根: solves ax^2 + bx + c = 0 into x1 and x2.
QX_IMAGE_ROUTINE void OnSolveQuadratic();
// Click of 求解: solves ax + b = 0 into 编辑框3.
QX_IMAGE_ROUTINE void OnSolveLinear();
// Click of 求方程组: solves the system of two equations into xyx and xyy.
QX_IMAGE_ROUTINE void OnSolveSystem();
