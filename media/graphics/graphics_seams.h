// Temporary: what graphics start-up and shut-down need of modules that are not built
// yet (graph handles, shaders and buffers, shadow maps, lights and render settings).
// Each owner replaces its part; graphics_seams.cpp
// holds the stand-in definitions.
#pragma once
#include "media/base/handle.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

// Records whose init callback points the data pointer at the inline area that follows
// the fixed fields.
struct ShaderHandleData {
    HandleEntryHeader header;
    void* data;
};
struct ShaderConstantBufferData {
    HandleEntryHeader header;
    void* data;
};
struct BufferHandleData {
    HandleEntryHeader header;
    void* data;
};
struct ShadowMapData {
    HandleEntryHeader header;
};
int InitShaderHandle(HandleEntryHeader* record);
int TerminateShaderHandle(HandleEntryHeader* record);
int InitShaderConstantBufferHandle(HandleEntryHeader* record);
int TerminateShaderConstantBufferHandle(HandleEntryHeader* record);
int InitBufferHandle(HandleEntryHeader* record);
int TerminateBufferHandle(HandleEntryHeader* record);
int InitShadowMapHandle(HandleEntryHeader* record);
int TerminateShadowMapHandle(HandleEntryHeader* record);

// Deletes every light and the default light.
int DeleteAllLightsOnTerminate();


}  // namespace ZaDod

