// Divided loads: one image cut into many graphs.
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/graph_async.h"
#include "media/graphics/graph_load.h"
#include "media/graphics/graph_load_job.h"

namespace ZaDod {

namespace {

void deleteAll(const GraphLoadRequest* request) {
    for (int i = 0; i < request->count; ++i) {
        SubHandle(request->handles[i]);
        request->handles[i] = -1;
    }
    SubHandle(request->baseHandle);
}

int divJob(AsyncLoadJob* job) {
    GraphLoadRequest request;
    UnpackGraphLoadRequest(job->Data, &request);
    const int result = LoadDivGraphBody(&request, 1);
    if (!request.rebuild) {
        if (result != 0) {
            for (int i = 0; i < request.count; ++i) {
                if (HandleEntryHeader* header = GetHandleInfo(request.handles[i])) header->DeleteRequestFlag = 1;
            }
        }
        // The pieces keep the original image alive; the whole-image graph has done its part.
        SubHandle(request.baseHandle);
    }
    for (int i = 0; i < request.count; ++i) DecHandleASyncLoadCount(request.handles[i]);
    return 0;
}

}  // namespace

int CreateDivGraphFromGraphImage(const SetupGraphParam* param, int separateTextures, int sourceHandle,
                                 BaseImage* image, BaseImage* alphaImage, int count, int xCount, int yCount,
                                 int width, float widthf, int height, float heightf, const int* handles, int mirror,
                                 int inTask) {
    if (CheckDivGraphCounts(count, xCount, yCount, width, height) != 0) return -1;
    SetupGraphParam local = *param;
    if (separateTextures) {
        SetColorDataUnusedMask(&image->format);
        if (alphaImage != nullptr) SetColorDataUnusedMask(&alphaImage->format);
        if (image->width < xCount * width || image->height < yCount * height) return -1;
        if (alphaImage != nullptr && (alphaImage->width != image->width || alphaImage->height != image->height))
            return -1;
        if (local.leftUpTransColor) local.transColor = static_cast<int32_t>(ReadPixelAsARGB8(image, 0, 0) & 0xFFFFFF);
        const int alphaFlag = image->format.alphaWidth != 0 || alphaImage != nullptr ? 1 : 0;
        for (int i = 0; i < count; ++i) {
            int x, y;
            GetDivGraphPiecePosition(i, xCount, width, height, mirror, &x, &y);
            const ImageRect rect{x, y, x + width, y + height};
            if (SetupGraphHandle(&local, handles[i], width, height, alphaFlag, 0, 8, 0, -1, inTask) != 0 ||
                BltBaseImageToGraph(&rect, 0, 0, handles[i], image, alphaImage, 0, 1) != 0) {
                LogAddTextUtf16(u"グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
                return -1;
            }
            // The pieces share the whole image as their kept source.
            GraphData* piece = GetGraphData(handles[i], 1);
            piece->sourceX = x;
            piece->sourceY = y;
        }
        return 0;
    }
    if (CreateGraphFromImageBody(&local, 0, sourceHandle, image, alphaImage, 1, inTask) != 0) return -1;
    const int floatFlag = widthf != float(width) || heightf != float(height) ? 1 : 0;
    for (int i = 0; i < count; ++i) {
        int x, y;
        GetDivGraphPiecePosition(i, xCount, width, height, mirror, &x, &y);
        const float fx = mirror ? float(xCount - 1 - i % xCount) * widthf : float(i % xCount) * widthf;
        const float fy = float(i / xCount) * heightf;
        if (DeriveGraph(handles[i], floatFlag, x, fx, y, fy, width, widthf, height, heightf, sourceHandle, 1) != 0) {
            LogAddTextUtf16(u"グラフィックの分割に失敗しました in CreateDivGraphFromGraphImage\n");
            return -1;
        }
    }
    return 0;
}

int LoadDivGraphBody(GraphLoadRequest* request, int inTask) {
    BaseImage color{}, alpha{};
    const int got = LoadImagesForGraph(request, &color, &alpha);
    if (got < 0) {
        if (request->fileName != nullptr) {
            LogFormatUtf16(u"画像ファイル %s のロードに失敗しました", request->fileName);
        }
        return -1;
    }
    int result = CreateDivGraphFromGraphImage(&request->param, request->textureFlag, request->baseHandle, &color,
                                              got == 0 ? &alpha : nullptr, request->count, request->xCount,
                                              request->yCount, request->width, request->widthf, request->height,
                                              request->heightf, request->handles, request->mirror, inTask);
    if (result == 0 && !request->rebuild) {
        const GraphReloadSource source = ReloadSourceOf(request);
        result = SetGraphReloadData(request->param.noReloadData, request->handles[0], &source, -1, 1);
        for (int i = 1; result == 0 && i < request->count; ++i)
            result = SetGraphReloadData(request->param.noReloadData, request->handles[i], nullptr,
                                        request->handles[0], 1);
    }
    ReleaseBaseImage(&color);
    ReleaseBaseImage(&alpha);
    return result;
}

int LoadDivGraphRequest(GraphLoadRequest* request, int asyncFlag, int inTask) {
    if (CheckDivGraphCounts(request->count, request->xCount, request->yCount, request->width, request->height) !=
            0 ||
        request->handles == nullptr)
        return -1;
    if (request->rebuild) {
        for (int i = 0; i < request->count; ++i) {
            if (GetGraphData(request->handles[i], 0) == nullptr) return -1;
        }
        if (GetGraphData(request->baseHandle, 0) == nullptr) return -1;
    } else {
        for (int i = 0; i < request->count; ++i) request->handles[i] = -1;
        request->baseHandle = AddHandle(HANDLETYPE_GRAPH, 0, -1);
        bool added = request->baseHandle != -1;
        for (int i = 0; added && i < request->count; ++i) {
            request->handles[i] = AddHandle(HANDLETYPE_GRAPH, 0, -1);
            added = request->handles[i] != -1;
        }
        if (!added) {
            deleteAll(request);
            return -1;
        }
    }
    if (asyncFlag && !inTask) {
        int size = 0;
        AsyncLoadJob* job = PackGraphLoadRequest(nullptr, &size, request) ? AllocASyncLoadData(size) : nullptr;
        if (job != nullptr) {
            int offset = 0;
            PackGraphLoadRequest(job->Data, &offset, request);
            job->ProcessFunction = divJob;
            for (int i = 0; i < request->count; ++i) IncHandleASyncLoadCount(request->handles[i], -1);
            if (AddASyncLoadData(job) == 0) return 0;
            for (int i = 0; i < request->count; ++i) DecHandleASyncLoadCount(request->handles[i]);
            MemFree(job);
        }
    } else if (LoadDivGraphBody(request, inTask) == 0) {
        if (!request->rebuild) {
            SubHandle(request->baseHandle);
            request->baseHandle = -1;
        }
        return 0;
    }
    if (!request->rebuild) deleteAll(request);
    return -1;
}

int LoadDivGraphFromSource(const char16_t* fileName, const void* memImage, size_t memSize, int count, int xCount,
                           int yCount, int width, int height, int* handles, int textureFlag, int asyncFlag) {
    GraphLoadRequest request;
    InitGraphLoadRequest(&request);
    request.fileName = fileName;
    request.memImage = fileName == nullptr ? memImage : nullptr;
    request.memImageSize = fileName == nullptr ? memSize : 0;
    request.count = count;
    request.xCount = xCount;
    request.yCount = yCount;
    request.width = width;
    request.widthf = static_cast<float>(width);
    request.height = height;
    request.heightf = static_cast<float>(height);
    request.handles = handles;
    request.textureFlag = textureFlag;
    return LoadDivGraphRequest(&request, asyncFlag, 0);
}

}  // namespace ZaDod
