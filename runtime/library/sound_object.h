// Sound: the script object over one sound handle of the media layer, with
// the volume that play_sound applies and the methods that control it.
#pragma once

#include <cstdint>

#include "runtime/vm/function.h"
#include "runtime/vm/object.h"

namespace kv {

constexpr int32_t kSoundClassId = 160;
constexpr int32_t kSoundProtoClassId = 161;
constexpr int32_t kSoundDefaultVolume = 127;

class KVSound : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVSound); }
  bool isSound() const override { return true; }
  int32_t handle = -1;                  // -1 when loading failed or after "dispose"
  int32_t volume = kSoundDefaultVolume;  // 0..255, applied by play_sound
  uint8_t loop = 0;                     // read by "isLoop"; nothing sets it
  int64_t bytes = 0;                    // what the handle holds, counted against the memory mark
};

// A sound loaded from the file (three buffers) at volume 127. A failed load
// leaves handle -1; the media layer logs why. The collector frees the object
// but never the handle: only "dispose" or the media layer's end does. Once the
// sounds not disposed hold more than 512 MB the log says so, once.
KVSound* newSound(const char* fileName);

// load_sound, play_sound and stop_sound.
void loadSoundNative(KVContext* ctx);
void playSoundNative(KVContext* ctx);
void stopSoundNative(KVContext* ctx);
// The prototype with the thirteen methods, stored in the class's function object.
void setupSoundClass(KVfobj* ctor);

}  // namespace kv
