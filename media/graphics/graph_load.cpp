// Single-graph loads: the request, its asynchronous job and the synchronous body.
#include "media/graphics/graph_load.h"

#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/file_access.h"
#include "media/graphics/graph_async.h"
#include "media/graphics/graph_load_job.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graph_trans_alpha.h"
#include "media/graphics/graphics_state.h"

namespace ZaDod {

namespace {

// A 1-byte image without alpha of any kind is drawn through a palette texture.
bool paletteImage(const BaseImage* image, const BaseImage* alphaImage) {
    return image->format.bytesPerPixel == 1 && image->format.alphaWidth == 0 && alphaImage == nullptr &&
           image->format.formatCode == kPixelPlain;
}

int loadJob(AsyncLoadJob* job) {
    GraphLoadRequest request;
    UnpackGraphLoadRequest(job->Data, &request);
    const int result = LoadGraphBody(&request, 1);
    EndGraphJob(request.handle, request.rebuild ? 0 : result);
    return 0;
}

}  // namespace

void InitGraphLoadRequest(GraphLoadRequest* request) {
    std::memset(request, 0, sizeof(*request));
    SetupImageLoadStream(&request->stream, 0);
    InitSetupGraphParamFromSettings(&request->param);
    request->handle = request->baseHandle = -1;
}

int LoadImagesForGraph(GraphLoadRequest* request, BaseImage* color, BaseImage* alpha) {
    const bool fromMemory = request->fileName == nullptr;
    const int alphaMode = !fromMemory ? (request->param.noAlphaFile ? 2 : 0) : request->alphaMemImage ? 1 : 2;
    request->stream.transColor = static_cast<uint32_t>(request->param.transColor) & 0xFFFFFF;
    return LoadColorAndAlphaBaseImage(&request->stream, request->fileName, request->memImage,
                                      request->memImageSize, fromMemory ? 1 : 0, request->alphaMemImage,
                                      request->alphaMemImageSize, alphaMode, color, alpha, request->mirror);
}

int FileExistsForGraph(const char16_t* fileName) {
    FileStream stream = FileAccessOpen(fileName, 0, 1, 0);
    if (stream == 0) return 0;
    FileAccessClose(stream);
    return 1;
}

GraphReloadSource ReloadSourceOf(const GraphLoadRequest* request) {
    GraphReloadSource source{};
    source.fileName = request->fileName;
    source.memImage = request->memImage;
    source.memImageSize = request->memImageSize;
    source.alphaMemImage = request->alphaMemImage;
    source.alphaMemImageSize = request->alphaMemImageSize;
    source.image = request->image;
    source.alphaImage = request->alphaImage;
    source.mirror = request->mirror;
    source.convertToARGB8 = request->stream.convertToARGB8;
    return source;
}

int LoadGraphBody(GraphLoadRequest* request, int inTask) {
    BaseImage color{}, alpha{};
    BaseImage* image = request->image;
    BaseImage* alphaImage = request->alphaImage;
    const bool loaded = image == nullptr;
    if (loaded) {
        const int got = LoadImagesForGraph(request, &color, &alpha);
        if (got < 0) {
            if (request->rebuild || request->fileName == nullptr) return -1;
            if (!FileExistsForGraph(request->fileName)) {
                LogFormatUtf16(u"画像ファイル %s がありません", request->fileName);
                return -1;
            }
            // Not an image: perhaps a movie; a file that is neither is an error.
            if (OpenGraphMovie(&request->param, request->fileName, request->handle, inTask) != 0) {
                LogFormatUtf16(u"Image File Load Error : %s \n", request->fileName);
                return -1;
            }
            return FillGraph(request->handle, 0, 0, 0, 0);
        }
        image = &color;
        alphaImage = got == 0 ? &alpha : nullptr;
    }
    int result = CreateGraphFromImageBody(&request->param, request->rebuild, request->handle, image, alphaImage,
                                          request->textureFlag, inTask);
    if (result == 0 && !request->rebuild) {
        const GraphReloadSource source = ReloadSourceOf(request);
        result = SetGraphReloadData(request->param.noReloadData, request->handle, &source, -1, 1);
    }
    if (loaded) {
        ReleaseBaseImage(&color);
        ReleaseBaseImage(&alpha);
    }
    return result;
}

int LoadGraphRequest(GraphLoadRequest* request, int asyncFlag, int inTask) {
    if (request->rebuild) {
        if (GetGraphData(request->handle, 0) == nullptr) return -1;
    } else {
        request->handle = AddHandle(HANDLETYPE_GRAPH, 0, -1);
        if (request->handle == -1) return -1;
    }
    const int handle = request->handle;
    if (asyncFlag && !inTask) {
        const bool queued = QueueHandleASyncJob(handle, loadJob, [&](void* buffer, int* offset) {
            return PackGraphLoadRequest(buffer, offset, request);
        });
        if (queued) return handle;
    } else if (LoadGraphBody(request, inTask) == 0) {
        return handle;
    }
    if (!request->rebuild) SubHandle(handle);
    return -1;
}

int CreateGraphFromImageBody(const SetupGraphParam* param, int rebuild, int handle, BaseImage* image,
                             BaseImage* alphaImage, int textureFlag, int inTask) {
    (void)textureFlag;  // every graph of this system is made the same way with or without it
    SetupGraphParam local = *param;
    BaseImage keyed{};
    const bool toAlpha = local.transColorToAlpha && !local.noTransColor && !rebuild;
    if (toAlpha) {
        if (ConvertTransColorToAlpha(image, static_cast<uint32_t>(local.transColor), &keyed) != 0) return -1;
        image = &keyed;
    }
    SetColorDataUnusedMask(&image->format);
    if (alphaImage != nullptr) SetColorDataUnusedMask(&alphaImage->format);

    int result = 0;
    if (rebuild) {
        const GraphData* graph = GetGraphData(handle, 1);
        if (graph == nullptr || graph->orig == nullptr || graph->orig->width != image->width ||
            graph->orig->height != image->height ||
            (alphaImage != nullptr && (alphaImage->width != image->width || alphaImage->height != image->height)))
            result = -1;
    } else {
        if (alphaImage != nullptr && (alphaImage->width != image->width || alphaImage->height != image->height))
            result = -1;
        const int alphaFlag = image->format.alphaWidth != 0 || alphaImage != nullptr ? 1 : 0;
        local.cubeMap = image->imageCount == 6 ? 1 : 0;
        local.channelNum = image->format.channelCount;
        local.channelBitDepth = image->format.channelBits;
        local.floatType = image->format.floatFlag;
        if (local.leftUpTransColor) local.transColor = static_cast<int32_t>(GetTopLeftTransColor(image));
        // Palette textures are a device matter; software graphs take every image as colour.
        const int colorKey = GraphicsSys.hardware == 1 && paletteImage(image, alphaImage) ? 1 : 0;
        const int mips = image->mipCount > 0 ? image->mipCount : 1;
        if (result == 0)
            result = SetupGraphHandle(&local, handle, image->width, image->height, alphaFlag, colorKey, 8,
                                      image->format.formatCode, mips, inTask);
    }
    if (result == 0) {
        const ImageRect rect{0, 0, image->width, image->height};
        result = BltBaseImageToGraph(&rect, 0, 0, handle, image, alphaImage, 1, 1);
    }
    if (toAlpha) ReleaseBaseImage(&keyed);
    return result;
}

int CreateGraphFromBaseImage(BaseImage* image, BaseImage* alphaImage, int textureFlag, int asyncFlag) {
    if (image == nullptr) return -1;
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.image = image;
    request.alphaImage = alphaImage;
    request.textureFlag = textureFlag;
    return LoadGraphRequest(&request, asyncFlag, 0);
}

}  // namespace ZaDod
