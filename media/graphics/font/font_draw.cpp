// String drawing entries: the 8-bit and wide draws, the choice between the texture and
// memory paths with the mask and subtract-emulation brackets, and the texture path's
// quads of the cache graph and character pictures.
#include <algorithm>

#include "media/base/log.h"
#include "media/graphics/draw.h"
#include "media/graphics/draw_protocol.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"
#include "media/graphics/render_settings.h"
#include "media/system/window.h"

namespace ZaDod {

namespace {

void setBright(unsigned int color) {
    int r, g, b;
    UnpackDrawColor(color, &r, &g, &b);
    SetDrawBright(r, g, b);
}

// Corners of a w x h picture at (left, top), turned a quarter turn clockwise for
// vertical text (its top edge then runs down the right side of an h x w box).
void quadCorners(float left, float top, float w, float h, int vertical, float* c) {
    if (!vertical) {
        const float v[8] = {left, top, left + w, top, left + w, top + h, left, top + h};
        for (int i = 0; i < 8; ++i) c[i] = v[i];
        return;
    }
    const float r = left + h, b = top + w;
    const float v[8] = {r, top, r, b, left, b, left, top};
    for (int i = 0; i < 8; ++i) c[i] = v[i];
}

int drawPath(int x, int y, const char16_t* string, unsigned int color, FontHandleRecord* font,
             unsigned int edgeColor, int vertical) {
    if (font->useTexture)
        return DrawStringByTextureCache(x, y, static_cast<float>(x), static_cast<float>(y), 1, string, color, font,
                                        edgeColor, vertical);
    return DrawStringByMemImg(x, y, string, color, font, edgeColor, vertical);
}

}  // namespace

void DrawTextureGlyph(FontHandleRecord* font, const FontGlyphSlot& slot, float left, float top, int vertical,
                      unsigned int color, unsigned int edgeColor) {
    const int cell = font->cellWidth;
    GraphQuad quad;
    quadCorners(left, top, static_cast<float>(slot.width), static_cast<float>(slot.height), vertical, &quad.x1);
    quad.srcX = static_cast<int>(slot.column) * cell + 1;
    quad.srcY = static_cast<int>(slot.row) * cell + 1;
    quad.srcWidth = slot.width;
    quad.srcHeight = slot.height;
    const GraphQuadList list{font->cacheGraph, 1, &quad};
    if (font->fontType & kFontTypeEdge) {
        // The edge half sits right of the body half in the same page.
        GraphQuad edge = quad;
        edge.srcX += font->textureWidth;
        const GraphQuadList edgeList{font->cacheGraph, 1, &edge};
        setBright(edgeColor);
        Graphics_Hardware_DrawGraphQuadList(&edgeList, CurrentBlendGraph());
        setBright(color);
    }
    Graphics_Hardware_DrawGraphQuadList(&list, CurrentBlendGraph());
}

void DrawTextureCharImage(const FontCharImage& picture, float left, float top, int vertical, unsigned int color) {
    GraphData* graph = GetGraphData(picture.graph);
    if (graph == nullptr) return;
    float c[8];
    quadCorners(left, top, static_cast<float>(picture.width), static_cast<float>(picture.height), vertical, c);
    setBright(color);
    Graphics_Hardware_DrawDeformedGraph(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], graph, nullptr, 1, 0);
}

int DrawStringByTextureCache(int x, int y, float xf, float yf, int integerPosition, const char16_t* string,
                             unsigned int color, FontHandleRecord* font, unsigned int edgeColor, int vertical) {
    // Without a device, or without a page to draw from, nothing could be drawn. A page
    // that could not be made again is tried again at the next draw.
    if (!Graphics_Hardware_IsDeviceValid()) return -1;
    if (font->textureLost || font->cacheGraph == -1) {
        font->textureLost = 1;
        if (SetupFontCacheTexture(font, 0) != 0 || font->cacheGraph == -1) {
            font->textureLost = 1;
            return -1;
        }
    }
    const ImageRect clip = GraphicsDrawSettings.drawArea;
    DrawStringBase(1, x, y, xf, yf, integerPosition, string, color, nullptr, &clip, 1, font, edgeColor, -1, vertical,
                   nullptr);
    return 0;
}

int DrawStringToHandleW(int x, int y, const char16_t* string, unsigned int color, int handle, unsigned int edgeColor,
                        int vertical) {
    if (string == nullptr || string[0] == 0) return 0;
    if (GraphicsSys.started && GraphicsDrawSettings.drawingSuppressed) return 0;
    FontHandleRecord* font = FontOfTextEntry(handle);
    if (font == nullptr) return -1;
    const int state = CheckDrawState();  // waits while the window is inactive
    if (state != 0) return state < 0 ? -1 : 0;

    const bool emulate = font->useTexture && ShapeNeedsEmulation();
    const bool masked = IsDrawingThroughMask() != 0;
    if (!emulate && !masked) return drawPath(x, y, string, color, font, edgeColor, vertical);

    const ImageRect& area = GraphicsDrawSettings.drawArea;
    const int size = font->size;
    ImageRect rect;
    if (vertical) {
        rect.left = x + font->leading / 2;
        rect.top = y;
        rect.right = rect.left + size + 3;
        rect.bottom = area.bottom;
    } else {
        rect.left = x;
        rect.top = y - font->leading / 2;
        rect.right = area.right;
        rect.bottom = rect.top + size + 3;
    }
    // The bracket holds the whole string: its later lines, vertical lines left of the
    // first, and a pen a negative spacing moves back.
    const ImageRect box = FontStringBox(font, string, x, y, vertical);
    if (box.left < box.right && box.top < box.bottom) {
        rect.left = std::min(rect.left, box.left);
        rect.top = std::min(rect.top, box.top);
        rect.right = std::max(rect.right, box.right);
        rect.bottom = std::max(rect.bottom, box.bottom);
    }
    if (rect.left >= area.right) return 0;
    ClipRect(&rect, &area);
    if (masked) BeginMaskDraw(&rect);
    int result;
    if (emulate) {
        BeginSubtractBlendEmulation(&rect);
        result = DrawStringByTextureCache(x, y, static_cast<float>(x), static_cast<float>(y), 1, string, color, font,
                                          edgeColor, vertical);
        EndSubtractBlendEmulation(&rect);
    } else {
        result = drawPath(x, y, string, color, font, edgeColor, vertical);
    }
    if (masked) EndMaskDraw(&rect);
    return result;
}

int DrawStringToHandle(int x, int y, const char* string, unsigned int color, int handle, unsigned int edgeColor,
                       int vertical) {
    if (string == nullptr || string[0] == 0) return 0;
    FontHandleRecord* font = FontOfTextEntry(handle);
    if (font == nullptr) return -1;
    WideText wide;
    if (!wide.convert(string, GetFontCharCodeFormat(font->header.Handle))) return -1;
    return DrawStringToHandleW(x, y, wide.text, color, font->header.Handle, edgeColor, vertical);
}

int DrawString(int x, int y, const char* string, unsigned int color, unsigned int edgeColor) {
    return DrawStringToHandle(x, y, string, color, kDefaultFontHandle, edgeColor, 0);
}

}  // namespace ZaDod
