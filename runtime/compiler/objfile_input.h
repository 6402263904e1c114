// Sequential reading of an object file through the file layer, with the
// checks every field shares: a short read fails with the field's detail, and
// a section never reads past the length it declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "media/file/file_access.h"

namespace kv::objfile {

[[noreturn]] void corrupt(int32_t detail);

class Input {
 public:
  // Opens name (in the narrow code page) through the file layer; open() is
  // false when it cannot be opened.
  explicit Input(const char* name);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  bool open() const { return stream_ != 0; }

  // Limits the reads that follow to length bytes, until endSection().
  void beginSection(int64_t length);
  // Detail 4 unless the section's bytes were read exactly.
  void endSection();

  // n bytes, or ObjfileError {1, detail}; detail 4 when they reach past the
  // section's declared end.
  void bytes(void* to, size_t n, int32_t detail);
  uint8_t u8(int32_t detail);
  uint16_t u16(int32_t detail);
  uint32_t u32(int32_t detail);
  // A C string of at most limit characters (detail 17 when longer); a short
  // read is the given detail.
  std::string text(size_t limit, int32_t detail);
  // Bytes read so far.
  int64_t consumed() const { return consumed_; }

 private:
  bool fill();

  ZaDod::FileStream stream_ = 0;
  uint8_t buffer_[4096];
  size_t at_ = 0;
  size_t end_ = 0;
  bool limited_ = false;
  int64_t left_ = 0;
  int64_t consumed_ = 0;
};

}  // namespace kv::objfile
