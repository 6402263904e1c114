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

// A death test's child (the program started again for one test, with the variable
// inherited) works in the folder of the test that started it, which removes it
// afterwards. The variable is set only while a test runs.
constexpr const char* kFolderVariable = "HALVORINE_TEST_OWN_FOLDER";

class OwnFolder : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    std::error_code error;
    home_ = fs::current_path(error);
    std::string pattern = (fs::temp_directory_path(error) / "halvorine-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr || ::chdir(pattern.c_str()) != 0) std::abort();
    folder_ = pattern;
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
  if (const char* inherited = std::getenv(kFolderVariable)) {
    if (::chdir(inherited) != 0) std::abort();
  }
  ::testing::UnitTest::GetInstance()->listeners().Append(new OwnFolder);
  return true;
}();

}  // namespace
