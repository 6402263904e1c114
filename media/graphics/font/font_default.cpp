// The font module: start and end, the default font (handle -2) with its configured
// settings, and the re-creation of every font after the device came back.
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/graphics/font/font.h"
#include "media/graphics/font/font_internal.h"

namespace ZaDod {

FontModuleState FontModule = {0, -1, 0, {0}, 16, 6, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
uint32_t FontWideSpaceCode = 0x3000;

namespace {

const FontCreateParam kCreateParam = {{0, 0, 0, 0}};

struct FontSettings {
    char16_t name[128];
    int size, thickness, fontType, charSet, edgeSize, italic;
    int space, lineSpaceFlag, lineSpace, codePageOverride;
    int dataImage;
};

void readSettings(const FontHandleRecord* font, FontSettings* out) {
    std::memcpy(out->name, font->name, sizeof out->name);
    out->size = font->size;
    out->thickness = font->thickness;
    out->fontType = static_cast<int>(font->fontType);
    // A set that was defaulted is defaulted again, so the font keeps the narrow code page.
    out->charSet = font->codePage == 65535 ? -1 : font->charSet;
    out->edgeSize = static_cast<int>(font->edgeSize);
    out->italic = font->italic;
    out->space = font->space;
    out->lineSpaceFlag = static_cast<int>(font->lineSpaceFlag);
    out->lineSpace = font->lineSpace;
    out->codePageOverride = font->codePageOverride;
    out->dataImage = static_cast<int>(font->dataImage);
}

// The wanted values of the default font.
FontSettings wantedDefault() {
    const FontModuleState& m = FontModule;
    FontSettings s{};
    size_t i = 0;
    for (; i + 1 < std::size(s.name) && m.name[i]; ++i) s.name[i] = m.name[i];
    s.size = m.size < 0 ? 16 : m.size;
    s.thickness = m.thickness < 0 ? 6 : m.thickness;
    s.edgeSize = m.edgeSize < 0 ? 1 : m.edgeSize;
    s.fontType = static_cast<int>(NormaliseFontType(m.fontType, s.edgeSize));
    // No set configured: the system's set, read in the narrow code page.
    s.charSet = static_cast<unsigned>(m.charSet) > 6 ? -1 : m.charSet;
    s.italic = m.italic != 0;
    return s;
}

// Set once a default font made on first use could not make its face: from then on the
// default is made at once, so the failure falls back to the built-in font as it would
// have at start.
bool faceFailed = false;

int createDefault(const FontSettings& s) {
    FontCreateParam param;
    GetDefaultFontCreateParam(&param);
    const int handle = AddHandle(HANDLETYPE_FONT, 0, -1);
    if (handle == -1) return -1;
    // The system's face (no name) is made on first use: a run that draws no text with
    // the default font never loads the font configuration nor makes its cache texture.
    // A named face is made at once, since a name that cannot be had falls back now.
    if (!s.name[0] && !faceFailed) {
        SetupFontHandleOnFirstUse(&param, handle, nullptr, s.size, s.thickness, s.fontType, s.charSet, s.edgeSize,
                                  s.italic);
        return handle;
    }
    if (SetupFontHandle(&param, handle, s.name[0] ? s.name : nullptr, s.size, s.thickness, s.fontType, s.charSet,
                        s.edgeSize, s.italic, 0) != 0) {
        SubHandle(handle);
        return -1;
    }
    return handle;
}

void forEachFont(void (*visit)(int handle)) {
    HandleTypeManager& m = HandleManageArray[HANDLETYPE_FONT];
    if (!m.InitializeFlag) return;
    for (int i = 0; i < m.MaxNum; ++i)
        if (m.Handle[i] != nullptr) visit(m.Handle[i]->Handle);
}

}  // namespace

void GetDefaultFontCreateParam(FontCreateParam* param) { *param = kCreateParam; }

int GetDefaultFontHandle() { return FontModule.defaultHandle; }

void DefaultFontFaceFailed() {
    faceFailed = true;
    SetupDefaultFont();
}

int ResolveFontHandle(int handle) {
    if (handle != kDefaultFontHandle) return handle;
    SetupDefaultFont();
    return FontModule.defaultHandle;
}

int SetFontSpace(int space) {
    FontModule.space = space;
    if (FontModule.started) {
        if (FontModule.defaultHandle != -1) SetFontSpaceToHandle(space, FontModule.defaultHandle);
    } else {
        FontModule.spaceSet = 1;
    }
    return 0;
}

int SetDefaultFontParam(const char16_t* name, int size, int thickness, int fontType, int charSet, int edgeSize,
                        int italic) {
    FontModuleState& m = FontModule;
    size_t i = 0;
    if (name)
        for (; i + 1 < std::size(m.name) && name[i]; ++i) m.name[i] = name[i];
    m.name[i] = 0;
    m.size = size < 0 ? 16 : size;
    m.thickness = thickness < 0 ? 6 : thickness;
    m.edgeSize = edgeSize < 0 ? 1 : edgeSize;
    m.fontType = static_cast<int>(NormaliseFontType(fontType, m.edgeSize));
    m.charSet = charSet;
    m.italic = italic;
    if (m.started) return SetupDefaultFont();
    m.nameSet = m.sizeSet = m.thicknessSet = m.fontTypeSet = m.charSetSet = m.edgeSizeSet = m.italicSet = 1;
    return 0;
}

int SetupDefaultFont() {
    FontModuleState& m = FontModule;
    if (!m.started) return -1;
    const FontSettings want = wantedDefault();
    if (m.defaultHandle != -1) {
        FontHandleRecord* font = GetFontSettingsRecord(m.defaultHandle);
        if (font != nullptr && m.defaultIsFallback && FallbackFontReady()) return 0;
        if (font != nullptr && !m.defaultIsFallback) {
            const bool same = std::memcmp(font->name, want.name, sizeof want.name) == 0 &&
                              static_cast<int>(font->fontType) == want.fontType && font->size == want.size &&
                              font->thickness == want.thickness &&
                              (want.charSet == -1 ? font->codePage == 65535
                                                  : font->codePage != 65535 && font->charSet == want.charSet) &&
                              static_cast<int>(font->edgeSize ? font->edgeSize : 1) == want.edgeSize &&
                              font->italic == want.italic;
            if (same) return 0;
        }
        SubHandle(m.defaultHandle);
        m.defaultHandle = -1;
    }
    const int handle = createDefault(want);
    if (handle != -1) {
        m.defaultHandle = handle;
        m.defaultIsFallback = 0;
        SetFontSpaceToHandle(m.space, handle);
        if (m.lineSpaceFlag) SetFontLineSpaceToHandle(m.lineSpace, handle);
    } else {
        // No face could be made: the built-in bitmap font takes over.
        m.defaultHandle = -1;
        if (SetupFallbackFont() != 0) return -1;
    }
    if (m.defaultHandle != -1) SetDeleteHandleFlag(m.defaultHandle, &m.defaultHandle);
    return 0;
}

int ResetAllFontHandles(int shutdown) {
    FontModuleState& m = FontModule;
    LogAddTextUtf16(u"フォントの初期化を行います\n");
    LogIndentIncrease();
    FontSettings keep{};
    bool kept = false;
    // The fallback's settings are no face to ask for again.
    if (m.defaultHandle != -1 && !m.defaultIsFallback) {
        if (FontHandleRecord* font = GetFontSettingsRecord(m.defaultHandle)) {
            readSettings(font, &keep);
            kept = true;
        }
    }
    SubAllHandle(HANDLETYPE_FONT);
    m.defaultHandle = -1;
    if (!shutdown) {
        const int handle = createDefault(kept ? keep : wantedDefault());
        m.defaultHandle = handle;
        if (handle != -1) {
            m.defaultIsFallback = 0;
            SetDeleteHandleFlag(handle, &m.defaultHandle);
            // The configured spacing belongs to whatever default font is made.
            SetFontSpaceToHandle(kept ? keep.space : m.space, handle);
        }
    }
    LogIndentDecrease();
    LogAddTextUtf16(u"フォントの初期化は正常に終了しました\n");
    return 0;
}

int RefreshAllFontHandles() {
    if (!FontModule.started) return -1;
    forEachFont([](int handle) {
        // A font still to be made on first use holds nothing of the device.
        FontHandleRecord* font = GetFontSettingsRecord(handle);
        if (font == nullptr || font->setupPending) return;
        FontSettings s;
        readSettings(font, &s);
        const bool isDefault = FontModule.defaultHandle == handle;
        // A data-image font is made again from its own image, which dies with the handle.
        void* image = nullptr;
        const size_t imageSize = font->dataImage ? font->imageSize : 0;
        if (font->dataImage) {
            image = MemAlloc(imageSize, "RaVuru", __LINE__);
            if (image != nullptr) std::memcpy(image, font->imageCopy, imageSize);
        }
        const int edge = static_cast<int>(font->fontType & kFontTypeEdge ? font->edgeSize : 0);
        // Made again as it was made: with its creation parameter (cache kind, page depth,
        // glyph count, grey levels) and the graph-creation settings of that moment.
        const FontCreateParam param = font->setupParam;
        const SetupGraphParam graphParam = font->setupGraphParam;
        SubHandle(handle);
        const bool taken = AddHandle(HANDLETYPE_FONT, 0, handle) == handle;
        FontHandleRecord* made = taken ? GetFontSettingsRecord(handle) : nullptr;
        if (made != nullptr) {
            made->setupGraphParam = graphParam;
            made->setupGraphParamKept = 1;
        }
        int result = -1;
        if (made != nullptr && s.dataImage)
            result = image ? SetupBuiltinFontHandle(&param, handle, image, imageSize, edge, 0) : -1;
        else if (made != nullptr)
            result = SetupFontHandle(&param, handle, s.name[0] ? s.name : nullptr, s.size, s.thickness, s.fontType,
                                     s.charSet, s.edgeSize, s.italic, 0);
        if (made != nullptr) made->setupGraphParamKept = 0;
        if (image) MemFree(image);
        if (!taken) return;
        if (result != 0) {
            SubHandle(handle);
            return;
        }
        if (isDefault && FontModule.defaultIsFallback) RegisterFallbackPictures(GetFontRecord(handle));
        if (isDefault) {
            FontModule.defaultHandle = handle;
            SetDeleteHandleFlag(handle, &FontModule.defaultHandle);
        }
        SetFontSpaceToHandle(s.space, handle);
        if (s.lineSpaceFlag) SetFontLineSpaceToHandle(s.lineSpace, handle);
        SetFontCharCodeFormatToHandle(s.codePageOverride, handle);
    });
    return 0;
}

int InitializeFontManage() {
    FontModuleState& m = FontModule;
    if (m.started) return -1;
    if (InitializeHandleManage(HANDLETYPE_FONT, sizeof(FontHandleRecord), kMaxFontHandles, InitFontHandle,
                               TerminateFontHandle, u"Font") != 0)
        return -1;
    int bytes = 0;
    const char16_t wideSpace[2] = {0x3000, 0};
    FontWideSpaceCode = GetCharCode(wideSpace, GetDefaultWideCodePage(), &bytes);
    if (!m.nameSet) m.name[0] = 0;
    if (!m.sizeSet) m.size = 16;
    if (!m.thicknessSet) m.thickness = 6;
    if (!m.fontTypeSet) m.fontType = 0;
    if (!m.charSetSet) m.charSet = -1;  // the system's default set
    if (!m.edgeSizeSet) m.edgeSize = 1;
    if (!m.italicSet) m.italic = 0;
    if (!m.spaceSet) m.space = 0;
    m.lineSpaceFlag = 0;
    m.nameSet = m.sizeSet = m.thicknessSet = m.fontTypeSet = m.charSetSet = m.edgeSizeSet = m.italicSet =
        m.spaceSet = 0;
    BuildFontLevelTables();
    m.started = 1;
    m.defaultHandle = -1;
    ResetAllFontHandles(0);
    return 0;
}

int TerminateFontManage() {
    FontModuleState& m = FontModule;
    if (!m.started) return -1;
    ResetAllFontHandles(1);
    TerminateHandleManage(HANDLETYPE_FONT);
    TerminateFallbackFont();
    m.defaultHandle = -1;
    m.defaultIsFallback = 0;
    m.started = 0;
    return 0;
}

}  // namespace ZaDod
