// The DirectSound device report written to the media log at output start-up.
#include "media/base/log.h"
#include "media/sound/output.h"

namespace ZaDod {

namespace {

const char16_t* okNo(pa::DWORD flags, pa::DWORD bit) { return (flags & bit) != 0 ? u"OK" : u"NO"; }

plat::win::BOOL logDirectSoundDevice(plat::win::GUID*, const char16_t* description, const char16_t*, void*) {
  LogFormatUtf16(u"DeviceName:%s", description != nullptr ? description : u"");
  return 1;
}

}  // namespace

void LogDirectSoundReport() {
  SoundOutputState& s = SoundOutput;
  if (s.DirectSound == nullptr) return;
  LogIndentIncrease();
  pa::DSCAPS caps{};
  caps.dwSize = sizeof(caps);
  s.DirectSound->GetCaps(&caps);
  LogAddTextUtf16(u"DirectSound デバイスを列挙します\n");
  plat::win::HMODULE module = plat::win::LoadLibraryW(u"DSound.DLL");
  if (module == nullptr) {
    LogAddTextUtf16(u"DSOUND.DLL のロードに失敗しました\n");
    LogIndentDecrease();
    return;
  }
  auto enumerate = reinterpret_cast<decltype(&pa::DirectSoundEnumerateW)>(
      plat::win::GetProcAddress(module, "DirectSoundEnumerateW"));
  if (enumerate == nullptr) {
    LogAddTextUtf16(u"DirectSound デバイスの列挙用関数のポインタ取得に失敗しました\n");
    plat::win::FreeLibrary(module);
    LogIndentDecrease();
    return;
  }
  enumerate(&logDirectSoundDevice, nullptr);
  LogFormatUtf16(u"最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ",
                 caps.dwMaxSecondarySampleRate / 1000.0, caps.dwMinSecondarySampleRate / 1000.0);
  LogFormatUtf16(u"総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB ", caps.dwTotalHwMemBytes / 1024.0,
                 caps.dwFreeHwMemBytes / 1024.0);
  LogAddTextUtf16(u"利用可能サンプリング精度\n");
  LogFormatUtf16(u"  Primary    16bit = %s  8bit = %s ", okNo(caps.dwFlags, pa::DSCAPS_PRIMARY16BIT),
                 okNo(caps.dwFlags, pa::DSCAPS_PRIMARY8BIT));
  LogFormatUtf16(u"  Secondary  16bit = %s  8bit = %s ", okNo(caps.dwFlags, pa::DSCAPS_SECONDARY16BIT),
                 okNo(caps.dwFlags, pa::DSCAPS_SECONDARY8BIT));
  LogAddTextUtf16(u"利用可能チャンネル\n");
  LogFormatUtf16(u"  Primary    MONO = %s   STEREO = %s ", okNo(caps.dwFlags, pa::DSCAPS_PRIMARYMONO),
                 okNo(caps.dwFlags, pa::DSCAPS_PRIMARYSTEREO));
  LogFormatUtf16(u"  Secondary  MONO = %s   STEREO = %s ", okNo(caps.dwFlags, pa::DSCAPS_SECONDARYMONO),
                 okNo(caps.dwFlags, pa::DSCAPS_SECONDARYSTEREO));
  plat::win::FreeLibrary(module);
  LogIndentDecrease();
}

}  // namespace ZaDod
