// The front-only draw state, the batch flush before state changes, draw-target sizes
// and the combined transform.
#include "media/graphics/render_state.h"

#include <unordered_map>

#include "media/base/handle.h"
#include "media/graphics/hardware.h"

namespace ZaDod {

RenderState GraphicsRender{};

void FlushDrawBatch() {
    if (GraphicsSys.hardware) Graphics_Hardware_FlushVertexBatch(0);
}

int GetDrawTargetSize(int handle, int* width, int* height) {
    int w, h;
    if (handle == -4 || handle == -2 || handle == -3 || handle == -5) {
        w = GraphicsSys.width ? GraphicsSys.width : 640;
        h = GraphicsSys.height ? GraphicsSys.height : 480;
    } else {
        GraphTargetInfo info;
        if (GetGraphTargetInfo(handle, &info) != 0) return -1;
        w = info.width;
        h = info.height;
    }
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

void RefreshCombinedMatrix() {
    const DrawSettings& s = GraphicsDrawSettings;
    Matrix4x4D viewProjection;
    CreateMultiplyMatrixD(&viewProjection, &s.view, &s.projection);
    CreateMultiplyMatrixD(&GraphicsRender.combined, &viewProjection, &s.viewport);
    GraphicsRender.combinedInverseValid = 0;
}

// Temporary graph seam: a table of what tests and the screen code registered.
namespace {
std::unordered_map<int, GraphTargetInfo>& graphTargets() {
    static std::unordered_map<int, GraphTargetInfo> table;
    return table;
}
}  // namespace

int GetGraphTargetInfo(int handle, GraphTargetInfo* out) {
    if (((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) != HANDLETYPE_GRAPH || GetHandleInfo(handle) == nullptr)
        return -1;
    auto it = graphTargets().find(handle);
    if (it == graphTargets().end()) return -1;
    *out = it->second;
    return 0;
}

void SetGraphTargetInfo(int handle, const GraphTargetInfo* info) {
    if (info == nullptr)
        graphTargets().erase(handle);
    else
        graphTargets()[handle] = *info;
}

}  // namespace ZaDod
