// Runs one test of this test program in a child process with the given environment;
// the sound tests use it to play into a capture file in a fresh process.
#pragma once
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

namespace halvorine_test {

// The child's exit status, or -1 when it could not be started or did not exit.
inline int runTestInChild(const std::string& testName, std::vector<std::string> env) {
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::string self = "/proc/self/exe", filter = "--gtest_filter=" + testName;
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace halvorine_test
