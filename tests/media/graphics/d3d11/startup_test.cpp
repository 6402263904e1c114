// Direct3D 11 start-up: its log, the fallbacks when a library, level or format is missing,
// failures at every later step, the object counters and their dump, posting from loading
// workers, shader groups and constant buffers.
#include <atomic>

#include "d3d11_fixture.h"
#include "media/base/thread.h"
#include "media/file/async_load.h"
#include "media/graphics/render_settings.h"
#include "media/system/system.h"
#include "media/system/window.h"
#include "platform/win/win_clock.h"
#include "platform/win/win_thread.h"
#include "platform/win/window_test.h"

namespace d3d11test {
namespace {

TEST_F(D3D11Test, StartsFirstAndLogsItsStartUpInOrder) {
  ASSERT_EQ(start(), 0);
  EXPECT_EQ(GraphicsApiType, kGraphicsApiD3D11);
  EXPECT_EQ(GraphicsSys.hardware, 1);
  EXPECT_EQ(ProgrammableShaderFlag, 1);
  EXPECT_TRUE(logHasInOrder({u"d3d11.dll の読み込み.... 成功", u"dxgi.dll の読み込み.... 成功",
                             u"IDXGIFactory1 を作成します.... 成功", u"API D3D11CreateDevice のアドレスを取得します.... 成功",
                             u"ID3D11Device オブジェクトを取得します.... 成功", u"IDXGIDevice1 を取得します.... 成功",
                             u"IDXGISwapChain を作成します.... 成功", u"Graphics Device:",
                             u"画面のフォーマットは DXGI_FORMAT_R8G8B8A8_UNORM です",
                             u"カラーフォーマットは DXGI_FORMAT_R8G8B8A8_UNORM です",
                             u"ＤＸＴ２テクスチャフォーマットは使えません",
                             u"描画用 16bit カラーフォーマットは DXGI_FORMAT_B8G8R8X8_UNORM です",
                             u"使用する機能レベル:D3D_FEATURE_LEVEL_11_1", u"標準描画用の頂点バッファの作成.... 成功",
                             u"深度バッファを作成します.... 成功", u"シェーダーコード関係の初期化.... 成功",
                             u"各種シェーダー用定数バッファの作成.... 成功", u"各種 ID3D11InputLayout の作成.... 成功",
                             u"画像の単純転送処理の初期化... 成功"}));
  EXPECT_FALSE(LogCapture::contains(u"DirectDraw"));
  EXPECT_FALSE(LogCapture::contains(u"IDirect3D9"));
  EXPECT_EQ(D3D11TextureFormatTable[0], DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(D3D11TextureFormatTable[48], DXGI_FORMAT_R8_UNORM);
  EXPECT_EQ(Graphics_D3D11_GetShaderModelVersion(), 500);
}

// Each case takes one thing away and looks for what the log must and must not say.
TEST_F(D3D11Test, FallsBackWhenALibraryLevelOrFormatIsMissing) {
  struct Case {
    const char* name;
    const char* missing;
    int levelMinor;  // 0: level cap 10_1
    bool refuseDepth;
    int api;  // expected API type
    std::u16string must, mustNot;
  } cases[] = {
      {"no d3d11", "d3d11", -1, false, kGraphicsApiD3D9, u"d3d11.dll の読み込み.... 失敗", u"dxgi.dll"},
      {"no dxgi", "dxgi", -1, false, kGraphicsApiD3D9, u"dxgi.dll の読み込み.... 失敗",
       u"API D3D11CreateDevice"},
      {"level 10_1", nullptr, 0, false, kGraphicsApiD3D9, u"ID3D11Device オブジェクトを取得します.... 失敗",
       u"IDXGIDevice1"},
      {"no D24S8 or D32F", nullptr, -1, true, kGraphicsApiD3D11,
       u"24bit Zバッファフォーマットは DXGI_FORMAT_D16_UNORM です\n32bit Zバッファフォーマットは "
       u"DXGI_FORMAT_D16_UNORM です",
       u"DXGI_FORMAT_D24_UNORM_S8_UINT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    forgetLog();
    if (c.missing != nullptr) setenv("HALVORINE_MISSING", c.missing, 1);
    Profile p = defaultProfile();
    if (c.levelMinor == 0) p.featureMajor = 10, p.featureMinor = 1;
    if (c.refuseDepth) p.refuse(Format::D24S8), p.refuse(Format::D32F);
    setProfile(p);
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(GraphicsApiType, c.api);
    EXPECT_TRUE(LogCapture::contains(c.must)) << std::string(c.must.begin(), c.must.end());
    EXPECT_FALSE(LogCapture::contains(c.mustNot));
    TerminateLibrary();
    unsetenv("HALVORINE_MISSING");
    resetProfile();
  }
}

TEST_F(D3D11Test, AFailureAtAnyLaterStepLeavesNoObjectAlive) {
  const char* steps[] = {"dxgi.CreateSwapChain",        "d3d11.CreateBuffer",      "d3d11.CreateTexture2D",
                         "d3d11.CreateVertexShader",    "d3d11.CreatePixelShader", "d3d11.CreateInputLayout",
                         "d3d11.CreateBlendState",      "d3d11.CreateSamplerState", "d3d11.CreateRasterizerState",
                         "d3d11.CreateDepthStencilState"};
  const int before = liveObjects();
  for (const char* step : steps) {
    SCOPED_TRACE(step);
    Profile p = defaultProfile();
    p.failOnCall[step] = 1;
    setProfile(p);
    resetJournal();
    ASSERT_EQ(start(), 0);
    EXPECT_NE(GraphicsApiType, kGraphicsApiD3D11);
    EXPECT_EQ(D3D11Device_IsValid(), 0);
    for (int kind = 0; kind < kD3D11ObjectKinds; ++kind) EXPECT_EQ(D3D11Sys.counters[kind], 0) << kind;
    TerminateLibrary();
  }
  EXPECT_EQ(liveObjects(), before);
}

TEST_F(D3D11Test, CountsOnlyWhatWasMadeAndDumpsItAtShutDown) {
  ASSERT_EQ(start(), 0);
  const int buffers = D3D11Sys.counters[kD3D11Buffer];
  const D3D11_BUFFER_DESC bad{0, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  ID3D11Buffer* none = nullptr;
  EXPECT_NE(D3D11Device_CreateBuffer(&bad, nullptr, &none), 0);
  EXPECT_EQ(D3D11Sys.counters[kD3D11Buffer], buffers);

  forgetLog();
  TerminateLibrary();
  EXPECT_TRUE(LogCapture::contains(u"Direct3D11 のオブジェクト数を出力\nDirect3D11 のオブジェクト合計数 : 0"));

  // A buffer the back end never releases shows in the next dump.
  ASSERT_EQ(start(), 0);
  const D3D11_BUFFER_DESC good{64, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  ID3D11Buffer* leaked = nullptr;
  ASSERT_EQ(D3D11Device_CreateBuffer(&good, nullptr, &leaked), 0);
  forgetLog();
  TerminateLibrary();
  EXPECT_TRUE(LogCapture::contains(u"ID3D11Buffer : 1\nDirect3D11 のオブジェクト合計数 : 1"));
  D3D11Buffer_Release(leaked);
  EXPECT_EQ(liveObjects(), 0);
}

std::atomic<unsigned> postedOn{0};
std::atomic<int> postedResult{1};
std::atomic<int> postedDone{0};
ID3D11Buffer* postedBuffer = nullptr;

int postFromWorker(AsyncLoadJob*) {
  D3D11_RunPosted(1, [] {
    postedOn = plat::win::GetCurrentThreadId();
    return HRESULT(0);
  });
  const D3D11_BUFFER_DESC desc{64, D3D11_USAGE_DEFAULT, D3D11_BIND_VERTEX_BUFFER, 0, 0, 0};
  postedResult = D3D11Device_CreateBuffer(&desc, nullptr, &postedBuffer, 1);
  postedDone = 1;
  return 0;
}

TEST_F(D3D11Test, AWorkersCallRunsOnTheMainThreadAndReturnsItsResult) {
  ASSERT_EQ(start(), 0);
  const int buffers = D3D11Sys.counters[kD3D11Buffer];
  postedDone = 0;
  AsyncLoadJob* job = AllocASyncLoadData(0);
  ASSERT_NE(job, nullptr);
  job->ProcessFunction = postFromWorker;
  ASSERT_EQ(AddASyncLoadData(job), 0);
  for (int i = 0; i < 20000 && !postedDone; ++i) {
    ProcessASyncLoadRequestMainThread();
    Thread_Sleep(1);
  }
  ASSERT_EQ(postedDone.load(), 1);
  EXPECT_EQ(postedOn.load(), plat::win::GetCurrentThreadId());
  EXPECT_EQ(postedResult.load(), 0);
  EXPECT_EQ(D3D11Sys.counters[kD3D11Buffer], buffers + 1);
  D3D11Buffer_Release(postedBuffer);
}

TEST_F(D3D11Test, ShaderGroupsAndConstantBuffers) {
  // The third textured shader fails: the rest of its group stays empty, start-up goes on.
  Profile p = defaultProfile();
  p.failOnCall["d3d11.CreatePixelShader"] = kD3D11UntexturedShaders + 3;
  setProfile(p);
  ASSERT_EQ(start(), 0);
  EXPECT_EQ(GraphicsApiType, kGraphicsApiD3D11);
  EXPECT_NE(D3D11ShaderSys.textured[1], nullptr);
  for (int i = 2; i < kD3D11TexturedShaders; ++i) EXPECT_EQ(D3D11ShaderSys.textured[i], nullptr) << i;
  EXPECT_NE(D3D11ShaderSys.mask, nullptr);

  EXPECT_EQ(Graphics_D3D11_ConstantBuffer_Create(100, 0), nullptr);
  EXPECT_TRUE(LogCapture::contains(u"定数バッファのサイズは１６の倍数である必要があります"));
  const int count = D3D11_ConstantBufferCount();
  for (int round = 0; round < 50; ++round) {
    D3D11ConstantBuffer* a = Graphics_D3D11_ConstantBuffer_Create(64, 0);
    D3D11ConstantBuffer* b = Graphics_D3D11_ConstantBuffer_Create(32, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->dirty = 1;
    Graphics_D3D11_ConstantBuffer_Update(a);
    EXPECT_EQ(a->dirty, 0);
    Graphics_D3D11_ConstantBuffer_Release(a);
    Graphics_D3D11_ConstantBuffer_Release(b);
  }
  EXPECT_EQ(D3D11_ConstantBufferCount(), count);
  TerminateLibrary();

  // Without the first shader of a group the back end does not start.
  p.failOnCall["d3d11.CreatePixelShader"] = kD3D11UntexturedShaders + 1;
  setProfile(p);
  resetJournal();  // the failing call is counted from here
  forgetLog();
  ASSERT_EQ(start(), 0);
  EXPECT_NE(GraphicsApiType, kGraphicsApiD3D11);
  EXPECT_TRUE(LogCapture::contains(u"( テクスチャあり ) No.0 の作成に失敗しました"));
}

TEST(D3D11Layouts, BgraColoursChangeOnlyTheFormatLayouts) {
  D3D11_INPUT_ELEMENT_DESC plain[10], bgra[10];
  for (int f = 0; f < kD3D11StdVertexShaders; ++f) {
    const int n = D3D11_InputLayoutElements(f, 0, plain);
    ASSERT_EQ(D3D11_InputLayoutElements(f, 1, bgra), n);
    int colours = 0;
    for (int i = 0; i < n; ++i) {
      const bool colour = std::string(plain[i].SemanticName) == "COLOR";
      colours += colour;
      EXPECT_EQ(plain[i].Format, colour ? DXGI_FORMAT_R8G8B8A8_UNORM : plain[i].Format);
      EXPECT_EQ(bgra[i].Format, colour ? DXGI_FORMAT_B8G8R8A8_UNORM : plain[i].Format);
      EXPECT_EQ(bgra[i].AlignedByteOffset, plain[i].AlignedByteOffset);
    }
    EXPECT_GE(colours, 1) << f;
    const D3D11_INPUT_ELEMENT_DESC& last = plain[n - 1];
    const UINT lastSize = last.Format == DXGI_FORMAT_R32G32_FLOAT ? 8 : last.Format == DXGI_FORMAT_R32G32B32_FLOAT ? 12 : 4;
    EXPECT_EQ(int(last.AlignedByteOffset + lastSize), kD3D11VertexSizes[f]) << f;
  }
}

}  // namespace
}  // namespace d3d11test

namespace d3d11test {
namespace {

TEST_F(D3D11Test, SmallDeviceQueriesAndTheCommonBuffer) {
  ASSERT_EQ(start(), 0);
  // The common vertex buffer grows with 16384 bytes of headroom and is kept while it fits.
  ASSERT_EQ(Graphics_D3D11_CommonVertexBuffer_Setup(100), 0);
  EXPECT_EQ(D3D11BackendSys.commonVertexBufferSize, 16496);
  ID3D11Buffer* first = D3D11BackendSys.commonVertexBuffer;
  ASSERT_EQ(Graphics_D3D11_CommonVertexBuffer_Setup(16000), 0);
  EXPECT_EQ(D3D11BackendSys.commonVertexBuffer, first);
  ASSERT_EQ(Graphics_D3D11_CommonVertexBuffer_Setup(20000), 0);
  EXPECT_EQ(D3D11BackendSys.commonVertexBufferSize, 36384);

  // Multisampling: a count of 1 needs no check; the GPU offers 2, 4 and 8 samples with one
  // quality level, so other counts come down to the next one offered, or fail when strict.
  const struct {
    int count, quality, strict;
    int result, countAfter, qualityAfter;
  } counts[] = {{1, 5, 0, 0, 1, 0},  {4, 2, 0, 0, 4, 0}, {4, 0, 1, 0, 4, 0}, {3, 0, 0, 0, 2, 0},
                {3, 0, 1, -1, 3, 0}, {16, 1, 0, 0, 8, 0}};
  for (const auto& c : counts) {
    int count = c.count, quality = c.quality;
    EXPECT_EQ(D3D11Device_CheckMultiSampleParam(DXGI_FORMAT_R8G8B8A8_UNORM, &count, &quality, c.strict), c.result)
        << c.count << " strict " << c.strict;
    EXPECT_EQ(count, c.countAfter) << c.count;
    EXPECT_EQ(quality, c.qualityAfter) << c.count;
  }

  const D3D_FEATURE_LEVEL level = D3D11Sys.featureLevel;
  const struct {
    D3D_FEATURE_LEVEL level;
    int model;
  } models[] = {{D3D_FEATURE_LEVEL_9_3, 200}, {D3D_FEATURE_LEVEL_10_1, 400}, {D3D_FEATURE_LEVEL_11_0, 500}};
  for (const auto& m : models) {
    D3D11Sys.featureLevel = m.level;
    EXPECT_EQ(Graphics_D3D11_GetShaderModelVersion(), m.model);
  }
  D3D11Sys.featureLevel = level;

  // Asked without a graph, the answer is for a plain texture: every DXT kind is decoded.
  for (int kind = -1; kind <= 6; ++kind) {
    int color = -7, alpha = -7;
    EXPECT_EQ(Graphics_D3D11_GetDXTDecodeFlags(nullptr, kind, &color, 6 - kind, &alpha), 0);
    EXPECT_EQ(color, kind >= 1 && kind <= 5 ? 1 : 0) << kind;
    EXPECT_EQ(alpha, 6 - kind >= 1 && 6 - kind <= 5 ? 1 : 0) << kind;
  }
  EXPECT_EQ(Graphics_D3D11_GetDXTDecodeFlags(nullptr, 1, nullptr, -1, nullptr), 0);
}

// While the front screen is the draw target, a window timer presents it every 32 ms; it
// stops with the next draw target.
TEST_F(D3D11Test, TheFrontScreenTimerPresentsWhileItIsTheTarget) {
  ASSERT_EQ(start(), 0);
  plat::win::HoldClockForTest(plat::win::MonotonicNanoseconds());
  ASSERT_EQ(SetDrawTarget(-4), 0);
  ProcessWindowMessages();
  plat::win::HWND window = GetMainWindowHandle();
  const int before = plat::win::GetPresentCount(window);
  for (int i = 1; i <= 2; ++i) {
    plat::win::StepClockForTest(32'000'000);
    ProcessWindowMessages();
    EXPECT_EQ(plat::win::GetPresentCount(window), before + i);
  }
  ASSERT_EQ(SetDrawTarget(-2), 0);
  ProcessWindowMessages();
  const int after = plat::win::GetPresentCount(window);
  plat::win::StepClockForTest(64'000'000);
  ProcessWindowMessages();
  EXPECT_EQ(plat::win::GetPresentCount(window), after);
}

}  // namespace
}  // namespace d3d11test
