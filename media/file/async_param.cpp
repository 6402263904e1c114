// Parameter blocks of asynchronous jobs. Every item starts on an 8-byte boundary with
// an 8-byte head whose first 16 bits hold the item's length as the loaders count it
// (2 + the data bytes), so that pointers handed back to readers are aligned.
#include <cstring>

#include "media/file/async_load.h"

namespace ZaDod {

namespace {

constexpr int kAlign = 8;
constexpr int kHead = 8;
constexpr int kLengthLimit = 0xFFFF;

int aligned(int offset) { return (offset + kAlign - 1) & ~(kAlign - 1); }

unsigned char* at(void* buffer, int offset) { return static_cast<unsigned char*>(buffer) + offset; }

// Writes (or with a null buffer only measures) one item of dataSize bytes.
int addItem(void* buffer, int* offset, const void* data, int dataSize) {
  int length = dataSize + 2;
  if (dataSize < 0 || length > kLengthLimit) return -1;
  int start = aligned(*offset);
  if (buffer != nullptr) {
    uint16_t field = static_cast<uint16_t>(length);
    std::memset(at(buffer, start), 0, kHead);
    std::memcpy(at(buffer, start), &field, sizeof(field));
    if (dataSize > 0) std::memcpy(at(buffer, start + kHead), data, dataSize);
  }
  *offset = aligned(start + kHead + dataSize);
  return 0;
}

// The item's data and its size; advances the offset past it.
unsigned char* getItem(void* buffer, int* offset, int* dataSize) {
  int start = aligned(*offset);
  uint16_t field = 0;
  std::memcpy(&field, at(buffer, start), sizeof(field));
  *dataSize = field - 2;
  *offset = aligned(start + kHead + *dataSize);
  return at(buffer, start + kHead);
}

}  // namespace

int AddASyncLoadParamInt(void* buffer, int* offset, intptr_t value) {
  int start = aligned(*offset);
  if (buffer != nullptr) std::memcpy(at(buffer, start), &value, sizeof(value));
  *offset = start + static_cast<int>(sizeof(value));
  return 0;
}

int AddASyncLoadParamString(void* buffer, int* offset, const char16_t* string) {
  if (string == nullptr) return addItem(buffer, offset, nullptr, 0);
  size_t units = 0;
  while (string[units] != u'\0') ++units;
  size_t bytes = (units + 1) * sizeof(char16_t);
  if (bytes + 2 > kLengthLimit) return -1;
  return addItem(buffer, offset, string, static_cast<int>(bytes));
}

int AddASyncLoadParamStruct(void* buffer, int* offset, const void* data, int size) {
  if (data == nullptr && size > 0) return -1;
  return addItem(buffer, offset, data, size);
}

intptr_t GetASyncLoadParamInt(void* buffer, int* offset) {
  int start = aligned(*offset);
  intptr_t value = 0;
  std::memcpy(&value, at(buffer, start), sizeof(value));
  *offset = start + static_cast<int>(sizeof(value));
  return value;
}

char16_t* GetASyncLoadParamString(void* buffer, int* offset) {
  int size = 0;
  unsigned char* data = getItem(buffer, offset, &size);
  return size == 0 ? nullptr : reinterpret_cast<char16_t*>(data);
}

void* GetASyncLoadParamStruct(void* buffer, int* offset) {
  int size = 0;
  return getItem(buffer, offset, &size);
}

}  // namespace ZaDod
