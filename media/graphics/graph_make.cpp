// The short entry points that make empty or drawable graphs.
#include "media/file/async_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

int MakeGraph(int width, int height, int) {
    SetupGraphParam param;
    InitSetupGraphParamFromSettings(&param);
    return MakeGraphFromParam(&param, width, height, 0, 8, GetUseASyncLoadFlag(), 0);
}

int MakeDrawableGraph(int width, int height, int alphaFlag) {
    if (alphaFlag && GraphicsSys.hardware != 1) return -1;
    SetupGraphParam param;
    InitSetupGraphParamDrawable(&param, GraphCreateSettingsData.words.colorBits, alphaFlag);
    // The multisampling SetDrawableGraphMultiSample asked for.
    param.multiSampleCount = GraphicsDrawSettings.multiSampleCount;
    param.multiSampleQuality = GraphicsDrawSettings.multiSampleQuality;
    param.transColor = static_cast<int32_t>(GetGraphTransColor());
    return MakeGraphFromParam(&param, width, height, 0, 8, GetUseASyncLoadFlag(), 0);
}

}  // namespace ZaDod
