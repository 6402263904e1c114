// Network handles through their whole life, against plain POSIX peers on loopback: the
// peer ending the connection in each way, a freed slot taken by a new connection, many
// accepted at once, reconnecting, and the handle limit.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "posix_peer.h"

// Declared here: the stand-in's header and the system's socket headers do not mix.
namespace plat::net {
int OpenSocketCount();
}

namespace {

using namespace halvorine_test;
using namespace ZaDod;

class LifeTest : public NetworkTest {
 protected:
  void TearDown() override {
    for (int fd : fds_)
      if (fd >= 0) ::close(fd);
    Network.KeepClosedHandles = 0;
    NetworkTest::TearDown();
  }

  // A POSIX client (non-blocking, no send delay) connected to `port`; -1 on failure.
  int dial(int port) {
    int fd = dialLoopback(port);
    if (fd < 0) return -1;
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fds_.push_back(fd);
    return fd;
  }

  // A client of the library's listener and the handle accept made for it.
  bool acceptOne(int port, int* fd, int* handle) {
    const int before = GetLastAcceptedNetworkHandle();
    *fd = dial(port);
    if (*fd < 0) return false;
    if (!pumpUntil([&] { return GetLastAcceptedNetworkHandle() != before && GetLastAcceptedNetworkHandle() != -1; }))
      return false;
    *handle = GetLastAcceptedNetworkHandle();
    return true;
  }

  // Ends the peer's side: a half-close, a full close or a reset.
  enum class End { halfClose, close, reset };
  void end(int& fd, End how) {
    if (how == End::halfClose) {
      ::shutdown(fd, SHUT_WR);
      return;
    }
    if (how == End::reset) {
      linger l{1, 0};
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }
    ::close(fd);
    std::replace(fds_.begin(), fds_.end(), fd, -1);
    fd = -1;
  }

  static int messagesWaiting(int handle) {
    NetworkHandleRecord* r = record(handle);
    return r ? r->MessageSizes.DataLength / 4 : -1;
  }

  std::vector<int> fds_;
};

// Every way the peer can end: what it sent first arrives whole, the game sees the handle
// lost (deleted, or kept and no longer connected), and a send to a peer that is gone is
// refused rather than queued for ever; after a half-close the peer still receives.
TEST_F(LifeTest, ThePeerEndingIsSeenAfterEveryByteItSentAndSendsAfterItAreAnswered) {
  struct Case {
    End how;
    int keep;
  } cases[] = {{End::halfClose, 0}, {End::close, 0}, {End::reset, 0},
               {End::halfClose, 1}, {End::close, 1}, {End::reset, 1}};
  int port = 0;
  ASSERT_NE(listenHandle(&port), -1);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "end " << static_cast<int>(c.how) << " keep " << c.keep);
    Network.KeepClosedHandles = c.keep;
    int fd, h;
    ASSERT_TRUE(acceptOne(port, &fd, &h));
    std::vector<std::string> sent = {pattern(0, 1), pattern(5, 2), pattern(70000, 3), pattern(9000, 4)};
    for (const std::string& m : sent) write(fd, frame(m));
    ASSERT_TRUE(pumpUntil([&] { return messagesWaiting(h) == static_cast<int>(sent.size()); }));
    end(fd, c.how);
    // The close is seen while messages wait: the handle stays until they are read.
    ASSERT_TRUE(pumpUntil([&] { return connected(h) == 0; }));
    pumpPasses(5);
    for (const std::string& m : sent) EXPECT_EQ(take(h), m);
    if (c.how == End::halfClose && c.keep) {
      // The peer stops sending but still reads.
      std::string reply = pattern(30000, 5);
      ASSERT_EQ(SendNetworkMessage(h, reply.data(), static_cast<uint32_t>(reply.size())), 0);
      EXPECT_EQ(read(fd, reply.size() + 4), frame(reply));
    } else if (c.how == End::reset && c.keep) {
      int error = 0;
      const int refused = SendNetworkMessage(h, "late", 4);
      pumpPasses(3);
      ASSERT_EQ(GetNetworkHandleState(h, nullptr, &error), 0);
      EXPECT_TRUE(refused == -1 || error == 1) << "a send to a reset connection looked sent";
      EXPECT_EQ(SendNetworkMessage(h, "later", 5), -1);
    }
    if (c.keep) {
      EXPECT_FALSE(gone(h));
      EXPECT_EQ(CloseNetworkHandle(h), 0);
    } else {
      EXPECT_TRUE(pumpUntil([&] { return gone(h); }));
    }
    if (fd >= 0) end(fd, End::close);
  }
  EXPECT_EQ(networkHandleCount(), 1);
  EXPECT_EQ(plat::net::OpenSocketCount(), 1);
}

// A handle freed with bytes unread (complete messages and one under way) gives its slot
// to the next connection, which sees only its own bytes; the old handle value is dead.
TEST_F(LifeTest, AFreedSlotTakenByANewConnectionSeesNoneOfTheOldConnectionsBytes) {
  int port = 0;
  ASSERT_NE(listenHandle(&port), -1);
  for (int closer : {0, 1}) {  // the game closes the handle, or the peer resets it
    SCOPED_TRACE(closer ? "peer resets" : "game closes");
    int oldFd, old;
    ASSERT_TRUE(acceptOne(port, &oldFd, &old));
    write(oldFd, frame(pattern(300, 7)) + frame(pattern(20000, 8)) + frame(pattern(50, 9)).substr(0, 30));
    ASSERT_TRUE(pumpUntil([&] { return messagesWaiting(old) == 2 && record(old)->RecvInMessage; }));
    if (closer) {
      end(oldFd, End::reset);
      // An auto-deleted handle waits for its messages: the game reads one, drops the rest.
      ASSERT_TRUE(pumpUntil([&] { return connected(old) == 0; }));
      EXPECT_EQ(take(old), pattern(300, 7));
      EXPECT_EQ(CloseNetworkHandle(old), 0);
    } else {
      EXPECT_EQ(CloseNetworkHandle(old), 0);
    }
    EXPECT_TRUE(gone(old));
    int fd, h;
    ASSERT_TRUE(acceptOne(port, &fd, &h));
    EXPECT_EQ(h & HANDLE_INDEX_MASK, old & HANDLE_INDEX_MASK);
    EXPECT_NE(h, old);
    EXPECT_EQ(GetNetworkMessageSize(old), -1);
    EXPECT_EQ(SendNetworkMessage(old, "x", 1), -1);
    EXPECT_EQ(CloseNetworkHandle(old), -1);
    // Nothing of the old connection: no message, no partial prefix or body.
    pumpPasses(5);
    EXPECT_EQ(GetNetworkMessageSize(h), -1);
    EXPECT_EQ(record(h)->RecvPrefixHave, 0);
    EXPECT_EQ(record(h)->RecvInMessage, 0);
    EXPECT_EQ(record(h)->RecvBuffer.DataLength, 0);
    std::string m = pattern(41, 10);
    write(fd, frame(m));
    ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(h) != -1; }));
    EXPECT_EQ(take(h), m);
    EXPECT_EQ(GetNetworkMessageSize(h), -1);
    if (!closer) {
      EXPECT_TRUE(pumpUntil([&] {
        char c;
        return ::recv(oldFd, &c, 1, 0) == 0 || errno == ECONNRESET;
      }));
    }
    EXPECT_EQ(CloseNetworkHandle(h), 0);
  }
}

// Many clients at once; one resets in the middle and the others go on undisturbed, each
// with its own bytes; then everything is closed and the same port is listened on again.
TEST_F(LifeTest, ManyAcceptedOneLostTheOthersGoOnAndThePortIsUsedAgain) {
  int port = 0;
  ASSERT_NE(listenHandle(&port), -1);
  const int descriptors = openDescriptorCount();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    constexpr int kClients = 24, kLost = 9;
    std::vector<int> fds(kClients), handles(kClients);
    for (int i = 0; i < kClients; ++i) ASSERT_TRUE(acceptOne(port, &fds[i], &handles[i]));
    for (int step = 0; step < 3; ++step) {
      if (step == 1) end(fds[kLost], End::reset);
      for (int i = 0; i < kClients; ++i) {
        if (i == kLost && step > 0) continue;
        std::string up = pattern(static_cast<size_t>(i * 211 + step * 3001), static_cast<unsigned>(i * 7 + step));
        write(fds[i], frame(up));
        std::string down = pattern(static_cast<size_t>(i * 37 + step), static_cast<unsigned>(i * 5 + step + 99));
        ASSERT_EQ(SendNetworkMessage(handles[i], down.data(), static_cast<uint32_t>(down.size())), 0);
        ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(handles[i]) != -1; }));
        EXPECT_EQ(take(handles[i]), up) << "client " << i;
        EXPECT_EQ(read(fds[i], down.size() + 4), frame(down)) << "client " << i;
      }
      if (step == 1) {
        EXPECT_TRUE(pumpUntil([&] { return gone(handles[kLost]); }));
      }
    }
    // A library client that sends before its connection is made: the message waits for it.
    const int before = GetLastAcceptedNetworkHandle();
    const int client = ConnectNetwork("127.0.0.1", port);
    ASSERT_NE(client, -1);
    std::string early = pattern(5000, static_cast<unsigned>(round + 77));
    ASSERT_EQ(SendNetworkMessage(client, early.data(), static_cast<uint32_t>(early.size())), 0);
    ASSERT_TRUE(pumpUntil([&] {
      const int last = GetLastAcceptedNetworkHandle();
      return last != before && last != -1 && GetNetworkMessageSize(last) != -1;
    }));
    const int server = GetLastAcceptedNetworkHandle();
    EXPECT_EQ(take(server), early);
    EXPECT_EQ(CloseNetworkHandle(client), 0);
    EXPECT_TRUE(pumpUntil([&] { return gone(server); }));
    EXPECT_EQ(networkHandleCount(), kClients);  // the listener and the clients still there
    for (int i = 0; i < kClients; ++i) {
      if (i != kLost) {
        EXPECT_EQ(CloseNetworkHandle(handles[i]), 0);
      }
      if (fds[i] >= 0) end(fds[i], End::close);
    }
    if (round == 0) {
      EXPECT_EQ(CloseNetworkHandle(Network.ListenHandle), 0);
      EXPECT_EQ(dial(port), -1);
      ASSERT_NE(ListenNetwork(port, 0), -1);
    }
  }
  EXPECT_EQ(networkHandleCount(), 1);
  EXPECT_EQ(openDescriptorCount(), descriptors);
}

// The handle limit: handles up to it are made, the one past it fails clearly without a
// socket left behind, and a client that connects while the table is full is turned away
// without stalling the listener: once handles are freed the next client is accepted.
TEST_F(LifeTest, TheHandleLimitRefusesOnePastItAndTheListenerRecovers) {
  // A socket for every handle, and the test's own: the soft descriptor limit is raised
  // to the hard one for the run.
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const rlimit before = limit;
  const rlim_t need = static_cast<rlim_t>(NetworkHandleMax) + 256;
  if (limit.rlim_cur < need) limit.rlim_cur = std::min(need, limit.rlim_max);
  setrlimit(RLIMIT_NOFILE, &limit);
  struct Restore {
    rlimit limit;
    ~Restore() { setrlimit(RLIMIT_NOFILE, &limit); }
  } restore{before};
  if (limit.rlim_cur < need) GTEST_SKIP() << "the descriptor limit is below " << need;
  int port = 0;
  const int listener = listenHandle(&port);
  ASSERT_NE(listener, -1);
  // A POSIX listener that takes the connecting handles' connections without accepting them.
  int sink = ::socket(AF_INET, SOCK_STREAM, 0);
  fds_.push_back(sink);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(sink, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(sink, 64), 0);
  socklen_t length = sizeof a;
  getsockname(sink, reinterpret_cast<sockaddr*>(&a), &length);
  std::vector<int> handles;
  while (networkHandleCount() < NetworkHandleMax) {
    int h = ConnectNetwork("127.0.0.1", ntohs(a.sin_port));
    ASSERT_NE(h, -1) << networkHandleCount();
    handles.push_back(h);
  }
  const int sockets = plat::net::OpenSocketCount();
  EXPECT_EQ(ConnectNetwork("127.0.0.1", ntohs(a.sin_port)), -1);
  EXPECT_EQ(plat::net::OpenSocketCount(), sockets);
  EXPECT_EQ(networkHandleCount(), NetworkHandleMax);

  // A client while the table is full is closed, not left waiting.
  int turnedAway = dial(port);
  ASSERT_GE(turnedAway, 0);
  EXPECT_TRUE(pumpUntil([&] {
    char c;
    ssize_t n = ::recv(turnedAway, &c, 1, 0);
    return n == 0 || (n < 0 && errno != EAGAIN);
  })) << "a client of a full table was left waiting";
  for (int k = 0; k < 10; ++k) EXPECT_EQ(CloseNetworkHandle(handles[static_cast<size_t>(k)]), 0);
  int fd, h;
  ASSERT_TRUE(acceptOne(port, &fd, &h)) << "the listener stopped accepting";
  write(fd, frame("after"));
  ASSERT_TRUE(pumpUntil([&] { return GetNetworkMessageSize(h) != -1; }));
  EXPECT_EQ(take(h), "after");
}

}  // namespace
