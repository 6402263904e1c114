// Hands a Direct3D 9 call made on a loading worker to the main thread and waits for its
// result: the device is used from the main thread only.
#include "media/graphics/d3d9/backend.h"

namespace ZaDod {

HRESULT D3D9_RunOnMainThread(HRESULT (*call)(void*), void* data) {
    // The request lives on this stack until the main thread has run it; its parameter
    // words are pointer-wide, so the call and its data pass unchanged.
    MainThreadRequest request{};
    request.Param[0] = reinterpret_cast<uintptr_t>(call);
    request.Param[1] = reinterpret_cast<uintptr_t>(data);
    request.Function = [](MainThreadRequest* r) {
        auto fn = reinterpret_cast<HRESULT (*)(void*)>(r->Param[0]);
        return static_cast<int>(fn(reinterpret_cast<void*>(r->Param[1])));
    };
    return static_cast<HRESULT>(AddASyncLoadRequestMainThread(&request));
}

}  // namespace ZaDod
