// The audio renderer's sound output: a looping buffer of the sound stand-in's DirectSound
// face fed as a ring, whose play cursor is followed to count the frames played.
#pragma once
#include "platform/audio/dsound.h"
#include "platform/dshow/interfaces.h"

namespace plat::dshow {

// Not thread-safe: its owner serialises every call. Frame counts are absolute since the
// last rewind; what has played is cleared behind the cursor, so a stream that runs dry
// plays silence rather than old data.
class PcmRing {
 public:
  PcmRing() = default;
  PcmRing(const PcmRing&) = delete;
  PcmRing& operator=(const PcmRing&) = delete;
  ~PcmRing() { close(); }

  // Makes a DirectSound device and a buffer of one second of the format (at least
  // kMinFrames frames); the failure of either is returned.
  HRESULT open(const audio::WAVEFORMATEX& format);
  void close();
  bool isOpen() const { return buffer_ != nullptr; }

  // Copies as many whole frames as there is room for after what is queued; returns the
  // bytes taken.
  DWORD write(const BYTE* data, DWORD bytes);
  // Follows the play cursor: counts what played since the last look and clears it.
  void account();
  void play();
  void pause();
  // Drops what is queued but not played yet.
  void clear();
  // Stops with the cursor at 0 and every count at 0.
  void rewind();

  HRESULT setVolume(LONG volume);
  HRESULT setPan(LONG pan);

  LONGLONG played() const { return played_; }
  LONGLONG written() const { return written_; }
  LONGLONG frames() const { return frames_; }
  DWORD rate() const { return format_.nSamplesPerSec; }
  DWORD blockAlign() const { return format_.nBlockAlign; }
  LONG volume() const { return volume_; }
  LONG pan() const { return pan_; }

  static constexpr DWORD kMinFrames = 4096;

 private:
  // Fills `count` frames from absolute frame `from` with silence.
  void silence(LONGLONG from, LONGLONG count);

  audio::IDirectSound* device_ = nullptr;
  audio::IDirectSoundBuffer* buffer_ = nullptr;
  audio::WAVEFORMATEX format_{};
  LONGLONG frames_ = 0;
  LONGLONG played_ = 0;
  LONGLONG written_ = 0;
  DWORD cursor_ = 0;  // frame index at the last look
  LONG volume_ = 0;
  LONG pan_ = 0;
};

}  // namespace plat::dshow
