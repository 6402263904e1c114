// Face resolution and family listing with fontconfig.
#include <algorithm>
#include <set>

#include "platform/font/face_match.h"

namespace plat::font {

bool resolveFace(const FaceRequest& request, ResolvedFace* out)
{
    FcConfig* config = fontConfig();
    if (!config) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    if (!request.family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.family.c_str()));
    const int weight = request.weight > 0 ? std::min(request.weight, 1000) : 400;
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (!request.lang.empty())
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(request.lang.c_str()));
    // Spacing ranks below family and language, so a fixed pitch is preferred only.
    if (request.preferFixedPitch) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;

    bool found = false;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        found = true;
        out->file = reinterpret_cast<const char*>(file);
        int index = 0;
        out->index = FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch ? index : 0;
        int fcWeight = FC_WEIGHT_REGULAR;
        double weightValue = 0;
        if (FcPatternGetInteger(match, FC_WEIGHT, 0, &fcWeight) != FcResultMatch) {
            fcWeight = FcPatternGetDouble(match, FC_WEIGHT, 0, &weightValue) == FcResultMatch
                           ? int(weightValue)
                           : FC_WEIGHT_REGULAR;
        }
        out->weight = FcWeightToOpenType(fcWeight);
        int slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        out->upright = slant == FC_SLANT_ROMAN;
    }
    FcPatternDestroy(match);
    return found;
}

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(a.c_str()),
                              reinterpret_cast<const FcChar8*>(b.c_str())) == 0;
}

// Every installed family that covers lang, as the list of its names.
std::vector<std::vector<FamilyName>> installedFamilies(FcConfig* config, const std::string& lang)
{
    std::vector<std::vector<FamilyName>> families;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SCALABLE, nullptr);
    if (pattern && objects) {
        if (!lang.empty()) {
            FcLangSet* langs = FcLangSetCreate();
            FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>(lang.c_str()));
            FcPatternAddLangSet(pattern, FC_LANG, langs);
            FcLangSetDestroy(langs);
        }
        if (FcFontSet* set = FcFontList(config, pattern, objects)) {
            for (int i = 0; i < set->nfont; ++i) {
                FcBool scalable = FcTrue;
                FcPatternGetBool(set->fonts[i], FC_SCALABLE, 0, &scalable);
                std::vector<FamilyName> names;
                FcChar8* name = nullptr;
                for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
                    names.push_back({reinterpret_cast<const char*>(name), scalable != FcFalse});
                if (!names.empty()) families.push_back(std::move(names));
            }
            FcFontSetDestroy(set);
        }
    }
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    // fontconfig lists in no fixed order; callers see the same order on every run.
    std::sort(families.begin(), families.end(),
              [](const auto& a, const auto& b) { return a.front().name < b.front().name; });
    return families;
}

}  // namespace

std::vector<FamilyName> listFamilies(const std::string& lang, const std::string& filter)
{
    std::lock_guard lock(faceLock());
    std::vector<FamilyName> out;
    FcConfig* config = fontConfig();
    if (!config) return out;
    const auto families = installedFamilies(config, lang);
    std::set<std::string> seen;
    auto add = [&](const FamilyName& name) {
        if (seen.insert(name.name).second) out.push_back(name);
    };
    for (const auto& names : families) {
        const bool wanted = filter.empty() || std::any_of(names.begin(), names.end(), [&](const FamilyName& n) {
                                return sameName(n.name, filter);
                            });
        if (wanted)
            for (const FamilyName& name : names) add(name);
    }
    // An alias is listed when one of its families is, so a game that checks for the
    // name it is about to ask for finds it.
    for (const FaceAlias& alias : faceAliases()) {
        if (!filter.empty() && !sameName(alias.name, filter)) continue;
        for (const char* target : alias.families) {
            const FamilyName* hit = nullptr;
            for (const auto& names : families)
                for (const FamilyName& name : names)
                    if (!hit && sameName(name.name, target)) hit = &name;
            if (hit) {
                add({alias.name, hit->scalable});
                break;
            }
        }
    }
    return out;
}

}  // namespace plat::font
