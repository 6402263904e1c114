// The six shapes: box, triangle, circle, oval, line and pixel, each drawing
// one primitive of the media layer in the colour of its "brush" member.
#pragma once

#include <cstdint>

#include "runtime/library/graphical.h"

namespace kv {

enum ShapeSlot : int32_t { kSlotBrush = 4, kSlotSize1 = 5, kSlotSize2 = 6, kSlotSize3 = 7, kSlotSize4 = 8 };

class Shape : public GraphicalFactor {
 protected:
  // "brush" when it holds an integer, else white for the current screen.
  uint32_t brushColor() const;
};

class BoxShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(BoxShape); }
  void draw() override;
  int32_t fill = 0;
};

class TriShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(TriShape); }
  void draw() override;
  int32_t fill = 0;
};

class CircleShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(CircleShape); }
  void draw() override;
  int32_t fill = 0;
};

class OvalShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(OvalShape); }
  void draw() override;
  int32_t fill = 0;
};

class LineShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(LineShape); }
  void draw() override;
};

class PixelShape : public Shape {
 public:
  size_t byteSize() const override { return sizeof(PixelShape); }
  void draw() override;
};

// A box of the given size at (0, 0), as new BoxShape(w, h, fill) makes it.
BoxShape* newBoxShape(int32_t w, int32_t h, bool fill);

// The script constructors of the six classes and their member set-ups.
void boxShapeConstructor(KVContext* ctx);
void triShapeConstructor(KVContext* ctx);
void circleShapeConstructor(KVContext* ctx);
void ovalShapeConstructor(KVContext* ctx);
void lineShapeConstructor(KVContext* ctx);
void pixelShapeConstructor(KVContext* ctx);
void setupBoxShapeClass(KVfobj* ctor);
void setupTriShapeClass(KVfobj* ctor);
void setupCircleShapeClass(KVfobj* ctor);
void setupOvalShapeClass(KVfobj* ctor);
void setupLineShapeClass(KVfobj* ctor);
void setupPixelShapeClass(KVfobj* ctor);

}  // namespace kv
