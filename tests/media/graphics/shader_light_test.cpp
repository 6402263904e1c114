// Shaders, buffers, lights and shadow maps on the recording back end with a device
// started, and their refusals in software mode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "media/base/memory.h"
#include "media/file/async_load.h"
#include "media/graphics/graph_filter.h"
#include "media/graphics/graphics.h"
#include "media/graphics/light.h"
#include "media/graphics/render_settings.h"
#include "media/graphics/shader.h"
#include "media/graphics/shadow_map.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"
#include "tests/media/graphics/graph_testing.h"

using namespace ZaDod;
using halvorine_test::backendCalls;
using halvorine_test::backendCallNames;
using halvorine_test::setBackendResult;
using halvorine_test::setBackendStart;

namespace {

struct DeviceResources : graphtest::GraphFixture {
    void SetUp() override {
        GraphFixture::SetUp();
        setBackendStart(0, -1);
        ASSERT_EQ(InitializeGraphics(), 0);
        setBackendResult("Graphics_D3D9_GetShaderModelVersion", 300);
    }
    size_t count(const std::string& name, size_t from = 0) {
        size_t n = 0;
        for (size_t i = from; i < backendCalls().size(); ++i) n += backendCalls()[i].name == name;
        return n;
    }
};

const unsigned char kCode[8] = {0, 3, 255, 255, 254, 255, 0, 0};

int liveShaders() { return HandleManageArray[HANDLETYPE_SHADER].Num; }

TEST_F(DeviceResources, ShadersLoadSelectAndFail) {
    for (int round = 0; round < 20; ++round) {
        const size_t from = backendCalls().size();
        const int pixel = LoadShaderFromMemBase(0, kCode, 8, 0, 0, 0);
        const int vertex = LoadShaderFromMemBase(1, kCode, 8, 0, 0, 0);
        ASSERT_GE(pixel, 0);
        ASSERT_GE(vertex, 0);
        EXPECT_EQ(count("Graphics_D3D9_Shader_Create", from), 2u);
        GetShaderData(vertex, 0)->vertexFlag = 1;  // what the back end's creation records
        EXPECT_EQ(SetUsePixelShader(vertex), -1);
        EXPECT_EQ(SetUseVertexShader(pixel), -1);
        EXPECT_EQ(SetUsePixelShader(pixel), 0);
        EXPECT_EQ(SetUseVertexShader(vertex), 0);
        EXPECT_EQ(ShaderUse.pixelShader, pixel);
        SubHandle(pixel);
        EXPECT_EQ(ShaderUse.pixelShader, 0);
        EXPECT_EQ(SetUsePixelShader(pixel), -1);
        SubHandle(vertex);
        EXPECT_EQ(ShaderUse.vertexShader, 0);
    }
    EXPECT_EQ(liveShaders(), 0);
    setBackendResult("Graphics_D3D9_Shader_Create", -1);
    EXPECT_EQ(LoadPixelShaderFromMem(kCode, 8), -1);
    EXPECT_EQ(liveShaders(), 0);
}

TEST_F(DeviceResources, AsyncShaderLoadsOnAWorker) {
    plat::win::ReleaseClockForTest();
    ASSERT_EQ(InitializeASyncLoad(plat::win::GetCurrentThreadId()), 0);
    ASSERT_EQ(SetupASyncLoadThread(2), 0);
    const int ok = LoadShaderFromMemBase(0, kCode, 8, 0, 1, 0);
    ASSERT_GE(ok, 0);
    WaitHandleASyncLoad(ok);
    EXPECT_NE(GetShaderData(ok, 0), nullptr);
    setBackendResult("Graphics_D3D9_Shader_Create", -1);
    const int bad = LoadShaderFromMemBase(0, kCode, 8, 0, 1, 0);
    ASSERT_GE(bad, 0);
    WaitHandleASyncLoad(bad);
    EXPECT_EQ(GetShaderData(bad, 1), nullptr);  // the failed job deleted it
    TerminateASyncLoad();
    EXPECT_EQ(liveShaders(), 1);
}

TEST_F(DeviceResources, ShaderTextureSlots) {
    const int graph = MakeGraph(8, 8);
    for (int slot = 0; slot < kShaderTextureSlots; ++slot) EXPECT_EQ(SetUseTextureToShader(slot, graph), 0);
    EXPECT_EQ(SetUseTextureToShader(16, graph), -1);
    EXPECT_EQ(SetUseTextureToShader(-1, graph), -1);
    EXPECT_EQ(SetUseTextureToShader(INT32_MIN, graph), -1);
    EXPECT_EQ(SetUseTextureToShader(3, -1), 0);
    EXPECT_EQ(ShaderUse.textures[3], 0);
    EXPECT_EQ(ShaderUse.textures[4], graph);
    EXPECT_EQ(SetUseTextureToShader(5, graph + 1), -1);
}

// A buffer as the back end would make it: element size and count, a zeroed copy.
int makeBuffer(int type, int elementSize, int elementCount) {
    const int handle = AddHandle(type, 0, -1);
    auto* buffer = reinterpret_cast<BufferHandleData*>(GetHandleInfo(handle));
    buffer->elementSize = elementSize;
    buffer->elementCount = elementCount;
    buffer->systemCopy = MemCalloc(static_cast<size_t>(elementSize) * elementCount, __FILE__, __LINE__);
    return handle;
}

TEST_F(DeviceResources, BufferWritesStayInside) {
    for (int type : {HANDLETYPE_VERTEX_BUFFER, HANDLETYPE_INDEX_BUFFER}) {
        auto write = type == HANDLETYPE_VERTEX_BUFFER ? SetVertexBufferData : SetIndexBufferData;
        const int h = makeBuffer(type, 8, 4);
        const unsigned char data[64] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        const auto* copy = static_cast<const unsigned char*>(GetBufferData(h, type)->systemCopy);
        EXPECT_EQ(write(3, data, 2, h), -1);  // one element past the end
        EXPECT_EQ(write(0, data, -1, h), -1);
        EXPECT_EQ(write(-1, data, 1, h), -1);
        EXPECT_EQ(write(1, data, INT32_MAX, h), -1);
        EXPECT_EQ(write(INT32_MAX, data, 2, h), -1);
        for (int i = 0; i < 32; ++i) ASSERT_EQ(copy[i], 0);
        EXPECT_EQ(write(1, data, 2, h), 0);
        EXPECT_EQ(std::memcmp(copy + 8, data, 16), 0);
        EXPECT_EQ(copy[7], 0);
        EXPECT_EQ(copy[24], 0);
        setBackendResult(type == HANDLETYPE_VERTEX_BUFFER ? "Graphics_D3D9_SetVertexBufferData"
                                                          : "Graphics_D3D9_SetIndexBufferData", -1);
        EXPECT_EQ(write(0, data + 20, 1, h), -1);
        EXPECT_EQ(copy[0], 0);
        EXPECT_EQ(write(0, data, 1, type == HANDLETYPE_VERTEX_BUFFER ? makeBuffer(HANDLETYPE_INDEX_BUFFER, 2, 2)
                                                                     : makeBuffer(HANDLETYPE_VERTEX_BUFFER, 2, 2)),
                  -1);
        const size_t from = backendCalls().size();
        SubHandle(h);
        EXPECT_EQ(count("Graphics_D3D9_Buffer_Terminate", from), 1u);
    }
}

TEST_F(DeviceResources, LightsNumberDirectionalThenSpotThenPoint) {
    const int def = GetDefaultLightHandle();
    ASSERT_NE(GetLightData(def), nullptr);
    EXPECT_EQ(GetLightData(def)->param.kind, kLightDirectional);
    const int point = CreateLightHandle(), spot = CreateLightHandle(), dir = CreateLightHandle();
    GetLightData(point)->param.kind = kLightPoint;
    GetLightData(spot)->param.kind = kLightSpot;
    GetLightData(dir)->param.kind = kLightDirectional;
    EXPECT_EQ(GetLightData(point)->param.range, 2000.0f);
    EXPECT_EQ(GetLightData(point)->enabled, 1);
    RefreshLightStates();
    EXPECT_EQ(GetLightData(def)->deviceIndex, 0);
    EXPECT_EQ(GetLightData(point)->deviceIndex, 3);
    EXPECT_EQ(GetLightData(spot)->deviceIndex, 2);
    EXPECT_EQ(GetLightData(dir)->deviceIndex, 1);

    // Switching one off renumbers the rest and switches the freed top index off.
    const size_t from = backendCalls().size();
    ASSERT_EQ(SetLightEnableHandle(spot, 0), 0);
    RefreshLightStates();
    EXPECT_EQ(GetLightData(point)->deviceIndex, 2);
    EXPECT_EQ(GetLightData(spot)->deviceIndex, -1);
    bool topOff = false, pointSent = false;
    for (size_t i = from; i < backendCalls().size(); ++i) {
        topOff |= backendCalls()[i].name == "Graphics_D3D9_SetLightEnableByIndex" && backendCalls()[i].args == "3,0,";
        pointSent |= backendCalls()[i].name == "Graphics_D3D9_SetLightParamByIndex" &&
                     backendCalls()[i].args.rfind("2,", 0) == 0;
    }
    EXPECT_TRUE(topOff);
    EXPECT_TRUE(pointSent);
    // Nothing changed: nothing is sent again.
    const size_t quiet = backendCalls().size();
    RefreshLightStates();
    EXPECT_EQ(count("Graphics_D3D9_SetLightParamByIndex", quiet), 0u);

    // The table holds 4096 lights; one more is refused and nothing moves.
    std::vector<int> made;
    for (int h; (h = CreateLightHandle()) >= 0;) made.push_back(h);
    EXPECT_EQ(made.size(), static_cast<size_t>(kMaxLights - 4));
    EXPECT_EQ(CreateLightHandle(), -1);
    ASSERT_EQ(DeleteLightHandle(made[100]), 0);
    EXPECT_EQ(DeleteLightHandle(made[100]), -1);
    const int again = CreateLightHandle();
    EXPECT_EQ(again & 0xFFFF, made[100] & 0xFFFF);
    EXPECT_NE(again, made[100]);
    DeleteAllLightHandles();
    EXPECT_EQ(GetLightData(def), nullptr);
    EXPECT_EQ(CreateLightHandle() & 0xFFFF, 0);
}

// A shadow map as the back end would make it.
int makeShadowMap(int width, int height) {
    const int handle = AddHandle(HANDLETYPE_SHADOWMAP, 0, -1);
    ShadowMapData* map = GetShadowMapData(handle);
    map->width = width;
    map->height = height;
    return handle;
}

TEST_F(DeviceResources, ShadowMapProjectionAndDrawBracket) {
    const int h = makeShadowMap(64, 32);
    ShadowMapData* map = GetShadowMapData(h);
    EXPECT_EQ(map->depthBias, 0.002f);
    int w = 0, ht = 0;
    ASSERT_EQ(GetGraphSize(h, &w, &ht), 0);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(ht, 32);
    EXPECT_EQ(SetShadowMapLightDirection(h, 0, 0, 0), -1);
    ASSERT_EQ(SetShadowMapLightDirection(h, 0, 0, 2), 0);
    map->areaMin = Vector3F{-10, -20, 5};
    map->areaMax = Vector3F{30, 20, 45};

    EXPECT_EQ(ShadowMap_DrawEnd(), -1);
    EXPECT_EQ(SetDrawTarget(h), -1);  // a map is a target only through its draw set-up
    ASSERT_EQ(ShadowMap_DrawSetup(map), 0);
    EXPECT_EQ(GetDrawTarget(), h);
    EXPECT_FLOAT_EQ(map->projection.m[0][0], 0.05f);
    EXPECT_FLOAT_EQ(map->projection.m[1][1], 0.05f);
    EXPECT_FLOAT_EQ(map->projection.m[2][2], 0.025f);
    EXPECT_FLOAT_EQ(map->projection.m[3][0], -0.5f);
    EXPECT_FLOAT_EQ(map->projection.m[3][1], 0.0f);
    EXPECT_FLOAT_EQ(map->projection.m[3][2], -0.125f);
    EXPECT_EQ(GraphicsDrawSettings.projectionMode, 2);

    // Ending restores the target and blurs once when asked.
    ProgrammableShaderFlag = 1;
    map->blur = 1;
    const size_t from = backendCalls().size();
    ASSERT_EQ(ShadowMap_DrawEnd(), 0);
    EXPECT_EQ(GetDrawTarget(), -4);
    EXPECT_EQ(count("Graphics_D3D9_Filter_Gauss", from), 1u);
    EXPECT_EQ(ShadowMap_DrawEnd(), -1);

    // A flat area keeps scale 1 on its flat axis; a target change ends drawing once.
    map->areaMax.z = 5;
    ASSERT_EQ(ShadowMap_DrawSetup(map), 0);
    EXPECT_FLOAT_EQ(map->projection.m[2][2], 1.0f);
    EXPECT_FLOAT_EQ(map->projection.m[3][2], -5.0f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) ASSERT_FALSE(std::isnan(map->viewProjection.m[r][c]));
    const size_t change = backendCalls().size();
    ASSERT_EQ(SetDrawTarget(-2), 0);
    EXPECT_EQ(count("Graphics_D3D9_Filter_Gauss", change), 1u);
    EXPECT_EQ(map->setupActive, 0);
    ProgrammableShaderFlag = 0;

    // Deleting a map that is drawn into gives the draw state back.
    ASSERT_EQ(ShadowMap_DrawSetup(map), 0);
    const size_t del = backendCalls().size();
    SubHandle(h);
    EXPECT_EQ(count("Graphics_D3D9_ShadowMap_ReleaseTexture", del), 1u);
    EXPECT_EQ(ShadowMapUse.pending, -1);
    EXPECT_EQ(ShadowMap_DrawEnd(), -1);
}

using SoftwareResources = graphtest::GraphFixture;

TEST_F(SoftwareResources, ShadersNeedADevice) {
    ASSERT_EQ(InitializeGraphics(), 0);
    EXPECT_EQ(LoadPixelShaderFromMem(kCode, 8), -1);
    EXPECT_EQ(LoadShaderFromMemBase(1, kCode, 8, 0, 0, 0), -1);
    EXPECT_EQ(HandleManageArray[HANDLETYPE_SHADER].Num, 0);
}

}  // namespace
