#include "media/base/log.h"
#include "media/base/log_screen.h"

namespace ZaDod {

OnScreenLogState& onScreenLog()
{
    static OnScreenLogState state;
    return state;
}

int GetOnScreenLogFlag() { return onScreenLog().drawFlag; }

}  // namespace ZaDod
