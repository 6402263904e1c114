// Font handles: creation (at once or on a loading worker), set-up with the argument
// normalisation, deletion, validation and the handle type's init and release.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/file/async_job.h"
#include "media/file/async_load.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"
#include "media/graphics/graph.h"
#include "media/graphics/graph_settings.h"
#include "media/graphics/graphics_state.h"
#include "media/system/window.h"

namespace ZaDod {

namespace {


struct CharSetEntry {
    uint16_t gdi;
    uint16_t codePage;
};
constexpr CharSetEntry kCharSets[7] = {{1, 932},   {128, 932}, {129, 949}, {136, 950},
                                       {134, 936}, {0, 1252},  {0, 32764}};

int setupJob(AsyncLoadJob* job) {
    int offset = 0;
    const auto* param = static_cast<const FontCreateParam*>(GetASyncLoadParamStruct(job->Data, &offset));
    const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const char16_t* name = GetASyncLoadParamString(job->Data, &offset);
    int v[6];
    for (int& value : v) value = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
    const int result = SetupFontHandle(param, handle, name[0] ? name : nullptr, v[0], v[1], v[2], v[3], v[4], v[5], 1);
    EndHandleASyncLoadStep(handle, result != 0 ? 1 : 0);
    return result;
}

}  // namespace

uint16_t FontCharSetToGdi(int charSet) {
    return charSet >= 0 && charSet < 7 ? kCharSets[charSet].gdi : 1;
}

uint32_t NormaliseFontType(int fontType, int edgeSize) {
    uint32_t type = fontType < 0 ? 0u : static_cast<uint32_t>(fontType);
    // Only the listed types have a cache format: unknown bits go, 8x wins over 4x, and
    // super-sampling is anti-aliasing.
    type &= kFontTypeEdge | kFontTypeAntialiased | kFontTypeSuper4 | kFontTypeSuper8;
    if (type & kFontTypeSuper8) type &= ~kFontTypeSuper4;
    if (type & (kFontTypeSuper4 | kFontTypeSuper8)) type |= kFontTypeAntialiased;
    if (edgeSize >= 2) type |= kFontTypeEdge;
    return type;
}

int InitFontHandle(HandleEntryHeader* record) {
    auto* font = reinterpret_cast<FontHandleRecord*>(record);
    font->gdi = &font->gdiSource;
    font->cacheGraph = -1;
    font->edgeGraph = -1;
    return 0;
}

int TerminateFontHandle(HandleEntryHeader* record) {
    auto* font = reinterpret_cast<FontHandleRecord*>(record);
    TerminateFontGdiObject(font);
    ReleaseFontDataImage(font);
    if (font->memCache) MemFree(font->memCache);
    font->memCache = nullptr;
    if (font->work) MemFree(font->work);
    font->work = nullptr;
    if (font->cacheImage.pixels) MemFree(font->cacheImage.pixels);
    font->cacheImage.pixels = nullptr;
    if (font->edgeGraph != -1) SubHandle(font->edgeGraph);
    if (font->cacheGraph != -1) SubHandle(font->cacheGraph);
    font->edgeGraph = font->cacheGraph = -1;
    if (font->lostFlag) *font->lostFlag = 1;
    return 0;
}

FontHandleRecord* GetFontSettingsRecord(int handle) {
    HandleEntryHeader* record = GetHandleInfo(handle);
    if (record == nullptr || (handle & HANDLE_TYPE_MASK) != (HANDLETYPE_FONT << HANDLE_TYPE_SHIFT)) return nullptr;
    // The count is read as the loading worker publishes it; a failed load's
    // delete request is set before the count drops, so it is seen here once the
    // count is 0 (the record is gone by then).
    if (HandleASyncLoadCount(record) != 0) {
        WaitHandleASyncLoad(handle);
        record = GetHandleInfo(handle);
        if (record == nullptr) return nullptr;
    }
    if (record->DeleteRequestFlag) return nullptr;
    return reinterpret_cast<FontHandleRecord*>(record);
}

FontHandleRecord* GetFontRecord(int handle) {
    FontHandleRecord* font = GetFontSettingsRecord(handle);
    if (font != nullptr && font->setupPending && FinishFontSetup(font) != 0) {
        const bool wasDefault = handle == GetDefaultFontHandle();
        SubHandle(handle);
        if (!wasDefault) return nullptr;
        // What the default font would have been from the start: the built-in one, which
        // this use draws with already.
        DefaultFontFaceFailed();
        const int fallback = GetDefaultFontHandle();
        return fallback == -1 ? nullptr : GetFontRecord(fallback);
    }
    return font;
}

int CheckFontHandleValid(int handle) {
    if (handle == kDefaultFontHandle) {
        SetupDefaultFont();
        handle = GetDefaultFontHandle();
    }
    return GetFontRecord(handle) != nullptr ? 1 : 0;
}

int DeleteFontHandle(int handle) { return SubHandle(handle); }

namespace {

// Stores the normalised settings in the record; the result says whether the set was
// defaulted (the face's making may then fall back to set 0).
int storeFontSettings(FontHandleRecord* font, const char16_t* name, int size, int thickness, int fontType,
                      int charSet, int edgeSize, int italic) {
    uint32_t type = NormaliseFontType(fontType, edgeSize);
    if (size < 0) size = 16;
    if (thickness < 0) thickness = 6;
    if (edgeSize < 0) edgeSize = 1;

    int setWasDefaulted = 0;
    uint16_t codePage;
    if (static_cast<unsigned>(charSet) > 6) {
        charSet = GetDefaultCharSet();
        if (static_cast<unsigned>(charSet) > 6) charSet = 0;
        codePage = 65535;
        setWasDefaulted = 1;
    } else {
        codePage = kCharSets[charSet].codePage;
    }
    if (GraphicsSys.colorBits == 8) type &= ~kFontTypeAntialiased;

    font->size = static_cast<uint16_t>(size);
    font->thickness = static_cast<uint16_t>(thickness);
    font->italic = static_cast<uint8_t>(italic != 0);
    font->charSet = static_cast<uint16_t>(charSet);
    font->codePage = codePage;
    font->fontType = type;
    font->edgeSize = static_cast<uint32_t>(edgeSize);
    ResetFontHandleSettings(font, 0);
    font->name[0] = 0;
    if (name != nullptr) {
        size_t i = 0;
        for (; i + 1 < std::size(font->name) && name[i] != 0; ++i) font->name[i] = name[i];
        font->name[i] = 0;
    }
    return setWasDefaulted;
}

int makeFace(const FontCreateParam* param, FontHandleRecord* font, int setWasDefaulted, int inTask) {
    if (CreateFontGdiObject(font, setWasDefaulted) != 0) return -1;
    if (CreateFontToHandle(param, font, inTask) != 0) {
        DeleteFontGdiObject(font);
        return -1;
    }
    return 0;
}

FontHandleRecord* recordOf(int handle) {
    return reinterpret_cast<FontHandleRecord*>(GetHandleInfo(handle));
}

}  // namespace

void KeepFontCreation(FontHandleRecord* font, const FontCreateParam* param) {
    font->setupParam = *param;
    if (!font->setupGraphParamKept) InitSetupGraphParamFromSettings(&font->setupGraphParam);
}

int SetupFontHandle(const FontCreateParam* param, int handle, const char16_t* name, int size, int thickness,
                    int fontType, int charSet, int edgeSize, int italic, int inTask) {
    FontHandleRecord* font = recordOf(handle);
    if (font == nullptr) return -1;
    font->setupPending = 0;
    KeepFontCreation(font, param);
    const int setWasDefaulted = storeFontSettings(font, name, size, thickness, fontType, charSet, edgeSize, italic);
    return makeFace(param, font, setWasDefaulted, inTask);
}

int SetupFontHandleOnFirstUse(const FontCreateParam* param, int handle, const char16_t* name, int size,
                              int thickness, int fontType, int charSet, int edgeSize, int italic) {
    FontHandleRecord* font = recordOf(handle);
    if (font == nullptr) return -1;
    font->setupWasDefaulted =
        static_cast<uint8_t>(storeFontSettings(font, name, size, thickness, fontType, charSet, edgeSize, italic));
    KeepFontCreation(font, param);
    font->setupPending = 1;
    return 0;
}

int FinishFontSetup(FontHandleRecord* font) {
    if (!font->setupPending) return 0;
    font->setupPending = 0;
    font->setupGraphParamKept = 1;
    const int result = makeFace(&font->setupParam, font, font->setupWasDefaulted, 0);
    font->setupGraphParamKept = 0;
    return result;
}

int CreateFontHandleW(const FontCreateParam* param, const char16_t* name, int size, int thickness, int fontType,
                      int charSet, int edgeSize, int italic, int wantedHandle, int async) {
    FontCreateParam defaults;
    if (param == nullptr) {
        GetDefaultFontCreateParam(&defaults);
        param = &defaults;
    }
    WaitWhileWindowInactive();
    const int handle = AddHandle(HANDLETYPE_FONT, async, wantedHandle);
    if (handle == -1) return -1;
    if (!async) {
        if (SetupFontHandle(param, handle, name, size, thickness, fontType, charSet, edgeSize, italic, 0) != 0) {
            SubHandle(handle);
            return -1;
        }
        return handle;
    }
    // AddHandle counted the handle's first asynchronous step; the job takes it over.
    const char16_t empty[1] = {0};
    const bool queued = QueueHandleASyncJob(handle, setupJob, [&](void* buffer, int* offset) {
        bool ok = AddASyncLoadParamStruct(buffer, offset, param, sizeof *param) == 0 &&
                  AddASyncLoadParamInt(buffer, offset, handle) == 0 &&
                  AddASyncLoadParamString(buffer, offset, name ? name : empty) == 0;
        for (int v : {size, thickness, fontType, charSet, edgeSize, italic})
            ok = ok && AddASyncLoadParamInt(buffer, offset, v) == 0;
        return ok;
    });
    DecHandleASyncLoadCount(handle);
    if (!queued) {
        SubHandle(handle);
        return -1;
    }
    return handle;
}

namespace {

int createOnFirstUse(const FontCreateParam* param, const char16_t* name, int size, int thickness, int fontType,
                     int charSet, int edgeSize, int italic) {
    WaitWhileWindowInactive();
    const int handle = AddHandle(HANDLETYPE_FONT, 0, -1);
    if (handle == -1) return -1;
    SetupFontHandleOnFirstUse(param, handle, name, size, thickness, fontType, charSet, edgeSize, italic);
    return handle;
}

int createFromNarrowName(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                         int italic, int wantedHandle, bool later) {
    FontCreateParam param;
    GetDefaultFontCreateParam(&param);
    char16_t stackBuffer[512];
    char16_t* wide = nullptr;
    if (name != nullptr) {
        const size_t length = std::strlen(name);
        wide = stackBuffer;
        size_t units = std::size(stackBuffer);
        if (length + 16 > units) {
            units = length + 16;
            wide = static_cast<char16_t*>(MemAlloc(units * 2, kFontLogSource, __LINE__));
            if (wide == nullptr) return -1;
        }
        if (ConvertString(name, GetDefaultNarrowCodePage(), wide, units * 2, GetDefaultWideCodePage()) == 0) wide[0] = 0;
    }
    const int handle = later ? createOnFirstUse(&param, wide, size, thickness, fontType, charSet, edgeSize, italic)
                             : CreateFontHandleW(&param, wide, size, thickness, fontType, charSet, edgeSize, italic,
                                                 wantedHandle, GetUseASyncLoadFlag());
    if (wide != nullptr && wide != stackBuffer) MemFree(wide);
    return handle;
}

}  // namespace

int CreateFontHandle(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                     int italic, int wantedHandle) {
    return createFromNarrowName(name, size, thickness, fontType, charSet, edgeSize, italic, wantedHandle, false);
}

int CreateFontHandleOnFirstUse(const char* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                               int italic) {
    // Loading on a worker is asked for: the font is made there as before.
    return createFromNarrowName(name, size, thickness, fontType, charSet, edgeSize, italic, -1,
                                GetUseASyncLoadFlag() == 0);
}

}  // namespace ZaDod
