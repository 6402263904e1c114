// The shader machine's interpreter: runs one decoded program over a group of lanes at
// once, every register held component-major with one float per lane, so an instruction is
// a handful of short loops over the lanes with no per-lane dispatch. Pixel programs run on
// 2x2 quads (lane 0 top left, 1 top right, 2 bottom left, 3 bottom right), which gives
// derivatives and the level of detail of texture reads from neighbouring lanes; vertex
// programs run on batches of vertices. Dynamic branches, loops, breaks and discards work
// through lane masks.
#pragma once
#include <cstdint>

#include "platform/gpu/sampler.h"
#include "platform/gpu/shaders/vm/program.h"

namespace plat::gpu::vm {

inline constexpr int kLanes = 4;
inline constexpr uint32_t kAllLanes = (1u << kLanes) - 1;

// One register across the lanes: v[component][lane].
struct Reg {
  alignas(16) float v[4][kLanes];
};

// What a stage has bound for one draw. Missing pieces read as zeros.
struct Bindings {
  const float* constF = nullptr;  // four floats per register
  int constFCount = 0;
  const int32_t* constI = nullptr;  // four per register, kMaxConstI registers
  const int32_t* constB = nullptr;  // kMaxConstB
  const TextureSampler* samplers[kMaxSamplers] = {};
  float texSize[kMaxSamplers][2] = {};  // level 0 width and height, for the level of detail
  bool quad = false;                   // lanes form a 2x2 quad: derivatives are defined
  // Constant buffers by slot (cbuffer operands), four floats per register.
  static constexpr int kBuffers = 14;
  const float* buffers[kBuffers] = {};
  int bufferRegs[kBuffers] = {};
};

// One invocation's lanes: inputs filled by the caller, outputs read back.
struct Lanes {
  Reg in[kMaxInputs];
  Reg out[kMaxOutputs];
  uint32_t discarded = 0;  // set by texkill
  bool overBudget = false; // the budget ran out (or calls nested too deep): outputs undefined
};

// Runs `p` on every lane. Returns false when the invocation was stopped by the budget.
bool run(const Program& p, const Bindings& b, Lanes& lanes);

// Instructions stopped by the budget since start-up, on any thread: faces journal them.
uint64_t budgetStops();

}  // namespace plat::gpu::vm
