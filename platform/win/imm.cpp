// Input-method stand-in: composition records per window, their message queue from
// text-editing events, and the imm32 functions the media layer calls.
#include "platform/win/imm.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace plat::win {

struct ImeContextTag {};

namespace {

struct Composition {
  bool composing = false;
  std::u16string text, result;
  int cursor = 0;
  std::vector<DWORD> clauses;
  std::vector<BYTE> attributes;
};

struct Record : ImeContextTag {
  bool open = false;
  Composition now;
  std::deque<Composition> pending;  // one per queued IME message, in queue order
  std::vector<std::u16string> candidates;
};

std::mutex imeLock;
std::map<HWND, std::unique_ptr<Record>> records;

Record& recordOf(HWND hwnd) {
  auto& r = records[hwnd];
  if (!r) r = std::make_unique<Record>();
  return *r;
}

Record* fromContext(HIMC context) { return static_cast<Record*>(context); }

Composition composing() {
  Composition c;
  c.composing = true;
  return c;
}

const Composition& latest(const Record& r) { return r.pending.empty() ? r.now : r.pending.back(); }

// Copies a vector's bytes; with no buffer, reports the size.
template <typename T>
LONG copyOut(const T* data, size_t count, void* buffer, DWORD bytes) {
  size_t size = count * sizeof(T);
  if (!buffer || bytes == 0) return static_cast<LONG>(size);
  size = std::min<size_t>(size, bytes);
  if (size) std::memcpy(buffer, data, size);
  return static_cast<LONG>(size);
}

}  // namespace

std::vector<ImeMessage> imeEditing(HWND hwnd, const std::u16string& composition, int cursor) {
  std::lock_guard lock(imeLock);
  Record& r = recordOf(hwnd);
  std::vector<ImeMessage> out;
  Composition c = latest(r);
  c.result.clear();
  if (composition.empty()) {
    if (!c.composing) return out;
    c = composing();
    r.pending.push_back(c);
    out.push_back({WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS | GCS_COMPCLAUSE | GCS_COMPATTR});
    r.pending.push_back(Composition{});
    out.push_back({WM_IME_ENDCOMPOSITION, 0, 0});
    return out;
  }
  if (!c.composing) {
    r.pending.push_back(composing());
    out.push_back({WM_IME_STARTCOMPOSITION, 0, 0});
  }
  c.composing = true;
  c.text = composition;
  c.cursor = std::clamp(cursor, 0, static_cast<int>(composition.size()));
  c.clauses = {0, static_cast<DWORD>(composition.size())};
  c.attributes.assign(composition.size(), ATTR_INPUT);
  r.pending.push_back(c);
  out.push_back({WM_IME_COMPOSITION, composition.back(), GCS_COMPSTR | GCS_CURSORPOS | GCS_COMPCLAUSE | GCS_COMPATTR});
  return out;
}

std::vector<ImeMessage> imeCommit(HWND hwnd, const std::u16string& text) {
  std::lock_guard lock(imeLock);
  std::vector<ImeMessage> out;
  auto it = records.find(hwnd);
  if (it == records.end() || !latest(*it->second).composing) return out;
  Record& r = *it->second;
  Composition c = composing();
  c.result = text;
  r.pending.push_back(c);
  out.push_back({WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_COMPSTR | GCS_CURSORPOS});
  r.pending.push_back(Composition{});
  out.push_back({WM_IME_ENDCOMPOSITION, 0, 0});
  return out;
}

void imeSetCandidates(HWND hwnd, const std::vector<std::u16string>& candidates) {
  std::lock_guard lock(imeLock);
  recordOf(hwnd).candidates = candidates;
}

void imeBeforeDispatch(const MSG& msg) {
  if (msg.message != WM_IME_STARTCOMPOSITION && msg.message != WM_IME_ENDCOMPOSITION &&
      msg.message != WM_IME_COMPOSITION)
    return;
  std::lock_guard lock(imeLock);
  auto it = records.find(msg.hwnd);
  if (it == records.end() || it->second->pending.empty()) return;
  it->second->now = std::move(it->second->pending.front());
  it->second->pending.pop_front();
}

void imeForget(HWND hwnd) {
  std::lock_guard lock(imeLock);
  records.erase(hwnd);
}

HIMC ImmGetContext(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  std::lock_guard lock(imeLock);
  return &recordOf(hwnd);
}

BOOL ImmReleaseContext(HWND, HIMC context) { return context != nullptr; }

BOOL ImmGetOpenStatus(HIMC context) {
  std::lock_guard lock(imeLock);
  return context && fromContext(context)->open ? 1 : 0;
}

BOOL ImmSetOpenStatus(HIMC context, BOOL open) {
  if (!context) return 0;
  std::lock_guard lock(imeLock);
  fromContext(context)->open = open != 0;
  return 1;
}

BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence) {
  if (!context) return 0;
  if (conversion) *conversion = 0;
  if (sentence) *sentence = 0;
  return 1;
}

BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD) {
  if (!context || action != NI_COMPOSITIONSTR) return 0;
  std::lock_guard lock(imeLock);
  Composition& c = fromContext(context)->now;
  if (index == CPS_COMPLETE) c.result = c.text;
  else if (index != CPS_CANCEL) return 0;
  c.text.clear();
  c.cursor = 0;
  c.clauses.clear();
  c.attributes.clear();
  return 1;
}

LONG ImmGetCompositionStringW(HIMC context, DWORD index, void* buffer, DWORD bytes) {
  if (!context) return 0;
  std::lock_guard lock(imeLock);
  const Composition& c = fromContext(context)->now;
  switch (index) {
    case GCS_COMPSTR: return copyOut(c.text.data(), c.text.size(), buffer, bytes);
    case GCS_RESULTSTR: return copyOut(c.result.data(), c.result.size(), buffer, bytes);
    case GCS_CURSORPOS: return c.cursor;
    case GCS_COMPCLAUSE: return copyOut(c.clauses.data(), c.clauses.size(), buffer, bytes);
    case GCS_COMPATTR: return copyOut(c.attributes.data(), c.attributes.size(), buffer, bytes);
    default: return 0;
  }
}

BOOL ImmSetCompositionStringW(HIMC context, DWORD index, void* composition, DWORD compositionBytes, void*, DWORD) {
  if (!context) return 0;
  std::lock_guard lock(imeLock);
  Composition& c = fromContext(context)->now;
  switch (index) {
    case SCS_SETSTR:
      c.text.assign(static_cast<const char16_t*>(composition), composition ? compositionBytes / 2 : 0);
      c.cursor = static_cast<int>(c.text.size());
      c.clauses = {0, static_cast<DWORD>(c.text.size())};
      c.attributes.assign(c.text.size(), ATTR_INPUT);
      c.composing = !c.text.empty();
      return 1;
    // This input method reconverts the whole text it is offered.
    case SCS_QUERYRECONVERTSTRING:
      if (!composition || compositionBytes < sizeof(RECONVERTSTRING)) return 0;
      static_cast<RECONVERTSTRING*>(composition)->dwCompStrOffset = 0;
      static_cast<RECONVERTSTRING*>(composition)->dwCompStrLen = static_cast<RECONVERTSTRING*>(composition)->dwStrLen;
      return 1;
    case SCS_SETRECONVERTSTRING: return composition != nullptr && compositionBytes >= sizeof(RECONVERTSTRING);
    default: return 0;
  }
}

DWORD ImmGetCandidateListW(HIMC context, DWORD, CANDIDATELIST* list, DWORD bytes) {
  if (!context) return 0;
  std::lock_guard lock(imeLock);
  const auto& items = fromContext(context)->candidates;
  if (items.empty()) return 0;
  size_t head = offsetof(CANDIDATELIST, dwOffset) + items.size() * sizeof(DWORD);
  size_t size = head;
  for (const auto& s : items) size += (s.size() + 1) * sizeof(char16_t);
  if (!list || bytes == 0) return static_cast<DWORD>(size);
  if (bytes < size) return 0;
  auto* base = reinterpret_cast<BYTE*>(list);
  list->dwSize = static_cast<DWORD>(size);
  list->dwStyle = 1;
  list->dwCount = static_cast<DWORD>(items.size());
  list->dwSelection = 0;
  list->dwPageStart = 0;
  list->dwPageSize = static_cast<DWORD>(std::min<size_t>(items.size(), 9));
  size_t at = head;
  for (size_t i = 0; i < items.size(); ++i) {
    DWORD offset = static_cast<DWORD>(at);
    std::memcpy(base + offsetof(CANDIDATELIST, dwOffset) + i * sizeof(DWORD), &offset, sizeof offset);
    std::memcpy(base + at, items[i].c_str(), (items[i].size() + 1) * sizeof(char16_t));
    at += (items[i].size() + 1) * sizeof(char16_t);
  }
  return static_cast<DWORD>(size);
}

DWORD ImmGetCandidateListCountW(HIMC context, DWORD* listCount) {
  if (listCount) *listCount = 0;
  if (!context) return 0;
  DWORD size = ImmGetCandidateListW(context, 0, nullptr, 0);
  if (listCount && size) *listCount = 1;
  return size;
}

}  // namespace plat::win
