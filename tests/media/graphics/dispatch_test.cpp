// Routing of the hardware dispatch table over the recording back end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>

#include "media/graphics/graphics_state.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/hardware.h"
#include "tests/media/graphics/recording_backend.h"

using namespace ZaDod;
using halvorine_test::backendCalls;

namespace {

// A distinct, recognisable value of any parameter type.
template <typename T>
T sample(int i) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(static_cast<uintptr_t>(0x1000 + 16 * i));
    else if constexpr (std::is_floating_point_v<T>)
        return static_cast<T>(i) + static_cast<T>(0.25);
    else
        return static_cast<T>(i + 3);
}

template <typename... A, size_t... I>
std::tuple<A...> samples(std::index_sequence<I...>) {
    return std::tuple<A...>{sample<A>(static_cast<int>(I))...};
}

struct Dispatch : ::testing::Test {
    void SetUp() override { halvorine_test::resetRecordingBackend(); }
    void TearDown() override {
        GraphicsApiType = kGraphicsApiSoftware;
        halvorine_test::resetRecordingBackend();
    }

    // Calls a dispatcher under every selector and checks where it went.
    template <typename R, typename... A>
    void route(const std::string& name, R (*dispatcher)(A...)) {
        const auto args = samples<A...>(std::index_sequence_for<A...>{});
        GraphicsApiType = kGraphicsApiSoftware;
        backendCalls().clear();
        EXPECT_EQ(static_cast<long long>(std::apply(dispatcher, args)), 0) << name;
        EXPECT_TRUE(backendCalls().empty()) << name;
        const char* sides[] = {"Graphics_D3D9_", "Graphics_D3D11_"};
        for (int api : {kGraphicsApiD3D9, kGraphicsApiD3D11}) {
            const std::string target = sides[api - 1] + name;
            halvorine_test::setBackendResult(target, 40 + api);
            GraphicsApiType = api;
            backendCalls().clear();
            EXPECT_EQ(static_cast<long long>(std::apply(dispatcher, args)), 40 + api) << target;
            ASSERT_EQ(backendCalls().size(), 1u) << target;
            EXPECT_EQ(backendCalls()[0].name, target);
            EXPECT_EQ(backendCalls()[0].args, halvorine_test::formatArgs(args)) << target;
        }
    }
};

}  // namespace

TEST_F(Dispatch, EveryTableRowRoutesByTheSelector) {
#define ROUTE(result, name, params, args) route(#name, &Graphics_Hardware_##name);
    HALVORINE_HW_TABLE_OPS(ROUTE)
#undef ROUTE
}

TEST_F(Dispatch, RowsThatDifferFromTheRule) {
    int dummy = 0;
    auto* buffer = reinterpret_cast<BufferHandleData*>(&dummy);
    for (int api : {kGraphicsApiD3D9, kGraphicsApiD3D11}) {
        GraphicsApiType = api;
        backendCalls().clear();
        Graphics_Hardware_FlushVertexBatch(1);
        Graphics_Hardware_SetIndexBufferData(buffer, 2, &dummy, 5);
        Graphics_Hardware_SetVertexBufferData(buffer, 3, &dummy, 6);
        Graphics_Hardware_SysMemCache_ReleaseAll();
        Graphics_Hardware_SysMemCache_ReleaseUnused();
        Graphics_Hardware_CheckDepthBufferGraph(nullptr);
        Graphics_Hardware_CopyMovieSurfaceToGraph(nullptr, nullptr);
        Graphics_Hardware_RestoreIfDeviceLost();
        const int constantBuffer = Graphics_Hardware_ShaderConstantBuffer_Terminate(nullptr);
        EXPECT_EQ(Graphics_Hardware_ShadowMap_RefreshSetting(nullptr), 0);
        Graphics_Hardware_DrawDeformedGraph(1, 2, 3, 4, 5, 6, 7, 8, nullptr, nullptr, 1, 0);
        const auto& calls = backendCalls();
        if (api == kGraphicsApiD3D9) {
            EXPECT_EQ(constantBuffer, -1);
            EXPECT_EQ(halvorine_test::backendCallNames(),
                      (std::vector<std::string>{
                          "Graphics_D3D9_FlushVertexBatch", "Graphics_D3D9_SetIndexBufferData",
                          "Graphics_D3D9_SetVertexBufferData", "Graphics_D3D9_SysMemCache_ReleaseAll",
                          "Graphics_D3D9_SysMemTexture_ReleaseUnused", "Graphics_D3D9_SysMemSurface_ReleaseUnused",
                          "Graphics_D3D9_CheckDepthBufferGraph", "Graphics_D3D9_CopyMovieSurfaceToGraph",
                          "Graphics_D3D9_RestoreIfDeviceLost", "Graphics_D3D9_DrawDeformedGraph"}));
            EXPECT_EQ(calls[0].args, "1,");
        } else {
            EXPECT_EQ(constantBuffer, 0);
            EXPECT_EQ(halvorine_test::backendCallNames(),
                      (std::vector<std::string>{"Graphics_D3D11_FlushVertexBatch",
                                                "Graphics_D3D11_SetVertexOrIndexBufferData",
                                                "Graphics_D3D11_SetVertexOrIndexBufferData",
                                                "Graphics_D3D11_ShaderConstantBuffer_Terminate",
                                                "Graphics_D3D11_DrawDeformedGraph"}));
            EXPECT_EQ(calls[0].args, "-1,1,");
            EXPECT_EQ(calls[1].args, halvorine_test::formatArgs(std::make_tuple(buffer, 2, (const void*)&dummy, 5)));
        }
        // Clockwise corners in, top-left, top-right, bottom-left, bottom-right out.
        EXPECT_EQ(calls.back().args.substr(0, 16), "1,2,3,4,7,8,5,6,");
    }
    GraphicsApiType = kGraphicsApiSoftware;
    backendCalls().clear();
    EXPECT_EQ(Graphics_Hardware_ShaderConstantBuffer_Terminate(nullptr), 0);
    EXPECT_EQ(Graphics_Hardware_DrawDeformedGraph(1, 2, 3, 4, 5, 6, 7, 8, nullptr, nullptr, 1, 0), 0);
    EXPECT_EQ(Graphics_Hardware_SysMemCache_ReleaseUnused(), 0);
    EXPECT_TRUE(backendCalls().empty());
}

TEST_F(Dispatch, DeviceValidityAndDialogBoxMode) {
    EXPECT_EQ(Graphics_Hardware_IsDeviceValid(), 0);
    halvorine_test::setBackendStart(0, -1);
    ASSERT_EQ(Graphics_D3D9_Initialize(), 0);
    GraphicsApiType = kGraphicsApiD3D9;
    EXPECT_EQ(Graphics_Hardware_IsDeviceValid(), 1);
    GraphicsApiType = kGraphicsApiD3D11;
    EXPECT_EQ(Graphics_Hardware_IsDeviceValid(), 0);

    GraphicsApiType = kGraphicsApiD3D9;
    backendCalls().clear();
    ASSERT_EQ(GraphicsSys.hardware, 1);  // the recorder's device start set it
    EXPECT_EQ(Graphics_Hardware_SetDialogBoxModeFlag(1), 0);
    EXPECT_EQ(Graphics_Hardware_GetDialogBoxModeFlag(), 1);
    ASSERT_EQ(backendCalls().size(), 2u);
    EXPECT_EQ(backendCalls()[0].args, "0,");
    EXPECT_EQ(backendCalls()[1].args, "1,");
    Graphics_Hardware_SetDialogBoxModeFlag(0);
    GraphicsSys.hardware = 0;
}
