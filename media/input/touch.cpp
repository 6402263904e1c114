// Touch: the window procedure hands over each touch message's points; the first finger
// down is tracked and stands in for the mouse until it lifts.
#include "media/input/input.h"
#include "media/input/input_state.h"

namespace ZaDod {

int AddTouchInputRecord(const TouchInputRecord* record) {
  InputStatus& s = Input.Status;
  // The history keeps the last 120 records; nothing reads it back yet.
  if (s.TouchHistoryNum < kTouchHistorySize) {
    s.TouchHistory[(s.TouchHistoryStart + s.TouchHistoryNum) % kTouchHistorySize] = *record;
    ++s.TouchHistoryNum;
  } else {
    s.TouchHistory[s.TouchHistoryStart] = *record;
    s.TouchHistoryStart = (s.TouchHistoryStart + 1) % kTouchHistorySize;
  }

  s.Touch = *record;
  if (s.Touch.PointNum > kMaxTouchPoints) s.Touch.PointNum = kMaxTouchPoints;
  const int count = s.Touch.PointNum;
  if (count == 0) {
    s.TouchDevice = s.TouchID = s.TouchIndex = -1;
    return 0;
  }
  if (count < 0) return 0;
  for (int i = 0; i < count; ++i) {
    const TouchInputPoint& p = s.Touch.Point[i];
    if (p.Device == s.TouchDevice && p.ID == s.TouchID) {
      s.TouchIndex = i;
      return 0;
    }
  }
  s.TouchDevice = s.Touch.Point[0].Device;
  s.TouchID = s.Touch.Point[0].ID;
  s.TouchIndex = 0;
  return 0;
}

}  // namespace ZaDod
