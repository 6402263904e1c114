// Shared by the network tests: a headless process with the network started, the media
// log captured, bounded pump loops and free loopback ports.
#pragma once
#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include "media/base/handle.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "tests/media/log_capture.h"

namespace halvorine_test {

// Descriptors the process has open now.
inline int openDescriptorCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

class NetworkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("HALVORINE_HEADLESS", "1", 1); }

  void SetUp() override {
    capture_.emplace();
    ASSERT_EQ(ZaDod::StartNetwork(), 0);
  }

  void TearDown() override {
    ZaDod::TerminateNetWork();
    capture_.reset();
  }

  // Runs pump passes until `done` holds, at most `passes` of them; true when it held.
  static bool pumpUntil(const std::function<bool()>& done, int passes = 5000) {
    for (int i = 0; i < passes; ++i) {
      ZaDod::ProcessNetworkEvents(1);
      if (done()) return true;
      usleep(200);
    }
    return false;
  }

  static void pumpPasses(int passes) {
    pumpUntil([] { return false; }, passes);
  }

  // A listening handle on the loopback address at a free port.
  static int listenHandle(int* port, int ipv6 = 0) {
    for (int p = 21000 + getpid() % 20000, tries = 0; tries < 300; ++p, ++tries) {
      int h = ZaDod::ListenNetwork(p, ipv6);
      if (h != -1) {
        *port = p;
        return h;
      }
    }
    return -1;
  }

  static ZaDod::NetworkHandleRecord* record(int handle) { return ZaDod::NetworkRecord(handle); }

  static bool gone(int handle) { return ZaDod::GetNetworkHandleState(handle, nullptr, nullptr) == -1; }
  static int connected(int handle) {
    int c = -1;
    ZaDod::GetNetworkHandleState(handle, &c, nullptr);
    return c;
  }

  // The oldest message as bytes, or nullopt when none is complete.
  static std::optional<std::string> take(int handle) {
    int size = ZaDod::GetNetworkMessageSize(handle);
    if (size < 0) return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    if (ZaDod::ReadNetworkMessage(handle, out.data(), static_cast<uint32_t>(out.size())) != size) return std::nullopt;
    return out;
  }

  static int networkHandleCount() { return ZaDod::HandleManageArray[ZaDod::HANDLETYPE_NETWORK].Num; }

  std::optional<LogCapture> capture_;
};

// A message of `size` bytes whose content depends on `seed`.
inline std::string pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (char& c : s) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

inline std::string frame(const std::string& body) {
  uint32_t n = static_cast<uint32_t>(body.size());
  std::string f = {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
  return f + body;
}

}  // namespace halvorine_test
