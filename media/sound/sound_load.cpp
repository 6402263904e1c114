// Sound loading: a file or a memory image becomes a memory sound (decoded PCM in up to
// ten buffers) or a stream sound when it is long, has loop points or the load settings
// ask for streaming; file loads can run as asynchronous jobs.
#include <algorithm>
#include <cstring>

#include "media/base/charcode.h"
#include "media/base/log.h"
#include "media/base/memory.h"
#include "media/file/async_job.h"
#include "media/file/async_load.h"
#include "media/sound/sound_handle.h"

namespace ZaDod {

namespace {
bool hasLoopPoints(const LoadSoundSettings* s) {
  return s->LoopStartTime != s->LoopEndTime || s->LoopStartSample != s->LoopEndSample;
}

void applyLoopPoints(const LoadSoundSettings* s, int handle) {
  if (s->LoopStartTime != s->LoopEndTime) {
    SetSoundMemLoopTimePos(s->LoopStartTime, s->LoopEndTime, handle, 1);
  } else if (s->LoopStartSample != s->LoopEndSample) {
    SetSoundMemLoopSamplePos(s->LoopStartSample, s->LoopEndSample, handle, 1);
  }
}

int loadJob(AsyncLoadJob* job) {
  int offset = 0;
  const auto* settings = static_cast<const LoadSoundSettings*>(GetASyncLoadParamStruct(job->Data, &offset));
  const int handle = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  const char16_t* path = GetASyncLoadParamString(job->Data, &offset);
  const int bufferNum = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  const int source = static_cast<int>(GetASyncLoadParamInt(job->Data, &offset));
  const int result = LoadSoundMemFromFile(settings, handle, path, bufferNum, source, 1);
  EndHandleASyncLoadStep(handle, result < 0 ? 1 : 0);
  return 0;
}

int packLoadJob(void* data, int* offset, const LoadSoundSettings* s, int handle, const char16_t* path, int bufferNum,
                int source) {
  const bool packed = AddASyncLoadParamStruct(data, offset, s, sizeof(*s)) == 0 &&
                      AddASyncLoadParamInt(data, offset, handle) == 0 &&
                      AddASyncLoadParamString(data, offset, path) == 0 &&
                      AddASyncLoadParamInt(data, offset, bufferNum) == 0 &&
                      AddASyncLoadParamInt(data, offset, source) == 0;
  return packed ? 0 : -1;
}
}  // namespace

void InitLoadSoundSettings(LoadSoundSettings* settings) {
  if (settings == nullptr) {
    SoundSys.LoadSettings = LoadSoundSettings{};
    SoundSys.LoadSettings.PitchRate = 1.0f;
    SoundSys.LoadSettings.TimeStretchRate = 1.0f;
    SoundSys.LoadSettings.ConvertOption[1] = 2;
    return;
  }
  *settings = SoundSys.LoadSettings;
}

int LoadWholeFile(const char16_t* fileName, void** image, std::uint32_t* size, int logOpenFailure) {
  const FileStream f = FileAccessOpen(fileName, 0, 1, 0);
  if (f == 0) {
    if (logOpenFailure) LogFormatUtf16(u"File Open Error : %s", fileName);
    return -1;
  }
  FileAccessSeek(f, 0, 2);
  const std::int64_t bytes = FileAccessTell(f);
  FileAccessSeek(f, 0, 0);
  void* data = bytes >= 0 && bytes < 0x7FFFFFFF ? MemAlloc(static_cast<std::size_t>(bytes) + 1, __FILE__, __LINE__)
                                                : nullptr;
  if (data == nullptr) {
    LogFormatUtf16(u"File Load : Memory Alloc Error : %s", fileName);
    FileAccessClose(f);
    return -1;
  }
  const std::size_t got = FileAccessRead(data, 1, static_cast<std::size_t>(bytes), f);
  FileAccessClose(f);
  *image = data;
  *size = static_cast<std::uint32_t>(got);
  return 0;
}

int LoadSoundMem(const char16_t* fileName, int bufferNum, int sourceHandle) {
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  return LoadSoundMemWithParams(&s, fileName, bufferNum, sourceHandle, GetUseASyncLoadFlag(), 0);
}

int LoadSoundMemWithParams(const LoadSoundSettings* s, const char16_t* fileName, int bufferNum, int sourceHandle,
                           int asyncFlag, int insideJob) {
  const int handle = AddSoundHandle(s->Create3DSoundFlag, s->NotInitSoundFlag, asyncFlag);
  if (handle == -1) return -1;
  char16_t path[1024];
  if (MakeFullPath(fileName, path, sizeof(path), nullptr) != 0) {
    SubHandle(handle);
    return -1;
  }
  if (asyncFlag && !insideJob) {
    // The handle was made with its first asynchronous step counted; the job, registered
    // with the handle so that deleting the handle first withdraws it, takes that step
    // over, and the handle is ready when the job ends.
    const bool queued = QueueHandleASyncJob(handle, loadJob, [&](void* data, int* offset) {
      return packLoadJob(data, offset, s, handle, path, bufferNum, sourceHandle) == 0;
    });
    DecHandleASyncLoadCount(handle);
    if (queued) return handle;
    SubHandle(handle);
    return -1;
  }
  if (LoadSoundMemFromFile(s, handle, path, bufferNum, sourceHandle, asyncFlag) != 0) {
    SubHandle(handle);
    return -1;
  }
  return handle;
}

int LoadSoundMemFromFile(const LoadSoundSettings* settings, int handle, const char16_t* path, int bufferNum,
                         int sourceHandle, int asyncFlag) {
  if (!IsSoundOutputReady()) return -1;
  LoadSoundSettings s = *settings;
  if (!hasLoopPoints(&s)) {
    char16_t tag[1536];
    std::int32_t start = 0, end = 0;
    MakeLoopTagFileName(path, tag, sizeof(tag));
    if (ReadLoopTagFile(tag, &start, &end) == 0) {
      s.LoopStartSample = start;
      s.LoopEndSample = end;
      if (s.CreateSoundDataType == 0) s.CreateSoundDataType = 2;
    }
  }
  if (s.EnablePitchRate || s.EnableTimeStretch) {
    const int soft = LoadSoftSound(&s, path, nullptr, 0, 0);
    if (soft < 0) {
      LogFormatUtf16(u"Sound File Load Error 2 : %s", path);
      return -1;
    }
    const int result = ApplySoundPitchAndStretch(handle, &s, soft, std::min(bufferNum, kMaxSoundBuffers), asyncFlag);
    DeleteSoftSound(soft);
    if (result < 0) {
      LogFormatUtf16(u"Sound File Setup Error %d : %s", -result, path);
      return -1;
    }
    applyLoopPoints(&s, handle);
    return 0;
  }
  if (s.CreateSoundDataType != 0) {
    if (AddStreamSoundMemToFile(&s, path, 0, handle, s.CreateSoundDataType, sourceHandle, asyncFlag) != 0) return -1;
    StartStreamSoundMem(handle, 1);
    applyLoopPoints(&s, handle);
    return 0;
  }
  void* image = nullptr;
  std::uint32_t size = 0;
  if (LoadWholeFile(path, &image, &size, 1) != 0) {
    LogFormatUtf16(u"Sound File Load Error : %s", path);
    return -1;
  }
  if (asyncFlag) IncHandleASyncLoadCount(handle, -1);
  const int result = LoadSoundMemByMemImageBase(&s, handle, image, size, std::min(bufferNum, kMaxSoundBuffers), -1,
                                                asyncFlag);
  if (asyncFlag) DecHandleASyncLoadCount(handle);
  MemFree(image);
  if (result != 0) {
    LogFormatUtf16(u"Sound File Setup Error : %s", path);
    return -1;
  }
  return 0;
}

int LoadSoundMemByMemImageWithParams(const LoadSoundSettings* s, int makeHandle, int handle, const void* image,
                                     std::uint32_t size, int bufferNum, int sourceHandle, int, int asyncFlag) {
  if (makeHandle) {
    handle = AddSoundHandle(s->Create3DSoundFlag, s->NotInitSoundFlag, asyncFlag);
    if (handle == -1) return -1;
  }
  if (LoadSoundMemByMemImageBase(s, handle, image, size, bufferNum, sourceHandle, asyncFlag) != 0) {
    if (makeHandle) SubHandle(handle);
    return -1;
  }
  return makeHandle ? handle : 0;
}

int LoadSoundMemByMemImage(const void* image, std::uint32_t size, int bufferNum) {
  LoadSoundSettings s;
  InitLoadSoundSettings(&s);
  return LoadSoundMemByMemImageWithParams(&s, 1, -1, image, size, bufferNum, -1, 0, 0);
}

int LoadSoundMemByMemImageBase(const LoadSoundSettings* settings, int handle, const void* image, std::uint32_t size,
                               int bufferNum, int sourceHandle, int asyncFlag) {
  if (bufferNum > kMaxSoundBuffers) return -1;
  if (bufferNum < 1) bufferNum = 1;
  LoadSoundSettings s = *settings;
  if (s.EnablePitchRate || s.EnableTimeStretch) {
    const int soft = LoadSoftSound(&s, nullptr, image, size, 0);
    if (soft < 0) {
      LogAddTextUtf16(u"LoadSoundMemByMemImageBase Error 1");
      return -1;
    }
    const int result = ApplySoundPitchAndStretch(handle, &s, soft, bufferNum, asyncFlag);
    DeleteSoftSound(soft);
    if (result < 0) {
      LogFormatUtf16(u"LoadSoundMemByMemImageBase Error %d", -result);
      return -1;
    }
    applyLoopPoints(&s, handle);
    return 0;
  }
  int dataKind = s.CreateSoundDataType;
  if (dataKind == 0) {
    MemStream* stream = MemStreamOpen(image, size);
    if (stream == nullptr) return -1;
    StreamData data{*GetMemStreamFunctions(), stream};
    SoundConvert convert;
    if (SetupSoundConvert(&convert, &data, 0, 2, 0) != 0) {
      LogAddTextUtf16(u"音声ファイルのＰＣＭへの変換に失敗しました");
      MemStreamClose(stream);
      return -1;
    }
    pa::WAVEFORMATEX format;
    void* pcm = nullptr;
    std::uint32_t pcmSize = 0;
    if (SoundConvertToMemory(&convert, &format, &pcm, &pcmSize) != 0) {
      LogAddTextUtf16(u"音声ファイルを格納するメモリ領域の確保に失敗しました");
      CloseSoundConvert(&convert);
      MemStreamClose(stream);
      return -1;
    }
    // A file that only looked like a known format decodes to nothing: no sound, rather
    // than a silent one that claims a length.
    if (pcmSize < format.nBlockAlign || pcmSize == 0) {
      LogAddTextUtf16(u"音声ファイルのＰＣＭへの変換に失敗しました");
      MemFree(pcm);
      CloseSoundConvert(&convert);
      MemStreamClose(stream);
      return -1;
    }
    std::int32_t loopStart = -1, loopEnd = -1;
    if (!hasLoopPoints(&s)) GetSoundConvertLoopPoints(&convert, &loopStart, &loopEnd);
    CloseSoundConvert(&convert);
    MemStreamClose(stream);
    SoundHandleRecord* r = GetSoundRecord(handle, 1);
    if (r == nullptr) {
      MemFree(pcm);
      return -1;
    }
    if (loopStart >= 0 && loopEnd >= 0) {
      s.LoopStartSample = loopStart;
      s.LoopEndSample = loopEnd;
      dataKind = 2;
    } else if (format.nAvgBytesPerSec == 0 || pcmSize / format.nAvgBytesPerSec > 180 ||
               SetupSoundMemBuffers(&format, pcmSize, 0, bufferNum, handle, -1, asyncFlag) != 0) {
      dataKind = 2;
    }
    if (dataKind != 0) {
      MemFree(pcm);
    } else {
      r->Frequency = static_cast<std::int32_t>(format.nSamplesPerSec);
      r->WaveDataUseCount = static_cast<std::int32_t*>(MemAlloc(sizeof(std::int32_t), __FILE__, __LINE__));
      if (r->WaveDataUseCount == nullptr) {
        LogAddTextUtf16(u"サウンドデータの参照数を保存するメモリ領域の確保に失敗しました");
        MemFree(pcm);
        return -1;
      }
      *r->WaveDataUseCount = 1;
      r->WaveFormat = format;
      r->WaveData = pcm;
      r->WaveSize = pcmSize;
      for (int i = 0; i < r->BufferNum; ++i) {
        void *p1 = nullptr, *p2 = nullptr;
        std::uint32_t n1 = 0, n2 = 0;
        if (SoundBufferFront_Lock(&r->Buffer[i], 0, pcmSize, &p1, &n1, &p2, &n2) != 0) {
          LogAddTextUtf16(u"サウンドデータの転送に失敗しました_1");
          return -1;
        }
        std::memcpy(p1, pcm, n1);
        if (p2 != nullptr) std::memcpy(p2, static_cast<const std::uint8_t*>(pcm) + n1, n2);
        if (SoundBufferFront_Unlock(&r->Buffer[i], p1, n1, p2, n2) != 0) {
          LogAddTextUtf16(u"サウンドデータの転送に失敗しました_2");
          return -1;
        }
      }
      applyLoopPoints(&s, handle);
      return 0;
    }
  }
  if (AddStreamSoundMemToMem(&s, image, size, 0, handle, dataKind, sourceHandle, asyncFlag) != 0) return -1;
  StartStreamSoundMem(handle, 1);
  applyLoopPoints(&s, handle);
  return 0;
}

int SetupSoundMemBuffers(const pa::WAVEFORMATEX* format, std::uint32_t byteSize, int streamFlag, int count, int handle,
                         int sourceHandle, int asyncFlag) {
  SoundHandleRecord* r = GetSoundRecord(handle, asyncFlag);
  if (r == nullptr) return -1;
  SoundHandleRecord* source = nullptr;
  if (sourceHandle != -1) {
    source = GetSoundRecord(sourceHandle, asyncFlag);
    if (source == nullptr || streamFlag || source->StreamFlag) return -1;
    format = &source->WaveFormat;
    byteSize = source->WaveSize;
  }
  // A sound's buffers hold integer PCM of 8 or 16 bits; deeper samples (which soft
  // sounds keep) have no buffer to play from.
  if (format->wFormatTag != pa::WAVE_FORMAT_PCM || (format->wBitsPerSample != 8 && format->wBitsPerSample != 16)) {
    LogFormatUtf16(u"サウンドバッファが扱えない形式です  ビット精度:%dbit", static_cast<int>(format->wBitsPerSample));
    return -1;
  }
  if (streamFlag) {
    if (SoundBufferFront_Initialize(&r->Buffer[0], byteSize, format, nullptr, r->Is3DSound) != 0) {
      LogAddTextUtf16(u"ストリーム風サウンドバッファの作成に失敗しました\n");
      return -1;
    }
    r->BufferNum = 1;
    CriticalSection_Lock(&SoundSys.StreamListLock, __FILE__, __LINE__);
    AddHandleList(&SoundSys.StreamFirst, &r->StreamList, handle, r);
    CriticalSection_Unlock(&SoundSys.StreamListLock);
    r->StreamFlag = 1;
    return 0;
  }
  int made = 0;
  for (int i = 0; i < count; ++i) {
    SoundBuffer* b = &r->Buffer[i];
    int result;
    if (i == 0 && source == nullptr) {
      result = SoundBufferFront_Initialize(b, byteSize, format, nullptr, r->Is3DSound);
    } else {
      result = SoundBufferFront_Duplicate(b, source != nullptr ? &source->Buffer[0] : &r->Buffer[0], r->Is3DSound);
      if (result != 0 && i == 0) result = SoundBufferFront_Initialize(b, byteSize, format, nullptr, r->Is3DSound);
      if (result != 0 && i != 0) break;
    }
    if (result != 0) {
      for (int j = i - 1; j >= 0; --j) SoundBufferFront_Terminate(&r->Buffer[j]);
      LogAddTextUtf16(u"DirectSoundBuffer の作成に失敗しました\n");
      return -1;
    }
    ++made;
  }
  r->BufferNum = made;
  r->StreamFlag = 0;
  return 0;
}

}  // namespace ZaDod
