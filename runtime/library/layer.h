// Layers: ordered lists of display objects that share a blend mode, an
// opacity, an optional clip rectangle and bright colour; the global layer
// list in priority order; and the frame draw that walks it.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/library/graphical.h"

namespace kv {

// Layer member cells.
enum LayerSlot : int32_t { kLayerSlotOpacity = 1, kLayerSlotVisible = 2 };

constexpr int32_t kBlendModeCount = 23;

struct ClipRecord {
  int32_t x1, y1, x2, y2;
};

class KVLayer : public KVobj {
 public:
  ~KVLayer() override;
  size_t byteSize() const override { return sizeof(KVLayer); }
  bool isLayer() const override { return true; }
  // Both walk the member list, which lives outside the heap.
  void forwardReferences() override;
  void markReferences() override;

  // Appends the object; removes the first node holding it (nothing when none).
  void addMember(GraphicalFactor* obj);
  void removeMember(KVobj* obj);
  // Draws the members in insertion order under the layer's draw state.
  void drawLayer();

  int32_t priority = 0;
  int32_t blendMode = 1;
  uint8_t brightRed = 255, brightGreen = 255, brightBlue = 255;
  uint8_t brightSet = 0;           // set once "setBright" was called, never cleared
  ClipRecord* clip = nullptr;      // made by the first "setClipping"
  std::vector<GraphicalFactor*>* members = nullptr;
};

// A layer on the young heap, registered as the owner of its member list and
// inserted into the layer list.
KVLayer* newLayer(int32_t priority, int32_t opacity, bool visible);

// The layer list: ascending priority, the layer inserted last first among
// equals. A layer stays in it from construction to the end of the run.
void insertLayerByPriority(KVLayer* layer);
void removeLayerFromList(KVLayer* layer);
const std::vector<KVLayer*>& layerList();
// Forgets every layer (a new heap, or the end of the run: the layers then
// die with the next collection and free their lists).
void resetLayerList();

// Draws every visible, non-empty layer in list order; the game loop calls it
// once a frame between the scheduler tick and the flip.
void drawAllLayers();

// The draw-state setters the layer draw calls: the media layer's unless a
// test records them.
struct LayerDrawCalls {
  int (*setBlendMode)(int mode, int param);
  int (*setArea)(int x1, int y1, int x2, int y2);
  int (*setBright)(int red, int green, int blue);
  int (*setAreaFull)();
};
LayerDrawCalls& layerDrawCalls();

// Live member lists, for tests that check a dead layer frees its list.
int32_t liveMemberLists();

// new Layer(priority, opacity, visible).
void layerConstructor(KVContext* ctx);
void setupLayerClass(KVfobj* ctor);

}  // namespace kv
