// load_sound, play_sound and stop_sound: the global functions over Sound
// objects.
#include "media/sound/sound_handle.h"
#include "runtime/library/native_args.h"
#include "runtime/library/sound_object.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"

namespace kv {
namespace {

KVSound* soundArg(KVContext* ctx) { return static_cast<KVSound*>(objectArg(ctx, 0, &KVobj::isSound)); }

}  // namespace

// A name that is no text loads from no file name; either way the Sound is
// returned, and a failed load is warning 5.
void loadSoundNative(KVContext* ctx) {
  const char* name = textArg(ctx, 0);
  if (!name) raiseRuntimeWarning(kWarnWrongArgument);
  KVSound* sound = newSound(name);
  if (sound->handle < 0) warnFailedToLoad("load_sound", name);
  ctx->pushObject(sound);
}

// The Sound's volume is applied before every play; a play restarts it.
void playSoundNative(KVContext* ctx) {
  if (ctx->frame->passed > 0) {
    if (KVSound* s = soundArg(ctx)) {
      if (s->handle >= 0) {
        ZaDod::ChangeSoundMemVolume(s->volume, s->handle);
        ZaDod::PlaySoundMem(s->handle, flagArg(ctx, 1) ? ZaDod::DX_PLAYTYPE_LOOP : ZaDod::DX_PLAYTYPE_BACK, 1);
      }
    } else {
      raiseRuntimeWarning(kWarnWrongArgument);
    }
  }
  ctx->pushUndefined();
}

void stopSoundNative(KVContext* ctx) {
  if (KVSound* s = soundArg(ctx)) {
    if (s->handle >= 0) ZaDod::StopSoundMem(s->handle);
  } else {
    raiseRuntimeWarning(kWarnWrongArgument);
  }
  ctx->pushUndefined();
}

}  // namespace kv
