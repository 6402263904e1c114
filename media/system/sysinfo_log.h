// The system information that start-up writes to the media log, and the values it
// leaves for other code: processor count, Windows version code, processor abilities
// and clock.
#pragma once
#include <cstdint>

namespace ZaDod {

struct SystemInfoData {
  int ProcessorNum;
  int WindowsVersion;       // 0x10C for Windows 10; see the version table
  char16_t OSString[256];
  int DirectXVersion;       // fixed at 0x70000
  int UseRDTSC;
  int UseMMX;
  int UseSSE;
  int UseSSE2;
  int CpuSpeedMHz;
  int64_t CpuTicksPerSecond;
  char16_t CpuName[256];
};

extern SystemInfoData SystemInfo;

void OutputSystemInfoLog();

}  // namespace ZaDod
