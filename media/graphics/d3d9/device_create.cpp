// Making the Direct3D 9 device for the game window: Ex first, mixed then software vertex
// processing, the retry chain over the screen settings, the device limits and the survey.
#include "media/base/log.h"
#include "media/graphics/d3d9/backend.h"

namespace ZaDod {

D3D9DeviceState D3D9DeviceSys{};

int D3D9_CapsShaderModel() {
    if (D3D9Sys.direct3D == nullptr) return 0;
    plat::gpu::D3DCAPS9 caps{};
    if (Direct3D9_GetDeviceCaps(D3D9DeviceSys.adapter, plat::gpu::D3DDEVTYPE_HAL, &caps) != 0) return 0;
    const DWORD vs = caps.VertexShaderVersion & 0xFFFF, ps = caps.PixelShaderVersion & 0xFFFF;
    if (vs < 0x200 && ps < 0x200) return 0;
    if (vs < 0x300 || ps < 0x300) return 200;
    return 300;
}

int Graphics_D3D9_GetShaderModelVersion() { return ProgrammableShaderFlag ? D3D9_CapsShaderModel() : 0; }

}  // namespace ZaDod
