// Lights: a table of 4096 light records behind handles of type 11, their numbering
// for the device (directional, then spot, then point lights) and the library's
// default light.
#pragma once
#include <cstdint>

namespace ZaDod {

enum : int { kLightPoint = 1, kLightSpot = 2, kLightDirectional = 3 };
constexpr int kMaxLights = 4096;
constexpr int kMaxActiveLights = 256;

// The 104-byte description the back ends receive.
struct LightParam {
    int32_t kind;
    float diffuse[4], specular[4], ambient[4];
    float position[3], direction[3];
    float range, falloff, attenuation0, attenuation1, attenuation2, theta, phi;
};
static_assert(sizeof(LightParam) == 104);

struct LightData {
    int32_t checkNo;
    int32_t handle;
    LightParam param;
    int32_t deviceIndex;  // -1 none
    int32_t enabled;
    int32_t changed;
};

int CreateLightHandle();
int DeleteLightHandle(int handle);
int DeleteAllLightHandles();
// Graphics shut-down: every light and the default light go.
int DeleteAllLightsOnTerminate();
LightData* GetLightData(int handle);
int SetLightEnableHandle(int handle, int flag);
// Makes the next refresh send every enabled light again (a re-created device has none).
void RequestLightStatesResend();
// 1 when the light list changed since the last refresh.
int LightStatesDirty();
// Numbers the enabled lights for the device and sends what changed; 0.
int RefreshLightStates();
// The default light's handle, -1 none.
int GetDefaultLightHandle();

}  // namespace ZaDod
