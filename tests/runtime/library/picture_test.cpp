// Pictures, sprites and Rota3 on a headless 32-bit software screen: the
// constructors and their refusals, the sprite's frame choice, dispose and
// duplicate, and what the filter methods hand to the media layer.
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "media/base/clock.h"
#include "media/graphics/draw.h"
#include "media/graphics/graph.h"
#include "media/graphics/graphics.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/mem_img.h"
#include "media/graphics/render_settings.h"
#include "media/system/winapi.h"
#include "runtime/library/canvas.h"
#include "runtime/library/display_natives.h"
#include "runtime/library/picture.h"
#include "tests/runtime/library/screen_fixture.h"

namespace kvtest {
namespace {

using Lines = std::vector<std::string>;

class PictureTest : public ScreenScriptTest {
 protected:
  kv::KVPicture* picture(kv::NativeFunction ctor, std::initializer_list<kv::Value> args) {
    kv::Value v = callNative(ctor, args);
    return v.tag == kv::kObject ? static_cast<kv::KVPicture*>(v.obj) : nullptr;
  }
  // 0xRRGGBB of a pixel of a 32-bit graph; -1 when the graph is gone.
  static int32_t pixel(int graph, int x, int y) {
    ZaDod::GraphData* g = ZaDod::GetGraphData(graph);
    if (!g) return -1;
    ZaDod::MEMIMG* m = ZaDod::GetGraphSoftImage(g);
    return static_cast<int32_t>(reinterpret_cast<const uint32_t*>(m->pixels + y * m->base->pitch)[x] & 0xFFFFFF);
  }
};

std::vector<std::string> gFilterCalls;
int recordFilter(int graph, int type, const int* params, int count) {
  std::string s = std::to_string(graph >= 0) + " " + std::to_string(type);
  for (int i = 0; i < count; ++i) s += " " + std::to_string(params[i]);
  gFilterCalls.push_back(s);
  return 0;
}

TEST_P(PictureTest, ConstructorsAndMethodsRefuseWhatTheyCannotUse) {
  Lines out = runScript(
      "System.setRuntimeWarningLimit(50, 4);\n"
      "var p = new Picture(); p.x = 5; p.y = 6; var q = new Picture(p);\n"
      "console.log(q.x @ \" \" @ q.y @ \" \" @ typeof new PartPicture(p, 1, 2, 3) @ \" \" @ new FramerPicture(p, 1.5, 1, 1, 1).renderX);\n"
      "console.log(new Sprite(p, -1, 0, 4, 4, 2, 2).renderX @ \" \" @ new Sprite(p, 0, 0, 4, 4, 0, 2).renderX @ \" \" @ typeof new Sprite(p, 0, 0, 4, 4, 2, 2).setDivider);\n"
      "var part = new PartPicture(p, 1, 2, 3, 4); part.setRange(1.5, 0, 1, 1);\n"
      "var r = new Rota3(); var s = new Rota3(10.7, -3.9, 2, 0.5, 1.25, true);\n"
      "console.log(r.cx @ \" \" @ r.cy @ \" \" @ r.ex @ \" \" @ r.ey @ \" \" @ r.rad @ \" \" @ r.flip);\n"
      "console.log(s.cx @ \" \" @ s.cy @ \" \" @ s.ex @ \" \" @ s.ey @ \" \" @ s.rad @ \" \" @ s.flip);\n"
      "new Rota3(0, 0, 1, 1, 0, 3);\n"
      "p.setRota3(5); console.log(p.getRota3()); p.setRota3(s); console.log(p.getRota3().cx); p.delRota3(); console.log(p.getRota3());\n"
      "console.log(typeof load_picture(\"missing.png\")); load_picture(7);\n");
  for (std::string& l : out) l = std::regex_replace(l, std::regex(" F:[0-9]+ "), " ");
  EXPECT_EQ(out, (Lines{"Wr0004 L:3 wrong argument", "  wrong argument to new PartPicture",
                        "Wr0004 L:3 wrong argument", "  wrong argument to new FramerPicture", "5 6 object [undefined]",
                        "Wr0004 L:4 wrong argument", "  wrong argument to new Sprite", "Wr0004 L:4 wrong argument",
                        "  wrong argument to new Sprite", "[undefined] [undefined] function",
                        "Wr0004 L:5 wrong argument", "  wrong argument to PartPicture.setRange",
                        "0 0 1.000000 1.000000 0.000000 false", "10 -3 2.000000 0.500000 1.250000 true",
                        "Wr0004 L:9 wrong argument", "  wrong argument to new Rota3", "[null]", "10", "[null]",
                        "Wr0005 L:11 failed to load resources", "  load_picture could not load: missing.png",
                        "object", "Wr0004 L:11 wrong argument", "  wrong argument to load_picture",
                        "Wr0005 L:11 failed to load resources"}));
}

TEST_P(PictureTest, PicturesShareGraphsUntilDisposedAndDuplicateKeepsTheTarget) {
  kv::KVPicture* blank = picture(&kv::pictureConstructor, {});
  ASSERT_NE(blank, nullptr);
  EXPECT_GE(blank->graph, 0);
  EXPECT_EQ(blank->width, 16);
  EXPECT_EQ(blank->height, 16);
  kv::ObjectRoot keep(blank);
  kv::KVPicture* copy = picture(&kv::pictureConstructor, {O(keep.get())});
  kv::ObjectRoot keepCopy(copy);
  auto* src = static_cast<kv::KVPicture*>(keep.get());
  EXPECT_EQ(copy->graph, src->graph);

  // Duplicate while a canvas is painted: the canvas stays the target.
  kv::Value canvas = callNative(&kv::makeCanvasNative, {I(8), I(8)});
  kv::ObjectRoot keepCanvas(canvas.obj);
  callNative(&kv::beginDirectPaintNative, {canvas});
  int target = static_cast<kv::KVCanvas*>(keepCanvas.get())->graph;
  ASSERT_EQ(ZaDod::GetDrawTarget(), target);
  kv::Value dup = send(keep.get(), "duplicate", {});
  ASSERT_EQ(dup.tag, kv::kObject);
  EXPECT_EQ(ZaDod::GetDrawTarget(), target);
  EXPECT_NE(static_cast<kv::KVPicture*>(dup.obj)->graph, static_cast<kv::KVPicture*>(keep.get())->graph);
  callNative(&kv::endDirectPaintNative, {});
  EXPECT_EQ(ZaDod::GetDrawTarget(), -2);

  // Dispose: every sharer holds a deleted handle and draws nothing.
  int shared = static_cast<kv::KVPicture*>(keep.get())->graph;
  send(keepCopy.get(), "dispose", {});
  EXPECT_EQ(ZaDod::GetGraphData(shared), nullptr);
  EXPECT_EQ(static_cast<kv::KVPicture*>(keepCopy.get())->graph, -1);
  int board = ZaDod::MakeDrawableGraph(32, 32, 0);
  ZaDod::SetDrawTarget(board);
  ZaDod::ClearDrawTarget(nullptr);
  static_cast<kv::KVPicture*>(keep.get())->draw();
  static_cast<kv::KVPicture*>(keepCopy.get())->draw();
  EXPECT_EQ(pixel(board, 0, 0), 0);
  ZaDod::SetDrawTarget(-2);
}

TEST_P(PictureTest, SpriteFramesFollowTheCounterAndNeverReadPastTheList) {
  kv::KVPicture* src = picture(&kv::pictureConstructor, {I(40), I(20)});
  kv::ObjectRoot keep(src);
  auto sprite = [&](int cols, int rows) {
    kv::Value v = callNative(&kv::spriteConstructor,
                             {O(keep.get()), I(0), I(0), I(10), I(10), I(cols), I(rows)});
    return static_cast<kv::KVGlyph*>(v.obj);
  };
  kv::KVGlyph* g = sprite(4, 2);
  kv::ObjectRoot keepG(g);
  ASSERT_EQ(g->frameCount, 8);
  for (int i = 0; i < 8; ++i) EXPECT_GE(g->frames[i], 0);
  auto frames = [&](int32_t state, int from, int n) {
    auto* s = static_cast<kv::KVGlyph*>(keepG.get());
    s->props.cells[kv::kSlotState]->setInt(state);
    std::vector<int> out;
    for (int t = from; t < from + n; ++t) {
      int32_t f = s->frameToDraw(t);
      out.push_back(f < 0 ? -1 : static_cast<int>(std::find(s->frames, s->frames + s->frameCount, f) - s->frames));
    }
    return out;
  };
  send(keepG.get(), "setDivider", {I(0)});
  EXPECT_EQ(frames(1, 0, 5), (std::vector<int>{4, 5, 6, 7, 4}));
  EXPECT_EQ(frames(17, 0, 5), (std::vector<int>{4, 5, 6, 7, 4}));
  send(keepG.get(), "setDancing", {kv::Value::makeBool(false)});
  EXPECT_EQ(frames(0, 2, 3), (std::vector<int>{4, 4, 4}));  // the last frame shown, whatever the state
  send(keepG.get(), "setDancing", {I(1)});
  EXPECT_EQ(frames(5, 0, 2), (std::vector<int>{-1, -1}));
  for (auto [arg, want] : {std::pair{I(40), 31}, std::pair{I(-3), 0}, std::pair{S("x"), 4}}) {
    send(keepG.get(), "setDivider", {arg});
    EXPECT_EQ(static_cast<kv::KVGlyph*>(keepG.get())->divider, want);
  }
  // 256 columns keep none; a disposed sprite has no list. Neither draws.
  kv::KVGlyph* wide = sprite(256, 1);
  EXPECT_EQ(wide->columns, 0);
  EXPECT_EQ(wide->frameToDraw(3), -1);
  wide->draw();
  send(keepG.get(), "dispose", {});
  send(keepG.get(), "dispose", {});
  EXPECT_EQ(static_cast<kv::KVGlyph*>(keepG.get())->frameToDraw(1), -1);
  static_cast<kv::KVGlyph*>(keepG.get())->draw();
}

TEST_P(PictureTest, FiltersPassIntegersAndTheirTypes) {
  kv::FilterCall saved = kv::pictureFilterCall();
  kv::pictureFilterCall() = &recordFilter;
  gFilterCalls.clear();
  kv::KVPicture* p = picture(&kv::pictureConstructor, {});
  kv::ObjectRoot keep(p);
  send(keep.get(), "applyMonoFilter", {I(10), D(2.5)});
  send(keep.get(), "applyGaussFilter", {D(16.0), I(100)});
  send(keep.get(), "applyHSBFilter", {I(1), I(2), I(3), I(4)});
  send(keep.get(), "applyInvertFilter", {});
  send(keep.get(), "applyLevelFilter", {I(1), I(2), I(3), I(4), I(5)});
  send(keep.get(), "applyTwoColorFilter", {I(9), S("a"), I(7), I(6), I(5)});
  kv::pictureFilterCall() = saved;
  EXPECT_EQ(gFilterCalls, (std::vector<std::string>{"1 0 10 0", "1 1 0 100", "1 5 1 2 3 4", "1 6",
                                                     "1 7 1 2 3 4 5", "1 8 9 0 7 6 5"}));
}

// Pictures and sprites made, enlayered, given transforms and dropped in
// loops, across both collections.
TEST_P(PictureTest, PicturesAndSpritesLiveInLayersAcrossCollections) {
  const int rounds = GetParam() ? 1000 : 2000;
  Lines out = runScript(
      "var rounds = " + std::to_string(rounds) + ";\n"
      "var layer = new Layer(); var src = new Picture(40, 20); var done = 0;\n"
      "function worker(which) {\n"
      "  var i = 0;\n"
      "  while (i < rounds) {\n"
      "    var s = new Sprite(src, 0, 0, 10, 10, 4, 2); s.x = i; s.setRota3(new Rota3(which, 0));\n"
      "    var q = new PartPicture(src, 0, 0, 5, 5); q.setRota3(new Rota3());\n"
      "    enlayer(s, layer);\n"
      "    if (i % 2 == 0) { unlayer(s); s.dispose(); }\n"
      "    if (i % 400 == 0) { dz000(); wait; dz001(); }\n"
      "    if (s.getRota3().cx != which || q.getRota3().ex != 1.0) console.log(\"bad \" @ i);\n"
      "    i++;\n"
      "  }\n"
      "  done++;\n"
      "}\n"
      "spawn(worker, 1); spawn(worker, 2);\n"
      "while (done < 2) { wait; }\n"
      "dz000(); wait; dz001(); wait;\n"
      "console.log(\"done\");\n",
      1000000);
  std::erase_if(out, [](const std::string& l) { return l.rfind("Wr0027", 0) == 0; });
  EXPECT_EQ(out, (Lines{"done"}));
  EXPECT_EQ(kv::verifyHeap(), "");
}

INSTANTIATE_TEST_SUITE_P(Collector, PictureTest, ::testing::Bool());

}  // namespace
}  // namespace kvtest
