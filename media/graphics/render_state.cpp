// The front-only draw state, the batch flush before state changes, draw-target sizes
// and the combined transform.
#include "media/graphics/render_state.h"

#include <initializer_list>

#include "media/base/handle.h"
#include "media/graphics/graph.h"
#include "media/graphics/hardware.h"
#include "media/graphics/shadow_map.h"

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
        const GraphData* graph = GetGraphData(handle, 1);
        const ShadowMapData* map = graph == nullptr ? GetShadowMapData(handle) : nullptr;
        if (graph != nullptr) {
            w = graph->area.width;
            h = graph->area.height;
        } else if (map != nullptr) {
            w = map->width;
            h = map->height;
        } else {
            return -1;
        }
    }
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

void ClampUnsetTextureAddressModes() {
    RenderState& r = GraphicsRender;
    for (int* modes : {r.textureAddressU, r.textureAddressV, r.textureAddressW})
        for (int i = 0; i < 16; ++i)
            if (modes[i] == 0) modes[i] = 3;
}

void RefreshCombinedMatrix() {
    const DrawSettings& s = GraphicsDrawSettings;
    Matrix4x4D viewProjection;
    CreateMultiplyMatrixD(&viewProjection, &s.view, &s.projection);
    CreateMultiplyMatrixD(&GraphicsRender.combined, &viewProjection, &s.viewport);
    GraphicsRender.combinedInverseValid = 0;
}

}  // namespace ZaDod
