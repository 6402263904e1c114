// The shader-constant manager: per usage set a copy of every vertex- and pixel-shader
// register it sets, an owner per register (the highest active set that uses it), and only
// the registers whose owner or owned value changed go to the device, in contiguous runs.
#include <cstring>

#include "media/graphics/d3d9/backend.h"

namespace ZaDod {

D3D9ShaderConstants D3D9ShaderConstantSys{};

namespace {

using namespace plat::gpu;

constexpr uint8_t kNoOwner = 255;
constexpr int kRegisterCount[kD3D9ConstantKinds] = {256, 16, 16, 224, 16, 16};
constexpr int kRegisterSize[kD3D9ConstantKinds] = {16, 16, 4, 16, 16, 4};

bool validArea(int kind, int set, int first, int count) {
    return kind >= 0 && kind < kD3D9ConstantKinds && set >= 0 && set < kD3D9UseSets && first >= 0 && count > 0 &&
           first + count <= kRegisterCount[kind];
}

// Adds [first, end) to the bank's list, merging it with every range it touches.
void addRange(D3D9ConstantBank& bank, int first, int end) {
    int keep = 0;
    for (int i = 0; i < bank.rangeCount; ++i) {
        const int s = bank.ranges[i][0], e = bank.ranges[i][1];
        if (e < first || s > end) {
            bank.ranges[keep][0] = uint16_t(s);
            bank.ranges[keep][1] = uint16_t(e);
            ++keep;
        } else {
            first = s < first ? s : first;
            end = e > end ? e : end;
        }
    }
    bank.rangeCount = keep;
    if (bank.rangeCount < kD3D9MaxRanges) {
        bank.ranges[bank.rangeCount][0] = uint16_t(first);
        bank.ranges[bank.rangeCount][1] = uint16_t(end);
        ++bank.rangeCount;
    } else {
        // A full list widens its last range: a register too many is tracked, never one too few.
        uint16_t(&last)[2] = bank.ranges[kD3D9MaxRanges - 1];
        if (first < last[0]) last[0] = uint16_t(first);
        if (end > last[1]) last[1] = uint16_t(end);
    }
}

// Takes [first, end) out of the bank's list, splitting a range that spans it.
void removeRange(D3D9ConstantBank& bank, int first, int end) {
    uint16_t kept[kD3D9MaxRanges + 1][2];
    int count = 0;
    for (int i = 0; i < bank.rangeCount; ++i) {
        const int s = bank.ranges[i][0], e = bank.ranges[i][1];
        if (e <= first || s >= end) {
            kept[count][0] = uint16_t(s), kept[count][1] = uint16_t(e), ++count;
            continue;
        }
        if (s < first) kept[count][0] = uint16_t(s), kept[count][1] = uint16_t(first), ++count;
        if (e > end) kept[count][0] = uint16_t(end), kept[count][1] = uint16_t(e), ++count;
    }
    if (count > kD3D9MaxRanges) count = kD3D9MaxRanges;  // only a split of a full list can pass it
    std::memcpy(bank.ranges, kept, sizeof(bank.ranges[0]) * size_t(count));
    bank.rangeCount = count;
}

// The register as the device should hold it: its owner's value, zeros without one.
void gather(const D3D9ShaderConstants* m, int kind, int first, int count, uint8_t* out) {
    const int size = kRegisterSize[kind];
    for (int r = first; r < first + count; ++r) {
        const uint8_t owner = m->owner[kind][r];
        uint8_t* to = out + size_t(r - first) * size;
        if (owner == kNoOwner)
            std::memset(to, 0, size_t(size));
        else
            std::memcpy(to, m->banks[kind][owner].data + size_t(r) * size, size_t(size));
    }
}

}  // namespace

int Graphics_D3D9_ShaderConstant_InitializeManager(D3D9ShaderConstants* m) {
    std::memset(m, 0, sizeof *m);
    std::memset(m->owner, kNoOwner, sizeof m->owner);
    for (int k = 0; k < kD3D9ConstantKinds; ++k)
        for (int s = 0; s < kD3D9UseSets; ++s) {
            m->banks[k][s].registerCount = kRegisterCount[k];
            m->banks[k][s].registerSize = kRegisterSize[k];
        }
    return 0;
}

int Graphics_D3D9_ShaderConstant_Set(D3D9ShaderConstants* m, int kind, int set, int first, const void* data, int count,
                                     int trackRange) {
    if (!validArea(kind, set, first, count) || data == nullptr) return -1;
    D3D9ConstantBank& bank = m->banks[kind][set];
    const int size = kRegisterSize[kind];
    if (trackRange) addRange(bank, first, first + count);
    std::memcpy(bank.data + size_t(first) * size, data, size_t(count) * size);
    bool owns = false;
    for (int r = first; r < first + count; ++r) {
        m->used[kind][set][r] = 1;
        if (!m->active[set]) continue;
        uint8_t& owner = m->owner[kind][r];
        if (owner == kNoOwner || owner <= set) owner = uint8_t(set);
        owns = owns || owner == set;
    }
    // A set that owns none of the range changes nothing the device holds.
    if (!owns) return 0;
    uint8_t values[kD3D9MaxRegisters * 16];
    gather(m, kind, first, count, values);
    Graphics_D3D9_ShaderConstant_SendRange(m, kind, first, values, count);
    return 0;
}

int Graphics_D3D9_ShaderConstant_ResetArea(D3D9ShaderConstants* m, int kind, int set, int first, int count) {
    if (!validArea(kind, set, first, count)) return -1;
    removeRange(m->banks[kind][set], first, first + count);
    bool changed = false;
    for (int r = first; r < first + count; ++r) {
        m->used[kind][set][r] = 0;
        uint8_t& owner = m->owner[kind][r];
        if (owner != set) continue;
        owner = kNoOwner;
        for (int lower = set - 1; lower >= 0; --lower)
            if (m->active[lower] && m->used[kind][lower][r]) {
                owner = uint8_t(lower);
                break;
            }
        changed = true;
    }
    if (changed) Graphics_D3D9_ShaderConstant_SendRange(m, kind, first, nullptr, count);
    return 0;
}

int Graphics_D3D9_ShaderConstant_ApplyUseSets(D3D9ShaderConstants* m, int mask) {
    if (!Direct3DDevice9_IsValid()) return -1;
    mask &= (1 << kD3D9UseSets) - 1;
    if (mask == m->activeMask) return 0;
    m->activeMask = mask;
    for (int s = 0; s < kD3D9UseSets; ++s) m->active[s] = (mask >> s) & 1;
    for (int k = 0; k < kD3D9ConstantKinds; ++k) {
        uint8_t owners[kD3D9MaxRegisters];
        std::memset(owners, kNoOwner, sizeof owners);
        for (int s = 0; s < kD3D9UseSets; ++s) {
            if (!m->active[s]) continue;
            const D3D9ConstantBank& bank = m->banks[k][s];
            for (int i = 0; i < bank.rangeCount; ++i)
                for (int r = bank.ranges[i][0]; r < bank.ranges[i][1]; ++r) owners[r] = uint8_t(s);
        }
        // Each maximal run of registers whose owner changed goes out in one call.
        const int registers = kRegisterCount[k];
        for (int r = 0; r < registers;) {
            if (owners[r] == m->owner[k][r]) {
                ++r;
                continue;
            }
            const int start = r;
            while (r < registers && owners[r] != m->owner[k][r]) {
                m->owner[k][r] = owners[r];
                ++r;
            }
            Graphics_D3D9_ShaderConstant_SendRange(m, k, start, nullptr, r - start);
        }
    }
    return 0;
}

int Graphics_D3D9_ShaderConstant_SendRange(D3D9ShaderConstants* m, int kind, int first, const void* data, int count) {
    if (!Direct3DDevice9_IsValid()) return -1;
    if (!validArea(kind, 0, first, count)) return -1;
    uint8_t gathered[kD3D9MaxRegisters * 16];
    if (data == nullptr) {
        gather(m, kind, first, count, gathered);
        data = gathered;
    }
    const UINT f = UINT(first), n = UINT(count);
    switch (kind) {
        case kD3D9VSFloat: Direct3DDevice9_SetVertexShaderConstantF(f, static_cast<const float*>(data), n); break;
        case kD3D9VSInt: Direct3DDevice9_SetVertexShaderConstantI(f, static_cast<const int*>(data), n); break;
        case kD3D9VSBool: Direct3DDevice9_SetVertexShaderConstantB(f, static_cast<const BOOL*>(data), n); break;
        case kD3D9PSFloat: Direct3DDevice9_SetPixelShaderConstantF(f, static_cast<const float*>(data), n); break;
        case kD3D9PSInt: Direct3DDevice9_SetPixelShaderConstantI(f, static_cast<const int*>(data), n); break;
        default: Direct3DDevice9_SetPixelShaderConstantB(f, static_cast<const BOOL*>(data), n); break;
    }
    return 0;
}

}  // namespace ZaDod
