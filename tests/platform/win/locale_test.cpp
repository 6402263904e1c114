// Tests of platform/win/locale: the code page of the environment's locale.
#include "platform/win/locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using plat::win::GetOEMCP;

namespace {

// Sets the three variables for one check and puts the old values back.
class Environment {
public:
    Environment()
    {
        for (int i = 0; i < 3; ++i)
            if (const char* v = std::getenv(names[i])) saved[i] = v, had[i] = true;
    }
    ~Environment()
    {
        for (int i = 0; i < 3; ++i) had[i] ? setenv(names[i], saved[i].c_str(), 1) : unsetenv(names[i]);
    }
    unsigned with(const char* all, const char* ctype, const char* lang)
    {
        const char* values[] = {all, ctype, lang};
        for (int i = 0; i < 3; ++i) values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        return GetOEMCP();
    }

private:
    const char* names[3] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::string saved[3];
    bool had[3] = {};
};

}  // namespace

TEST(GetOEMCP, FromTheFirstSetVariable)
{
    Environment env;
    EXPECT_EQ(env.with(nullptr, nullptr, nullptr), 65001u);
    EXPECT_EQ(env.with("C", "ja_JP.SJIS", nullptr), 65001u);
    EXPECT_EQ(env.with("", "ja_JP.SJIS", "en_US.UTF-8"), 932u);
    EXPECT_EQ(env.with(nullptr, nullptr, "POSIX"), 65001u);
    EXPECT_EQ(env.with(nullptr, nullptr, "zh_CN.GBK"), 936u);
    EXPECT_EQ(env.with(nullptr, nullptr, "ko_KR.CP949"), 949u);
    EXPECT_EQ(env.with(nullptr, nullptr, "zh_TW.Big5"), 950u);
    EXPECT_EQ(env.with(nullptr, nullptr, "de_DE.ISO-8859-1@euro"), 1252u);
    EXPECT_EQ(env.with(nullptr, nullptr, "ja_JP.eucJP"), 65001u);
    EXPECT_EQ(env.with(nullptr, nullptr, "de_DE"), 65001u);
}
