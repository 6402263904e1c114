// Shapes: their constructors and their draws. Points and sizes other than
// "x" and "y" keep the constructor's value in an undefined cell, so a script
// reads undefined until it assigns them while the draw uses the value.
#include "runtime/library/shapes.h"

#include "media/graphics/draw.h"
#include "runtime/library/canvas.h"
#include "runtime/library/native_args.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"

namespace kv {
namespace {

enum ShapeKind { kBox, kTri, kCircle, kOval, kLine, kPixel, kShapeKinds };

struct ShapeClass {
  int32_t classId;
  int32_t cells;      // property cells, prototype link included
  int32_t points;     // integer arguments the constructor requires
  int32_t firstSize;  // first argument that goes into a size cell (after "x", "y" when given)
  bool hasFill;
};
// Boxes, circles and ovals start at (0, 0) and take sizes only; the others
// take their first point as "x" and "y".
constexpr ShapeClass kShapes[kShapeKinds] = {
    {kBoxShapeClassId, 7, 2, 0, true},    {kTriShapeClassId, 9, 6, 2, true},
    {kCircleShapeClassId, 6, 1, 0, true}, {kOvalShapeClassId, 7, 2, 0, true},
    {kLineShapeClassId, 7, 4, 2, false},  {kPixelShapeClassId, 5, 2, 2, false},
};
KVobj* gShapeProtos[kShapeKinds] = {};

// A size member's value: "w", "r", "x2" and so on (constructor values sit in
// undefined cells).
inline int32_t size(const KVobj* s, int32_t slot) { return memberInt(s, slot); }

constexpr int32_t kMostPoints = 6;

template <class T>
T* make(ShapeKind kind, const int32_t* points, bool fill) {
  const ShapeClass& c = kShapes[kind];
  reserveNursery(objectBytes<T>(c.cells));
  T* s = placeYoungObject<T>(c.cells, gShapeProtos[kind], c.classId);
  if constexpr (requires { s->fill; }) s->fill = fill ? 1 : 0;
  bool atPoint = c.firstSize == 2;
  s->props.cells[kSlotX]->setInt(atPoint ? points[0] : 0);
  s->props.cells[kSlotY]->setInt(atPoint ? points[1] : 0);
  s->props.cells[kSlotVisible]->setBool(true);
  for (int32_t i = c.firstSize, slot = kSlotBrush + 1; i < c.points; ++i, ++slot) {
    Value* cell = s->props.cells[slot];
    cell->tag = kUndefined;
    cell->bits = 0;
    cell->i = points[i];
  }
  return s;
}

template <class T>
void construct(KVContext* ctx, ShapeKind kind) {
  const ShapeClass& c = kShapes[kind];
  int32_t points[kMostPoints] = {};
  for (int32_t i = 0; i < c.points; ++i) {
    if (!isIntArg(ctx, i)) {
      refuseConstruction(ctx);
      return;
    }
    points[i] = ctx->arg(i)->i;
  }
  bool fill = false;
  if (c.hasFill) {
    const Value* f = ctx->arg(c.points);
    if (f->tag != kBool && f->tag != kUndefined) raiseRuntimeWarning(kWarnWrongArgument);
    fill = f->i != 0;
  }
  ctx->pushObject(make<T>(kind, points, fill));
}

void setupShape(KVfobj* ctor, ShapeKind kind) {
  gShapeProtos[kind] = makeDisplayPrototype(kShapes[kind].classId, {});
  linkConstructorPrototype(ctor, gShapeProtos[kind]);
}

}  // namespace

uint32_t Shape::brushColor() const { return memberColor(this, kSlotBrush, defaultWhite()); }

void BoxShape::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  ZaDod::DrawBox(x, y, wrapAdd(x, size(this, kSlotSize1)), wrapAdd(y, size(this, kSlotSize2)), brushColor(), fill);
}

// The second and third points move with the container only, not with "x"/"y".
void TriShape::draw() {
  int32_t ox = 0, oy = 0;
  addRenderOffset(container, ox, oy);
  ZaDod::DrawTriangle(wrapAdd(memberInt(this, kSlotX), ox), wrapAdd(memberInt(this, kSlotY), oy),
                      wrapAdd(size(this, kSlotSize1), ox), wrapAdd(size(this, kSlotSize2), oy),
                      wrapAdd(size(this, kSlotSize3), ox), wrapAdd(size(this, kSlotSize4), oy), brushColor(), fill);
}

void CircleShape::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  ZaDod::DrawCircle(x, y, size(this, kSlotSize1), brushColor(), fill, 1);
}

void OvalShape::draw() {
  int32_t x, y;
  renderPosition(this, x, y);
  ZaDod::DrawOval(x, y, size(this, kSlotSize1), size(this, kSlotSize2), brushColor(), fill, 1);
}

void LineShape::draw() {
  int32_t ox = 0, oy = 0;
  addRenderOffset(container, ox, oy);
  ZaDod::DrawLine(wrapAdd(memberInt(this, kSlotX), ox), wrapAdd(memberInt(this, kSlotY), oy),
                  wrapAdd(size(this, kSlotSize1), ox), wrapAdd(size(this, kSlotSize2), oy), brushColor(), 1);
}

void PixelShape::draw() {
  int32_t ox = 0, oy = 0;
  addRenderOffset(container, ox, oy);
  ZaDod::DrawPixel(wrapAdd(memberInt(this, kSlotX), ox), wrapAdd(memberInt(this, kSlotY), oy), brushColor());
}

BoxShape* newBoxShape(int32_t w, int32_t h, bool fill) {
  int32_t size[2] = {w, h};
  return make<BoxShape>(kBox, size, fill);
}

void boxShapeConstructor(KVContext* ctx) { construct<BoxShape>(ctx, kBox); }
void triShapeConstructor(KVContext* ctx) { construct<TriShape>(ctx, kTri); }
void circleShapeConstructor(KVContext* ctx) { construct<CircleShape>(ctx, kCircle); }
void ovalShapeConstructor(KVContext* ctx) { construct<OvalShape>(ctx, kOval); }
void lineShapeConstructor(KVContext* ctx) { construct<LineShape>(ctx, kLine); }
void pixelShapeConstructor(KVContext* ctx) { construct<PixelShape>(ctx, kPixel); }
void setupBoxShapeClass(KVfobj* ctor) { setupShape(ctor, kBox); }
void setupTriShapeClass(KVfobj* ctor) { setupShape(ctor, kTri); }
void setupCircleShapeClass(KVfobj* ctor) { setupShape(ctor, kCircle); }
void setupOvalShapeClass(KVfobj* ctor) { setupShape(ctor, kOval); }
void setupLineShapeClass(KVfobj* ctor) { setupShape(ctor, kLine); }
void setupPixelShapeClass(KVfobj* ctor) { setupShape(ctor, kPixel); }

}  // namespace kv
