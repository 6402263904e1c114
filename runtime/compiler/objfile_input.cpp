// Reading an object file in sequence through the file layer.
#include "runtime/compiler/objfile_input.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/base/charcode.h"
#include "runtime/compiler/objfile_format.h"
#include "runtime/vm/errors.h"

namespace kv::objfile {

void corrupt(int32_t detail) { throw ObjfileError{1, detail}; }

Input::Input(const char* name) {
  const int page = ZaDod::GetDefaultNarrowCodePage();
  const int needed = ZaDod::ConvertString(name, page, nullptr, 0x7FFFFFFF, ZaDod::CodePageUtf16LE);
  if (needed <= 0) return;
  std::vector<char16_t> wide(static_cast<size_t>(needed) / sizeof(char16_t) + 1, 0);
  ZaDod::ConvertString(name, page, wide.data(), wide.size() * sizeof(char16_t), ZaDod::CodePageUtf16LE);
  stream_ = ZaDod::FileAccessOpen(wide.data(), 0, 0, 0);
}

Input::~Input() {
  if (stream_) ZaDod::FileAccessClose(stream_);
}

void Input::beginSection(int64_t length) {
  limited_ = true;
  left_ = length;
}

void Input::endSection() {
  if (left_ != 0) corrupt(4);
  limited_ = false;
}

bool Input::fill() {
  at_ = 0;
  end_ = ZaDod::FileAccessRead(buffer_, 1, sizeof buffer_, stream_);
  if (end_ > sizeof buffer_) end_ = 0;
  return end_ > 0;
}

void Input::bytes(void* to, size_t n, int32_t detail) {
  if (limited_) {
    if (static_cast<int64_t>(n) > left_) corrupt(4);
    left_ -= static_cast<int64_t>(n);
  }
  consumed_ += static_cast<int64_t>(n);
  auto* out = static_cast<uint8_t*>(to);
  while (n > 0) {
    if (at_ == end_ && !fill()) corrupt(detail);
    size_t part = std::min(n, end_ - at_);
    std::memcpy(out, buffer_ + at_, part);
    at_ += part;
    out += part;
    n -= part;
  }
}

uint8_t Input::u8(int32_t detail) {
  uint8_t b;
  bytes(&b, 1, detail);
  return b;
}

uint16_t Input::u16(int32_t detail) {
  uint8_t b[2];
  bytes(b, 2, detail);
  return getU16(b);
}

uint32_t Input::u32(int32_t detail) {
  uint8_t b[4];
  bytes(b, 4, detail);
  return getU32(b);
}

std::string Input::text(size_t limit, int32_t detail) {
  std::string s;
  for (;;) {
    char c = static_cast<char>(u8(detail));
    if (c == 0) return s;
    if (s.size() == limit) corrupt(17);
    s.push_back(c);
  }
}

}  // namespace kv::objfile
