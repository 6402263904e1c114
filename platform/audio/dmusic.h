// DirectMusic and MCI as this machine has them: the three DirectMusic classes are not
// registered, so creating them answers REGDB_E_CLASSNOTREG, and mciSendCommandW of the
// "winmm" library fails with an MCI error. The declarations are what the media layer's
// music code is written against. Short name for HALVORINE_MISSING: "dmusic".
#pragma once
#include <cstdint>

#include "platform/audio/dsound.h"

namespace plat::audio {

extern const win::CLSID CLSID_DirectMusicLoader;
extern const win::CLSID CLSID_DirectMusicPerformance;
extern const win::CLSID CLSID_DirectMusic;
extern const IID IID_IDirectMusicLoader8;
extern const IID IID_IDirectMusicPerformance8;
extern const IID IID_IDirectMusic;
extern const IID IID_IDirectMusic8;
extern const GUID GUID_PerfMasterVolume;

constexpr DWORD DMUS_PC_OUTPUTCLASS = 1;
constexpr DWORD DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
constexpr DWORD DMUS_APATH_DYNAMIC_STEREO = 8;
constexpr DWORD DMUS_AUDIOF_ALL = 0x3F;
constexpr DWORD DMUS_AUDIOPARAMS_FEATURES = 0x1;
constexpr DWORD DMUS_AUDIOPARAMS_SAMPLERATE = 0x4;
constexpr DWORD DMUS_SEGF_DEFAULT = 0x4000;

struct DMUS_PORTCAPS {
  DWORD dwSize;
  DWORD dwClass;
  char16_t wszDescription[128];
};

struct DMUS_AUDIOPARAMS {
  DWORD dwSize;
  win::BOOL fInitNow;
  DWORD dwValidData;
  DWORD dwFeatures;
  DWORD dwVoices;
  DWORD dwSampleRate;
};

struct IDirectMusicSegment8 : win::IUnknown {
  virtual HRESULT Unload(win::IUnknown* performance) = 0;

 protected:
  ~IDirectMusicSegment8() = default;
};

struct IDirectMusicLoader8 : win::IUnknown {
  virtual HRESULT ReleaseObjectByUnknown(win::IUnknown* object) = 0;

 protected:
  ~IDirectMusicLoader8() = default;
};

struct IDirectMusic : win::IUnknown {
  // S_FALSE past the last port.
  virtual HRESULT EnumPort(DWORD index, DMUS_PORTCAPS* caps) = 0;

 protected:
  ~IDirectMusic() = default;
};

struct IDirectMusic8 : IDirectMusic {
 protected:
  ~IDirectMusic8() = default;
};

struct IDirectMusicPerformance8 : win::IUnknown {
  virtual HRESULT InitAudio(IDirectMusic** music, IDirectSound** sound, HWND window, DWORD pathType,
                            DWORD channels, DWORD flags, DMUS_AUDIOPARAMS* parameters) = 0;
  virtual HRESULT SetGlobalParam(const GUID& type, void* data, DWORD size) = 0;
  // S_OK while the segment plays, S_FALSE when it does not.
  virtual HRESULT IsPlaying(IDirectMusicSegment8* segment, void* state) = 0;
  virtual HRESULT Stop(IDirectMusicSegment8* segment, void* state, std::int64_t time, DWORD flags) = 0;
  virtual HRESULT CloseDown() = 0;

 protected:
  ~IDirectMusicPerformance8() = default;
};

// MCI commands the media layer sends; every one fails here.
using MCIDEVICEID = std::uint32_t;
using MCIERROR = DWORD;
constexpr win::UINT MCI_CLOSE = 0x0804;
constexpr win::UINT MCI_PLAY = 0x0806;
constexpr DWORD MCI_NOTIFY = 0x1;
constexpr DWORD MCI_FROM = 0x4;
constexpr MCIERROR MCIERR_DEVICE_NOT_INSTALLED = 256 + 50;

struct MCI_PLAY_PARMS {
  std::uintptr_t dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};

MCIERROR mciSendCommandW(MCIDEVICEID device, win::UINT message, std::uintptr_t flags, std::uintptr_t parameters);

}  // namespace plat::audio
