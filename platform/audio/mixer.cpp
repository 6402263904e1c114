// The mixer core: client list, passes, device counting and sink choice.
#include "platform/audio/mixer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/audio/mix_kernel.h"

namespace plat::audio {

Mixer& Mixer::instance() {
  static Mixer* mixer = new Mixer();  // lives to the end; sinks may still call in at exit
  return *mixer;
}

void Mixer::addDevice() {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  if (devices_++ == 0) startSink();
}

void Mixer::releaseDevice() {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  if (devices_ <= 0) return;
  if (--devices_ == 0) stopSink();
}

int Mixer::deviceCount() {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  return devices_;
}

const char* Mixer::sinkName() {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  return sink_;
}

std::uint64_t Mixer::mixedFrames() {
  std::lock_guard<std::mutex> guard(passMutex_);
  return mixedFrames_;
}

void Mixer::startSink() {
  sink::openCapture();
  if (manual_) {
    sink_ = "manual";
    return;
  }
  const char* headless = std::getenv("HALVORINE_HEADLESS");
  if (!(headless != nullptr && std::strcmp(headless, "1") == 0) && sink::openSdl()) {
    sink_ = "sdl";
    return;
  }
  sink::startNull();
  sink_ = "null";
}

void Mixer::stopSink() {
  if (std::strcmp(sink_, "sdl") == 0) sink::closeSdl();
  if (std::strcmp(sink_, "null") == 0) sink::stopNull();
  sink_ = "";
  sink::fixCapture();
}

void Mixer::addClient(MixClient* client) {
  std::lock_guard<std::mutex> guard(mutex_);
  clients_.push_back(client);
  // The pass copies the list into passClients_; growing it here keeps the pass free of
  // allocation. A running pass walks passClients_ without the lock, so while one runs the
  // list is left alone and its next copy grows it instead.
  if (passThread_ == std::thread::id() && passClients_.capacity() < clients_.size())
    passClients_.reserve(clients_.size() * 2);
}

void Mixer::removeClient(MixClient* client) {
  std::unique_lock<std::mutex> held(mutex_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
  if (onMixThread()) {
    // Removed from inside a callback of the running pass: the pass skips it from here on.
    std::replace(passClients_.begin(), passClients_.end(), client, static_cast<MixClient*>(nullptr));
    return;
  }
  waitUnpinned(held, client->pins);
}

void Mixer::waitUnpinned(std::unique_lock<std::mutex>& held, const int& pins) {
  if (onMixThread()) return;
  unpinned_.wait(held, [&] { return pins == 0; });
}

void Mixer::mixQuantum(std::int16_t* out) {
  std::lock_guard<std::mutex> pass(passMutex_);
  std::unique_lock<std::mutex> held(mutex_);
  passThread_ = std::this_thread::get_id();
  passClients_.assign(clients_.begin(), clients_.end());
  for (MixClient* c : passClients_) ++c->pins;
  held.unlock();

  for (MixClient* c : passClients_) {
    if (c != nullptr) c->passStart();
  }

  held.lock();
  std::fill(std::begin(mixed_), std::end(mixed_), 0.0f);
  for (MixClient* c : passClients_) {
    if (c != nullptr) c->render(mixed_);
  }
  StoreMixedSamples(mixed_, out, kQuantumFrames * kOutputChannels);
  held.unlock();

  for (MixClient* c : passClients_) {
    if (c != nullptr) c->passEnd();
  }

  held.lock();
  for (MixClient* c : passClients_) {
    if (c != nullptr) --c->pins;
  }
  passThread_ = std::thread::id();
  held.unlock();
  unpinned_.notify_all();

  mixedFrames_ += kQuantumFrames;
  sink::writeCapture(out, kQuantumFrames);
}

void Mixer::setManual(bool manual) {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  manual_ = manual;
  manualCarry_ = 0;
  manualFrames_.clear();
}

void Mixer::manualAdvance(std::uint32_t frames) {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  if (!manual_ || devices_ == 0) return;
  manualCarry_ += frames;
  std::int16_t quantum[kQuantumFrames * kOutputChannels];
  while (manualCarry_ >= static_cast<std::uint32_t>(kQuantumFrames)) {
    manualCarry_ -= kQuantumFrames;
    mixQuantum(quantum);
    manualFrames_.insert(manualFrames_.end(), std::begin(quantum), std::end(quantum));
  }
}

std::vector<std::int16_t> Mixer::takeManualFrames() {
  std::lock_guard<std::mutex> guard(deviceMutex_);
  return std::exchange(manualFrames_, {});
}

}  // namespace plat::audio
