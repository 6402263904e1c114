// The test facilities of the sound stand-in: manual sink access, the call log and
// injected CreateSoundBuffer failures.
#include <mutex>
#include <utility>

#include "platform/audio/audio_test.h"
#include "platform/audio/call_log.h"
#include "platform/audio/mixer.h"

namespace plat::audio {

namespace {
std::mutex logMutex;
std::vector<std::string> callLog;
int failCreates = 0;
}  // namespace

void RecordAudioCall(std::string entry) {
  std::lock_guard<std::mutex> guard(logMutex);
  callLog.push_back(std::move(entry));
}

bool TakeInjectedCreateFailure() {
  std::lock_guard<std::mutex> guard(logMutex);
  if (failCreates <= 0) return false;
  --failCreates;
  return true;
}

std::vector<std::string> TakeAudioCallLogForTest() {
  std::lock_guard<std::mutex> guard(logMutex);
  return std::exchange(callLog, {});
}

void FailNextCreateSoundBuffersForTest(int count) {
  std::lock_guard<std::mutex> guard(logMutex);
  failCreates = count;
}

void UseManualAudioSinkForTest(bool on) { Mixer::instance().setManual(on); }
void AdvanceAudioForTest(std::uint32_t frames) { Mixer::instance().manualAdvance(frames); }
std::vector<std::int16_t> TakeCapturedAudioForTest() { return Mixer::instance().takeManualFrames(); }
std::string CurrentAudioSinkForTest() { return Mixer::instance().sinkName(); }
std::uint64_t MixedAudioFramesForTest() { return Mixer::instance().mixedFrames(); }

}  // namespace plat::audio
