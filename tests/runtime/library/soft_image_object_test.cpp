// Tests of runtime/library/soft_image_object: the SoftImage script object.
#include <string>
#include <vector>

#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

class SoftImageScriptTest : public ScriptTest {};

// Pixels round-trip as 0xAARRGGBB; an argument that is not an integer
// (1.0 too) is 0; a refused
// pixel, a refused image (which gives warning 3) and a receiver that is no soft
// image read 0.
TEST_P(SoftImageScriptTest, PixelsRoundTripAndRefusalsReadZero) {
  std::vector<std::string> out = runScript(
      "var s = new SoftImage(4, 4);\n"
      "s.drawPixel(1, 2, 1, 2, 3, 4);\n"
      "s.drawPixel(0, 0, 1.5, 2, 3, 4);\n"
      "console.log(s.getPixel(1, 2) @ \" \" @ s.getPixel(0, 0) @ \" \" @ s.getPixel(3, 3));\n"
      "console.log(s.getPixel(99, 0) @ \" \" @ s.getPixel(-1, 2) @ \" \" @ s.getPixel(1.0, 2));\n"
      "var bad = new SoftImage(-5, 4);\n"
      "bad.drawPixel(0, 0, 9, 9, 9, 9);\n"
      "var o = {g: s.getPixel};\n"
      "console.log(bad.getPixel(0, 0) @ \" \" @ o.g(1, 2) @ \" \" @ typeof new SoftImage());\n"
      "var d = new SoftImage(); d.drawPixel(31, 31, 255, 255, 255, 255);\n"
      "var n = 0; var i = 0;\n"
      "while (i < 3000) { var t = new SoftImage(2, 2); t.drawPixel(1, 1, i % 256, 0, 0, 255); if (t.getPixel(1, 1) == -16777216 + (i % 256) * 65536) n++; i++; }\n"
      "console.log(d.getPixel(31, 31) @ \" \" @ n);\n");
  // The warning's file number counts the scripts this process compiled before.
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[2].substr(0, 9), "Wr0003 F:");
  EXPECT_NE(out[2].find(" L:6 construtor failed"), std::string::npos);
  out.erase(out.begin() + 2);
  EXPECT_EQ(out, (std::vector<std::string>{"67174915 67109379 0", "0 0 0", "0 0 object", "-1 3000"}));
}

INSTANTIATE_TEST_SUITE_P(Collector, SoftImageScriptTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
