// What a game made on the device, and the draw state it set, across a re-creation of the
// device on both hardware back ends and for each way of losing it. Each kind is drawn,
// the device is lost and made again, and the same draw (with nothing set again) gives the
// same bytes. What a re-creation loses by design comes back as documented before the
// game fills it again: a canvas's pixels as transparent black, a shadow map as the far
// depth; a mode change puts the draw area back to the whole screen. Rounds of losses
// leave as many handles and device objects alive as the first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "media/base/memory.h"
#include "media/graphics/d3d11/d3d11_backend.h"
#include "media/graphics/shadow_map.h"
#include "platform/gpu/d3d11/face_internal.h"
#include "tests/media/graphics/buffer_cases.h"
#include "tests/media/graphics/hardware_draw_cases.h"
#include "tests/media/graphics/renderers/recreation_cases.h"
#include "tests/media/graphics/shadow_cases.h"

namespace recreationresources {

using namespace ZaDod;
using namespace renderertest;
using namespace recreation;
using namespace hwcases;
using namespace buffercases;

// What the kinds make: a picture every kind may draw, and the kind's own handles.
struct Parts {
    int picture = -1, canvas = -1, shadowMap = -1, pixelShader = -1, vertexShader = -1;
    int vertexBuffer = -1, indexBuffer = -1;
    std::vector<int> lights;
    int lighting = 0;  // the lighting switch before the kind set it
};

unsigned texel(int x, int y) { return 0xFF000000u | rgb(x * 8, 255 - y * 8, (x * y) & 0xFF); }

// Screen coordinates to those of the identity camera.
float cameraX(float x) { return x / 320.0f - 1.0f; }
float cameraY(float y) { return 1.0f - y / 240.0f; }

// A picture and a canvas drawn over the background with their transparency.
void showCanvas(const Parts& p) {
    DrawGraph(100, 80, p.canvas, 1);
    DrawStretchedGraph(300, 80, 492, 208, p.canvas, 1);
}

// Two quads, the near one drawn first: through the Z buffer the far one stays behind it.
void depthQuads(float left, float top) {
    auto coloured = [](std::vector<Vertex3D> v, uint32_t c) {
        for (Vertex3D& x : v) x.diffuse = c;
        return v;
    };
    drawMesh3D(coloured(flatQuad(cameraX(left), cameraY(top + 40), cameraX(left + 60), cameraY(top), 3.0f),
                        0xFFFF0000u),
               -1);
    drawMesh3D(coloured(flatQuad(cameraX(left + 30), cameraY(top + 60), cameraX(left + 90), cameraY(top + 20), 7.0f),
                        0xFF00FF00u),
               -1);
}

// A canvas's content: shapes, the picture and the two quads through its own Z buffer.
void fillCanvas(const Parts& p) {
    ASSERT_EQ(SetDrawTarget(p.canvas), 0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    DrawTriangle(2, 2, 90, 6, 10, 60, colour(250, 250, 250), 1);
    DrawGraph(40, 20, p.picture, 1);
    identityCamera();
    SetUseZBuffer3D(1);
    depthQuads(200, 120);  // the camera spans the canvas: these land inside it
    SetUseZBuffer3D(0);
    ASSERT_EQ(SetDrawTarget(-2), 0);
}
void clearCanvas(const Parts& p) {
    ASSERT_EQ(SetDrawTarget(p.canvas), 0);
    SetBackgroundColor(0, 0, 0);
    ClearDrawTarget(nullptr);
    ASSERT_EQ(SetDrawTarget(-2), 0);
}

// A shadow map reads through a user polygon as its one channel: the depth written, or
// 1.0 ("nothing in front") in a map that holds nothing.
void fillShadowMap(const Parts& p, bool empty) {
    ASSERT_EQ(ShadowMap_DrawSetup(GetShadowMapData(p.shadowMap)), 0);
    SetBackgroundColor(empty ? 255 : 128, 0, 0);
    ClearDrawTarget(nullptr);
    if (!empty) DrawBox(4, 4, 20, 12, colour(60, 0, 0), 1);
    ASSERT_EQ(ShadowMap_DrawEnd(), 0);
}
void drawShadowMap(const Parts& p) {
    const float e = GraphicsApiType == kGraphicsApiD3D9 ? -0.5f : 0.0f;
    std::vector<Vertex2D> v;
    const float px[6] = {0, 1, 0, 1, 0, 1}, py[6] = {0, 0, 1, 1, 1, 0};
    for (int i = 0; i < 6; ++i)
        v.push_back(Vertex2D{100 + px[i] * 64 + e, 100 + py[i] * 64 + e, 0, 1, 255, 255, 255, 255, 0, 0});
    ASSERT_EQ(Graphics_Hardware_DrawUserPolygon2D(v.data(), 6, 4, p.shadowMap, 0, 1, 0, 0, 0, 1), 0);
}

// A triangle through the user vertex and pixel shaders, each turning the colour channels
// (so a draw without either shows). Direct3D 11's vertex program takes world, view and
// projection from the library's constant buffer; Direct3D 9's passes the position on as
// it is (the identity camera maps both alike).
void drawUserVertexShader(const Parts& p) {
    struct V {
        float x, y, z;
        uint32_t colour;
    };
    const V tri[3] = {{cameraX(80), cameraY(60), 0.5f, 0xFFFF4020u},
                      {cameraX(400), cameraY(100), 0.5f, 0xFF20FF40u},
                      {cameraX(150), cameraY(380), 0.5f, 0xFF4020FFu}};
    ASSERT_EQ(SetUsePixelShader(p.pixelShader), 0);
    ASSERT_EQ(SetUseVertexShader(p.vertexShader), 0);
    if (GraphicsApiType == kGraphicsApiD3D9) {
        Graphics_D3D9_BeginScene();
        Graphics_D3D9_DrawPreparationToShader(0, 5, 1, 0);
        EXPECT_EQ(Direct3DDevice9_DrawPrimitiveUP(plat::gpu::D3DPT_TRIANGLELIST, 1, tri, sizeof(V)), plat::gpu::D3D_OK);
    } else {
        Graphics_D3D11_DrawPreparationToShader(0, 5, 1);
        EXPECT_EQ(Graphics_D3D11_DrawCommonVertexBuffer(3, plat::gpu::D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST, tri, 3, 0),
                  0);
    }
    SetUseVertexShader(0);
    SetUsePixelShader(0);
}
void loadUserVertexShader(Parts& p) {
    if (GraphicsApiType == kGraphicsApiD3D9) {
        p.vertexShader =
            loadShader(assemble("vs_2_0\ndcl_position v0\ndcl_color v1\nmov oPos, v0\nmov oD0, v1.zxyw\n"), 1);
        p.pixelShader = loadShader(assemble("ps_2_0\ndcl v0\nmov oC0, v0.zxyw\n"), 0);
    } else {
        // The project's world-view-projection program with its colour turned.
        std::string text = "vs_4_0\n"
                           "isgn POSITION0 v0.xyz\nisgn COLOR0 v1.xyzw\nosgn SV_Position0 o0.xyzw\nosgn COLOR0 o1.xyzw\n"
                           "dcl_constantbuffer cb0[14], immediateIndexed\ndcl_input v0.xyz\ndcl_input v1.xyzw\n"
                           "dcl_output_siv o0.xyzw, position\ndcl_output o1.xyzw\ndcl_temps 2\n"
                           "mov r0.xyz, v0.xyzx\nmov r0.w, l(1.0)\n";
        for (int i = 0; i < 3; ++i)
            text += "dp4 r1." + std::string(1, "xyz"[i]) + ", r0.xyzw, cb0[" + std::to_string(11 + i) + "].xyzw\n";
        text += "mov r1.w, l(1.0)\n";
        for (int i = 0; i < 3; ++i)
            text += "dp4 r0." + std::string(1, "xyz"[i]) + ", r1.xyzw, cb0[" + std::to_string(8 + i) + "].xyzw\n";
        for (int i = 0; i < 4; ++i)
            text += "dp4 o0." + std::string(1, "xyzw"[i]) + ", r0.xyzw, cb0[" + std::to_string(4 + i) + "].xyzw\n";
        text += "mov o1.xyzw, v1.zxyw\nret\n";
        p.vertexShader = loadShader(assemble(text), 1);
        p.pixelShader = loadShader(assemble("ps_4_0\nisgn SV_Position0 v0.xyzw used none\nisgn COLOR0 v1.xyzw\n"
                                            "osgn SV_Target0 o0.xyzw\ndcl_input_ps linear v1.xyzw\n"
                                            "dcl_output o0.xyzw\nmov o0.xyzw, v1.zxyw\nret\n"),
                                   0);
    }
    EXPECT_GT(p.vertexShader, 0);
    EXPECT_GT(p.pixelShader, 0);
    identityCamera();
}

// A vertex and an index buffer as the front makes them, holding a fan of triangles; each
// frame draws the triangles the device buffers hold (read back from the device).
constexpr int kFanVertices = 8, kFanIndices = 3 * (kFanVertices - 2);
void makeBuffers(Parts& p) {
    p.vertexBuffer = makeBuffer(HANDLETYPE_VERTEX_BUFFER, sizeof(Vertex2D), kFanVertices);
    p.indexBuffer = makeBuffer(HANDLETYPE_INDEX_BUFFER, 2, kFanIndices);
    Vertex2D v[kFanVertices];
    for (int i = 0; i < kFanVertices; ++i) {
        const float a = 0.8f * float(i);
        v[i] = Vertex2D{300 + 150 * std::cos(a) * (i % 2 ? 0.6f : 1.0f), 240 + 150 * std::sin(a), 0, 1,
                        uint8_t(i * 30), uint8_t(200 - i * 20), uint8_t(90 + i * 20), 255, 0, 0};
    }
    uint16_t index[kFanIndices];
    for (int i = 0; i < kFanVertices - 2; ++i)
        index[i * 3] = 0, index[i * 3 + 1] = uint16_t(i + 1), index[i * 3 + 2] = uint16_t(i + 2);
    ASSERT_EQ(SetVertexBufferData(0, v, kFanVertices, p.vertexBuffer), 0);
    ASSERT_EQ(SetIndexBufferData(0, index, kFanIndices, p.indexBuffer), 0);
}
void drawBuffers(const Parts& p) {
    const std::vector<uint8_t> vb = deviceBytes(p.vertexBuffer, HANDLETYPE_VERTEX_BUFFER);
    const std::vector<uint8_t> ib = deviceBytes(p.indexBuffer, HANDLETYPE_INDEX_BUFFER);
    ASSERT_EQ(vb.size(), sizeof(Vertex2D) * kFanVertices);
    ASSERT_EQ(ib.size(), 2u * kFanIndices);
    std::vector<Vertex2D> triangles;
    for (int i = 0; i < kFanIndices; ++i) {
        uint16_t k;
        std::memcpy(&k, ib.data() + 2 * i, 2);
        ASSERT_LT(k, kFanVertices);
        Vertex2D v;
        std::memcpy(&v, vb.data() + sizeof(Vertex2D) * k, sizeof v);
        triangles.push_back(v);
    }
    ASSERT_EQ(DrawPrimitive2D(triangles.data(), int(triangles.size()), 4, kNoTextureHandle, 0), 0);
}

// The screen's sub back buffer as a full-screen game's flip sets it up each frame.
bool subBackBuffer() {
    if (GraphicsApiType == kGraphicsApiD3D9) return D3D9BackendSys.subSurface != nullptr;
    return D3D11BackendSys.subBackBuffer != nullptr;
}
void setupSubBackBuffer() {
    Win.Settings.WindowModeFlag = 0;
    Graphics_Hardware_SetupSubBackBuffer(0);
    Win.Settings.WindowModeFlag = 1;
    EXPECT_TRUE(subBackBuffer());
}

// A 2D scene the state kinds draw under their state.
void flatScene(const Parts& p) {
    DrawBox(60, 50, 420, 300, colour(220, 120, 20), 1);
    DrawCircle(300, 220, 90, colour(40, 200, 120), 1);
    DrawGraph(200, 100, p.picture, 1);
    DrawStretchedGraph(380, 260, 620, 460, p.picture, 0);
}

// A quad with the picture repeated three times across, as the texture addressing gives it.
void addressedQuad(const Parts& p) {
    const float x = 40, y = 40, w = 480, h = 360;
    const float px[6] = {0, 1, 0, 1, 0, 1}, py[6] = {0, 0, 1, 1, 1, 0};
    std::vector<Vertex2D> v;
    for (int i = 0; i < 6; ++i)
        v.push_back(Vertex2D{x + px[i] * w, y + py[i] * h, 0, 1, 255, 255, 255, 255, px[i] * 3 - 1, py[i] * 3 - 1});
    ASSERT_EQ(DrawPrimitive2D(v.data(), 6, 4, p.picture, 0), 0);
}

using Step = void (*)(Parts&);
using Draw = void (*)(const Parts&);

// One kind: what it makes and sets, what the device loses of it and how that comes back
// (`clear` puts it in that state before the loss, to compare with), its frame's part, what
// a mode change sets back, and its release.
struct Kind {
    const char* what;
    Step make;
    Draw fill, clear;  // null: nothing of it is lost
    Draw draw;
    Step modeChangeReset;  // null: a mode change keeps it
    Step free;
    struct {
        int x, y;
        unsigned colour;  // 0: no pixel to check
    } probe{};            // a pixel the frame shows in a colour known beforehand
};

void none(Parts&) {}

const Kind kKinds[] = {
    {"user pixel shader",
     [](Parts& p) { p.pixelShader = loadInvertShader(); },
     nullptr, nullptr,
     [](const Parts& p) { drawUserShaderQuad(p.pixelShader, p.picture, 100, 60, 160); },
     nullptr, [](Parts& p) { SubHandle(p.pixelShader); }},
    {"user vertex and pixel shaders", loadUserVertexShader, nullptr, nullptr, drawUserVertexShader, nullptr,
     [](Parts& p) { SubHandle(p.pixelShader), SubHandle(p.vertexShader); }},
    {"vertex and index buffers", makeBuffers, nullptr, nullptr, drawBuffers, nullptr,
     [](Parts& p) { SubHandle(p.vertexBuffer), SubHandle(p.indexBuffer); }},
    {"shadow map",
     [](Parts& p) { p.shadowMap = MakeTestShadowMap(32, 32); },
     [](const Parts& p) { fillShadowMap(p, false); }, [](const Parts& p) { fillShadowMap(p, true); }, drawShadowMap,
     nullptr, [](Parts& p) { SubHandle(p.shadowMap); }},
    {"canvas with a Z buffer",
     [](Parts& p) { p.canvas = MakeDrawableGraph(kW, kH, 1); },
     fillCanvas, clearCanvas, showCanvas, nullptr, [](Parts& p) { SubHandle(p.canvas); }},
    {"multisampled canvas",
     [](Parts& p) {
         SetDrawableGraphMultiSample(4, 0);
         p.canvas = MakeDrawableGraph(kW, kH, 1);
         SetDrawableGraphMultiSample(0, 0);
     },
     fillCanvas, clearCanvas, showCanvas, nullptr, [](Parts& p) { SubHandle(p.canvas); }},
    {"lights and fog",
     [](Parts& p) {
         identityCamera();
         p.lighting = GraphicsDrawSettings.lightingOff ? 0 : 1;
         SetUseLighting(1);
         const float dir[3] = {0.3f, -0.4f, 0.8f}, origin[3] = {0, 0, 0}, warm[3] = {1.0f, 0.8f, 0.6f};
         const float pos[3] = {0.2f, 0.3f, 2.0f}, cool[3] = {0.2f, 0.3f, 0.9f};
         p.lights = {addLight(kLightDirectional, dir, origin, warm), addLight(kLightPoint, origin, pos, cool),
                     addLight(kLightDirectional, origin, origin, warm)};
         SetLightEnableHandle(p.lights.back(), 0);  // switched off, it stays off
         SetFogEnable(1);
         SetFogMode(3);
         SetFogStartEnd(2.0f, 9.0f);
         SetFogColor(0, 0, 255);
     },
     nullptr, nullptr,
     [](const Parts&) {
         std::vector<Vertex3D> v = flatQuad(-0.8f, -0.6f, 0.1f, 0.5f, 4.0f);
         for (Vertex3D& x : v) x.nx = 0.3f, x.ny = 0.2f, x.nz = -0.93f;
         drawMesh3D(v, -1);
     },
     nullptr,
     [](Parts& p) {
         for (int light : p.lights) DeleteLightHandle(light);
         SetUseLighting(p.lighting);
         SetFogEnable(0);
     }},
    {"sub back buffer", none, nullptr, nullptr,
     [](const Parts& p) {
         setupSubBackBuffer();
         SetBackgroundColor(30, 60, 90);
         ClearDrawTarget(nullptr);
         flatScene(p);
     },
     nullptr, none},
    {"draw target set to a canvas",
     [](Parts& p) {
         p.canvas = MakeDrawableGraph(kW, kH, 0);
         ASSERT_EQ(SetDrawTarget(p.canvas), 0);
     },
     nullptr, nullptr, flatScene, nullptr,
     [](Parts& p) {
         SetDrawTarget(-2);
         SubHandle(p.canvas);
     }},
    {"blend mode", [](Parts&) { SetDrawBlendMode(2, 160); }, nullptr, nullptr, flatScene, nullptr,
     [](Parts&) { SetDrawBlendMode(0, 255); }},
    {"draw area", [](Parts&) { SetDrawArea(100, 80, 400, 330); }, nullptr, nullptr, flatScene,
     [](Parts&) { SetDrawAreaFull(); }, [](Parts&) { SetDrawAreaFull(); }},
    {"camera and transform",
     [](Parts&) {
         Matrix4x4D world = identityD(), view = identityD(), projection = identityD();
         world.m[0][0] = 0.8, world.m[0][1] = 0.4, world.m[1][0] = -0.3, world.m[1][1] = 0.9;
         view.m[3][0] = 0.2, view.m[3][1] = -0.1;
         projection.m[0][0] = 1.2, projection.m[2][2] = 0.1;
         SetTransformToWorld(&world);
         SetTransformToView(&view);
         SetTransformToProjection(&projection);
         Matrix4x4D viewport = identityD();
         viewport.m[0][0] = 0.9, viewport.m[1][1] = 0.8, viewport.m[3][0] = 0.1;
         SetTransformToViewport(&viewport);
     },
     nullptr, nullptr,
     [](const Parts&) {
         drawMesh3D(flatQuad(-0.5f, -0.5f, 0.4f, 0.3f, 5.0f), -1);
         DrawBox(500, 20, 600, 80, colour(250, 40, 200), 1);  // a 2D draw after the 3D one
     },
     nullptr, [](Parts&) { identityCamera(); }, {550, 50, 0xFA28C8}},
    {"Z buffer on",
     [](Parts&) {
         identityCamera();
         SetUseZBuffer3D(1);
     },
     nullptr, nullptr, [](const Parts&) { depthQuads(100, 100); }, nullptr, [](Parts&) { SetUseZBuffer3D(0); }},
    {"texture addressing mirrored", [](Parts&) { SetTextureAddressModeUVW(2, 2, 2, -1); }, nullptr, nullptr,
     addressedQuad, nullptr, [](Parts&) { SetTextureAddressModeUVW(3, 3, 3, -1); }},
    {"bilinear filtering", [](Parts&) { SetDrawMode(1); }, nullptr, nullptr,
     [](const Parts& p) { DrawStretchedGraph(20, 20, 620, 460, p.picture, 0); }, nullptr,
     [](Parts&) { SetDrawMode(0); }},
};

// One frame of a kind: the target cleared to the background, the kind's part drawn.
Frame frame(const Kind& k, const Parts& p) {
    SetBackgroundColor(30, 60, 90);
    ClearDrawTarget(nullptr);
    k.draw(p);
    return capture();
}

int drawnPixels(const Frame& f, const Frame& against) {
    int n = 0;
    for (size_t i = 0; i < f.pixels.size(); ++i) n += f.pixels[i] != against.pixels[i];
    return n;
}

class RecreationResources : public RendererTest {
  protected:
    void TearDown() override {
        Win.Settings.WindowModeFlag = 1;
        RendererTest::TearDown();
    }
};

// Each back end, each way of losing the device, each kind: the frame after the loss is
// the frame before it, byte for byte; what the loss empties shows as documented first.
TEST_F(RecreationResources, EachKindDrawsTheSameAfterReCreation) {
    for (Renderer r : {kD3D9, kD3D11})
        for (int loss = 0; loss < kLosses; ++loss) {
            SCOPED_TRACE(std::string(kNames[r]) + ", " + kLossNames[loss]);
            ASSERT_TRUE(start(r));
            Parts base;
            base.picture = makePicture(24, 24, true, texel);
            ASSERT_GE(base.picture, 0);
            SetBackgroundColor(30, 60, 90);
            ClearDrawTarget(nullptr);
            const Frame blank = capture();
            for (const Kind& k : kKinds) {
                SCOPED_TRACE(k.what);
                Parts p = base;
                k.make(p);
                Frame empty, reset;
                if (k.clear != nullptr) {
                    k.clear(p);
                    empty = frame(k, p);
                    k.fill(p);
                }
                if (k.modeChangeReset != nullptr && loss == kModeChange) {
                    k.modeChangeReset(p);
                    reset = frame(k, p);
                    k.make(p);
                }
                const Frame before = frame(k, p);
                EXPECT_GT(drawnPixels(before, blank), 200) << "nothing drawn";
                if (k.probe.colour != 0) {
                    EXPECT_EQ(hex(before.at(k.probe.x, k.probe.y)), hex(k.probe.colour));
                }
                if (k.clear != nullptr) {
                    EXPECT_GT(drawnPixels(before, empty), 100) << "the fill shows nothing";
                }
                loseDevice(r, Loss(loss));
                if (k.clear != nullptr) {
                    EXPECT_EQ(differing(empty, frame(k, p), "as the loss leaves it"), 0);
                    k.fill(p);
                }
                EXPECT_EQ(differing(reset.pixels.empty() ? before : reset, frame(k, p), "after re-creation"), 0);
                k.free(p);
            }
            SubHandle(base.picture);
            TerminateLibrary();
        }
}

// Every kind made at once and drawn, and the device lost round after round in each way:
// the handles and device objects alive after each round are those after the first.
TEST_F(RecreationResources, LossesLeaveNothingBehind) {
    for (Renderer r : {kD3D9, kD3D11}) {
        SCOPED_TRACE(kNames[r]);
        ASSERT_TRUE(start(r));
        const int picture = makePicture(24, 24, true, texel);
        std::vector<Parts> parts(std::size(kKinds));
        for (size_t i = 0; i < parts.size(); ++i) {
            parts[i].picture = picture;
            kKinds[i].make(parts[i]);
        }
        auto drawAll = [&] {
            for (size_t i = 0; i < parts.size(); ++i) {
                if (kKinds[i].fill != nullptr) kKinds[i].fill(parts[i]);
                frame(kKinds[i], parts[i]);
            }
        };
        drawAll();
        Alive first;
        for (int round = 0; round < 7; ++round) {
            loseDevice(r, Loss(round % kLosses));
            drawAll();
            const Alive now = alive();
            if (round == 0) first = now;
            EXPECT_EQ(now, first) << "round " << round << ": " << describe(now) << " against " << describe(first);
        }
        for (size_t i = 0; i < parts.size(); ++i) kKinds[i].free(parts[i]);
        SubHandle(picture);
        TerminateLibrary();
    }
}

}  // namespace recreationresources
