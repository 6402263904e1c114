// TEMPORARY SEAM: the network as the life-cycle code and the window procedure see it,
// until media/network replaces it.
#include "media/system/periphery_seam.h"

#include "media/system/seam_record.h"

namespace ZaDod {

int ProcessNetworkEvents(int) { return 0; }
plat::win::LRESULT ProcessNetworkMessage(plat::win::HWND, plat::win::WPARAM, plat::win::LPARAM) { return 0; }
int TerminateNetWork() { RecordSeamCall("TerminateNetWork"); return 0; }

}  // namespace ZaDod
