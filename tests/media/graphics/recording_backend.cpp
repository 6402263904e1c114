// Test support: a recording stand-in for both Direct3D back ends.
#include "tests/media/graphics/recording_backend.h"

#include <map>

#include "media/graphics/d3d11/d3d11.h"
#include "media/graphics/draw.h"
#include "media/graphics/d3d9/d3d9.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware_types.h"

namespace halvorine_test {
namespace {
bool quadContents = false;
}
void setRecordQuadContents(bool on) { quadContents = on; }
}  // namespace halvorine_test

namespace ZaDod {
// Quad lists are recorded as their pointer, or, when a test asks, with their quads and
// the bright colour they were drawn under.
std::ostream& operator<<(std::ostream& out, const GraphQuadList* list) {
    if (!halvorine_test::quadContents) return out << static_cast<const void*>(list);
    const DrawSettings& s = GraphicsDrawSettings;
    out << "graph=" << list->graph << " bright=" << int(s.brightRed) << ' ' << int(s.brightGreen) << ' '
        << int(s.brightBlue);
    for (int i = 0; i < list->count; ++i) {
        const GraphQuad& q = list->quads[i];
        out << " [" << q.x1 << ' ' << q.y1 << ' ' << q.x2 << ' ' << q.y2 << ' ' << q.x3 << ' ' << q.y3 << ' ' << q.x4
            << ' ' << q.y4 << ' ' << q.srcX << ' ' << q.srcY << ' ' << q.srcWidth << ' ' << q.srcHeight << ']';
    }
    return out;
}
}  // namespace ZaDod

namespace halvorine_test {
namespace {

struct Recorder {
    std::vector<BackendCall> calls;
    std::map<std::string, int> results;
    int startD3D9 = -1, startD3D11 = -1;
    int validD3D9 = 0, validD3D11 = 0;
};

Recorder& recorder() {
    static Recorder r;
    return r;
}

template <typename... A>
int record(const char* name, const std::tuple<A...>& args) {
    Recorder& r = recorder();
    r.calls.push_back({name, formatArgs(args)});
    const auto it = r.results.find(name);
    return it == r.results.end() ? 0 : it->second;
}

int start(const char* name, int result, int* valid, int d3d11) {
    recorder().calls.push_back({name, ""});
    if (result != 0) return result;
    *valid = 1;
    ZaDod::GraphicsSys.hardware = 1;
    ZaDod::GraphicsDeviceCaps& caps = ZaDod::GraphicsDeviceCapsData;
    caps = {};
    caps.subtractiveBlend = 1;
    caps.renderTargetCount = d3d11 ? 8 : 4;
    caps.maxTextureWidth = caps.maxTextureHeight = caps.maxTextureSize = d3d11 ? 16384 : 4096;
    caps.maxPrimitiveCount = caps.maxVertexIndex = 0xFFFFFF;
    caps.direct3D11 = d3d11;
    caps.direct3D9 = !d3d11;
    return 0;
}

}  // namespace

std::vector<BackendCall>& backendCalls() { return recorder().calls; }

void resetRecordingBackend() { recorder() = Recorder{}; }

void setBackendResult(const std::string& name, int result) { recorder().results[name] = result; }

void setDeviceValid(int valid) {
    (ZaDod::GraphicsApiType == ZaDod::kGraphicsApiD3D9 ? recorder().validD3D9 : recorder().validD3D11) = valid;
}

void setBackendStart(int d3d9Result, int d3d11Result) {
    recorder().startD3D9 = d3d9Result;
    recorder().startD3D11 = d3d11Result;
}

std::vector<std::string> backendCallNames() {
    std::vector<std::string> names;
    for (const BackendCall& call : recorder().calls) names.push_back(call.name);
    return names;
}

}  // namespace halvorine_test

namespace ZaDod {

using halvorine_test::record;

#define RECORD_D3D9(result, name, params, args) \
    result Graphics_D3D9_##name params { return static_cast<result>(record("Graphics_D3D9_" #name, std::make_tuple args)); }
#define RECORD_D3D11(result, name, params, args) \
    result Graphics_D3D11_##name params { return static_cast<result>(record("Graphics_D3D11_" #name, std::make_tuple args)); }
HALVORINE_HW_TABLE_OPS(RECORD_D3D9)
HALVORINE_HW_D3D9_OPS(RECORD_D3D9)
HALVORINE_HW_TABLE_OPS(RECORD_D3D11)
HALVORINE_HW_D3D11_OPS(RECORD_D3D11)
#undef RECORD_D3D9
#undef RECORD_D3D11

// The back-end list without its start-up, which the recorder answers on its own.
#define RECORD_BOTH(result, name, params, args)                                                            \
    result Graphics_D3D9_##name params { return static_cast<result>(record("Graphics_D3D9_" #name, std::make_tuple args)); } \
    result Graphics_D3D11_##name params { return static_cast<result>(record("Graphics_D3D11_" #name, std::make_tuple args)); }
HALVORINE_HW_BACKEND_OPS_AFTER_START(RECORD_BOTH)
#undef RECORD_BOTH

int Graphics_D3D9_Initialize() {
    return halvorine_test::start("Graphics_D3D9_Initialize", halvorine_test::recorder().startD3D9,
                                 &halvorine_test::recorder().validD3D9, 0);
}
int Graphics_D3D11_Initialize() {
    return halvorine_test::start("Graphics_D3D11_Initialize", halvorine_test::recorder().startD3D11,
                                 &halvorine_test::recorder().validD3D11, 1);
}
int Direct3DDevice9_IsValid() { return halvorine_test::recorder().validD3D9; }
int D3D11Device_IsValid() { return halvorine_test::recorder().validD3D11; }
int Direct3DDevice9_SetDialogBoxMode(int flag) { return record("Direct3DDevice9_SetDialogBoxMode", std::make_tuple(flag)); }

}  // namespace ZaDod
