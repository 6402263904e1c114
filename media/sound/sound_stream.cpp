// Stream sounds: adding up to three sources to a handle, the buffer a stream plays
// through (its own or another stream's), starting, playing, stopping, seeking, and
// turning a memory sound into a stream sound.
#include <algorithm>
#include <cstring>

#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {

// Reads a whole stream into one allocation.
int readWholeStream(const StreamData* stream, void** image, std::uint32_t* size) {
  stream->ReadShred.Seek(stream->DataPoint, 0, 2);
  const std::int64_t bytes = stream->ReadShred.Tell(stream->DataPoint);
  stream->ReadShred.Seek(stream->DataPoint, 0, 0);
  void* data = bytes >= 0 && bytes < 0x7FFFFFFF ? MemAlloc(static_cast<std::size_t>(bytes) + 1, __FILE__, __LINE__)
                                                : nullptr;
  if (data == nullptr) {
    LogAddTextUtf16(u"ストリームの読み込みに必要なメモリの確保に失敗しました");
    return -1;
  }
  *size = static_cast<std::uint32_t>(stream->ReadShred.Read(data, 1, static_cast<std::size_t>(bytes), stream->DataPoint));
  *image = data;
  return 0;
}

// Opens a memory stream over the entry's image and the decoder on it.
int openImage(StreamSoundEntry* e, const LoadSoundSettings* s) {
  MemStream* m = MemStreamOpen(e->FileImage, e->FileImageSize);
  if (m == nullptr) return -1;
  e->Stream = StreamData{*GetMemStreamFunctions(), m};
  if (SetupSoundConvert(&e->Convert, &e->Stream, s->ConvertOption[0], 2, s->ConvertOption[2]) != 0) {
    MemStreamClose(m);
    e->Stream.DataPoint = nullptr;
    return -1;
  }
  return 0;
}

void takeLoopPoints(LoadSoundSettings* s, StreamSoundEntry* e) {
  if (s->LoopStartTime != s->LoopEndTime || s->LoopStartSample != s->LoopEndSample) return;
  std::int32_t start, end;
  if (GetSoundConvertLoopPoints(&e->Convert, &start, &end) == 0 && start >= 0 && end >= 0) {
    s->LoopStartSample = start;
    s->LoopEndSample = end;
  }
}

// The buffer size of one second for a format: whole blocks, at least one.
std::uint32_t streamBufferSize(const pa::WAVEFORMATEX& f) {
  const std::uint32_t a = f.nAvgBytesPerSec & 0xFFFFFF;
  const std::uint32_t b = std::max<std::uint32_t>(1, f.nBlockAlign);
  return std::max<std::uint32_t>(b, (a + b - 1) / b * b);
}

void applyPlaySettings(SoundHandleRecord* r, SoundBuffer* b) {
  for (int i = 0; i < 8; ++i) {
    std::int32_t v = r->Volume[i];
    if (r->NextVolumeFlag[i]) v = r->NextVolume[i], r->NextVolumeFlag[i] = 0;
    b->Volume[i] = v;
  }
  std::int32_t pan = r->Pan;
  if (r->NextPanFlag) pan = r->NextPan, r->NextPanFlag = 0;
  SoundBufferFront_SetPan(b, std::clamp(pan, -10000, 10000));
  std::int32_t f = r->Frequency;
  if (r->NextFrequencyFlag) f = r->NextFrequency, r->NextFrequencyFlag = 0;
  if (r->FrequencyScaleFlag && f > 0) f = static_cast<std::int32_t>(static_cast<float>(f) * r->FrequencyScale);
  SoundBufferFront_SetFrequency(b, f > 0 ? static_cast<std::uint32_t>(f) : 0);
  if (r->Is3DSound) {
    SoundBuffer_Set3DPosition(b, r->NextPos3DFlag ? r->NextPos3D : r->Pos3D);
    SoundBuffer_Set3DDistanceScale(b, r->NextRadius3DFlag ? r->NextRadius3D : r->Radius3D);
    SoundBuffer_Set3DVelocity(b, r->NextVelocity3DFlag ? r->NextVelocity3D : r->Velocity3D);
    r->NextPos3DFlag = r->NextRadius3DFlag = r->NextVelocity3DFlag = 0;
    SoundBuffer_Update3D(b);
  }
}
}  // namespace

void ApplySoundPlaySettings(SoundHandleRecord* r, SoundBuffer* b) { applyPlaySettings(r, b); }

void ReleaseStreamEntry(SoundHandleRecord* r, int index) {
  StreamSoundEntry* e = &r->Entries[index];
  if (e->Convert.InitializeFlag) CloseSoundConvert(&e->Convert);
  if (e->FileImage != nullptr) {
    if (e->Stream.DataPoint != nullptr) MemStreamClose(static_cast<MemStream*>(e->Stream.DataPoint));
    MemFree(e->FileImage);
    e->FileImage = nullptr;
  } else if (r->OwnsStream[index] && e->Stream.DataPoint != nullptr) {
    e->Stream.ReadShred.Close(e->Stream.DataPoint);
  }
  e->Stream.DataPoint = nullptr;
  r->OwnsStream[index] = 0;
}

int AddSreamSound(const LoadSoundSettings* settings, const StreamData* stream, int repeatCount, int handle,
                  int dataKind, int* ownsStream, int sourceHandle, int asyncFlag) {
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (r == nullptr) return -1;
  if (r->EntryCount > 0) {
    if (!r->StreamFlag) {
      LogAddTextUtf16(u"ストリーム風サウンドではないサウンドデータが渡されました in AddSreamSound\n");
      return -1;
    }
    SoundBuffer* b = nullptr;
    if (AcquireStreamBuffer(handle, r, &b, 0) == 0 && SoundBufferFront_IsPlaying(b) == 1) {
      LogAddTextUtf16(u"既に再生中のストリームサウンドデータにデータを追加しようとしました\n");
      return -1;
    }
    if (r->EntryCount >= kMaxStreamEntries) {
      LogAddTextUtf16(u"ストリーム風サウンドの制御データ領域がいっぱいです\n");
      return -1;
    }
  }
  const int index = r->EntryCount;
  StreamSoundEntry* e = &r->Entries[index];
  std::memset(static_cast<void*>(e), 0, sizeof(*e));
  e->DataType = dataKind;
  e->LoopEndSamplePosition = -1;
  stream->ReadShred.Seek(stream->DataPoint, 0, 0);
  LoadSoundSettings* s = const_cast<LoadSoundSettings*>(settings);
  int owns = 0;
  if (dataKind == 3) {
    e->Stream = *stream;
    if (SetupSoundConvert(&e->Convert, &e->Stream, s->ConvertOption[0], 2, s->ConvertOption[2]) != 0) {
      LogAddTextUtf16(u"音声データのオープンに失敗しました");
      e->Stream.DataPoint = nullptr;
      return -1;
    }
    takeLoopPoints(s, e);
  } else if (dataKind == 2) {
    if (readWholeStream(stream, &e->FileImage, &e->FileImageSize) != 0) return -1;
    if (openImage(e, s) != 0) {
      MemFree(e->FileImage);
      e->FileImage = nullptr;
      LogAddTextUtf16(u"音声データのオープンに失敗しました");
      return -1;
    }
    takeLoopPoints(s, e);
    owns = 1;
  } else if (dataKind == 0) {
    void* raw = nullptr;
    std::uint32_t rawSize = 0;
    if (readWholeStream(stream, &raw, &rawSize) != 0) return -1;
    MemStream* m = MemStreamOpen(raw, rawSize);
    StreamData data{*GetMemStreamFunctions(), m};
    SoundConvert convert;
    pa::WAVEFORMATEX format;
    void* pcm = nullptr;
    std::uint32_t pcmSize = 0;
    const bool ok = m != nullptr && SetupSoundConvert(&convert, &data, s->ConvertOption[0], 2, s->ConvertOption[2]) == 0;
    const bool converted = ok && SoundConvertToMemory(&convert, &format, &pcm, &pcmSize) == 0;
    if (ok) CloseSoundConvert(&convert);
    if (m != nullptr) MemStreamClose(m);
    MemFree(raw);
    if (!converted) {
      LogAddTextUtf16(u"音声データの変換に失敗しました");
      return -1;
    }
    const int made = MakeTempWaveImage(&e->FileImage, &e->FileImageSize, &format, sizeof(format), pcm, pcmSize);
    MemFree(pcm);
    if (made != 0 || openImage(e, s) != 0) {
      MemFree(e->FileImage);
      e->FileImage = nullptr;
      LogAddTextUtf16(u"音声データのオープンに失敗しました");
      return -1;
    }
    owns = 1;
  } else {
    // No load setting selects raw data: such an entry has nothing to play.
    LogAddTextUtf16(u"音声データのオープンに失敗しました");
    return -1;
  }

  pa::WAVEFORMATEX format;
  GetSoundConvertFormat(&e->Convert, &format);
  if (index == 0) {
    r->WaveFormat = format;
    SoundHandleRecord* source = sourceHandle != -1 ? GetSoundRecord(sourceHandle, asyncFlag) : nullptr;
    if (source != nullptr && source->StreamFlag && source->BufferSourceHandle == -1 &&
        std::memcmp(&source->WaveFormat, &format, sizeof(format)) == 0) {
      r->StreamFlag = 1;
      r->BufferNum = 1;
      CriticalSection_Lock(&SoundSys.StreamListLock, __FILE__, __LINE__);
      AddHandleList(&SoundSys.StreamFirst, &r->StreamList, handle, r);
      CriticalSection_Unlock(&SoundSys.StreamListLock);
      r->BufferSourceHandle = sourceHandle;
      ++source->BufferUserNum;
      r->StreamBufferSize = source->StreamBufferSize;
    } else {
      const std::uint32_t size = streamBufferSize(format);
      if (SetupSoundMemBuffers(&format, size, 1, 1, handle, -1, asyncFlag) != 0) {
        ReleaseStreamEntry(r, index);
        return -1;
      }
      r->BufferSourceHandle = -1;
      r->StreamBufferSize = size;
    }
    r->Frequency = static_cast<std::int32_t>(format.nSamplesPerSec);
    r->BufferUserNum = 0;
    r->BufferCurrentUser = -1;
    r->DeletePending = 0;
  } else if (std::memcmp(&r->WaveFormat, &format, sizeof(format)) != 0) {
    ReleaseStreamEntry(r, index);
    LogAddTextUtf16(u"フォーマットの違う音声データは同時に使うことは出来ません");
    return -1;
  }
  e->LoopNum = static_cast<std::uint8_t>(repeatCount);
  r->OwnsStream[index] = static_cast<std::uint8_t>(owns);
  if (ownsStream != nullptr) *ownsStream = owns;
  ++r->EntryCount;
  r->TotalSample = 0;
  for (int i = 0; i < r->EntryCount; ++i) {
    const std::int32_t bytes = GetSoundConvertDestSize(&r->Entries[i].Convert);
    if (bytes > 0) r->TotalSample += bytes / std::max<int>(1, r->WaveFormat.nBlockAlign);
  }
  return 0;
}

int AddStreamSoundMemToFile(const LoadSoundSettings* s, const char16_t* fileName, int repeatCount, int handle,
                            int dataKind, int sourceHandle, int asyncFlag) {
  const FileStream f = FileAccessOpen(fileName, 0, 1, 0);
  if (f == 0) {
    LogFormatUtf16(u"Sound File Open Error : %s \n", fileName);
    return -1;
  }
  const StreamData stream{*GetFileStreamFunctions(), reinterpret_cast<void*>(f)};
  int owns = 0;
  if (AddSreamSound(s, &stream, repeatCount, handle, dataKind, &owns, sourceHandle, asyncFlag) != 0) {
    FileAccessClose(f);
    LogFormatUtf16(u"Sound File Setup Error : %s \n", fileName);
    return -1;
  }
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (owns) {
    FileAccessClose(f);  // the data was copied
  } else if (r != nullptr) {
    r->OwnsStream[r->EntryCount - 1] = 1;
  }
  return 0;
}

int AddStreamSoundMemToMem(const LoadSoundSettings* s, const void* image, std::uint32_t size, int repeatCount,
                           int handle, int dataKind, int sourceHandle, int asyncFlag) {
  MemStream* m = MemStreamOpen(image, size);
  if (m == nullptr) {
    LogAddTextUtf16(u"ＷＡＶファイルのストリームイメージハンドルの作成に失敗しました \n");
    return -1;
  }
  const StreamData stream{*GetMemStreamFunctions(), m};
  int owns = 0;
  const int result = AddSreamSound(s, &stream, repeatCount, handle, dataKind == 3 ? 2 : dataKind, &owns,
                                   sourceHandle, asyncFlag);
  MemStreamClose(m);  // kinds 0 and 2 copied the data
  if (result != 0) {
    LogAddTextUtf16(u"ＷＡＶファイルのストリームイメージのセットアップに失敗しました \n");
    return -1;
  }
  return 0;
}

int AcquireStreamBuffer(int handle, SoundHandleRecord* r, SoundBuffer** buffer, int takeOver) {
  if (!r->StreamFlag) {
    *buffer = &r->Buffer[0];
    return 0;
  }
  SoundHandleRecord* owner = r;
  if (r->BufferSourceHandle != -1) {
    owner = GetSoundRecord(r->BufferSourceHandle, 1);
    if (owner == nullptr) return -1;
  }
  if (owner->BufferCurrentUser != -1 && owner->BufferCurrentUser != handle) {
    if (!takeOver) return -1;
    const int other = owner->BufferCurrentUser;
    owner->BufferCurrentUser = -1;
    StopStreamSoundMem(other);
  }
  owner->BufferCurrentUser = handle;
  *buffer = &owner->Buffer[0];
  return 0;
}

int StartStreamSoundMem(int handle, int asyncFlag) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (r == nullptr || !r->StreamFlag || r->EntryCount == 0) return -1;
  SoundBuffer* b = nullptr;
  if (AcquireStreamBuffer(handle, r, &b, 0) != 0) return -1;
  if (!asyncFlag && SoundBufferFront_IsPlaying(b) == 1) return -1;
  if (r->Active) return -1;
  SoundBufferFront_SetCurrentPosition(b, 0);
  r->WritePosition = kStreamUnfilled;
  r->Threshold = -1;
  r->LastCursor = 0;
  r->LastRefillCursor = 0;
  r->EndReached = 0;
  StreamSoundEntry* e = &r->Entries[r->CurrentEntry];
  SetSoundConvertPosition(&e->Convert, r->CompFileSize / std::max<int>(1, r->WaveFormat.nBlockAlign));
  r->Active = 1;
  ProcessStreamSoundMem(handle, asyncFlag);
  return 0;
}

int PlayStreamSoundMem(int handle, int playType, int restartFlag) {
  LockSoundHandles(__LINE__);
  SoundHandleRecord* r = GetSoundRecord(handle);
  SoundBuffer* b = nullptr;
  if (r == nullptr || AcquireStreamBuffer(handle, r, &b, 1) != 0) {
    UnlockSoundHandles();
    return -1;
  }
  if (!restartFlag && SoundBufferFront_IsPlaying(b) == 1) {
    UnlockSoundHandles();
    return -1;
  }
  SoundBufferFront_Stop(b, 0);
  if (((playType ^ r->PlayType) & DX_PLAYTYPE_LOOPBIT) != 0 && r->PlayedThrough) {
    r->WrapCount = r->WrapHead = 0;
    r->PlayedThrough = 0;
    r->CompFileSize = r->PlayPosition = r->RepeatCounter = r->CurrentEntry = 0;
    r->Active = 0;
  }
  if (restartFlag) {
    r->PlayedThrough = 0;
    if (r->PlayPosition != 0) {
      r->CompFileSize = r->PlayPosition = r->RepeatCounter = r->CurrentEntry = 0;
      r->WrapCount = r->WrapHead = 0;
      r->Active = 0;
    }
  }
  r->PlayType = playType;
  StartStreamSoundMem(handle, 0);
  applyPlaySettings(r, b);
  const int played = SoundBufferFront_Play(b, 1);
  if (played == 0 && r->Is3DSound && !r->AddPlayListFlag) {
    CriticalSection_Lock(&SoundSys.PlayListLock, __FILE__, __LINE__);
    AddHandleList(&SoundSys.PlayFirst, &r->PlayList, handle, r);
    r->AddPlayListFlag = 1;
    CriticalSection_Unlock(&SoundSys.PlayListLock);
  }
  UnlockSoundHandles();
  return played == 0 ? 0 : -1;
}

int StopStreamSoundMem(int handle) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle, 1);
  if (r == nullptr) return -1;
  UpdateStreamSoundPlayPosition(handle, -1, 1);
  SoundBuffer* b = nullptr;
  if (AcquireStreamBuffer(handle, r, &b, 0) != 0) return 0;
  if (r->BufferSourceHandle != -1) {
    SoundHandleRecord* source = GetSoundRecord(r->BufferSourceHandle, 1);
    if (source != nullptr) source->BufferCurrentUser = -1;
  }
  const int playing = SoundBufferFront_IsPlaying(b);
  if (playing < 0) return -1;
  if (playing) {
    SoundBufferFront_Stop(b, 1);
    r->BufferPauseFlag[0] = 0;
    r->BufferPlayStateBackupFlag[0] = 0;
  }
  return 0;
}

int CheckStreamSoundMemPlaying(int handle) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr) return -1;
  SoundBuffer* b = nullptr;
  if (AcquireStreamBuffer(handle, r, &b, 0) != 0) return 0;
  SoundHandleRecord* owner = r->BufferSourceHandle != -1 ? GetSoundRecord(r->BufferSourceHandle, 1) : r;
  if (owner != nullptr && owner->BufferPauseFlag[0]) return owner->BufferPlayStateBackupFlag[0];
  return SoundBufferFront_IsPlaying(b) == 1 ? 1 : 0;
}

int SetStreamSoundMemBytePosition(int position, int handle, int asyncFlag) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (r == nullptr || position < 0 || r->EntryCount >= 2) return -1;
  if (position / std::max<int>(1, r->WaveFormat.nBlockAlign) > r->TotalSample) return -1;
  r->RepeatCounter = 0;
  r->WrapCount = r->WrapHead = 0;
  r->CurrentEntry = 0;
  r->Active = 0;
  r->EndReached = 0;
  r->PlayPosition = r->CompFileSize = position;
  return 0;
}

int GetStreamSoundMemCurrentPosition(int handle) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr) return -1;
  UpdateStreamSoundPlayPosition(handle, -1, 0);
  return r->PlayPosition;
}

int GetStreamSoundMemCurrentTime(int handle) {
  SoundHandleLock lock;
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr || r->WaveFormat.nSamplesPerSec == 0) return -1;
  UpdateStreamSoundPlayPosition(handle, -1, 0);
  const std::int64_t samples = r->PlayPosition / std::max<int>(1, r->WaveFormat.nBlockAlign);
  const std::int64_t ms = samples * 1000 / r->WaveFormat.nSamplesPerSec;
  const std::int64_t total = static_cast<std::int64_t>(r->TotalSample) * 1000 / r->WaveFormat.nSamplesPerSec;
  return static_cast<int>(std::min(ms, total));
}

int ConvertSoundMemToStream(int handle) {
  SoundHandleRecord* r = GetSoundRecord(handle);
  if (r == nullptr) return -1;
  if (r->StreamFlag) return 0;
  void* image = nullptr;
  std::uint32_t size = 0;
  if (MakeTempWaveImage(&image, &size, &r->WaveFormat, sizeof(r->WaveFormat), r->WaveData, r->WaveSize) != 0) {
    return -1;
  }
  const int volume = GetSoundMemChannelVolume(0, handle);
  const int pan = GetSoundMemPan(handle);
  const int frequency = r->Frequency;
  const int position = GetSoundMemCurrentPosition(handle);
  StopSoundMem(handle);
  SubHandle(handle);
  const int again = AddHandle(HANDLETYPE_SOUND, 0, handle);
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  s.CreateSoundDataType = 0;
  const int added = again == handle ? AddStreamSoundMemToMem(&s, image, size, 0, handle, 0, -1, 0) : -1;
  MemFree(image);
  if (added != 0) {
    LogAddTextUtf16(u"ストリームサウンドハンドルの作成に失敗しました\n");
    if (again != -1) SubHandle(again);
    return -1;
  }
  SetSoundMemVolumeHundredths(volume, handle);
  SetSoundMemBytePosition(position, handle);
  SetSoundMemFrequency(frequency, handle);
  SetSoundMemPan(pan, handle);
  return 0;
}

}  // namespace ZaDod
