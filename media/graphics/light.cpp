// The light table: creating, enabling and deleting lights, the numbering the device
// sees, and the default light the draw-state reset makes.
#include "media/graphics/light.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "media/base/memory.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/render_state.h"
#include "media/system/fatal.h"

namespace ZaDod {
namespace {

struct LightTable {
    LightData* slots[kMaxLights];
    int count;
    int areaMax;       // index after the highest used slot
    int checkCounter;  // wraps to 0 at 1023
    int active[kMaxActiveLights];
    int activeCount;   // device indices handed out by the last refresh
    int dirty;
    int force;
    int defaultLight;
};
LightTable lights = {{}, 0, 0, 0, {}, 0, 0, 0, -1};

constexpr int kLightHandleTag = 0x2C00;  // type 11 in the top bits

void markDirty() {
    lights.dirty = 1;
    GraphicsDrawSettings.dirty = 1;
}

int slotOf(int handle) {
    if (handle < 0 || ((handle >> 16) & 0x7C00) != kLightHandleTag) return -1;
    const int slot = handle & 0xFFFF;
    if (slot >= kMaxLights || lights.slots[slot] == nullptr) return -1;
    if (lights.slots[slot]->handle != handle) return -1;
    return slot;
}

}  // namespace

LightData* GetLightData(int handle) {
    const int slot = slotOf(handle);
    return slot < 0 ? nullptr : lights.slots[slot];
}

int CreateLightHandle() {
    int slot = lights.areaMax;
    if (slot >= kMaxLights) {
        for (slot = 0; slot < kMaxLights && lights.slots[slot] != nullptr; ++slot) {
        }
        // A full table has no slot to give.
        if (slot == kMaxLights) return -1;
    }
    auto* light = static_cast<LightData*>(MemCalloc(sizeof(LightData), __FILE__, __LINE__));
    if (light == nullptr) FatalErrorExit(u"ライト用のメモリの確保に失敗しました");
    LightParam& p = light->param;
    for (int i = 0; i < 4; ++i) {
        p.diffuse[i] = 1.0f;
        p.specular[i] = 1.0f;
        p.ambient[i] = 0.33f;
    }
    p.range = 2000.0f;
    p.falloff = 1.0f;
    p.attenuation0 = 0.1f;
    p.theta = p.phi = 2.0f;
    light->deviceIndex = -1;
    light->checkNo = lights.checkCounter;
    if (++lights.checkCounter >= 1023) lights.checkCounter = 0;
    light->handle = ((light->checkNo | kLightHandleTag) << 16) | slot;
    lights.slots[slot] = light;
    ++lights.count;
    if (slot >= lights.areaMax) lights.areaMax = slot + 1;
    light->enabled = 1;
    light->changed = 1;
    markDirty();
    return light->handle;
}

int SetLightEnableHandle(int handle, int flag) {
    LightData* light = GetLightData(handle);
    if (light == nullptr) return -1;
    const int enabled = flag ? 1 : 0;
    if (light->enabled == enabled) return 0;
    light->enabled = enabled;
    light->changed = 1;
    markDirty();
    return 0;
}

int DeleteLightHandle(int handle) {
    const int slot = slotOf(handle);
    if (slot < 0) return -1;
    LightData* light = lights.slots[slot];
    if (light->enabled) markDirty();
    MemFree(light);
    lights.slots[slot] = nullptr;
    --lights.count;
    while (lights.areaMax > 0 && lights.slots[lights.areaMax - 1] == nullptr) --lights.areaMax;
    if (handle == lights.defaultLight) lights.defaultLight = -1;
    return 0;
}

int DeleteAllLightHandles() {
    for (int slot = 0; slot < lights.areaMax; ++slot)
        if (lights.slots[slot] != nullptr) DeleteLightHandle(lights.slots[slot]->handle);
    return 0;
}

int DeleteAllLightsOnTerminate() {
    DeleteAllLightHandles();
    lights.defaultLight = -1;
    return 0;
}

int GetDefaultLightHandle() { return lights.defaultLight; }

void RequestLightStatesResend() {
    lights.force = 1;
    GraphicsDrawSettings.dirty = 1;
}

int LightStatesDirty() { return lights.dirty || lights.force ? 1 : 0; }

int RefreshLightStates() {
    Graphics_Hardware_SetUseLighting(GraphicsDrawSettings.lightingOff ? 0 : 1);
    if (!lights.dirty && !lights.force) return 0;
    const int previous = lights.activeCount;
    int next = 0;
    for (int kind : {kLightDirectional, kLightSpot, kLightPoint}) {
        for (int slot = 0; slot < lights.areaMax; ++slot) {
            LightData* light = lights.slots[slot];
            if (light == nullptr || !light->enabled || light->param.kind != kind) continue;
            const int index = next++;
            if (index < kMaxActiveLights) lights.active[index] = slot;
            if (light->deviceIndex != index || light->changed || lights.force) {
                light->deviceIndex = index;
                light->changed = 0;
                Graphics_Hardware_SetLightParamByIndex(index, &light->param);
                Graphics_Hardware_SetLightEnableByIndex(index, 1);
            }
        }
    }
    // Lights off or deleted no longer hold a device index.
    for (int slot = 0; slot < lights.areaMax; ++slot) {
        LightData* light = lights.slots[slot];
        if (light != nullptr && (!light->enabled || light->param.kind < kLightPoint ||
                                 light->param.kind > kLightDirectional))
            light->deviceIndex = -1;
    }
    for (int index = next; index < previous; ++index) Graphics_Hardware_SetLightEnableByIndex(index, 0);
    lights.activeCount = next;
    lights.dirty = lights.force = 0;
    GraphicsDrawSettings.dirty = 1;
    Graphics_Hardware_ShadowMap_RefreshPSParam();
    return 0;
}

int SetDefaultLightDirection(float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length < 1e-7f) return -1;
    if (GetLightData(lights.defaultLight) == nullptr) {
        lights.defaultLight = CreateLightHandle();
        if (lights.defaultLight < 0) return -1;
    }
    LightData* light = GetLightData(lights.defaultLight);
    light->param.kind = kLightDirectional;
    light->param.direction[0] = x / length;
    light->param.direction[1] = y / length;
    light->param.direction[2] = z / length;
    light->changed = 1;
    markDirty();
    GraphicsRender.defaultLightDirection = Vector3F{x / length, y / length, z / length};
    return lights.defaultLight;
}

}  // namespace ZaDod
