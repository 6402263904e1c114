// Runs a fuzz target's entry on every file of its seed folders, without libFuzzer: the
// ordinary and sanitizer builds replay each committed corpus as a test.
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p(argv[i]);
    if (std::filesystem::is_directory(p)) {
      for (const auto& entry : std::filesystem::directory_iterator(p))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else if (std::filesystem::is_regular_file(p)) {
      inputs.push_back(p);
    } else {
      std::fprintf(stderr, "no such seed file or folder: %s\n", argv[i]);
      return 2;
    }
  }
  std::sort(inputs.begin(), inputs.end());
  std::vector<std::vector<std::uint8_t>> seeds;
  for (const auto& path : inputs) {
    std::ifstream in(path, std::ios::binary);
    seeds.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  for (const auto& bytes : seeds) LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  // With HALVORINE_REPLAY_ROUNDS=N the seeds run N times more, and the heap in use must
  // not grow between the tenth round and the last: a target that keeps memory per
  // input makes a long fuzzing run ever slower and larger.
  if (const char* rounds = std::getenv("HALVORINE_REPLAY_ROUNDS")) {
    const int n = std::atoi(rounds);
    std::size_t settled = 0;
    for (int round = 1; round <= n; ++round) {
      for (const auto& bytes : seeds) LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      if (round == 10) settled = mallinfo2().uordblks;
    }
    const std::size_t last = mallinfo2().uordblks;
    // A little slack for allocator bookkeeping that settles late.
    if (n > 10 && last > settled + 256 * 1024) {
      std::fprintf(stderr, "heap in use grew from %zu to %zu bytes over %d rounds\n", settled, last, n - 10);
      return 1;
    }
  }
  // An empty input too: every target must take it.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %zu seeds\n", inputs.size());
  return 0;
}
