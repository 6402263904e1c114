// Shadow-map handles (type 18): the light-space projection used while drawing into a
// map, the draw state saved for the end of that drawing, and the three slots through
// which shaders read maps. Nothing here creates maps; the back ends serve them.
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/base/maths.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

struct ShadowMapData {
    HandleEntryHeader header;
    int32_t graph;  // the map's graph or texture handle, -1 none
    int32_t width, height;
    int32_t setupActive;
    float depthBias;   // 0.002
    int32_t blur;      // Gauss strength applied when drawing ends; 0 none
    float secondBias;  // 0.0007
    float scale[2];    // 1.0
    Vector3F lightDirection, lightRight, lightUp;
    Vector3F areaMin, areaMax;  // the area the map covers
    Matrix4x4F view, projection, viewProjection;
    // The draw state from before the map became the target.
    RenderTargetSlot savedTargets[kMaxRenderTargets];
    Vector3D savedEye, savedTarget, savedUp;
    Matrix4x4D savedView, savedProjection, savedUserProjection, savedViewport;
    int32_t savedProjectionMode;
    double savedFieldOfView, savedNearZ, savedFarZ;
    void* data;
};

constexpr int kShadowMapSlots = 3;
struct ShadowMapState {
    int slots[kShadowMapSlots];  // -1 empty
    int boundCount;
    int drawing;  // the map a draw setup is making the target, -1 none
    int pending;  // the map whose drawing ends with the next target change, -1 none
};
extern ShadowMapState ShadowMapUse;

int InitShadowMapHandle(HandleEntryHeader* record);
int TerminateShadowMapHandle(HandleEntryHeader* record);
ShadowMapData* GetShadowMapData(int handle);

// The light direction and the light-space basis built from it; -1 for a bad handle
// or a direction of no length.
int SetShadowMapLightDirection(int handle, float x, float y, float z);
// Puts a map into one of the three slots that lit 3D draws compare their pixels with, or
// empties the slot (handle -1). -1 for a slot outside 0..2 or a handle that is no map.
int SetShadowMapSlot(int slot, int handle);
// Makes the map the draw target with its light-space view and projection installed.
int ShadowMap_DrawSetup(ShadowMapData* map);
// Ends the pending drawing: restores the saved draw state and blurs the map by its
// blur parameter. -1 when nothing is pending.
int ShadowMap_DrawEnd();
// The same from a target change, which sets the new target itself.
int ShadowMap_DrawEndForTargetChange();

}  // namespace ZaDod
