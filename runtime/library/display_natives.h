// The global functions of the display objects: layering, containers,
// canvases and direct drawing.
#pragma once

#include "runtime/vm/context.h"

namespace kv {

void enlayerNative(KVContext* ctx);
void unlayerNative(KVContext* ctx);
void encontainerNative(KVContext* ctx);
void decontainerNative(KVContext* ctx);
void makeCanvasNative(KVContext* ctx);

void beginDirectPaintNative(KVContext* ctx);
void endDirectPaintNative(KVContext* ctx);
void directBoxNative(KVContext* ctx);
void directTriangleNative(KVContext* ctx);
void directCircleNative(KVContext* ctx);
void directOvalNative(KVContext* ctx);
void directLineNative(KVContext* ctx);
void directPixelNative(KVContext* ctx);
void directLabelNative(KVContext* ctx);

}  // namespace kv
