// The audio renderer's ring over a looping DirectSound buffer of the sound stand-in.
#include "platform/dshow/pcm_ring.h"

#include <algorithm>
#include <cstring>

namespace plat::dshow {

namespace {
using audio::DS_OK;
using win::S_OK;
}  // namespace

HRESULT PcmRing::open(const audio::WAVEFORMATEX& format) {
  close();
  void* made = nullptr;
  HRESULT hr = win::CoCreateInstance(audio::CLSID_DirectSound, nullptr, win::CLSCTX_INPROC_SERVER,
                                     audio::IID_IDirectSound, &made);
  if (hr < 0) return hr;
  device_ = static_cast<audio::IDirectSound*>(made);
  hr = device_->Initialize(nullptr);
  format_ = format;
  frames_ = std::max<LONGLONG>(format.nSamplesPerSec, kMinFrames);
  audio::DSBUFFERDESC desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = audio::DSBCAPS_CTRLVOLUME | audio::DSBCAPS_CTRLPAN | audio::DSBCAPS_GETCURRENTPOSITION2 |
                 audio::DSBCAPS_GLOBALFOCUS | audio::DSBCAPS_LOCSOFTWARE;
  desc.dwBufferBytes = static_cast<DWORD>(frames_ * format.nBlockAlign);
  desc.lpwfxFormat = &format_;
  if (hr >= 0) hr = device_->CreateSoundBuffer(&desc, &buffer_, nullptr);
  if (hr >= 0) hr = buffer_->SetVolume(volume_);
  if (hr >= 0) hr = buffer_->SetPan(pan_);
  if (hr < 0) {
    close();
    return hr;
  }
  played_ = written_ = 0;
  cursor_ = 0;
  return S_OK;
}

void PcmRing::close() {
  if (buffer_ != nullptr) {
    buffer_->Stop();
    buffer_->Release();
  }
  if (device_ != nullptr) device_->Release();
  buffer_ = nullptr;
  device_ = nullptr;
  played_ = written_ = frames_ = 0;
}

DWORD PcmRing::write(const BYTE* data, DWORD bytes) {
  if (buffer_ == nullptr) return 0;
  const DWORD align = format_.nBlockAlign;
  // One frame stays free so that the last frame queued never sits under the cursor.
  const LONGLONG room = frames_ - 1 - (written_ - played_);
  const LONGLONG count = std::min<LONGLONG>(bytes / align, room);
  if (count <= 0) return 0;
  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0, secondBytes = 0;
  const auto offset = static_cast<DWORD>((written_ % frames_) * align);
  const auto size = static_cast<DWORD>(count * align);
  if (buffer_->Lock(offset, size, &first, &firstBytes, &second, &secondBytes, 0) != DS_OK) return 0;
  std::memcpy(first, data, firstBytes);
  if (second != nullptr) std::memcpy(second, data + firstBytes, secondBytes);
  buffer_->Unlock(first, firstBytes, second, secondBytes);
  written_ += count;
  return size;
}

void PcmRing::account() {
  if (buffer_ == nullptr) return;
  DWORD position = 0;
  if (buffer_->GetCurrentPosition(&position, nullptr) != DS_OK) return;
  const auto cursor = static_cast<DWORD>(position / format_.nBlockAlign);
  const LONGLONG moved = (static_cast<LONGLONG>(cursor) + frames_ - cursor_) % frames_;
  cursor_ = cursor;
  if (moved == 0) return;
  silence(played_, moved);
  played_ += moved;
  // Ran dry: what comes next starts at the cursor.
  if (written_ < played_) written_ = played_;
}

void PcmRing::play() {
  if (buffer_ != nullptr) buffer_->Play(0, 0, audio::DSBPLAY_LOOPING);
}

void PcmRing::pause() {
  if (buffer_ == nullptr) return;
  buffer_->Stop();
  account();
}

void PcmRing::clear() {
  if (buffer_ == nullptr) return;
  account();
  silence(0, frames_);
  written_ = played_;
}

void PcmRing::rewind() {
  if (buffer_ == nullptr) return;
  buffer_->Stop();
  buffer_->SetCurrentPosition(0);
  silence(0, frames_);
  played_ = written_ = 0;
  cursor_ = 0;
}

HRESULT PcmRing::setVolume(LONG volume) {
  volume_ = volume;
  return buffer_ != nullptr ? buffer_->SetVolume(volume) : S_OK;
}

HRESULT PcmRing::setPan(LONG pan) {
  pan_ = pan;
  return buffer_ != nullptr ? buffer_->SetPan(pan) : S_OK;
}

void PcmRing::silence(LONGLONG from, LONGLONG count) {
  count = std::min(count, frames_);
  const DWORD align = format_.nBlockAlign;
  void* first = nullptr;
  void* second = nullptr;
  DWORD firstBytes = 0, secondBytes = 0;
  const auto offset = static_cast<DWORD>((from % frames_) * align);
  if (buffer_->Lock(offset, static_cast<DWORD>(count * align), &first, &firstBytes, &second, &secondBytes, 0) != DS_OK)
    return;
  // 8-bit data is unsigned around 128.
  const int quiet = format_.wBitsPerSample == 8 ? 0x80 : 0;
  std::memset(first, quiet, firstBytes);
  if (second != nullptr) std::memset(second, quiet, secondBytes);
  buffer_->Unlock(first, firstBytes, second, secondBytes);
}

}  // namespace plat::dshow
