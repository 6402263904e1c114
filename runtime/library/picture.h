// Pictures: the display objects that wrap a graph of the media layer, the
// part picture that shows a rectangle of one, the framer picture that draws
// a frame of any size from a 3 x 3 grid, the sprite that cuts one into
// frames, and the Rota3 transform that pictures and sprites draw through.
#pragma once

#include <cstdint>

#include "runtime/library/graphical.h"

namespace kv {

constexpr int32_t kRota3ClassId = 142;
enum Rota3Slot : int32_t { kRotaCx = 1, kRotaCy, kRotaEx, kRotaEy, kRotaRad, kRotaFlip, kRota3Cells };
enum PictureSlot : int32_t { kSlotFramerWidth = 4, kSlotFramerHeight = 5, kSlotState = 4 };

class KVRota3 : public KVobj {
 public:
  size_t byteSize() const override { return sizeof(KVRota3); }
  bool isRota3() const override { return true; }
};

// The draw transform a picture reads from its Rota3.
struct Transform {
  int32_t cx, cy;
  double ex, ey, rad;
  int flip;
};
// "cx"/"cy" by the member rule; "ex", "ey", "rad" as numbers (an integer
// converts) or 1.0, 1.0, 0.0; "flip" by its truth. Null reads the default.
Transform transformOf(const KVobj* rota);

class KVPicture : public GraphicalFactor {
 public:
  size_t byteSize() const override { return sizeof(KVPicture); }
  bool isPicture() const override { return true; }
  void forwardReferences() override;
  void markReferences() override;
  void draw() override;

  int32_t graph = -1;    // may be shared with other pictures
  int32_t width = -1;
  int32_t height = -1;
  KVobj* rota = nullptr;  // null: the default Rota3
  uint8_t loadFailed = 1;
};

class KVPartPicture : public KVPicture {
 public:
  size_t byteSize() const override { return sizeof(KVPartPicture); }
  void draw() override;
  int32_t srcX = 0, srcY = 0, partWidth = 0, partHeight = 0;
};

class KVFramerPicture : public KVPicture {
 public:
  size_t byteSize() const override { return sizeof(KVFramerPicture); }
  void draw() override;
  int32_t cellWidth = 0, cellHeight = 0;
};

// The sprite: frames are part graphs of the source, row by row; the frame
// list lives outside the heap and goes with "dispose" or the sprite's death
// (the graphs stay until "dispose" or the media layer's end).
class KVGlyph : public KVPicture {
 public:
  ~KVGlyph() override { delete[] frames; }
  size_t byteSize() const override { return sizeof(KVGlyph); }
  void draw() override;
  // Cuts the grid into columns x rows part graphs (each count kept to its
  // low eight bits); a frame that cannot be made holds -1.
  void divideFrames(int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t cols, int32_t rowCount);
  // The frame the draw shows now; -1 when there is none to show.
  int32_t frameToDraw(int32_t totalFrames);

  uint8_t dancing = 1;
  int32_t divider = 4;
  int32_t* frames = nullptr;
  int32_t frameCount = 0;
  int32_t current = 0;
  int32_t rows = 0, columns = 0;
  int32_t cellWidth = 0, cellHeight = 0, srcX = 0, srcY = 0;
};

// The collector never deletes the graph a picture, canvas or sprite holds: a game that
// drops them without "dispose" uses up the graph handles, and from then on new ones draw
// nothing. Called after a graph could not be made: when the handles have run out, that
// is said once a run in the log, where the cause can be found ("<maker>: all N graph
// handles are in use, so <what> could not be made; <kind> that are dropped must be
// disposed"), and the answer is true.
bool warnWhenGraphHandlesRunOut(const char* maker, const char* what, const char* kind);
// A graph a picture or canvas maker asked for: noted for set_graph_mode's count when
// it was made, else the handles' warning in the maker's name. The graph, as given.
int32_t takeScriptGraph(int32_t graph, const char* maker, const char* what);

// Makers, each on the young heap with the class's prototype.
KVPicture* loadPicture(const char* path);
KVPicture* newBlankPicture(int32_t width, int32_t height);
KVPicture* copyPicture(KVPicture* source);
KVPartPicture* newPartPicture(KVPicture* source, int32_t sx, int32_t sy, int32_t w, int32_t h);
KVFramerPicture* newFramerPicture(KVPicture* source, int32_t cw, int32_t ch, int32_t w, int32_t h);
KVGlyph* newGlyph(KVPicture* source, int32_t sx, int32_t sy, int32_t cw, int32_t ch, int32_t cols, int32_t rows);
KVRota3* newRota3(int32_t cx, int32_t cy, double ex, double ey, double rad, bool flip);

// The shared default transform, in the static area (the bootstrap's
// createDefaultRota3 hook).
void createDefaultRota3();
KVobj* defaultRota3();

// Script constructors and the class set-ups.
void pictureConstructor(KVContext* ctx);
void partPictureConstructor(KVContext* ctx);
void framerPictureConstructor(KVContext* ctx);
void spriteConstructor(KVContext* ctx);
void rota3Constructor(KVContext* ctx);
void setupPictureClass(KVfobj* ctor);
void setupPartPictureClass(KVfobj* ctor);
void setupFramerPictureClass(KVfobj* ctor);
void setupSpriteClass(KVfobj* ctor);
void setupRota3Class(KVfobj* ctor);
// The prototypes the makers link; set by the set-ups above.
struct PictureProtos {
  KVobj* picture = nullptr;
  KVobj* part = nullptr;
  KVobj* framer = nullptr;
  KVobj* sprite = nullptr;
  KVobj* rota3 = nullptr;
};
PictureProtos& pictureProtos();

// The Picture methods the subclasses share.
void getRota3Method(KVContext* ctx);
void setRota3Method(KVContext* ctx);
void delRota3Method(KVContext* ctx);
// The filter methods (picture_filters.cpp) in Picture prototype order, and
// the media call they make (graph, filter type, integer parameters), which
// tests may replace to record it.
extern const MethodRow kFilterMethods[6];
using FilterCall = int (*)(int graph, int type, const int* params, int count);
FilterCall& pictureFilterCall();

// Global functions: load_picture, direct_paint, canvas_to_memory.
void loadPictureNative(KVContext* ctx);
void directPaintNative(KVContext* ctx);
void canvasToMemoryNative(KVContext* ctx);

}  // namespace kv
