// The converter's Ogg Vorbis and Opus methods: the converter's stream behind the
// libraries' callbacks, the Vorbis loop comments, and 8- or 16-bit output.
#include <opusfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "media/base/memory.h"
#include "media/sound/sound_convert_methods.h"

namespace ZaDod {

namespace {

struct VorbisState {
  int OpenFlag;
  OggVorbis_File File;
  std::int32_t LoopStart, LoopEnd;
  int SampleWidth;
};

struct OpusState {
  int OpenFlag;
  OggOpusFile* File;
  int FrameBytes;
};

StreamData* streamOf(void* data) { return static_cast<StreamData*>(data); }

std::size_t vorbisRead(void* buffer, std::size_t size, std::size_t count, void* data) {
  if (data == nullptr) return static_cast<std::size_t>(-1);
  StreamData* s = streamOf(data);
  return s->ReadShred.Read(buffer, size, count, s->DataPoint);
}
int streamSeek(void* data, ogg_int64_t offset, int origin) {
  if (data == nullptr) return -1;
  StreamData* s = streamOf(data);
  return s->ReadShred.Seek(s->DataPoint, offset, origin) < 0 ? -1 : 0;
}
int streamClose(void* data) { return data == nullptr ? -1 : 0; }
long vorbisTell(void* data) {
  if (data == nullptr) return -1;
  StreamData* s = streamOf(data);
  return static_cast<long>(s->ReadShred.Tell(s->DataPoint));
}
int opusRead(void* data, unsigned char* buffer, int bytes) {
  if (data == nullptr || bytes < 0) return -1;
  StreamData* s = streamOf(data);
  return static_cast<int>(s->ReadShred.Read(buffer, 1, static_cast<std::size_t>(bytes), s->DataPoint));
}
opus_int64 opusTell(void* data) {
  if (data == nullptr) return -1;
  StreamData* s = streamOf(data);
  return s->ReadShred.Tell(s->DataPoint);
}

const ov_callbacks kVorbisCallbacks = {vorbisRead, streamSeek, streamClose, vorbisTell};

// "LOOPSTART=" and "LOOPLENGTH=" comments; later ones override earlier ones.
void readLoopComments(VorbisState* v) {
  std::int64_t start = -1, length = -1;
  vorbis_comment* vc = ov_comment(&v->File, -1);
  for (int i = 0; vc != nullptr && i < vc->comments; ++i) {
    const char* text = vc->user_comments[i];
    if (text == nullptr || vc->comment_lengths[i] < 0) continue;
    if (std::strncmp(text, "LOOPSTART=", 10) == 0) start = std::strtoll(text + 10, nullptr, 10);
    if (std::strncmp(text, "LOOPLENGTH=", 11) == 0) length = std::strtoll(text + 11, nullptr, 10);
  }
  if (start < 0 || length < 1 || start > 0x7FFFFFFF || start + length > 0x7FFFFFFF) {
    v->LoopStart = v->LoopEnd = -1;
    return;
  }
  v->LoopStart = static_cast<std::int32_t>(start);
  v->LoopEnd = static_cast<std::int32_t>(start + length);
}

// The library builds a link's decoder only when it first decodes from it, and a
// codebook it cannot build (a damaged Huffman tree) fails that first build but is
// left half made, so the next attempt, after a seek, decodes with it and divides by
// zero. Building each link's decoder once here, before anything has decoded, lets a
// damaged file be refused at load.
bool linkDecodersBuild(OggVorbis_File* file) {
  const int links = file->seekable ? file->links : 1;
  for (int i = 0; i < links; ++i) {
    vorbis_dsp_state decoder;
    if (vorbis_synthesis_init(&decoder, ov_info(file, i)) != 0) return false;
    vorbis_dsp_clear(&decoder);
  }
  return true;
}

void setPcmFormat(SoundConvert* c, int channels, std::uint32_t rate, int width) {
  pa::WAVEFORMATEX& f = c->OutFormat;
  f = {};
  f.wFormatTag = pa::WAVE_FORMAT_PCM;
  f.nChannels = static_cast<std::uint16_t>(channels);
  f.nSamplesPerSec = rate;
  f.wBitsPerSample = static_cast<std::uint16_t>(8 * width);
  f.nBlockAlign = static_cast<std::uint16_t>(channels * width);
  f.nAvgBytesPerSec = f.nBlockAlign * rate;
  c->DestDataSize = 4096;
}

// After a library's PCM seek (result 0 on success): the output position is the
// sample's and the buffer is empty.
int movedTo(SoundConvert* c, std::int32_t sample, int seekResult) {
  if (seekResult != 0) return -1;
  const std::int64_t at = static_cast<std::int64_t>(sample) * c->OutFormat.nBlockAlign;
  c->DestDataCompSizeAll = static_cast<std::int32_t>(std::min<std::int64_t>(at, 0x7FFFFFFF));
  c->DestDataValidSize = 0;
  c->DestDataCompSize = 0;
  return 0;
}

}  // namespace

int SetupSoundConvert_OGG(SoundConvert* c) {
  auto* v = new (std::nothrow) VorbisState{};
  if (v == nullptr) return -1;
  v->SampleWidth = c->BytesPerSample == 1 ? 1 : 2;
  int r;
  if (c->OggVorbisBuild != 0) {
    r = ov_test_callbacks(&c->Stream, &v->File, nullptr, 0, kVorbisCallbacks);
    if (r == 0 && ov_test_open(&v->File) != 0) {
      ov_clear(&v->File);
      r = -1;
    }
  } else {
    r = ov_open_callbacks(&c->Stream, &v->File, nullptr, 0, kVorbisCallbacks);
  }
  if (r != 0) {
    delete v;
    return -1;
  }
  v->OpenFlag = 1;
  // Links of another channel count or rate would play as noise: refuse the file.
  const vorbis_info* first = ov_info(&v->File, 0);
  const long links = ov_streams(&v->File);
  const ogg_int64_t total = ov_pcm_total(&v->File, -1);
  bool ok = first != nullptr && first->channels >= 1 && first->channels <= 8 && first->rate > 0 && total >= 0;
  for (long i = 1; ok && i < links; ++i) {
    const vorbis_info* info = ov_info(&v->File, static_cast<int>(i));
    ok = info != nullptr && info->channels == first->channels && info->rate == first->rate;
  }
  const std::int64_t bytes = ok ? total * v->SampleWidth * first->channels : 0;
  if (!ok || bytes > 0x7FFFFFFF || !linkDecodersBuild(&v->File)) {
    ov_clear(&v->File);
    delete v;
    return -1;
  }
  // Opening a chained file, or one whose first audio page is damaged, leaves the library
  // reading from a later link or the end, while the converter counts from sample 0: back
  // to the first byte, so that every link plays and a damaged page loses only itself.
  if (ov_pcm_tell(&v->File) != 0) ov_raw_seek(&v->File, 0);
  readLoopComments(v);
  setPcmFormat(c, first->channels, static_cast<std::uint32_t>(first->rate), v->SampleWidth);
  c->DataSize = static_cast<std::int32_t>(bytes);
  c->MethodData = v;
  c->Method = SOUND_METHODTYPE_OGG;
  return 0;
}

int RefillSoundConvert_OGG(SoundConvert* c) {
  auto* v = static_cast<VorbisState*>(c->MethodData);
  for (;;) {
    int link = 0;
    const long r = ov_read(&v->File, reinterpret_cast<char*>(c->DestData), static_cast<int>(c->DestDataSize), 0,
                           v->SampleWidth, v->SampleWidth == 2 ? 1 : 0, &link);
    // A hole in the data is skipped; any other failure ends it.
    if (r == OV_HOLE) continue;
    if (r <= 0) return -1;
    c->DestDataValidSize = static_cast<std::uint32_t>(r);
    return 0;
  }
}

int SeekSoundConvert_OGG(SoundConvert* c, std::int32_t sample) {
  auto* v = static_cast<VorbisState*>(c->MethodData);
  return movedTo(c, sample, ov_pcm_seek(&v->File, sample));
}

int GetLoopPointsSoundConvert_OGG(SoundConvert* c, std::int32_t* start, std::int32_t* end) {
  auto* v = static_cast<VorbisState*>(c->MethodData);
  if (v->LoopStart < 0 || v->LoopEnd < 0) return -1;
  *start = v->LoopStart;
  *end = v->LoopEnd;
  return 0;
}

void CloseSoundConvert_OGG(SoundConvert* c) {
  auto* v = static_cast<VorbisState*>(c->MethodData);
  if (v == nullptr) return;
  if (v->OpenFlag) ov_clear(&v->File);
  delete v;
  c->MethodData = nullptr;
}

int SetupSoundConvert_OPUS(SoundConvert* c) {
  const OpusFileCallbacks callbacks = {opusRead, streamSeek, opusTell, streamClose};
  int error = 0;
  OggOpusFile* file = op_open_callbacks(&c->Stream, &callbacks, nullptr, 0, &error);
  if (file == nullptr) return -1;
  const OpusHead* head = op_head(file, -1);
  const int links = op_link_count(file);
  const ogg_int64_t total = op_pcm_total(file, -1);
  bool ok = head != nullptr && head->channel_count >= 1 && head->channel_count <= 8 && total >= 0;
  for (int i = 0; ok && i < links; ++i) {
    const OpusHead* h = op_head(file, i);
    ok = h != nullptr && h->channel_count == head->channel_count;
  }
  const std::int64_t bytes = ok ? total * head->channel_count * 2 : 0;
  if (!ok || bytes > 0x7FFFFFFF) {
    op_free(file);
    return -1;
  }
  auto* o = new (std::nothrow) OpusState{1, file, head->channel_count * 2};
  if (o == nullptr) {
    op_free(file);
    return -1;
  }
  setPcmFormat(c, head->channel_count, 48000, 2);
  c->DataSize = static_cast<std::int32_t>(bytes);
  c->MethodData = o;
  c->Method = SOUND_METHODTYPE_OPUS;
  return 0;
}

int RefillSoundConvert_OPUS(SoundConvert* c) {
  auto* o = static_cast<OpusState*>(c->MethodData);
  const int values = static_cast<int>(c->DestDataSize / o->FrameBytes) * (o->FrameBytes / 2);
  for (;;) {
    const int r = op_read(o->File, reinterpret_cast<opus_int16*>(c->DestData), values, nullptr);
    if (r == OP_HOLE) continue;
    if (r < 1) return -1;
    c->DestDataValidSize = static_cast<std::uint32_t>(r * o->FrameBytes);
    return 0;
  }
}

int SeekSoundConvert_OPUS(SoundConvert* c, std::int32_t sample) {
  auto* o = static_cast<OpusState*>(c->MethodData);
  return movedTo(c, sample, op_pcm_seek(o->File, sample));
}

void CloseSoundConvert_OPUS(SoundConvert* c) {
  auto* o = static_cast<OpusState*>(c->MethodData);
  if (o == nullptr) return;
  if (o->OpenFlag) op_free(o->File);
  delete o;
  c->MethodData = nullptr;
}

}  // namespace ZaDod
