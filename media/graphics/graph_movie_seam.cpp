// Temporary: no movie opens until movie handles exist.
#include "media/graphics/graph_async.h"

namespace ZaDod {

int OpenGraphMovie(const char16_t*, int) { return -1; }
int CloseGraphMovie(int) { return 0; }

}  // namespace ZaDod
