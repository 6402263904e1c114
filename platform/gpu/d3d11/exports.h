// The functions d3d11.dll and dxgi.dll serve through the module registry.
#pragma once
#include "platform/win/module_exports.h"

namespace plat::gpu {

// Each ends with a null name.
extern const plat::win::ModuleExport kD3D11Exports[];
extern const plat::win::ModuleExport kDxgiExports[];

}  // namespace plat::gpu
