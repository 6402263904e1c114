// A peer for the two-process network tests: runs the library headless with its game
// loop pump and exchanges messages over loopback.
//   netpeer listen PORT COUNT SEED          exchange COUNT messages with one peer
//   netpeer connect HOST PORT COUNT SEED
//   netpeer echo PORT                       send back every message of every peer
//                                           until one sends "quit"
// The exchange prints "sent N BYTES SUM" and "received N BYTES SUM" and ends with 0
// when both sides are complete; anything else, or 60 s without progress, ends with 1.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/base/handle.h"
#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "media/system/system.h"
#include "media/system/window.h"

namespace {

using namespace ZaDod;
using Clock = std::chrono::steady_clock;

struct Totals {
  uint64_t count = 0, bytes = 0, sum = 1469598103934665603ull;
  void add(const std::string& m) {
    ++count;
    bytes += m.size();
    for (unsigned char c : m) sum = (sum ^ c) * 1099511628211ull;
    sum = (sum ^ m.size()) * 1099511628211ull;
  }
};

uint64_t nextRandom(uint64_t* state) {
  *state = *state * 6364136223846793005ull + 1442695040888963407ull;
  return *state >> 33;
}

std::string randomMessage(uint64_t* state) {
  std::string m(nextRandom(state) % (64 * 1024 + 1), '\0');
  for (char& c : m) c = static_cast<char>(nextRandom(state));
  return m;
}

bool pump() { return ProcessWindowMessages() == 0; }

bool takeMessage(int handle, std::string* out) {
  int size = GetNetworkMessageSize(handle);
  if (size < 0) return false;
  out->assign(static_cast<size_t>(size), '\0');
  return ReadNetworkMessage(handle, out->data(), static_cast<uint32_t>(size)) == size;
}

bool sendQueueEmpty(int handle) {
  NetworkHandleRecord* r = NetworkRecord(handle);
  return !r || (r->SendSizes.DataLength == 0 && !r->SendInMessage);
}

// A pump loop that fails after 60 s without progress.
class Deadline {
 public:
  void progress() { last_ = Clock::now(); }
  bool passed() const { return Clock::now() - last_ > std::chrono::seconds(60); }

 private:
  Clock::time_point last_ = Clock::now();
};

int connectWithRetry(const char* host, int port, Deadline& deadline) {
  while (!deadline.passed()) {
    int h = ConnectNetwork(host, port);
    for (int i = 0; h != -1 && i < 2000; ++i) {
      int connected = 0, error = 0;
      if (GetNetworkHandleState(h, &connected, &error) != 0) break;  // refused: try again
      if (connected) return h;
      pump();
      usleep(1000);
    }
    usleep(50000);
  }
  return -1;
}

int exchange(int handle, uint64_t count, uint64_t seed) {
  Deadline deadline;
  uint64_t state = seed;
  Totals sent, received;
  bool peerDone = false;
  // Every data message, then an empty message that says all of the peer's have come.
  while (!(peerDone && sent.count == count + 1 && sendQueueEmpty(handle))) {
    if (deadline.passed()) {
      std::fprintf(stderr, "netpeer: no progress\n");
      return 1;
    }
    if (sent.count < count && NetworkRecord(handle) && NetworkRecord(handle)->SendSizes.DataLength < 64) {
      std::string m = randomMessage(&state);
      if (SendNetworkMessage(handle, m.data(), static_cast<uint32_t>(m.size())) != 0) return 1;
      sent.add(m);
      deadline.progress();
    }
    if (sent.count == count && received.count == count) {
      if (SendNetworkMessage(handle, "", 0) != 0) return 1;
      ++sent.count;
    }
    std::string m;
    while (takeMessage(handle, &m)) {
      deadline.progress();
      if (received.count == count) {
        peerDone = true;
        break;
      }
      received.add(m);
    }
    // Once the peer's last message is in, its close may delete the handle.
    if (!peerDone && GetNetworkHandleState(handle, nullptr, nullptr) != 0) {
      std::fprintf(stderr, "netpeer: connection lost\n");
      return 1;
    }
    if (!pump()) return 1;
  }
  std::printf("sent %llu %llu %llu\n", static_cast<unsigned long long>(count),
              static_cast<unsigned long long>(sent.bytes), static_cast<unsigned long long>(sent.sum));
  std::printf("received %llu %llu %llu\n", static_cast<unsigned long long>(received.count),
              static_cast<unsigned long long>(received.bytes), static_cast<unsigned long long>(received.sum));
  CloseNetworkHandle(handle);
  return 0;
}

// Every live connection: many may be accepted within one pump, so the last accepted
// handle alone would miss some.
std::vector<int> livePeers() {
  std::vector<int> peers;
  const HandleTypeManager& m = HandleManageArray[HANDLETYPE_NETWORK];
  for (int i = 0; m.Handle && i < m.MaxNum; ++i)
    if (m.Handle[i] && m.Handle[i]->Handle != Network.ListenHandle) peers.push_back(m.Handle[i]->Handle);
  return peers;
}

int echo() {
  Deadline deadline;
  for (;;) {
    if (deadline.passed()) return 1;
    for (int h : livePeers()) {
      std::string m;
      while (takeMessage(h, &m)) {
        deadline.progress();
        if (m == "quit") return 0;
        SendNetworkMessage(h, m.data(), static_cast<uint32_t>(m.size()));
      }
    }
    if (!pump()) return 1;
    usleep(500);
  }
}

int run(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  bool listen = mode == "listen" && argc == 5, connect = mode == "connect" && argc == 6,
       echoing = mode == "echo" && argc == 3;
  if (!listen && !connect && !echoing) {
    std::fprintf(stderr, "usage: netpeer listen PORT COUNT SEED | connect HOST PORT COUNT SEED | echo PORT\n");
    return 2;
  }
  SetLogFileOutput(0);
  ChangeWindowMode(1);
  if (InitializeLibrary() != 0 || StartNetwork() != 0) return 1;
  int port = std::atoi(argv[connect ? 3 : 2]);
  if (!connect && ListenNetwork(port, 0) == -1) return 1;
  if (echoing) return echo();
  Deadline deadline;
  int handle = -1;
  if (connect) {
    handle = connectWithRetry(argv[2], port, deadline);
  } else {
    while (handle == -1 && !deadline.passed() && pump()) {
      handle = GetLastAcceptedNetworkHandle();
      usleep(1000);
    }
  }
  if (handle == -1) return 1;
  return exchange(handle, std::strtoull(argv[connect ? 4 : 3], nullptr, 10),
                  std::strtoull(argv[connect ? 5 : 4], nullptr, 10));
}

}  // namespace

int main(int argc, char** argv) {
  int status = run(argc, argv);
  TerminateLibrary();
  return status;
}
