// Shared pieces of the Direct3D 9 face: the link between a device and its resources (for
// GetDevice and for device loss), the face objects over the software GPU's textures and
// buffers, the code conversions, the vertex and combiner plans a draw compiles, and the
// entries the files of the face call each other through.
#pragma once
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/gpu/copy.h"
#include "platform/gpu/d3d9/gpu_d3d9.h"
#include "platform/gpu/d3d9/d3d9_switches.h"
#include "platform/gpu/pipeline.h"
#include "platform/gpu/shaders/fixed_function.h"
#include "platform/gpu/shaders/shadow_compare.h"
#include "platform/gpu/shaders/vm/program_entry.h"

namespace plat::gpu::d3d9 {

class FaceResource;

// Shared by a device and everything it made: resources outlive neither the link nor each
// other's registration, whatever order the caller releases them in.
struct DeviceLink {
  std::mutex lock;
  IDirect3DDevice9* device = nullptr;  // null once the device is gone
  std::set<FaceResource*> defaultPool;  // the resources a loss overwrites
  bool lost = false;
};

// What every face resource carries: its core storage, pool, usage and face format.
class FaceResource {
 public:
  FaceResource(std::shared_ptr<DeviceLink> link, D3DPOOL pool, DWORD usage, D3DFORMAT format, bool tracked);
  virtual ~FaceResource();
  FaceResource(const FaceResource&) = delete;
  FaceResource& operator=(const FaceResource&) = delete;
  HRESULT device(IDirect3DDevice9** out) const;
  // Writes the marker colour over every subresource (or every word of a buffer).
  void overwrite();
  // The shader-resource view of the whole texture, made on first use.
  View* shaderView();

  std::shared_ptr<DeviceLink> link;
  D3DPOOL pool;
  DWORD usage;
  D3DFORMAT format;
  Ref<Texture> texture;
  Ref<Buffer> buffer;

 private:
  Ref<View> srv_;
  bool tracked_;
};

// A surface: a standalone image (render target, depth buffer, offscreen plain surface, back
// buffer) or one level of a texture's face, which keeps its container alive.
class Surface final : public Com<IDirect3DSurface9>, public FaceResource {
 public:
  Surface(std::shared_ptr<DeviceLink> link, D3DPOOL pool, DWORD usage, D3DFORMAT format, Ref<Texture> t, int sub,
          IUnknown* container, bool lockable);
  ~Surface() override;
  HRESULT GetDevice(IDirect3DDevice9** d) override { return device(d); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
  HRESULT UnlockRect() override;
  // The render-target or depth view of this image, made on first use; null when the
  // texture is not bound for it.
  View* targetView();
  int sub;

 private:
  void* iface(const IID& iid) override;
  IUnknown* container_;
  bool lockable_;
  Ref<View> target_;
};

// Locks one subresource: the level's pitch (block rows for DXT), the rectangle inside it.
HRESULT lockSub(Texture& t, int sub, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
HRESULT unlockSub(Texture& t, int sub);

// Face objects from interface pointers; null for null or for objects of another kind.
FaceResource* faceOf(IUnknown* object);
Surface* surfaceOf(IDirect3DSurface9* s);

// Code conversions.
Format toFormat(D3DFORMAT f);
HRESULT toResult(Status s);
D3DSURFACE_DESC surfaceDesc(const FaceResource& r, int sub);
// The colour of a D3DCOLOR (bytes blue, green, red, alpha) as floats.
Float4 colourOf(D3DCOLOR c);

// Switches (d3d9_switches.h) as the face reads them.
D3DCAPS9 currentCaps();
bool formatRefused(D3DFORMAT f, DWORD usage);
bool create9ExFails();
bool createDeviceExFails(DWORD behaviour);
bool createDeviceFails();
// Counts a call in the core's journal under "d3d9.<method>"; false when the profile says it fails.
bool callAllowed(const char* method);

// Resource creation for the device and the swap chain.
HRESULT makeTexture(const std::shared_ptr<DeviceLink>& link, UINT w, UINT h, UINT levels, DWORD usage,
                    D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** out);
HRESULT makeCubeTexture(const std::shared_ptr<DeviceLink>& link, UINT edge, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, IDirect3DCubeTexture9** out);
// A multisampled surface is a render target or depth surface of the default pool that
// does not lock.
HRESULT makeSurface(const std::shared_ptr<DeviceLink>& link, UINT w, UINT h, D3DFORMAT format, DWORD usage,
                    D3DPOOL pool, bool lockable, Surface** out, D3DMULTISAMPLE_TYPE ms = D3DMULTISAMPLE_NONE);
// Quality levels of a multisample type for a face format: 1 for NONE and for the sample
// counts the core offers (2, 4, 8 at their fixed positions), 0 for any other.
DWORD multisampleLevels(D3DFORMAT format, D3DMULTISAMPLE_TYPE ms);
HRESULT makeVertexBuffer(const std::shared_ptr<DeviceLink>& link, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                         IDirect3DVertexBuffer9** out);
HRESULT makeIndexBuffer(const std::shared_ptr<DeviceLink>& link, UINT length, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DIndexBuffer9** out);

// Copies between surfaces and textures (copies.cpp).
HRESULT stretchSurface(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst, const RECT* dstRect,
                       D3DTEXTUREFILTERTYPE filter);
HRESULT updateSurface(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst,
                      const plat::win::POINT* at);
HRESULT updateTexture(IDirect3DBaseTexture9* src, IDirect3DBaseTexture9* dst);
HRESULT renderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dst);
HRESULT colourFill(IDirect3DSurface9* s, const RECT* rect, D3DCOLOR colour);
// A RECT as a box inside (w, h); false when it is empty or reaches outside.
bool boxOf(const RECT* r, int w, int h, Box& out);

// Vertex input (vertex_input.cpp): where each part of a vertex lies.
struct VertexFormat {
  bool valid = false;
  bool pretransformed = false;  // XYZRHW / POSITIONT
  std::vector<InputElement> layout;
  int colourOffset[2] = {-1, -1};  // diffuse, specular
  int pairs = 0;                  // texture-coordinate sets
  uint32_t size = 0;              // bytes the format describes
};
VertexFormat formatOfFvf(DWORD fvf);
// Checks a declaration (stream 0, the element types and usages the face knows).
bool formatOfDeclaration(const D3DVERTEXELEMENT9* elements, size_t maxElements, VertexFormat& out,
                         std::vector<D3DVERTEXELEMENT9>& kept);

// The face's own vertex function's plan: pixel-centre shift and transforms, and the
// fixed-function lighting, vertex fog and texture-coordinate transforms of one draw.
inline constexpr int kFaceMaxLights = 8;
struct VertexPlan {
  bool pretransformed = false;
  bool normal = false;  // the format carries a normal (read only while lit)
  bool diffuse = false, specular = false;
  uint8_t whiteDiffuse = 0;  // kFast...Unread channels the stage set does not read: fed as 1
  int pairs = 0;
  float matrix[4][4];         // world x view x projection (row vectors)
  float vx = 0, vy = 0, vw = 1, vh = 1, minZ = 0, maxZ = 1;

  float worldView[4][4];   // for lighting and fog depth
  float normalMatrix[3][3];  // inverse transpose of worldView's upper 3 x 3
  bool lit = false, normalize = false, specularOn = false;
  int lightCount = 0;
  shader::FixedLight lights[kFaceMaxLights];
  // Material sources: 0 material, 1 diffuse vertex colour, 2 specular vertex colour.
  int diffuseSource = 0, specularSource = 0, ambientSource = 0, emissiveSource = 0;
  float material[4][4];  // diffuse, ambient, specular, emissive
  float power = 0.0f;
  float globalAmbient[3] = {0, 0, 0};

  // Shadow maps (lit draws only): the slots in use, and the world matrix that gives the
  // position their light spaces take.
  bool shadows = false;
  shader::ShadowSlot shadow[shader::kShadowMaps];
  float world[4][4];

  // Fog: the factor goes to varying kExtra; pre-transformed vertices give their specular alpha.
  bool fog = false;
  int fogMode = 0;
  float fogScale = 0, fogSlope = 0, fogDensity = 1;

  // Texture-coordinate transforms per set: D3DTTFF flags (0 none) and the matrix; the
  // components the set brings.
  DWORD texFlags[8] = {};
  float texMatrix[8][4][4];
  int texComponents[8] = {};
};
void makeVertexEntry(const VertexFormat& f, const VertexPlan* plan, ShaderEntry& out);

// Fog after the pixel stage: the wrapped pixel function's colour blended toward the fog
// colour by the interpolated factor.
struct FogPixelPlan {
  const ShaderEntry* inner = nullptr;
  int at = shader::kExtra;  // the factor's varying
  float colour[3] = {0, 0, 0};
};
void makeFogPixelEntry(const FogPixelPlan* plan, ShaderEntry& out);

// Shadowed lighting before the pixel stage: the colours the wrapped function reads are
// made from the lit parts and the maps' shadow factor.
struct ShadowPixelPlan {
  const ShaderEntry* inner = nullptr;
  const VertexPlan* plan = nullptr;
};
void makeShadowPixelEntry(const ShadowPixelPlan* plan, ShaderEntry& out);

// The texture-stage combiner (stage_combiner.cpp).
struct StageArg {
  uint8_t source = 0;  // D3DTA_ selector
  bool complement = false, replicate = false;
};
struct CompiledStage {
  DWORD colourOp = D3DTOP_DISABLE, alphaOp = D3DTOP_DISABLE;
  StageArg colour[2], alpha[2];
  bool toTemp = false;
  bool textured = false;
  int pair = 0;
};
struct CombinerPlan {
  int count = 0;
  CompiledStage stage[8];
  Float4 factor{1, 1, 1, 1};
  bool specular = false;
};
struct StageStates {
  DWORD state[8][kStageStateCount];
  bool textureBound[8];
  D3DCOLOR factor;
  bool specularEnable;
  bool vertexSpecular;
  int pairs;
};
// Compiles the stage states into a plan and fills the pixel entry; picks a specialised span
// for the common sets, with the diffuse channels they do not read in entry.fastUnread.
void compileCombiner(const StageStates& s, CombinerPlan& plan, ShaderEntry& entry);
bool combinerPixel(const PixelIn& in, const ShaderEnv& env, const ShaderEntry& self, Float4& out);

// Shaders and declarations (shaders.cpp).
HRESULT makeVertexShader(const DWORD* function, IDirect3DVertexShader9** out);
HRESULT makePixelShader(const DWORD* function, IDirect3DPixelShader9** out);
HRESULT makeDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** out);
const char* shaderRefusal();
const ShaderEntry* entryOf(IDirect3DVertexShader9* s);
const ShaderEntry* entryOf(IDirect3DPixelShader9* s);
// The decoded program of a shader object made from model 2 or 3 code, or null.
std::shared_ptr<const vm::Program> programOf(IDirect3DVertexShader9* s);
std::shared_ptr<const vm::Program> programOf(IDirect3DPixelShader9* s);
const VertexFormat* formatOf(IDirect3DVertexDeclaration9* d);

// The swap chain (swap_chain.cpp): one back buffer, presents into the window.
class SwapChain;
HRESULT makeSwapChain(IDirect3DDevice9* device, const std::shared_ptr<DeviceLink>& link,
                      const D3DPRESENT_PARAMETERS& params, SwapChain** out);
IDirect3DSwapChain9* chainInterface(SwapChain* c);
Surface* backBuffer(SwapChain* c);
HRESULT presentChain(SwapChain* c, const RECT* source, const RECT* dest, HWND window);

// Makes a device for the object (device.cpp).
HRESULT makeDevice(HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params, bool ex, IDirect3DDevice9Ex** out);

}  // namespace plat::gpu::d3d9
