// Marks a function as an image routine: the runtime resolves it by name.
//
// Image routines are found through the dynamic linker, so each must keep C
// linkage, default visibility and survive the linker even though nothing in
// the program calls it. Write the marker before the return type:
//
//   QX_IMAGE_ROUTINE void OnSolveLinear();
//
// and repeat it on the definition.
#pragma once

#define QX_IMAGE_ROUTINE extern "C" __attribute__((visibility("default"), used))
