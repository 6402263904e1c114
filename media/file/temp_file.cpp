// Write-only files: the temporary files of the movie player and the WAVE writer of
// the sound code.
#include <cstring>

#include "media/file/win_file.h"
#include "platform/win/file.h"

namespace ZaDod {

namespace pw = plat::win;

namespace {

constexpr pw::DWORD TempPathUnits = 1536;

}  // namespace

pw::HANDLE CreateTemporaryFile(char16_t* path, std::size_t pathBytes)
{
  char16_t folder[TempPathUnits];
  const pw::DWORD length = pw::GetTempPathW(TempPathUnits, folder);
  if (length == 0 || length >= TempPathUnits) return nullptr;
  char16_t full[TempPathUnits];
  const pw::HANDLE file = pw::CreateUniqueFileW(folder, u"tmp", full, TempPathUnits);
  if (file == pw::INVALID_HANDLE_VALUE) return nullptr;
  if (path) {
    std::size_t units = 0;
    while (full[units]) ++units;
    if ((units + 1) * sizeof(char16_t) > pathBytes) {
      pw::CloseHandle(file);
      pw::DeleteFileW(full);
      return nullptr;
    }
    std::memcpy(path, full, (units + 1) * sizeof(char16_t));
  }
  return file;
}

int WinFile_CloseWrite(pw::HANDLE file) { return pw::CloseHandle(file) ? 0 : -1; }

int WinFile_SetWritePosition(pw::HANDLE file, std::int32_t offset, std::int32_t, int origin)
{
  const pw::DWORD method = origin == 1 ? pw::FILE_CURRENT : origin == 2 ? pw::FILE_END : pw::FILE_BEGIN;
  pw::SetFilePointer(file, offset, nullptr, method);
  return 0;
}

int WinFile_Write(pw::HANDLE file, const void* data, std::size_t size, std::size_t* written)
{
  std::size_t total = 0;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (total < size) {
    const pw::DWORD chunk = size - total > 0x40000000u ? 0x40000000u : static_cast<pw::DWORD>(size - total);
    pw::DWORD done = 0;
    const bool good = pw::WriteFile(file, bytes + total, chunk, &done, nullptr);
    total += done;
    if (!good || done < chunk) break;
  }
  if (written) *written = total;
  return 0;
}

int WriteOnlyFileClose(pw::HANDLE file) { return WinFile_CloseWrite(file); }
int WriteOnlyFileSeek(pw::HANDLE file, std::int32_t offset, std::int32_t highOffset, int origin)
{
  return WinFile_SetWritePosition(file, offset, highOffset, origin);
}
int WriteOnlyFileWrite(pw::HANDLE file, const void* data, std::size_t size, std::size_t* written)
{
  return WinFile_Write(file, data, size, written);
}

}  // namespace ZaDod
