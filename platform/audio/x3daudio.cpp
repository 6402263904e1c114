// X3DAudio of the XAudio2 face: distance attenuation from the emitter's curves, an
// equal-power pan from the listener's side direction, and a plain Doppler factor.
#include <cmath>
#include <cstring>

#include "platform/audio/xaudio2.h"

namespace plat::audio {

namespace {

struct Instance {
  UINT32 speakerMask;
  float speedOfSound;
  UINT32 channels;
};
static_assert(sizeof(Instance) <= X3DAUDIO_HANDLE_BYTESIZE);

float dot(const X3DAUDIO_VECTOR& a, const X3DAUDIO_VECTOR& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

X3DAUDIO_VECTOR cross(const X3DAUDIO_VECTOR& a, const X3DAUDIO_VECTOR& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Piecewise linear over the points (normalised distance ascending); the ends hold.
float curveAt(const X3DAUDIO_DISTANCE_CURVE* curve, float distance, float otherwise) {
  if (curve == nullptr || curve->pPoints == nullptr || curve->PointCount == 0) return otherwise;
  const X3DAUDIO_DISTANCE_CURVE_POINT* p = curve->pPoints;
  if (distance <= p[0].Distance) return p[0].DSPSetting;
  for (UINT32 i = 1; i < curve->PointCount; ++i) {
    if (distance <= p[i].Distance) {
      const float span = p[i].Distance - p[i - 1].Distance;
      const float t = span > 0.0f ? (distance - p[i - 1].Distance) / span : 1.0f;
      return p[i - 1].DSPSetting + (p[i].DSPSetting - p[i - 1].DSPSetting) * t;
    }
  }
  return p[curve->PointCount - 1].DSPSetting;
}

}  // namespace

HRESULT X3DAudioInitialize(UINT32 speakerMask, float speedOfSound, X3DAUDIO_HANDLE instance) {
  if (instance == nullptr || speedOfSound <= 0.0f) return win::E_INVALIDARG;
  Instance made{speakerMask, speedOfSound, 0};
  for (UINT32 m = speakerMask; m != 0; m &= m - 1) ++made.channels;
  std::memset(instance, 0, X3DAUDIO_HANDLE_BYTESIZE);
  std::memcpy(instance, &made, sizeof(made));
  return 0;
}

void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, UINT32 flags, X3DAUDIO_DSP_SETTINGS* settings) {
  if (instance == nullptr || listener == nullptr || emitter == nullptr || settings == nullptr) return;
  Instance inst;
  std::memcpy(&inst, instance, sizeof(inst));

  const X3DAUDIO_VECTOR d{emitter->Position.x - listener->Position.x, emitter->Position.y - listener->Position.y,
                          emitter->Position.z - listener->Position.z};
  const float distance = std::sqrt(dot(d, d));
  const float scaler = emitter->CurveDistanceScaler > 0.0f ? emitter->CurveDistanceScaler : 1.0f;
  const float normalised = distance / scaler;
  settings->EmitterToListenerDistance = distance;

  if ((flags & X3DAUDIO_CALCULATE_MATRIX) != 0 && settings->pMatrixCoefficients != nullptr) {
    // Without a curve the level falls as 1/distance beyond the scaler.
    const float volume = curveAt(emitter->pVolumeCurve, normalised, normalised > 1.0f ? 1.0f / normalised : 1.0f);
    const X3DAUDIO_VECTOR right = cross(listener->OrientTop, listener->OrientFront);
    float side = distance > 0.0f ? dot(right, d) / distance : 0.0f;
    side = std::fmax(-1.0f, std::fmin(1.0f, side));
    const float angle = (side + 1.0f) * 0.78539816f;  // 0 (left) .. pi/2 (right)
    const float left = std::cos(angle) * volume, rightGain = std::sin(angle) * volume;
    const UINT32 src = settings->SrcChannelCount, dst = settings->DstChannelCount;
    for (UINT32 o = 0; o < dst; ++o) {
      for (UINT32 s = 0; s < src; ++s) {
        float g = 0.0f;
        if (dst == 1) g = volume;
        else if (o == 0) g = left;
        else if (o == 1) g = rightGain;
        settings->pMatrixCoefficients[o * src + s] = g;
      }
    }
  }
  if ((flags & X3DAUDIO_CALCULATE_LPF_DIRECT) != 0) {
    settings->LPFDirectCoefficient = curveAt(emitter->pLPFDirectCurve, normalised, 1.0f);
  }
  if ((flags & X3DAUDIO_CALCULATE_LPF_REVERB) != 0) {
    settings->LPFReverbCoefficient = curveAt(emitter->pLPFReverbCurve, normalised, 1.0f);
  }
  if ((flags & X3DAUDIO_CALCULATE_REVERB) != 0) settings->ReverbLevel = curveAt(emitter->pReverbCurve, normalised, 0.0f);
  settings->DopplerFactor = 1.0f;
  if ((flags & X3DAUDIO_CALCULATE_DOPPLER) != 0 && distance > 0.0f) {
    // Velocities along the line from emitter to listener.
    const X3DAUDIO_VECTOR toListener{-d.x / distance, -d.y / distance, -d.z / distance};
    const float c = inst.speedOfSound;
    const float scale = emitter->DopplerScaler;
    const float ve = std::fmin(dot(emitter->Velocity, toListener) * scale, c * 0.5f);
    const float vl = std::fmax(dot(listener->Velocity, toListener) * scale, -c * 0.5f);
    settings->EmitterVelocityComponent = ve;
    settings->ListenerVelocityComponent = vl;
    settings->DopplerFactor = (c - vl) / (c - ve);
  }
}

}  // namespace plat::audio
