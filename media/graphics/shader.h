// Device-side resources other than graphs: shader handles and their selection, the
// textures shaders sample, vertex, index and shader-constant buffers with their
// system-memory copies. In software mode the records exist but nothing loads.
#pragma once
#include <cstdint>

#include "media/base/handle.h"
#include "media/graphics/hardware_types.h"

namespace ZaDod {

struct ShaderHandleData {
    HandleEntryHeader header;
    int32_t vertexFlag;  // 0 pixel shader, 1 vertex shader
    void* code;          // the back end's kept copy of the code, or null
    int32_t codeSize;    // its bytes: a re-created device makes the object again from it
    void* deviceObject;  // the back end's shader object
    int32_t constantStart, constantCount;  // the code's constant table, when it has one
    void* data;          // the inline area behind the fixed fields
};

struct ShaderConstantBufferData {
    HandleEntryHeader header;
    int32_t size;
    void* deviceObject;
    void* data;
};

// Vertex (type 15) and index (type 16) buffers.
struct BufferHandleData {
    HandleEntryHeader header;
    int32_t elementSize;   // bytes
    int32_t elementCount;
    void* systemCopy;      // elementSize × elementCount bytes, owned by the record
    void* deviceObject;
    void* data;
};

constexpr int kShaderTextureSlots = 16;

// Handle callbacks.
int InitShaderHandle(HandleEntryHeader* record);
int TerminateShaderHandle(HandleEntryHeader* record);
int InitShaderConstantBufferHandle(HandleEntryHeader* record);
int TerminateShaderConstantBufferHandle(HandleEntryHeader* record);
int InitBufferHandle(HandleEntryHeader* record);
int TerminateBufferHandle(HandleEntryHeader* record);

// Shaders. Loading needs a device that runs shaders: -1 without one.
int LoadShaderFromMemBase(int vertexFlag, const void* image, int size, int option, int asyncFlag, int inTask);
int LoadPixelShaderFromMem(const void* image, int size);
ShaderHandleData* GetShaderData(int handle, int acceptLoading);

// The back ends' shader creation around their device call. The handle keeps its own
// copy of the code (the caller's image may go once loading returns), freeing the
// caller's when `freeCode` asks: the copy, or null after logging a failed allocation.
void* CopyShaderCode(const void* code, int size, int freeCode, const char* source, int line);
// Keeps `copy` and the device object in the handle when the device made one (0);
// otherwise logs `failure` and the device's reason (when it gave one) on the next line,
// frees the copy and gives -1.
int KeepShaderObject(ShaderHandleData* shader, void* copy, int vertexFlag, void* object, bool made,
                     const char16_t* failure, const char* reason);
int SetUsePixelShader(int handle);
int SetUseVertexShader(int handle);
int SetUseTextureToShader(int slot, int handle);

// What the back ends bind before a draw (0: none).
struct ShaderSelection {
    int pixelShader;
    int vertexShader;
    int textures[kShaderTextureSlots];
};
extern ShaderSelection ShaderUse;

// Buffers: count elements from start are copied to the device and into the system copy.
int SetVertexBufferData(int start, const void* data, int count, int handle);
int SetIndexBufferData(int start, const void* data, int count, int handle);
BufferHandleData* GetBufferData(int handle, int type);

}  // namespace ZaDod
