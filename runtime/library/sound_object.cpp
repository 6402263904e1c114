// Sound objects: loading and the methods. Units are the media layer's and
// are not converted: "getCurrentPosition" answers bytes, the position and
// loop setters take samples ("setLoopPos" milliseconds), times are
// milliseconds.
#include "runtime/library/sound_object.h"

#include <cstring>
#include <string>
#include <vector>

#include "media/base/charcode.h"
#include "media/sound/sound_handle.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/property.h"
#include "runtime/vm/runtime_log.h"

namespace kv {
namespace {

// Cells: prototype, "volume", "loop". Both members are plain cells: assigning
// them changes neither the volume that play_sound applies nor the loop flag.
constexpr int32_t kSoundCells = 3;
enum SoundSlot : int32_t { kSlotVolume = 1, kSlotLoop = 2 };
constexpr int32_t kMostVolume = 255;

KVobj* gSoundProto = nullptr;

// The collector frees a dropped Sound but never its handle, so a game that drops
// sounds without "dispose" keeps every one's samples until the machine runs out long
// after the handle limit would have said so. Past this many bytes held by the sounds
// not disposed the log says, once, what is wrong.
constexpr int64_t kSoundMemoryMark = int64_t(512) << 20;
int64_t gSoundBytes = 0;

// What a loaded sound holds: its handle's record, and for a sound in memory its
// decoded samples once for the handle and once in each playback buffer (every buffer
// has its own copy), for a stream its buffer.
int64_t heldBytes(int handle) {
  const ZaDod::SoundHandleRecord* r = handle < 0 ? nullptr : ZaDod::GetSoundRecord(handle);
  if (r == nullptr) return 0;
  return int64_t(sizeof *r) +
         (r->StreamFlag ? int64_t(r->StreamBufferSize) : int64_t(r->WaveSize) * (1 + int64_t(r->BufferNum)));
}

void countSoundBytes(int64_t bytes) {
  static bool warned = false;
  gSoundBytes += bytes;
  if (gSoundBytes <= kSoundMemoryMark || warned) return;
  warned = true;
  logSystemWarning(("Sound: the sounds not disposed hold more than " + std::to_string(kSoundMemoryMark >> 20) +
                    " MB; sounds that are dropped must be disposed")
                       .c_str());
}

// The receiver's handle; -1, which the media layer refuses, for anything
// that is not a Sound.
KVSound* soundReceiver(KVContext* ctx) {
  KVobj* self = ctx->receiver();
  return self && self->isSound() ? static_cast<KVSound*>(self) : nullptr;
}
int32_t handleOf(KVContext* ctx) {
  KVSound* s = soundReceiver(ctx);
  return s ? s->handle : -1;
}

int loadSoundFile(const char* fileName) {
  // No narrow code page gives more UTF-16 units than it has bytes.
  std::vector<char16_t> wide(std::strlen(fileName) + 1);
  if (ZaDod::ConvertString(fileName, ZaDod::GetDefaultNarrowCodePage(), wide.data(), wide.size() * sizeof(char16_t),
                           ZaDod::CodePageUtf16LE) <= 0)
    return -1;
  return ZaDod::LoadSoundMem(wide.data(), 3, -1);
}

template <int (*Query)(int)>
void intQuery(KVContext* ctx) {
  ctx->pushInt(Query(handleOf(ctx)));
}

// The setters act on an integer argument only.
template <int (*Setter)(int, int)>
void intSetter(KVContext* ctx) {
  if (isIntArg(ctx, 0)) Setter(ctx->arg(0)->i, handleOf(ctx));
  ctx->pushUndefined();
}

void stopMethod(KVContext* ctx) {
  ZaDod::StopSoundMem(handleOf(ctx));
  ctx->pushUndefined();
}

void getVolumeMethod(KVContext* ctx) {
  KVSound* s = soundReceiver(ctx);
  ctx->pushInt(s ? s->volume : kSoundDefaultVolume);
}

void setVolumeMethod(KVContext* ctx) {
  KVSound* s = soundReceiver(ctx);
  if (s && isIntArg(ctx, 0)) {
    int32_t v = ctx->arg(0)->i;
    s->volume = v < 0 ? 0 : v > kMostVolume ? kMostVolume : v;
    ZaDod::ChangeSoundMemVolume(s->volume, s->handle);
  }
  ctx->pushUndefined();
}

void isLoopMethod(KVContext* ctx) {
  KVSound* s = soundReceiver(ctx);
  ctx->pushBool(s && s->loop);
}

void isPlayingMethod(KVContext* ctx) { ctx->pushBool(ZaDod::CheckSoundMemPlaying(handleOf(ctx)) == 1); }

void disposeSound(KVContext* ctx) {
  if (KVSound* s = soundReceiver(ctx)) {
    ZaDod::DeleteAnyHandle(s->handle);
    s->handle = -1;
    countSoundBytes(-s->bytes);
    s->bytes = 0;
  }
  ctx->pushUndefined();
}

}  // namespace

KVSound* newSound(const char* fileName) {
  int handle = loadSoundFile(fileName ? fileName : "");
  if (handle < 0) handle = -1;
  reserveNursery(objectBytes<KVSound>(kSoundCells));
  auto* sound = placeYoungObject<KVSound>(kSoundCells, gSoundProto, kSoundClassId);
  sound->handle = handle;
  sound->bytes = heldBytes(handle);
  countSoundBytes(sound->bytes);
  sound->props.cells[kSlotVolume]->setInt(kSoundDefaultVolume);
  sound->props.cells[kSlotLoop]->setBool(false);
  ZaDod::ChangeSoundMemVolume(kSoundDefaultVolume, handle);
  return sound;
}

void setupSoundClass(KVfobj* ctor) {
  gSoundProto = newStaticObject(1, gCore.objectProto, kSoundProtoClassId);
  struct Row {
    const char* name;
    int32_t params;
    NativeFunction native;
  };
  static constexpr Row kMethods[] = {
      {"stop", 0, &stopMethod},
      {"getVolume", 0, &getVolumeMethod},
      {"setVolume", 1, &setVolumeMethod},
      {"isLoop", 1, &isLoopMethod},
      {"isPlaying", 1, &isPlayingMethod},
      {"getTotalSample", 0, &intQuery<ZaDod::GetSoundMemTotalSample>},
      {"getTotalTime", 0, &intQuery<ZaDod::GetSoundMemTotalTime>},
      {"getCurrentPosition", 0, &intQuery<ZaDod::GetSoundMemCurrentPosition>},
      {"getCurrentTime", 0, &intQuery<ZaDod::GetSoundMemCurrentTime>},
      {"setLoopPos", 1, &intSetter<ZaDod::SetSoundMemLoopStartTime>},
      {"setLoopSamplePos", 1, &intSetter<ZaDod::SetSoundMemLoopStartSample>},
      {"setCurrentPosition", 1, &intSetter<ZaDod::SetSoundMemCurrentPosition>},
      {"dispose", 0, &disposeSound},
  };
  for (const Row& m : kMethods) KVobj::defineNativeMethod(gSoundProto, m.name, NativeArgTypes(m.params, 0), m.native);
  KVobj::buildPropertyIndex(gSoundProto, kSoundProtoClassId);
  if (ctor) *ctor->props.cells[1] = Value::makeObject(gSoundProto);
}

}  // namespace kv
