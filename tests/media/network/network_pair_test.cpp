// Network handles talking to each other in one process over loopback: sending in
// parts, re-entry, shut-down, a missing socket library and repeated connections.
#include <cstring>
#include <string>
#include <vector>

#include "media/system/winapi.h"
#include "network_fixture.h"

namespace {

using namespace halvorine_test;
using namespace ZaDod;
namespace net = plat::net;

class PairTest : public NetworkTest {
 protected:
  // A connected pair: the connecting handle and the accepted one.
  void pair(int* client, int* server, int ipv6 = 0) {
    int port = 0;
    if (!NetworkRecord(Network.ListenHandle)) ASSERT_NE(listenHandle(&port, ipv6), -1);
    else port = WinAPI.ntohsFunc(record(Network.ListenHandle)->Port);
    int before = GetLastAcceptedNetworkHandle();
    *client = ConnectNetwork(ipv6 ? "::1" : "127.0.0.1", port);
    ASSERT_NE(*client, -1);
    ASSERT_TRUE(pumpUntil([&] {
      int last = GetLastAcceptedNetworkHandle();
      return connected(*client) == 1 && last != -1 && last != before;
    }));
    *server = GetLastAcceptedNetworkHandle();
  }

  void TearDown() override {
    WinAPI.WSASendFunc = realSend;
    WinAPI.recvFunc = realRecv;
    NetworkTest::TearDown();
  }

  static inline decltype(WinAPI.WSASendFunc) realSend = &net::WSASend;
  static inline decltype(WinAPI.recvFunc) realRecv = &net::recv;
};

// A gathered send that offers the socket at most `cap` bytes of the buffers.
int sendAtMost(net::SOCKET s, net::WSABUF* buffers, plat::win::DWORD count, plat::win::DWORD* sent, uint32_t cap) {
  net::WSABUF cut[8];
  plat::win::DWORD n = 0;
  for (plat::win::DWORD i = 0; i < count && cap > 0; ++i, ++n) {
    cut[n] = buffers[i];
    if (cut[n].len > cap) cut[n].len = cap;
    cap -= cut[n].len;
  }
  return net::WSASend(s, cut, n, sent, 0, nullptr, nullptr);
}

uint32_t offered(const net::WSABUF* buffers, plat::win::DWORD count) {
  uint32_t total = 0;
  for (plat::win::DWORD i = 0; i < count; ++i) total += buffers[i].len;
  return total;
}

// Sends one byte at a time while `trickle` is on, and nothing while `stalled` is on.
bool trickle = false, stalled = false;
int limitedSend(net::SOCKET s, net::WSABUF* buffers, plat::win::DWORD count, plat::win::DWORD* sent, plat::win::DWORD,
                void*, void*) {
  if (stalled) {
    net::WSASetLastError(net::WSAEWOULDBLOCK);
    return net::SOCKET_ERROR;
  }
  if (trickle) stalled = true;
  return sendAtMost(s, buffers, count, sent, trickle ? 1 : offered(buffers, count));
}

TEST_F(PairTest, APartlySentPrefixIsFinishedBeforeTheBody) {
  int client, server;
  pair(&client, &server);
  WinAPI.WSASendFunc = limitedSend;
  trickle = true;
  stalled = false;
  ASSERT_EQ(SendNetworkMessage(client, "payload", 7), 0);
  EXPECT_EQ(record(client)->SendPrefixRemain, 3);
  pumpPasses(20);
  EXPECT_EQ(GetNetworkMessageSize(server), -1);
  trickle = stalled = false;
  WinAPI.WSASendFunc = realSend;
  EXPECT_EQ(SendSocket(client), 0);
  EXPECT_EQ(record(client)->SendPrefixRemain, 0);
  ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(server) != -1; }));
  EXPECT_EQ(take(server), "payload");
}

// Takes at most `firstCap` bytes of the first call, and notes the length each call offers.
uint32_t firstCap = 0;
std::vector<uint32_t> sendLengths;
int cappedSend(net::SOCKET s, net::WSABUF* buffers, plat::win::DWORD count, plat::win::DWORD* sent, plat::win::DWORD,
               void*, void*) {
  const uint32_t length = offered(buffers, count);
  sendLengths.push_back(length);
  return sendAtMost(s, buffers, count, sent, sendLengths.size() == 1 && firstCap < length ? firstCap : length);
}

TEST_F(PairTest, AMessageGoesWithItsPrefixInOneCallAndAnyCutOfThatCallIsResumed) {
  int client, server;
  pair(&client, &server);
  WinAPI.WSASendFunc = cappedSend;
  struct Case {
    size_t size;
    uint32_t cap;
  };
  const Case cases[] = {{64, 1},     {64, 3},      {64, 4},      {64, 5},     {64, 67},
                        {64, 68},    {0, 2},       {4092, 100},  {4093, 100}, {70000, 4},
                        {70000, 70003}, {200000, 5000}};
  for (const Case& c : cases) {
    firstCap = c.cap;
    sendLengths.clear();
    std::string message(c.size, '\0');
    for (size_t i = 0; i < message.size(); ++i) message[i] = static_cast<char>('a' + (i * 7 + c.size) % 26);
    ASSERT_EQ(SendNetworkMessage(client, message.data(), uint32_t(message.size())), 0) << c.size;
    ASSERT_FALSE(sendLengths.empty());
    EXPECT_EQ(sendLengths[0], 4 + c.size) << c.size << " cut at " << c.cap;
    ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(server) != -1; })) << c.size << " cut at " << c.cap;
    EXPECT_EQ(take(server), message) << c.size << " cut at " << c.cap;
    EXPECT_EQ(record(client)->SendBuffer.DataLength, 0);
  }
  // Messages queued behind one another while the socket takes a few bytes at a time.
  WinAPI.WSASendFunc = limitedSend;
  trickle = true;
  stalled = false;
  ASSERT_EQ(SendNetworkMessage(client, "one", 3), 0);
  ASSERT_EQ(SendNetworkMessage(client, "two!", 4), 0);
  trickle = false;
  WinAPI.WSASendFunc = realSend;
  EXPECT_EQ(SendSocket(client), 0);
  ASSERT_TRUE(pumpUntil([&] { return record(server)->MessageSizes.DataLength == 8; }));
  EXPECT_EQ(take(server), "one");
  EXPECT_EQ(take(server), "two!");
}

TEST_F(PairTest, TheSendQueueStopsAtItsCapAndTakesMoreOnceItDrains) {
  int client, server;
  pair(&client, &server);
  // A peer that reads nothing: the socket takes no byte.
  WinAPI.WSASendFunc = limitedSend;
  trickle = false;
  stalled = true;
  const std::string block(NetworkMessageMax / 4, 'q');
  int queued = 0;
  while (queued < 100 && SendNetworkMessage(client, block.data(), uint32_t(block.size())) == 0) ++queued;
  // Each queued message counts its 4-byte length as well.
  EXPECT_EQ(queued, int(NetworkSendQueueMax / (block.size() + 4)));
  EXPECT_LE(uint32_t(record(client)->SendBuffer.DataLength), NetworkSendQueueMax);
  EXPECT_EQ(SendNetworkMessage(client, block.data(), uint32_t(block.size())), -1);
  // The peer reads again: everything queued arrives whole, and the queue takes more.
  stalled = false;
  WinAPI.WSASendFunc = realSend;
  int received = 0;
  ASSERT_TRUE(pumpUntil([&] {
    SendSocket(client);
    while (GetNetworkMessageSize(server) != -1) received += take(server) == block;
    return received == queued;
  }));
  ASSERT_EQ(SendNetworkMessage(client, "x", 1), 0);
  ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(server) != -1; }));
  EXPECT_EQ(take(server), "x");
}

// Calls RecvSocket from inside the receive it serves, once.
int nestedResult = 0, nestedHandle = -1;
int reenteringRecv(net::SOCKET s, char* buffer, int length, int flags) {
  if (nestedHandle != -1) {
    int h = nestedHandle;
    nestedHandle = -1;
    nestedResult = RecvSocket(h);
  }
  return net::recv(s, buffer, length, flags);
}

TEST_F(PairTest, EventsAndCallsAreRefusedInsideAReceiveButNothingIsLost) {
  int client, server;
  pair(&client, &server);
  WinAPI.recvFunc = reenteringRecv;
  nestedHandle = server;
  ASSERT_EQ(SendNetworkMessage(client, "one", 3), 0);
  ASSERT_EQ(SendNetworkMessage(client, "two", 3), 0);
  ASSERT_TRUE(pumpUntil([&] { return record(server)->MessageSizes.DataLength == 8; }));
  EXPECT_EQ(nestedResult, -1);
  EXPECT_EQ(take(server), "one");
  EXPECT_EQ(take(server), "two");

  EXPECT_EQ(ProcessNetworkMessage(Network.Window, plat::win::WM_USER + 0x105, 0x7777, net::FD_READ), 0);
  EXPECT_TRUE(LogCapture::contains(u"通信エラー No.1"));
}

// Takes at most `recvCap` bytes a call (0: no limit).
int recvCap = 0;
int cappedRecv(net::SOCKET s, char* buffer, int length, int flags) {
  return net::recv(s, buffer, recvCap > 0 && recvCap < length ? recvCap : length, flags);
}

TEST_F(PairTest, ReadsCutAtAnyByteKeepEveryMessageWholeAndInOrderOnEverySocket) {
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < 3; ++i) {
    int c, s;
    pair(&c, &s);
    pairs.emplace_back(c, s);
  }
  WinAPI.recvFunc = cappedRecv;
  // Sizes about the read chunk (8 KB) and a body read straight into the ring.
  const size_t sizes[] = {0, 1, 3, 64, 4093, 8188, 8189, 20000};
  for (int cap : {1, 2, 3, 4, 5, 7, 67, 68, 69, 4097, 8191, 8192, 0}) {
    recvCap = cap;
    auto text = [&](size_t k, size_t i, unsigned side) {
      return pattern(sizes[k], static_cast<unsigned>(cap * 131 + i * 17 + k * 3 + side));
    };
    // Both ends of every pair send, interleaved, before anything is read.
    for (size_t k = 0; k < std::size(sizes); ++k) {
      for (size_t i = 0; i < pairs.size(); ++i) {
        std::string a = text(k, i, 0), b = text(std::size(sizes) - 1 - k, i, 1);
        ASSERT_EQ(SendNetworkMessage(pairs[i].first, a.data(), static_cast<uint32_t>(a.size())), 0);
        ASSERT_EQ(SendNetworkMessage(pairs[i].second, b.data(), static_cast<uint32_t>(b.size())), 0);
      }
    }
    const int all = static_cast<int>(std::size(sizes)) * 4;
    ASSERT_TRUE(pumpUntil([&] {
      for (auto [c, s] : pairs)
        if (record(c)->MessageSizes.DataLength != all || record(s)->MessageSizes.DataLength != all) return false;
      return true;
    })) << "cap " << cap;
    for (size_t i = 0; i < pairs.size(); ++i) {
      for (size_t k = 0; k < std::size(sizes); ++k) {
        EXPECT_EQ(take(pairs[i].second), text(k, i, 0)) << "cap " << cap << " message " << k;
        EXPECT_EQ(take(pairs[i].first), text(std::size(sizes) - 1 - k, i, 1)) << "cap " << cap << " message " << k;
      }
      EXPECT_EQ(record(pairs[i].first)->RecvBuffer.DataLength, 0);
      EXPECT_EQ(record(pairs[i].second)->RecvInMessage, 0);
    }
  }
  recvCap = 0;
}

TEST_F(PairTest, ManyConnectionsExchangeInterleavedMessagesAndEndCleanly) {
  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < 6; ++i) {
    int c, s;
    pair(&c, &s);
    pairs.emplace_back(c, s);
  }
  for (int round = 0; round < 30; ++round) {
    for (size_t i = 0; i < pairs.size(); ++i) {
      std::string a = pattern(static_cast<size_t>(round * 97 % 5000), static_cast<unsigned>(round + i));
      std::string b = pattern(static_cast<size_t>(round * 31 % 700), static_cast<unsigned>(round * 7 + i));
      ASSERT_EQ(SendNetworkMessage(pairs[i].first, a.data(), static_cast<uint32_t>(a.size())), 0);
      ASSERT_EQ(SendNetworkMessage(pairs[i].second, b.data(), static_cast<uint32_t>(b.size())), 0);
      ASSERT_TRUE(pumpUntil([&] {
        return GetNetworkMessageSize(pairs[i].second) != -1 && GetNetworkMessageSize(pairs[i].first) != -1;
      }));
      EXPECT_EQ(take(pairs[i].second), a);
      EXPECT_EQ(take(pairs[i].first), b);
    }
  }
  // One side closes; the other is deleted by the pump.
  for (auto [c, s] : pairs) {
    EXPECT_EQ(CloseNetworkHandle(c), 0);
    EXPECT_TRUE(pumpUntil([s] { return gone(s); }));
  }
  EXPECT_EQ(networkHandleCount(), 1);  // the listener
}

TEST_F(PairTest, IPv6LoopbackAndARefusedConnection) {
  int port = 0;
  int listener = listenHandle(&port, 1);
  ASSERT_NE(listener, -1);
  int client = ConnectNetwork("::1", port);
  ASSERT_NE(client, -1);
  ASSERT_TRUE(pumpUntil([&] { return GetLastAcceptedNetworkHandle() != -1 && connected(client) == 1; }));
  int server = GetLastAcceptedNetworkHandle();
  EXPECT_EQ(record(server)->AddressV6[15], 1);
  ASSERT_EQ(SendNetworkMessage(server, "", 0), 0);
  ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(client) == 0; }));
  EXPECT_EQ(ReadNetworkMessage(client, nullptr, 0), 0);

  EXPECT_EQ(CloseNetworkHandle(listener), 0);
  int refused = ConnectNetwork("127.0.0.1", port);
  ASSERT_NE(refused, -1);
  EXPECT_TRUE(pumpUntil([&] { return gone(refused); }));
  EXPECT_EQ(ConnectNetwork(nullptr, port), -1);
  EXPECT_EQ(ConnectNetwork("127.0.0.1", 0), -1);
}

TEST_F(PairTest, ShutDownLogsDeletesEveryHandleAndClosesEverySocket) {
  TerminateNetWork();
  const int descriptors = openDescriptorCount();
  ASSERT_EQ(StartNetwork(), 0);
  for (int i = 0; i < 3; ++i) {
    int c, s;
    pair(&c, &s);
    ASSERT_EQ(SendNetworkMessage(c, "unread", 6), 0);
  }
  pumpPasses(10);
  capture_.emplace();
  EXPECT_EQ(TerminateNetWork(), 0);
  std::u16string log = LogCapture::all();
  size_t first = log.find(u"ネットワークログ。ネットワーク関連の終了処理を行います [");
  size_t second = log.find(u"ネットワークログ。ネットワーク関連の終了処理は完了しました[");
  EXPECT_NE(first, std::u16string::npos);
  EXPECT_NE(second, std::u16string::npos);
  EXPECT_LT(first, second);
  EXPECT_EQ(net::OpenSocketCount(), 0);
  EXPECT_EQ(openDescriptorCount(), descriptors);
  EXPECT_EQ(TerminateNetWork(), 0);  // a second time: nothing to do
  ASSERT_EQ(StartNetwork(), 0);       // for TearDown
}

TEST_F(PairTest, WithoutTheSocketLibraryEveryOperationReturnsAtOnce) {
  TerminateNetWork();
  ReleaseWinAPI();
  setenv("HALVORINE_MISSING", "ws2_32", 1);
  EXPECT_EQ(StartNetwork(), -1);
  unsetenv("HALVORINE_MISSING");
  char buffer[4];
  int c = 0, e = 0;
  EXPECT_EQ(ListenNetwork(30000, 0), -1);
  EXPECT_EQ(ConnectNetwork("127.0.0.1", 30000), -1);
  EXPECT_EQ(SendNetworkMessage(0x28010000, "x", 1), -1);
  EXPECT_EQ(GetNetworkMessageSize(0x28010000), -1);
  EXPECT_EQ(ReadNetworkMessage(0x28010000, buffer, 4), -1);
  EXPECT_EQ(GetNetworkHandleState(0x28010000, &c, &e), -1);
  EXPECT_EQ(CloseNetworkHandle(0x28010000), -1);
  EXPECT_EQ(RecvSocket(0x28010000), -1);
  EXPECT_EQ(SendSocket(0x28010000), -1);
  EXPECT_EQ(AcceptNetWork(), -1);
  EXPECT_EQ(ProcessNetworkMessage(nullptr, 0x505, 1, 1), -1);
  EXPECT_EQ(ProcessNetworkEvents(1), 0);
  EXPECT_EQ(TerminateNetWork(), 0);
  ReleaseWinAPI();
  ASSERT_EQ(StartNetwork(), 0);  // the library is back
}

}  // namespace
