// The project's shader assembler: writes shader-model 2 and 3 token streams from text in
// the usual instruction syntax (`ps_3_0`, `dcl_texcoord0 v0.xy`, `dcl_2d s0`,
// `def c1, 1, 0, 0, 1`, `texld r0, v0, s0`, `(!p0.x) mul_sat oC0, r0, c0`), with a constant
// table when `ctab name, set, register, count` lines ask for one, and lists a stream back
// in the same text. Tests and fuzz seeds get their bytecode from here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace halvorine::shaderasm {

// Assembles `text`; on failure `error` names the line. Comments run from `//` or `;` to the
// end of the line.
bool assemble(std::string_view text, std::vector<uint32_t>& out, std::string& error);

// Lists a stream as text that assembles to the same words; false for words it cannot
// name (the stream's own validity is the decoder's to judge).
bool list(const uint32_t* words, size_t count, std::string& out);

}  // namespace halvorine::shaderasm
