// Temporary: the Direct3D 9 back end is not built yet. Its start-up fails, so the
// API choice falls back to software mode and nothing else here is ever reached;
// every other entry answers "no device". The back end's own sources replace this file.
#include "media/graphics/d3d9/d3d9.h"

// The stubs keep the real parameter lists, which they do not read.
#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace ZaDod {

#define HALVORINE_ABSENT_D3D9(result, name, params, args) \
    result Graphics_D3D9_##name params { return static_cast<result>(-1); }
HALVORINE_HW_TABLE_OPS(HALVORINE_ABSENT_D3D9)
HALVORINE_HW_BACKEND_OPS(HALVORINE_ABSENT_D3D9)
HALVORINE_HW_D3D9_OPS(HALVORINE_ABSENT_D3D9)
#undef HALVORINE_ABSENT_D3D9

int Direct3DDevice9_IsValid() { return 0; }
int Direct3DDevice9_SetDialogBoxMode(int) { return -1; }
int Direct3DSurface9_LockRect(void*, Direct3DLockedRect*, const ImageRect*, unsigned int) { return -1; }
int Direct3DSurface9_UnlockRect(void*) { return -1; }

}  // namespace ZaDod
