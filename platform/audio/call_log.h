// What the faces record for the tests: calls the media layer makes, injected failures.
#pragma once
#include <string>

namespace plat::audio {

void RecordAudioCall(std::string entry);
// True (and one fewer left) while a test asked CreateSoundBuffer to fail.
bool TakeInjectedCreateFailure();

}  // namespace plat::audio
