// Temporary stand-ins for the modules graphics start-up and shut-down call before
// they exist; see graphics_seams.h.
#include "media/graphics/graphics_seams.h"

#include "media/base/memory.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"

namespace ZaDod {
namespace {
// Points a record's data pointer at the inline area behind its fixed fields.
template <typename Record>
int pointAtInline(HandleEntryHeader* record) {
    auto* r = reinterpret_cast<Record*>(record);
    r->data = r + 1;
    return 0;
}

// Frees a record's data only when it is a block of its own.
template <typename Record>
int freeOwnData(HandleEntryHeader* record) {
    auto* r = reinterpret_cast<Record*>(record);
    if (r->data != nullptr && r->data != r + 1) MemFree(r->data);
    r->data = nullptr;
    return 0;
}
}  // namespace


int InitShaderHandle(HandleEntryHeader* record) { return pointAtInline<ShaderHandleData>(record); }
int TerminateShaderHandle(HandleEntryHeader* record) { return freeOwnData<ShaderHandleData>(record); }
int InitShaderConstantBufferHandle(HandleEntryHeader* record) {
    return pointAtInline<ShaderConstantBufferData>(record);
}
int TerminateShaderConstantBufferHandle(HandleEntryHeader* record) {
    return freeOwnData<ShaderConstantBufferData>(record);
}
int InitBufferHandle(HandleEntryHeader* record) { return pointAtInline<BufferHandleData>(record); }
int TerminateBufferHandle(HandleEntryHeader* record) { return freeOwnData<BufferHandleData>(record); }
int InitShadowMapHandle(HandleEntryHeader*) { return 0; }
int TerminateShadowMapHandle(HandleEntryHeader*) { return 0; }

int DeleteAllLightsOnTerminate() { return 0; }




}  // namespace ZaDod
