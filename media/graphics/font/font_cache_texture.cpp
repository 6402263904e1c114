// The texture side of the glyph cache: the cache graph (and the derived graph of its
// edge half), the pending rectangle of changed cells and its one transfer per batch.
#include <algorithm>

#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/render_settings.h"

namespace ZaDod {

SetupGraphParam FontCacheGraphParam(const FontHandleRecord* font) {
    // A font set up on first use makes its texture as it would have been made then.
    SetupGraphParam param;
    if (font->setupGraphParamKept)
        param = font->setupGraphParam;
    else
        InitSetupGraphParamFromSettings(&param);
    return param;
}

int SetupFontCacheTexture(FontHandleRecord* font, int inTask) {
    if (!font->textureLost) return 0;
    font->textureLost = 0;
    if (!font->useTexture) return 0;
    const bool aa = (font->fontType & kFontTypeAntialiased) != 0;
    const bool edged = (font->fontType & kFontTypeEdge) != 0;
    if (font->edgeGraph != -1) SubHandle(font->edgeGraph);
    if (font->cacheGraph != -1) SubHandle(font->cacheGraph);
    font->edgeGraph = font->cacheGraph = -1;

    SetupGraphParam param = FontCacheGraphParam(font);
    param.colorBits = aa ? font->textureBits : 16;
    param.alphaChannel = aa ? 1 : 0;
    param.alphaTest = aa ? 0 : 1;
    param.drawable = 0;
    const int width = font->textureWidth, height = font->textureHeight;
    const int graph = MakeGraphFromParam(&param, edged ? 2 * width : width, height, aa ? 0 : 1, 0, 0, inTask);
    if (graph == -1) return -1;
    font->cacheGraph = graph;
    if (edged) {
        font->edgeGraph = CreateDerivedGraph(0, width, static_cast<float>(width), 0, 0.0f, width,
                                             static_cast<float>(width), height, static_cast<float>(height), graph, 0);
        if (font->edgeGraph == -1) return -1;
    }
    SetGraphDeleteFlagPointer(graph, &font->textureLost);
    int realWidth = width, realHeight = height;
    GetGraphSize(graph, &realWidth, &realHeight);
    font->textureWidthInv = 1.0f / static_cast<float>(width);
    font->textureHeightInv = 1.0f / static_cast<float>(height);
    font->textureWidth = realWidth / (edged ? 2 : 1);
    font->textureHeight = realHeight;
    ClearFontCache(font, inTask);
    return 0;
}

int UpdateFontCacheRect(FontHandleRecord* font, const int* rect) {
    if (!font->pending) {
        for (int i = 0; i < 4; ++i) font->pendingRect[i] = rect[i];
        font->pending = 1;
        return 0;
    }
    font->pendingRect[0] = std::min(font->pendingRect[0], rect[0]);
    font->pendingRect[1] = std::min(font->pendingRect[1], rect[1]);
    font->pendingRect[2] = std::max(font->pendingRect[2], rect[2]);
    font->pendingRect[3] = std::max(font->pendingRect[3], rect[3]);
    return 0;
}

int FlushFontCacheTexture(FontHandleRecord* font) {
    if (!font->pending || !font->useTexture || font->cacheGraph == -1) return 0;
    font->pending = 0;
    const int* r = font->pendingRect;
    ImageRect src{r[0], r[1], r[2], r[3]};
    BltBaseImageToGraph(&src, r[0], r[1], font->cacheGraph, &font->cacheImage, nullptr, 0, 0);
    if (font->fontType & kFontTypeEdge) {
        const int half = font->cacheImage.width / 2;
        ImageRect edge{r[0] + half, r[1], r[2] + half, r[3]};
        BltBaseImageToGraph(&edge, r[0] + half, r[1], font->cacheGraph, &font->cacheImage, nullptr, 0, 0);
    }
    return 0;
}

}  // namespace ZaDod
