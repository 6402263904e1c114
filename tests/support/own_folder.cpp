// Runs every test in a fresh temporary folder of its own, so that whatever a test
// writes into its working folder (the media log, a runtime log, scratch files) stays
// out of the build tree and out of the other tests' way. Linked into every test program.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// A child run for a test (a death test's child, or the program started again for one
// test with the variable inherited) works in the folder of the test that started it,
// which removes it afterwards. The variable is set only while a test runs.
constexpr const char* kFolderVariable = "HALVORINE_TEST_OWN_FOLDER";

// Set when this process was started inside a test's folder.
bool inherited = false;

// The folder of the test running now, for a test that ends the program itself
// (std::exit) before its end event, and the process that made it: a child forked by
// the test and ending with exit() runs the same handler and must leave the folder be.
std::string* running = nullptr;
pid_t runningOwner = 0;

void removeRunning() {
  if (running == nullptr || running->empty() || ::getpid() != runningOwner) return;
  std::error_code error;
  fs::remove_all(*running, error);
  running->clear();
}

class OwnFolder : public ::testing::EmptyTestEventListener {
 public:
  OwnFolder() {
    running = &folder_;
    std::atexit(removeRunning);
  }

  void OnTestStart(const ::testing::TestInfo&) override {
    if (inherited) return;
    std::error_code error;
    home_ = fs::current_path(error);
    std::string pattern = (fs::temp_directory_path(error) / "halvorine-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0) std::abort();
    folder_ = pattern;
    runningOwner = ::getpid();
    ::setenv(kFolderVariable, folder_.c_str(), 1);
  }

  void OnTestEnd(const ::testing::TestInfo&) override {
    if (folder_.empty()) return;
    std::error_code error;
    if (::chdir(home_.c_str()) != 0) std::abort();
    fs::remove_all(folder_, error);
    ::unsetenv(kFolderVariable);
    folder_.clear();
  }

 private:
  fs::path home_;
  std::string folder_;
};

const bool installed = [] {
  // A death test's child hears no test events: it moves into the folder at start.
  if (const char* given = std::getenv(kFolderVariable)) {
    if (::chdir(given) != 0) std::abort();
    inherited = true;
  }
  ::testing::UnitTest::GetInstance()->listeners().Append(new OwnFolder);
  return true;
}();

}  // namespace
