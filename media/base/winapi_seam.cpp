// Temporary: the multimedia timer functions are linked in, so they are always there.
#include "media/base/winapi_seam.h"

namespace ZaDod {

int WinmmFunctionsLoaded(int) { return 1; }

}  // namespace ZaDod
