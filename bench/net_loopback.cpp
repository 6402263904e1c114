// Message transfer over loopback: two network handles driven by the pump, beside the
// same framed transfer made with plain blocking POSIX send and recv, in one run. Each
// iteration moves one message from one end to the other; the counters give messages
// per second and bytes per second.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "media/base/log.h"
#include "media/network/network.h"

using namespace ZaDod;

namespace {

struct HandlePair {
  int client = -1, server = -1;
  bool ready = false;
};

// One connected pair for the whole run.
HandlePair& handles() {
  static HandlePair pair = [] {
    HandlePair p;
    setenv("HALVORINE_HEADLESS", "1", 1);
    SetLogFileOutput(0);
    if (StartNetwork() != 0) return p;
    for (int port = 23000 + getpid() % 20000, tries = 0; tries < 300; ++port, ++tries) {
      if (ListenNetwork(port, 0) == -1) continue;
      p.client = ConnectNetwork("127.0.0.1", port);
      break;
    }
    for (int i = 0; i < 100000 && p.client != -1; ++i) {
      ProcessNetworkEvents(1);
      int connected = 0;
      GetNetworkHandleState(p.client, &connected, nullptr);
      p.server = GetLastAcceptedNetworkHandle();
      if (connected && p.server != -1) {
        p.ready = true;
        break;
      }
    }
    return p;
  }();
  return pair;
}

void BM_NetworkHandles(benchmark::State& state) {
  HandlePair& p = handles();
  if (!p.ready) {
    state.SkipWithError("no loopback pair");
    return;
  }
  const std::string message(static_cast<size_t>(state.range(0)), 'm');
  std::string in(message.size(), '\0');
  for (auto _ : state) {
    SendNetworkMessage(p.client, message.data(), static_cast<uint32_t>(message.size()));
    int passes = 0;
    while (GetNetworkMessageSize(p.server) < 0 && ++passes < 10000000) ProcessNetworkEvents(1);
    if (ReadNetworkMessage(p.server, in.data(), static_cast<uint32_t>(in.size())) < 0) {
      state.SkipWithError("message lost");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

bool recvAll(int fd, char* data, size_t size) {
  while (size > 0) {
    ssize_t n = recv(fd, data, size, 0);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

void BM_PosixBlocking(benchmark::State& state) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    state.SkipWithError("no loopback socket");
    close(listener);
    return;
  }
  int client = socket(AF_INET, SOCK_STREAM, 0);
  connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int server = accept(listener, nullptr, nullptr);
  const uint32_t n = static_cast<uint32_t>(state.range(0));
  std::string out(4 + n, 'm');
  std::memcpy(out.data(), &n, 4);
  std::string in(4 + n, '\0');
  for (auto _ : state) {
    send(client, out.data(), out.size(), MSG_NOSIGNAL);
    uint32_t size = 0;
    recvAll(server, reinterpret_cast<char*>(&size), 4);
    recvAll(server, in.data() + 4, size);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * state.range(0));
  close(client);
  close(server);
  close(listener);
}

BENCHMARK(BM_NetworkHandles)->Arg(64)->Arg(64 * 1024)->UseRealTime();
BENCHMARK(BM_PosixBlocking)->Arg(64)->Arg(64 * 1024)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
