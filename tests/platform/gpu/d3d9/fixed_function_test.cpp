// The Direct3D 9 face's fixed-function vertex work: lights (directional, point with
// attenuation, spot cone), specular power, material sources, vertex fog modes, texture-
// coordinate transforms, and pre-transformed vertices left alone by all of them. Each
// case draws a small quad around the screen centre and reads the centre pixel.
#include <cmath>
#include <random>

#include "gpu_d3d9_fixture.h"
#include "platform/gpu/pipeline.h"

namespace d3d9test {
namespace {

// FVF 0x1D2: position, normal, diffuse, specular, one pair.
struct LitVertex {
  float x, y, z, nx, ny, nz;
  D3DCOLOR diffuse, specular;
  float u, v;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | fvfTexCount(1);

D3DCOLORVALUE cv(float r, float g, float b, float a = 1.0f) { return D3DCOLORVALUE{r, g, b, a}; }
DWORD bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

D3DMATRIX identity() {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

struct Case {
  const char* name;
  void (*setup)(IDirect3DDevice9Ex* d);
  float depth;
  D3DCOLOR diffuse, specular;
  uint32_t expected;  // 0xRRGGBB at the centre
};

D3DLIGHT9 light(D3DLIGHTTYPE type) {
  D3DLIGHT9 l{};
  l.Type = type;
  l.Diffuse = cv(1, 1, 1);
  l.Range = 100.0f;
  l.Attenuation0 = 1.0f;
  l.Falloff = 1.0f;
  return l;
}

void whiteMaterial(IDirect3DDevice9Ex* d, float power = 0.0f) {
  D3DMATERIAL9 m{};
  m.Diffuse = cv(1, 1, 1);
  m.Specular = cv(1, 1, 1);
  m.Power = power;
  d->SetMaterial(&m);
  d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
}

void lightOnly(IDirect3DDevice9Ex* d, const D3DLIGHT9& l) {
  d->SetLight(0, &l);
  d->LightEnable(0, 1);
}

// A light from 60 degrees off the view axis: N.L = 0.5 and N.H = cos 30 at the centre.
void specularLight(IDirect3DDevice9Ex* d, float power) {
  whiteMaterial(d, power);
  D3DMATERIAL9 m{};
  m.Specular = cv(1, 1, 1);
  m.Power = power;
  d->SetMaterial(&m);
  D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
  l.Diffuse = cv(0, 0, 0);
  l.Specular = cv(1, 1, 1);
  l.Direction = D3DVECTOR{-std::sin(1.0471976f), 0.0f, std::cos(1.0471976f)};
  lightOnly(d, l);
  d->SetRenderState(D3DRS_SPECULARENABLE, 1);
}

void fog(IDirect3DDevice9Ex* d, DWORD mode, float start, float end, float density) {
  d->SetRenderState(D3DRS_LIGHTING, 0);
  d->SetRenderState(D3DRS_FOGENABLE, 1);
  d->SetRenderState(D3DRS_FOGVERTEXMODE, mode);
  d->SetRenderState(D3DRS_FOGCOLOR, 0x0000FFu);
  d->SetRenderState(D3DRS_FOGSTART, bits(start));
  d->SetRenderState(D3DRS_FOGEND, bits(end));
  d->SetRenderState(D3DRS_FOGDENSITY, bits(density));
}

const Case kCases[] = {
    {"directional head-on",
     [](IDirect3DDevice9Ex* d) {
       D3DMATERIAL9 m{};
       m.Diffuse = cv(0.8f, 0.8f, 0.8f);
       d->SetMaterial(&m);
       d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
       D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
       l.Diffuse = cv(1.0f, 0.5f, 0.25f);
       l.Direction = D3DVECTOR{0, 0, 1};
       lightOnly(d, l);
     },
     0.5f, 0xFF000000u, 0, 0xCC6633u},
    {"point, attenuation (1, 0, 0.25) at distance 2",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       D3DLIGHT9 l = light(D3DLIGHT_POINT);
       l.Position = D3DVECTOR{0, 0, -1.5f};
       l.Attenuation2 = 0.25f;
       lightOnly(d, l);
     },
     0.5f, 0xFF000000u, 0, 0x808080u},
    {"point out of range",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       D3DLIGHT9 l = light(D3DLIGHT_POINT);
       l.Position = D3DVECTOR{0, 0, -1.5f};
       l.Range = 1.9f;
       lightOnly(d, l);
     },
     0.5f, 0xFF000000u, 0, 0x000000u},
    {"spot half-way between the cones",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       D3DLIGHT9 l = light(D3DLIGHT_SPOT);
       l.Position = D3DVECTOR{0, 0, -1.5f};
       l.Theta = 0.5f;
       l.Phi = 1.0f;
       const float rho = (std::cos(0.25f) + std::cos(0.5f)) * 0.5f, angle = std::acos(rho);
       l.Direction = D3DVECTOR{std::sin(angle), 0, std::cos(angle)};
       lightOnly(d, l);
     },
     0.5f, 0xFF000000u, 0, 0x808080u},
    {"spot with theta = phi is a hard edge",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       D3DLIGHT9 l = light(D3DLIGHT_SPOT);
       l.Position = D3DVECTOR{0, 0, -1.5f};
       l.Theta = l.Phi = 0.5f;
       l.Direction = D3DVECTOR{0, 0, 1};
       lightOnly(d, l);
     },
     0.5f, 0xFF000000u, 0, 0xFFFFFFu},
    {"specular power 1", [](IDirect3DDevice9Ex* d) { specularLight(d, 1.0f); }, 0.5f, 0xFF000000u, 0, 0xDDDDDDu},
    {"specular power 20", [](IDirect3DDevice9Ex* d) { specularLight(d, 20.0f); }, 0.5f, 0xFF000000u, 0, 0x0E0E0Eu},
    {"diffuse from COLOR1",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
       D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
       l.Direction = D3DVECTOR{0, 0, 1};
       lightOnly(d, l);
     },
     0.5f, 0xFF00FF00u, 0, 0x00FF00u},
    {"ambient from COLOR2",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR2);
       d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
     },
     0.5f, 0xFF000000u, 0xFF0000FFu, 0x0000FFu},
    {"emissive from COLOR1",
     [](IDirect3DDevice9Ex* d) {
       whiteMaterial(d);
       d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_COLOR1);
     },
     0.5f, 0xFFFF0000u, 0, 0xFF0000u},
    {"material ambient x global ambient",
     [](IDirect3DDevice9Ex* d) {
       D3DMATERIAL9 m{};
       m.Ambient = cv(0.5f, 1.0f, 0.0f);
       d->SetMaterial(&m);
       d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
     },
     0.5f, 0xFF000000u, 0, 0x80FF00u},
    {"linear fog half-way", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_LINEAR, 0, 10, 1); }, 5.0f, 0xFFFFFFFFu, 0,
     0x8080FFu},
    {"exp fog", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_EXP, 0, 10, 0.1f); }, 5.0f, 0xFFFFFFFFu, 0, 0x9B9BFFu},
    {"exp2 fog", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_EXP2, 0, 10, 0.1f); }, 5.0f, 0xFFFFFFFFu, 0, 0xC7C7FFu},
    {"start = end: nearer is clear", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_LINEAR, 5, 5, 1); }, 4.0f,
     0xFFFFFFFFu, 0, 0xFFFFFFu},
    {"start = end: beyond is fog", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_LINEAR, 5, 5, 1); }, 6.0f, 0xFFFFFFFFu,
     0, 0x0000FFu},
    {"fog enabled without a vertex mode", [](IDirect3DDevice9Ex* d) { fog(d, D3DFOG_NONE, 0, 10, 1); }, 5.0f,
     0xFFFFFFFFu, 0, 0xFFFFFFu},
};

class FixedFunctionTest : public D3D9Test {
 public:
  void SetUp() override {
    D3D9Test::SetUp();
    const D3DMATRIX id = identity();
    D3DMATRIX projection = identity();
    projection.m[2][2] = 0.1f;  // depth 0..10 into 0..1
    device->SetTransform(D3DTS_WORLD, &id);
    device->SetTransform(D3DTS_VIEW, &id);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_ZENABLE, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT);
  }
  // A small quad around the centre at the given depth, facing the eye.
  uint32_t centre(float depth, D3DCOLOR diffuse, D3DCOLOR specular, float u = 0.1f, float v = 0.1f) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    const float e = 0.02f;
    const LitVertex q[4] = {{-e, e, depth, 0, 0, -1, diffuse, specular, u, v},
                            {e, e, depth, 0, 0, -1, diffuse, specular, u, v},
                            {-e, -e, depth, 0, 0, -1, diffuse, specular, u, v},
                            {e, -e, depth, 0, 0, -1, diffuse, specular, u, v}};
    device->SetFVF(kLitFvf);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(LitVertex)), D3D_OK);
    return rgb(backPixels()[240 * 640 + 320]);
  }
};

bool near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
    if (d > tolerance || d < -tolerance) return false;
  }
  return true;
}

TEST_F(FixedFunctionTest, LightsMaterialsAndFogGiveTheFormula) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    // Each case starts from the face's defaults for what the cases change.
    device->SetRenderState(D3DRS_LIGHTING, 1);
    device->SetRenderState(D3DRS_FOGENABLE, 0);
    device->SetRenderState(D3DRS_SPECULARENABLE, 0);
    device->SetRenderState(D3DRS_AMBIENT, 0);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->LightEnable(0, 0);
    const D3DMATERIAL9 none{};
    device->SetMaterial(&none);
    c.setup(device.get());
    const uint32_t got = centre(c.depth, c.diffuse, c.specular);
    EXPECT_TRUE(near(got, c.expected, 1)) << std::hex << got << " expected " << c.expected;
  }
}

TEST_F(FixedFunctionTest, ZeroNormalLightsOnlyAmbientAndEmissive) {
  D3DMATERIAL9 m{};
  m.Diffuse = cv(1, 1, 1);
  m.Emissive = cv(0.2f, 0.0f, 0.0f);
  m.Ambient = cv(0.0f, 0.4f, 0.0f);
  device->SetMaterial(&m);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
  D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
  l.Direction = D3DVECTOR{0, 0, 1};
  device->SetLight(0, &l);
  device->LightEnable(0, 1);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  const float e = 0.02f;
  const LitVertex q[4] = {{-e, e, 0.5f, 0, 0, 0, 0, 0, 0, 0},
                          {e, e, 0.5f, 0, 0, 0, 0, 0, 0, 0},
                          {-e, -e, 0.5f, 0, 0, 0, 0, 0, 0, 0},
                          {e, -e, 0.5f, 0, 0, 0, 0, 0, 0, 0}};
  device->SetFVF(kLitFvf);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(LitVertex)), D3D_OK);
  EXPECT_TRUE(near(rgb(backPixels()[240 * 640 + 320]), 0x336600u, 1));
}

TEST_F(FixedFunctionTest, TextureTransformScalesAndOffsets) {
  device->SetRenderState(D3DRS_LIGHTING, 0);
  Com<IDirect3DTexture9> tex;
  tex.p = texture(4, 1, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
  device->SetTexture(0, tex.get());
  pointClamp(0);
  stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  // u = 0.1 reads texel 0; scaled by 2 and moved by 0.5 it reads texel 2.
  EXPECT_EQ(centre(0.5f, 0xFFFFFFFFu, 0), 0xFF0000u);
  D3DMATRIX m = identity();
  m.m[0][0] = m.m[1][1] = 2.0f;
  m.m[2][0] = m.m[2][1] = 0.5f;  // two-component sets read (u, v, 1, 0): the offset row is the third
  device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0), &m);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  EXPECT_EQ(centre(0.5f, 0xFFFFFFFFu, 0), 0x0000FFu);
  // COUNT3 | PROJECTED divides by the third result: (0.7, 0.7, 2) reads (0.35, 0.35).
  D3DMATRIX p = m;
  p.m[2][2] = 2.0f;  // w' = 2
  device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0), &p);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  EXPECT_EQ(centre(0.5f, 0xFFFFFFFFu, 0), 0x00FF00u);  // u = 0.35: texel 1
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  EXPECT_EQ(centre(0.5f, 0xFFFFFFFFu, 0), 0xFF0000u);
}

TEST_F(FixedFunctionTest, PretransformedVerticesIgnoreLightsTransformsAndVertexFog) {
  // Lights, a texture transform and linear fog all set up: none of them touches a
  // pre-transformed vertex, whose fog factor is its specular alpha.
  D3DLIGHT9 l = light(D3DLIGHT_DIRECTIONAL);
  l.Direction = D3DVECTOR{0, 0, 1};
  device->SetLight(0, &l);
  device->LightEnable(0, 1);
  D3DMATRIX m = identity();
  m.m[2][0] = 0.5f;
  device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0), &m);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  fog(device.get(), D3DFOG_LINEAR, 0, 1, 1);
  device->SetRenderState(D3DRS_LIGHTING, 1);
  struct V {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
  };
  for (const D3DCOLOR specularAlpha : {0xFF000000u, 0x00000000u}) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    const V q[4] = {{310, 230, 0.5f, 1, 0xFF336699u, specularAlpha},
                    {330, 230, 0.5f, 1, 0xFF336699u, specularAlpha},
                    {310, 250, 0.5f, 1, 0xFF336699u, specularAlpha},
                    {330, 250, 0.5f, 1, 0xFF336699u, specularAlpha}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof(V)), D3D_OK);
    EXPECT_EQ(rgb(backPixels()[240 * 640 + 320]), specularAlpha ? 0x336699u : 0x0000FFu);
  }
}

// A lit mesh bent in depth with varying normals and vertex colours, drawn with the
// specialised spans and without: the same pixels for every mix of specular, fog, texture
// filter, perspective and blend, and the lit and fogged draws take the spans.
TEST_F(FixedFunctionTest, LitAndFoggedMeshesTakeTheSpansWithTheGeneralPathsPixels) {
  std::mt19937 rng(73);
  Com<IDirect3DTexture9> texture;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.out(), nullptr), D3D_OK);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const uint32_t w = rng() | 0x80000000u;
      std::memcpy(static_cast<uint8_t*>(lr.pBits) + size_t(y) * size_t(lr.Pitch) + size_t(x) * 4, &w, 4);
    }
  ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

  D3DMATERIAL9 m{};
  m.Ambient = cv(0.2f, 0.2f, 0.3f);
  m.Specular = cv(0.9f, 0.8f, 0.7f);
  m.Power = 8.0f;
  device->SetMaterial(&m);
  device->SetRenderState(D3DRS_AMBIENT, 0xFF404040u);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  D3DLIGHT9 sun = light(D3DLIGHT_DIRECTIONAL);
  sun.Direction = D3DVECTOR{0.3f, -0.4f, 0.8f};
  sun.Specular = cv(1, 1, 1);
  D3DLIGHT9 lamp = light(D3DLIGHT_POINT);
  lamp.Position = D3DVECTOR{1.0f, 1.0f, 1.0f};
  lamp.Diffuse = cv(0.2f, 0.3f, 0.9f);
  lamp.Specular = cv(1, 1, 1);
  device->SetLight(0, &sun);
  device->SetLight(1, &lamp);
  device->LightEnable(0, 1);
  device->LightEnable(1, 1);
  device->SetRenderState(D3DRS_LIGHTING, 1);
  device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  device->SetRenderState(D3DRS_FOGCOLOR, 0x203080u);
  device->SetRenderState(D3DRS_FOGSTART, bits(2.0f));
  device->SetRenderState(D3DRS_FOGEND, bits(9.0f));

  // Cells of the mesh, from 3 (left) to 7 (right) deep; under perspective x and y grow
  // with depth so the mesh still fills most of the screen.
  constexpr int kCells = 10;
  std::vector<LitVertex> mesh;
  auto at = [&](int i, int j, bool perspective) {
    const float fx = float(i) / kCells, fy = float(j) / kCells;
    const float z = 3.0f + 4.0f * fx + 0.4f * std::sin(5.0f * fy);
    const float scale = perspective ? z * 0.9f : 1.1f;
    float n[3] = {-0.8f, 0.6f * std::cos(5.0f * fy), -1.0f};
    const float l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const D3DCOLOR colour = 0xFF000000u | (rng() & 0xFFFFFFu);
    return LitVertex{(2.0f * fx - 1.0f) * scale, (1.0f - 2.0f * fy) * scale, z, n[0] / l, n[1] / l, n[2] / l,
                     colour, 0, fx, fy};
  };
  for (const bool perspective : {false, true}) {
    mesh.clear();
    for (int j = 0; j < kCells; ++j)
      for (int i = 0; i < kCells; ++i) {
        const LitVertex a = at(i, j, perspective), b = at(i + 1, j, perspective), c = at(i, j + 1, perspective),
                        d = at(i + 1, j + 1, perspective);
        mesh.insert(mesh.end(), {a, b, c, b, d, c});
      }
    D3DMATRIX projection = identity();
    if (perspective) {  // w = z, depth 1..10 into 0..1
      projection.m[2][2] = 10.0f / 9.0f;
      projection.m[2][3] = 1.0f;
      projection.m[3][2] = -10.0f / 9.0f;
      projection.m[3][3] = 0.0f;
    } else {
      projection.m[2][2] = 0.1f;
    }
    device->SetTransform(D3DTS_PROJECTION, &projection);
    for (const DWORD filter : {DWORD(D3DTEXF_NONE), DWORD(D3DTEXF_POINT), DWORD(D3DTEXF_LINEAR)})
      for (const bool specular : {false, true})
        for (const bool fogged : {false, true})
          for (const bool blend : {false, true}) {
            SCOPED_TRACE(testing::Message() << (perspective ? "perspective" : "affine") << ", filter " << filter
                                            << (specular ? ", specular" : "") << (fogged ? ", fog" : "")
                                            << (blend ? ", alpha blend" : ""));
            const bool textured = filter != D3DTEXF_NONE;
            device->SetTexture(0, textured ? texture.get() : nullptr);
            if (textured) {
              pointClamp(0);
              device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
              device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
              stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
            } else {
              stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_DIFFUSE,
                    D3DTA_CURRENT);
            }
            device->SetRenderState(D3DRS_SPECULARENABLE, specular);
            device->SetRenderState(D3DRS_FOGENABLE, fogged);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            std::vector<uint32_t> frames[2];
            uint64_t fastDraws = 0;
            for (int general = 0; general < 2; ++general) {
              setFastSpans(general == 0);
              device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF604020u, 1.0f, 0);
              device->SetFVF(kLitFvf);
              const uint64_t before = fastSpanDraws();
              ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(mesh.size() / 3), mesh.data(),
                                                sizeof(LitVertex)),
                        D3D_OK);
              if (general == 0) fastDraws = fastSpanDraws() - before;
              frames[general] = backPixels();
            }
            setFastSpans(true);
            EXPECT_EQ(fastDraws, 1u);
            size_t differing = 0, first = 0;
            for (size_t i = 0; i < frames[0].size(); ++i)
              if (frames[0][i] != frames[1][i] && differing++ == 0) first = i;
            EXPECT_EQ(differing, 0u) << "first at (" << first % 640 << ", " << first / 640 << ") fast " << std::hex
                                     << frames[0][first] << " general " << frames[1][first];
            // The mesh is drawn: its middle is neither the clear colour nor one flat colour.
            EXPECT_NE(rgb(frames[1][240 * 640 + 200]), 0x604020u);
            EXPECT_NE(frames[1][240 * 640 + 200], frames[1][240 * 640 + 440]);
          }
  }
  device->SetTexture(0, nullptr);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
}

}  // namespace
}  // namespace d3d9test
