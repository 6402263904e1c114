// The module registry's tables of d3d11.dll and dxgi.dll.
#include "platform/gpu/d3d11/dxgi.h"
#include "platform/gpu/face_com.h"

namespace plat::gpu {

const plat::win::ModuleExport kD3D11Exports[] = {
    faceExport("D3D11CreateDevice", &D3D11CreateDevice),
    {nullptr, nullptr},
};

const plat::win::ModuleExport kDxgiExports[] = {
    faceExport("CreateDXGIFactory1", &CreateDXGIFactory1),
    faceExport("CreateDXGIFactory", &CreateDXGIFactory),
    {nullptr, nullptr},
};

}  // namespace plat::gpu
