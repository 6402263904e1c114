// Graph-creation settings in force.
#include "media/graphics/graph_settings.h"

namespace ZaDod {

// Graphs are made for the alpha test unless a caller says otherwise: on a hardware back
// end a graph without an alpha channel then gets a texture format with alpha, and the
// transparent colour becomes alpha 0 when the image is uploaded.
GraphCreateSettings GraphCreateSettingsData = [] {
    GraphCreateSettings s{};
    s.words.alphaTest = 1;
    return s;
}();

namespace {
uint32_t transColorSetting = 0xFF00FF;
}  // namespace

void InitSetupGraphParamFromSettings(SetupGraphParam* param) {
    *param = GraphCreateSettingsData.words;
    param->transColor = static_cast<int32_t>(transColorSetting);
    param->floatType = 0;
    param->channelNum = 0;
    param->userTextureFormat = 0;
    param->keep = 0;
    param->managed = !GraphCreateSettingsData.words.managed;
    param->depthBuffer = !GraphCreateSettingsData.words.depthBuffer;
}

// The screen of this system is 16 or 32 bits deep, so the colour is always stored.
int SetTransColor(int red, int green, int blue) {
    transColorSetting = (static_cast<uint32_t>(red & 0xFF) << 16) | (static_cast<uint32_t>(green & 0xFF) << 8) |
                        static_cast<uint32_t>(blue & 0xFF);
    return 0;
}

int GetTransColor(int* red, int* green, int* blue) {
    if (red != nullptr) *red = static_cast<int>((transColorSetting >> 16) & 0xFF);
    if (green != nullptr) *green = static_cast<int>((transColorSetting >> 8) & 0xFF);
    if (blue != nullptr) *blue = static_cast<int>(transColorSetting & 0xFF);
    return 0;
}

uint32_t GetGraphTransColor() { return transColorSetting; }
uint32_t GetLoaderTransColor() { return transColorSetting; }

}  // namespace ZaDod
