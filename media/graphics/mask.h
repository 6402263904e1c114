// Mask screen: a target-sized 8-bit mask that limits drawing to the pixels whose mask
// byte is 0, the brackets every front draw is wrapped in while masking, and the "Mask"
// handle type.
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/graphics/mem_img.h"

namespace ZaDod {

int InitializeMaskManage();
int TerminateMaskManage();
// The release callback of "Mask" records: frees the record's data block.
int TerminateMaskHandle(HandleEntryHeader* record);

// Makes or grows the mask to at least width x height (nothing when create is 0).
int CreateMaskScreen(int create, int width, int height);
int DeleteMaskScreen();
int RestoreMaskScreen();
int ReleaseMaskScreenResource();

int SetUseMaskScreenFlag(int flag);
int GetUseMaskScreenFlag();
// 1 while front draws go through the mask (use flag set and a mask screen exists).
int IsDrawingThroughMask();
// 1 while the mask screen is wanted (made by CreateMaskScreen, until DeleteMaskScreen).
int IsMaskScreenCreated();
int BeginMaskDraw(const ImageRect* rect);
int EndMaskDraw(const ImageRect* rect);
// Composites a masked draw whose end has not run yet over the draw area.
int FlushPendingMaskDraw();
// The image a software draw lands on when no mask is in the way: the target graph's
// image or the main screen.
MEMIMG* GetRealSoftDrawTarget();
// Points the software draw target at the mask image while masking, else at the real target.
void RefreshSoftDrawTargetForMask();

// The mask buffer (one byte a pixel, 0 lets drawing through), its pitch and size; null
// without a mask screen. The hardware back ends upload it into their mask images.
uint8_t* GetMaskBuffer(int* pitch, int* width, int* height);

// How the hardware renderers take a masked draw back onto the real target. A mask graph
// (0 or below: none) lets each drawn pixel through by one channel of the graph's texel
// under it (blend type 0 alpha, 1 red, 2 green, 3 blue): result = c * drawn + (1 - c) * old.
// The reverse flag lets through where the mask byte is not 0 instead of where it is 0 (on
// every renderer), and with a mask graph uses the channel's complement. Each flushes the
// pending draws first.
int SetMaskGraph(int handle);
int SetMaskBlendType(int type);
int SetMaskReverseFlag(int flag);
int GetMaskReverseFlag();
// The mask graph for the end of a masked draw and its blend type; null without one. A
// handle that no longer names a graph is cleared here.
struct GraphData;
GraphData* TakeMaskGraph(int* blendType);

// Test facility: the mask buffer (pitch in bytes), its size, and the nesting depth.
uint8_t* GetMaskBufferForTest(int* pitch, int* width, int* height);
int GetMaskNestingForTest();

}  // namespace ZaDod
