// The Direct3D 9 shader packages tools/shaderpack generates: printable-text blobs, each
// unpacked in place by DecodeTextPackedData and expanded by DecompressLZ.
#pragma once

namespace ZaDod {

// A memory archive of the built-in pixel shaders by file name, entries stored plain.
extern char D3D9ShaderBaseArchive[];
// 256 16-bit sizes and their code blocks.
extern char D3D9ShaderRGBAMixPackage[];
// A memory archive of the filter shaders, opened from memory by name.
extern char D3D9ShaderFilterArchive[];

inline constexpr int kD3D9RGBAMixEntries = 256;

}  // namespace ZaDod
