// The assembler's shader-model 4 and 5 side: text in the usual instruction syntax
// (`ps_4_0`, `dcl_input_ps linear v1.xy`, `dcl_resource_texture2d (float,float,float,float) t0`,
// `sample r0.xyzw, v1.xyxx, t0.xyzw, s0`, `ret`) with `isgn`/`osgn` signature lines, written
// as a whole container; and the listing of a container back into that text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvorine::shaderasm {

// The container as little-endian words (its size is always a whole number of words).
bool assembleDxbc(std::string_view text, std::vector<uint32_t>& out, std::string& error);
bool listDxbc(const uint32_t* words, size_t count, std::string& out);

}  // namespace halvorine::shaderasm
