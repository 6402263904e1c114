// Graph-creation settings and the format request built from them.
#include <cstring>

#include "media/graphics/graph_types.h"

namespace ZaDod {

namespace {

void initCommon(SetupGraphParam* param, int colorBits) {
    std::memset(param, 0, sizeof(*param));
    param->transColor = 0xFF00FF;
    param->colorBits = colorBits;
    param->mipLevels = 1;
    param->word22 = 1;
    param->noAlphaFile = 1;
}

// Levels of a full chain down to 1 × 1.
int fullMipChain(int width, int height) {
    int side = width > height ? width : height;
    int levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

}  // namespace

void InitSetupGraphParam(SetupGraphParam* param, int colorBits, int alphaChannel, int alphaTest) {
    initCommon(param, colorBits);
    param->alphaChannel = alphaChannel;
    param->alphaTest = alphaTest;
    param->managed = 1;
}

void InitSetupGraphParamDrawable(SetupGraphParam* param, int colorBits, int alphaChannel) {
    initCommon(param, colorBits);
    param->alphaChannel = alphaChannel;
    param->drawableAlpha = alphaChannel;
    param->drawable = 1;
}

int BuildGraphFormatRequest(GraphFormatRequest* request, const SetupGraphParam* param, const GraphDeviceState* device,
                            int width, int height, int alphaFlag, int colorKeyFlag, int paletteBits,
                            int compressedKind, int mipCount) {
    std::memset(request, 0, sizeof(*request));
    const bool hardware = device->hardware != 0;
    const bool drawable = param->drawable != 0;
    request->hardware = hardware ? 1 : 0;
    request->cubeMap = param->cubeMap ? 1 : 0;
    request->paramWord9 = (drawable || !hardware) ? 0 : static_cast<uint8_t>(param->managed);
    request->paramWord10 = static_cast<uint8_t>(param->userTextureFormat);
    request->paramWord11 = static_cast<uint8_t>(param->colorKind);
    if (mipCount < 0) {
        if (param->mipLevels == -1 || param->mipLevels == -2) {
            mipCount = fullMipChain(width, height);
        } else {
            mipCount = param->mipLevels <= 0 ? 1 : param->mipLevels;
        }
    }
    request->mipCount = static_cast<uint8_t>(mipCount > 255 ? 255 : mipCount);

    if (drawable) {
        request->drawable = 1;
        request->alphaChannel = param->drawableAlpha ? 1 : 0;
        request->mipCount = 1;
        request->multiSampleCount = static_cast<uint8_t>(param->multiSampleCount);
        request->multiSampleQuality = static_cast<uint8_t>(param->multiSampleQuality);
    } else {
        request->alphaChannel = alphaFlag ? 1 : 0;
        request->alphaTest = param->alphaTest ? 1 : 0;
        request->blendImage = param->blendImage ? 1 : 0;
    }

    if (!hardware) {
        request->blockKind = 0;
        request->colorBits = static_cast<uint8_t>(param->colorBits ? param->colorBits : device->screenBits);
        request->colorKey = colorKeyFlag ? 1 : 0;
        request->systemMemory = 1;
        request->drawable = request->blendImage ? 0 : 1;
        return 0;
    }

    request->blockKind = static_cast<uint8_t>(compressedKind);
    request->colorBits = static_cast<uint8_t>(param->colorBits ? param->colorBits
                                              : alphaFlag == 1  ? 32
                                                                : device->screenBits);
    request->channelCount = static_cast<uint8_t>(param->channelNum);
    request->channelBits = static_cast<uint8_t>(param->channelBitDepth);
    request->floatFlag = param->floatType ? 1 : 0;
    if (request->alphaChannel) request->alphaTest = 0;
    if (drawable) {
        request->channelCount = static_cast<uint8_t>(param->drawableChannelNum);
        request->floatFlag = param->drawableFloat ? 1 : 0;
    } else if (request->blendImage) {
        request->colorBits = 32;
        request->alphaChannel = 1;
        request->alphaTest = 0;
    } else if (colorKeyFlag) {
        request->colorBits = paletteBits == 4 ? 4 : 8;
    }
    return 0;
}

}  // namespace ZaDod
