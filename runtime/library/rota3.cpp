// Rota3: the draw transform of pictures and sprites (centre, two scales, an
// angle and a mirror flag), and the shared default in the static area.
#include "runtime/library/native_args.h"
#include "runtime/library/picture.h"
#include "runtime/vm/context.h"
#include "runtime/vm/errors.h"
#include "runtime/vm/property.h"
#include "runtime/vm/roots.h"

namespace kv {
namespace {

KVobj* gDefaultRota3 = nullptr;

void fill(KVobj* r, int32_t cx, int32_t cy, double ex, double ey, double rad, bool flip) {
  r->props.cells[kRotaCx]->setInt(cx);
  r->props.cells[kRotaCy]->setInt(cy);
  r->props.cells[kRotaEx]->setFloat(ex);
  r->props.cells[kRotaEy]->setFloat(ey);
  r->props.cells[kRotaRad]->setFloat(rad);
  r->props.cells[kRotaFlip]->setBool(flip);
}

// A number as a double (an integer converts); anything else the default.
double numberOr(const Value& v, double fallback) {
  if (v.tag == kFloat) return v.d;
  if (v.tag == kInt) return v.i;
  return fallback;
}

double numberArgOr(KVContext* ctx, int32_t i, double fallback) { return numberOr(*ctx->arg(i), fallback); }

}  // namespace

Transform transformOf(const KVobj* rota) {
  const KVobj* r = rota ? rota : gDefaultRota3;
  if (!r) return Transform{0, 0, 1.0, 1.0, 0.0, 0};
  const SlotCells& c = r->props.cells;
  return Transform{memberIntOf(*c[kRotaCx]), memberIntOf(*c[kRotaCy]), numberOr(*c[kRotaEx], 1.0),
                   numberOr(*c[kRotaEy], 1.0), numberOr(*c[kRotaRad], 0.0), valueIsTrue(*c[kRotaFlip]) ? 1 : 0};
}

KVRota3* newRota3(int32_t cx, int32_t cy, double ex, double ey, double rad, bool flip) {
  reserveNursery(objectBytes<KVRota3>(kRota3Cells));
  auto* r = placeYoungObject<KVRota3>(kRota3Cells, pictureProtos().rota3, kRota3ClassId);
  fill(r, cx, cy, ex, ey, rad, flip);
  return r;
}

void createDefaultRota3() {
  auto* r = placeStaticObject<KVRota3>(kRota3Cells, pictureProtos().rota3, kRota3ClassId);
  fill(r, 0, 0, 1.0, 1.0, 0.0, false);
  gDefaultRota3 = r;
}

KVobj* defaultRota3() { return gDefaultRota3; }

// cx, cy: an integer, a double cut toward zero (saturating, NaN 0), else 0;
// ex, ey, rad: numbers or 1.0, 1.0, 0.0; flip: a boolean (another value warns
// and counts by its payload).
void rota3Constructor(KVContext* ctx) {
  const Value* f = ctx->arg(5);
  if (f->tag != kBool && f->tag != kUndefined) raiseRuntimeWarning(kWarnWrongArgument);
  bool flip = f->i != 0;
  auto coord = [&](int32_t i) {
    const Value* v = ctx->arg(i);
    return v->tag == kInt ? v->i : v->tag == kFloat ? saturatingInt(v->d) : 0;
  };
  int32_t cx = coord(0), cy = coord(1);
  double ex = numberArgOr(ctx, 2, 1.0), ey = numberArgOr(ctx, 3, 1.0), rad = numberArgOr(ctx, 4, 0.0);
  ctx->pushObject(newRota3(cx, cy, ex, ey, rad, flip));
}

// The prototype has no methods.
void setupRota3Class(KVfobj* ctor) {
  pictureProtos().rota3 = newStaticObject(1, gCore.objectProto, kRota3ClassId + 1);
  KVobj::buildPropertyIndex(pictureProtos().rota3, kRota3ClassId + 1);
  linkConstructorPrototype(ctor, pictureProtos().rota3);
}

}  // namespace kv
