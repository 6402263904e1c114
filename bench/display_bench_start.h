// Start of the display-object benchmarks: a headless 640 x 480 32-bit software screen
// and a fresh object system with the runtime library, as the game loop runs them.
#pragma once

#include <cstdlib>

#include "media/base/clock.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/system/winapi.h"
#include "runtime/library/layer.h"
#include "runtime/library/library_hooks.h"
#include "runtime/vm/bootstrap.h"
#include "runtime/vm/heap.h"

// False when graphics could not start.
inline bool startDisplayBench() {
    setenv("HALVORINE_HEADLESS", "1", 1);
    setenv("HALVORINE_MISSING", "d3d11,d3d9", 1);
    ZaDod::LoadWinAPI();
    ZaDod::SetupPerformanceCounter();
    ZaDod::GraphicsSys.colorBits = 32;
    ZaDod::SetMainScreenSize(640, 480);
    if (ZaDod::InitializeGraphics() != 0) return false;
    kv::initGcHeap();
    kv::installRuntimeLibrary();
    kv::bootstrapObjectSystem();
    kv::initRuntimeConstants();
    return true;
}

// Puts a display object into layer l of the list (the layer list holds it).
inline void addToLayer(kv::GraphicalFactor* obj, int l) {
    kv::KVLayer* layer = kv::layerList()[l];
    obj->layer = layer;
    layer->addMember(obj);
}
