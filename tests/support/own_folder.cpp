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

// A death test's child (started again with the internal flag) works in the folder of
// the test that started it, which removes it afterwards.
constexpr const char* kFolderVariable = "HALVORINE_TEST_OWN_FOLDER";

class OwnFolder : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    std::error_code error;
    home_ = fs::current_path(error);
    const char* inherited = std::getenv(kFolderVariable);
    if (inherited != nullptr && !GTEST_FLAG_GET(internal_run_death_test).empty()) {
      folder_.clear();
      if (::chdir(inherited) != 0) std::abort();
      return;
    }
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
  ::testing::UnitTest::GetInstance()->listeners().Append(new OwnFolder);
  return true;
}();

}  // namespace
