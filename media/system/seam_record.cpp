#include "media/system/seam_record.h"

#include <mutex>

namespace ZaDod {
namespace {

std::mutex recordLock;
std::vector<std::string>& calls() {
  static std::vector<std::string> list;
  return list;
}

}  // namespace

void RecordSeamCall(const char* name) {
  std::lock_guard lock(recordLock);
  // Per-pass calls would grow without bound in a long run; keep the recent ones.
  if (calls().size() >= 4096) calls().erase(calls().begin(), calls().begin() + 2048);
  calls().push_back(name);
}

std::vector<std::string> TakeSeamCalls() {
  std::lock_guard lock(recordLock);
  std::vector<std::string> taken;
  taken.swap(calls());
  return taken;
}

}  // namespace ZaDod
