// Where mixed quanta go: SDL2 audio, the null sink's clock-driven thread, and the
// capture WAVE file of HALVORINE_AUDIO_CAPTURE.
#include "platform/dynload/sdl_api.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/audio/mixer.h"
#include "platform/win/win_clock.h"

namespace plat::audio::sink {

namespace {

// --- SDL2 -----------------------------------------------------------------------------

SDL_AudioDeviceID sdlDevice = 0;
std::int16_t sdlQuantum[kQuantumFrames * kOutputChannels];
int sdlUsed = kQuantumFrames;  // frames of sdlQuantum already handed out

// SDL's audio thread asks for any number of bytes; whole quanta are mixed and the
// rest of the last one waits for the next request.
void SDLCALL sdlFill(void*, Uint8* stream, int length) {
  int frames = length / (kOutputChannels * 2);
  auto* out = reinterpret_cast<std::int16_t*>(stream);
  while (frames > 0) {
    if (sdlUsed == kQuantumFrames) {
      Mixer::instance().mixQuantum(sdlQuantum);
      sdlUsed = 0;
    }
    const int n = std::min(frames, kQuantumFrames - sdlUsed);
    std::memcpy(out, sdlQuantum + sdlUsed * kOutputChannels, static_cast<size_t>(n) * kOutputChannels * 2);
    out += n * kOutputChannels;
    sdlUsed += n;
    frames -= n;
  }
}

// --- null sink ------------------------------------------------------------------------

// Held by pointer: a process that exits with the sink running must not meet a joinable
// thread object among its static destructors.
std::thread* nullThread = nullptr;
std::atomic<bool> nullRunning{false};

void runNull() {
  constexpr long long kQuantumNs = 10'000'000;
  long long next = win::MonotonicNanoseconds();
  std::int16_t quantum[kQuantumFrames * kOutputChannels];
  while (nullRunning.load(std::memory_order_acquire)) {
    const long long now = win::MonotonicNanoseconds();
    // After a long stall (a held clock let go, a suspended process) start afresh
    // instead of mixing the missed time in one burst.
    if (now - next > 20 * kQuantumNs) next = now;
    while (now >= next) {
      Mixer::instance().mixQuantum(quantum);
      next += kQuantumNs;
    }
    // Asleep until the next quantum is due (at most one quantum, should the clock be
    // held), not woken every 2 ms to find it is not yet.
    std::this_thread::sleep_for(std::chrono::nanoseconds(std::clamp(next - now, 1'000'000LL, kQuantumNs)));
  }
}

// --- capture --------------------------------------------------------------------------

std::mutex captureMutex;
std::FILE* captureFile = nullptr;
bool captureTried = false;
std::uint32_t captureBytes = 0;

void putLe32(unsigned char* p, std::uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

void writeSizesLocked() {
  if (captureFile == nullptr) return;
  unsigned char v[4];
  const long end = std::ftell(captureFile);
  putLe32(v, 36 + captureBytes);
  std::fseek(captureFile, 4, SEEK_SET);
  std::fwrite(v, 1, 4, captureFile);
  putLe32(v, captureBytes);
  std::fseek(captureFile, 40, SEEK_SET);
  std::fwrite(v, 1, 4, captureFile);
  std::fseek(captureFile, end, SEEK_SET);
  std::fflush(captureFile);
}

void fixAtExit() {
  std::lock_guard<std::mutex> guard(captureMutex);
  writeSizesLocked();
}

}  // namespace

bool openSdl() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = kOutputRate;
  want.format = AUDIO_S16SYS;
  want.channels = kOutputChannels;
  want.samples = 1024;
  want.callback = &sdlFill;
  SDL_AudioSpec have{};
  sdlUsed = kQuantumFrames;
  // No changes allowed: SDL converts to whatever the device wants.
  sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (sdlDevice == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudioDevice(sdlDevice, 0);
  return true;
}

void closeSdl() {
  if (sdlDevice != 0) SDL_CloseAudioDevice(sdlDevice);
  sdlDevice = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void startNull() {
  nullRunning.store(true, std::memory_order_release);
  nullThread = new std::thread(runNull);
}

void stopNull() {
  nullRunning.store(false, std::memory_order_release);
  if (nullThread != nullptr) {
    nullThread->join();
    delete nullThread;
    nullThread = nullptr;
  }
}

void openCapture() {
  std::lock_guard<std::mutex> guard(captureMutex);
  if (captureTried) return;
  captureTried = true;
  const char* path = std::getenv("HALVORINE_AUDIO_CAPTURE");
  if (path == nullptr || *path == '\0') return;
  captureFile = std::fopen(path, "wb");
  if (captureFile == nullptr) return;
  unsigned char header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                              16, 0, 0, 0, 1, 0, kOutputChannels, 0};
  putLe32(header + 24, kOutputRate);
  putLe32(header + 28, kOutputRate * kOutputChannels * 2);
  header[32] = kOutputChannels * 2;
  header[34] = 16;
  std::memcpy(header + 36, "data", 4);
  std::fwrite(header, 1, sizeof(header), captureFile);
  writeSizesLocked();
  std::atexit(fixAtExit);
}

void writeCapture(const std::int16_t* samples, int frames) {
  std::lock_guard<std::mutex> guard(captureMutex);
  if (captureFile == nullptr) return;
  unsigned char bytes[kQuantumFrames * kOutputChannels * 2];
  const int count = std::min(frames, kQuantumFrames) * kOutputChannels;
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<std::uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<unsigned char>(v);
    bytes[2 * i + 1] = static_cast<unsigned char>(v >> 8);
  }
  std::fwrite(bytes, 1, static_cast<size_t>(count) * 2, captureFile);
  captureBytes += static_cast<std::uint32_t>(count) * 2;
}

void fixCapture() {
  std::lock_guard<std::mutex> guard(captureMutex);
  writeSizesLocked();
}

}  // namespace plat::audio::sink
