// The socket stand-in: its functions over loopback, and the asynchronous-select events
// its pump step posts, in the order and with the re-arming its callers rely on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/sockets.h"
#include "platform/win/win_window.h"

namespace {

using namespace plat::net;
namespace win = plat::win;

constexpr win::UINT kMessage = win::WM_USER + 0x105;

win::LRESULT quietProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
  return win::DefWindowProcW(h, m, w, l);
}

struct Event {
  SOCKET socket;
  long event;
  int error;
};

class SocketTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("HALVORINE_HEADLESS", "1", 1);
    win::WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = quietProc;
    cls.lpszClassName = u"SocketTestWindow";
    win::RegisterClassExW(&cls);
  }
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    window_ = win::CreateWindowExW(0, u"SocketTestWindow", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    WSACleanup();
    win::DestroyWindow(window_);
    EXPECT_EQ(OpenSocketCount(), 0);
  }

  // Pumps up to `passes` times, keeping the socket events; stops early once `until`
  // (an event of a socket) has come.
  std::vector<Event> pump(int passes, SOCKET untilSocket = 0, long until = 0) {
    std::vector<Event> got;
    for (int i = 0; i < passes; ++i) {
      win::MSG msg;
      while (win::PeekMessageW(&msg, window_, 0, 0, win::PM_REMOVE)) {
        if (msg.message != kMessage) continue;
        got.push_back(Event{msg.wParam, win::LOWORD(msg.lParam), win::HIWORD(msg.lParam)});
      }
      if (until) {
        for (const Event& e : got)
          if (e.socket == untilSocket && e.event == until) return got;
      }
      usleep(1000);
    }
    return got;
  }

  static int count(const std::vector<Event>& events, SOCKET s, long event) {
    int n = 0;
    for (const Event& e : events) n += e.socket == s && e.event == event;
    return n;
  }

  // A listening socket on 127.0.0.1 at a free port.
  SOCKET listenOnLoopback(int* port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    for (int p = 20000 + getpid() % 20000, tries = 0; tries < 200; ++p, ++tries) {
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_port = htons(static_cast<uint16_t>(p));
      a.sin_addr.s_addr = inet_addr("127.0.0.1");
      if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        *port = p;
        EXPECT_EQ(listen(s, SOMAXCONN), 0);
        return s;
      }
    }
    ADD_FAILURE() << "no free port";
    return s;
  }

  static sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    return a;
  }

  // A selecting client connected to a selecting accepted socket.
  void connectPair(SOCKET* client, SOCKET* server) {
    int port = 0;
    SOCKET listener = listenOnLoopback(&port);
    ASSERT_EQ(WSAAsyncSelect(listener, window_, kMessage, FD_ACCEPT), 0);
    *client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(WSAAsyncSelect(*client, window_, kMessage, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE), 0);
    sockaddr_in a = loopback(port);
    ASSERT_EQ(connect(*client, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    std::vector<Event> events = pump(2000, listener, FD_ACCEPT);
    ASSERT_EQ(count(events, listener, FD_ACCEPT), 1);
    sockaddr_in peer{};
    int length = sizeof peer;
    *server = accept(listener, reinterpret_cast<sockaddr*>(&peer), &length);
    ASSERT_NE(*server, INVALID_SOCKET);
    EXPECT_EQ(length, 16);
    EXPECT_EQ(peer.sin_family, AF_INET);
    EXPECT_EQ(peer.sin_addr.s_addr, inet_addr("127.0.0.1"));
    ASSERT_EQ(WSAAsyncSelect(*server, window_, kMessage, FD_READ | FD_WRITE | FD_CLOSE), 0);
    for (int i = 0; i < 2000 && count(events, *client, FD_CONNECT) == 0; ++i) {
      std::vector<Event> more = pump(1);
      events.insert(events.end(), more.begin(), more.end());
    }
    EXPECT_EQ(count(events, *client, FD_CONNECT), 1);
    std::vector<Event> more = pump(5);
    events.insert(events.end(), more.begin(), more.end());
    EXPECT_EQ(count(events, *client, FD_WRITE), 1);
    EXPECT_EQ(count(events, *server, FD_WRITE), 1);
    closesocket(listener);
  }

  win::HWND window_ = nullptr;
};

TEST_F(SocketTest, SelectPostsEachEventOnceUntilItIsRearmed) {
  SOCKET client, server;
  connectPair(&client, &server);
  // Nothing more without new data.
  EXPECT_TRUE(pump(5).empty());

  ASSERT_EQ(send(client, "abcdef", 6, 0), 6);
  std::vector<Event> events = pump(2000, server, FD_READ);
  EXPECT_EQ(count(events, server, FD_READ), 1);
  // Not again until a recv, however often the pump runs.
  EXPECT_EQ(count(pump(5), server, FD_READ), 0);
  char buffer[8];
  ASSERT_EQ(recv(server, buffer, 2, MSG_PEEK), 2);
  ASSERT_EQ(recv(server, buffer, 2, 0), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  // Data is left, so the recv brings another FD_READ.
  EXPECT_EQ(count(pump(5), server, FD_READ), 1);
  ASSERT_EQ(recv(server, buffer, 8, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "cdef");
  EXPECT_TRUE(pump(5).empty());
  ASSERT_EQ(recv(server, buffer, 8, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  // The peer's close: what is queued is offered first, then FD_CLOSE once recv saw the end.
  ASSERT_EQ(send(client, "xy", 2, 0), 2);
  ASSERT_EQ(closesocket(client), 0);
  events = pump(2000, server, FD_READ);
  EXPECT_EQ(count(events, server, FD_CLOSE), 0);
  ASSERT_EQ(recv(server, buffer, 8, 0), 2);
  ASSERT_EQ(recv(server, buffer, 8, 0), 0);
  events = pump(2000, server, FD_CLOSE);
  EXPECT_EQ(count(events, server, FD_CLOSE), 1);
  EXPECT_EQ(count(pump(5), server, FD_CLOSE), 0);
}

TEST_F(SocketTest, AcceptOutOfDescriptorsWaitsForAClose) {
  int port = 0;
  SOCKET listener = listenOnLoopback(&port);
  ASSERT_EQ(WSAAsyncSelect(listener, window_, kMessage, FD_ACCEPT), 0);
  SOCKET spare = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = loopback(port);
  ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(count(pump(2000, listener, FD_ACCEPT), listener, FD_ACCEPT), 1);

  // Every descriptor under a lowered limit taken.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> taken;
  for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;) taken.push_back(fd);
  EXPECT_EQ(accept(listener, nullptr, nullptr), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEMFILE);
  // The connection still waits, but no event comes for it until a descriptor may be free.
  for (int round = 0; round < 3; ++round) EXPECT_EQ(count(pump(20), listener, FD_ACCEPT), 0) << round;
  ASSERT_EQ(closesocket(spare), 0);
  EXPECT_EQ(count(pump(2000, listener, FD_ACCEPT), listener, FD_ACCEPT), 1);
  SOCKET server = accept(listener, nullptr, nullptr);
  EXPECT_NE(server, INVALID_SOCKET);
  for (int fd : taken) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  // Armed as usual from here on.
  SOCKET second = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(connect(second, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  EXPECT_EQ(count(pump(2000, listener, FD_ACCEPT), listener, FD_ACCEPT), 1);
  SOCKET third = accept(listener, nullptr, nullptr);
  EXPECT_NE(third, INVALID_SOCKET);
  for (SOCKET s : {listener, client, server, second, third}) closesocket(s);
}

TEST_F(SocketTest, CloseFollowsWhenTheProgramLeavesAPartialRead) {
  SOCKET client, server;
  connectPair(&client, &server);
  ASSERT_EQ(send(client, "ab", 2, 0), 2);
  ASSERT_EQ(shutdown(client, SD_SEND), 0);
  std::vector<Event> events = pump(2000, server, FD_READ);
  ASSERT_EQ(count(events, server, FD_READ), 1);
  char buffer[4];
  // The program wants 4 bytes and only peeks at the 2 that came: the close follows.
  ASSERT_EQ(recv(server, buffer, 4, MSG_PEEK), 2);
  events = pump(2000, server, FD_CLOSE);
  EXPECT_EQ(count(events, server, FD_CLOSE), 1);
  closesocket(client);
}

TEST_F(SocketTest, WriteIsPostedAgainOnlyAfterASendWouldBlock) {
  SOCKET client, server;
  connectPair(&client, &server);
  std::vector<char> block(1 << 16, 'q');
  long total = 0;
  int n;
  for (int i = 0; i < 10000 && (n = send(client, block.data(), static_cast<int>(block.size()), 0)) > 0; ++i) total += n;
  ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(count(pump(5), client, FD_WRITE), 0);  // nothing was read: still full
  // Draining the other end makes room, and FD_WRITE comes once.
  std::vector<char> sink(1 << 16);
  long drained = 0;
  for (int i = 0; i < 100000 && drained < total; ++i) {
    int got = recv(server, sink.data(), static_cast<int>(sink.size()), 0);
    if (got > 0) drained += got;
    else usleep(100);
  }
  EXPECT_EQ(drained, total);
  std::vector<Event> events = pump(2000, client, FD_WRITE);
  EXPECT_EQ(count(events, client, FD_WRITE), 1);
  EXPECT_EQ(count(pump(5), client, FD_WRITE), 0);
}

TEST_F(SocketTest, RefusedConnectionAndResetReportTheirErrors) {
  int port = 0;
  SOCKET listener = listenOnLoopback(&port);
  closesocket(listener);  // nobody listens there now
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_EQ(WSAAsyncSelect(s, window_, kMessage, FD_CONNECT | FD_READ | FD_CLOSE), 0);
  sockaddr_in a = loopback(port);
  EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
  std::vector<Event> events = pump(2000, s, FD_CONNECT);
  ASSERT_EQ(count(events, s, FD_CONNECT), 1);
  for (const Event& e : events)
    if (e.event == FD_CONNECT) {
      EXPECT_EQ(e.error, WSAECONNREFUSED);
    }
  EXPECT_EQ(send(s, "a", 1, 0), SOCKET_ERROR);  // never a SIGPIPE
  closesocket(s);

  // Closing with unread data resets the connection.
  SOCKET client, server;
  connectPair(&client, &server);
  ASSERT_EQ(send(client, "abc", 3, 0), 3);
  ASSERT_EQ(count(pump(2000, server, FD_READ), server, FD_READ), 1);
  closesocket(server);
  events = pump(2000, client, FD_CLOSE);
  ASSERT_EQ(count(events, client, FD_CLOSE), 1);
  for (const Event& e : events)
    if (e.event == FD_CLOSE) {
      EXPECT_EQ(e.error, WSAECONNRESET);
    }
}

TEST_F(SocketTest, PlainFunctionsAndErrors) {
  struct Case {
    const char* text;
    uint32_t address;
  } cases[] = {
      {"127.0.0.1", 0x0100007F}, {"0.0.0.0", 0}, {"255.255.255.255", 0xFFFFFFFF}, {"1.2.3", INADDR_NONE},
      {"1.2.3.256", INADDR_NONE}, {"1.2.3.4.5", INADDR_NONE}, {"a.b.c.d", INADDR_NONE}, {"", INADDR_NONE},
  };
  for (const Case& c : cases) EXPECT_EQ(inet_addr(c.text), c.address) << c.text;
  EXPECT_EQ(htons(0x1234), 0x3412);
  EXPECT_EQ(ntohs(htons(80)), 80);

  // Socket values are the table's, not descriptors, and are not reused at once.
  SOCKET a = socket(AF_INET, SOCK_STREAM, 0);
  SOCKET b = socket(AF_INET6, SOCK_STREAM, 0);
  EXPECT_NE(a, b);
  closesocket(a);
  SOCKET c = socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_NE(c, a);
  EXPECT_EQ(closesocket(a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(OpenSocketCount(), 2);

  // The last error belongs to the thread that met it.
  int other = -1;
  std::thread([&] {
    WSASetLastError(0);
    other = WSAGetLastError();
  }).join();
  EXPECT_EQ(other, 0);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);

  // A datagram round trip on loopback through sendto and recvfrom.
  SOCKET d = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in to{};
  for (int p = 40000 + getpid() % 20000, tries = 0; tries < 200; ++p, ++tries) {
    to = loopback(p);
    if (bind(d, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) break;
  }
  ASSERT_EQ(sendto(c, "ping", 4, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 4);
  char buffer[8];
  sockaddr_in from{};
  int fromLength = sizeof from;
  EXPECT_EQ(recvfrom(d, buffer, 8, 0, reinterpret_cast<sockaddr*>(&from), &fromLength), 4);
  EXPECT_EQ(from.sin_addr.s_addr, inet_addr("127.0.0.1"));

  addrinfo hints{};
  hints.ai_family = AF_INET6;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  ASSERT_EQ(getaddrinfo("::1", nullptr, &hints, &found), 0);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->ai_family, AF_INET6);
  EXPECT_EQ(found->ai_addrlen, 28u);
  EXPECT_EQ(reinterpret_cast<sockaddr_in6*>(found->ai_addr)->sin6_addr.s6_addr[15], 1);
  freeaddrinfo(found);
  char name[256];
  EXPECT_EQ(gethostname(name, sizeof name), 0);
  EXPECT_EQ(gethostname(name, 0), SOCKET_ERROR);
  hostent* host = gethostbyname("127.0.0.1");
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->h_addrtype, AF_INET);
  EXPECT_EQ(std::memcmp(host->h_addr_list[0], "\x7F\0\0\x01", 4), 0);
  EXPECT_EQ(gethostbyaddr(nullptr, 4, AF_INET), nullptr);
  // The last cleanup closes what is still open (checked in TearDown).
}

TEST_F(SocketTest, NothingWorksBeforeStartUp) {
  WSACleanup();
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);  // for TearDown's cleanup
  EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
}

// Records the socket events handed to its window, and pumps its own window from inside
// the first one, as a procedure may.
std::vector<Event> delivered;
int deliveryDepth = 0, deepestDelivery = 0;
win::LRESULT recordingProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
  if (m != kMessage) return win::DefWindowProcW(h, m, w, l);
  deepestDelivery = std::max(deepestDelivery, ++deliveryDepth);
  delivered.push_back(Event{w, win::LOWORD(l), win::HIWORD(l)});
  if (delivered.size() == 1) {
    win::MSG msg;
    while (win::PeekMessageW(&msg, h, 0, 0, win::PM_REMOVE)) win::DispatchMessageW(&msg);
    EXPECT_EQ(DeliverSocketEvents(h), 0);
  }
  --deliveryDepth;
  return 0;
}

// More sockets than any fixed array of a pump step: each event comes once, in socket
// order, whether posted or handed straight to the window by DeliverSocketEvents.
TEST_F(SocketTest, ManySocketsEachPostOrDeliverTheirEventsInOrder) {
  win::WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = recordingProc;
  cls.lpszClassName = u"SocketTestRecorder";
  win::RegisterClassExW(&cls);
  win::HWND recorder = win::CreateWindowExW(0, u"SocketTestRecorder", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(recorder, nullptr);
  int port = 0;
  SOCKET listener = listenOnLoopback(&port);
  constexpr int kPairs = 300;
  std::vector<SOCKET> clients, servers;
  for (int i = 0; i < kPairs; ++i) {
    SOCKET c = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = loopback(port);
    ASSERT_EQ(connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    SOCKET s = accept(listener, nullptr, nullptr);
    ASSERT_NE(s, INVALID_SOCKET);
    // Every third socket goes to the recording window, the rest to the test's own.
    ASSERT_EQ(WSAAsyncSelect(s, i % 3 == 0 ? recorder : window_, kMessage, FD_READ | FD_CLOSE), 0);
    clients.push_back(c);
    servers.push_back(s);
  }
  delivered.clear();
  deepestDelivery = 0;
  for (int round = 0; round < 3; ++round) {
    for (SOCKET c : clients) ASSERT_EQ(send(c, "ab", 2, 0), 2);
    usleep(20000);
    std::vector<Event> posted;
    if (round == 1) {
      // The plain pump step: everything posted.
      posted = pump(1);
      std::vector<Event> rest;
      win::MSG msg;
      while (win::PeekMessageW(&msg, recorder, 0, 0, win::PM_REMOVE)) rest.push_back(Event{msg.wParam, win::LOWORD(msg.lParam), 0});
      posted.insert(posted.end(), rest.begin(), rest.end());
      std::sort(posted.begin(), posted.end(), [](const Event& a, const Event& b) { return a.socket < b.socket; });
    } else {
      delivered.clear();
      EXPECT_EQ(DeliverSocketEvents(recorder), kPairs / 3);
      posted = pump(1);
      EXPECT_EQ(deepestDelivery, 1);
      ASSERT_EQ(delivered.size(), static_cast<size_t>(kPairs / 3));
      for (size_t k = 0; k < delivered.size(); ++k) {
        EXPECT_EQ(delivered[k].socket, servers[k * 3]);
        EXPECT_EQ(delivered[k].event, FD_READ);
      }
    }
    std::vector<SOCKET> expected;
    for (int i = 0; i < kPairs; ++i)
      if (round == 1 || i % 3 != 0) expected.push_back(servers[static_cast<size_t>(i)]);
    ASSERT_EQ(posted.size(), expected.size()) << "round " << round;
    for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(posted[k].socket, expected[k]) << "round " << round;
    char buffer[4];
    for (SOCKET s : servers) ASSERT_EQ(recv(s, buffer, 4, 0), 2);
  }
  for (SOCKET c : clients) closesocket(c);
  for (SOCKET s : servers) closesocket(s);
  closesocket(listener);
  win::DestroyWindow(recorder);
}

// A zero-length peek marks what is there as seen: FD_READ comes again only for more
// bytes or the close; FIONREAD counts without reading and leaves the events alone.
TEST_F(SocketTest, AnEmptyPeekWaitsForMoreBytesAndFionreadCounts) {
  SOCKET client, server;
  connectPair(&client, &server);
  ASSERT_EQ(send(client, "abcdef", 6, 0), 6);
  EXPECT_EQ(count(pump(2000, server, FD_READ), server, FD_READ), 1);
  unsigned long queued = 0;
  ASSERT_EQ(ioctlsocket(server, FIONREAD, &queued), 0);
  EXPECT_EQ(queued, 6u);
  EXPECT_EQ(ioctlsocket(server, 0x1234, &queued), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(ioctlsocket(server, FIONREAD, nullptr), SOCKET_ERROR);
  EXPECT_EQ(ioctlsocket(0x7777, FIONREAD, &queued), SOCKET_ERROR);
  char none;
  ASSERT_EQ(recv(server, &none, 0, MSG_PEEK), 0);
  EXPECT_EQ(count(pump(5), server, FD_READ), 0);
  ASSERT_EQ(send(client, "g", 1, 0), 1);
  EXPECT_EQ(count(pump(2000, server, FD_READ), server, FD_READ), 1);
  // A byte that comes after a count brings FD_READ, whether it is there by the peek
  // after the count or comes later; a count whose bytes were all there at the peek
  // brings none, and stands for one peek only.
  ASSERT_EQ(ioctlsocket(server, FIONREAD, &queued), 0);
  EXPECT_EQ(queued, 7u);
  ASSERT_EQ(send(client, "h", 1, 0), 1);
  ASSERT_EQ(recv(server, &none, 0, MSG_PEEK), 0);
  EXPECT_EQ(count(pump(2000, server, FD_READ), server, FD_READ), 1);
  ASSERT_EQ(ioctlsocket(server, FIONREAD, &queued), 0);
  EXPECT_EQ(queued, 8u);
  ASSERT_EQ(recv(server, &none, 0, MSG_PEEK), 0);
  EXPECT_EQ(count(pump(5), server, FD_READ), 0);
  ASSERT_EQ(recv(server, &none, 0, MSG_PEEK), 0);
  EXPECT_EQ(count(pump(5), server, FD_READ), 0);
  ASSERT_EQ(closesocket(client), 0);
  // The peer is gone and the program has left what is there: the close follows.
  std::vector<Event> events = pump(2000, server, FD_CLOSE);
  EXPECT_EQ(count(events, server, FD_CLOSE), 1);
  EXPECT_EQ(count(events, server, FD_READ), 0);
  char buffer[16];
  EXPECT_EQ(recv(server, buffer, 16, 0), 8);
  closesocket(server);
}

// Datagrams at the size limit of each family and one byte past it, into a buffer of
// their size and one byte short, and to a port where nobody listens: what arrives is
// what was sent, a datagram that does not fit is reported (its first bytes given, the
// rest dropped) rather than handed out cut as if whole, and nothing blocks.
TEST_F(SocketTest, DatagramsAtTheSizeLimitAndOneByteOver) {
  constexpr int kWouldBlock = -2, kClosedPort = -3;
  struct Case {
    int family;
    int size;       // bytes sent
    int buffer;     // receive buffer; kClosedPort sends to a port nobody has
    int sendError;  // 0: the send takes every byte
    int recvError;  // 0: the datagram arrives whole
  } cases[] = {
      {AF_INET, 65507, 65507, 0, 0},           {AF_INET, 65508, 65508, 10040, kWouldBlock},
      {AF_INET6, 65527, 65527, 0, 0},          {AF_INET6, 65528, 65528, 10040, kWouldBlock},
      {AF_INET, 65507, 65506, 0, 10040},       {AF_INET, 1, 0, 0, 10040},
      {AF_INET, 0, 0, 0, 0},                   {AF_INET6, 0, 1, 0, 0},
      {AF_INET, 100, kClosedPort, 0, kWouldBlock},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "family " << c.family << " size " << c.size << " buffer " << c.buffer);
    SOCKET from = socket(c.family, SOCK_DGRAM, 0), to = socket(c.family, SOCK_DGRAM, 0);
    ASSERT_EQ(WSAAsyncSelect(to, window_, kMessage, FD_READ), 0);
    ASSERT_EQ(WSAAsyncSelect(from, window_, kMessage, FD_READ), 0);
    sockaddr_in6 address{};
    int length = c.family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    for (int p = 41000 + getpid() % 20000, tries = 0; tries < 200; ++p, ++tries) {
      if (c.family == AF_INET6) {
        address = sockaddr_in6{};
        address.sin6_family = AF_INET6;
        address.sin6_addr.s6_addr[15] = 1;
      } else {
        sockaddr_in four = loopback(0);
        std::memcpy(&address, &four, sizeof four);
      }
      address.sin6_port = htons(static_cast<uint16_t>(p));  // the same place in both layouts
      if (bind(to, reinterpret_cast<sockaddr*>(&address), length) == 0) break;
    }
    if (c.buffer == kClosedPort) closesocket(to);
    std::string sent(static_cast<size_t>(c.size), '\0');
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7 + i / 251);
    int n = sendto(from, sent.data(), c.size, 0, reinterpret_cast<sockaddr*>(&address), length);
    if (c.sendError) {
      EXPECT_EQ(n, SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), c.sendError);
    } else {
      EXPECT_EQ(n, c.size);
    }
    if (c.buffer == kClosedPort) {
      // Nothing comes back to the sender, and a receive there answers at once.
      char none[8];
      pump(5);
      EXPECT_EQ(recvfrom(from, none, sizeof none, 0, nullptr, nullptr), SOCKET_ERROR);
      EXPECT_TRUE(WSAGetLastError() == WSAEWOULDBLOCK || WSAGetLastError() == WSAECONNRESET);
      closesocket(from);
      continue;
    }
    if (c.recvError != kWouldBlock) {
      ASSERT_EQ(count(pump(2000, to, FD_READ), to, FD_READ), 1);
    }
    std::string got(static_cast<size_t>(c.buffer) + 1, '\x55');
    n = recvfrom(to, got.data(), c.buffer, 0, nullptr, nullptr);
    if (c.recvError == 0) {
      EXPECT_EQ(n, c.size);
      EXPECT_EQ(got.substr(0, static_cast<size_t>(c.size)), sent);
    } else if (c.recvError == kWouldBlock) {
      EXPECT_EQ(n, SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    } else {
      EXPECT_EQ(n, SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), c.recvError);
      EXPECT_EQ(got.substr(0, static_cast<size_t>(c.buffer)), sent.substr(0, static_cast<size_t>(c.buffer)));
      EXPECT_EQ(got[static_cast<size_t>(c.buffer)], '\x55');
    }
    // The datagram was taken whole or dropped whole: nothing of it is left.
    char rest[8];
    EXPECT_EQ(recvfrom(to, rest, sizeof rest, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    closesocket(from);
    closesocket(to);
  }
}

}  // namespace
