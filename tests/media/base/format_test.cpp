// Tests of media/base/format: the layer's printf engine.
#include "media/base/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "media/base/charcode.h"

using namespace ZaDod;

namespace {

std::string narrow(const char* format, ...)
{
    char out[512];
    va_list args;
    va_start(args, format);
    EXPECT_EQ(CharCode_VSNPrintf(932, 0, 932, 1200, out, sizeof out, format, args), 0);
    va_end(args);
    return out;
}

std::string sized(std::size_t size, const char* format, ...)
{
    char out[64];
    std::memset(out, 'Z', sizeof out);
    va_list args;
    va_start(args, format);
    CharCode_VSNPrintf(932, 0, 932, 1200, out, size, format, args);
    va_end(args);
    return out;
}

}  // namespace

TEST(Format, Integers)
{
    EXPECT_EQ(narrow("[%5d][%-5d][%05d][%+d][% d][%08.3d]", -42, -42, -42, 7, 7, 5),
              "[  -42][-42  ][-0042][+7][ 7][     005]");
    EXPECT_EQ(narrow("%#x %#o %.0d %d %.3d", 0, 8, 0, 0, 0), "0x0 010 0 0 000");
    EXPECT_EQ(narrow("%hd %hu %X %x", 70000, 70000, 0xBEEFu, 0xBEEFu), "4464 4464 BEEF beef");
    EXPECT_EQ(narrow("%lld %I64u %d", -9000000000LL, 18000000000ULL, 3), "-9000000000 18000000000 3");
    EXPECT_EQ(narrow("%ld %d", -1, 2), "-1 2");
    EXPECT_EQ(narrow("%d", std::numeric_limits<int>::min()), "-2147483648");
    EXPECT_EQ(narrow("%*d|%-*d|%.*d", 4, 1, 3, 2, 3, 3), "   1|2  |003");
    EXPECT_EQ(narrow("%#08x", 255), "0x0000ff");
}

TEST(Format, Pointers)
{
    EXPECT_EQ(narrow("%p", reinterpret_cast<void*>(0x1234)), "00001234");
    EXPECT_EQ(narrow("%p", reinterpret_cast<void*>(0x123456789AULL)), "123456789A");
}

TEST(Format, Floats)
{
    EXPECT_EQ(narrow("%.2f %.2f %.0f %.0f", 0.125, 0.126, 2.5, 2.6), "0.12 0.13 2 3");
    EXPECT_EQ(narrow("%e %E", 15.0, 0.00012), "1.500000e+001 1.200000E-004");
    EXPECT_EQ(narrow("%g %g %g %G", 1e6, 100000.0, 0.0001, 1e-5), "1e+006 100000 0.0001 1E-005");
    EXPECT_EQ(narrow("%A %a %a", 255.0, 1.0, 0.0), "0x1.FE0000P+7 0x1.000000p+0 0x0.000000p+0");
    EXPECT_EQ(narrow("%.1a|%.1a", 1.96875, 1.998), "0x1.fp+0|0x1.0p+1");
    EXPECT_EQ(narrow("%f %f %.3f %.3f", 0.0, -1.5, 999.9996, 999.99961), "0.000000 -1.500000 999.999 1000.000");
    EXPECT_EQ(narrow("%10.3f|%-10.3f|%+.1f|%010.2f", 3.1417, 3.14159, 2.0, -3.5), "     3.142|3.141     |+2.0|-000003.50");
    EXPECT_EQ(narrow("%#.0f %#g", 3.0, 1.0), "3. 1.00000");
    EXPECT_EQ(narrow("%.30f", 0.1), "0.100000000000000005551115123126");
    EXPECT_EQ(narrow("%f", 1e20), "100000000000000000000.000000");
    EXPECT_EQ(narrow("%.3e", 5e-324), "4.941e-324");
}

TEST(Format, NonFinite)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(narrow("%f|%.2f|%010f", inf, nan, -inf), "1.#INF00|1.#R|-01.#INF00");
    EXPECT_EQ(narrow("%e|%a|%g|%.0f|%#.0f", inf, inf, nan, inf, inf), "1.#INF00e+000|0x1.#INF00p+0|1.#QNAN|1|1.");
    EXPECT_EQ(narrow("%f", -nan), "1.#QNAN0");
}

TEST(Format, FlagsAndOddCodes)
{
    EXPECT_EQ(narrow("%y%d", 5), "y5");
    EXPECT_EQ(narrow("a%5.2.3d|%d", 7), "a.3d|7");
    EXPECT_EQ(narrow("%s%d", static_cast<const char*>(nullptr), 3), "3");
    int stored = 99;
    EXPECT_EQ(narrow("%d%n%d", 1, &stored, 2), "12");
    EXPECT_EQ(stored, 99);
    EXPECT_EQ(narrow("100%%%Zx%"), "100%x");
    EXPECT_EQ(narrow("%hZd", 1), "d");
    EXPECT_EQ(narrow("%h.2d|", 4), ".2d|");
}

TEST(Format, StringsAndCharacters)
{
    EXPECT_EQ(narrow("[%5s][%-5s][%.2s][%05s]", "ab", "ab", "abc", "ab"), "[   ab][ab   ][ab][000ab]");
    EXPECT_EQ(narrow("[%S]", u"\u3042x"), "[\x82\xA0x]");
    EXPECT_EQ(narrow("[%.1S]", u"\u3042x"), "[]");  // a cut never splits a character
    EXPECT_EQ(narrow("[%c][%3c][%-3c][%C]", 'a', 'b', 'c', 0x3042), "[a][  b][c  ][\x82\xA0]");
    EXPECT_EQ(narrow("[%3C]", 0x00E9), "[  ]");  // no Shift-JIS code: padding only

    char16_t wide[64];
    CharCode_SNPrintf(1200, 1, 932, 1200, wide, 64, u"%s|%S|%c|%C", u"w", "\x82\xA0", 0x3042, 'n');
    EXPECT_EQ(std::u16string(wide), u"w|\u3042|\u3042|n");
}

TEST(Format, OutputLimits)
{
    EXPECT_EQ(sized(4, "%d", 12345), "123");
    EXPECT_EQ(sized(3, "a\x82\xA0"), "a");
    EXPECT_EQ(sized(1, "abc"), "");
    char untouched[4] = {'x', 'x', 'x', 0};
    EXPECT_EQ(CharCode_SNPrintf(932, 0, 932, 1200, untouched, 0, "abc"), 0);
    EXPECT_STREQ(untouched, "xxx");
    EXPECT_EQ(sized(8, "%.2000000000f", 1.0), "1.00000");
    EXPECT_EQ(sized(8, "%2000000000d", 1), "       ");

    char16_t wide[3];
    CharCode_SNPrintf(1200, 1, 932, 1200, wide, 3, u"a\U0001F600");
    EXPECT_EQ(std::u16string(wide), u"a");
}

TEST(Format, LongFormatUsesTrackedMemory)
{
    std::string format(3000, 'x');
    format += "%d";
    char out[4000];
    CharCode_SNPrintf(65001, 0, 65001, 1200, out, sizeof out, format.c_str(), 42);
    EXPECT_EQ(std::string(out), std::string(3000, 'x') + "42");
}

// The tracked-memory dump line is built by this engine.
TEST(Format, MemoryDumpLine)
{
    char out[256];
    CharCode_SNPrintf(65001, 0, 65001, 1200, out, sizeof out, "  user size:%10d(%10.3fkb)  data:[%02x %02x %02x]\n", 3,
                      3 / 1024.0, 1, 2, 3);
    EXPECT_STREQ(out, "  user size:         3(     0.003kb)  data:[01 02 03]\n");
}
