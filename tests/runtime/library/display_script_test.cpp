// Display objects as scripts use them: member slots, render positions,
// containers, refusals and the painting warnings, and shapes in layers
// moved by the collector across micro-threads.
#include <regex>
#include <string>
#include <vector>

#include "runtime/library/layer.h"
#include "tests/runtime/library/script_fixture.h"

namespace kvtest {
namespace {

using Lines = std::vector<std::string>;

class DisplayScriptTest : public ScriptTest {};

TEST_P(DisplayScriptTest, MembersRenderPositionsAndRefusals) {
  Lines out = runScript(
      // "w" and "width" are one cell; sizes read undefined until assigned.
      "var b = new BoxShape(10, 20, true); System.setRuntimeWarningLimit(20, 4);\n"
      "console.log(b.w @ \" \" @ b.width);\n"
      "b.width = 7; console.log(b.w); b.h = 8; console.log(b.height);\n"
      // Circles and ovals find their prototypes.
      "var c = new CircleShape(5); c.x = 3; var o = new OvalShape(4, 6); o.y = 9;\n"
      "console.log(c.renderX() @ \" \" @ o.renderY() @ \" \" @ c.r);\n"
      // Three nested containers.
      "var k1 = new Container(100, 1); var k2 = new Container(20, 2, k1); var k3 = new Container(3, 4, k2);\n"
      "encontainer(b, k3); b.x = 1000;\n"
      "console.log(b.renderX() @ \" \" @ b.renderY() @ \" \" @ k3.renderX());\n"
      "decontainer(b); console.log(b.renderX());\n"
      // A chain of 20: the direct container and 17 ancestors count.
      "var top = new Container(1, 0); var i = 1; var last = top;\n"
      "while (i < 20) { last = new Container(1, 0, last); i++; }\n"
      "var p = new PixelShape(0, 0); encontainer(p, last);\n"
      "console.log(p.renderX() @ \" \" @ last.renderX());\n"
      // Wrap at 2^31.
      "var w = new LineShape(2147483647, 0, 0, 0); var kw = new Container(1, 0); encontainer(w, kw);\n"
      "console.log(w.renderX());\n"
      // Cycles and non-containers are refused; getParent answers null at the top.
      "k1.setParent(k3); k1.setParent(5); console.log(k1.getParent() @ \" \" @ (k3.getParent() == k2));\n"
      // Refused constructions yield the plain object; a non-boolean flag warns.
      "var bad = new BoxShape(1.5, 2); console.log(bad.renderX);\n"
      "var t = new TriangleShape(1, 2, 3, 4, 5, 6, 9); console.log(t.x @ \" \" @ t.y3);\n"
      "enlayer(b, 3); unlayer(4); new Container(1, 1, b);\n"
      // Painting out of turn.
      "end_direct_paint();\n"
      "var cv = make_canvas(8, 8); begin_direct_paint(cv); begin_direct_paint(cv); end_direct_paint();\n"
      "end_direct_paint(); begin_direct_paint(b);\n");
  // Each run compiles a new file; the file number does not matter here.
  for (std::string& l : out) l = std::regex_replace(l, std::regex(" F:[0-9]+ "), " ");
  EXPECT_EQ(out, (Lines{"[undefined] [undefined]", "7", "8", "3 9 [undefined]", "1123 7 123", "1000", "18 18",
                        "-2147483648", "Wr0004 L:16 wrong argument", "  wrong argument to Container.setParent",
                        "Wr0004 L:16 wrong argument", "  wrong argument to Container.setParent", "[null] true",
                        "Wr0004 L:17 wrong argument", "  wrong argument to new BoxShape", "[undefined]",
                        "Wr0004 L:18 wrong argument", "  wrong argument to new TriangleShape", "1 [undefined]",
                        "Wr0004 L:19 wrong argument", "  wrong argument to enlayer", "Wr0004 L:19 wrong argument",
                        "  wrong argument to unlayer", "Wr0004 L:19 wrong argument",
                        "  wrong argument to new Container",
                        "Wr0010 L:20 end_paint() was called without begin_paint()",
                        "Wr0003 L:21 construtor failed",
                        "Wr0009 L:21 recursive call of begin_paint()",
                        "Wr0010 L:22 end_paint() was called without begin_paint()",
                        "Wr0004 L:22 wrong argument", "  wrong argument to begin_direct_paint"}));
}

// Two threads build shapes and containers, move them between layers, drop
// some and ask for both collections, thousands of times; only the layer
// list holds what stays.
TEST_P(DisplayScriptTest, LayersHoldTheirMembersAcrossThreadsAndCollections) {
  const int rounds = GetParam() ? 2000 : 3000;
  Lines out = runScript(
      "var rounds = " + std::to_string(rounds) + ";\n"
      "var la = new Layer(0); var lb = new Layer(1, 128, false); var done = 0;\n"
      "function worker(which) {\n"
      "  var i = 0; var keep = null;\n"
      "  while (i < rounds) {\n"
      "    var k = new Container(which, i);\n"
      "    var s = new BoxShape(i, which);\n"
      "    encontainer(s, k); enlayer(s, la); enlayer(s, lb);\n"
      "    if (i % 2 == 0) unlayer(s); else keep = s;\n"
      "    if (i % 500 == 0) { dz000(); wait; dz001(); }\n"
      "    if (keep != null && keep.renderX() != keep.x + which) console.log(\"bad \" @ i);\n"
      "    i++;\n"
      "  }\n"
      "  done++;\n"
      "}\n"
      "spawn(worker, 1); spawn(worker, 2);\n"
      "while (done < 2) { wait; }\n"
      "dz000(); wait; dz001(); wait;\n"
      "console.log(\"done \" @ la.getPriority() @ \" \" @ lb.getPriority());\n",
      1000000);
  // Survivors beyond a survivor half go to the old space with a warning.
  std::erase_if(out, [](const std::string& l) { return l.rfind("Wr0027", 0) == 0; });
  EXPECT_EQ(out, (Lines{"done 0 1"}));
  ASSERT_EQ(kv::layerList().size(), 2u);
  EXPECT_TRUE(kv::layerList()[0]->members->empty());
  ASSERT_EQ(kv::layerList()[1]->members->size(), static_cast<size_t>(rounds));
  for (kv::GraphicalFactor* m : *kv::layerList()[1]->members) {
    EXPECT_EQ(m->layer, kv::layerList()[1]);
    ASSERT_NE(m->container, nullptr);
    EXPECT_TRUE(m->container->isContainer());
  }
  EXPECT_EQ(kv::verifyHeap(), "");
}

INSTANTIATE_TEST_SUITE_P(Collector, DisplayScriptTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
