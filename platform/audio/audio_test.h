// Test facilities of the sound stand-in, in process only: the manual sink, a log of
// the calls the media layer makes on buffers, and injected buffer-creation failures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace plat::audio {

// With on set before the first device object exists, the mixer uses the manual sink:
// nothing is mixed until AdvanceAudioForTest. Off gives the usual choice again.
void UseManualAudioSinkForTest(bool on);
// Mixes whole quanta for the frames given (the remainder carries to the next call).
void AdvanceAudioForTest(std::uint32_t frames);
// The stereo samples mixed by the manual sink since the last call.
std::vector<std::int16_t> TakeCapturedAudioForTest();

// "sdl", "null", "manual", or "" while no device object exists.
std::string CurrentAudioSinkForTest();
// Frames mixed since the process started, by any sink.
std::uint64_t MixedAudioFramesForTest();

// Entries such as "CreateSoundBuffer flags=0x180e0 bytes=400 rate=44100 ch=2 bits=16",
// "Lock 0 400", "SetVolume -1496", "SetPan 0", "SetFrequency 22050".
std::vector<std::string> TakeAudioCallLogForTest();
// The next `count` CreateSoundBuffer calls of any device fail with DSERR_INVALIDCALL.
void FailNextCreateSoundBuffersForTest(int count);

}  // namespace plat::audio
