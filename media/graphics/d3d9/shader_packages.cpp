// The Direct3D 9 shader packages: each printable-text blob is turned into bytes once per
// run, expanded into a block of its own, and opened as a memory archive or read as a
// table of sized code blocks.
#include "media/base/decode.h"
#include "media/base/memory.h"
#include "media/graphics/d3d9/backend.h"
#include "tools/shaderpack/d3d9_shader_packages.h"

namespace ZaDod {

D3D9Packages D3D9PackageSys{};

namespace {

// The blobs become their LZ streams in place on first use and stay so for the run.
bool baseDecoded = false, mixDecoded = false, filterDecoded = false;

// The expanded bytes of a blob in a block of their own; null on failure.
uint8_t* unpack(char* blob, bool& decoded, int* size) {
    if (!decoded) {
        if (DecodeTextPackedData(blob, blob) < 0) return nullptr;
        decoded = true;
    }
    *size = DecompressLZ(blob, nullptr);
    if (*size <= 0) return nullptr;
    auto* block = static_cast<uint8_t*>(MemAlloc(size_t(*size), "D3D9Shader", __LINE__));
    if (block != nullptr) DecompressLZ(blob, block);
    return block;
}

void freeBlock(uint8_t*& block) {
    if (block != nullptr) MemFree(block);
    block = nullptr;
}

bool openArchive(Archive* archive, uint8_t* image, int size) {
    ArchiveInitialize(archive);
    return ArchiveOpenFromMemory(archive, image, size_t(size), 0, 0, nullptr, nullptr) == 0;
}

// Reads the 256 sizes and points at each code block; a size past the block's end empties
// its entry and every later one.
void readMixTable(const uint8_t* table, int size) {
    D3D9Packages& p = D3D9PackageSys;
    size_t at = size_t(kD3D9RGBAMixEntries) * 2;
    for (int i = 0; i < kD3D9RGBAMixEntries; ++i) {
        const int entry = size >= (i + 1) * 2 ? table[i * 2] | table[i * 2 + 1] << 8 : 0;
        p.mixSize[i] = at + size_t(entry) <= size_t(size) ? entry : 0;
        p.mixCode[i] = p.mixSize[i] != 0 ? table + at : nullptr;
        at += size_t(p.mixSize[i]);
    }
}

}  // namespace

int Graphics_D3D9_ShaderCode_LoadPackage() {
    D3D9Packages& p = D3D9PackageSys;
    if (p.loaded) return 1;
    int baseSize = 0, mixSize = 0, filterSize = 0;
    bool baseOpen = false;
    p.base = unpack(D3D9ShaderBaseArchive, baseDecoded, &baseSize);
    if (p.base != nullptr && openArchive(&p.baseArchive, p.base, baseSize)) {
        baseOpen = true;
        p.mixTable = unpack(D3D9ShaderRGBAMixPackage, mixDecoded, &mixSize);
        if (p.mixTable != nullptr && mixSize >= kD3D9RGBAMixEntries * 2) {
            readMixTable(p.mixTable, mixSize);
            p.filter = unpack(D3D9ShaderFilterArchive, filterDecoded, &filterSize);
            if (p.filter != nullptr && openArchive(&p.filterArchive, p.filter, filterSize)) {
                p.loaded = 1;
                return 1;
            }
        }
    }
    if (baseOpen) ArchiveClose(&p.baseArchive);
    freeBlock(p.base);
    freeBlock(p.mixTable);
    freeBlock(p.filter);
    return 0;
}

int Graphics_D3D9_ShaderCode_FreePackage() {
    D3D9Packages& p = D3D9PackageSys;
    if (!p.loaded) return 1;
    ArchiveClose(&p.baseArchive);
    ArchiveClose(&p.filterArchive);
    freeBlock(p.base);
    freeBlock(p.mixTable);
    freeBlock(p.filter);
    for (int i = 0; i < kD3D9RGBAMixEntries; ++i) {
        p.mixCode[i] = nullptr;
        p.mixSize[i] = 0;
    }
    p.loaded = 0;
    return 1;
}

}  // namespace ZaDod
