// Test switches of the Direct3D 9 face, in process only: the caps and format profile, the
// creation failures, and device loss. Method failures by call number and a failing
// Present live in the core's profile ("d3d9.<Method>" in its failing-call map).
#pragma once
#include "platform/gpu/d3d9/gpu_d3d9.h"

namespace plat::gpu {

// The colour every DEFAULT-pool resource and the back buffer read after a loss.
constexpr D3DCOLOR kLostMarkerColour = 0xFFFF00FFu;

// The caps the face reports by default; SetD3D9CapsForTest(null) restores them.
D3DCAPS9 DefaultD3D9Caps();
void SetD3D9CapsForTest(const D3DCAPS9* caps);
// CheckDeviceFormat refuses `format` for this usage (0, RENDERTARGET or DEPTHSTENCIL)
// until the switches are reset; creation of it for that use fails too.
void RefuseD3D9FormatForTest(D3DFORMAT format, DWORD usage);
// Direct3DCreate9Ex answers E_FAIL (the export itself stays: withhold it with OverrideExport).
void SetCreate9ExFailsForTest(bool fails);
// CreateDeviceEx fails for the behaviours whose bits are in the mask (0x80 mixed, 0x20
// software vertex processing).
void SetCreateDeviceExFailsForTest(DWORD behaviourMask);
// CreateDevice fails its next n calls.
void SetCreateDeviceFailuresForTest(int n);
void ResetD3D9SwitchesForTest();

// From now until the device is released TestCooperativeLevel and Present answer
// D3DERR_DEVICELOST, and the contents of every DEFAULT-pool resource and of the back buffer
// are overwritten with the marker colour. MANAGED and SYSTEMMEM resources keep theirs.
void LoseDeviceForTest(IDirect3DDevice9* device);

}  // namespace plat::gpu
