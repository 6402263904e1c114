// The alias table: face names games ask for that no package here installs, mapped to
// the installed families to try in order, and the fontconfig rules made from it.
#include "platform/font/face_state.h"

namespace plat::font {

const std::vector<FaceAlias>& faceAliases()
{
    // The Japanese gothic faces come both full-width with a space and half-width
    // without; fontconfig compares family names without blanks or case, so one
    // spelling of each form covers its spacing variants.
    static const std::vector<FaceAlias> aliases = {
        {"ＭＳ ゴシック", {"IPAGothic", "DejaVu Sans Mono"}},
        {"MSゴシック", {"IPAGothic", "DejaVu Sans Mono"}},
        {"MS Gothic", {"IPAGothic", "DejaVu Sans Mono"}},
        {"ＭＳ Ｐゴシック", {"IPAPGothic", "IPAGothic", "DejaVu Sans"}},
        {"MS Pゴシック", {"IPAPGothic", "IPAGothic", "DejaVu Sans"}},
        {"MS PGothic", {"IPAPGothic", "IPAGothic", "DejaVu Sans"}},
        {"MS UI Gothic", {"IPAPGothic", "IPAGothic", "DejaVu Sans"}},
        // No mincho face is packaged; the gothic keeps Japanese text readable.
        {"ＭＳ 明朝", {"IPAGothic", "DejaVu Serif"}},
        {"MS明朝", {"IPAGothic", "DejaVu Serif"}},
        {"MS Mincho", {"IPAGothic", "DejaVu Serif"}},
        {"ＭＳ Ｐ明朝", {"IPAPGothic", "IPAGothic", "DejaVu Serif"}},
        {"MS PMincho", {"IPAPGothic", "IPAGothic", "DejaVu Serif"}},
        {"Arial", {"DejaVu Sans"}},
        {"Tahoma", {"DejaVu Sans"}},
        {"Verdana", {"DejaVu Sans"}},
        {"MS Sans Serif", {"DejaVu Sans"}},
        {"Microsoft Sans Serif", {"DejaVu Sans"}},
        {"Times New Roman", {"DejaVu Serif"}},
        {"MS Serif", {"DejaVu Serif"}},
        {"Courier New", {"DejaVu Sans Mono"}},
        {"Courier", {"DejaVu Sans Mono"}},
        {"Lucida Console", {"DejaVu Sans Mono"}},
    };
    return aliases;
}

// Each alias puts its families in front of the asked name with the asked name's
// binding, so they win over any face matched by language alone.
std::string aliasRules()
{
    std::string xml = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
    for (const FaceAlias& alias : faceAliases()) {
        xml += "  <alias binding=\"same\"><family>";
        xml += alias.name;
        xml += "</family><prefer>";
        for (const char* family : alias.families) {
            xml += "<family>";
            xml += family;
            xml += "</family>";
        }
        xml += "</prefer></alias>\n";
    }
    xml += "</fontconfig>\n";
    return xml;
}

}  // namespace plat::font
