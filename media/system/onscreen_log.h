// The on-screen log: lines drawn over the screen by the flip while its draw flag is set.
#pragma once

namespace ZaDod {

int OnScreenLogReset();
int CreateOnScreenLogFont();
int DrawOnScreenLog();
int GetOnScreenLogFlag();
int OnScreenLogEnd();

}  // namespace ZaDod
