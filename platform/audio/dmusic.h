// DirectMusic and the MCI sequencer over the software synthesiser (midi_synth.h): a
// performance whose music is one more voice of the mixer, a loader that makes segments
// of Standard MIDI Files, and mciSendCommandW of the "winmm" library. Without the
// synthesiser or a sound font the DirectMusic classes answer REGDB_E_CLASSNOTREG and
// MCI fails with MCIERR_DEVICE_NOT_INSTALLED. Short name for HALVORINE_MISSING:
// "dmusic" (the DirectMusic classes only).
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
extern const win::CLSID CLSID_DirectMusicSegment;
extern const IID IID_IDirectMusicSegment8;
extern const GUID GUID_PerfMasterVolume;

constexpr DWORD DMUS_PC_OUTPUTCLASS = 1;
constexpr DWORD DMUS_APATH_SHARED_STEREOPLUSREVERB = 1;
constexpr DWORD DMUS_APATH_DYNAMIC_STEREO = 8;
constexpr DWORD DMUS_AUDIOF_ALL = 0x3F;
constexpr DWORD DMUS_AUDIOPARAMS_FEATURES = 0x1;
constexpr DWORD DMUS_AUDIOPARAMS_SAMPLERATE = 0x4;
constexpr DWORD DMUS_SEGF_DEFAULT = 0x4000;
constexpr DWORD DMUS_OBJ_CLASS = 0x2;
constexpr DWORD DMUS_OBJ_FILENAME = 0x10;
constexpr DWORD DMUS_OBJ_FULLPATH = 0x40;
constexpr DWORD DMUS_OBJ_MEMORY = 0x4000;
constexpr HRESULT DMUS_E_ALREADY_INITED = static_cast<HRESULT>(0x88781203u);
constexpr HRESULT DMUS_E_NOT_INIT = static_cast<HRESULT>(0x88781204u);
constexpr HRESULT DMUS_E_LOADER_FAILEDOPEN = static_cast<HRESULT>(0x88781170u);
constexpr HRESULT DMUS_E_UNSUPPORTED_STREAM = static_cast<HRESULT>(0x88781188u);

// What the loader is asked for: a segment from a file (through the music devices' file
// reader) or from memory the caller keeps until GetObject returns.
struct DMUS_OBJECTDESC {
  DWORD dwSize;
  DWORD dwValidData;
  GUID guidClass;
  char16_t wszFileName[260];
  std::int64_t llMemLength;
  const std::uint8_t* pbMemData;
};

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
  // Segments only: the class must be CLSID_DirectMusicSegment and the interface
  // IID_IDirectMusicSegment8. The loader's cache keeps a reference to what it made.
  virtual HRESULT GetObject(DMUS_OBJECTDESC* desc, const IID& iid, void** object) = 0;
  // Drops the cache's reference; S_FALSE when the object is not in the cache.
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
  // Plays the segment from its start as the primary segment, replacing the one playing.
  virtual HRESULT PlaySegmentEx(win::IUnknown* source, const char16_t* segmentName, win::IUnknown* transition,
                                DWORD flags, std::int64_t startTime, win::IUnknown** segmentState,
                                win::IUnknown* from, win::IUnknown* audioPath) = 0;
  // S_OK while the segment plays, S_FALSE when it does not.
  virtual HRESULT IsPlaying(IDirectMusicSegment8* segment, void* state) = 0;
  virtual HRESULT Stop(IDirectMusicSegment8* segment, void* state, std::int64_t time, DWORD flags) = 0;
  virtual HRESULT CloseDown() = 0;

 protected:
  ~IDirectMusicPerformance8() = default;
};

// The MCI sequencer: open (device type "sequencer", or a .mid, .midi or .rmi element),
// play (from a position in milliseconds, notifying a window at the end), stop (holding
// the position), status (mode, position) and close.
using MCIDEVICEID = std::uint32_t;
using MCIERROR = DWORD;
constexpr win::UINT MCI_OPEN = 0x0803;
constexpr win::UINT MCI_CLOSE = 0x0804;
constexpr win::UINT MCI_PLAY = 0x0806;
constexpr win::UINT MCI_STOP = 0x0808;
constexpr win::UINT MCI_STATUS = 0x0814;
constexpr DWORD MCI_NOTIFY = 0x1;
constexpr DWORD MCI_WAIT = 0x2;
constexpr DWORD MCI_FROM = 0x4;
constexpr DWORD MCI_STATUS_ITEM = 0x100;
constexpr DWORD MCI_OPEN_ELEMENT = 0x200;
constexpr DWORD MCI_OPEN_TYPE = 0x2000;
constexpr DWORD MCI_STATUS_POSITION = 2;
constexpr DWORD MCI_STATUS_MODE = 4;
constexpr DWORD MCI_MODE_STOP = 525;
constexpr DWORD MCI_MODE_PLAY = 526;
constexpr DWORD MCI_NOTIFY_SUCCESSFUL = 1;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 256 + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 256 + 5;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 256 + 7;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 256 + 17;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = 256 + 18;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 256 + 19;
constexpr MCIERROR MCIERR_INVALID_FILE = 256 + 40;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = 256 + 41;
constexpr MCIERROR MCIERR_DEVICE_NOT_INSTALLED = 256 + 50;

struct MCI_GENERIC_PARMS {
  std::uintptr_t dwCallback;
};

struct MCI_OPEN_PARMSW {
  std::uintptr_t dwCallback;
  MCIDEVICEID wDeviceID;  // out
  const char16_t* lpstrDeviceType;
  const char16_t* lpstrElementName;
  const char16_t* lpstrAlias;
};

struct MCI_PLAY_PARMS {
  std::uintptr_t dwCallback;
  DWORD dwFrom;
  DWORD dwTo;
};

struct MCI_STATUS_PARMS {
  std::uintptr_t dwCallback;
  std::uintptr_t dwReturn;  // out
  DWORD dwItem;
  DWORD dwTrack;
};

MCIERROR mciSendCommandW(MCIDEVICEID device, win::UINT message, std::uintptr_t flags, std::uintptr_t parameters);

}  // namespace plat::audio
