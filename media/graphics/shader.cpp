// Shader handles: loading from memory images (at once or as a loader job), the
// selection of user shaders and of the textures they sample.
#include "media/graphics/shader.h"

#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_load.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/hardware.h"

namespace ZaDod {

ShaderSelection ShaderUse{};

namespace {

// The back end makes the object and keeps a copy of the code; the handle notes its size.
int createShader(int handle, int vertexFlag, const void* image, int size, int option, int async) {
    const int result = Graphics_Hardware_Shader_Create(handle, vertexFlag, image, size, option, async);
    if (result == 0)
        if (ShaderHandleData* shader = GetShaderData(handle, 1)) shader->codeSize = size;
    return result;
}

int shaderJob(AsyncLoadJob* job) {
    int offset = 0;
    const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int vertexFlag = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const void* image = reinterpret_cast<const void*>(GetASyncLoadParamInt(job->Data, &offset));
    const int size = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int option = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int result = createShader(handle, vertexFlag, image, size, option, 1);
    // A failed shader goes with the end of its step, so no reader sees it loaded.
    if (result != 0)
        if (HandleEntryHeader* header = GetHandleInfo(handle)) header->DeleteRequestFlag = 1;
    DecHandleASyncLoadCount(handle);
    return 0;
}

int packShaderJob(void* data, int* offset, int handle, int vertexFlag, const void* image, int size, int option) {
    AddASyncLoadParamInt(data, offset, handle);
    AddASyncLoadParamInt(data, offset, vertexFlag);
    AddASyncLoadParamInt(data, offset, reinterpret_cast<intptr_t>(image));
    AddASyncLoadParamInt(data, offset, size);
    return AddASyncLoadParamInt(data, offset, option);
}

bool isType(int handle, int type) {
    return handle >= 0 && ((handle >> HANDLE_TYPE_SHIFT) & (HANDLETYPE_COUNT - 1)) == type;
}

template <typename Record>
int pointAtInline(HandleEntryHeader* record) {
    auto* r = reinterpret_cast<Record*>(record);
    r->data = r + 1;
    return 0;
}

int selectShader(int handle, int* slot, bool vertex) {
    if (handle <= 0) {
        *slot = 0;
        return 0;
    }
    const ShaderHandleData* shader = GetShaderData(handle, 0);
    if (shader == nullptr || (shader->vertexFlag == 1) != vertex) return -1;
    *slot = handle;
    return 0;
}

}  // namespace

int InitShaderHandle(HandleEntryHeader* record) { return pointAtInline<ShaderHandleData>(record); }

int TerminateShaderHandle(HandleEntryHeader* record) {
    auto* shader = reinterpret_cast<ShaderHandleData*>(record);
    Graphics_Hardware_Shader_Terminate(shader);
    if (shader->code != nullptr) MemFree(shader->code);
    shader->code = nullptr;
    // A deleted shader is no longer selected.
    const int handle = record->Handle;
    if (ShaderUse.pixelShader == handle) ShaderUse.pixelShader = 0;
    if (ShaderUse.vertexShader == handle) ShaderUse.vertexShader = 0;
    return 0;
}

void* CopyShaderCode(const void* code, int size, int freeCode, const char* source, int line) {
    void* copy = MemCalloc(size_t(size), source, line);
    if (copy == nullptr) {
        LogAddTextUtf16(u"メモリの確保に失敗しました\n");
        return nullptr;
    }
    std::memcpy(copy, code, size_t(size));
    if (freeCode) MemFree(const_cast<void*>(code));
    return copy;
}

int KeepShaderObject(ShaderHandleData* shader, void* copy, int vertexFlag, void* object, bool made,
                     const char16_t* failure, const char* reason) {
    if (!made) {
        LogAddTextUtf16(failure);
        if (reason != nullptr && reason[0] != 0) LogFormatCp932("%s\n", reason);
        MemFree(copy);
        return -1;
    }
    if (shader->code != nullptr) MemFree(shader->code);
    shader->code = copy;
    shader->vertexFlag = vertexFlag ? 1 : 0;
    shader->deviceObject = object;
    return 0;
}

int InitShaderConstantBufferHandle(HandleEntryHeader* record) {
    return pointAtInline<ShaderConstantBufferData>(record);
}

int TerminateShaderConstantBufferHandle(HandleEntryHeader* record) {
    Graphics_Hardware_ShaderConstantBuffer_Terminate(reinterpret_cast<ShaderConstantBufferData*>(record));
    return 0;
}

int LoadShaderFromMemBase(int vertexFlag, const void* image, int size, int option, int asyncFlag, int inTask) {
    if (!Graphics_Hardware_IsDeviceValid() || Graphics_Hardware_GetShaderModelVersion() <= 0) return -1;
    if (!GraphicsSys.started) return -1;
    const int handle = AddHandle(HANDLETYPE_SHADER, inTask, -1);
    if (handle == -1) return -1;
    if (asyncFlag && !inTask) {
        int size0 = 0;
        packShaderJob(nullptr, &size0, handle, vertexFlag, image, size, option);
        AsyncLoadJob* job = AllocASyncLoadData(size0);
        if (job != nullptr) {
            int offset = 0;
            packShaderJob(job->Data, &offset, handle, vertexFlag, image, size, option);
            job->ProcessFunction = shaderJob;
            if (AddHandleASyncLoadJob(handle, job) == 0) return handle;
            MemFree(job);
        }
        SubHandle(handle);
        return -1;
    }
    const int result = createShader(handle, vertexFlag, image, size, option, inTask);
    if (inTask) {
        // The handle counts this step: ending it is what deletes a failed shader.
        if (result != 0)
            if (HandleEntryHeader* header = GetHandleInfo(handle)) header->DeleteRequestFlag = 1;
        DecHandleASyncLoadCount(handle);
    } else if (result != 0) {
        SubHandle(handle);
    }
    return result != 0 ? -1 : handle;
}

int LoadPixelShaderFromMem(const void* image, int size) {
    return LoadShaderFromMemBase(0, image, size, 0, GetUseASyncLoadFlag(), 0);
}

ShaderHandleData* GetShaderData(int handle, int acceptLoading) {
    if (!isType(handle, HANDLETYPE_SHADER)) return nullptr;
    HandleEntryHeader* header = GetHandleInfo(handle);
    if (header == nullptr || (!acceptLoading && HandleASyncLoadCount(header) != 0)) return nullptr;
    return reinterpret_cast<ShaderHandleData*>(header);
}

int SetUsePixelShader(int handle) { return selectShader(handle, &ShaderUse.pixelShader, false); }

int SetUseVertexShader(int handle) { return selectShader(handle, &ShaderUse.vertexShader, true); }

int SetUseTextureToShader(int slot, int handle) {
    // The slot indexes a table of 16: anything outside it is refused.
    if (slot < 0 || slot >= kShaderTextureSlots) return -1;
    if (handle == -1) {
        ShaderUse.textures[slot] = 0;
        return 0;
    }
    HandleEntryHeader* header = GetHandleInfo(handle);
    const bool usable = header != nullptr && HandleASyncLoadCount(header) == 0 &&
                        (isType(handle, HANDLETYPE_GRAPH) || isType(handle, HANDLETYPE_SHADOWMAP));
    if (!usable) return -1;
    ShaderUse.textures[slot] = handle;
    return 0;
}

}  // namespace ZaDod
