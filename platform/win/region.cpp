// Region stand-in: rectangle-set arithmetic and the window shape it gives.
#include "platform/win/region.h"

#include <algorithm>

#include "platform/win/window_internal.h"

namespace plat::win {

struct RegionObject : GdiTag {
  RegionObject() : GdiTag{Kind::Region, 0, false, nullptr, 0} {}
  std::vector<RECT> rects;
};

namespace {

bool empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// a minus b, as up to four rectangles.
void subtract(const RECT& a, const RECT& b, std::vector<RECT>* out) {
  RECT cut{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (empty(cut)) return out->push_back(a);
  if (a.top < cut.top) out->push_back(RECT{a.left, a.top, a.right, cut.top});
  if (cut.bottom < a.bottom) out->push_back(RECT{a.left, cut.bottom, a.right, a.bottom});
  if (a.left < cut.left) out->push_back(RECT{a.left, cut.top, cut.left, cut.bottom});
  if (cut.right < a.right) out->push_back(RECT{cut.right, cut.top, a.right, cut.bottom});
}

std::vector<RECT> minus(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<RECT> now = a;
  for (const RECT& r : b) {
    std::vector<RECT> next;
    for (const RECT& piece : now) subtract(piece, r, &next);
    now.swap(next);
  }
  return now;
}

std::vector<RECT> intersect(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<RECT> out;
  for (const RECT& x : a)
    for (const RECT& y : b) {
      RECT c{std::max(x.left, y.left), std::max(x.top, y.top), std::min(x.right, y.right),
             std::min(x.bottom, y.bottom)};
      if (!empty(c)) out.push_back(c);
    }
  return out;
}

int kindOf(const std::vector<RECT>& rects) {
  return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RegionObject* regionOf(HRGN r) {
  return r && r->kind == GdiTag::Kind::Region ? static_cast<RegionObject*>(r) : nullptr;
}
bool isRegion(HRGN r) { return regionOf(r) != nullptr; }

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* region = new RegionObject;
  RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  if (!empty(r)) region->rects.push_back(r);
  return region;
}

int CombineRgn(HRGN destination, HRGN first, HRGN second, int mode) {
  RegionObject *to = regionOf(destination), *a = regionOf(first), *b = regionOf(second);
  if (!to || !a) return REGION_ERROR;
  if (mode == RGN_COPY) {
    to->rects = a->rects;
    return kindOf(to->rects);
  }
  if (!b) return REGION_ERROR;
  std::vector<RECT> result;
  switch (mode) {
    case RGN_OR:
      result = a->rects;
      for (const RECT& r : minus(b->rects, a->rects)) result.push_back(r);
      break;
    case RGN_DIFF: result = minus(a->rects, b->rects); break;
    case RGN_AND: result = intersect(a->rects, b->rects); break;
    default: return REGION_ERROR;
  }
  to->rects = std::move(result);
  return kindOf(to->rects);
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w || (region && !isRegion(region))) return 0;
  w->hasRegion = region != nullptr;
  w->region = region ? regionOf(region)->rects : std::vector<RECT>{};
  deleteRegion(region);
  return 1;
}

void deleteRegion(GdiTag* region) { delete regionOf(region); }

bool GetWindowRegionRects(HWND hwnd, std::vector<RECT>* rects) {
  std::lock_guard lock(windowLock());
  Window* w = findWindow(hwnd);
  if (!w) return false;
  *rects = w->region;
  return true;
}

}  // namespace plat::win
