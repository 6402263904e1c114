// Direct3D 9 format codes a DDS file may name in its four-character-code field.
#include "media/graphics/image/image_loader.h"

namespace ZaDod {

const DDSFormat DDSFormatTable[] = {
    {20, 0, 0, 24, 0xFF0000, 0xFF00, 0xFF, 0},                   // R8G8B8
    {21, 0, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},          // A8R8G8B8
    {22, 0, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0},                   // X8R8G8B8
    {23, 0, 0, 16, 0xF800, 0x07E0, 0x001F, 0},                   // R5G6B5
    {24, 0, 0, 16, 0x7C00, 0x03E0, 0x001F, 0},                   // X1R5G5B5
    {25, 0, 0, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},              // A1R5G5B5
    {26, 0, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},              // A4R4G4B4
    {27, 0, 0, 8, 0xE0, 0x1C, 0x03, 0},                          // R3G3B2
    {29, 0, 0, 16, 0xE0, 0x1C, 0x03, 0xFF00},                    // A8R3G3B2
    {30, 0, 0, 16, 0x0F00, 0x00F0, 0x000F, 0},                   // X4R4G4B4
    {31, 0, 0, 32, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000},      // A2B10G10R10
    {32, 0, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},          // A8B8G8R8
    {33, 0, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0},                   // X8B8G8R8
    {34, 0, 2, 16, 0, 0, 0, 0},                                  // G16R16
    {35, 0, 0, 32, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},      // A2R10G10B10
    {36, 0, 4, 16, 0, 0, 0, 0},                                  // A16B16G16R16
    {81, 0, 1, 16, 0, 0, 0, 0},                                  // L16
    {111, 1, 1, 16, 0, 0, 0, 0},                                 // R16F
    {112, 1, 2, 16, 0, 0, 0, 0},                                 // G16R16F
    {113, 1, 4, 16, 0, 0, 0, 0},                                 // A16B16G16R16F
    {114, 1, 1, 32, 0, 0, 0, 0},                                 // R32F
    {115, 1, 2, 32, 0, 0, 0, 0},                                 // G32R32F
    {116, 1, 4, 32, 0, 0, 0, 0},                                 // A32B32G32R32F
    {0xFFFFFFFF, 0, 0, 0, 0, 0, 0, 0},
};

}  // namespace ZaDod
