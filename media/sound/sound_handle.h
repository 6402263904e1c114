// The sound handles' shared records (sound, soft sound, music, stream entries, the
// converter, load settings) and every function the sound files offer one another and
// the rest of the library.
#pragma once
#include <atomic>
#include <cstdint>

#include "media/base/handle.h"
#include "media/base/ring_buffer.h"
#include "media/file/file_access.h"
#include "media/sound/buffer.h"

namespace ZaDod {

constexpr int kMaxSoundBuffers = 10;
constexpr int kMaxStreamEntries = 3;
constexpr int kWrapQueueSize = 64;
constexpr std::int32_t kStreamUnfilled = -800;

enum SoundPlayType { DX_PLAYTYPE_NORMAL = 0, DX_PLAYTYPE_BACK = 1, DX_PLAYTYPE_LOOPBIT = 2, DX_PLAYTYPE_LOOP = 3 };

// ---- Converter ---------------------------------------------------------------------

enum SoundConvertMethod { SOUND_METHODTYPE_NORMAL = 0, SOUND_METHODTYPE_OGG = 1, SOUND_METHODTYPE_OPUS = 2,
                          SOUND_METHODTYPE_ACM = 3, SOUND_METHODTYPE_MEMORY = 4 };

struct SoundConvert {
  int InitializeFlag;
  int EndFlag;
  int Method;
  StreamData Stream;
  std::int32_t HeaderPos;
  std::int32_t HeaderSize;
  std::int32_t DataOffset;
  std::int32_t DataSize;  // clamped at open to what the stream holds
  pa::WAVEFORMATEX OutFormat;
  // WAVE
  void* FloatBuffer;
  std::uint32_t FloatBufferSize;
  pa::WAVEFORMATEX SrcFormat;
  // Output buffer
  std::uint8_t* DestData;
  std::uint32_t DestDataSize;
  std::uint32_t DestDataValidSize;
  std::uint32_t DestDataCompSize;  // read offset
  std::int32_t DestDataCompSizeAll;  // output position
  std::int32_t LoopAheadPos;
  int BytesPerSample;
  int OggVorbisBuild;
  // The Ogg Vorbis, Opus and platform methods' own state (sound_convert_ogg.cpp,
  // sound_convert_acm.cpp); null for the WAVE method.
  void* MethodData;
};

// Disable flags of SetupSoundConvert.
constexpr int SOUNDCONVERT_NO_WAVE = 1, SOUNDCONVERT_NO_OGG = 2, SOUNDCONVERT_NO_OPUS = 4, SOUNDCONVERT_NO_ACM = 8,
              SOUNDCONVERT_NO_ACM_MP3 = 16, SOUNDCONVERT_NO_DSMP3 = 32;

int SetupSoundConvert(SoundConvert* convert, const StreamData* stream, int disableFlags, int bytesPerSample,
                      int oggVorbisBuild);
int CloseSoundConvert(SoundConvert* convert);
int GetSoundConvertFormat(SoundConvert* convert, pa::WAVEFORMATEX* format);
std::int32_t GetSoundConvertDestSize(SoundConvert* convert);
int GetSoundConvertLoopPoints(SoundConvert* convert, std::int32_t* start, std::int32_t* end);
int RunSoundConvert(SoundConvert* convert, void* destination, int bytes);
int SetSoundConvertPosition(SoundConvert* convert, std::int32_t sample);
int SetSoundConvertLoopAheadPosition(SoundConvert* convert, std::int32_t sample);
// The caller frees *data with MemFree.
int SoundConvertToMemory(SoundConvert* convert, pa::WAVEFORMATEX* format, void** data, std::uint32_t* size);
int InitializeSoundConvert();
int TerminateSoundConvert();

// The WAVE method (sound_convert_wave.cpp).
int SetupSoundConvert_WAVE(SoundConvert* convert);  // 0 accepted, -1 refused
int RefillSoundConvert_WAVE(SoundConvert* convert);  // -1 at the end
int SeekSoundConvert_WAVE(SoundConvert* convert, std::int32_t target);
std::int32_t DestSizeSoundConvert_WAVE(SoundConvert* convert);
void CloseSoundConvert_WAVE(SoundConvert* convert);

// ---- Records -----------------------------------------------------------------------

struct StreamSoundEntry {
  std::uint8_t LoopNum;  // 255 loops this entry from its loop start
  int DataType;          // 0 decoded at add time, 2 kept in memory, 3 read from the caller's stream
  void* FileImage;
  std::uint32_t FileImageSize;
  StreamData Stream;
  std::int32_t LoopStartSamplePosition;
  std::int32_t LoopEndSamplePosition;  // -1 end of data
  SoundConvert Convert;
};

// A jump of the data written into the stream buffer, or a run of equal jumps `Period`
// bytes apart (a loop shorter than a refill jumps many times in one refill).
struct StreamWrap {
  std::uint32_t Offset;    // buffer offset of the first byte after the jump
  std::int32_t PosAfter;   // play position that byte stands for
  std::uint32_t Period;    // bytes from one jump of the run to the next
  std::uint32_t Repeats;   // jumps of the run after the first
};

struct LoadSoundSettings {
  int NotInitSoundFlag;  // keep on delete-all
  int Create3DSoundFlag;
  int CreateSoundDataType;
  int EnablePitchRate;
  float PitchRate;
  int EnableTimeStretch;
  float TimeStretchRate;
  std::int32_t LoopStartTime, LoopStartSample, LoopEndTime, LoopEndSample;
  int ConvertOption[3];
};

struct SoundHandleRecord {
  HandleEntryHeader Header;
  HandleListNode List3D;
  int Is3DSound;
  int AddPlayListFlag;
  HandleListNode PlayList;
  int PlayFinishDeleteFlag;
  HandleListNode PlayFinishDeleteList;
  int NotInitSoundFlag;
  int BufferNum;
  int BufferPauseFlag[kMaxSoundBuffers];
  int BufferPlayStateBackupFlag[kMaxSoundBuffers];
  SoundBuffer Buffer[kMaxSoundBuffers];
  pa::WAVEFORMATEX WaveFormat;
  int StreamFlag;
  int PlayType;
  int BufferSourceHandle;
  int BufferUserNum;
  int BufferCurrentUser;
  int DeletePending;
  // Stream
  std::uint32_t StreamBufferSize;
  std::int32_t WritePosition;  // kStreamUnfilled before the first fill
  std::int32_t Threshold;
  StreamSoundEntry Entries[kMaxStreamEntries];
  std::uint8_t OwnsStream[kMaxStreamEntries];
  int EntryCount;
  int CurrentEntry;
  int RepeatCounter;
  std::int32_t CompFileSize;  // bytes read from the current entry
  std::int32_t TotalSample;
  std::int32_t PlayPosition;
  std::uint32_t LastCursor;
  std::uint32_t LastRefillCursor;
  std::uint8_t Active, EndReached, PlayedThrough;
  std::uint32_t EndOffset;
  std::uint32_t EndCursor;
  StreamWrap Wraps[kWrapQueueSize];
  int WrapHead, WrapCount;
  HandleListNode StreamList;
  // Memory sound
  std::uint32_t WaveSize;
  void* WaveData;
  std::int32_t* WaveDataUseCount;
  int CurrentBuffer;
  int ReverbPreset;
  pa::XAUDIO2FX_REVERB_PARAMETERS ReverbParam;
  std::int32_t Volume[8];
  std::int32_t Pan;
  std::int32_t Frequency;
  float Pos3D[3];
  float Radius3D;
  float Velocity3D[3];
  int FrequencyScaleFlag;
  float FrequencyScale;
  std::uint8_t NextVolumeFlag[8], NextPanFlag, NextFrequencyFlag, NextPos3DFlag, NextRadius3DFlag,
      NextVelocity3DFlag;
  std::int32_t NextVolume[8];
  std::int32_t NextPan;
  std::int32_t NextFrequency;
  float NextPos3D[3];
  float NextRadius3D;
  float NextVelocity3D[3];
};

struct SoftSoundHandleRecord {
  HandleEntryHeader Header;
  int IsPlayer;
  pa::WAVEFORMATEX Format;
  std::int32_t SampleNum;
  void* Wave;
  HandleListNode PlayerList;
  // Players: queued wave bytes and the one-second looping buffer they are copied into.
  std::int32_t QueuedSamples;
  RingBuffer Queue;
  int PauseFlag;
  int WasPlaying;
  SoundBuffer Buffer;
  std::uint32_t BufferBytes;
  std::uint32_t WritePosition;
  std::int32_t EndOffset;    // -1 while data lasts
  std::uint32_t EndCursor;   // play cursor noted at the end of data
  int Ended;
  std::uint32_t Lead;        // bytes written ahead of the play cursor
  std::uint32_t LeadLimit;
  int Started;
};

struct MusicHandleRecord {
  HandleEntryHeader Header;
  MusicPlayRecord Play;
  int Volume;
  void* Data;
  int DataSize;
};

struct SoundSystemState {
  std::atomic<int> InitializeFlag;
  int DefaultSampleRate;
  LoadSoundSettings LoadSettings;  // the library-wide defaults
  HandleListNode List3DFirst, List3DLast;
  HandleListNode StreamFirst, StreamLast;
  HandleListNode PlayerFirst, PlayerLast;
  HandleListNode PlayFinishFirst, PlayFinishLast;
  HandleListNode PlayFirst, PlayLast;
  TrackedCriticalSection List3DLock, PlayListLock, StreamListLock;
  std::int16_t SinTable[65536];
  // Thread
  ThreadRecord Thread;
  int HasThread;
  std::atomic<int> ThreadState;  // 0 running, 1 asked to stop, 2 ended
  int VolumeModeFlag;
};
extern SoundSystemState SoundSys;

// ---- Handles (sound_handles.cpp) -------------------------------------------------------
int InitializeSoundSystem();
int TerminateSoundSystem();
int AddSoundHandle(int is3D, int keepOnDeleteAll, int asyncFlag);
int DeleteSoundMem(int handle);
int DeleteSoftSound(int handle);
int DeleteAnyHandle(int handle, int unused = 0);
int SetSoundMemPauseAll(int pause);
int SetSoftSoundPlayersPause(int pause);
int ProcessPlayingSoundList();
int ProcessPlayEndSounds();
int ProcessMusicHandles();
int StopMusic(int handle);
int CheckMusicPlaying(int handle);
int TerminateMusicPlayback();
int SetPlayFinishDeleteSoundMem(int deleteFlag, int handle);
// The live record of a sound handle; null for a bad handle or (without the async flag)
// one still loading.
SoundHandleRecord* GetSoundRecord(int handle, int asyncFlag = 0);
void LockSoundHandles(int line);
void UnlockSoundHandles();
// Holds the sound-handle lock for a scope.
struct SoundHandleLock {
  SoundHandleLock() { LockSoundHandles(__LINE__); }
  ~SoundHandleLock() { UnlockSoundHandles(); }
};

// ---- Thread (sound_thread.cpp) ----------------------------------------------------
int StartSoundThread();
int StopSoundThread();

// ---- Soft sounds (soft_sound.cpp, soft_sound_player.cpp, soft_sound_dsp.cpp) --------
int AddSoftSoundData(int handle, int isPlayer, int channels, int bits, int rate, int isFloat, int samples);
int MakeSoftSoundHandle(int isPlayer, int channels, int bits, int rate, int samples, int isFloat,
                        int formatSourceHandle, int asyncFlag);
int MakeSoftSoundBase(int handle, int isPlayer, int channels, int bits, int rate, int samples, int isFloat,
                      int formatSourceHandle);
int MakeSoftSound(int channels, int bits, int rate, int samples, int isFloat);
int LoadSoftSound(const LoadSoundSettings* settings, const char16_t* fileName, const void* image,
                  std::uint32_t size, int asyncFlag);
int LoadSoftSoundBase(const LoadSoundSettings* settings, int handle, const char16_t* fileName, const void* image,
                      std::uint32_t size);
int GetSoftSoundFormat(int handle, int* channels, int* bits, int* rate, int* isFloat);
int GetSoftSoundSampleCount(int handle);
// The live record of a data soft sound (players: GetSoftSoundPlayer); null otherwise.
SoftSoundHandleRecord* GetSoftSoundData(int handle);
SoftSoundHandleRecord* GetSoftSoundPlayer(int handle);
int ConvertSoftSoundFloatToPcm(int src, int dst);
int ConvertSoftSoundPcmToFloat(int src, int dst);
int CopySoftSoundData(int src, int dst);
int ResampleSoftSound(int src, int dst);
int TimeStretchSoftSound(int src, int dst);
int ApplySoundPitchAndStretch(int soundHandle, const LoadSoundSettings* settings, int softHandle, int bufferNum,
                              int asyncFlag);
int ProcessSoftSoundPlayers();
// The player list, walked under the soft-sound lock (sound_handles.cpp).
void AddSoftSoundPlayerToList(SoftSoundHandleRecord* player);
void ForEachSoftSoundPlayer(void (*f)(SoftSoundHandleRecord* player));

// ---- Loading (sound_load.cpp, sound_load_tag.cpp) ---------------------------------
void InitLoadSoundSettings(LoadSoundSettings* settings);
int LoadSoundMem(const char16_t* fileName, int bufferNum = 3, int sourceHandle = -1);
int LoadSoundMemWithParams(const LoadSoundSettings* settings, const char16_t* fileName, int bufferNum,
                           int sourceHandle, int asyncFlag, int insideJob);
int LoadSoundMemFromFile(const LoadSoundSettings* settings, int handle, const char16_t* path, int bufferNum,
                         int sourceHandle, int asyncFlag);
int LoadSoundMemByMemImageWithParams(const LoadSoundSettings* settings, int makeHandle, int handle,
                                     const void* image, std::uint32_t size, int bufferNum, int sourceHandle,
                                     int queueFlag, int asyncFlag);
int LoadSoundMemByMemImageBase(const LoadSoundSettings* settings, int handle, const void* image,
                               std::uint32_t size, int bufferNum, int sourceHandle, int asyncFlag);
int LoadSoundMemByMemImage(const void* image, std::uint32_t size, int bufferNum = 3);
int LoadWholeFile(const char16_t* fileName, void** image, std::uint32_t* size, int logOpenFailure);
int MakeLoopTagFileName(const char16_t* fileName, char16_t* out, std::size_t outBytes);
int ReadLoopTagFile(const char16_t* fileName, std::int32_t* start, std::int32_t* end);
int MakeTempWaveImage(void** image, std::uint32_t* size, const void* format, int formatSize, const void* data,
                      std::uint32_t dataSize);
int SetupSoundMemBuffers(const pa::WAVEFORMATEX* format, std::uint32_t byteSize, int streamFlag, int count,
                         int handle, int sourceHandle, int asyncFlag);

// ---- Front buffer operations (sound_front.cpp) -------------------------------------
int SoundBufferFront_Initialize(SoundBuffer* buffer, std::uint32_t bytes, const pa::WAVEFORMATEX* format,
                                SoundBuffer* source, int is3D);
int SoundBufferFront_Duplicate(SoundBuffer* buffer, SoundBuffer* source, int is3D);
int SoundBufferFront_Terminate(SoundBuffer* buffer);
int SoundBufferFront_IsPlaying(SoundBuffer* buffer);
int SoundBufferFront_Play(SoundBuffer* buffer, int loop);
int SoundBufferFront_Stop(SoundBuffer* buffer, int reverbRelease);
int SoundBufferFront_GetCurrentPosition(SoundBuffer* buffer, std::uint32_t* play, std::uint32_t* write);
int SoundBufferFront_SetCurrentPosition(SoundBuffer* buffer, std::uint32_t bytes);
int SoundBufferFront_GetFrequency(SoundBuffer* buffer, std::uint32_t* frequency);
int SoundBufferFront_SetFrequency(SoundBuffer* buffer, std::uint32_t frequency);
int SoundBufferFront_GetPan(SoundBuffer* buffer, std::int32_t* pan);
int SoundBufferFront_SetPan(SoundBuffer* buffer, std::int32_t pan);
int SoundBufferFront_GetVolume(SoundBuffer* buffer, int channel, std::int32_t* volume);
int SoundBufferFront_SetVolume(SoundBuffer* buffer, int channel, std::int32_t volume);
int SoundBufferFront_SetVolumeAll(SoundBuffer* buffer, std::int32_t volume);
int SoundBufferFront_RefreshVolume(SoundBuffer* buffer);
int SoundBufferFront_Lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes, void** first,
                          std::uint32_t* firstBytes, void** second, std::uint32_t* secondBytes);
int SoundBufferFront_Unlock(SoundBuffer* buffer, void* first, std::uint32_t firstBytes, void* second,
                            std::uint32_t secondBytes);

// ---- Playback (sound_play.cpp) -----------------------------------------------------
int PlaySoundMem(int handle, int playType, int restartFlag = 1);
int StopSoundMem(int handle);
int CheckSoundMemPlaying(int handle);
int ChangeSoundMemVolume(int volume, int handle);
int SetSoundMemVolumeHundredths(int volume, int handle);
int SetSoundMemPan(int pan, int handle);
int SetSoundMemFrequency(int frequency, int handle);
int GetSoundMemChannelVolume(int channel, int handle);
int GetSoundMemFrequency(int handle);
int GetSoundMemPan(int handle);
int GetSoundMemCurrentPosition(int handle);
int GetSoundMemCurrentTime(int handle);
int GetSoundMemTotalSample(int handle);
int GetSoundMemTotalSampleBase(int handle, int asyncFlag);
int GetSoundMemTotalTime(int handle);
int SetSoundMemCurrentPosition(int samples, int handle);
int SetSoundMemBytePosition(int bytes, int handle);
int SetSoundMemLoopSamplePos(int start, int end, int handle, int asyncFlag = 0);
int SetSoundMemLoopTimePos(int startMs, int endMs, int handle, int asyncFlag = 0);
int SetSoundMemLoopStartTime(int ms, int handle);
int SetSoundMemLoopStartSample(int sample, int handle);
int SetLoopStartSampleBase(int sample, int handle, int asyncFlag);
int SetLoopEndSampleBase(int sample, int handle, int asyncFlag);
int SetLoopStartTimeBase(int ms, int handle, int asyncFlag);
int SetLoopEndTimeBase(int ms, int handle, int asyncFlag);
std::int32_t ConvertSamplesToMs(std::int32_t rate, std::int32_t samples);
std::int32_t ConvertMsToSamples(std::int32_t rate, std::int32_t ms);

// ---- Streams (sound_stream.cpp, sound_stream_refill.cpp) ---------------------------
int AddSreamSound(const LoadSoundSettings* settings, const StreamData* stream, int repeatCount, int handle,
                  int dataKind, int* ownsStream, int sourceHandle, int asyncFlag);
int AddStreamSoundMemToFile(const LoadSoundSettings* settings, const char16_t* fileName, int repeatCount,
                            int handle, int dataKind, int sourceHandle, int asyncFlag);
int AddStreamSoundMemToMem(const LoadSoundSettings* settings, const void* image, std::uint32_t size,
                           int repeatCount, int handle, int dataKind, int sourceHandle, int asyncFlag);
int ProcessStreamSounds();
int ProcessStreamSoundMem(int handle, int asyncFlag);
int UpdateStreamSoundPlayPosition(int handle, std::int64_t cursor, int asyncFlag);
int StartStreamSoundMem(int handle, int asyncFlag);
int PlayStreamSoundMem(int handle, int playType, int restartFlag);
int StopStreamSoundMem(int handle);
int CheckStreamSoundMemPlaying(int handle);
int SetStreamSoundMemBytePosition(int position, int handle, int asyncFlag);
int GetStreamSoundMemCurrentPosition(int handle);
int GetStreamSoundMemCurrentTime(int handle);
int AcquireStreamBuffer(int handle, SoundHandleRecord* record, SoundBuffer** buffer, int takeOver);
int ConvertSoundMemToStream(int handle);
// Frees a stream entry's decoder, image and owned stream.
void ReleaseStreamEntry(SoundHandleRecord* record, int index);
// Levels, pan, frequency and 3D state for the next play, next-play values first.
void ApplySoundPlaySettings(SoundHandleRecord* record, SoundBuffer* buffer);

}  // namespace ZaDod
