// The module registry's tables of d3d11.dll and dxgi.dll.
#include "platform/gpu/d3d11/exports.h"

#include "platform/gpu/d3d11/dxgi.h"

namespace plat::gpu {

namespace {

template <typename F>
plat::win::FARPROC fn(F* function) {
  return reinterpret_cast<plat::win::FARPROC>(function);
}

}  // namespace

const plat::win::ModuleExport kD3D11Exports[] = {
    {"D3D11CreateDevice", fn(&D3D11CreateDevice)},
    {nullptr, nullptr},
};

const plat::win::ModuleExport kDxgiExports[] = {
    {"CreateDXGIFactory1", fn(&CreateDXGIFactory1)},
    {"CreateDXGIFactory", fn(&CreateDXGIFactory)},
    {nullptr, nullptr},
};


}  // namespace plat::gpu
