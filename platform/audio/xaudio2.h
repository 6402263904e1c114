// XAudio2 face of the software mixer: the 2.8 engine of "XAudio2_8.dll" and the 2.7
// engine class, their mastering, submix and source voices, the reverb and volume-meter
// effects, and X3DAudio ("XAudio2_8.dll" for 2.8, "X3DAudio1_7.dll" for 2.7).
// Short names for HALVORINE_MISSING: "xaudio2" (the 2.8 library and the 2.7 classes),
// "x3daudio" (the 1.7 library).
#pragma once
#include <cstdint>

#include "platform/audio/wave_format.h"
#include "platform/win/com.h"

namespace plat::audio {

using UINT32 = std::uint32_t;
using UINT64 = std::uint64_t;

constexpr UINT32 XAUDIO2_DEFAULT_CHANNELS = 0;
constexpr UINT32 XAUDIO2_DEFAULT_SAMPLERATE = 0;
constexpr UINT32 XAUDIO2_DEFAULT_PROCESSOR = 1;
constexpr UINT32 XAUDIO2_ANY_PROCESSOR = 0xFFFFFFFF;
constexpr UINT32 XAUDIO2_COMMIT_NOW = 0;
constexpr UINT32 XAUDIO2_MAX_QUEUED_BUFFERS = 64;
constexpr UINT32 XAUDIO2_SEND_USEFILTER = 0x80;
constexpr float XAUDIO2_MIN_FREQ_RATIO = 1.0f / 1024.0f;
constexpr float XAUDIO2_MAX_FREQ_RATIO = 1024.0f;
constexpr HRESULT XAUDIO2_E_INVALID_CALL = static_cast<HRESULT>(0x88960001u);
constexpr int AudioCategory_GameEffects = 6;
constexpr DWORD SPEAKER_FRONT_LEFT = 0x1;
constexpr DWORD SPEAKER_FRONT_RIGHT = 0x2;
constexpr DWORD SPEAKER_LOW_FREQUENCY = 0x8;

struct IXAudio2Voice;

struct XAUDIO2_BUFFER {
  UINT32 Flags;
  UINT32 AudioBytes;
  const BYTE* pAudioData;
  UINT32 PlayBegin;
  UINT32 PlayLength;
  UINT32 LoopBegin;
  UINT32 LoopLength;
  UINT32 LoopCount;
  void* pContext;
};

struct XAUDIO2_SEND_DESCRIPTOR {
  UINT32 Flags;
  IXAudio2Voice* pOutputVoice;
};

struct XAUDIO2_VOICE_SENDS {
  UINT32 SendCount;
  XAUDIO2_SEND_DESCRIPTOR* pSends;
};

struct XAUDIO2_EFFECT_DESCRIPTOR {
  win::IUnknown* pEffect;
  win::BOOL InitialState;
  UINT32 OutputChannels;
};

struct XAUDIO2_EFFECT_CHAIN {
  UINT32 EffectCount;
  XAUDIO2_EFFECT_DESCRIPTOR* pEffectDescriptors;
};

constexpr int LowPassFilter = 0;
struct XAUDIO2_FILTER_PARAMETERS {
  int Type;
  float Frequency;
  float OneOverQ;
};

struct XAUDIO2_VOICE_STATE {
  void* pCurrentBufferContext;
  UINT32 BuffersQueued;
  UINT64 SamplesPlayed;
};

struct XAUDIO2_DEVICE_DETAILS {
  char16_t DeviceID[256];
  char16_t DisplayName[256];
  WAVEFORMATEX OutputFormat;
  DWORD dwChannelMask;
};

// The reverb's native parameters; the 2.7 block is the same without the last field.
struct XAUDIO2FX_REVERB_PARAMETERS {
  float WetDryMix;
  UINT32 ReflectionsDelay;
  BYTE ReverbDelay;
  BYTE RearDelay;
  BYTE PositionLeft;
  BYTE PositionRight;
  BYTE PositionMatrixLeft;
  BYTE PositionMatrixRight;
  BYTE EarlyDiffusion;
  BYTE LateDiffusion;
  BYTE LowEQGain;
  BYTE LowEQCutoff;
  BYTE HighEQGain;
  BYTE HighEQCutoff;
  float RoomFilterFreq;
  float RoomFilterMain;
  float RoomFilterHF;
  float ReflectionsGain;
  float ReverbGain;
  float DecayTime;
  float Density;
  float RoomSize;
  win::BOOL DisableLateField;
};
static_assert(sizeof(XAUDIO2FX_REVERB_PARAMETERS) == 56);
constexpr UINT32 kReverbParameters27Size = 52;

// Called on the engine's thread; the engine holds no lock meanwhile, so a callback may
// start, stop, submit to and flush voices.
struct IXAudio2VoiceCallback {
  virtual void OnVoiceProcessingPassStart(UINT32 bytesRequired) = 0;
  virtual void OnVoiceProcessingPassEnd() = 0;
  virtual void OnStreamEnd() = 0;
  virtual void OnBufferStart(void* context) = 0;
  virtual void OnBufferEnd(void* context) = 0;
  virtual void OnLoopEnd(void* context) = 0;
  virtual void OnVoiceError(void* context, HRESULT error) = 0;

 protected:
  ~IXAudio2VoiceCallback() = default;
};

struct IXAudio2Voice {
  virtual HRESULT EnableEffect(UINT32 index, UINT32 operationSet) = 0;
  virtual HRESULT DisableEffect(UINT32 index, UINT32 operationSet) = 0;
  virtual HRESULT SetEffectParameters(UINT32 index, const void* parameters, UINT32 size, UINT32 operationSet) = 0;
  virtual HRESULT SetOutputFilterParameters(IXAudio2Voice* destination, const XAUDIO2_FILTER_PARAMETERS* parameters,
                                            UINT32 operationSet) = 0;
  virtual HRESULT SetVolume(float volume, UINT32 operationSet) = 0;
  virtual HRESULT SetChannelVolumes(UINT32 channels, const float* volumes, UINT32 operationSet) = 0;
  // levels[destination channel × sourceChannels + source channel]
  virtual HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                                  const float* levels, UINT32 operationSet) = 0;
  virtual void DestroyVoice() = 0;

 protected:
  ~IXAudio2Voice() = default;
};

struct IXAudio2SourceVoice : IXAudio2Voice {
  virtual HRESULT Start(UINT32 flags, UINT32 operationSet) = 0;
  virtual HRESULT Stop(UINT32 flags, UINT32 operationSet) = 0;
  virtual HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const void* reserved) = 0;
  virtual HRESULT FlushSourceBuffers() = 0;
  virtual void GetState(XAUDIO2_VOICE_STATE* state, UINT32 flags) = 0;
  virtual HRESULT SetFrequencyRatio(float ratio, UINT32 operationSet) = 0;
  virtual void GetFrequencyRatio(float* ratio) = 0;

 protected:
  ~IXAudio2SourceVoice() = default;
};

struct IXAudio2SubmixVoice : IXAudio2Voice {
 protected:
  ~IXAudio2SubmixVoice() = default;
};

struct IXAudio2MasteringVoice : IXAudio2Voice {
  virtual HRESULT GetChannelMask(DWORD* mask) = 0;

 protected:
  ~IXAudio2MasteringVoice() = default;
};

// The 2.8 engine.
struct IXAudio2 : win::IUnknown {
  virtual HRESULT CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags,
                                    float maxFrequencyRatio, IXAudio2VoiceCallback* callback,
                                    const XAUDIO2_VOICE_SENDS* sends, const XAUDIO2_EFFECT_CHAIN* effects) = 0;
  virtual HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** voice, UINT32 channels, UINT32 sampleRate, UINT32 flags,
                                    UINT32 stage, const XAUDIO2_VOICE_SENDS* sends,
                                    const XAUDIO2_EFFECT_CHAIN* effects) = 0;
  virtual HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32 sampleRate,
                                       UINT32 flags, const char16_t* deviceId, const XAUDIO2_EFFECT_CHAIN* effects,
                                       int category) = 0;

 protected:
  ~IXAudio2() = default;
};

// The 2.7 engine, made through COM and started with Initialize.
struct IXAudio2_7 : win::IUnknown {
  virtual HRESULT GetDeviceCount(UINT32* count) = 0;
  virtual HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) = 0;
  virtual HRESULT Initialize(UINT32 flags, UINT32 processor) = 0;
  virtual HRESULT CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags,
                                    float maxFrequencyRatio, IXAudio2VoiceCallback* callback,
                                    const XAUDIO2_VOICE_SENDS* sends, const XAUDIO2_EFFECT_CHAIN* effects) = 0;
  virtual HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** voice, UINT32 channels, UINT32 sampleRate, UINT32 flags,
                                    UINT32 stage, const XAUDIO2_VOICE_SENDS* sends,
                                    const XAUDIO2_EFFECT_CHAIN* effects) = 0;
  virtual HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 channels, UINT32 sampleRate,
                                       UINT32 flags, UINT32 deviceIndex, const XAUDIO2_EFFECT_CHAIN* effects) = 0;

 protected:
  ~IXAudio2_7() = default;
};

extern const win::CLSID CLSID_XAudio2_7;
extern const win::CLSID CLSID_XAudio2_7_Debug;
extern const win::IID IID_IXAudio2_7;
extern const win::CLSID CLSID_AudioReverb_2_7;

// Exports of "XAudio2_8.dll".
HRESULT XAudio2Create(IXAudio2** engine, UINT32 flags, UINT32 processor);
HRESULT CreateAudioVolumeMeter(win::IUnknown** effect);
HRESULT CreateAudioReverb(win::IUnknown** effect);

// --- X3DAudio ---------------------------------------------------------------------------

constexpr int X3DAUDIO_HANDLE_BYTESIZE = 20;
using X3DAUDIO_HANDLE = BYTE[X3DAUDIO_HANDLE_BYTESIZE];

constexpr UINT32 X3DAUDIO_CALCULATE_MATRIX = 0x1;
constexpr UINT32 X3DAUDIO_CALCULATE_LPF_DIRECT = 0x4;
constexpr UINT32 X3DAUDIO_CALCULATE_LPF_REVERB = 0x8;
constexpr UINT32 X3DAUDIO_CALCULATE_REVERB = 0x10;
constexpr UINT32 X3DAUDIO_CALCULATE_DOPPLER = 0x20;
constexpr UINT32 X3DAUDIO_CALCULATE_REDIRECT_TO_LFE = 0x20000;

struct X3DAUDIO_VECTOR {
  float x, y, z;
};

struct X3DAUDIO_CONE {
  float InnerAngle;
  float OuterAngle;
  float InnerVolume;
  float OuterVolume;
  float InnerLPF;
  float OuterLPF;
  float InnerReverb;
  float OuterReverb;
};

struct X3DAUDIO_DISTANCE_CURVE_POINT {
  float Distance;  // normalised, 0 to 1
  float DSPSetting;
};

struct X3DAUDIO_DISTANCE_CURVE {
  X3DAUDIO_DISTANCE_CURVE_POINT* pPoints;
  UINT32 PointCount;
};

struct X3DAUDIO_LISTENER {
  X3DAUDIO_VECTOR OrientFront;
  X3DAUDIO_VECTOR OrientTop;
  X3DAUDIO_VECTOR Position;
  X3DAUDIO_VECTOR Velocity;
  X3DAUDIO_CONE* pCone;
};

struct X3DAUDIO_EMITTER {
  X3DAUDIO_CONE* pCone;
  X3DAUDIO_VECTOR OrientFront;
  X3DAUDIO_VECTOR OrientTop;
  X3DAUDIO_VECTOR Position;
  X3DAUDIO_VECTOR Velocity;
  float InnerRadius;
  float InnerRadiusAngle;
  UINT32 ChannelCount;
  float ChannelRadius;
  float* pChannelAzimuths;
  X3DAUDIO_DISTANCE_CURVE* pVolumeCurve;
  X3DAUDIO_DISTANCE_CURVE* pLFECurve;
  X3DAUDIO_DISTANCE_CURVE* pLPFDirectCurve;
  X3DAUDIO_DISTANCE_CURVE* pLPFReverbCurve;
  X3DAUDIO_DISTANCE_CURVE* pReverbCurve;
  float CurveDistanceScaler;
  float DopplerScaler;
};

struct X3DAUDIO_DSP_SETTINGS {
  float* pMatrixCoefficients;  // [destination × SrcChannelCount + source]
  float* pDelayTimes;
  UINT32 SrcChannelCount;
  UINT32 DstChannelCount;
  float LPFDirectCoefficient;
  float LPFReverbCoefficient;
  float ReverbLevel;
  float DopplerFactor;
  float EmitterToListenerAngle;
  float EmitterToListenerDistance;
  float EmitterVelocityComponent;
  float ListenerVelocityComponent;
};

HRESULT X3DAudioInitialize(UINT32 speakerMask, float speedOfSound, X3DAUDIO_HANDLE instance);
void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, UINT32 flags, X3DAUDIO_DSP_SETTINGS* settings);

}  // namespace plat::audio
