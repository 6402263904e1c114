// The font stand-in's lock, FreeType library, fontconfig configuration and face cache.
#include "platform/font/face_state.h"

#include <map>
#include <utility>

namespace plat::font {
namespace {

// Built once and kept until the process ends: fonts may still be in use by other
// threads while static objects are destroyed.
struct State {
    FT_Library library = nullptr;
    bool libraryTried = false;
    FcConfig* config = nullptr;
    bool configTried = false;
    std::map<std::pair<std::string, int>, FT_Face> faces;
};

State& state()
{
    static State* s = new State;
    return *s;
}

}  // namespace

std::mutex& faceLock()
{
    static std::mutex* lock = new std::mutex;
    return *lock;
}

FT_Library freeTypeLibrary()
{
    State& s = state();
    if (!s.libraryTried) {
        s.libraryTried = true;
        if (FT_Init_FreeType(&s.library) != 0) s.library = nullptr;
    }
    return s.library;
}

// The system's configuration (or the one FONTCONFIG_FILE names) with the alias table
// loaded after it, so the player's own fonts and rules stay usable.
FcConfig* fontConfig()
{
    State& s = state();
    if (s.configTried) return s.config;
    s.configTried = true;
    FcConfig* config = FcInitLoadConfig();
    if (!config) return nullptr;
    const std::string rules = aliasRules();
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.c_str()), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    s.config = config;
    return config;
}

FT_Face cachedFace(const std::string& file, int index)
{
    State& s = state();
    auto key = std::make_pair(file, index);
    if (auto it = s.faces.find(key); it != s.faces.end()) return it->second;
    FT_Library library = freeTypeLibrary();
    FT_Face face = nullptr;
    if (!library || FT_New_Face(library, file.c_str(), index, &face) != 0) return nullptr;
    s.faces.emplace(std::move(key), face);
    return face;
}

Face::~Face()
{
    if (!size) return;
    std::lock_guard lock(faceLock());
    FT_Done_Size(size);
}

}  // namespace plat::font
