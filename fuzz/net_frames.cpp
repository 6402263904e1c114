// Received network data: the input is a chunking pattern and a byte stream. The stream
// is written in those chunks into one end of a socketpair whose other end is a network
// handle; after each chunk the handle receives and every complete message is read out.
// Each message handed out must be the next one framed completely in the stream, no
// larger than the cap, and the rings never hold more than their size.
//   input: n (1 byte, chunk lengths that follow, 0..15), n lengths (1..256 each, as
//   byte + 1, used in turn), then the stream.
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "media/base/log.h"
#include "media/network/network.h"
#include "media/network/network_record.h"
#include "platform/net/socket_adopt.h"

using namespace ZaDod;

namespace {

// Frames of the stream as the sender meant them: complete ones only, up to an oversized
// prefix, which ends the stream.
struct Reference {
  std::string data;
  size_t at = 0;
  bool oversized = false;

  // The next complete frame's body, if there is one.
  bool next(std::string* body) {
    if (oversized || data.size() - at < 4) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + at);
    uint32_t size = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
    if (size > NetworkMessageMax) {
      oversized = true;
      return false;
    }
    if (data.size() - at - 4 < size) return false;
    body->assign(data, at + 4, size);
    at += 4 + size;
    return true;
  }
};

int handleFor(uintptr_t socket) {
  int handle = AddHandle(HANDLETYPE_NETWORK, 0, -1);
  if (handle == -1) return -1;
  auto* r = reinterpret_cast<NetworkHandleRecord*>(GetHandleInfo(handle));
  r->IsValid = 1;
  r->ConnectedFlag = 1;
  r->LengthPrefixFlag = 1;
  r->AutoDeleteFlag = 1;
  r->Socket = socket;
  return handle;
}

void check(bool ok) {
  if (!ok) std::abort();
}

void checkRings(int handle) {
  if (NetworkHandleRecord* r = NetworkRecord(handle)) {
    check(r->RecvBuffer.DataLength <= r->RecvBuffer.BufferSize);
    check(r->MessageSizes.DataLength <= r->MessageSizes.BufferSize);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("HALVORINE_HEADLESS", "1", 1);
  SetLogFileOutput(0);
  if (StartNetwork() != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t lengths = data[0] % 16;
  if (size < 1 + lengths) return 0;
  const uint8_t* chunk = data + 1;
  const uint8_t* stream = data + 1 + lengths;
  const size_t streamSize = size - 1 - lengths;

  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) return 0;
  fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  int handle = handleFor(plat::net::AdoptConnectedSocket(ends[1]));
  if (handle == -1) {
    close(ends[0]);
    return 0;
  }
  Reference reference;
  std::string got;
  for (size_t at = 0, k = 0; at < streamSize; ++k) {
    size_t n = lengths ? chunk[k % lengths] + 1u : streamSize;
    if (n > streamSize - at) n = streamSize - at;
    ssize_t written = write(ends[0], stream + at, n);
    if (written <= 0) break;
    reference.data.append(reinterpret_cast<const char*>(stream + at), static_cast<size_t>(written));
    at += static_cast<size_t>(written);
    RecvSocket(handle);
    checkRings(handle);
    for (int size; (size = GetNetworkMessageSize(handle)) >= 0;) {
      check(static_cast<uint32_t>(size) <= NetworkMessageMax);
      got.resize(static_cast<size_t>(size));
      check(ReadNetworkMessage(handle, got.data(), static_cast<uint32_t>(size)) == size);
      std::string expected;
      check(reference.next(&expected) && expected == got);
    }
    int connected = 0, error = 0;
    if (GetNetworkHandleState(handle, &connected, &error) == 0 && error) {
      std::string none;
      check(!reference.next(&none) && reference.oversized);  // only a prefix over the cap is refused
      break;
    }
  }
  // Everything framed completely has been handed out.
  int connected = 0, error = 0;
  if (GetNetworkHandleState(handle, &connected, &error) == 0 && !error) {
    std::string left;
    check(!reference.next(&left));
  }
  close(ends[0]);
  CloseNetworkHandle(handle);
  return 0;
}
