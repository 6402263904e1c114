// What the software GPU says it supports, and the failures tests tell it to produce: one
// record per process, changed only by tests.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "platform/gpu/texel_format.h"

namespace plat::gpu {

enum FormatSupport : uint32_t {
  kSupportTexture2D = 1,
  kSupportTextureCube = 2,
  kSupportMip = 4,
  kSupportSample = 8,
  kSupportRenderTarget = 16,
  kSupportBlend = 32,
  kSupportDepthStencil = 64,
  kSupportVertexBuffer = 128,
  kSupportIndexBuffer = 256,
};

struct Profile {
  int featureMajor = 11, featureMinor = 1;
  uint32_t support[kFormatCount] = {};  // FormatSupport bits per format
  int maxTextureSize = 16384;
  std::map<std::string, int> failOnCall;  // method name -> the call (counted from 1) that fails
  bool presentFails = false;

  // Clears every support bit of a format, so that creating anything of it fails.
  void refuse(Format f) { support[static_cast<int>(f)] = 0; }
};

// The profile every process starts with: all formats of the table with their natural uses.
Profile defaultProfile();
// A copy of the current profile; setProfile replaces it (tests only).
Profile currentProfile();
void setProfile(const Profile& profile);
void resetProfile();

uint32_t formatSupport(Format f);
int maxTextureSize();
bool presentFails();
// Quality levels for a sample count: one (quality 0, the fixed positions) for counts 1, 2,
// 4 and 8 of a format that can be drawn into or be a depth buffer (any supported format
// for a count of 1), none otherwise.
int multisampleQualityLevels(Format f, int count);
// The call number (counted from 1) on which `method` was told to fail; 0 for none.
int failingCall(const std::string& method);

}  // namespace plat::gpu
