// Pins the tests' fonts before anything asks for one: a fontconfig configuration in the
// build tree listing the DejaVu and IPA Gothic folders and a fixture folder that holds
// a small bitmap strike written here.
#include "font_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include FT_TRUETYPE_TABLES_H

namespace fs = std::filesystem;

namespace fontfix {

const unsigned char kStrikeA[8] = {0x18, 0x24, 0x42, 0x42, 0x7E, 0x42, 0x42, 0x00};

namespace {

std::string root() { return std::string(HALVORINE_BINARY_DIR) + "/tests/platform/font/pinned"; }

// Writes through a temporary file and a rename, and only when the text differs, so
// test processes running side by side never see half a file and the fontconfig cache
// stays valid between runs.
void writeFile(const std::string& path, const std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream old;
    old << in.rdbuf();
    if (in && old.str() == text) return;
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::ofstream(temp, std::ios::binary) << text;
    fs::rename(temp, path);
}

std::string strikeBdf()
{
    std::ostringstream b;
    b << "STARTFONT 2.1\nFONT -halvorine-Halvorine Strike-Medium-R-Normal--8-80-75-75-C-80-ISO10646-1\n"
         "SIZE 8 75 75\nFONTBOUNDINGBOX 8 8 0 -1\nSTARTPROPERTIES 10\nFAMILY_NAME \"Halvorine Strike\"\n"
         "WEIGHT_NAME \"Medium\"\nSLANT \"R\"\nSPACING \"C\"\nPIXEL_SIZE 8\nPOINT_SIZE 80\n"
         "FONT_ASCENT 7\nFONT_DESCENT 1\nCHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n"
         "ENDPROPERTIES\nCHARS 3\n";
    auto glyph = [&](const char* name, int code, const unsigned char* rows) {
        b << "STARTCHAR " << name << "\nENCODING " << code << "\nSWIDTH 1000 0\nDWIDTH 8 0\nBBX 8 8 0 -1\nBITMAP\n";
        char hex[4];
        for (int r = 0; r < 8; ++r) {
            std::snprintf(hex, sizeof hex, "%02X", rows[r]);
            b << hex << "\n";
        }
        b << "ENDCHAR\n";
    };
    const unsigned char blank[8] = {};
    const unsigned char bar[8] = {0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00};
    glyph("space", 32, blank);
    glyph("A", 65, kStrikeA);
    glyph("B", 66, bar);
    b << "ENDFONT\n";
    return b.str();
}

std::string config(const std::vector<std::string>& dirs)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
    for (const auto& d : dirs) xml += "  <dir>" + d + "</dir>\n";
    xml += "  <cachedir>" + root() + "/cache</cachedir>\n</fontconfig>\n";
    return xml;
}

struct Pin {
    Pin()
    {
        fs::create_directories(root() + "/strike");
        fs::create_directories(root() + "/cache");
        writeFile(root() + "/strike/strike.bdf", strikeBdf());
        writeFile(root() + "/fonts.conf", config({"/usr/share/fonts/truetype/dejavu",
                                                  "/usr/share/fonts/opentype/ipafont-gothic", root() + "/strike"}));
        writeFile(emptyConfigPath(), config({}));
        ::setenv("FONTCONFIG_FILE", (root() + "/fonts.conf").c_str(), 1);
    }
};
const Pin pin;

}  // namespace

std::string emptyConfigPath() { return root() + "/empty.conf"; }

RefFace::RefFace(const char* file, int ppem)
{
    FT_Init_FreeType(&library);
    FT_New_Face(library, file, 0, &face);
    if (face) FT_Set_Pixel_Sizes(face, 0, FT_UInt(ppem));
}

RefFace::~RefFace()
{
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
}

int cellPpem(const char* file, int height)
{
    RefFace ref(file, 16);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(ref.face, FT_SFNT_OS2));
    const double total = os2->usWinAscent + os2->usWinDescent;
    return int(std::lround(height * double(ref.face->units_per_EM) / total));
}

plat::win::HFONT makeFont(int height, const std::u16string& face, int weight, int charSet, bool italic)
{
    return plat::win::CreateFontW(height, 0, 0, 0, weight, italic, 0, 0, plat::win::DWORD(charSet), 0, 0, 3, 1,
                                  face.c_str());
}

std::string fontFile(plat::win::HFONT font)
{
    auto* object = dynamic_cast<plat::win::GdiFont*>(reinterpret_cast<plat::win::GdiObject*>(font));
    return object && object->face ? plat::font::faceFile(*object->face) : std::string();
}

FontDc::FontDc(plat::win::HFONT f) : font(f)
{
    dc = plat::win::CreateCompatibleDC(nullptr);
    previous = plat::win::SelectObject(dc, font);
}

FontDc::~FontDc()
{
    plat::win::SelectObject(dc, previous);
    plat::win::DeleteDC(dc);
    plat::win::DeleteObject(font);
}

Glyph outline(plat::win::HDC dc, unsigned code, unsigned format)
{
    Glyph g;
    const plat::win::DWORD size = plat::win::GetGlyphOutlineW(dc, code, format, &g.metrics, 0, nullptr, &kIdentity);
    if (size == plat::win::GDI_ERROR) {
        g.result = size;
        return g;
    }
    g.bits.assign(size, 0xCD);
    g.result = plat::win::GetGlyphOutlineW(dc, code, format, &g.metrics, size, g.bits.data(), &kIdentity);
    return g;
}

std::vector<plat::win::WCHAR> glyphIndices(plat::win::HDC dc, const char16_t* text, int count)
{
    std::vector<plat::win::WCHAR> glyphs(size_t(count) + 1, 0xEEEE);
    plat::win::GCP_RESULTSW results{};
    results.lStructSize = sizeof results;
    results.lpGlyphs = glyphs.data();
    results.nGlyphs = plat::win::UINT(glyphs.size());
    if (plat::win::GetCharacterPlacementW(dc, text, count, 0, &results, plat::win::GCP_GLYPHSHAPE) == 0) return {};
    glyphs.resize(results.nGlyphs);
    return glyphs;
}

}  // namespace fontfix
