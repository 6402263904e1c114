// The graph-creation settings in force: what every later load or creation starts
// from, and the transparent colour shared with the image loaders.
#pragma once
#include "media/graphics/graph_types.h"

namespace ZaDod {

// Words of SetupGraphParam as the user set them; transColor, floatType, channelNum,
// userTextureFormat and keep are not taken from here. managed and depthBuffer hold
// the user's "not" settings and are inverted into the param.
struct GraphCreateSettings {
    SetupGraphParam words;
};
extern GraphCreateSettings GraphCreateSettingsData;

void InitSetupGraphParamFromSettings(SetupGraphParam* param);

// 0xRRGGBB, 0xFF00FF until changed.
int SetTransColor(int red, int green, int blue);
int GetTransColor(int* red, int* green, int* blue);
uint32_t GetGraphTransColor();
// The same colour, as the image loaders read it.
uint32_t GetLoaderTransColor();

}  // namespace ZaDod
