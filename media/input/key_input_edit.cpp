// Editing of the active key-input string: cursor and selection moves, clipboard
// commands and the insertion rules with their length limits.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "media/base/charcode.h"
#include "media/base/memory.h"
#include "media/input/input.h"
#include "media/input/key_input.h"
#include "media/input/key_input_state.h"
#include "media/system/window.h"

namespace ZaDod {

namespace {

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool shiftDown() { return CheckKeyDown(0x2A) || CheckKeyDown(0x36); }
bool controlDown() { return CheckKeyDown(0x1D) || CheckKeyDown(0x9D); }

int unitsBefore(const KeyInputRecord& r, int pos) {
  return pos >= 2 && isLow(r.Text[pos - 1]) && isHigh(r.Text[pos - 2]) ? 2 : 1;
}

int unitsAt(const KeyInputRecord& r, int pos) {
  return pos + 1 < r.Length && isHigh(r.Text[pos]) && isLow(r.Text[pos + 1]) ? 2 : 1;
}

void removeUnits(KeyInputRecord& r, int at, int count) {
  std::memmove(r.Text + at, r.Text + at + count, (r.Length - at - count) * sizeof(char16_t));
  r.Length -= count;
  r.Text[r.Length] = 0;
}

int lineStart(const KeyInputRecord& r, int pos) {
  while (pos > 0 && r.Text[pos - 1] != 0x0A) --pos;
  return pos;
}

int lineEnd(const KeyInputRecord& r, int pos) {
  while (pos < r.Length && r.Text[pos] != 0x0A) ++pos;
  return pos;
}

int charactersBetween(const KeyInputRecord& r, int from, int to) {
  int n = 0;
  for (int i = from; i < to; i += unitsAt(r, i)) ++n;
  return n;
}

// The position column characters into the line at start, or the line's end.
int columnIn(const KeyInputRecord& r, int start, int column) {
  int end = lineEnd(r, start), pos = start;
  for (int i = 0; i < column && pos < end; ++i) pos += unitsAt(r, pos);
  return pos;
}

void moveCursor(KeyInputRecord& r, int to, bool shift) {
  if (shift) {
    if (r.SelectStart == -1) r.SelectStart = r.Cursor;
    r.SelectEnd = to;
  } else {
    r.SelectStart = r.SelectEnd = -1;
  }
  r.Cursor = to;
}

void copySelection(const KeyInputRecord& r) {
  if (r.SelectStart == -1) return;
  int lo = std::min(r.SelectStart, r.SelectEnd), hi = std::max(r.SelectStart, r.SelectEnd);
  std::u16string text(r.Text + lo, r.Text + hi);
  SetClipboardText(text.c_str());
}

// Pasted text goes through the ring like typed text. Only line breaks survive of the
// control characters, and only in multi-line inputs (a CR LF pair is one break): a
// pasted control code must never run as an editing command.
void paste(const KeyInputRecord& r) {
  int size = GetClipboardText(nullptr);
  if (size <= 1) return;
  std::vector<char16_t> text(size / 2 + 2, 0);
  if (GetClipboardText(text.data()) != 0) return;
  for (size_t i = 0; i < text.size() && text[i]; ++i) {
    char16_t c = text[i];
    if (c == 0x0D || c == 0x0A) {
      if (!r.MultiLine) continue;
      if (c == 0x0D && text[i + 1] == 0x0A) ++i;
      PushInputChar(0x0D);
    } else if (c >= 0x20) {
      PushInputChar(c);
    }
  }
}

void insert(KeyInputRecord& r, const char16_t* c, int units) {
  DeleteKeyInputSelection(r);
  if (r.NumbersOnly) {
    char16_t ch = c[0];
    bool digit = units == 1 && ch >= u'0' && ch <= u'9';
    bool minus = units == 1 && ch == u'-' && r.Cursor == 0;
    bool point = units == 1 && ch == u'.' && std::u16string_view(r.Text, r.Length).find(u'.') == std::u16string_view::npos;
    if (!digit && !minus && !point) return;
  }
  int n = NarrowLength(c, units), length = NarrowLength(r.Text, r.Length);
  if (r.SingleByteOnly && n != 1) return;
  if (r.DoubleByteOnly && n == 1) return;
  if (TextInput.RefuseWhenFull == 1 && length + n > r.MaxLength && r.Length - r.Cursor < units) return;
  while (length + n > r.MaxLength) {
    // A character that cannot fit even into an empty text is dropped.
    if (r.Length == 0) return;
    int k = unitsBefore(r, r.Length);
    length -= NarrowLength(r.Text + r.Length - k, k);
    removeUnits(r, r.Length - k, k);
    if (r.Cursor > r.Length) r.Cursor = r.Length;
    if (r.FirstDisplay > r.Length) r.FirstDisplay = r.Length;
  }
  if (r.Length + units >= r.TextUnits) return;
  std::memmove(r.Text + r.Cursor + units, r.Text + r.Cursor, (r.Length - r.Cursor) * sizeof(char16_t));
  std::memcpy(r.Text + r.Cursor, c, units * sizeof(char16_t));
  r.Cursor += units;
  r.Length += units;
  r.Text[r.Length] = 0;
}

void backSpace(KeyInputRecord& r) {
  if (r.SelectStart != -1) return DeleteKeyInputSelection(r);
  if (r.Cursor <= 0) return;
  int k = unitsBefore(r, r.Cursor);
  bool lineFeed = r.Text[r.Cursor - 1] == 0x0A;
  r.Cursor -= k;
  removeUnits(r, r.Cursor, k);
  if (lineFeed && r.Cursor <= r.FirstDisplay) r.FirstDisplay = lineStart(r, r.Cursor);
  if (r.FirstDisplay > r.Length) r.FirstDisplay = r.Length;
}

void deleteForward(KeyInputRecord& r) {
  if (r.SelectStart != -1) {
    if (shiftDown()) copySelection(r);
    return DeleteKeyInputSelection(r);
  }
  if (r.Cursor < r.Length) removeUnits(r, r.Cursor, unitsAt(r, r.Cursor));
}

void vertical(KeyInputRecord& r, bool up) {
  int start = lineStart(r, r.Cursor);
  int column = charactersBetween(r, start, r.Cursor);
  int to;
  if (up) {
    if (start == 0) return moveCursor(r, r.Cursor, shiftDown());
    to = columnIn(r, lineStart(r, start - 1), column);
  } else {
    int end = lineEnd(r, r.Cursor);
    if (end == r.Length) return moveCursor(r, r.Cursor, shiftDown());
    to = columnIn(r, end + 1, column);
  }
  moveCursor(r, to, shiftDown());
  if (r.Cursor < r.FirstDisplay) r.FirstDisplay = lineStart(r, r.Cursor);
}

}  // namespace

int NarrowLength(const char16_t* units, int count) {
  int page = GetDefaultNarrowCodePage(), total = 0;
  for (int i = 0; i < count;) {
    uint32_t code = units[i];
    int k = 1;
    if (isHigh(units[i]) && i + 1 < count && isLow(units[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      k = 2;
    }
    uint32_t narrow = ConvertCharCode(code, CodePageUtf16LE, page);
    int bytes = narrow ? PutCharCode(narrow, page, nullptr, 8) : 0;
    // A character the page cannot hold becomes one default character per unit.
    total += bytes > 0 ? bytes : k;
    i += k;
  }
  return total;
}

void DeleteKeyInputSelection(KeyInputRecord& r) {
  if (r.SelectStart == -1) return;
  int lo = std::clamp(std::min(r.SelectStart, r.SelectEnd), 0, r.Length);
  int hi = std::clamp(std::max(r.SelectStart, r.SelectEnd), 0, r.Length);
  removeUnits(r, lo, hi - lo);
  r.Cursor = lo;
  r.SelectStart = r.SelectEnd = -1;
  if (r.FirstDisplay > r.Length) r.FirstDisplay = r.Length;
}

void ApplyInputChar(KeyInputRecord& r, const char16_t* c, int units) {
  switch (units == 1 ? c[0] : 0) {
    case 0x03: copySelection(r); break;
    case 0x08: backSpace(r); break;
    case 0x09: break;
    case 0x0D:
      if (r.MultiLine) {
        const char16_t lf = 0x0A;
        insert(r, &lf, 1);
      } else {
        r.Ended = 1;
        TextInput.ActiveHandle = -1;
      }
      break;
    case 0x10: deleteForward(r); break;
    case 0x16: paste(r); break;
    case 0x18: copySelection(r), DeleteKeyInputSelection(r); break;
    case 0x19: moveCursor(r, controlDown() ? r.Length : lineEnd(r, r.Cursor), shiftDown()); break;
    case 0x1A: moveCursor(r, controlDown() ? 0 : lineStart(r, r.Cursor), shiftDown()); break;
    case 0x1B:
      if (r.CancelAllowed) {
        r.Cancelled = 1;
        r.Ended = 1;
        TextInput.ActiveHandle = -1;
      }
      break;
    case 0x1C:
      if (r.Cursor < r.Length) moveCursor(r, r.Cursor + unitsAt(r, r.Cursor), shiftDown());
      break;
    case 0x1D:
      if (r.Cursor > 0) {
        int k = unitsBefore(r, r.Cursor);
        bool lineFeed = r.Text[r.Cursor - 1] == 0x0A;
        moveCursor(r, r.Cursor - k, shiftDown());
        if (lineFeed && r.Cursor <= r.FirstDisplay) r.FirstDisplay = lineStart(r, r.Cursor);
      }
      break;
    case 0x1E: vertical(r, true); break;
    case 0x1F: vertical(r, false); break;
    default: insert(r, c, units); break;
  }
}

}  // namespace ZaDod
