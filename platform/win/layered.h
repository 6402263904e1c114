// Layered-window stand-in: UpdateLayeredWindow presents the 32-bit section selected
// into the source device context, over black where it is transparent.
#pragma once
#include "platform/win/gdi.h"
#include "platform/win/win_window.h"

namespace plat::win {

struct BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
};

inline constexpr DWORD ULW_COLORKEY = 0x1, ULW_ALPHA = 0x2;
inline constexpr BYTE AC_SRC_OVER = 0, AC_SRC_ALPHA = 1;

BOOL UpdateLayeredWindow(HWND hwnd, HDC destination, POINT* destinationPoint, SIZE* size, HDC source,
                         POINT* sourcePoint, COLORREF key, BLENDFUNCTION* blend, DWORD flags);

}  // namespace plat::win
