// The on-screen log: lines drawn over the screen by the flip while its draw flag
// (GetOnScreenLogFlag, media/base/log.h) is set.
#pragma once

namespace ZaDod {

int OnScreenLogReset();
int CreateOnScreenLogFont();
int DrawOnScreenLog();
int OnScreenLogEnd();

}  // namespace ZaDod
