// The process's profile record and the questions the rest of the software GPU asks it.
#include "platform/gpu/profile.h"

#include <mutex>

namespace plat::gpu {

namespace {

std::mutex& profileLock() {
  static std::mutex m;
  return m;
}

Profile& profileRecord() {
  static Profile p = defaultProfile();
  return p;
}

}  // namespace

Profile defaultProfile() {
  Profile p;
  constexpr uint32_t colour =
      kSupportTexture2D | kSupportTextureCube | kSupportMip | kSupportSample | kSupportRenderTarget | kSupportBlend;
  constexpr uint32_t sampled = kSupportTexture2D | kSupportTextureCube | kSupportMip | kSupportSample;
  auto set = [&](Format f, uint32_t bits) { p.support[static_cast<int>(f)] = bits; };
  for (Format f : {Format::R8G8B8A8, Format::B8G8R8A8, Format::B8G8R8X8, Format::B5G6R5, Format::B5G5R5A1,
                   Format::B4G4R4A4, Format::R8, Format::R8G8, Format::R16, Format::R16G16, Format::R16G16B16A16,
                   Format::R16F, Format::R16G16F, Format::R16G16B16A16F, Format::R32F, Format::R32G32F,
                   Format::R32G32B32A32F, Format::L8, Format::A8L8, Format::L16, Format::B8G8R8, Format::B2G3R3,
                   Format::B2G3R3A8, Format::B4G4R4X4, Format::R10G10B10A2, Format::B10G10R10A2, Format::R8G8B8X8})
    set(f, colour);
  for (Format f : {Format::BC1, Format::BC2, Format::BC3, Format::R24X8, Format::R8G8Snorm}) set(f, sampled);
  set(Format::D16, kSupportTexture2D | kSupportDepthStencil);
  set(Format::D24S8, kSupportTexture2D | kSupportDepthStencil);
  set(Format::D32F, kSupportTexture2D | kSupportDepthStencil);
  set(Format::R24G8Typeless, kSupportTexture2D);
  set(Format::R32Typeless, kSupportTexture2D);
  for (Format f : {Format::R8G8B8A8, Format::B8G8R8A8, Format::R32G32F, Format::R32G32B32A32F})
    p.support[static_cast<int>(f)] |= kSupportVertexBuffer;
  set(Format::R32G32B32F, kSupportVertexBuffer);
  set(Format::R16UInt, kSupportIndexBuffer);
  set(Format::R32UInt, kSupportIndexBuffer);
  return p;
}

Profile currentProfile() {
  std::lock_guard<std::mutex> hold(profileLock());
  return profileRecord();
}

void setProfile(const Profile& profile) {
  std::lock_guard<std::mutex> hold(profileLock());
  profileRecord() = profile;
}

void resetProfile() { setProfile(defaultProfile()); }

uint32_t formatSupport(Format f) {
  const auto i = static_cast<unsigned>(f);
  if (i >= unsigned(kFormatCount)) return 0;
  std::lock_guard<std::mutex> hold(profileLock());
  return profileRecord().support[i];
}

int maxTextureSize() {
  std::lock_guard<std::mutex> hold(profileLock());
  return profileRecord().maxTextureSize;
}

bool presentFails() {
  std::lock_guard<std::mutex> hold(profileLock());
  return profileRecord().presentFails;
}

int multisampleQualityLevels(Format f, int count) {
  const uint32_t support = formatSupport(f);
  if (count == 1) return support != 0 ? 1 : 0;
  if (count != 2 && count != 4 && count != 8) return 0;
  if (!(support & kSupportRenderTarget)) {
    const Format depth = depthFormat(f);
    if (depth == Format::Unknown || !(formatSupport(depth) & kSupportDepthStencil)) return 0;
  }
  return 1;
}

// The call number on which `method` was told to fail; 0 for none.
int failingCall(const std::string& method) {
  std::lock_guard<std::mutex> hold(profileLock());
  const auto& m = profileRecord().failOnCall;
  const auto it = m.find(method);
  return it == m.end() ? 0 : it->second;
}

}  // namespace plat::gpu
