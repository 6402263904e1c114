// Sound, soft-sound and music handles: the sound system's start and end, handle
// creation and deletion, pause-all on activation and the per-tick list walks.
#include <cmath>
#include <cstring>
#include <new>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

SoundSystemState SoundSys;

namespace {

TrackedCriticalSection& soundLock() { return HandleManageArray[HANDLETYPE_SOUND].CriticalSection; }
TrackedCriticalSection& softLock() { return HandleManageArray[HANDLETYPE_SOFTSOUND].CriticalSection; }

struct ListLock {
  explicit ListLock(TrackedCriticalSection* l) : lock(l) { CriticalSection_Lock(lock, __FILE__, __LINE__); }
  ~ListLock() { CriticalSection_Unlock(lock); }
  TrackedCriticalSection* lock;
};

int initSoundRecord(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<SoundHandleRecord*>(header);
  for (SoundBuffer& b : r->Buffer) SoundBuffer_Initialize(&b);
  r->ReverbPreset = 0;
  if (IsSoundOutputReady()) GetReverbPresetParam(&r->ReverbParam, 0);
  r->Radius3D = 14.0f;
  r->BufferSourceHandle = -1;
  r->BufferCurrentUser = -1;
  r->EntryCount = 0;
  return 0;
}

int terminateSoundRecord(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<SoundHandleRecord*>(header);
  const int handle = header->Handle;
  if (r->StreamFlag) {
    StopStreamSoundMem(handle);
  } else if (r->Buffer[0].Valid) {
    StopSoundMem(handle);
  }
  if (r->Is3DSound) {
    ListLock l(&SoundSys.List3DLock);
    SubHandleList(&r->List3D);
  }
  if (r->AddPlayListFlag) {
    ListLock l(&SoundSys.PlayListLock);
    SubHandleList(&r->PlayList);
    r->AddPlayListFlag = 0;
  }
  if (r->PlayFinishDeleteFlag) {
    SubHandleList(&r->PlayFinishDeleteList);
    r->PlayFinishDeleteFlag = 0;
  }
  if (!r->StreamFlag) {
    for (SoundBuffer& b : r->Buffer) SoundBufferFront_Terminate(&b);
    if (r->WaveDataUseCount != nullptr && --*r->WaveDataUseCount == 0) {
      MemFree(r->WaveData);
      MemFree(r->WaveDataUseCount);
    }
    r->WaveData = nullptr;
    r->WaveDataUseCount = nullptr;
    return 0;
  }
  if (r->BufferSourceHandle != -1) {
    SoundHandleRecord* source = GetSoundRecord(r->BufferSourceHandle, 1);
    r->BufferSourceHandle = -1;
    if (source != nullptr) {
      if (source->BufferCurrentUser == handle) source->BufferCurrentUser = -1;
      --source->BufferUserNum;
      if (source->DeletePending && source->BufferUserNum <= 0) SubHandle(source->Header.Handle);
    }
  }
  if (r->BufferUserNum > 0) {
    r->DeletePending = 1;
    return 1;
  }
  {
    ListLock l(&SoundSys.StreamListLock);
    if (r->StreamList.Next != nullptr) SubHandleList(&r->StreamList);
    r->StreamList.Next = nullptr;
  }
  for (int i = 0; i < r->EntryCount; ++i) ReleaseStreamEntry(r, i);
  r->EntryCount = 0;
  SoundBufferFront_Terminate(&r->Buffer[0]);
  return 0;
}

int terminateSoftSoundRecord(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<SoftSoundHandleRecord*>(header);
  MemFree(r->Wave);
  r->Wave = nullptr;
  if (r->IsPlayer) {
    CriticalSection_Lock(&softLock(), __FILE__, __LINE__);
    if (r->PlayerList.Next != nullptr) SubHandleList(&r->PlayerList);
    r->PlayerList.Next = nullptr;
    CriticalSection_Unlock(&softLock());
    SoundBufferFront_Terminate(&r->Buffer);
    RingBufferTerminate(&r->Queue);
  }
  return 0;
}

int initMusicRecord(HandleEntryHeader* header) {
  reinterpret_cast<MusicHandleRecord*>(header)->Volume = 255;
  return 0;
}

int terminateMusicRecord(HandleEntryHeader* header) {
  auto* r = reinterpret_cast<MusicHandleRecord*>(header);
  if (r->Play.PlayFlag) StopMusic(header->Handle);
  ReleaseMusicSegment(&r->Play);
  if (r->Data != nullptr) std::memset(r->Data, 0, static_cast<std::size_t>(r->DataSize));
  MemFree(r->Data);
  r->Data = nullptr;
  return 0;
}

int keepFilter(HandleEntryHeader* header) { return reinterpret_cast<SoundHandleRecord*>(header)->NotInitSoundFlag; }
int softDataFilter(HandleEntryHeader* header) { return reinterpret_cast<SoftSoundHandleRecord*>(header)->IsPlayer; }
int softPlayerFilter(HandleEntryHeader* header) {
  return !reinterpret_cast<SoftSoundHandleRecord*>(header)->IsPlayer;
}

void deleteAllSounds() {
  SubAllHandle(HANDLETYPE_SOUND, keepFilter);
  SubAllHandle(HANDLETYPE_SOFTSOUND, softDataFilter);
  SubAllHandle(HANDLETYPE_SOFTSOUND, softPlayerFilter);
}

void releaseTypesAndLocks() {
  TerminateHandleManage(HANDLETYPE_SOUND);
  TerminateHandleManage(HANDLETYPE_SOFTSOUND);
  TerminateHandleManage(HANDLETYPE_MUSIC);
  CriticalSection_Delete(&SoundSys.List3DLock);
  CriticalSection_Delete(&SoundSys.PlayListLock);
  CriticalSection_Delete(&SoundSys.StreamListLock);
}

// Walks a list from its first node; the callback may unlink the node it is given.
template <typename F>
void forEachNode(HandleListNode* first, F f) {
  for (HandleListNode* n = first->Next; n != nullptr && n->Next != nullptr;) {
    HandleListNode* next = n->Next;
    if (!f(n)) return;
    n = next;
  }
}

}  // namespace

void LockSoundHandles(int line) { CriticalSection_Lock(&soundLock(), __FILE__, line); }
void UnlockSoundHandles() { CriticalSection_Unlock(&soundLock()); }

SoundHandleRecord* GetSoundRecord(int handle, int asyncFlag) {
  if (!SoundSys.InitializeFlag.load()) return nullptr;
  HandleEntryHeader* h = GetHandleInfo(handle);
  if (h == nullptr || (handle & HANDLE_TYPE_MASK) != HANDLETYPE_SOUND << HANDLE_TYPE_SHIFT) return nullptr;
  if (!asyncFlag && HandleASyncLoadCount(h) != 0) return nullptr;
  return reinterpret_cast<SoundHandleRecord*>(h);
}

int InitializeSoundSystem() {
  if (SoundSys.InitializeFlag.load()) return -1;
  if (SoundSys.DefaultSampleRate == 0) SoundSys.DefaultSampleRate = 44100;
  InitializeHandleManage(HANDLETYPE_SOUND, sizeof(SoundHandleRecord), 32768, initSoundRecord, terminateSoundRecord,
                         u"Sound");
  InitializeHandleManage(HANDLETYPE_SOFTSOUND, sizeof(SoftSoundHandleRecord), 8192, nullptr,
                         terminateSoftSoundRecord, u"SoftSound");
  InitializeHandleManage(HANDLETYPE_MUSIC, sizeof(MusicHandleRecord), 256, initMusicRecord, terminateMusicRecord,
                         u"Music");
  CriticalSection_Initialize(&SoundSys.List3DLock);
  CriticalSection_Initialize(&SoundSys.PlayListLock);
  CriticalSection_Initialize(&SoundSys.StreamListLock);
  InitializeHandleList(&SoundSys.List3DFirst, &SoundSys.List3DLast);
  InitializeHandleList(&SoundSys.StreamFirst, &SoundSys.StreamLast);
  InitializeHandleList(&SoundSys.PlayerFirst, &SoundSys.PlayerLast);
  InitializeHandleList(&SoundSys.PlayFinishFirst, &SoundSys.PlayFinishLast);
  InitializeHandleList(&SoundSys.PlayFirst, &SoundSys.PlayLast);
  for (int i = 0; i < 65536; ++i) {
    const float angle = static_cast<float>(i) * 3.1415927f * 2.0f * 1.5258789e-5f;
    SoundSys.SinTable[i] = static_cast<std::int16_t>(static_cast<int>(std::sin(angle) * 16384.0f));
  }
  if (InitializeSoundOutput() != 0) {
    releaseTypesAndLocks();
    return -1;
  }
  SetSoundListenerDefaults();
  InitLoadSoundSettings(nullptr);
  SoundSys.InitializeFlag.store(1);
  deleteAllSounds();
  return StartSoundThread() < 0 ? -1 : 0;
}

int TerminateSoundSystem() {
  if (!SoundSys.InitializeFlag.load()) return -1;
  if (StopSoundThread() < 0) return -1;
  deleteAllSounds();
  SubAllHandle(HANDLETYPE_MUSIC);
  releaseTypesAndLocks();
  const int closed = TerminateSoundOutput();
  SoundSys.InitializeFlag.store(0);
  return closed < 0 ? -1 : 0;
}

int AddSoundHandle(int is3D, int keepOnDeleteAll, int asyncFlag) {
  const int handle = AddHandle(HANDLETYPE_SOUND, asyncFlag, -1);
  if (handle == -1) return -1;
  auto* r = reinterpret_cast<SoundHandleRecord*>(GetHandleInfo(handle));
  r->Is3DSound = is3D;
  r->NotInitSoundFlag = keepOnDeleteAll;
  if (is3D) {
    ListLock l(&SoundSys.List3DLock);
    AddHandleList(&SoundSys.List3DFirst, &r->List3D, handle, r);
  }
  return handle;
}

int DeleteSoundMem(int handle) {
  if (GetSoundRecord(handle, 1) == nullptr) return -1;
  return SubHandle(handle);
}

int DeleteSoftSound(int handle) {
  if ((handle & HANDLE_TYPE_MASK) != HANDLETYPE_SOFTSOUND << HANDLE_TYPE_SHIFT || GetHandleInfo(handle) == nullptr) {
    return -1;
  }
  return SubHandle(handle);
}

int DeleteAnyHandle(int handle, int) { return SubHandle(handle); }

int SetPlayFinishDeleteSoundMem(int deleteFlag, int handle) {
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr) return -1;
  if ((deleteFlag != 0) == (r->PlayFinishDeleteFlag != 0)) return 0;
  if (deleteFlag) {
    AddHandleList(&SoundSys.PlayFinishFirst, &r->PlayFinishDeleteList, handle, r);
  } else {
    SubHandleList(&r->PlayFinishDeleteList);
  }
  r->PlayFinishDeleteFlag = deleteFlag != 0;
  return 0;
}

int SetSoundMemPauseAll(int pause) {
  if (!SoundSys.InitializeFlag.load()) return -1;
  HandleTypeManager& m = HandleManageArray[HANDLETYPE_SOUND];
  LockSoundHandles(__LINE__);
  for (int i = m.AreaMin; m.Num > 0 && i <= m.AreaMax; ++i) {
    auto* r = reinterpret_cast<SoundHandleRecord*>(m.Handle[i]);
    if (r == nullptr) continue;
    for (int j = 0; j < kMaxSoundBuffers; ++j) {
      SoundBuffer* b = &r->Buffer[j];
      if (!b->Valid) continue;
      if (pause) {
        if (r->BufferPauseFlag[j]) continue;
        const int playing = SoundBufferFront_IsPlaying(b);
        if (playing < 0) continue;
        r->BufferPauseFlag[j] = 1;
        r->BufferPlayStateBackupFlag[j] = playing;
        if (playing) SoundBufferFront_Stop(b, 0);
      } else {
        if (r->BufferPauseFlag[j] && r->BufferPlayStateBackupFlag[j]) SoundBufferFront_Play(b, b->Loop.load());
        r->BufferPauseFlag[j] = 0;
      }
    }
  }
  UnlockSoundHandles();
  return 0;
}

void AddSoftSoundPlayerToList(SoftSoundHandleRecord* r) {
  ListLock l(&softLock());
  AddHandleList(&SoundSys.PlayerFirst, &r->PlayerList, r->Header.Handle, r);
}

void ForEachSoftSoundPlayer(void (*f)(SoftSoundHandleRecord* player)) {
  ListLock l(&softLock());
  forEachNode(&SoundSys.PlayerFirst, [f](HandleListNode* n) {
    f(static_cast<SoftSoundHandleRecord*>(n->Data));
    return true;
  });
}

int SetSoftSoundPlayersPause(int pause) {
  if (!SoundSys.InitializeFlag.load()) return -1;
  ForEachSoftSoundPlayer(pause ? +[](SoftSoundHandleRecord* r) {
    if (r->PauseFlag) return;
    const int playing = SoundBufferFront_IsPlaying(&r->Buffer);
    r->WasPlaying = playing > 0;
    if (playing > 0) SoundBufferFront_Stop(&r->Buffer, 0);
    r->PauseFlag = 1;
  } : +[](SoftSoundHandleRecord* r) {
    if (r->PauseFlag && r->WasPlaying) SoundBufferFront_Play(&r->Buffer, 1);
    r->PauseFlag = 0;
  });
  return 0;
}

int ProcessPlayingSoundList() {
  if (!SoundSys.InitializeFlag.load()) return -1;
  ListLock l(&SoundSys.PlayListLock);
  forEachNode(&SoundSys.PlayFirst, [](HandleListNode* n) {
    auto* r = static_cast<SoundHandleRecord*>(n->Data);
    for (int i = 0; i < r->BufferNum; ++i) {
      if (r->Buffer[i].Valid && SoundBuffer_CheckReverbIdle(&r->Buffer[i]) == 0) return true;
    }
    SubHandleList(n);
    r->AddPlayListFlag = 0;
    return true;
  });
  return 0;
}

int ProcessPlayEndSounds() {
  if (!SoundSys.InitializeFlag.load()) return -1;
  for (bool again = true; again;) {
    again = false;
    LockSoundHandles(__LINE__);
    int ended = -1;
    forEachNode(&SoundSys.PlayFinishFirst, [&](HandleListNode* n) {
      auto* r = static_cast<SoundHandleRecord*>(n->Data);
      if (HandleASyncLoadCount(&r->Header) != 0) return true;
      bool done = true;
      if (r->StreamFlag) {
        done = CheckStreamSoundMemPlaying(n->Handle) == 0;
      } else {
        for (int i = 0; i < r->BufferNum && done; ++i) {
          SoundBuffer* b = &r->Buffer[i];
          if (!b->Valid) {
            done = false;
          } else if (r->BufferPauseFlag[i]) {
            done = r->BufferPlayStateBackupFlag[i] == 0;  // the other voices still count
          } else if (SoundBufferFront_IsPlaying(b) != 0) {
            done = false;
          }
        }
      }
      if (!done) return true;
      ended = n->Handle;
      return false;
    });
    UnlockSoundHandles();
    if (ended != -1) {
      SubHandle(ended);
      again = true;
    }
  }
  return 0;
}

int ProcessMusicHandles() {
  HandleTypeManager& m = HandleManageArray[HANDLETYPE_MUSIC];
  if (!m.InitializeFlag) return 0;
  for (int i = m.AreaMin; m.Num > 0 && i <= m.AreaMax; ++i) {
    auto* r = reinterpret_cast<MusicHandleRecord*>(m.Handle[i]);
    if (r == nullptr || !r->Play.PlayFlag) continue;
    if (RefreshMusicPlayState(&r->Play) < 0) return -1;
  }
  return 0;
}

int StopMusic(int handle) {
  if ((handle & HANDLE_TYPE_MASK) != HANDLETYPE_MUSIC << HANDLE_TYPE_SHIFT) return -1;
  auto* r = reinterpret_cast<MusicHandleRecord*>(GetHandleInfo(handle));
  if (r == nullptr) return -1;
  SoundOutput.MciPlaying = 0;
  if (StopMusicPlayback(&r->Play) < 0) return -1;
  r->Play.PlayFlag = 0;
  r->Play.StartedFlag = 0;
  return 0;
}

int CheckMusicPlaying(int handle) {
  if ((handle & HANDLE_TYPE_MASK) != HANDLETYPE_MUSIC << HANDLE_TYPE_SHIFT) return -1;
  auto* r = reinterpret_cast<MusicHandleRecord*>(GetHandleInfo(handle));
  return r == nullptr ? -1 : GetMusicPlayState(&r->Play);
}

// Stops whatever MIDI music plays through the output (none exists here in practice).
int TerminateMusicPlayback() {
  if (SoundOutput.CurrentMusicHandle != -1 && SoundOutput.CurrentMusicHandle != 0) {
    StopMusic(SoundOutput.CurrentMusicHandle);
  }
  return 0;
}

}  // namespace ZaDod
