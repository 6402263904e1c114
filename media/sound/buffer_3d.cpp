// 3D sound buffers: emitter defaults, software 3D on DirectSound (distance, listener
// cone and side pan turned into volume and pan), X3DAudio on XAudio2, and the check
// that lets a stopped 3D buffer's reverb tail die away before its effect is switched off.
#include <cmath>
#include <cstring>

#include "media/sound/buffer_internal.h"
#include "media/system/winapi.h"

namespace ZaDod {

SoundListenerState SoundListener{};

namespace {

pa::X3DAUDIO_DISTANCE_CURVE_POINT volumePoints[] = {{0.0f, 1.0f}, {1.0f, 0.0f}};
pa::X3DAUDIO_DISTANCE_CURVE_POINT lfePoints[] = {{0.0f, 1.0f}, {0.25f, 0.0f}, {1.0f, 0.0f}};
pa::X3DAUDIO_DISTANCE_CURVE_POINT reverbPoints[] = {{0.0f, 0.5f}, {0.75f, 1.0f}, {1.0f, 0.0f}};
pa::X3DAUDIO_DISTANCE_CURVE volumeCurve{volumePoints, 2};
pa::X3DAUDIO_DISTANCE_CURVE lfeCurve{lfePoints, 3};
pa::X3DAUDIO_DISTANCE_CURVE reverbCurve{reverbPoints, 3};

constexpr float kPi = 3.14159265f;

}  // namespace

void SetSoundListenerDefaults() {
  SoundListener = {};
  SoundListener.Front[2] = 1.0f;
  SoundListener.Side[0] = 1.0f;
  SoundListener.InnerAngle = 2.6179941f;
  SoundListener.OuterAngle = 5.7595868f;
  SoundListener.InnerVolume = 1.0f;
  SoundListener.OuterVolume = 0.75f;
}

int SoundBuffer_Init3D(SoundBuffer* buffer, SoundBuffer* source, int flag) {
  if (!flag) return 0;
  if (source != nullptr) {
    buffer->Emitter = source->Emitter;
    buffer->EmitterCone = source->EmitterCone;
    std::memcpy(buffer->ChannelAzimuths, source->ChannelAzimuths, sizeof(buffer->ChannelAzimuths));
    buffer->Emitter.pCone = &buffer->EmitterCone;
    buffer->Emitter.pChannelAzimuths = buffer->ChannelAzimuths;
    buffer->Radius3D = source->Radius3D;
    return 0;
  }
  buffer->EmitterCone = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f};
  pa::X3DAUDIO_EMITTER& e = buffer->Emitter;
  e = {};
  e.pCone = &buffer->EmitterCone;
  e.OrientFront = {0.0f, 0.0f, 1.0f};
  e.OrientTop = {0.0f, 1.0f, 0.0f};
  e.InnerRadius = 2.0f;
  e.InnerRadiusAngle = kPi / 4.0f;
  e.ChannelCount = buffer->Format.nChannels;
  std::memset(buffer->ChannelAzimuths, 0, sizeof(buffer->ChannelAzimuths));
  e.pChannelAzimuths = buffer->ChannelAzimuths;
  e.ChannelRadius = 0.1f;
  e.pVolumeCurve = &volumeCurve;
  e.pLFECurve = &lfeCurve;
  e.pReverbCurve = &reverbCurve;
  e.CurveDistanceScaler = 14.0f;
  e.DopplerScaler = 1.0f;
  buffer->Radius3D = 14.0f;
  return 0;
}

int SoundBuffer_Set3DPosition(SoundBuffer* buffer, const float* position) {
  buffer->Emitter.Position = {position[0], position[1], position[2]};
  for (int i = 0; i < 3; ++i) buffer->Pos3D[i] = position[i];
  return 0;
}

int SoundBuffer_Set3DVelocity(SoundBuffer* buffer, const float* velocity) {
  buffer->Emitter.Velocity = {velocity[0], velocity[1], velocity[2]};
  return 0;
}

int SoundBuffer_Set3DDistanceScale(SoundBuffer* buffer, float scale) {
  buffer->Emitter.CurveDistanceScaler = scale;
  buffer->Radius3D = scale;
  return 0;
}

void SoundBuffer_Update3D(SoundBuffer* buffer) {
  SoundOutputState& s = SoundOutput;
  if (!s.UseXAudio2Flag) {
    const SoundListenerState& l = SoundListener;
    const float d[3] = {buffer->Pos3D[0] - l.Position[0], buffer->Pos3D[1] - l.Position[1],
                        buffer->Pos3D[2] - l.Position[2]};
    float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (distance < 1e-13f) distance = 1e-13f;
    const float attenuation = distance < buffer->Radius3D ? 1.0f - distance / buffer->Radius3D : 0.0f;
    const float facing = (l.Front[0] * d[0] + l.Front[1] * d[1] + l.Front[2] * d[2]) / distance;
    const float angle = 2.0f * std::acos(std::fmax(-1.0f, std::fmin(1.0f, facing)));
    float cone;
    if (angle <= l.InnerAngle) cone = l.InnerVolume;
    else if (angle >= l.OuterAngle) cone = l.OuterVolume;
    else cone = l.InnerVolume + (l.OuterVolume - l.InnerVolume) * (angle - l.InnerAngle) / (l.OuterAngle - l.InnerAngle);
    float side = (l.Side[0] * d[0] + l.Side[1] * d[1] + l.Side[2] * d[2]) / distance;
    if (side > 0.8f) side = 0.8f;
    if (side < -0.8f) side = -0.8f;
    buffer->Volume3DFactor = cone * attenuation;
    buffer->Pan3D = side;
    SoundBuffer_ApplyVolume(buffer);
    return;
  }
  if (buffer->XA2SourceVoice == nullptr || s.X3DAudioCalculateFunc == nullptr) return;
  float matrix[256] = {};
  pa::X3DAUDIO_DSP_SETTINGS dsp{};
  dsp.pMatrixCoefficients = matrix;
  dsp.SrcChannelCount = buffer->Format.nChannels;
  dsp.DstChannelCount = static_cast<pa::UINT32>(s.OutputChannels);
  pa::UINT32 flags = pa::X3DAUDIO_CALCULATE_MATRIX | pa::X3DAUDIO_CALCULATE_LPF_DIRECT |
                     pa::X3DAUDIO_CALCULATE_LPF_REVERB | pa::X3DAUDIO_CALCULATE_REVERB |
                     pa::X3DAUDIO_CALCULATE_DOPPLER;
  if (s.OutputChannelMask & pa::SPEAKER_LOW_FREQUENCY) flags |= pa::X3DAUDIO_CALCULATE_REDIRECT_TO_LFE;
  s.X3DAudioCalculateFunc(s.X3DInstance, &s.Listener, &buffer->Emitter, flags, &dsp);
  pa::IXAudio2Voice* master = s.XAudio2Version == 7 ? s.MasteringVoice27 : s.MasteringVoice;
  buffer->XA2SourceVoice->SetFrequencyRatio(dsp.DopplerFactor, pa::XAUDIO2_COMMIT_NOW);
  buffer->XA2SourceVoice->SetOutputMatrix(master, dsp.SrcChannelCount, dsp.DstChannelCount, matrix,
                                          pa::XAUDIO2_COMMIT_NOW);
  if (buffer->XA2SubmixVoice != nullptr) {
    float reverb[64];
    for (pa::UINT32 i = 0; i < dsp.SrcChannelCount * dsp.SrcChannelCount && i < 64; ++i) reverb[i] = dsp.ReverbLevel;
    buffer->XA2SourceVoice->SetOutputMatrix(buffer->XA2SubmixVoice, dsp.SrcChannelCount, dsp.SrcChannelCount, reverb,
                                            pa::XAUDIO2_COMMIT_NOW);
  }
  pa::XAUDIO2_FILTER_PARAMETERS direct{pa::LowPassFilter, 2.0f * std::sin(dsp.LPFDirectCoefficient * kPi / 6.0f), 1.0f};
  buffer->XA2SourceVoice->SetOutputFilterParameters(master, &direct, pa::XAUDIO2_COMMIT_NOW);
  if (buffer->XA2SubmixVoice != nullptr) {
    pa::XAUDIO2_FILTER_PARAMETERS reverbFilter{pa::LowPassFilter,
                                               2.0f * std::sin(dsp.LPFReverbCoefficient * kPi / 6.0f), 1.0f};
    buffer->XA2SourceVoice->SetOutputFilterParameters(buffer->XA2SubmixVoice, &reverbFilter, pa::XAUDIO2_COMMIT_NOW);
  }
}

int SoundBuffer_CheckReverbIdle(SoundBuffer* buffer) {
  if (buffer->XA2SubmixVoice == nullptr || buffer->ReverbState == 0) return -1;
  if (buffer->Playing.load()) return 0;
  const std::uint32_t now = WinmmFunctionsLoaded(1) ? WinAPI.timeGetTimeFunc() : 0;
  if (buffer->ReverbState == 1) {
    buffer->ReverbState = 2;
    buffer->ReverbTime = now;
    return 0;
  }
  // Unsigned 32-bit difference: right across the clock's wrap.
  if (now - buffer->ReverbTime >= 3000u) {
    buffer->ReverbState = 0;
    buffer->XA2SubmixVoice->DisableEffect(0, pa::XAUDIO2_COMMIT_NOW);
    return -1;
  }
  return 0;
}

}  // namespace ZaDod
