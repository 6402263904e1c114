// Programs as shader entries of the core: a vertex program runs for each fetched vertex and
// writes its outputs into the varyings by usage and index; a pixel program runs on the 2x2
// quad around each pixel, its neighbours' inputs taken from the primitive's planes (filler
// lanes outside the primitive are computed, never written), so derivatives and the level
// of detail of texture reads come from neighbouring lanes.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gpu/shaders/bank.h"
#include "platform/gpu/shaders/vm/program.h"

namespace plat::gpu::vm {

// Where a value of (usage, index) travels between the stages: colours in the two colour
// varyings, texture coordinates as pairs (what the bank's pixel functions read) and as
// whole float4 extras, fog and other values in the extras after them. Returns the first
// float and the count, or count 0 where the varyings have no room.
struct VaryingPlace {
  int at = 0, count = 0;
  int pairAt = -1;  // texture coordinates: their pair too
};
VaryingPlace varyingPlace(Usage u, int index);

inline constexpr int kMaxColourOutputs = 8;

struct StagePlan {
  std::shared_ptr<const Program> program;
  // Constant-buffer slots of the float, integer and bool registers.
  int floatSlot = 0, intSlot = 2;
  // Pixel programs: whether the vertex stage is a program (its outputs sit in the float4
  // extras) or the fixed stage (texture coordinates are pairs), and the facing value.
  bool afterProgram = false;
  // Vertex programs: viewport size, for the half-pixel shift of interfaces whose pixel
  // centres lie on whole coordinates (0: no shift).
  float shiftWidth = 0.0f, shiftHeight = 0.0f;
  // Programs whose constants sit in numbered buffers: every constant-buffer slot is bound
  // as that buffer (cbuffer operands), and the pixel position input holds the pixel's
  // centre, the facing input all ones for front faces and zero for back faces.
  bool buffers = false;
  // Set by makeProgramEntry: which draw this is, so nothing computed for one draw (with
  // its constants and textures) is reused by another.
  uint64_t draw = 0;
  // Set by makeProgramEntry for pixel programs: where each input comes from.
  struct PixelInput {
    uint16_t reg;
    Usage usage;
    bool pair;       // texture coordinates behind the fixed stage: (u, v, 0, 1)
    int16_t at, count;
  };
  std::vector<PixelInput> pixelInputs;
  // Set by makeProgramEntry for pixel programs: the output register of each render
  // target's colour and of the depth, -1 where the program writes none.
  int16_t colourOut[kMaxColourOutputs];
  int16_t depthOut = -1;
};

// Fills `e` to run the plan's program, once per draw; the plan must outlive the entry's
// use and keep its constants and textures for the draw.
void makeProgramEntry(StagePlan& plan, ShaderEntry& e);

// Layout of the integer and bool registers in their constant buffer: 16 int4, then 16 bools
// as int32.
inline constexpr int kIntBoolBytes = 16 * 16 + 16 * 4;

}  // namespace plat::gpu::vm
