// The software mixer both sound faces play through: one process-wide core that renders
// its clients into 10-ms quanta of 44100-Hz stereo 16-bit and hands them to a sink
// (SDL2 audio, the null sink, or the manual sink of the tests) and to the capture file.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/wave_format.h"

namespace plat::audio {

// One thing that makes sound each quantum: a DirectSound buffer, an XAudio2 engine.
// passStart and passEnd run on the mixing thread without the mixer's lock (XAudio2
// calls back from there); render runs under it and must neither allocate nor block.
class MixClient {
 public:
  virtual void passStart() {}
  virtual void render(float* mixed) = 0;  // adds kQuantumFrames stereo frames
  virtual void passEnd() {}

  int pins = 0;  // passes using this client now; guarded by the mixer's lock

 protected:
  ~MixClient() = default;
};

class Mixer {
 public:
  static Mixer& instance();

  // Guards every client's state and the client list.
  std::mutex& lock() { return mutex_; }

  // Device objects (DirectSound devices, XAudio2 engines) keep the mixer running: the
  // first one starts the sink, the last one stops it and fixes up the capture file.
  void addDevice();
  void releaseDevice();
  int deviceCount();

  void addClient(MixClient* client);
  // Takes the client out and waits until no pass uses it; a client removed from
  // inside its own callback on the mixing thread is left to the running pass.
  void removeClient(MixClient* client);
  // With the lock held: waits until `pins` is 0 unless the caller is the mixing thread.
  void waitUnpinned(std::unique_lock<std::mutex>& held, const int& pins);
  void notifyUnpinned() { unpinned_.notify_all(); }
  // With the lock held: true on the thread that runs the current pass.
  bool onMixThread() const { return passThread_ == std::this_thread::get_id(); }

  // Renders one quantum into out (kQuantumFrames × 2 samples) and appends it to the
  // capture. Sinks call it from their own thread, one pass at a time.
  void mixQuantum(std::int16_t* out);

  // "sdl", "null", "manual", or "" while no device object exists.
  const char* sinkName();
  std::uint64_t mixedFrames();

  // The sink for tests: no thread; only ManualAdvance mixes.
  void setManual(bool manual);
  void manualAdvance(std::uint32_t frames);
  std::vector<std::int16_t> takeManualFrames();

 private:
  Mixer() = default;
  void startSink();
  void stopSink();

  std::mutex mutex_;
  std::condition_variable unpinned_;
  std::vector<MixClient*> clients_;
  std::vector<MixClient*> passClients_;  // capacity kept at least that of clients_
  float mixed_[kQuantumFrames * kOutputChannels] = {};
  std::thread::id passThread_;

  std::mutex passMutex_;    // one pass at a time
  std::mutex deviceMutex_;  // device count and sink changes
  int devices_ = 0;
  const char* sink_ = "";
  bool manual_ = false;
  std::uint32_t manualCarry_ = 0;
  std::vector<std::int16_t> manualFrames_;
  std::uint64_t mixedFrames_ = 0;  // guarded by passMutex_
};

// The sinks and the capture file, used by the mixer.
namespace sink {
bool openSdl();
void closeSdl();
void startNull();
void stopNull();
// Opens HALVORINE_AUDIO_CAPTURE once per process; later calls keep it.
void openCapture();
void writeCapture(const std::int16_t* samples, int frames);
// Writes the RIFF sizes for what was captured so far.
void fixCapture();
}  // namespace sink

}  // namespace plat::audio
