// Graphics start-up and shut-down, the software screens and the shared work buffers.
#pragma once
#include <cstddef>

namespace ZaDod {

// -1 when the start fails (a screen above 16384 on a side, an API that does not
// start, screens that cannot be made), with everything undone.
int InitializeGraphics();
int TerminateGraphics();
// 0, or -1 when the main or auxiliary screen cannot be made (nothing is left made).
int CreateSoftwareScreens();
int ReleaseSoftwareScreens();
// Grows shared work buffer 0, 1 or 2 to at least size bytes, keeping its contents.
int ReserveDrawWorkBuffer(int index, size_t size);
void* GetDrawWorkBuffer(int index);
int ReleaseDrawWorkBuffers();
// Before start-up only: 0 forbids Direct3D.
int SetUseHardwareFlag(int flag);

}  // namespace ZaDod
