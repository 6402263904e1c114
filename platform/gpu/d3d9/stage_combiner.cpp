// Direct3D 9 face: the fixed-function texture-stage combiner. The stage states are compiled
// once per draw into a plan of operations and arguments; the common sets (texture times
// diffuse, texture alone, diffuse alone) hand the draw to the core's specialised spans
// instead, whose float operations are the same as the plan's.
#include "platform/gpu/d3d9/d3d9_internal.h"
#include "platform/gpu/shaders/builtin_common.h"

namespace plat::gpu::d3d9 {

namespace {

using shader::saturate;

StageArg argOf(DWORD v) { return StageArg{uint8_t(v & D3DTA_SELECTMASK), (v & D3DTA_COMPLEMENT) != 0, (v & D3DTA_ALPHAREPLICATE) != 0}; }

bool knownOp(DWORD op) {
  switch (op) {
    case D3DTOP_DISABLE:
    case D3DTOP_SELECTARG1:
    case D3DTOP_SELECTARG2:
    case D3DTOP_MODULATE:
    case D3DTOP_MODULATE2X:
    case D3DTOP_MODULATE4X:
    case D3DTOP_ADD:
    case D3DTOP_SUBTRACT:
    case D3DTOP_BLENDDIFFUSEALPHA:
    case D3DTOP_BLENDTEXTUREALPHA:
    case D3DTOP_BLENDFACTORALPHA:
    case D3DTOP_BLENDCURRENTALPHA: return true;
    default: return false;
  }
}

bool readsTexture(const CompiledStage& s) {
  auto uses = [](DWORD op, const StageArg* a) {
    if (op == D3DTOP_DISABLE) return false;
    if (op == D3DTOP_BLENDTEXTUREALPHA) return true;
    const bool one = op != D3DTOP_SELECTARG2, two = op != D3DTOP_SELECTARG1;
    return (one && a[0].source == D3DTA_TEXTURE) || (two && a[1].source == D3DTA_TEXTURE);
  };
  return uses(s.colourOp, s.colour) || uses(s.alphaOp, s.alpha);
}

bool plainArg(const StageArg& a, uint8_t source) { return a.source == source && !a.complement && !a.replicate; }

// The single-stage sets the specialised spans equal: colour the texture or the texture
// times diffuse, alpha the texture, the diffuse or their product. A channel taken from the
// texture alone is the texture times a diffuse the spans leave out (unread). Specular is
// added by the spans as the plan adds it.
FastPath fastPathOf(const CombinerPlan& p, uint8_t& unread) {
  unread = 0;
  if (p.count != 1) return FastPath::none;
  const CompiledStage& s = p.stage[0];
  if (s.toTemp) return FastPath::none;
  auto selects = [](DWORD op, const StageArg* a, uint8_t source) {
    return (op == D3DTOP_SELECTARG1 && plainArg(a[0], source)) || (op == D3DTOP_SELECTARG2 && plainArg(a[1], source));
  };
  auto modulates = [](DWORD op, const StageArg* a) {
    return op == D3DTOP_MODULATE && plainArg(a[0], D3DTA_TEXTURE) && plainArg(a[1], D3DTA_DIFFUSE);
  };
  if (selects(s.colourOp, s.colour, D3DTA_DIFFUSE) && selects(s.alphaOp, s.alpha, D3DTA_DIFFUSE))
    return FastPath::flatColour;
  if (!s.textured || s.pair != 0) return FastPath::none;
  if (modulates(s.colourOp, s.colour)) unread = 0;
  else if (selects(s.colourOp, s.colour, D3DTA_TEXTURE)) unread = kFastColourUnread;
  else return FastPath::none;
  if (modulates(s.alphaOp, s.alpha)) return FastPath::textureDiffuse;
  if (selects(s.alphaOp, s.alpha, D3DTA_DIFFUSE)) return FastPath::textureDiffuseNoAlpha;
  if (selects(s.alphaOp, s.alpha, D3DTA_TEXTURE)) {
    unread |= kFastAlphaUnread;
    return FastPath::textureDiffuse;
  }
  unread = 0;
  return FastPath::none;
}

inline float argValue(const StageArg& a, int k, const Float4& diffuse, const Float4& specular, const Float4& current,
                      const Float4& temp, const Float4& tex, const Float4& factor) {
  const Float4* v;
  switch (a.source) {
    case D3DTA_DIFFUSE: v = &diffuse; break;
    case D3DTA_CURRENT: v = &current; break;
    case D3DTA_TEXTURE: v = &tex; break;
    case D3DTA_TFACTOR: v = &factor; break;
    case D3DTA_SPECULAR: v = &specular; break;
    case D3DTA_TEMP: v = &temp; break;
    default: v = &diffuse; break;
  }
  const float x = a.replicate ? (*v)[3] : (*v)[k];
  return a.complement ? 1.0f - x : x;
}

inline float applyOp(DWORD op, float a1, float a2, float diffuseA, float textureA, float factorA, float currentA) {
  switch (op) {
    case D3DTOP_SELECTARG1: return a1;
    case D3DTOP_SELECTARG2: return a2;
    case D3DTOP_MODULATE: return a1 * a2;
    case D3DTOP_MODULATE2X: return 2.0f * (a1 * a2);
    case D3DTOP_MODULATE4X: return 4.0f * (a1 * a2);
    case D3DTOP_ADD: return a1 + a2;
    case D3DTOP_SUBTRACT: return a1 - a2;
    case D3DTOP_BLENDDIFFUSEALPHA: return a1 * diffuseA + a2 * (1.0f - diffuseA);
    case D3DTOP_BLENDTEXTUREALPHA: return a1 * textureA + a2 * (1.0f - textureA);
    case D3DTOP_BLENDFACTORALPHA: return a1 * factorA + a2 * (1.0f - factorA);
    case D3DTOP_BLENDCURRENTALPHA: return a1 * currentA + a2 * (1.0f - currentA);
    default: return a1;
  }
}

}  // namespace

void compileCombiner(const StageStates& s, CombinerPlan& plan, ShaderEntry& entry) {
  plan = CombinerPlan{};
  plan.factor = colourOf(s.factor);
  for (int i = 0; i < 8; ++i) {
    const DWORD* st = s.state[i];
    if (st[D3DTSS_COLOROP] == D3DTOP_DISABLE || !knownOp(st[D3DTSS_COLOROP])) break;
    CompiledStage& c = plan.stage[i];
    c.colourOp = st[D3DTSS_COLOROP];
    // Alpha left disabled under an enabled colour keeps the current alpha.
    c.alphaOp = knownOp(st[D3DTSS_ALPHAOP]) && st[D3DTSS_ALPHAOP] != D3DTOP_DISABLE ? st[D3DTSS_ALPHAOP] : D3DTOP_SELECTARG1;
    c.colour[0] = argOf(st[D3DTSS_COLORARG1]);
    c.colour[1] = argOf(st[D3DTSS_COLORARG2]);
    c.alpha[0] = st[D3DTSS_ALPHAOP] == D3DTOP_DISABLE ? StageArg{D3DTA_CURRENT} : argOf(st[D3DTSS_ALPHAARG1]);
    c.alpha[1] = argOf(st[D3DTSS_ALPHAARG2]);
    c.toTemp = st[D3DTSS_RESULTARG] == D3DTA_TEMP;
    c.pair = int(st[D3DTSS_TEXCOORDINDEX] & 7);
    if (c.pair >= s.pairs) c.pair = 0;
    c.textured = s.textureBound[i] && readsTexture(c);
    plan.count = i + 1;
  }
  plan.specular = s.specularEnable && s.vertexSpecular;
  entry.name = "d3d9_stage_combiner";
  entry.stage = ShaderStage::pixel;
  entry.pixel = combinerPixel;
  entry.data = &plan;
  entry.fast = fastPathOf(plan, entry.fastUnread);
  entry.fastSaturates = true;  // every stage saturates its result
  entry.fastSpecular = plan.specular;
  entry.fastFogColour = nullptr;
}

bool combinerPixel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out) {
  const CombinerPlan& p = *static_cast<const CombinerPlan*>(self.data);
  const Float4 diffuse = shader::varying4(in, shader::kColour0);
  const Float4 specular = shader::varying4(in, shader::kColour1);
  Float4 current = diffuse, temp{0.0f, 0.0f, 0.0f, 0.0f};
  for (int i = 0; i < p.count; ++i) {
    const CompiledStage& s = p.stage[i];
    // A stage without a texture reads opaque white, so the default MODULATE stage draws
    // untextured geometry in its vertex colour.
    Float4 tex{1.0f, 1.0f, 1.0f, 1.0f};
    if (s.textured) {
      const int at = shader::texcoord(s.pair);
      tex = env.sample(i, in.v[at], in.v[at + 1], in, s.pair);
    }
    Float4 r;
    for (int k = 0; k < 3; ++k) {
      const float a1 = argValue(s.colour[0], k, diffuse, specular, current, temp, tex, p.factor);
      const float a2 = argValue(s.colour[1], k, diffuse, specular, current, temp, tex, p.factor);
      r[k] = saturate(applyOp(s.colourOp, a1, a2, diffuse[3], tex[3], p.factor[3], current[3]));
    }
    const float a1 = argValue(s.alpha[0], 3, diffuse, specular, current, temp, tex, p.factor);
    const float a2 = argValue(s.alpha[1], 3, diffuse, specular, current, temp, tex, p.factor);
    r[3] = saturate(applyOp(s.alphaOp, a1, a2, diffuse[3], tex[3], p.factor[3], current[3]));
    (s.toTemp ? temp : current) = r;
  }
  if (p.specular)
    for (int k = 0; k < 3; ++k) current[k] = saturate(current[k] + specular[k]);
  out = current;
  return true;
}

}  // namespace plat::gpu::d3d9
