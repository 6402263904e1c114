// The Direct3D 11 shader packages tools/shaderpack generates: printable-text blobs, each
// unpacked in place by DecodeTextPackedData and expanded by DecompressLZ.
#pragma once

namespace ZaDod {

// 258 16-bit code sizes, then the code blocks (shader tokens) end to end.
extern char D3D11ShaderBasePackage[];
// 256 16-bit sizes and their code blocks.
extern char D3D11ShaderRGBAMixPackage[];
// An archive of the filter shaders, opened from memory by name.
extern char D3D11ShaderFilterArchive[];
// 2822 16-bit sizes and their code blocks.
extern char D3D11Shader3DPackage[];

// Entries of each sized table.
inline constexpr int kD3D11BasePackageEntries = 258;
inline constexpr int kD3D11RGBAMixEntries = 256;
inline constexpr int kD3D113DPackageEntries = 2822;

}  // namespace ZaDod
