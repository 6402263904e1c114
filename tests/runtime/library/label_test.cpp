// Labels and fonts on a headless 32-bit software screen: the numeric label's
// formatting rules, a label's text across collections, measuring with and
// without a font, and a font that cannot be made.
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "runtime/library/font_object.h"
#include "runtime/library/labels.h"
#include "tests/runtime/library/screen_fixture.h"

namespace kvtest {
namespace {

using Lines = std::vector<std::string>;

class LabelTest : public ScreenScriptTest {
 protected:
  // Calls the object's method `name` with the arguments.
  kv::Value invoke(kv::KVobj* obj, const char* name, std::initializer_list<kv::Value> args) {
    int32_t mode = 0;
    kv::Value* cell = kv::getPropertyCellByName(obj, name, mode);
    EXPECT_TRUE(cell && cell->tag == kv::kObject) << name;
    if (!cell || cell->tag != kv::kObject) return kv::Value();
    return call(static_cast<kv::KVfobj*>(cell->obj), obj, args);
  }
};

// One numeric label per row: made from `start`, then fixNumberOfDigits (when
// digits is not 99) and setValue (when `set` is not undefined).
TEST_P(LabelTest, NumericLabelFormatsOnSetValueOnly) {
  const kv::Value undef;
  kv::KVstring* x = kv::newStaticString("x");
  kv::KVstring* empty = kv::newStaticString("");
  kv::KVstring* tab = kv::newStaticString("\tz");
  struct Row {
    kv::Value start;
    int32_t digits;
    kv::Value pad;
    kv::Value set;
    const char* shown;
  } rows[] = {
      {I(42), 5, kv::Value::makeObject(kv::newStaticString("0")), I(42), "00042"},
      {I(-42), 5, kv::Value::makeObject(kv::newStaticString("0")), I(-42), "00-42"},
      {I(7), 3, kv::Value::makeObject(kv::newStaticString("0")), I(7), "007"},
      {I(7), 3, kv::Value::makeObject(x), I(7), "xx7"},
      {I(7), 3, kv::Value::makeObject(empty), I(7), "  7"},
      {I(7), 3, kv::Value::makeObject(tab), I(7), "  7"},
      {I(7), 3, undef, I(7), "  7"},
      {I(7), 40, kv::Value::makeObject(x), I(7), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx7"},
      {I(7), 99, undef, D(1.0e40), "???????????????????????????????"},
      {I(7), 8, kv::Value::makeObject(x), D(2.5), "2.500000"},
      {I(7), 3, kv::Value::makeObject(x), kv::Value::makeObject(x), "xx0"},
      {I(7), 99, undef, kv::Value::makeBool(true), "0"},
      {I(123456), 3, kv::Value::makeObject(x), I(123456), "123456"},
      {I(-2147483647 - 1), 99, undef, undef, "-2147483648"},
      {D(-0.25), 99, undef, undef, "-0.250000"},
      // The new width waits for the next integer value.
      {I(7), 3, kv::Value::makeObject(x), undef, "7"},
      {kv::Value::makeObject(x), 99, undef, undef, "0"},
  };
  for (const Row& r : rows) {
    kv::Value made = callNative(&kv::numericLabelConstructor, {r.start});
    ASSERT_EQ(made.tag, kv::kObject);
    kv::ObjectRoot keep(made.obj);
    if (r.digits != 99) invoke(keep.get(), "fixNumberOfDigits", {I(r.digits), r.pad});
    if (r.set.tag != kv::kUndefined) invoke(keep.get(), "setValue", {r.set});
    auto* label = static_cast<kv::BufferedLabel*>(keep.get());
    EXPECT_STREQ(label->buffer, r.shown) << r.shown;
    if (r.digits == 40) {
      EXPECT_EQ(label->digits, 31);
    }
  }
}

// A label's text block moves with the collector and stays its own; a text
// taken from a string object does not follow the object's later appends.
TEST_P(LabelTest, LabelTextSurvivesCollectionsAndStaysItsOwn) {
  Lines out = runScript(
      "var a = new Label(3); var u = new Label(); var s = new String(\"ab\");\n"
      "var l = new Label(s); s.append(\"cdef\");\n"
      "var same = new Label(\"ab\");\n"
      "console.log(l.getWidth() == same.getWidth());\n"
      "var i = 0;\n"
      "while (i < 300) { l.setText(i * 1000); var junk = new Array(20); if (i % 50 == 0) { dz000(); wait; dz001(); wait; } i++; }\n"
      "console.log(l.getWidth() == new Label(299000).getWidth());\n"
      "console.log(l.setText() == undefined);\n"
      "console.log(new Label(\"8888\").getWidth() == new Label(\"8888\", load_font(\"MSゴシック\")).getWidth());\n"
      "console.log(new NumericLabel(8888).getWidth() == new Label(8888).getWidth());\n"
      "console.log(new Label(\"8888\").getWidth(2) == new Label(\"88\").getWidth());\n"
      "var gone = load_font(\"x\", 16, 7, 6, 70000); var bad = new Label(\"8888\", gone);\n"
      "console.log(bad.getWidth() @ \" \" @ gone.name @ \" \" @ new Label(\"8888\", 5).getWidth());\n",
      2000);
  for (std::string& l : out) l = std::regex_replace(l, std::regex(" F:[0-9]+ "), " ");
  EXPECT_EQ(out, (Lines{"true", "true", "true", "true", "true", "true", "Wr0005 L:12 failed to load resources",
                        "Wr0005 L:12 failed to load resources", "  load_font could not load: x",
                        "-1 [undefined] 36"}));
}

TEST_P(LabelTest, LabelsShowTheTextFormOfTheirValue) {
  struct Row {
    kv::Value value;
    const char* shown;
  } rows[] = {{I(3), "3"}, {kv::Value(), "[undefined]"}, {D(2.5), "2.500000"}, {kv::Value::makeNull(), "[null]"}};
  for (const Row& r : rows) {
    kv::Value made = callNative(&kv::labelConstructor, {r.value});
    ASSERT_EQ(made.tag, kv::kObject);
    kv::ObjectRoot keep(made.obj);
    kv::minorCollect();
    kv::fullCollect();
    EXPECT_STREQ(static_cast<kv::KVLabel*>(keep.get())->text, r.shown);
    EXPECT_EQ(static_cast<kv::KVLabel*>(keep.get())->font, nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(Collector, LabelTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
