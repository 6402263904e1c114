// The media log is on by default; in this test program only the tests that look at
// the file switch it on, each in a folder of its own. The test hook still sees
// every message.
#include <gtest/gtest.h>

#include "media/base/log.h"

namespace {

struct LogFileOff : ::testing::Environment {
    void SetUp() override { ZaDod::SetLogFileOutput(0); }
};

[[maybe_unused]] ::testing::Environment* const logFileOff = ::testing::AddGlobalTestEnvironment(new LogFileOff);

}  // namespace
