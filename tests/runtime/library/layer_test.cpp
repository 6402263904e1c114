// Layers at the C++ level: the list order, the draw-state calls of a layer
// draw against a recording fake, and what the collector keeps or frees.
#include <random>
#include <string>
#include <vector>

#include "runtime/library/display_natives.h"
#include "runtime/library/layer.h"
#include "runtime/library/shapes.h"
#include "tests/runtime/library/library_fixture.h"

namespace kvtest {
namespace {

using kv::KVLayer;

std::vector<std::string> gCalls;
int32_t gProbeDeaths = 0;

// A display object that records its draws and counts its deaths.
class Probe : public kv::GraphicalFactor {
 public:
  ~Probe() override { ++gProbeDeaths; }
  size_t byteSize() const override { return sizeof(Probe); }
  void draw() override { gCalls.push_back("draw " + std::to_string(kv::memberInt(this, kv::kSlotX))); }
};

Probe* newProbe(int32_t x, bool visible) {
  kv::reserveNursery(kv::objectBytes<Probe>(4));
  auto* p = kv::placeYoungObject<Probe>(4, nullptr, kv::kPixelShapeClassId);
  p->props.cells[kv::kSlotX]->setInt(x);
  p->props.cells[kv::kSlotVisible]->setBool(visible);
  kv::registerOwner(p);
  return p;
}

int recBlend(int m, int p) { gCalls.push_back("blend " + std::to_string(m) + " " + std::to_string(p)); return 0; }
int recArea(int a, int b, int c, int d) {
  gCalls.push_back("area " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " +
                   std::to_string(d));
  return 0;
}
int recBright(int r, int g, int b) {
  gCalls.push_back("bright " + std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b));
  return 0;
}
int recAreaFull() { gCalls.push_back("full"); return 0; }

class LayerTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    saved_ = kv::layerDrawCalls();
    kv::layerDrawCalls() = kv::LayerDrawCalls{&recBlend, &recArea, &recBright, &recAreaFull};
    gCalls.clear();
    gProbeDeaths = 0;
  }
  void TearDown() override {
    kv::layerDrawCalls() = saved_;
    LibraryTest::TearDown();
  }
  static std::vector<int32_t> priorities() {
    std::vector<int32_t> out;
    for (KVLayer* l : kv::layerList()) out.push_back(l->priority);
    return out;
  }
  void enlayer(kv::KVobj* obj, kv::KVobj* layer) { callNative(&kv::enlayerNative, {O(obj), O(layer)}); }
  // Reads the layer from its root once the member (perhaps just made) exists.
  void enlayer(kv::KVobj* obj, const kv::ObjectRoot& layer) { enlayer(obj, layer.get()); }
  kv::LayerDrawCalls saved_{};
};

TEST_F(LayerTest, ListKeepsPriorityOrderAndPutsTheNewestFirstAmongEquals) {
  KVLayer* first = kv::newLayer(0, 255, true);
  kv::ObjectRoot r1(first);
  KVLayer* second = kv::newLayer(0, 255, true);
  kv::ObjectRoot r2(second);
  ASSERT_EQ(kv::layerList().size(), 2u);
  EXPECT_EQ(kv::layerList()[0], r2.get());
  send(r1.get(), "setPriority", {I(0)});
  EXPECT_EQ(kv::layerList()[0], r1.get());
  EXPECT_EQ(send(r1.get(), "getPriority", {}).i, 0);

  std::mt19937 rng(5);
  std::vector<int32_t> made;
  for (int i = 0; i < 10; ++i) {
    int32_t p = static_cast<int32_t>(rng() % 5) - 2;
    made.push_back(p);
    kv::newLayer(p, 255, true);
  }
  std::vector<int32_t> got = priorities();
  ASSERT_EQ(got.size(), 12u);
  EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
  // The last one made with priority 0 stands before every older priority-0 layer.
  int32_t lastZero = -1;
  for (size_t i = 0; i < made.size(); ++i)
    if (made[i] == 0) lastZero = static_cast<int32_t>(i);
  if (lastZero >= 0) {
    auto firstZero = std::find(got.begin(), got.end(), 0) - got.begin();
    KVLayer* l = kv::layerList()[firstZero];
    EXPECT_NE(l, r1.get());
    EXPECT_NE(l, r2.get());
  }
}

TEST_F(LayerTest, DrawSetsTheLayerStateAroundItsMembersAndRestoresIt) {
  KVLayer* l = kv::newLayer(0, 300, true);
  kv::ObjectRoot root(l);
  kv::drawAllLayers();
  EXPECT_TRUE(gCalls.empty()) << "an empty layer changes no state";

  enlayer(newProbe(1, true), root);
  enlayer(newProbe(2, false), root);
  enlayer(newProbe(3, true), root);
  send(root.get(), "setClipping", {I(1), I(2), I(30), I(40)});
  send(root.get(), "setBright", {I(300), I(0), I(7)});
  send(root.get(), "setBlendMode", {I(99), I(77)});  // no such mode: kept, parameter taken
  kv::drawAllLayers();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"blend 1 77", "area 1 2 30 40", "bright 44 0 7", "draw 1", "draw 3",
                                               "bright 255 255 255", "full"}));

  gCalls.clear();
  root.get()->props.cells[kv::kLayerSlotVisible]->setBool(false);
  kv::drawAllLayers();
  EXPECT_TRUE(gCalls.empty()) << "an invisible layer changes no state";

  // Opacity set by a script is not clamped; a layer of invisible members still
  // sets and restores its state.
  KVLayer* hidden = kv::newLayer(5, 255, true);
  kv::ObjectRoot h(hidden);
  enlayer(newProbe(9, false), h);
  h.get()->props.cells[kv::kLayerSlotOpacity]->setFloat(0.9);
  kv::drawAllLayers();
  EXPECT_EQ(gCalls, (std::vector<std::string>{"blend 1 0", "full"}));
}

TEST_F(LayerTest, EnlayerMovesAnObjectSoItIsDrawnOnce) {
  KVLayer* a = kv::newLayer(0, 255, true);
  kv::ObjectRoot ra(a);
  KVLayer* b = kv::newLayer(1, 255, true);
  kv::ObjectRoot rb(b);
  Probe* p = newProbe(4, true);
  kv::ObjectRoot rp(p);
  enlayer(rp.get(), ra.get());
  enlayer(rp.get(), ra.get());
  enlayer(rp.get(), rb.get());
  kv::drawAllLayers();
  EXPECT_EQ(std::count(gCalls.begin(), gCalls.end(), "draw 4"), 1);
  callNative(&kv::unlayerNative, {O(rp.get())});
  EXPECT_TRUE(static_cast<KVLayer*>(ra.get())->members->empty());
  EXPECT_TRUE(static_cast<KVLayer*>(rb.get())->members->empty());
}

// Only the layer list holds the layers and their members; thousands of
// rounds of both collections, with members leaving and dying as they go.
TEST_F(LayerTest, LayerListKeepsLayersAndMembersAcrossCollections) {
  for (bool stress : {false, true}) {
    SCOPED_TRACE(stress);
    TearDown();
    SetUp();
    kv::newLayer(0, 255, true);
    kv::newLayer(1, 255, true);
    const int rounds = stress ? 1500 : 3000;
    for (int i = 0; i < rounds; ++i) {
      kv::setGcStress(stress);
      Probe* p = newProbe(i, true);
      kv::setGcStress(false);
      enlayer(p, kv::layerList()[i % 2]);
      if (i % 3 == 0) callNative(&kv::unlayerNative, {O(kv::layerList()[i % 2]->members->front())});
      if (i % 100 == 0) i % 200 ? kv::minorCollect() : kv::fullCollect();
    }
    kv::minorCollect();
    kv::fullCollect();
    ASSERT_EQ(kv::verifyHeap(), "");
    size_t kept = kv::layerList()[0]->members->size() + kv::layerList()[1]->members->size();
    EXPECT_EQ(kept, static_cast<size_t>(rounds - (rounds + 2) / 3));
    // Every member that left its layer died; the rest draw in order.
    kv::minorCollect();
    kv::fullCollect();
    EXPECT_EQ(gProbeDeaths, (rounds + 2) / 3);
    gCalls.clear();
    kv::drawAllLayers();
    EXPECT_EQ(gCalls.size(), kept + 4);
    // The list let go: the layers die and free their member lists.
    EXPECT_EQ(kv::liveMemberLists(), 2);
    kv::resetLayerList();
    kv::minorCollect();
    kv::fullCollect();
    EXPECT_EQ(kv::liveMemberLists(), 0);
    EXPECT_EQ(kv::verifyHeap(), "");
  }
}

}  // namespace
}  // namespace kvtest
