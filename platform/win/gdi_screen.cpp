// The screen device context and DeleteObject, until the window stand-in provides
// window device contexts and its own GDI objects (its DeleteObject then hands DIB
// objects to deleteDibObject).
#include "platform/win/gdi.h"

namespace plat::win {
namespace {
struct ScreenDc {
} screenDc;
}  // namespace

HDC GetDC(HWND) { return reinterpret_cast<HDC>(&screenDc); }
int ReleaseDC(HWND, HDC dc) { return dc == reinterpret_cast<HDC>(&screenDc) ? 1 : 0; }

BOOL DeleteObject(HGDIOBJ object)
{
    BOOL result = FALSE;
    deleteDibObject(object, &result);
    return result;
}

}  // namespace plat::win
