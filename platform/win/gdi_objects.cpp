// Memory device contexts, DIB sections and fonts as GDI objects: creation, selection,
// deletion and GetObject.
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/win/gdi_internal.h"

namespace plat::win {
namespace {

// Largest section the stand-in makes; bigger requests fail like an exhausted heap.
constexpr uint64_t kMaxSectionBytes = uint64_t(1) << 30;

std::mutex& objectLock() {
  static std::mutex lock;
  return lock;
}

std::unordered_set<GdiObject*>& liveObjects() {
  static std::unordered_set<GdiObject*> objects;
  return objects;
}

// What a fresh memory device context has selected: a 1 x 1 monochrome bitmap that
// cannot be deleted.
DibSection& defaultBitmap() {
  static DibSection bitmap = [] {
    DibSection b;
    b.width = b.height = 1;
    b.bitCount = 1;
    b.pitch = 4;
    b.colorCount = 2;
    b.colors[1] = RGBQUAD{255, 255, 255, 0};
    b.bits.assign(4, 0);
    return b;
  }();
  return bitmap;
}

// What a fresh memory device context has selected as its font: no face, so text
// calls fail until a real font is selected. Deleting it does nothing.
GdiFont& defaultFont() {
  static GdiFont font;
  return font;
}

GdiObject* toObject(HGDIOBJ handle) { return reinterpret_cast<GdiObject*>(handle); }
HGDIOBJ toHandle(GdiObject* object) { return reinterpret_cast<HGDIOBJ>(object); }

GdiObject* findLive(HGDIOBJ handle) {
  GdiObject* object = toObject(handle);
  return liveObjects().count(object) ? object : nullptr;
}

// Swaps the font of a device context; the previous one's handle, null when the object
// is no live font.
HGDIOBJ selectFont(MemoryDc* memory, GdiObject* object) {
  GdiFont* font = nullptr;
  if (object != &defaultFont()) {
    font = dynamic_cast<GdiFont*>(findLive(toHandle(object)));
    if (!font) return nullptr;
  }
  GdiFont* previous = memory->font;
  if (previous) --previous->selections;
  memory->font = font;
  if (font) ++font->selections;
  return toHandle(previous ? previous : &defaultFont());
}

void releaseSelections(MemoryDc* memory) {
  if (memory->selected) memory->selected->selectedInto = nullptr;
  if (memory->font) --memory->font->selections;
}

}  // namespace

HGDIOBJ registerGdiObject(GdiObject* object) {
  std::lock_guard lock(objectLock());
  liveObjects().insert(object);
  return toHandle(object);
}

DibSection* findSection(HGDIOBJ object) {
  std::lock_guard lock(objectLock());
  return dynamic_cast<DibSection*>(findLive(object));
}

MemoryDc* findMemoryDc(HDC dc) {
  std::lock_guard lock(objectLock());
  return dynamic_cast<MemoryDc*>(findLive(dc));
}

HDC CreateCompatibleDC(HDC) { return registerGdiObject(new MemoryDc); }

BOOL DeleteDC(HDC dc) {
  std::lock_guard lock(objectLock());
  auto* memory = dynamic_cast<MemoryDc*>(findLive(dc));
  if (!memory) return FALSE;
  releaseSelections(memory);
  liveObjects().erase(memory);
  delete memory;
  return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  std::lock_guard lock(objectLock());
  auto* memory = dynamic_cast<MemoryDc*>(findLive(dc));
  if (!memory) return nullptr;
  if (toObject(object) == &defaultFont() || dynamic_cast<GdiFont*>(findLive(object)))
    return selectFont(memory, toObject(object));
  DibSection* section = nullptr;
  if (toObject(object) != &defaultBitmap()) {
    section = dynamic_cast<DibSection*>(findLive(object));
    // A bitmap lives in one device context at a time.
    if (!section || (section->selectedInto && section->selectedInto != memory)) return nullptr;
  }
  DibSection* previous = memory->selected;
  if (previous) previous->selectedInto = nullptr;
  memory->selected = section;
  if (section) section->selectedInto = memory;
  return toHandle(previous ? previous : &defaultBitmap());
}

bool deleteDibObject(HGDIOBJ object, BOOL* result) {
  std::lock_guard lock(objectLock());
  if (toObject(object) == &defaultBitmap() || toObject(object) == &defaultFont()) {
    *result = TRUE;  // stock objects ignore deletion
    return true;
  }
  GdiObject* live = findLive(object);
  if (!live) return false;
  if (auto* section = dynamic_cast<DibSection*>(live); section && section->selectedInto) {
    *result = FALSE;
    return true;
  }
  if (auto* font = dynamic_cast<GdiFont*>(live); font && font->selections) {
    *result = FALSE;
    return true;
  }
  if (auto* memory = dynamic_cast<MemoryDc*>(live)) releaseSelections(memory);
  liveObjects().erase(live);
  delete live;
  *result = TRUE;
  return true;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || section || info->bmiHeader.biSize < 40) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int count = h.biBitCount;
  const bool palette = count == 1 || count == 4 || count == 8;
  if (!palette && count != 16 && count != 24 && count != 32) return nullptr;
  if (h.biCompression != BI_RGB && !(h.biCompression == BI_BITFIELDS && (count == 16 || count == 32))) return nullptr;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || (palette && usage != DIB_RGB_COLORS))
    return nullptr;
  const int64_t rows = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  const int64_t pitch = ((int64_t(h.biWidth) * count + 31) / 32) * 4;
  if (uint64_t(pitch * rows) > kMaxSectionBytes) return nullptr;

  auto* dib = new DibSection;
  dib->width = h.biWidth;
  dib->height = int(rows);
  dib->topDown = h.biHeight < 0;
  dib->bitCount = count;
  dib->pitch = int(pitch);
  const auto* bytes = reinterpret_cast<const uint8_t*>(info);
  if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(dib->masks, bytes + 40, sizeof dib->masks);
  } else if (count == 16) {
    dib->masks[0] = 0x7C00, dib->masks[1] = 0x03E0, dib->masks[2] = 0x001F;
  } else if (count == 32) {
    dib->masks[0] = 0xFF0000, dib->masks[1] = 0xFF00, dib->masks[2] = 0xFF;
  }
  if (palette) {
    const int full = 1 << count;
    dib->colorCount = h.biClrUsed && h.biClrUsed < uint32_t(full) ? int(h.biClrUsed) : full;
    std::memcpy(dib->colors, bytes + h.biSize, sizeof(RGBQUAD) * dib->colorCount);
  }
  dib->bits.assign(size_t(pitch * rows), 0);
  if (bits) *bits = dib->bits.data();
  return registerGdiObject(dib);
}

int GetObject(HGDIOBJ object, int size, void* out) {
  DibSection* dib = findSection(object);
  if (!dib || !out || size < int(sizeof(BITMAP))) return 0;
  BITMAP bitmap{};
  bitmap.bmWidth = dib->width;
  bitmap.bmHeight = dib->height;
  bitmap.bmWidthBytes = dib->pitch;
  bitmap.bmPlanes = 1;
  bitmap.bmBitsPixel = WORD(dib->bitCount);
  bitmap.bmBits = dib->bits.data();
  if (size >= int(sizeof(DIBSECTION))) {
    DIBSECTION section{};
    section.dsBm = bitmap;
    section.dsBmih.biSize = sizeof section.dsBmih;
    section.dsBmih.biWidth = dib->width;
    section.dsBmih.biHeight = dib->topDown ? -dib->height : dib->height;
    section.dsBmih.biPlanes = 1;
    section.dsBmih.biBitCount = WORD(dib->bitCount);
    std::memcpy(out, &section, sizeof section);
    return int(sizeof section);
  }
  std::memcpy(out, &bitmap, sizeof bitmap);
  return int(sizeof bitmap);
}

}  // namespace plat::win
