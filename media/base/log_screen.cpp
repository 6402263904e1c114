// The state of the on-screen log, which the flip draws when drawFlag is set.
#include "media/base/log_screen.h"
#include "media/base/log.h"

namespace ZaDod {

OnScreenLogState& onScreenLog() {
  static OnScreenLogState state;
  return state;
}

int GetOnScreenLogFlag() { return onScreenLog().drawFlag; }

}  // namespace ZaDod
