// Sound output start-up and shut-down: DirectMusic falls back to DirectSound, XAudio2
// 2.8 falls back to the 2.7 class and then to DirectSound; DirectSound failures end
// the start with -1.
#include "media/sound/output.h"

#include <cstring>
#include <initializer_list>

#include "media/base/log.h"
#include "media/system/winapi.h"
#include "platform/audio/midi_synth.h"
#include "platform/win/file.h"
#include "platform/win/win_window.h"

namespace ZaDod {

SoundOutputState SoundOutput{};

namespace {

using plat::win::HRESULT;
constexpr HRESULT kFalse = plat::win::S_FALSE;

HRESULT createInstance(const plat::win::CLSID& clsid, plat::win::DWORD context, const plat::win::IID& iid,
                       void** object) {
  *object = nullptr;
  return CoCreateInstanceASync(clsid, nullptr, context, iid, object, 0);
}

template <typename T>
void release(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

void clearXAudio2Entries() {
  SoundOutputState& s = SoundOutput;
  if (s.XAudio2Module != nullptr) plat::win::FreeLibrary(s.XAudio2Module);
  if (s.X3DAudioModule != nullptr) plat::win::FreeLibrary(s.X3DAudioModule);
  s.XAudio2Module = nullptr;
  s.X3DAudioModule = nullptr;
  s.XAudio2CreateFunc = nullptr;
  s.CreateAudioVolumeMeterFunc = nullptr;
  s.CreateAudioReverbFunc = nullptr;
  s.X3DAudioInitializeFunc = nullptr;
  s.X3DAudioCalculateFunc = nullptr;
}

template <typename F>
F entry(plat::win::HMODULE module, const char* name) {
  return reinterpret_cast<F>(plat::win::GetProcAddress(module, name));
}

// XAudio2 could not be had: everything made so far goes and DirectSound is next.
void abandonXAudio2() {
  SoundOutputState& s = SoundOutput;
  release(s.XAudio2);
  release(s.XAudio2_7);
  clearXAudio2Entries();
  s.XAudio2Version = 0;
  s.UseXAudio2Flag = 0;
}

enum class Step { Done, Retry, Fail };

Step startDirectMusic();
Step startXAudio2();
Step startDirectSound();

// Either engine ends the same way once its mastering voice is asked for.
Step withMasteringVoice(HRESULT hr) {
  if (hr < 0) {
    LogAddTextUtf16(u"XAudio2MasteringVoiceの作成に失敗しました\n");
    abandonXAudio2();
    return Step::Retry;
  }
  ConvertReverbPresets(SoundOutput.ReverbPresets);
  return Step::Done;
}

void logInitFailure(HRESULT hr) {
  LogAddTextUtf16(u"初期化に失敗しました\n");
  LogFormatUtf16(u"エラーコード %x", static_cast<unsigned>(hr));
}

Step startXAudio2_8() {
  SoundOutputState& s = SoundOutput;
  LogAddTextUtf16(u"XAudio2_8.dll を使用します\n");
  s.XAudio2CreateFunc = entry<decltype(s.XAudio2CreateFunc)>(s.XAudio2Module, "XAudio2Create");
  s.CreateAudioVolumeMeterFunc = entry<decltype(s.CreateAudioVolumeMeterFunc)>(s.XAudio2Module, "CreateAudioVolumeMeter");
  s.CreateAudioReverbFunc = entry<decltype(s.CreateAudioReverbFunc)>(s.XAudio2Module, "CreateAudioReverb");
  s.X3DAudioInitializeFunc = entry<decltype(s.X3DAudioInitializeFunc)>(s.XAudio2Module, "X3DAudioInitialize");
  s.X3DAudioCalculateFunc = entry<decltype(s.X3DAudioCalculateFunc)>(s.XAudio2Module, "X3DAudioCalculate");
  LogAddTextUtf16(u"XAudio2 インターフェースの取得と初期化を行います....  ");
  HRESULT hr = s.XAudio2CreateFunc != nullptr ? s.XAudio2CreateFunc(&s.XAudio2, 0, pa::XAUDIO2_ANY_PROCESSOR)
                                              : plat::win::E_POINTER;
  if (hr < 0) {
    logInitFailure(hr);
    abandonXAudio2();
    return Step::Retry;
  }
  LogAddTextUtf16(u"成功 Ver2.8\n");
  s.XAudio2Version = 8;
  hr = s.XAudio2->CreateMasteringVoice(&s.MasteringVoice, pa::XAUDIO2_DEFAULT_CHANNELS, s.OutputSampleRate, 0,
                                       nullptr, nullptr, pa::AudioCategory_GameEffects);
  return withMasteringVoice(hr);
}

Step startXAudio2_7() {
  SoundOutputState& s = SoundOutput;
  struct ClassEntry {
    const plat::win::CLSID* clsid;
    const plat::win::CLSID* debugClsid;
  };
  static const ClassEntry kClasses[] = {{&pa::CLSID_XAudio2_7, &pa::CLSID_XAudio2_7_Debug}, {nullptr, nullptr}};
  LogAddTextUtf16(u"XAudio2 インターフェースの取得を行います....  ");
  int found = -1;
  for (int i = 0; kClasses[i].clsid != nullptr; ++i) {
    void* object = nullptr;
    if (createInstance(*kClasses[i].clsid, plat::win::CLSCTX_ALL, pa::IID_IXAudio2_7, &object) >= 0 && object) {
      s.XAudio2_7 = static_cast<pa::IXAudio2_7*>(object);
      found = i;
      break;
    }
  }
  if (found < 0) {
    s.XAudio2_7 = nullptr;
    LogAddTextUtf16(u"XAudio2インターフェースの取得に失敗しました\n");
    abandonXAudio2();
    return Step::Retry;
  }
  LogFormatUtf16(u"成功 Ver2.%d", 7 - found);
  LogAddTextUtf16(u"引き続きインターフェースの初期化処理...  ");
  HRESULT hr = s.XAudio2_7->Initialize(0, pa::XAUDIO2_DEFAULT_PROCESSOR);
  if (hr < 0) {
    logInitFailure(hr);
    abandonXAudio2();
    return Step::Retry;
  }
  LogAddTextUtf16(u"成功\n");
  LogAddTextUtf16(u"X3DAudio.DLL の読み込み中... ");
  for (const char16_t* name : {u"X3DAudio1_7.dll"}) {
    s.X3DAudioModule = plat::win::LoadLibraryW(name);
    if (s.X3DAudioModule != nullptr) break;
  }
  if (s.X3DAudioModule == nullptr) {
    LogAddTextUtf16(u"失敗、X3DAudio、XAudio2は使用しません\n");
    abandonXAudio2();
    return Step::Retry;
  }
  LogAddTextUtf16(u"成功\n");
  s.XAudio2Version = 7;
  s.X3DAudioInitializeFunc = entry<decltype(s.X3DAudioInitializeFunc)>(s.X3DAudioModule, "X3DAudioInitialize");
  s.X3DAudioCalculateFunc = entry<decltype(s.X3DAudioCalculateFunc)>(s.X3DAudioModule, "X3DAudioCalculate");
  hr = s.XAudio2_7->CreateMasteringVoice(&s.MasteringVoice27, pa::XAUDIO2_DEFAULT_CHANNELS, s.OutputSampleRate, 0,
                                         0, nullptr);
  return withMasteringVoice(hr);
}

Step startXAudio2() {
  SoundOutputState& s = SoundOutput;
  LogAddTextUtf16(u"XAudio2 の初期化を行います\n");
  LogIndentIncrease();
  s.XAudio2Module = plat::win::LoadLibraryW(u"XAudio2_8.dll");
  const Step step = s.XAudio2Module != nullptr ? startXAudio2_8() : startXAudio2_7();
  LogIndentDecrease();
  return step;
}

Step startDirectSound() {
  SoundOutputState& s = SoundOutput;
  LogAddTextUtf16(u"DirectSound の初期化を行います\n");
  LogAddTextUtf16(u"DirectSound インターフェースの取得を行います....  ");
  void* object = nullptr;
  if (createInstance(pa::CLSID_DirectSound, plat::win::CLSCTX_ALL, pa::IID_IDirectSound, &object) < 0 || !object) {
    s.DirectSound = nullptr;
    LogAddTextUtf16(u"DirectSoundインターフェースの取得に失敗しました\n");
    return Step::Fail;
  }
  s.DirectSound = static_cast<pa::IDirectSound*>(object);
  LogAddTextUtf16(u"成功\n");
  LogAddTextUtf16(u"引き続きインターフェースの初期化処理...  ");
  HRESULT hr = s.DirectSound->Initialize(nullptr);
  if (hr < 0) {
    logInitFailure(hr);
    release(s.DirectSound);
    return Step::Fail;
  }
  LogAddTextUtf16(u"成功\n");
  if (s.DirectSound->SetCooperativeLevel(plat::win::GetDesktopWindow(), pa::DSSCL_PRIORITY) < 0) {
    LogAddTextUtf16(u"DirectSoundの協調レベルの設定に失敗しました\n");
    release(s.DirectSound);
    return Step::Fail;
  }
  pa::DSBUFFERDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = pa::DSBCAPS_PRIMARYBUFFER | (s.SoftwareMixFlag ? pa::DSBCAPS_LOCSOFTWARE : 0);
  if (s.DirectSound->CreateSoundBuffer(&desc, &s.PrimaryBuffer, nullptr) < 0) {
    s.PrimaryBuffer = nullptr;
    LogAddTextUtf16(u"DirectSoundのプライマリサウンドバッファの作成に失敗しました\n");
    release(s.DirectSound);
    return Step::Fail;
  }
  pa::DSCAPS caps{};
  caps.dwSize = sizeof(caps);
  s.DirectSound->GetCaps(&caps);
  pa::WAVEFORMATEX format{};
  format.wFormatTag = pa::WAVE_FORMAT_PCM;
  format.nChannels = (caps.dwFlags & pa::DSCAPS_PRIMARYSTEREO) ? 2 : 1;
  format.wBitsPerSample = (caps.dwFlags & pa::DSCAPS_PRIMARY16BIT) ? 16 : 8;
  format.nSamplesPerSec = caps.dwMaxSecondarySampleRate < 44100 ? caps.dwMaxSecondarySampleRate : 44100;
  format.nBlockAlign = static_cast<pa::WORD>(format.wBitsPerSample / 8 * format.nChannels);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  if (s.PrimaryBuffer->SetFormat(&format) < 0) {
    LogAddTextUtf16(u"DirectSoundのプライマリサウンドバッファのフォーマット設定に失敗しました\n");
  } else {
    s.PrimaryFormat = format;
  }
  return Step::Done;
}

Step startDirectMusic() {
  SoundOutputState& s = SoundOutput;
  s.UseXAudio2Flag = 0;
  LogAddTextUtf16(u"DirectSound8 の初期化を行います\n");
  void* object = nullptr;
  if (createInstance(pa::CLSID_DirectMusicLoader, plat::win::CLSCTX_INPROC_SERVER, pa::IID_IDirectMusicLoader8,
                     &object) < 0 || !object) {
    LogAddTextUtf16(u"DirectMusicLoader8 オブジェクトの作成に失敗しました\n");
    LogAddTextUtf16(u"前バージョンでの初期化処理に移ります\n");
    s.MusicMode = 0;
    return Step::Retry;
  }
  s.MusicLoader = static_cast<pa::IDirectMusicLoader8*>(object);
  if (createInstance(pa::CLSID_DirectMusicPerformance, plat::win::CLSCTX_INPROC_SERVER,
                     pa::IID_IDirectMusicPerformance8, &object) < 0 || !object) {
    release(s.MusicLoader);
    LogAddTextUtf16(u"DirectMusicPerformance オブジェクトの作成に失敗しました\n");
    s.MusicMode = 0;
    return Step::Retry;
  }
  s.MusicPerformance = static_cast<pa::IDirectMusicPerformance8*>(object);
  pa::IDirectMusic* music = nullptr;
  if (createInstance(pa::CLSID_DirectMusic, plat::win::CLSCTX_INPROC_SERVER, pa::IID_IDirectMusic, &object) < 0 ||
      !object) {
    LogAddTextUtf16(u"DirectMusic オブジェクトの取得に失敗しました\n");
    return Step::Fail;
  }
  music = static_cast<pa::IDirectMusic*>(object);
  if (music->QueryInterface(pa::IID_IDirectMusic8, &object) < 0 || !object) {
    music->Release();
    LogAddTextUtf16(u"DirectMusic8 オブジェクトの取得に失敗しました\n");
    return Step::Fail;
  }
  auto* music8 = static_cast<pa::IDirectMusic8*>(object);
  for (pa::DWORD index = 0;; ++index) {
    pa::DMUS_PORTCAPS caps{};
    caps.dwSize = sizeof(caps);
    if (music8->EnumPort(index, &caps) == kFalse) break;
    LogFormatUtf16(u"%s  Device%d:%s ", caps.dwClass == pa::DMUS_PC_OUTPUTCLASS ? u"Output port" : u"Input port",
                   static_cast<int>(index), caps.wszDescription);
  }
  music8->Release();
  music->Release();
  pa::DMUS_AUDIOPARAMS parameters{sizeof(pa::DMUS_AUDIOPARAMS), 1,
                                  pa::DMUS_AUDIOPARAMS_FEATURES | pa::DMUS_AUDIOPARAMS_SAMPLERATE,
                                  pa::DMUS_AUDIOF_ALL, 0, 44100};
  const pa::DWORD path = s.MusicMode == 1 ? pa::DMUS_APATH_SHARED_STEREOPLUSREVERB : pa::DMUS_APATH_DYNAMIC_STEREO;
  if (s.MusicPerformance->InitAudio(nullptr, &s.DirectSound, nullptr, path, 64, pa::DMUS_AUDIOF_ALL, &parameters) < 0) {
    LogAddTextUtf16(u"DirectMusicPerformanceオブジェクトの初期化に失敗しました\n");
    return Step::Fail;
  }
  s.MusicPerformance->SetGlobalParam(pa::GUID_PerfMasterVolume, &s.MusicMasterVolume, 4);
  return Step::Done;
}

// A buffer that plays silence all the time keeps the device from going idle between
// sounds.
void startSilentBuffer() {
  SoundOutputState& s = SoundOutput;
  pa::WAVEFORMATEX format{pa::WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  pa::DSBUFFERDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = pa::DSBCAPS_GLOBALFOCUS | (s.SoftwareMixFlag ? pa::DSBCAPS_LOCSOFTWARE : pa::DSBCAPS_STATIC);
  desc.dwBufferBytes = 400;
  desc.lpwfxFormat = &format;
  if (s.DirectSound->CreateSoundBuffer(&desc, &s.SilentBuffer, nullptr) < 0) {
    s.SilentBuffer = nullptr;
    LogAddTextUtf16(u"無音バッファの作成に失敗しました");
    return;
  }
  void* first = nullptr;
  void* second = nullptr;
  pa::DWORD firstBytes = 0, secondBytes = 0;
  if (s.SilentBuffer->Lock(0, 400, &first, &firstBytes, &second, &secondBytes, 0) < 0) {
    LogAddTextUtf16(u"無音バッファのロックに失敗しました");
    release(s.SilentBuffer);
    return;
  }
  if (first != nullptr) std::memset(first, 0, firstBytes);
  if (second != nullptr) std::memset(second, 0, secondBytes);
  s.SilentBuffer->Unlock(first, firstBytes, second, secondBytes);
  s.SilentBuffer->Play(0, 0, pa::DSBPLAY_LOOPING);
}

void logXAudio2Report() {
  SoundOutputState& s = SoundOutput;
  if (s.XAudio2Version == 7) {
    pa::XAUDIO2_DEVICE_DETAILS details{};
    if (s.XAudio2_7->GetDeviceDetails(0, &details) >= 0) {
      LogIndentIncrease();
      LogFormatUtf16(u"Device Name : %s", details.DisplayName);
      LogFormatUtf16(u"チャンネル数:%d", static_cast<int>(details.OutputFormat.nChannels));
      LogFormatUtf16(u"ビット精度:%dbit", static_cast<int>(details.OutputFormat.wBitsPerSample));
      LogFormatUtf16(u"サンプリングレート:%dHz", static_cast<int>(details.OutputFormat.nSamplesPerSec));
      LogIndentDecrease();
      s.OutputChannels = details.OutputFormat.nChannels;
      s.OutputChannelMask = details.dwChannelMask;
    }
  } else {
    pa::DWORD mask = 0;
    s.MasteringVoice->GetChannelMask(&mask);
    s.OutputChannelMask = mask;
    s.OutputChannels = 0;
    for (int bit = 0; bit < 32; ++bit) s.OutputChannels += (mask >> bit) & 1;
  }
  if (s.X3DAudioInitializeFunc != nullptr) s.X3DAudioInitializeFunc(s.OutputChannelMask, 343.5f, s.X3DInstance);
}

void setListener() {
  SoundOutputState& s = SoundOutput;
  s.ListenerCone = {2.6179938f, 5.7595863f, 1.0f, 0.75f, 0.0f, 0.25f, 0.708f, 1.0f};
  s.Listener = {};
  s.Listener.OrientFront = {0.0f, 0.0f, 1.0f};
  s.Listener.OrientTop = {0.0f, 1.0f, 0.0f};
  s.Listener.pCone = &s.ListenerCone;
}

}  // namespace

int InitializeSoundOutput() {
  SoundOutputState& s = SoundOutput;
  if (s.DirectSound != nullptr || s.XAudio2 != nullptr || s.XAudio2_7 != nullptr) return -1;
  if (s.OutputSampleRate == 0) s.OutputSampleRate = 44100;
  pa::SetMidiFileReader(&ReadMidiThroughFileFunctions);
  for (;;) {
    Step step;
    if (s.MusicMode == 1 || s.MusicMode == 2) step = startDirectMusic();
    else if (s.UseXAudio2Flag) step = startXAudio2();
    else step = startDirectSound();
    if (step == Step::Retry) continue;
    if (step == Step::Fail) {
      if (s.MusicMode != 0) TerminateSoundOutput();
      return -1;
    }
    break;
  }
  if (s.UseXAudio2Flag) {
    logXAudio2Report();
  } else {
    startSilentBuffer();
    LogDirectSoundReport();
  }
  setListener();
  return 0;
}

int IsSoundOutputReady() {
  const SoundOutputState& s = SoundOutput;
  return s.DirectSound != nullptr || s.XAudio2 != nullptr || s.XAudio2_7 != nullptr ? 1 : 0;
}

int GetReverbPresetParam(void* block, int preset) {
  const SoundOutputState& s = SoundOutput;
  if (!s.UseXAudio2Flag) return -1;
  if (block == nullptr) return 0;
  if (preset < 0 || preset >= kReverbPresetCount) return -1;
  const size_t size = s.XAudio2Version == 7 ? pa::kReverbParameters27Size : sizeof(pa::XAUDIO2FX_REVERB_PARAMETERS);
  std::memcpy(block, &s.ReverbPresets[preset], size);
  return 0;
}

int TerminateSoundOutput() {
  SoundOutputState& s = SoundOutput;
  if (s.TempMidiFileExists) {
    plat::win::DeleteFileW(s.TempMidiPath);
    s.TempMidiFileExists = 0;
  }
  if (s.MusicMode == 0) {
    CloseMusicMciDevice();
    s.CurrentMusicHandle = -1;
  } else if (s.MusicPerformance != nullptr) {
    s.MusicPerformance->Stop(nullptr, nullptr, 0, 0);
    s.MusicPerformance->CloseDown();
    release(s.MusicPerformance);
    release(s.MusicLoader);
  } else {
    release(s.MusicLoader);
  }
  if (s.XAudio2 != nullptr || s.XAudio2_7 != nullptr) {
    if (s.MasteringVoice != nullptr) s.MasteringVoice->DestroyVoice();
    if (s.MasteringVoice27 != nullptr) s.MasteringVoice27->DestroyVoice();
    s.MasteringVoice = nullptr;
    s.MasteringVoice27 = nullptr;
    release(s.XAudio2);
    release(s.XAudio2_7);
    clearXAudio2Entries();
    s.XAudio2Version = 0;
  }
  if (s.DirectSound != nullptr) {
    if (s.PrimaryBuffer != nullptr) s.PrimaryBuffer->Stop();
    release(s.PrimaryBuffer);
    if (s.SilentBuffer != nullptr) s.SilentBuffer->Stop();
    release(s.SilentBuffer);
    release(s.DirectSound);
    LogAddTextUtf16(u"DirectSound の終了処理は正常に終了しました\n");
  }
  return 0;
}

}  // namespace ZaDod
